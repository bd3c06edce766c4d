#!/usr/bin/env python3
"""Writes the sprite drawings (creature parts, tongue, enemy strips) as SVG files beside this script.

The build reads the SVGs, not this script: run it after changing a drawing and commit its output.
    python3 make_sprites.py           write every SVG
    python3 make_sprites.py --check   also render them with rsvg-convert and check sizes and cell margins
"""

import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

INK = '#2B1A10'          # every outline
LIME, LIME_HI, LIME_SH = '#8BD346', '#B4EC6E', '#4E9A2A'
BELLY, BELLY_SH = '#F3E9A0', '#DCC46A'
PINK, PINK_DK = '#FF6666', '#C8404E'
GOLD, GOLD_HI, GOLD_SH = '#FFD23F', '#FFF3B0', '#D99A0B'
ICE, ICE_DK = '#BDEBFF', '#5BC0EB'
DANGER = '#E03A3A'
ORANGE = '#FF9F1C'


def fmt(v):
    """Short numbers keep the SVGs readable."""
    if isinstance(v, float):
        s = f'{v:.2f}'.rstrip('0').rstrip('.')
        return '0' if s in ('-0', '') else s
    return str(v)


def pts(points):
    return ' '.join(f'{fmt(x)},{fmt(y)}' for x, y in points)


def svg(w, h, body, defs=''):
    head = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}px" height="{h}px" '
            f'viewBox="0 0 {w} {h}">\n')
    if defs:
        head += f'<defs>\n{defs}</defs>\n'
    return head + body + '</svg>\n'


def radial(gid, stops, cx=0.38, cy=0.32, r=0.75):
    s = ''.join(f'<stop offset="{fmt(o)}" stop-color="{c}"/>' for o, c in stops)
    return f'<radialGradient id="{gid}" cx="{fmt(cx)}" cy="{fmt(cy)}" r="{fmt(r)}">{s}</radialGradient>\n'


def linear(gid, stops, x1=0, y1=0, x2=0, y2=1):
    s = ''.join(f'<stop offset="{fmt(o)}" stop-color="{c}"/>' for o, c in stops)
    return (f'<linearGradient id="{gid}" x1="{fmt(x1)}" y1="{fmt(y1)}" x2="{fmt(x2)}" y2="{fmt(y2)}">'
            f'{s}</linearGradient>\n')


def ellipse(cx, cy, rx, ry, attrs=''):
    return f'<ellipse cx="{fmt(cx)}" cy="{fmt(cy)}" rx="{fmt(rx)}" ry="{fmt(ry)}" {attrs}/>\n'


def circle(cx, cy, r, attrs=''):
    return f'<circle cx="{fmt(cx)}" cy="{fmt(cy)}" r="{fmt(r)}" {attrs}/>\n'


def path(d, attrs=''):
    return f'<path d="{d}" {attrs}/>\n'


def rotate(x, y, deg, ox=0.0, oy=0.0):
    a = math.radians(deg)
    dx, dy = x - ox, y - oy
    return ox + dx * math.cos(a) - dy * math.sin(a), oy + dx * math.sin(a) + dy * math.cos(a)


def outlined(shapes, width):
    """One outline around the union of shapes: a thick ink pass under the filled pass."""
    return (f'<g fill="{INK}" stroke="{INK}" stroke-width="{fmt(width * 2)}" stroke-linejoin="round">\n'
            f'{strip_fills(shapes)}</g>\n{shapes}')


def strip_fills(shapes):
    # The ink pass reuses the shapes' geometry; their own paint is overridden by removing it.
    out = []
    for line in shapes.splitlines():
        for attr in ('fill', 'stroke', 'stroke-width', 'opacity', 'fill-opacity'):
            while f' {attr}="' in line:
                start = line.index(f' {attr}="')
                end = line.index('"', start + len(attr) + 3)
                line = line[:start] + line[end + 1:]
        out.append(line)
    return '\n'.join(out) + '\n'


def sparkle(cx, cy, r, fill='#FFFFFF', stroke_w=0.0):
    """A four-pointed glint."""
    k = r * 0.28
    p = [(cx, cy - r), (cx + k, cy - k), (cx + r, cy), (cx + k, cy + k),
         (cx, cy + r), (cx - k, cy + k), (cx - r, cy), (cx - k, cy - k)]
    stroke = f' stroke="{INK}" stroke-width="{fmt(stroke_w)}" stroke-linejoin="round"' if stroke_w else ''
    return f'<polygon points="{pts(p)}" fill="{fill}"{stroke}/>\n'


def star(cx, cy, r, fill=GOLD, stroke_w=1.5, turn=0.0, inner=0.45):
    p = []
    for i in range(10):
        rr = r if i % 2 == 0 else r * inner
        a = math.radians(turn - 90 + i * 36)
        p.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return (f'<polygon points="{pts(p)}" fill="{fill}" stroke="{INK}" stroke-width="{fmt(stroke_w)}" '
            f'stroke-linejoin="round"/>\n')


# ---------------------------------------------------------------------------------------------------------------
# The creature

# Eye whites of the upper body: the game moves its pupils inside these.
EYE_L = (39, 32)
EYE_R = (65, 32)
EYE_RX, EYE_RY = 12.5, 14.5
MOUTH = (54, 70)


def grom_up(mouth_open):
    defs = (radial('skin', [(0, LIME_HI), (0.55, LIME), (1, LIME_SH)], cx=0.42, cy=0.3, r=0.72)
            + radial('bump', [(0, LIME_HI), (0.6, LIME), (1, LIME_SH)], cx=0.4, cy=0.25, r=0.8)
            + radial('white', [(0, '#FFFFFF'), (0.7, '#FFFFFF'), (1, '#D6E6F0')], cx=0.45, cy=0.4, r=0.65)
            + radial('blush', [(0, '#FF8C8C'), (0.6, '#FFA0A0'), (1, LIME)], r=0.5, cx=0.5, cy=0.5)
            + linear('chin', [(0, BELLY), (1, BELLY_SH)])
            + radial('maw', [(0, '#4A0F14'), (1, '#8E2230')], cx=0.5, cy=0.3, r=0.8)
            + '<clipPath id="headclip"><ellipse cx="53" cy="58" rx="50" ry="25"/></clipPath>\n')
    head = ellipse(53, 58, 50, 25, 'fill="url(#skin)"')
    bumps = (circle(EYE_L[0], 31, 17.5, 'fill="url(#bump)"') + circle(EYE_R[0], 31, 17.5, 'fill="url(#bump)"'))
    body = outlined(bumps + head, 1.6)
    # Throat: the pale belly colour shows under the mouth.
    body += '<g clip-path="url(#headclip)">' + ellipse(54, 86, 34, 12, 'fill="url(#chin)"') + '</g>\n'
    body += path('M 22 79.5 Q 54 70 86 79.5', f'fill="none" stroke="{INK}" stroke-width="1.5" '
                 'stroke-linecap="round" opacity="0.35"')
    # Cheeks and nostrils.
    body += ellipse(20, 62, 8, 5, 'fill="url(#blush)"') + ellipse(88, 62, 8, 5, 'fill="url(#blush)"')
    body += ellipse(48.5, 52, 1.6, 1.2, f'fill="{INK}"') + ellipse(57.5, 52, 1.6, 1.2, f'fill="{INK}"')
    # Shine on the head.
    body += ellipse(17, 50, 5, 2.6, 'fill="#FFFFFF" opacity="0.55" transform="rotate(-35 17 50)"')
    # Eye whites.
    for cx, cy in (EYE_L, EYE_R):
        body += ellipse(cx, cy, EYE_RX, EYE_RY, f'fill="url(#white)" stroke="{INK}" stroke-width="2.2"')
    # The mouth: the only difference between the two pictures.
    mx, my = MOUTH
    if mouth_open:
        maw = f'M {mx - 16} {my - 7} Q {mx} {my - 10} {mx + 16} {my - 7} Q {mx + 15} {my + 11} {mx} {my + 11} ' \
              f'Q {mx - 15} {my + 11} {mx - 16} {my - 7} Z'
        body += '<clipPath id="mawclip">' + path(maw) + '</clipPath>\n'
        body += path(maw, 'fill="url(#maw)"')
        body += f'<g clip-path="url(#mawclip)">' + ellipse(mx, my + 10, 11, 6, f'fill="{PINK}"') + \
            ellipse(mx - 3, my + 7, 3, 1.5, 'fill="#FFA3A3"') + '</g>\n'
        body += path(maw, f'fill="none" stroke="{INK}" stroke-width="2.6" stroke-linejoin="round"')
    else:
        body += path(f'M {mx - 20} {my - 6} Q {mx} {my + 7} {mx + 20} {my - 6}',
                     f'fill="none" stroke="{INK}" stroke-width="2.6" stroke-linecap="round"')
        body += path(f'M {mx - 22} {my - 9} Q {mx - 21} {my - 5} {mx - 18} {my - 5}',
                     f'fill="none" stroke="{INK}" stroke-width="1.8" stroke-linecap="round"')
        body += path(f'M {mx + 22} {my - 9} Q {mx + 21} {my - 5} {mx + 18} {my - 5}',
                     f'fill="none" stroke="{INK}" stroke-width="1.8" stroke-linecap="round"')
    return svg(110, 85, body, defs)


def grom_down(big):
    """The lower body sits on the grass; its top hides under the upper body (which bobs 5 rows)."""
    ax = 80                      # the creature's axis: mouth column 394 on the screen
    g = 1.14 if big else 1.0      # a reached target makes it plumper
    defs = (radial('skin', [(0, LIME_HI), (0.5, LIME), (1, LIME_SH)], cx=0.45, cy=0.25, r=0.75)
            + radial('leg', [(0, LIME_HI), (0.5, LIME), (1, LIME_SH)], cx=0.4, cy=0.3, r=0.8)
            + radial('belly', [(0, '#FFFBE0' if big else '#FBF4C4'), (0.6, BELLY), (1, BELLY_SH)],
                     cx=0.45, cy=0.35, r=0.7)
            + radial('shadow', [(0, '#1E3A10'), (1, '#1E3A10')], r=0.5, cx=0.5, cy=0.5))
    if big:
        defs += radial('halo', [(0, '#FFF6B0'), (0.55, '#FFE766'), (1, '#FFE766')], cx=0.5, cy=0.5, r=0.5)
        defs += '<filter id="soft" x="-30%" y="-30%" width="160%" height="160%">' \
                '<feGaussianBlur stdDeviation="5"/></filter>\n'
    body = ''
    bw = 52 * g                  # half width of the round lower belly
    if big:
        body += ellipse(ax, 76, bw + 6, 50, 'fill="url(#halo)" opacity="0.9" filter="url(#soft)"')
    body += ellipse(ax, 121, 80 * g, 5, 'fill="url(#shadow)" opacity="0.3"')
    # Folded hind legs at the sides, webbed feet flat on the grass.
    legs = ''
    for side in (-1, 1):
        legs += ellipse(ax + side * 40 * g, 97, 25 * g, 20, 'fill="url(#leg)"')
        fx = ax + side * 62 * g
        legs += ellipse(fx, 117, 13, 6, f'fill="{LIME}"')
        for da in (-35, 0, 35):
            a = math.radians(da)
            legs += circle(fx + side * 12 * math.cos(a), 117 + 6 * math.sin(a), 4.2, f'fill="{LIME}"')
    body += outlined(legs, 1.6)
    # Torso: a narrow top that hides under the head, a round belly below.
    torso = ellipse(ax, 34, 40, 30, 'fill="url(#skin)"') + ellipse(ax, 78, bw, 42, 'fill="url(#skin)"')
    body += outlined(torso, 1.6)
    body += ellipse(ax, 34, 40, 30, 'fill="url(#skin)"')
    body += ellipse(ax - bw * 0.55, 70, 6, 10, 'fill="#FFFFFF" opacity="0.35" transform="rotate(20 {} 70)"'
                    .format(fmt(ax - bw * 0.55)))
    # The pale belly runs on from the throat under the head.
    body += f'<clipPath id="torsoclip">{ellipse(ax, 34, 39, 29)}{ellipse(ax, 78, bw - 1, 41)}</clipPath>\n'
    body += '<g clip-path="url(#torsoclip)">' + ellipse(ax, 74, 33 * g, 54,
                                                         f'fill="url(#belly)" stroke="{INK}" stroke-width="1.6"')
    for k in range(3):
        yy = 86 + k * 10
        body += path(f'M {fmt(ax - 17 * g + k * 2)} {yy} Q {ax} {yy + 4} {fmt(ax + 17 * g - k * 2)} {yy}',
                     f'fill="none" stroke="{BELLY_SH}" stroke-width="1.6" stroke-linecap="round"')
    body += '</g>\n'
    # Front arms down the sides, hands on the grass in front of the legs.
    for side in (-1, 1):
        sx = ax + side * 36
        hx = ax + side * 34 * g
        d = f'M {fmt(sx)} 46 Q {fmt(ax + side * 62 * g)} 80 {fmt(hx)} 108'
        arm = path(d, f'fill="none" stroke="{INK}" stroke-width="15" stroke-linecap="round"')
        arm += path(d, f'fill="{LIME}" fill-opacity="0" stroke="{LIME}" stroke-width="11.6" stroke-linecap="round"')
        arm += path(d, f'fill="none" stroke="{LIME_HI}" stroke-width="3" stroke-linecap="round" '
                    f'opacity="0.7" transform="translate({-side * 2.5} -1)"')
        hand = ellipse(hx, 112, 8, 5, f'fill="{LIME}"')
        hand += ''.join(circle(hx + dx, 116.5, 3.6, f'fill="{LIME}"') for dx in (-6.5, 0, 6.5))
        body += arm + outlined(hand, 1.4)
    if big:
        for x, y, r in ((18, 52, 6), (150, 46, 7), (10, 86, 4), (162, 84, 4.5), (132, 20, 4), (30, 24, 4)):
            body += sparkle(x, y, r, '#FFF8C8', 1.0)
    return svg(172, 125, body, defs)


def stun(phase):
    """Dizzy spirals over the eye whites, turning half a turn between the two blink phases, and stars."""
    # Eye centres in this overlay's own coordinates (it is placed 22, 13 into the upper body).
    eyes = ((EYE_L[0] - 22, EYE_L[1] - 13), (EYE_R[0] - 22, EYE_R[1] - 13))
    defs = radial('white', [(0, '#FFFFFF'), (0.7, '#FFFFFF'), (1, '#D6E6F0')], cx=0.45, cy=0.4, r=0.65)
    body = ''
    for i, (cx, cy) in enumerate(eyes):
        body += ellipse(cx, cy, EYE_RX - 1.2, 10.6, 'fill="url(#white)"')
        turn = phase * 180 + (90 if i else 0)
        spin = -1 if i else 1
        p = []
        for k in range(0, 121):
            t = k / 120 * 2.6 * 2 * math.pi
            r = 0.4 + 3.35 * t / (2 * math.pi)
            a = spin * t + math.radians(turn)
            p.append((cx + r * math.cos(a), cy + r * math.sin(a) * 1.05))
        body += f'<polyline points="{pts(p)}" fill="none" stroke="#5A2E8E" stroke-width="1.9" ' \
                'stroke-linecap="round" stroke-linejoin="round"/>\n'
    spots = ((5.2, 5.4, 5.0, 0), (30, 4.6, 4.2, 18), (54.8, 5.4, 5.0, 10)) if phase == 0 else \
            ((4.6, 12, 4.3, 20), (30, 5.2, 5.0, 0), (55.4, 12, 4.3, 30))
    for x, y, r, t in spots:
        body += star(x, y, r, GOLD, 1.1, t)
    return svg(60, 30, body, defs)


def tongue_root():
    """The tongue's base, drawn turned along the aim with its bottom edge at the mouth.

    Column 5 is the middle, where the 7-pixel tongue line continues it past the top row."""
    defs = linear('flesh', [(0, PINK_DK), (0.18, PINK), (0.45, '#FF9A9A'), (0.7, PINK), (1, PINK_DK)], 0, 0, 1, 0)
    d = 'M 1.5 0 L 8.5 0 L 9.6 70 L 0.4 70 Z'
    body = path(d, f'fill="url(#flesh)"')
    body += path('M 1.5 0 L 0.4 70 M 8.5 0 L 9.6 70', f'fill="none" stroke="{PINK_DK}" stroke-width="1.2"')
    body += path('M 5 3 L 5 66', 'fill="none" stroke="#E0505C" stroke-width="0.8" opacity="0.6"')
    return svg(10, 70, body, defs)


def tongue_tip():
    """The sticky end; the game pivots it at (10, 21), where the tongue line meets its bottom."""
    defs = radial('tip', [(0, '#FFC0C0'), (0.45, '#FF7F7F'), (1, '#D8404C')], cx=0.4, cy=0.35, r=0.7)
    blob = 'M 8 22 L 8 17 C 1.5 15.5 0.8 9 1.5 6.5 C 3 1.2 8 0.6 11.5 0.6 C 15 0.6 20 1.2 21.5 6.5 ' \
           'C 22.2 9 21.5 15.5 15 17 L 15 22 Z'
    body = path(blob, f'fill="url(#tip)" stroke="{PINK_DK}" stroke-width="1.4" stroke-linejoin="round"')
    body += path('M 8.7 22 L 8.7 17.6 M 14.3 22 L 14.3 17.6', f'fill="none" stroke="{PINK}" stroke-width="1.4"')
    body += ellipse(8, 6, 3.4, 2.2, 'fill="#FFFFFF" opacity="0.75" transform="rotate(-25 8 6)"')
    body += circle(15.5, 11, 1.2, 'fill="#FFE0E0"') + circle(6.5, 12, 0.9, 'fill="#FFE0E0"')
    return svg(24, 22, body, defs)


def pupil():
    body = circle(4, 4, 3.6, f'fill="#1A0F08" stroke="{INK}" stroke-width="0.8"')
    body += '<rect x="2" y="2" width="1" height="1" fill="#FFFFFF"/>\n'
    return svg(8, 8, body)


def pupil_heart():
    d = 'M 4 7.4 C 2.6 6.2 0.5 4.9 0.5 3 C 0.5 1.6 1.5 0.6 2.6 0.6 C 3.3 0.6 3.8 1 4 1.6 ' \
        'C 4.2 1 4.7 0.6 5.4 0.6 C 6.5 0.6 7.5 1.6 7.5 3 C 7.5 4.9 5.4 6.2 4 7.4 Z'
    body = path(d, f'fill="{DANGER}" stroke="{INK}" stroke-width="0.8" stroke-linejoin="round"')
    body += '<rect x="2" y="2" width="1" height="1" fill="#FFD0D0"/>\n'
    return svg(8, 8, body)


# Canvas of every file, and for the animation strips the frame cell.
CANVAS = {
    'grom_up_closed.svg': (110, 85), 'grom_up_open.svg': (110, 85),
    'grom_down_small.svg': (172, 125), 'grom_down_big.svg': (172, 125),
    'pupil.svg': (8, 8), 'pupil_alt.svg': (8, 8),
    'tongue_root.svg': (10, 70), 'tongue_tip.svg': (24, 22),
    'stun_a.svg': (60, 30), 'stun_b.svg': (60, 30),
}
KINDS = [(46, 70, 4), (41, 71, 4), (37, 63, 4), (35, 55, 2), (64, 74, 2),
         (40, 40, 2), (30, 45, 2), (62, 79, 2), (73, 92, 2)]     # frame width, height, frames
for _k, (_w, _h, _n) in enumerate(KINDS):
    CANVAS[f'enemy{_k}.svg'] = (_w * _n, _h)


def write(name, text):
    w, h = CANVAS[name]
    assert f'width="{w}px" height="{h}px" viewBox="0 0 {w} {h}"' in text, name
    with open(os.path.join(HERE, name), 'w', encoding='utf-8') as f:
        f.write(text)


def alpha_of(name):
    """Renders a file and returns its size and alpha bytes."""
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, 'x.png')
        subprocess.run(['rsvg-convert', '-o', png, os.path.join(HERE, name)], check=True)
        size = subprocess.run(['identify', '-format', '%w %h', png], check=True, capture_output=True, text=True)
        w, h = map(int, size.stdout.split())
        raw = subprocess.run(['convert', png, '-depth', '8', 'rgba:-'], check=True, capture_output=True).stdout
    return w, h, raw[3::4]


def check():
    """The pack needs exact sizes; animation frames must stay inside their cells, clear of the edges."""
    bad = 0
    for name, (cw, ch) in sorted(CANVAS.items()):
        if not os.path.exists(os.path.join(HERE, name)):
            print(f'{name}: missing')
            bad += 1
            continue
        w, h, alpha = alpha_of(name)
        if (w, h) != (cw, ch):
            print(f'{name}: rendered {w}x{h}, wanted {cw}x{ch}')
            bad += 1
            continue
        if not name.startswith('enemy'):
            continue
        fw, fh, frames = KINDS[int(name[5])]
        for f in range(frames):
            solid = [(x, y) for y in range(fh) for x in range(fw) if alpha[y * w + f * fw + x] >= 128]
            xs, ys = [p[0] for p in solid], [p[1] for p in solid]
            box = (min(xs), min(ys), max(xs), max(ys))
            margins = (box[0], box[1], fw - 1 - box[2], fh - 1 - box[3])
            note = ''
            if min(margins) < 1:
                note = '  touches the cell edge'
            elif abs(margins[0] - margins[2]) > 3 or abs(margins[1] - margins[3]) > 3:
                note = '  off centre'
            bad += bool(note)
            print(f'{name} frame {f}: margins l{margins[0]} t{margins[1]} r{margins[2]} b{margins[3]}{note}')
    print('all good' if not bad else f'{bad} problem(s)')
    return bad == 0


def main():
    write('grom_up_closed.svg', grom_up(False))
    write('grom_up_open.svg', grom_up(True))
    write('grom_down_small.svg', grom_down(False))
    write('grom_down_big.svg', grom_down(True))
    write('stun_a.svg', stun(0))
    write('stun_b.svg', stun(1))
    write('tongue_root.svg', tongue_root())
    write('tongue_tip.svg', tongue_tip())
    write('pupil.svg', pupil())
    write('pupil_alt.svg', pupil_heart())


if __name__ == '__main__':
    main()
    if '--check' in sys.argv[1:] and not check():
        sys.exit(1)
