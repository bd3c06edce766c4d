#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the screen drawings (menu, panels, highlights, help pages, playfield) as SVG files beside
this script.

The build reads the SVGs, not this script: run it after changing a drawing and commit its output.
    python3 make_screens.py              write every SVG
    python3 make_screens.py --manifest   also rewrite the help pages' scenes in ../pack.txt

Most drawings are 800x600 overlays in screen coordinates, so every rectangle below is the very
rectangle the game hit-tests or draws at; pack.txt stacks them into scenes and cuts the records.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette shared with the sprites.
INK = '#2B1A10'            # every outline
WOOD, WOOD_HI, WOOD_SH = '#F7D58B', '#FCE7B4', '#E5B45E'
BORDER = '#B5651D'
INNER = '#FFF1C9'
LABEL = '#5A2E0E'          # labels at rest
HILITE = '#FF7A00'         # highlighted labels
ORANGE = '#FF9F1C'
GOLD, GOLD_HI, GOLD_SH = '#FFD23F', '#FFF3B0', '#D99A0B'
LIME, LIME_HI, LIME_SH = '#8BD346', '#B4EC6E', '#4E9A2A'
GRASS, GRASS_DK = '#6CC24A', '#3F8F2E'
SKY_TOP = '#7FD3FF'
PINK, PINK_DK = '#FF6666', '#C8404E'
ICE, ICE_DK = '#BDEBFF', '#5BC0EB'
DANGER = '#E03A3A'
FONT = 'font-family="Comfortaa" font-weight="bold"'

W, H = 800, 600

# Rectangles (left, top, right, bottom) the game uses; the labels are drawn inside them.
MENU_ITEMS = [
    ('Новая игра', (199, 156, 590, 195)),
    ('Настройки', (199, 197, 422, 234)),
    ('Рекорды', (199, 240, 470, 275)),
    ('Помощь', (199, 284, 460, 320)),
    ('Другие игры', (199, 328, 630, 360)),
    ('Выход', (199, 372, 420, 406)),
]
PANEL = (29, 156, 771, 600)          # options, high-score and help panels
BACK = (31, 560, 160, 588)
WINDOWED, FULLSCREEN = (195, 238, 344, 266), (352, 238, 564, 266)
MUSIC_ON, MUSIC_OFF = (197, 301, 257, 323), (265, 301, 340, 323)
SOUND_ON, SOUND_OFF = (197, 361, 257, 383), (265, 361, 340, 383)
COUNTRY = (190, 407, 445, 443)
FOCUS_GAP = 6                        # the text field's focus frame stands this far out beside it
CLEAR_TABLE, ONLINE_TABLE = (247, 496, 570, 520), (64, 528, 570, 552)
PREV_PAGE, NEXT_PAGE = (114, 492, 332, 522), (376, 492, 568, 522)
PAGE = (29, 207, 771, 490)
LEVEL_TROUGH = (111, 30, 685, 59)


class FontMetrics:
    """Advance widths of the game font, read from its file, to lay out labels and check they fit."""

    def __init__(self, path):
        data = open(path, 'rb').read()
        tables = {}
        for i in range(struct.unpack_from('>H', data, 4)[0]):
            tag, _, offset, _ = struct.unpack_from('>4sIII', data, 12 + 16 * i)
            tables[tag.decode()] = offset
        self.units = struct.unpack_from('>H', data, tables['head'] + 18)[0]
        metrics = struct.unpack_from('>H', data, tables['hhea'] + 34)[0]
        self.advances = [struct.unpack_from('>H', data, tables['hmtx'] + 4 * i)[0] for i in range(metrics)]
        self.glyphs = self._cmap(data, tables['cmap'])

    @staticmethod
    def _cmap(data, base):
        for i in range(struct.unpack_from('>H', data, base + 2)[0]):
            platform, encoding, offset = struct.unpack_from('>HHI', data, base + 4 + 8 * i)
            if (platform, encoding) == (3, 1) and struct.unpack_from('>H', data, base + offset)[0] == 4:
                sub = base + offset
                segs = struct.unpack_from('>H', data, sub + 6)[0] // 2
                ends = struct.unpack_from(f'>{segs}H', data, sub + 14)
                starts = struct.unpack_from(f'>{segs}H', data, sub + 16 + 2 * segs)
                deltas = struct.unpack_from(f'>{segs}h', data, sub + 16 + 4 * segs)
                range_base = sub + 16 + 6 * segs
                ranges = struct.unpack_from(f'>{segs}H', data, range_base)
                glyphs = {}
                for k in range(segs):
                    for code in range(starts[k], min(ends[k], 0xFFFE) + 1):
                        if ranges[k] == 0:
                            glyphs[code] = (code + deltas[k]) & 0xFFFF
                        else:
                            at = range_base + 2 * k + ranges[k] + 2 * (code - starts[k])
                            g = struct.unpack_from('>H', data, at)[0]
                            glyphs[code] = (g + deltas[k]) & 0xFFFF if g else 0
                return glyphs
        raise ValueError('no Unicode cmap')

    def width(self, s, size):
        total = 0
        for ch in s:
            g = self.glyphs.get(ord(ch), 0)
            total += self.advances[min(g, len(self.advances) - 1)]
        return total * size / self.units


METRICS = FontMetrics('/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf')


def fmt(v):
    """Short numbers keep the SVGs readable."""
    if isinstance(v, float):
        s = f'{v:.2f}'.rstrip('0').rstrip('.')
        return s if s not in ('', '-0') else '0'
    return str(v)


def attrs(**kw):
    return ' '.join(f'{k.rstrip("_").replace("_", "-")}="{fmt(v)}"' for k, v in kw.items() if v is not None)


def svg(width, height, body, defs=''):
    return ('<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n'
            + (f'<defs>\n{defs}</defs>\n' if defs else '') + body + '</svg>\n')


def write(name, content):
    with open(os.path.join(HERE, name), 'w', encoding='utf-8') as f:
        f.write(content)


def linear(id_, *stops, x2=0, y2=1, units=None):
    s = ''.join(f'<stop offset="{fmt(o)}" stop-color="{c}"/>' for o, c in stops)
    u = f' gradientUnits="{units}"' if units else ''
    return f'<linearGradient id="{id_}" x1="0" y1="0" x2="{fmt(x2)}" y2="{fmt(y2)}"{u}>{s}</linearGradient>\n'


def linear_abs(id_, x1, y1, x2, y2, *stops):
    s = ''.join(f'<stop offset="{fmt(o)}" stop-color="{c}"/>' for o, c in stops)
    return (f'<linearGradient id="{id_}" gradientUnits="userSpaceOnUse" x1="{fmt(x1)}" y1="{fmt(y1)}" '
            f'x2="{fmt(x2)}" y2="{fmt(y2)}">{s}</linearGradient>\n')


def radial(id_, *stops, cx=0.5, cy=0.5, r=0.5):
    s = ''.join(f'<stop offset="{fmt(o)}" stop-color="{c}"/>' for o, c in stops)
    return f'<radialGradient id="{id_}" cx="{fmt(cx)}" cy="{fmt(cy)}" r="{fmt(r)}">{s}</radialGradient>\n'


def blur(id_, deviation):
    return (f'<filter id="{id_}" x="-50%" y="-50%" width="200%" height="200%">'
            f'<feGaussianBlur stdDeviation="{fmt(deviation)}"/></filter>\n')


def text(x, y, s, size, fill, anchor='middle', stroke=None, stroke_width=0, extra=''):
    """Text whose baseline is at y. A stroke is painted under the fill, as an outline."""
    st = (f' stroke="{stroke}" stroke-width="{fmt(stroke_width)}" stroke-linejoin="round" paint-order="stroke"'
          if stroke else '')
    s = s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')
    return (f'<text x="{fmt(x)}" y="{fmt(y)}" font-size="{fmt(size)}" {FONT} fill="{fill}" '
            f'text-anchor="{anchor}"{st}{extra}>{s}</text>\n')


def centre(rect):
    l, t, r, b = rect
    return (l + r) / 2, (t + b) / 2


def inset(rect, dx, dy=None):
    dy = dx if dy is None else dy
    l, t, r, b = rect
    return (l + dx, t + dy, r - dx, b - dy)


def rrect(rect, radius, **kw):
    l, t, r, b = rect
    return f'<rect {attrs(x=l, y=t, width=r - l, height=b - t, rx=radius, ry=radius, **kw)}/>\n'


def baseline(rect, size):
    """Baseline that centres Comfortaa capitals of this size in the rectangle."""
    return centre(rect)[1] + size * 0.78 / 2


# ---------------------------------------------------------------------------------------------
# The landscape behind the menu and the playfield.

def cloud(cx, cy, s):
    bumps = [(-38, 6, 20), (-16, -8, 26), (14, -12, 30), (40, 2, 22), (0, 10, 24), (-30, 14, 16), (28, 14, 18)]
    circles = [(cx + dx * s, cy + dy * s, r * s) for dx, dy, r in bumps]
    out = ''.join(f'<circle {attrs(cx=x, cy=y, r=r)} fill="#7FB8DA" stroke="#7FB8DA" stroke-width="5"/>\n'
                  for x, y, r in circles)
    out += ''.join(f'<circle {attrs(cx=x, cy=y, r=r)} fill="url(#cloud)"/>\n' for x, y, r in circles)
    # a soft light patch on the top bump
    out += f'<ellipse {attrs(cx=cx + 8 * s, cy=cy - 22 * s, rx=12 * s, ry=6 * s)} fill="#FFFFFF" opacity="0.9"/>\n'
    return out


def tuft(x, y, s=1.0, colour=GRASS_DK):
    return (f'<path d="M{fmt(x - 7 * s)},{fmt(y)} Q{fmt(x - 6 * s)},{fmt(y - 9 * s)} {fmt(x - 10 * s)},{fmt(y - 16 * s)} '
            f'Q{fmt(x - 2 * s)},{fmt(y - 10 * s)} {fmt(x)},{fmt(y - 4 * s)} '
            f'Q{fmt(x + 1 * s)},{fmt(y - 14 * s)} {fmt(x + 3 * s)},{fmt(y - 20 * s)} '
            f'Q{fmt(x + 5 * s)},{fmt(y - 10 * s)} {fmt(x + 3 * s)},{fmt(y - 3 * s)} '
            f'Q{fmt(x + 8 * s)},{fmt(y - 10 * s)} {fmt(x + 13 * s)},{fmt(y - 13 * s)} '
            f'Q{fmt(x + 9 * s)},{fmt(y - 5 * s)} {fmt(x + 8 * s)},{fmt(y)} Z" fill="{colour}"/>\n')


def flower(x, y, petal, s=1.0):
    out = f'<path d="M{fmt(x)},{fmt(y + 12 * s)} Q{fmt(x + 2 * s)},{fmt(y + 5 * s)} {fmt(x)},{fmt(y)}" ' \
          f'stroke="{GRASS_DK}" stroke-width="{fmt(2 * s)}" fill="none"/>\n'
    for k in range(5):
        import math
        a = k * 2 * math.pi / 5 - math.pi / 2
        out += f'<circle {attrs(cx=x + math.cos(a) * 4.2 * s, cy=y + math.sin(a) * 4.2 * s, r=3.3 * s)} ' \
               f'fill="{petal}" stroke="{INK}" stroke-width="{fmt(1.2 * s)}"/>\n'
    out += f'<circle {attrs(cx=x, cy=y, r=2.8 * s)} fill="{GOLD}" stroke="{INK}" stroke-width="{fmt(1.2 * s)}"/>\n'
    return out


def sun(cx, cy):
    import math
    out = f'<circle {attrs(cx=cx, cy=cy, r=52)} fill="#FFF7C2" opacity="0.55" filter="url(#soft)"/>\n'
    for k in range(12):
        a = k * 30
        out += (f'<g transform="rotate({a} {cx} {cy})"><rect {attrs(x=cx - 4.5, y=cy - 47, width=9, height=15, rx=4.5)} '
                f'fill="{GOLD}" stroke="{INK}" stroke-width="2.5"/></g>\n')
    out += f'<circle {attrs(cx=cx, cy=cy, r=27)} fill="url(#sun)" stroke="{INK}" stroke-width="3"/>\n'
    out += f'<ellipse {attrs(cx=cx - 9, cy=cy - 11, rx=8, ry=5)} fill="#FFFFFF" opacity="0.75"/>\n'
    # a sleepy smile
    out += (f'<path d="M{cx - 12},{cy - 1} q4,-5 8,0 M{cx + 4},{cy - 1} q4,-5 8,0" stroke="{INK}" stroke-width="2.5" '
            f'fill="none" stroke-linecap="round"/>\n')
    out += (f'<path d="M{cx - 8},{cy + 8} q8,8 16,0" stroke="{INK}" stroke-width="2.5" fill="none" '
            f'stroke-linecap="round"/>\n')
    out += f'<circle {attrs(cx=cx - 16, cy=cy + 6, r=3.5)} fill="#FF9F7A" opacity="0.8"/>\n'
    out += f'<circle {attrs(cx=cx + 16, cy=cy + 6, r=3.5)} fill="#FF9F7A" opacity="0.8"/>\n'
    return out


def landscape():
    # The yellow texts of play stand in the band y 280..440 (captions at 300, the catch points rising from 400):
    # the sky deepens there and the far hills dip out of its middle, so yellow reads on it.
    defs = (linear('sky', (0, SKY_TOP), (0.3, '#49A6E8'), (0.46, '#2A7CCB'), (0.75, '#236FBF'), (1, '#2C79C6'))
            + radial('sun', (0, '#FFF6B8'), (0.6, GOLD), (1, '#FFB627'), cx=0.4, cy=0.35, r=0.7)
            + linear('cloud', (0, '#FFFFFF'), (0.6, '#FFFFFF'), (1, '#DDF0FC'))
            + linear('farhill', (0, '#B9E59A'), (1, '#8CCB6A'))
            + linear('hill', (0, '#A6E077'), (1, '#79C552'))
            + linear('ground', (0, GRASS), (0.45, '#58AE3C'), (1, GRASS_DK))
            + radial('tree', (0, '#9BDB63'), (0.7, '#5EAE3A'), (1, '#3F8F2E'), cx=0.4, cy=0.35, r=0.7)
            + blur('soft', 8))
    b = f'<rect x="0" y="0" width="{W}" height="{H}" fill="url(#sky)"/>\n'
    b += sun(752, 52)
    b += cloud(90, 250, 0.8) + cloud(700, 190, 1.0) + cloud(520, 236, 0.62) + cloud(300, 150, 0.55)
    # far hills
    b += ('<path d="M-10,434 C60,392 130,386 200,408 C260,426 300,440 350,444 C400,448 440,446 480,438 '
          'C530,426 560,402 610,398 C680,392 740,370 800,384 L800,600 L0,600 Z" fill="url(#farhill)" '
          'stroke="#5E9E3C" stroke-width="2.5"/>\n')
    # round trees on the far hills
    for x, y, r in [(128, 396, 17), (152, 402, 12), (560, 392, 15), (668, 384, 18), (694, 392, 12)]:
        b += f'<rect {attrs(x=x - 2.5, y=y, width=5, height=r + 4)} fill="#8A5A2B" stroke="{INK}" stroke-width="1.5"/>\n'
        b += f'<circle {attrs(cx=x, cy=y - r * 0.3, r=r)} fill="url(#tree)" stroke="{INK}" stroke-width="2.5"/>\n'
    # near hills
    b += (f'<path d="M-10,470 C80,440 150,436 230,452 C300,466 350,470 400,462 C470,450 520,430 600,436 '
          f'C680,442 740,462 810,452 L810,610 L-10,610 Z" fill="url(#hill)" stroke="{INK}" stroke-width="2.5"/>\n')
    # the meadow in front
    b += (f'<path d="M-10,507 C90,494 170,500 260,508 C330,514 360,500 400,498 C450,496 480,512 560,510 '
          f'C650,508 720,494 810,500 L810,610 L-10,610 Z" fill="url(#ground)" stroke="{INK}" stroke-width="3"/>\n')
    b += ('<path d="M0,512 C90,500 170,506 260,514 C330,520 360,506 400,504 C450,502 480,518 560,516 '
          'C650,514 720,500 800,506" fill="none" stroke="#9BE07A" stroke-width="3" opacity="0.8"/>\n')
    for x, y, s in [(34, 540, 1.0), (120, 560, 1.2), (205, 532, 0.9), (262, 585, 1.1), (296, 538, 0.8),
                    (520, 548, 1.0), (600, 584, 1.2), (640, 534, 0.9), (735, 560, 1.1), (782, 530, 0.8),
                    (70, 590, 0.9), (560, 595, 0.8)]:
        b += tuft(x, y, s)
    for x, y, c in [(86, 528, '#FFFFFF'), (240, 552, '#FF8FB1'), (272, 530, '#FFFFFF'), (535, 526, '#FF8FB1'),
                    (690, 540, '#FFFFFF'), (760, 584, '#FF8FB1'), (30, 572, '#FF8FB1'), (585, 562, '#FFFFFF')]:
        b += flower(x, y, c)
    return svg(W, H, b, defs)


# ---------------------------------------------------------------------------------------------
# The menu: the title, a signpost with the six items, and their highlights.

def logo():
    size, y = 84, 114
    defs = (linear_abs('green', 0, y - 62, 0, y, (0, '#D2F58F'), (0.5, LIME), (1, LIME_SH))
            + linear_abs('orange', 0, y - 62, 0, y, (0, '#FFE77A'), (0.45, GOLD), (1, ORANGE))
            + f'<clipPath id="top"><rect x="0" y="0" width="{W}" height="{y - 36}"/></clipPath>\n')

    def title(fill_a, fill_b, extra=''):
        return (f'<text x="400" y="{y}" font-size="{size}" {FONT} text-anchor="middle"{extra}>'
                f'<tspan fill="{fill_a}">Grom </tspan><tspan fill="{fill_b}">Wumbler</tspan></text>\n')

    b = '<g transform="rotate(-3 400 80)">\n'
    # the tongue swooping under the title, with its sticky tip
    # it swoops clear of the first signboard's row
    tongue = 'M112,124 C220,156 470,142 580,132 S660,120 676,106'
    b += f'<path d="{tongue}" fill="none" stroke="{INK}" stroke-width="17" stroke-linecap="round"/>\n'
    b += f'<path d="{tongue}" fill="none" stroke="{PINK}" stroke-width="11" stroke-linecap="round"/>\n'
    b += ('<path d="M130,131 C230,154 470,144 596,134" fill="none" stroke="#FFB3B3" stroke-width="3" '
          'stroke-linecap="round"/>\n')
    b += f'<ellipse cx="682" cy="104" rx="16" ry="13" fill="{PINK}" stroke="{INK}" stroke-width="3"/>\n'
    b += '<ellipse cx="677" cy="99" rx="6" ry="4" fill="#FFFFFF" opacity="0.8"/>\n'
    # drop shadow, outline, fill, gloss
    b += (f'<text x="403" y="{y + 7}" font-size="{size}" {FONT} text-anchor="middle" fill="{INK}" '
          f'stroke="{INK}" stroke-width="14" stroke-linejoin="round">Grom Wumbler</text>\n')
    b += (f'<text x="400" y="{y}" font-size="{size}" {FONT} text-anchor="middle" fill="{INK}" '
          f'stroke="{INK}" stroke-width="12" stroke-linejoin="round">Grom Wumbler</text>\n')
    b += title('url(#green)', 'url(#orange)')
    b += f'<g clip-path="url(#top)" opacity="0.45">' + title('#FFFFFF', '#FFFFFF') + '</g>\n'
    b += '</g>\n'
    return svg(W, H, b, defs)


# Each item's board covers the very rectangle that answers the mouse, so the boards differ in length.
POST_X = 214           # the post stands behind the boards' left ends
MENU_LABEL_SIZE = 23
MENU_RADIUS, MENU_STROKE = 7, 3


def menu_defs():
    return (linear('plank', (0, WOOD_HI), (0.45, WOOD), (1, WOOD_SH))
            + linear('post', (0, '#D89A4E'), (0.5, '#C07F38'), (1, '#93581F'), x2=1, y2=0)
            + linear('pill', (0, '#7A4320'), (0.5, '#5A2E0E'), (1, '#3E1E08')))


def board(rect, radius, stroke):
    """A wooden board whose outline runs along rect."""
    return rrect(rect, radius, fill='url(#plank)', stroke=INK, stroke_width=stroke)


def menu_face(rect):
    """The menu board's outline runs inside its hit rectangle, clear of the rectangle's own edge (which does not
    answer the mouse), so a click anywhere on the painted board answers."""
    return inset(rect, MENU_STROKE / 2 + 1)


def board_lit(rect, radius, stroke):
    """The lit face of a board: dark wood with a glowing rim, painted inside the board's outline, so a
    highlight picture cut at the hit rectangle meets the board at rest along its whole edge."""
    face = inset(rect, stroke / 2)
    r = max(radius - stroke / 2, 1)
    l, t, rr, b = face
    out = rrect(face, r, fill='url(#pill)')
    out += rrect(inset(face, 1.5), max(r - 1.5, 1), fill='none', stroke=HILITE, stroke_width=2)
    out += rrect((l + 5, t + 3, rr - 5, t + (b - t) * 0.45), (b - t) * 0.2, fill='#FFFFFF', opacity=0.12)
    return out


def nail(x, y):
    return f'<circle {attrs(cx=x, cy=y)} r="3.2" fill="#B9B2A8" stroke="{INK}" stroke-width="1.5"/>\n'


def menu_label_x(rect):
    """Labels are centred on the board's free part, right of the post."""
    return (POST_X + 12 + rect[2]) / 2


def grain(rect):
    l, t, r, b = rect
    cy, w = (t + b) / 2, r - l
    return (f'<path d="M{fmt(l + 30)},{fmt(cy - 7)} q{fmt(w * 0.25)},-4 {fmt(w * 0.45)},0 t{fmt(w * 0.4)},-1 '
            f'M{fmt(l + 44)},{fmt(cy + 8)} q{fmt(w * 0.2)},3 {fmt(w * 0.38)},0 t{fmt(w * 0.3)},1" '
            f'fill="none" stroke="#E2B266" stroke-width="1.5" stroke-linecap="round"/>\n')


def menu_board():
    """The signpost with the six items at rest."""
    b = (f'<rect {attrs(x=POST_X - 8, y=170, width=16, height=352)} fill="url(#post)" stroke="{INK}" '
         f'stroke-width="3"/>\n')
    for label, rect in MENU_ITEMS:
        b += board(menu_face(rect), MENU_RADIUS, MENU_STROKE) + grain(rect) + nail(POST_X, centre(rect)[1])
        b += text(menu_label_x(rect), baseline(rect, MENU_LABEL_SIZE) - 1, label, MENU_LABEL_SIZE, LABEL)
    return svg(W, H, b, menu_defs())


def hi_label(x, y, label, size, anchor='middle'):
    glow = text(x, y, label, size, '#FF7A00', anchor, stroke='#FF7A00', stroke_width=size * 0.08,
                extra=' opacity="0.35"')
    return glow + text(x, y, label, size, '#FF9A1F', anchor)


def menu_highlights():
    b = ''
    for label, rect in MENU_ITEMS:
        b += board_lit(menu_face(rect), MENU_RADIUS, MENU_STROKE) + nail(POST_X, centre(rect)[1])
        b += hi_label(menu_label_x(rect), baseline(rect, MENU_LABEL_SIZE) - 1, label, MENU_LABEL_SIZE)
    return svg(W, H, b, menu_defs())


# ---------------------------------------------------------------------------------------------
# The three panels (options, high scores, help) share one frame and one back button.

PANEL_OUTER = (31, 158, 767, 640)     # runs off the bottom of the screen
PANEL_INNER = inset(PANEL_OUTER, 12)
TITLE_PLAQUE = (286, 160, 514, 204)
BUTTON_SIZE = 18


def panel_defs():
    return (linear('wood', (0, WOOD_HI), (0.5, WOOD), (1, WOOD_SH))
            + linear('plank', (0, WOOD_HI), (0.45, WOOD), (1, WOOD_SH))
            + linear('plaque', (0, '#FFE39A'), (0.5, '#F9C95C'), (1, '#E9A93A'))
            + linear('pill', (0, '#7A4320'), (0.5, '#5A2E0E'), (1, '#3E1E08'))
            + linear('gold', (0, '#FFF0A0'), (0.4, GOLD), (1, '#E89A12'), x2=1, y2=0.4)
            + linear('cupbase', (0, '#A0622E'), (1, '#6E3C16')))


def bolt(x, y):
    return (f'<circle {attrs(cx=x, cy=y)} r="3.5" fill="#D8CFC2" stroke="{INK}" stroke-width="1.5"/>'
            f'<circle {attrs(cx=x - 1, cy=y - 1)} r="1.2" fill="#FFFFFF"/>\n')


def panel_frame():
    l, t, r, b = PANEL_OUTER
    out = rrect((l + 3, t + 3, r + 3, b + 3), 22, fill=INK, opacity=0.3)
    out += rrect(PANEL_OUTER, 22, fill='url(#wood)', stroke=INK, stroke_width=3)
    out += rrect(PANEL_INNER, 12, fill=INNER, stroke=BORDER, stroke_width=3)
    out += rrect(inset(PANEL_INNER, 3), 10, fill='none', stroke='#F3DFA6', stroke_width=2)
    for x, y in [(l + 6, t + 6), (r - 6, t + 6), (l + 6, 594), (r - 6, 594)]:  # the lower ones below the back button
        out += bolt(x, y)
    # the title plaque, nailed over the top edge
    pl, pt, pr, pb = TITLE_PLAQUE
    out += rrect((pl + 2, pt + 3, pr + 2, pb + 3), 12, fill=INK, opacity=0.25)
    out += rrect(TITLE_PLAQUE, 12, fill='url(#plaque)', stroke=INK, stroke_width=3)
    out += rrect(inset(TITLE_PLAQUE, 4), 9, fill='none', stroke='#FFF1C2', stroke_width=1.5, opacity=0.9)
    out += bolt(pl + 11, (pt + pb) / 2) + bolt(pr - 11, (pt + pb) / 2)
    return svg(W, H, out, panel_defs())


def panel_title(label):
    return text(400, baseline(TITLE_PLAQUE, 28) + 1, label, 28, LABEL)


# Panel buttons: the outline runs inside the hit rectangle, 1 px clear of its edge, which does not answer the
# mouse.
BUTTON_STROKE = 2.5
BUTTON_PAD = 1 + BUTTON_STROKE / 2


def button_board(rect):
    face = inset(rect, BUTTON_PAD)
    return face, min(9, (face[3] - face[1]) / 2 - 2)


def button(rect, label, size=BUTTON_SIZE, arrow=None):
    """A wooden button at rest over its hit rectangle; `arrow` is 'left' or 'right' for a small pointer beside
    the label."""
    face, radius = button_board(rect)
    return board(face, radius, BUTTON_STROKE) + button_label(face, label, size, arrow, LABEL)


# Buttons this low have no room for a glowing rim inside the outline and a label clear of it: their rim glows
# on the inner half of the outline of the board at rest (drawn under the highlight), whose outer edge stays dark
# where the highlight meets it.
SMALL_BUTTON = 24
SMALL_LABEL = 14


def button_hi(rect, label, size=BUTTON_SIZE, arrow=None):
    face, radius = button_board(rect)
    if rect[3] - rect[1] <= SMALL_BUTTON:
        lit = rrect(inset(face, BUTTON_STROKE / 2), radius - BUTTON_STROKE / 2, fill='url(#pill)')
        lit += rrect(inset(face, 1.25), radius - 1.25, fill="none", stroke=HILITE, stroke_width=1.5)
        l, t, r, b = inset(face, BUTTON_STROKE / 2)
        lit += rrect((l + 5, t + 2, r - 5, t + (b - t) * 0.45), (b - t) * 0.2, fill='#FFFFFF', opacity=0.12)
    else:
        lit = board_lit(face, radius, BUTTON_STROKE)
    return lit + button_label(face, label, size, arrow, HILITE, lit=True)


def arrow_head(x, cy, direction, colour):
    d = -1 if direction == 'left' else 1
    return (f'<path d="M{fmt(x + 7 * d)},{fmt(cy)} L{fmt(x - 5 * d)},{fmt(cy - 7)} L{fmt(x - 5 * d)},{fmt(cy + 7)} Z" '
            f'fill="{colour}" stroke="{LABEL}" stroke-width="2" stroke-linejoin="round"/>\n')


def button_label(rect, label, size, arrow, colour, lit=False):
    cx, cy = centre(rect)
    y = baseline(rect, size)
    out = ''
    if arrow:
        gap = 14
        shift = gap if arrow == 'left' else -gap
        tx = cx + shift
        out += hi_label(tx, y, label, size) if lit else text(tx, y, label, size, colour)
        half = METRICS.width(label, size) / 2
        ax = tx - half - 12 if arrow == 'left' else tx + half + 12
        out += arrow_head(ax, cy, arrow, colour)
        return out
    return hi_label(cx, y, label, size) if lit else text(cx, y, label, size, colour)


def back_button():
    return svg(W, H, button(BACK, 'Назад', arrow='left'), panel_defs())


def back_highlight():
    return svg(W, H, button_hi(BACK, 'Назад', arrow='left'), panel_defs())


# Options

ROW_TITLE_X = 174
CHOICES = [(WINDOWED, 'В окне'), (FULLSCREEN, 'Во весь экран'), (MUSIC_ON, 'Вкл'), (MUSIC_OFF, 'Выкл'),
           (SOUND_ON, 'Вкл'), (SOUND_OFF, 'Выкл')]


OPTIONS_FROG = (580, 471)     # where pack.txt seats the singing creature (lower body)


def note(x, y, s, fill, double=False):
    """A music note with its head at (x, y)."""
    out = f'<ellipse {attrs(cx=x, cy=y, rx=6.5 * s, ry=5 * s)} transform="rotate(-20 {fmt(x)} {fmt(y)})" ' \
          f'fill="{fill}" stroke="{INK}" stroke-width="2"/>\n'
    stem = x + 5.5 * s
    out += f'<path d="M{fmt(stem)},{fmt(y - 1 * s)} L{fmt(stem)},{fmt(y - 26 * s)}" stroke="{INK}" stroke-width="2.5"/>\n'
    if double:
        out += (f'<ellipse {attrs(cx=x + 18 * s, cy=y - 5 * s, rx=6.5 * s, ry=5 * s)} '
                f'transform="rotate(-20 {fmt(x + 18 * s)} {fmt(y - 5 * s)})" fill="{fill}" stroke="{INK}" stroke-width="2"/>\n')
        out += (f'<path d="M{fmt(stem + 18 * s)},{fmt(y - 6 * s)} L{fmt(stem + 18 * s)},{fmt(y - 31 * s)}" '
                f'stroke="{INK}" stroke-width="2.5"/>\n')
        out += (f'<path d="M{fmt(stem)},{fmt(y - 26 * s)} L{fmt(stem + 18 * s)},{fmt(y - 31 * s)} '
                f'L{fmt(stem + 18 * s)},{fmt(y - 25 * s)} L{fmt(stem)},{fmt(y - 20 * s)} Z" fill="{INK}"/>\n')
    else:
        out += (f'<path d="M{fmt(stem)},{fmt(y - 26 * s)} q9,4 8,15 q-2,-7 -8,-8" fill="{INK}" stroke="{INK}" '
                f'stroke-width="1.5" stroke-linejoin="round"/>\n')
    return out


def options_panel():
    b = panel_title('Настройки')
    # the creature sings along (pack.txt seats it at OPTIONS_FROG)
    fx, fy = OPTIONS_FROG
    b += note(fx + 128, fy - 72, 1.0, ORANGE) + note(fx + 92, fy - 120, 0.9, '#8BD346', double=True)
    b += note(fx + 146, fy - 160, 0.8, '#FF8FB1')
    for title, rect in [('Экран', WINDOWED), ('Музыка', MUSIC_ON), ('Звуки', SOUND_ON), ('Страна', COUNTRY)]:
        b += text(ROW_TITLE_X, baseline(rect, 21), title, 21, LABEL, anchor='end')
    for rect, label in CHOICES:
        size = 18 if rect[3] - rect[1] > SMALL_BUTTON else SMALL_LABEL
        b += button(rect, label, size)
    # the game writes the country from the field's left edge and draws its focus frame FOCUS_GAP px out beside
    # it, along the pixel centres of the frame's rows and columns: the box's border runs on that very line
    l, t, r, bt = COUNTRY
    well = (l - FOCUS_GAP + 0.5, t + 0.5, r + FOCUS_GAP - 0.5, bt - 0.5)
    b += rrect(well, 3, fill='#FFFFFF', stroke=BORDER, stroke_width=3)
    b += (f'<path d="M{fmt(well[0] + 4)},{fmt(well[1] + 6)} Q{fmt(well[0] + 4)},{fmt(well[1] + 3)} '
          f'{fmt(well[0] + 9)},{fmt(well[1] + 3)} L{fmt(well[2] - 9)},{fmt(well[1] + 3)}" fill="none" '
          f'stroke="#D5DEE6" stroke-width="2" stroke-linecap="round"/>\n')
    b += text(l - 3, bt + 20, 'русскими буквами', 14, '#9A6A3A', anchor='start')
    return svg(W, H, b, panel_defs())


def options_highlights():
    b = ''
    for rect, label in CHOICES[:4]:
        size = 18 if rect[3] - rect[1] > SMALL_BUTTON else SMALL_LABEL
        b += button_hi(rect, label, size)
    return svg(W, H, b, panel_defs())


# High scores

TABLE = (52, 238, 502, 480)


def trophy(cx, top):
    """A golden cup with a star, for the best eaters."""
    defs = ''
    out = f'<ellipse {attrs(cx=cx, cy=top + 208, rx=78, ry=10)} fill="{INK}" opacity="0.15"/>\n'
    # handles
    for side in (-1, 1):
        out += (f'<path d="M{fmt(cx + side * 52)},{top + 28} q{side * 42},0 {side * 36},36 q{-side * 6},30 '
                f'{-side * 44},44" fill="none" stroke="{INK}" stroke-width="14" stroke-linecap="round"/>\n')
        out += (f'<path d="M{fmt(cx + side * 52)},{top + 28} q{side * 42},0 {side * 36},36 q{-side * 6},30 '
                f'{-side * 44},44" fill="none" stroke="{GOLD}" stroke-width="8" stroke-linecap="round"/>\n')
    # base and stem
    out += rrect((cx - 50, top + 178, cx + 50, top + 204), 6, fill='url(#cupbase)', stroke=INK, stroke_width=3)
    out += rrect((cx - 36, top + 168, cx + 36, top + 182), 4, fill='url(#gold)', stroke=INK, stroke_width=3)
    out += (f'<path d="M{cx - 12},{top + 122} L{cx + 12},{top + 122} L{cx + 18},{top + 170} L{cx - 18},{top + 170} Z" '
            f'fill="url(#gold)" stroke="{INK}" stroke-width="3" stroke-linejoin="round"/>\n')
    # the bowl
    out += (f'<path d="M{cx - 60},{top + 14} L{cx + 60},{top + 14} C{cx + 60},{top + 80} {cx + 40},{top + 124} {cx},{top + 126} '
            f'C{cx - 40},{top + 124} {cx - 60},{top + 80} {cx - 60},{top + 14} Z" fill="url(#gold)" stroke="{INK}" '
            f'stroke-width="3" stroke-linejoin="round"/>\n')
    out += f'<ellipse {attrs(cx=cx, cy=top + 14, rx=60, ry=9)} fill="#FFE98A" stroke="{INK}" stroke-width="3"/>\n'
    out += f'<path d="M{cx - 40},{top + 34} C{cx - 40},{top + 70} {cx - 30},{top + 96} {cx - 16},{top + 108}" ' \
           f'fill="none" stroke="#FFFFFF" stroke-width="6" stroke-linecap="round" opacity="0.7"/>\n'
    out += star(cx + 6, top + 64, 22, '#FFFFFF', 2.5).replace('fill="#FFFFFF"', f'fill="{ORANGE}"')
    out += rrect((cx - 40, top + 184, cx + 40, top + 198), 3, fill='#FFF3B0', stroke=GOLD_SH, stroke_width=1.5)
    for x, y, r in [(cx - 78, top + 30, 8), (cx + 82, top + 110, 6), (cx + 70, top - 8, 5)]:
        out += star(x, y, r, GOLD_HI)
    return out


def scores_panel():
    b = panel_title('Рекорды')
    b += trophy(636, 250)
    l, t, r, bt = TABLE
    b += rrect(TABLE, 10, fill='#FFFBEC', stroke=BORDER, stroke_width=2.5)
    for row in range(1, 10, 2):
        y = 246 + 23 * row
        b += f'<rect {attrs(x=l + 2, y=y, width=r - l - 4, height=23)} fill="#F8EAC3"/>\n'
    for x, label in [(58, '№'), (126, 'Имя'), (410, 'Очки')]:
        b += text(x, t - 6, label, 14, '#9A6A3A', anchor='start')
    b += button(CLEAR_TABLE, 'Очистить таблицу', SMALL_LABEL)
    b += button(ONLINE_TABLE, 'Таблица рекордов в интернете', SMALL_LABEL)
    return svg(W, H, b, panel_defs())


def scores_highlights():
    b = button_hi(CLEAR_TABLE, 'Очистить таблицу', SMALL_LABEL)
    b += button_hi(ONLINE_TABLE, 'Таблица рекордов в интернете', SMALL_LABEL)
    return svg(W, H, b, panel_defs())


# Help

def help_panel():
    b = panel_title('Помощь')
    b += button(PREV_PAGE, 'Предыдущая', arrow='left')
    b += button(NEXT_PAGE, 'Следующая', arrow='right')
    return svg(W, H, b, panel_defs())


def help_highlights():
    b = button_hi(PREV_PAGE, 'Предыдущая', arrow='left')
    b += button_hi(NEXT_PAGE, 'Следующая', arrow='right')
    return svg(W, H, b, panel_defs())


# ---------------------------------------------------------------------------------------------
# The question box, drawn at (210, 200). Its texts run from x = 230 to about 608 on screen, so the box is
# 430 wide. The game writes yellow questions, red warnings and the green name on its face, a night sky dark
# enough for all three; the answers sit on a dark wooden bar below, where the yellow answer reads and the game
# lays a pale plate under the chosen (green) one.

DIALOG_W, DIALOG_H = 430, 200
DIALOG_FACE = (11, 11, DIALOG_W - 11, DIALOG_H - 11)
ANSWER_BAR = (22, 136, DIALOG_W - 22, 184)    # the captions are drawn at y = 340 on screen


def star(cx, cy, r, fill, stroke_width=1.5):
    pts = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        rr = r if k % 2 == 0 else r * 0.45
        pts.append(f'{fmt(cx + math.cos(a) * rr)},{fmt(cy + math.sin(a) * rr)}')
    return (f'<polygon points="{" ".join(pts)}" fill="{fill}" stroke="{INK}" stroke-width="{fmt(stroke_width)}" '
            f'stroke-linejoin="round"/>\n')


def dialog():
    defs = (linear('wood', (0, WOOD_HI), (0.5, WOOD), (1, WOOD_SH))
            + radial('night', (0, '#1B1F4A'), (1, '#0E1030'), cx=0.5, cy=0.3, r=0.8)
            + linear('bar', (0, '#4A2C18'), (0.5, '#3A2414'), (1, '#2B1A10')))
    b = f'<rect x="0" y="0" width="{DIALOG_W}" height="{DIALOG_H}" fill="{INK}"/>\n'
    b += rrect((1.5, 1.5, DIALOG_W - 1.5, DIALOG_H - 1.5), 16, fill='url(#wood)', stroke=INK, stroke_width=3)
    b += rrect(DIALOG_FACE, 9, fill='url(#night)', stroke=BORDER, stroke_width=3)
    b += rrect(inset(DIALOG_FACE, 3), 7, fill='none', stroke='#2E3472', stroke_width=1.5)
    for x, y, r in [(26, 28, 7), (DIALOG_W - 26, 28, 7)]:
        b += star(x, y, r, GOLD)
    for x, y, r in [(46, 22, 1.6), (DIALOG_W - 48, 44, 1.6), (19, 124, 1.3), (DIALOG_W - 18, 100, 1.3),
                    (DIALOG_W / 2 + 40, 20, 1.2), (DIALOG_W / 2 - 90, 24, 1.2)]:
        b += f'<circle {attrs(cx=x, cy=y, r=r)} fill="#FFF3B0"/>\n'
    l, t, r, bt = ANSWER_BAR
    b += rrect((l + 1, t + 2, r + 1, bt + 2), 10, fill='#05060F', opacity=0.5)
    b += rrect(ANSWER_BAR, 10, fill='url(#bar)', stroke=BORDER, stroke_width=2.5)
    b += rrect(inset(ANSWER_BAR, 3), 8, fill='none', stroke='#6B4A2E', stroke_width=1.5)
    for x, y in [(6, 6), (DIALOG_W - 6, 6), (6, DIALOG_H - 6), (DIALOG_W - 6, DIALOG_H - 6)]:
        b += f'<circle {attrs(cx=x, cy=y)} r="2.2" fill="#D8CFC2" stroke="{INK}" stroke-width="1"/>\n'
    return svg(DIALOG_W, DIALOG_H, b, defs)


# ---------------------------------------------------------------------------------------------
# The playfield's own parts: the level clock's trough and the plates behind the status numbers.

def hud():
    defs = (linear('wood', (0, WOOD_HI), (0.5, WOOD), (1, WOOD_SH))
            + linear('plate', (0, '#4A2C18'), (1, '#2B1A10'))
            + linear('trough', (0, '#1C110A'), (1, '#3A2414')))
    l, t, r, b_ = LEVEL_TROUGH
    b = rrect((l - 14 + 2, t - 10 + 3, r + 14 + 2, b_ + 10 + 3), 14, fill=INK, opacity=0.25)
    b += rrect((l - 14, t - 10, r + 14, b_ + 10), 14, fill='url(#wood)', stroke=INK, stroke_width=3)
    b += rrect((l - 3, t - 3, r + 3, b_ + 3), 6, fill='url(#trough)', stroke=BORDER, stroke_width=2)
    b += bolt(l - 7, (t + b_) / 2) + bolt(r + 7, (t + b_) / 2)
    # a little clock at the left end of the bar
    cx, cy = 70, 44
    b += f'<circle {attrs(cx=cx, cy=cy)} r="17" fill="#FFFFFF" stroke="{INK}" stroke-width="3"/>\n'
    b += f'<circle {attrs(cx=cx, cy=cy)} r="13" fill="none" stroke="{ORANGE}" stroke-width="2.5"/>\n'
    b += (f'<path d="M{cx},{cy - 9} L{cx},{cy} L{cx + 7},{cy + 4}" stroke="{INK}" stroke-width="2.5" fill="none" '
          f'stroke-linecap="round" stroke-linejoin="round"/>\n')
    b += f'<rect {attrs(x=cx - 4, y=cy - 25, width=8, height=6, rx=2)} fill="{ORANGE}" stroke="{INK}" stroke-width="2"/>\n'
    # the status plates: captions end before the numbers' columns (145 and 710)
    for plate in [(6, 537, 246, 606), (598, 542, 794, 606)]:
        b += rrect((plate[0] + 2, plate[1] + 3, plate[2] + 2, plate[3] + 3), 14, fill=INK, opacity=0.3)
        b += rrect(plate, 14, fill='url(#plate)', stroke=WOOD_SH, stroke_width=3)
        b += rrect(inset(plate, 4), 10, fill='none', stroke='#6B4A2E', stroke_width=1.5)
    for label, x, y in [('Уровень', 137, 562), ('Очки', 137, 592), ('Съедено', 702, 567), ('Цель', 702, 592)]:
        b += text(x, y, label, 17, INNER, anchor='end')
    return svg(W, H, b, defs)


def level_bar():
    w, h = 572, 27
    defs = (linear('bar', (0, '#62C23A'), (0.45, '#B6E23C'), (0.75, GOLD), (1, ORANGE), x2=1, y2=0)
            + linear('gloss', (0, '#FFFFFF'), (1, '#FFFFFF'))
            + f'<pattern id="stripes" width="22" height="{h}" patternUnits="userSpaceOnUse">'
              f'<path d="M0,{h} L11,0 L22,0 L11,{h} Z" fill="#FFFFFF" opacity="0.16"/></pattern>\n')
    b = f'<rect x="0" y="0" width="{w}" height="{h}" fill="url(#bar)"/>\n'
    b += f'<rect x="0" y="0" width="{w}" height="{h}" fill="url(#stripes)"/>\n'
    b += f'<rect x="0" y="2" width="{w}" height="8" fill="#FFFFFF" opacity="0.35"/>\n'
    b += f'<rect x="0" y="{h - 6}" width="{w}" height="6" fill="#2E6B1A" opacity="0.22"/>\n'
    return svg(w, h, b, defs)


# ---------------------------------------------------------------------------------------------
# Help pages: drawn over the help panel and cut at PAGE. The creatures' pictures are not drawn
# here: pack.txt lays frames of the sprite strips over these pages at the places in SPRITE_SPOTS.

BODY_SIZE = 19
LINE = 29
TEXT_LEFT, TEXT_RIGHT = 62, 742
ACCENT = '#D9620B'         # highlighted words in the help text
MUTED = '#9A6A3A'

# Frame sizes of the flyers' strips, by kind (frames side by side).
KIND_FRAME = {0: (46, 70), 1: (41, 71), 2: (37, 63), 3: (35, 55), 4: (64, 74), 5: (40, 40), 6: (30, 45),
              7: (62, 79), 8: (73, 92)}


def rich(x, y, line, size, anchor='start', colour=LABEL, accent=ACCENT, limit=None):
    """One line of text; *words between stars* are drawn in the accent colour."""
    plain = line.replace('*', '')
    width = METRICS.width(plain, size)
    if limit is not None and width > limit:
        raise ValueError(f'"{plain}" is {width:.0f} px wide, more than {limit}')
    parts = line.split('*')
    spans = ''
    for k, part in enumerate(parts):
        if part:
            part = part.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')
            spans += f'<tspan fill="{accent if k % 2 else colour}">{part}</tspan>'
    return (f'<text x="{fmt(x)}" y="{fmt(y)}" font-size="{fmt(size)}" {FONT} fill="{colour}" '
            f'text-anchor="{anchor}" xml:space="preserve">{spans}</text>\n')


def page_heading(label, number):
    out = text(400, 243, label, 27, LABEL)
    w = METRICS.width(label, 27)
    for side in (-1, 1):
        x = 400 + side * (w / 2 + 22)
        out += star(x, 234, 8, GOLD)
    for k in range(1, 6):
        x = 400 + (k - 3) * 18
        lit = k == number
        out += (f'<circle {attrs(cx=x, cy=478, r=5.5 if lit else 4)} fill="{ORANGE if lit else "#E8CF9A"}" '
                f'stroke="{LABEL if lit else "#C9A465"}" stroke-width="1.5"/>\n')
    return out


def page_defs():
    return (linear('key', (0, '#FFFFFF'), (1, '#EFE6D6'))
            + linear('card', (0, '#FFFDF5'), (1, '#FBEBC4'))
            + linear('badcard', (0, '#FFF4F0'), (1, '#FFD9CF'))
            + linear('icecard', (0, '#F4FCFF'), (1, ICE)))


def key_cap(x, y, label, width=None, size=15):
    width = width or max(34, METRICS.width(label, size) + 18)
    h = 30
    out = rrect((x, y + 3, x + width, y + h + 3), 7, fill='#B8A587', stroke=INK, stroke_width=2)
    out += rrect((x, y, x + width, y + h), 7, fill='url(#key)', stroke=INK, stroke_width=2)
    if label:
        out += text(x + width / 2, y + h / 2 + size * 0.38, label, size, LABEL)
    return out, width


def arrow_key(x, y, direction):
    out, w = key_cap(x, y, '', 34)
    cx, cy = x + 17, y + 15
    pts = {'left': [(-6, 0), (4, -6), (4, 6)], 'right': [(6, 0), (-4, -6), (-4, 6)],
           'up': [(0, -6), (-6, 4), (6, 4)], 'down': [(0, 6), (-6, -4), (6, -4)]}[direction]
    out += (f'<polygon points="{" ".join(f"{fmt(cx + px)},{fmt(cy + py)}" for px, py in pts)}" '
            f'fill="{LABEL}"/>\n')
    return out, w


def keys_row(x, y, items):
    """Key caps and words in a row: items are ('key', label), ('arrow', dir) or ('word', text)."""
    out = ''
    for kind, value in items:
        if kind == 'key':
            part, w = key_cap(x, y, value)
        elif kind == 'arrow':
            part, w = arrow_key(x, y, value)
        else:
            part = rich(x, y + 22, value, BODY_SIZE)
            w = METRICS.width(value.replace('*', ''), BODY_SIZE)
        out += part
        x += w + 8
    if x > TEXT_RIGHT + 8:
        raise ValueError(f'key row at {y} runs to {x}')
    return out


def mouse_icon(x, y):
    out = f'<rect {attrs(x=x, y=y, width=24, height=34, rx=12)} fill="url(#key)" stroke="{INK}" stroke-width="2"/>\n'
    out += f'<path d="M{x + 12},{y} L{x + 12},{y + 14} M{x},{y + 14} L{x + 24},{y + 14}" stroke="{INK}" stroke-width="1.5"/>\n'
    out += (f'<path d="M{x + 12},{y + 1} L{x + 12},{y + 14} L{x + 1},{y + 14} Q{x + 1},{y + 1} {x + 12},{y + 1} Z" '
            f'fill="{ORANGE}"/>\n')
    out += f'<path d="M{x + 12},{y} q2,-8 10,-10" stroke="{INK}" stroke-width="2" fill="none"/>\n'
    return out


def tongue(x1, y1, x2, y2, bend=0.0):
    """A tongue from the mouth (x1, y1) to its sticky tip at (x2, y2)."""
    mx, my = (x1 + x2) / 2 + bend * (y2 - y1), (y1 + y2) / 2 - bend * (x2 - x1)
    d = f'M{fmt(x1)},{fmt(y1)} Q{fmt(mx)},{fmt(my)} {fmt(x2)},{fmt(y2)}'
    out = f'<path d="{d}" fill="none" stroke="{INK}" stroke-width="11" stroke-linecap="round"/>\n'
    out += f'<path d="{d}" fill="none" stroke="{PINK}" stroke-width="7" stroke-linecap="round"/>\n'
    out += f'<circle {attrs(cx=x2, cy=y2)} r="9" fill="{PINK}" stroke="{INK}" stroke-width="2.5"/>\n'
    out += f'<circle {attrs(cx=x2 - 3, cy=y2 - 3)} r="2.5" fill="#FFFFFF" opacity="0.8"/>\n'
    return out


def card(rect, bad=False, ice=False):
    fill, edge = ('url(#icecard)', '#8FCFEA') if ice else ('url(#badcard)', '#E0A9A0') if bad else \
        ('url(#card)', '#E3C27E')
    return rrect(rect, 12, fill=fill, stroke=edge, stroke_width=2)


# Where pack.txt lays sprites over each page (file, x, y, and the frame's source crop or None).
def frame(kind, x, y, index=0):
    w, h = KIND_FRAME[kind]
    return (f'sprites/enemy{kind}.svg', x, y, (index * w, 0, w, h))


PAGE1_FROG = (532, 360)               # lower body; the upper body sits 26 right and 65 up
PAGE1_BUG = (676, 266)
PAGE2_FROG = (592, 388)
PAGE2_BUG = (714, 392)
PAGE3_CELLS = [(4, '+10', 'муха'), (7, '+20', 'жук'), (6, '+30', 'светлячок'), (1, '+50', 'бабочка'),
               (5, '+50', 'изумрудник'), (8, '+50', 'жук-король'), (0, '−40', 'оса')]
PAGE3_LEFT, PAGE3_STEP, PAGE3_FLOOR = 62, 97, 362
PAGE4_ICE = (89, 270)
PAGE4_SHOCK = (90, 384)
PAGE5_FROG = (626, 366)
PAGE4_FROG = (612, 380)


def page3_spots():
    spots = []
    for k, (kind, _, _) in enumerate(PAGE3_CELLS):
        w, h = KIND_FRAME[kind]
        cx = PAGE3_LEFT + PAGE3_STEP * k + PAGE3_STEP / 2 - 4
        spots.append(frame(kind, round(cx - w / 2), PAGE3_FLOOR - h))
    return spots


PAGE_DRAWING = 'page'   # marks where the page's own drawing goes among the sprites


def pupils(body_x, body_y, dx, dy):
    """The two pupils of an upper body at (body_x, body_y), looking (dx, dy) off centre."""
    return [('sprites/pupil.svg', body_x + centre_x - 4 + dx, body_y + 32 - 4 + dy, None) for centre_x in (39, 65)]


def sprite_spots():
    """Per page, the sprites and the page drawing in painting order."""
    fx, fy = PAGE1_FROG
    gx, gy = PAGE4_FROG
    return {
        # the tongues are drawn over the mouths, the caught flyers over the tongues' tips
        1: [('sprites/grom_down_small.svg', fx, fy, None), ('sprites/grom_up_open.svg', fx + 26, fy - 65, None)]
        + pupils(fx + 26, fy - 65, 3, -3) + [PAGE_DRAWING, frame(4, *PAGE1_BUG)],
        2: [('sprites/grom_up_open.svg', *PAGE2_FROG, None)] + pupils(*PAGE2_FROG, 3, -2)
        + [PAGE_DRAWING, frame(6, *PAGE2_BUG), frame(7, 640, 236, 1)],
        3: [PAGE_DRAWING] + page3_spots(),
        4: [PAGE_DRAWING, frame(2, *PAGE4_ICE), frame(3, *PAGE4_SHOCK), ('sprites/grom_up_open.svg', gx, gy, None),
            ('sprites/stun_a.svg', gx + 22, gy + 13, None)],
        5: [PAGE_DRAWING, ('sprites/grom_up_closed.svg', *PAGE5_FROG, None)] + pupils(*PAGE5_FROG, -2, 1),
    }


MANIFEST_BEGIN = '# >>> help page scenes, written by screens/make_screens.py --manifest\n'
MANIFEST_END = '# <<< help page scenes\n'


def page_scenes():
    out = MANIFEST_BEGIN
    for page, spots in sprite_spots().items():
        out += f'scene help_page{page} 800 600\n  layer help 0 0\n'
        for spot in spots:
            if spot == PAGE_DRAWING:
                out += f'  layer screens/help_page{page}.svg 0 0\n'
                continue
            path, x, y, crop = spot
            out += f'  layer {path} {x} {y}' + (' {} {} {} {}'.format(*crop) if crop else '') + '\n'
        out += 'end\n'
    return out + MANIFEST_END


def update_manifest():
    """Rewrites the help pages' scenes in pack.txt, so the sprites stay where the pages expect them."""
    path = os.path.join(HERE, '..', 'pack.txt')
    manifest = open(path, encoding='utf-8').read()
    begin, end = manifest.index(MANIFEST_BEGIN), manifest.index(MANIFEST_END) + len(MANIFEST_END)
    with open(path, 'w', encoding='utf-8') as f:
        f.write(manifest[:begin] + page_scenes() + manifest[end:])


def help_page1():
    b = page_heading('Как играть', 1)
    lines = ['Лови языком *летающих букашек* и ешь их!',
             'Прицел качается сам — стреляй вовремя.',
             '*Уровень N* длится N × 1100 кадров',
             '(это около N × 17 секунд).',
             'Цель уровня — съесть на *N × 150 очков*.',
             'Не набрал цель — *игра окончена*.',
             'Жизней нет, так что не зевай!']
    for k, line in enumerate(lines):
        b += rich(TEXT_LEFT, 282 + LINE * k, line, BODY_SIZE, limit=520)
    fx, fy = PAGE1_FROG
    mouth = (fx + 26 + 54, fy - 65 + 70)
    bx, by = PAGE1_BUG
    b += tongue(mouth[0] + 2, mouth[1] - 4, bx + 22, by + 52, bend=-0.08)
    return svg(W, H, b, page_defs())


def help_page2():
    b = page_heading('Огонь!', 2)
    b += mouse_icon(TEXT_LEFT, 262)
    b += keys_row(TEXT_LEFT + 34, 264, [('word', 'кнопка мыши,'), ('key', 'Ctrl'), ('key', 'Enter'),
                                        ('word', 'или'), ('key', 'Пробел')])
    lines = ['Язык летит *по прицелу* и хватает всё,',
             'чего коснётся, а потом тащит *прямо в рот*.',
             'На обратном пути язык *тоже ловит* —',
             'так можно поймать сразу нескольких!']
    for k, line in enumerate(lines):
        b += rich(TEXT_LEFT, 345 + LINE * k, line, BODY_SIZE, limit=540)
    mouth = (PAGE2_FROG[0] + 54, PAGE2_FROG[1] + 70)
    bx, by = PAGE2_BUG
    b += tongue(mouth[0] + 2, mouth[1] - 4, bx + 12, by + 28, bend=-0.06)
    return svg(W, H, b, page_defs())


def help_page3():
    b = page_heading('Кто сколько стоит', 3)
    for k, (kind, points, name) in enumerate(PAGE3_CELLS):
        cx = PAGE3_LEFT + PAGE3_STEP * k + PAGE3_STEP / 2 - 4
        bad = points.startswith('−')
        b += card((cx - 44, 262, cx + 44, 432), bad)
        b += text(cx, 397, points, 25, DANGER if bad else '#3F8F2E', stroke='#FFFFFF', stroke_width=3)
        b += text(cx, 420, name, 13, LABEL)
        if METRICS.width(name, 13) > 84:
            raise ValueError(name)
    b += rich(400, 466, 'Счёт никогда не бывает *меньше нуля*.', BODY_SIZE, anchor='middle', limit=600)
    return svg(W, H, b, page_defs())


def help_page4():
    b = page_heading('Особые букашки', 4)
    b += card((62, 256, 152, 346), ice=True)
    b += rich(172, 282, '*Ледышка* — 0 очков, зато замораживает', BODY_SIZE, limit=560)
    b += rich(172, 310, 'всех букашек на время. Часы уровня', BODY_SIZE, limit=560)
    b += rich(172, 338, 'тоже стоят — лови, пока все замерли!', BODY_SIZE, limit=560)
    b += card((62, 366, 152, 456), bad=True)
    b += rich(172, 394, '*Электрожук* — минус 30 очков.', BODY_SIZE, limit=410)
    b += rich(172, 422, 'Он оглушает тебя', BODY_SIZE, limit=410)
    b += rich(172, 450, 'секунды на четыре.', BODY_SIZE, limit=410)
    # snowflakes round the ice bug
    for x, y, r in [(76, 270, 5), (140, 332, 4), (138, 272, 3)]:
        b += star(x, y, r, ICE, 1)
    return svg(W, H, b, page_defs())


def help_page5():
    b = page_heading('Клавиши', 5)
    y = 254
    rows = [[('key', 'P'), ('word', 'или'), ('key', 'F1'), ('word', '— пауза')],
            [('key', 'Esc'), ('word', '— выйти из игры (игра переспросит)')],
            [('key', 'Alt'), ('word', '+'), ('key', 'Enter'), ('word', '— окно или весь экран')],
            [('arrow', 'left'), ('arrow', 'up'), ('arrow', 'right'), ('arrow', 'down'), ('word', 'и'),
             ('key', 'Enter'), ('word', '— выбор в меню')],
            [('word', 'Геймпад:'), ('key', 'A'), ('word', 'огонь, выбор,'), ('key', 'B'), ('word', 'назад,'),
             ('key', 'Start'), ('word', 'пауза')]]
    for row in rows:
        b += keys_row(TEXT_LEFT, y, row)
        y += 38
    b += rich(TEXT_LEFT, 462, 'В *настройках*: окно, музыка, звуки и твоя страна.', BODY_SIZE, limit=540)
    return svg(W, H, b, page_defs())


def main():
    write('landscape.svg', landscape())
    write('logo.svg', logo())
    write('menu_board.svg', menu_board())
    write('menu_hi.svg', menu_highlights())
    write('panel.svg', panel_frame())
    write('back.svg', back_button())
    write('back_hi.svg', back_highlight())
    write('options.svg', options_panel())
    write('options_hi.svg', options_highlights())
    write('scores.svg', scores_panel())
    write('scores_hi.svg', scores_highlights())
    write('help.svg', help_panel())
    write('help_hi.svg', help_highlights())
    write('dialog.svg', dialog())
    write('hud.svg', hud())
    write('levelbar.svg', level_bar())
    for k, page in enumerate([help_page1, help_page2, help_page3, help_page4, help_page5], 1):
        write(f'help_page{k}.svg', page())
    if '--manifest' in sys.argv:
        update_manifest()


if __name__ == '__main__':
    main()
