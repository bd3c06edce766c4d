#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
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


def fmt(v):
    """Short numbers keep the SVGs readable."""
    if isinstance(v, float):
        s = f'{v:.2f}'.rstrip('0').rstrip('.')
        return '0' if s in ('-0', '') else s
    return str(v)


def pts(points):
    return ' '.join(f'{fmt(x)},{fmt(y)}' for x, y in points)


def svg(w, h, body, defs=''):
    head = ('<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}px" height="{h}px" '
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
EYE_RX, EYE_RY = 13, 15
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
        defs += radial('halo', [(0, '#FFF8C0'), (0.6, '#FFEB70'), (1, '#FFD23F')], cx=0.5, cy=0.5, r=0.5)
        defs += '<filter id="soft" x="-30%" y="-30%" width="160%" height="160%">' \
                '<feGaussianBlur stdDeviation="5"/></filter>\n'
    body = ''
    bw = 52 * g                  # half width of the round lower belly
    if big:
        body += ellipse(ax, 76, bw + 10, 52, 'fill="url(#halo)" filter="url(#soft)"')
    body += ellipse(ax, 121, 80 * g, 5, 'fill="url(#shadow)" opacity="0.3"')
    # Folded hind legs at the sides, webbed feet flat on the grass.
    legs = ''
    for side in (-1, 1):
        legs += ellipse(ax + side * 40 * g, 97, 25 * g, 20, 'fill="url(#leg)"')
        fx = ax + side * 61
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
        for x, y, r in ((16, 50, 7), (146, 44, 8), (9, 84, 4.5), (160, 80, 5), (134, 18, 5), (26, 22, 5)):
            body += sparkle(x, y, r, '#FFF6B0', 1.1)
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


# The tongue's pictures are drawn rotated with black as the transparent colour, so their silhouettes are
# drawn without anti-aliasing: a pixel half over black would turn into a dark speck on the rim.
TONGUE = '#FF6666'          # the colour of the 7-pixel line the game draws between root and tip


def tongue_root():
    """The tongue's base, drawn turned along the aim with its bottom edge at the mouth.

    The game turns it about column 6 while its 7-pixel line is centred one column further left, and doubles
    every pixel downwards to fill gaps; columns 3..8 are the band that meets the line's edges within a pixel
    at every aim. It has the line's colour where they meet; a shade fades in towards the mouth."""
    defs = linear('shade', [(0, TONGUE), (0.4, TONGUE), (1, '#E04E5A')])
    body = '<g shape-rendering="crispEdges">\n'
    body += f'<rect x="3" y="0" width="6" height="70" fill="{TONGUE}"/>\n'
    body += '<rect x="3" y="0" width="1" height="70" fill="url(#shade)"/>\n'
    body += '<rect x="8" y="0" width="1" height="70" fill="url(#shade)"/>\n'
    body += '</g>\n'
    return svg(10, 70, body, defs)


TIP_RIM = '#DA4A58'


def tongue_tip():
    """The sticky end; the game pivots it at (10, 21), where the tongue line meets its bottom (columns 8..14).

    The game turns it pixel by pixel at every aim, so the head is a round blob with an even two-pixel rim:
    a circle turned stays a circle, and its rim stays whole instead of breaking into steps. The turning still
    leaves single pixels standing out of the rim here and there, so the rim is only a shade darker than the
    blob's edge, where such a pixel does not show as a spike."""
    defs = radial('tip', [(0, '#FFC0C0'), (0.45, '#FF7F7F'), (1, '#E8505C')], cx=0.4, cy=0.35, r=0.7)
    body = circle(11.5, 9.5, 8.2, f'fill="url(#tip)" stroke="{TIP_RIM}" stroke-width="2" shape-rendering="crispEdges"')
    # the neck, as wide as the line and in its colour
    body += '<rect x="8" y="17" width="7" height="5" fill="{}" shape-rendering="crispEdges"/>\n'.format(TONGUE)
    body += ellipse(8.5, 6.5, 3.2, 2.1, 'fill="#FFFFFF" opacity="0.75" transform="rotate(-25 8.5 6.5)"')
    body += circle(15.5, 11.5, 1.2, 'fill="#FFE0E0"') + circle(7, 12, 0.9, 'fill="#FFE0E0"')
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


# ---------------------------------------------------------------------------------------------------------------
# Enemies: strips of frames side by side, each frame drawn in its own cell coordinates.

def strip(fw, fh, frames, draw, defs):
    body = ''.join(f'<g transform="translate({f * fw} 0)">\n{draw(f)}</g>\n' for f in range(frames))
    return svg(fw * frames, fh, body, defs)


def leaf(x, y, length, width, angle, fill, sw=1.6, veins=None):
    """A wing: root at (x, y), pointing along angle (degrees, 0 = right, clockwise on screen)."""
    L, W = length, width
    d = (f'M 0 0 C {fmt(L * 0.25)} {fmt(-W * 1.1)} {fmt(L * 0.85)} {fmt(-W * 0.95)} {fmt(L)} {fmt(-W * 0.1)} '
         f'C {fmt(L * 1.02)} {fmt(W * 0.5)} {fmt(L * 0.5)} {fmt(W * 0.75)} 0 0 Z')
    out = f'<g transform="translate({fmt(x)} {fmt(y)}) rotate({fmt(angle)})">'
    out += path(d, f'fill="{fill}" stroke="{INK}" stroke-width="{fmt(sw)}" stroke-linejoin="round"')
    if veins:
        out += path(f'M 1 0 Q {fmt(L * 0.5)} {fmt(-W * 0.35)} {fmt(L * 0.9)} {fmt(-W * 0.2)} '
                    f'M {fmt(L * 0.35)} {fmt(-W * 0.25)} L {fmt(L * 0.6)} {fmt(-W * 0.75)} '
                    f'M {fmt(L * 0.4)} {fmt(-W * 0.15)} L {fmt(L * 0.7)} {fmt(W * 0.35)}',
                    f'fill="none" stroke="{veins}" stroke-width="0.9" stroke-linecap="round"')
    return out + '</g>\n'


def eye(cx, cy, rx, ry, look=(0.0, 0.0), sw=1.2):
    """A cartoon eye: white, pupil shifted by look (fractions of the white's radii), glint."""
    out = ellipse(cx, cy, rx, ry, f'fill="#FFFFFF" stroke="{INK}" stroke-width="{fmt(sw)}"')
    px, py = cx + look[0] * rx * 0.45, cy + look[1] * ry * 0.45
    out += ellipse(px, py, rx * 0.58, ry * 0.62, f'fill="{INK}"')
    out += circle(px - rx * 0.2, py - ry * 0.25, max(0.7, rx * 0.2), 'fill="#FFFFFF"')
    return out


def dot_eye(cx, cy, rx, ry):
    """A small shiny black eye, for faces too small for whites."""
    return ellipse(cx, cy, rx, ry, f'fill="{INK}"') + circle(cx - rx * 0.3, cy - ry * 0.35, max(0.6, rx * 0.38),
                                                              'fill="#FFFFFF"')


WING = 'url(#wing)'
WING_DEFS = linear('wing', [(0, '#FFFFFF'), (0.5, '#E6F6FF'), (1, '#B7DCEF')], 0, 0, 1, 1)


def hornet():
    """Kind 0: an angry red-and-black hornet seen from the front, stinger down."""
    fw, fh = 46, 70
    cx = fw / 2
    defs = WING_DEFS + radial('red', [(0, '#FF8A7A'), (0.5, DANGER), (1, '#A61E1E')], cx=0.4, cy=0.3, r=0.75)
    defs += radial('head', [(0, '#FF9C8A'), (0.55, DANGER), (1, '#9E1B1B')], cx=0.4, cy=0.3, r=0.75)
    defs += f'<clipPath id="abd">{ellipse(cx, 48, 11.6, 13.1)}</clipPath>\n'

    def frame(f):
        a = (28, 48, 68, 48)[f]                  # wing beat, degrees from straight up
        out = ''
        for side in (-1, 1):
            out += pair_leaf(side, cx + side * 4, 31, 13, 4.6, a + 26)
            out += pair_leaf(side, cx + side * 4, 30, 20.5 - a / 15, 7, a)
        # Legs dangle from the thorax, swinging a little with the wings.
        swing = (0, 1, 2, 1)[f]
        for side in (-1, 1):
            for k, (lx, ly) in enumerate(((10, 42), (12, 50))):
                x0, y0 = cx + side * 5, 35 + k * 3
                out += path(f'M {fmt(x0)} {y0} L {fmt(cx + side * lx)} {ly + swing - k} '
                            f'L {fmt(cx + side * (lx + 1.5))} {ly + swing + 3 - k}',
                            f'fill="none" stroke="{INK}" stroke-width="1.8" stroke-linecap="round" '
                            'stroke-linejoin="round"')
        # Abdomen: red with black bands and a long sting.
        out += path(f'M {fmt(cx - 3.6)} 59 L {fmt(cx)} 68.2 L {fmt(cx + 3.6)} 59 Z',
                    f'fill="#4A4A4A" stroke="{INK}" stroke-width="1.4" stroke-linejoin="round"')
        out += path(f'M {fmt(cx - 1)} 61 L {fmt(cx)} 65.5', 'stroke="#BDBDBD" stroke-width="0.9" fill="none"')
        out += ellipse(cx, 48, 12, 13.5, 'fill="url(#red)"')
        out += '<g clip-path="url(#abd)">'
        for y0 in (39, 46.5, 54):
            out += f'<rect x="{fmt(cx - 13)}" y="{y0}" width="26" height="3.8" fill="#1E120A"/>'
        out += '</g>\n'
        out += ellipse(cx, 48, 12, 13.5, f'fill="none" stroke="{INK}" stroke-width="2"')
        out += ellipse(cx - 5.5, 43, 1.8, 3.2, 'fill="#FFFFFF" opacity="0.65"')
        # Thorax.
        out += ellipse(cx, 32, 7.5, 5.5, f'fill="#3A2C26" stroke="{INK}" stroke-width="1.6"')
        # Antennae.
        for side in (-1, 1):
            out += path(f'M {fmt(cx + side * 3)} 12 Q {fmt(cx + side * 5)} 4 {fmt(cx + side * 10)} 3.6',
                        f'fill="none" stroke="{INK}" stroke-width="1.6" stroke-linecap="round"')
            out += circle(cx + side * 10, 3.6, 1.7, f'fill="{DANGER}" stroke="{INK}" stroke-width="1"')
        # Head with an angry face: slanted eyes, fangs.
        out += circle(cx, 20, 9.6, f'fill="url(#head)" stroke="{INK}" stroke-width="2"')
        for side in (-1, 1):
            e = (f'M {fmt(cx + side * 1.2)} 17.6 L {fmt(cx + side * 7.6)} 14.4 '
                 f'Q {fmt(cx + side * 8.6)} 22.2 {fmt(cx + side * 4.6)} 22.4 Q {fmt(cx + side * 1)} 22 '
                 f'{fmt(cx + side * 1.2)} 17.6 Z')
            out += path(e, f'fill="#FFF27A" stroke="{INK}" stroke-width="1.3" stroke-linejoin="round"')
            out += circle(cx + side * 3.6, 19.6, 1.7, f'fill="{INK}"')
            out += path(f'M {fmt(cx + side * 0.2)} 16.8 L {fmt(cx + side * 8.6)} 12.6',
                        f'stroke="{INK}" stroke-width="2" stroke-linecap="round"')
            out += path(f'M {fmt(cx + side * 3.4)} 25.2 L {fmt(cx + side * 2.4)} 28.6 L {fmt(cx + side * 1.2)} 25.6 Z',
                        f'fill="#FFFFFF" stroke="{INK}" stroke-width="0.9" stroke-linejoin="round"')
        out += path(f'M {fmt(cx - 4.2)} 25.6 Q {cx} 23.4 {fmt(cx + 4.2)} 25.6', f'fill="none" stroke="{INK}" '
                    'stroke-width="1.5" stroke-linecap="round"')
        return out

    return strip(fw, fh, 4, frame, defs)


def butterfly():
    """Kind 1: a golden butterfly with jewels on its wings, seen from the front; the wings fold and open."""
    fw, fh = 41, 71
    cx = fw / 2
    defs = linear('gold', [(0, GOLD_HI), (0.45, GOLD), (1, '#F0A81C')], 0, 0, 1, 1)
    defs += linear('gold2', [(0, GOLD), (1, '#E0901A')], 0, 0, 1, 1)
    defs += radial('ruby', [(0, '#FF9CB0'), (0.5, '#E8244A'), (1, '#8E0F2A')], cx=0.35, cy=0.3, r=0.8)
    defs += radial('sapph', [(0, '#A8CCFF'), (0.5, '#2F6BEA'), (1, '#163A8E')], cx=0.35, cy=0.3, r=0.8)
    defs += linear('bbody', [(0, '#8A5A1E'), (0.5, '#C88A2E'), (1, '#7A4A14')], 0, 0, 1, 0)

    def wing_path(pts_, sx):
        # Cubic path through (x, y) control points, squeezed toward the body by sx.
        q = [(cx + (x - cx) * sx, y) for x, y in pts_]
        d = f'M {fmt(q[0][0])} {fmt(q[0][1])}'
        for i in range(1, len(q), 3):
            d += f' C {pts(q[i:i + 3]).replace(",", " ")}'
        return d + ' Z'

    def frame(f):
        sx = (1.0, 0.72, 0.38, 0.72)[f]
        out = ''
        for side in (-1, 1):
            def m(x):
                return cx + side * x
            fore = [(m(1.5), 27), (m(4), 18), (m(9.5), 4.5), (m(16.5), 5), (m(19.2), 5.5), (m(18.6), 18),
                    (m(16.5), 29), (m(13), 33), (m(5), 35), (m(1.5), 33)]
            hind = [(m(1.5), 34), (m(8), 34), (m(16), 38), (m(16.5), 45), (m(17), 53), (m(11), 60),
                    (m(7), 59), (m(3), 57), (m(1.5), 50), (m(1.5), 42)]
            tail = [(m(6), 55), (m(6.5), 60), (m(7), 64), (m(8.5), 67.4), (m(10.5), 68.4), (m(11.5), 66),
                    (m(10), 62), (m(10), 58), (m(10), 55), (m(6), 55)]
            out += path(wing_path(tail, sx), f'fill="url(#gold2)" stroke="{INK}" stroke-width="1.5" '
                        'stroke-linejoin="round"')
            out += path(wing_path(hind, sx), f'fill="url(#gold2)" stroke="{INK}" stroke-width="1.6" '
                        'stroke-linejoin="round"')
            out += path(wing_path(fore, sx), f'fill="url(#gold)" stroke="{INK}" stroke-width="1.6" '
                        'stroke-linejoin="round"')
            # Jewels, squeezed with the wings.
            for (gx, gy, r, g) in ((12, 17, 3.6, 'ruby'), (10, 46, 3.0, 'sapph')):
                out += ellipse(cx + side * gx * sx, gy, r * max(sx, 0.45), r,
                               f'fill="url(#{g})" stroke="{INK}" stroke-width="1"')
                out += ellipse(cx + side * gx * sx - r * 0.3 * max(sx, 0.45), gy - r * 0.35,
                               0.9 * max(sx, 0.45), 0.9, 'fill="#FFFFFF"')
            for (dx, dy) in ((16.4, 9), (16.4, 22), (13.5, 54)):
                out += circle(cx + side * dx * sx, dy, 1.1, 'fill="#FFFFFF"')
        # Body, head, antennae.
        for side in (-1, 1):
            out += path(f'M {fmt(cx + side * 1.5)} 12 Q {fmt(cx + side * 4)} 4 {fmt(cx + side * 8.5)} 3.8',
                        f'fill="none" stroke="{INK}" stroke-width="1.4" stroke-linecap="round"')
            out += circle(cx + side * 8.5, 3.8, 1.9, f'fill="{GOLD}" stroke="{INK}" stroke-width="1"')
        out += ellipse(cx, 40, 2.8, 19, f'fill="url(#bbody)" stroke="{INK}" stroke-width="1.5"')
        for y in (30, 36, 42, 48, 54):
            out += path(f'M {fmt(cx - 2.6)} {y} Q {cx} {y + 1.4} {fmt(cx + 2.6)} {y}',
                        f'fill="none" stroke="{INK}" stroke-width="0.8"')
        out += circle(cx, 16.5, 6.4, f'fill="url(#gold)" stroke="{INK}" stroke-width="1.5"')
        out += dot_eye(cx - 2.4, 15.8, 1.3, 1.8) + dot_eye(cx + 2.4, 15.8, 1.3, 1.8)
        out += ellipse(cx - 4, 19, 1.2, 0.8, 'fill="#FF9C6A"') + ellipse(cx + 4, 19, 1.2, 0.8, 'fill="#FF9C6A"')
        out += path(f'M {fmt(cx - 1.6)} 19.6 Q {cx} 21 {fmt(cx + 1.6)} 19.6', f'fill="none" stroke="{INK}" '
                    'stroke-width="0.9" stroke-linecap="round"')
        # A twinkle that hops around as it flies.
        tw = ((cx + 11, 25, 3.2), None, (cx - 4, 49, 3.2), None)[f]
        if tw:
            out += sparkle(*tw, '#FFFFFF', 0.9)
        return out

    return strip(fw, fh, 4, frame, defs)


def ice_moth():
    """Kind 2: a frosty moth with crystal wings and icicles, seen from the front."""
    fw, fh = 37, 63
    cx = fw / 2
    defs = linear('icew', [(0, '#E6F8FF'), (0.35, ICE), (1, ICE_DK)], 0, 0, 1, 1)
    defs += linear('icew2', [(0, ICE), (1, '#3FA4D8')], 0, 0, 1, 1)
    defs += radial('frost', [(0, '#FFFFFF'), (0.45, ICE), (1, ICE_DK)], cx=0.4, cy=0.3, r=0.8)
    defs += radial('frosth', [(0, '#FFFFFF'), (0.55, '#DDF5FF'), (1, '#86D2F2')], cx=0.4, cy=0.3, r=0.8)
    defs += linear('icicle', [(0, '#FFFFFF'), (1, ICE_DK)], 0, 0, 1, 0)

    def crystal(x, y, length, width, angle, side, fill):
        L, W = length, width
        poly = [(0, 0), (L * 0.3, -W), (L * 0.78, -W * 0.95), (L, -W * 0.15), (L * 0.8, W * 0.55), (L * 0.4, W * 0.6)]
        w = f'<g transform="translate({fmt(x)} {fmt(y)}) rotate({fmt(angle)})">'
        w += f'<polygon points="{pts(poly)}" fill="{fill}" stroke="{INK}" stroke-width="1.5" ' \
             'stroke-linejoin="round"/>'
        w += path(f'M 0 0 L {fmt(L * 0.78)} {fmt(-W * 0.95)} M 0 0 L {fmt(L)} {fmt(-W * 0.15)} '
                  f'M 0 0 L {fmt(L * 0.8)} {fmt(W * 0.55)}', 'fill="none" stroke="#FFFFFF" stroke-width="0.9"')
        w += path(f'M {fmt(L * 0.3)} {fmt(-W)} L {fmt(L * 0.55)} {fmt(-W * 0.45)} L {fmt(L * 0.78)} '
                  f'{fmt(-W * 0.95)} Z', 'fill="#FFFFFF" opacity="0.55"')
        w += '</g>'
        if side < 0:
            w = f'<g transform="translate({fmt(2 * x)} 0) scale(-1 1)">{w}</g>'
        return w + '\n'

    def flake(x, y, r, sw=1.0):
        d = ''
        for k in range(3):
            a = math.radians(90 + k * 60)
            d += f'M {fmt(x - r * math.cos(a))} {fmt(y - r * math.sin(a))} L {fmt(x + r * math.cos(a))} ' \
                 f'{fmt(y + r * math.sin(a))} '
        return path(d, f'fill="none" stroke="#FFFFFF" stroke-width="{fmt(sw)}" stroke-linecap="round"')

    def frame(f):
        a = (26, 46, 66, 46)[f]
        out = ''
        for side in (-1, 1):
            ang = -90 + a + 38
            out += crystal(cx + side * 3, 34, 13, 5.6, ang, side, 'url(#icew2)')
            out += crystal(cx + side * 3, 31, 18.5 - a / 20, 8, -90 + a, side, 'url(#icew)')
        # Icicles under the body.
        for dx, ln in ((-3.4, 7), (0, 10), (3.4, 6)):
            out += path(f'M {fmt(cx + dx - 1.9)} 49 L {fmt(cx + dx)} {49 + ln} L {fmt(cx + dx + 1.9)} 49 Z',
                        f'fill="url(#icicle)" stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"')
        out += ellipse(cx, 39, 7, 11.5, f'fill="url(#frost)" stroke="{INK}" stroke-width="1.8"')
        out += path(f'M {fmt(cx - 6)} 34 Q {cx} 36 {fmt(cx + 6)} 34 M {fmt(cx - 6.6)} 41 Q {cx} 43 '
                    f'{fmt(cx + 6.6)} 41', f'fill="none" stroke="{ICE_DK}" stroke-width="1"')
        # Antennae tipped with snowflakes.
        for side in (-1, 1):
            out += path(f'M {fmt(cx + side * 2)} 13 Q {fmt(cx + side * 4)} 6 {fmt(cx + side * 9)} 5',
                        f'fill="none" stroke="{INK}" stroke-width="1.4" stroke-linecap="round"')
            tip = cx + side * 9
            out += circle(tip, 5, 3.4, f'fill="{ICE_DK}" stroke="{INK}" stroke-width="1"')
            out += flake(tip, 5, 2.4, 0.8)
        out += circle(cx, 20, 8, f'fill="url(#frosth)" stroke="{INK}" stroke-width="1.8"')
        out += dot_eye(cx - 3, 19.5, 1.5, 2) + dot_eye(cx + 3, 19.5, 1.5, 2)
        out += ellipse(cx - 5.2, 23, 1.6, 1, f'fill="{ICE_DK}"') + ellipse(cx + 5.2, 23, 1.6, 1, f'fill="{ICE_DK}"')
        out += path(f'M {fmt(cx - 1.5)} 24 Q {cx} 25 {fmt(cx + 1.5)} 24', f'fill="none" stroke="{INK}" '
                    'stroke-width="0.9" stroke-linecap="round"')
        # Frost crystal on the belly and a cold glint that turns.
        out += flake(cx, 40, 4, 1.3)
        out += sparkle(cx - 3.5, 33, 2 if f % 2 else 1.4, '#FFFFFF')
        return out

    return strip(fw, fh, 4, frame, defs)


def bolt_line(points, width=1.6):
    """A yellow zigzag with an ink edge, for sparks and antennae."""
    return (f'<polyline points="{pts(points)}" fill="none" stroke="{INK}" stroke-width="{fmt(width + 1.8)}" '
            'stroke-linejoin="round" stroke-linecap="round"/>\n'
            f'<polyline points="{pts(points)}" fill="none" stroke="#FFE45C" stroke-width="{fmt(width)}" '
            'stroke-linejoin="round" stroke-linecap="round"/>\n')


def legs(lines, width=1.8, colour=INK):
    out = ''
    for line in lines:
        out += f'<polyline points="{pts(line)}" fill="none" stroke="{colour}" stroke-width="{fmt(width)}" ' \
               'stroke-linejoin="round" stroke-linecap="round"/>\n'
    return out


def thunder_bug():
    """Kind 3: an indigo bug crackling with electricity, a lightning bolt for a tail; faces right."""
    fw, fh = 35, 55
    defs = WING_DEFS + radial('indigo', [(0, '#8C8CF0'), (0.5, '#4B45B8'), (1, '#231F66')], cx=0.35, cy=0.3, r=0.8)
    defs += linear('boltf', [(0, '#FFF6A8'), (0.5, '#FFE23F'), (1, '#FFB000')], 0, 0, 1, 1)

    def frame(f):
        out = ''
        out += leaf(13, 17, 12, 5.2, (-122, -154)[f], WING, 1.5, '#8DB9D0')
        # The bolt tail flickers between two shapes.
        tail = ([(10, 33), (19, 33), (15.5, 41), (21, 41), (12, 53.5), (14.5, 44.5), (9, 44.5)],
                [(9.5, 33), (18.5, 33), (16, 40.5), (22, 40.5), (11, 53.5), (14, 44), (8.5, 44)])[f]
        out += f'<polygon points="{pts(tail)}" fill="url(#boltf)" stroke="{INK}" stroke-width="1.6" ' \
               'stroke-linejoin="round"/>\n'
        out += legs([[(19, 33), (22, 37), (21, 39.5)], [(23, 31), (27, 34), (27.5, 37)]], 1.7)
        out += ellipse(15, 25, 10.5, 11, f'fill="url(#indigo)" stroke="{INK}" stroke-width="2" '
                       'transform="rotate(-15 15 25)"')
        out += f'<polyline points="{pts([(6, 22), (10.5, 26.5), (13.5, 21.5), (18, 27), (21.5, 22)])}" ' \
               'fill="none" stroke="#FFE23F" stroke-width="2" stroke-linejoin="round" stroke-linecap="round"/>\n'
        out += ellipse(10, 19.5, 2.4, 1.5, 'fill="#FFFFFF" opacity="0.6" transform="rotate(-30 10 19.5)"')
        # Antennae are little bolts.
        out += bolt_line([(24, 14.5), (23.5, 9.5), (26.5, 8.5), (25.5, 3.5)], 1.4)
        out += bolt_line([(28, 14.5), (29.5, 10), (32, 10), (32.5, 5)], 1.4)
        out += circle(26, 20.5, 7, f'fill="url(#indigo)" stroke="{INK}" stroke-width="1.8"')
        # Angry glowing eye looking ahead.
        out += path('M 25.5 17.2 L 31.6 18.4 Q 31.8 23.2 28.4 23.2 Q 25.2 23 25.5 17.2 Z',
                    f'fill="#FFF27A" stroke="{INK}" stroke-width="1.1" stroke-linejoin="round"')
        out += circle(29.4, 20.4, 1.5, f'fill="{INK}"')
        out += path('M 24.6 15.8 L 32.2 17.6', f'stroke="{INK}" stroke-width="1.8" stroke-linecap="round"')
        out += path('M 28.5 25.2 L 32 24.6', f'stroke="{INK}" stroke-width="1.2" stroke-linecap="round"')
        # Sparks jump between the antennae and the tail.
        if f == 0:
            out += bolt_line([(3, 9), (5.5, 11), (4, 12.5), (7, 14)], 1.0)
            out += bolt_line([(25, 46), (27.5, 47), (26, 49), (29, 50)], 1.0)
        else:
            out += bolt_line([(30.5, 28), (32, 31), (30.5, 32), (32.5, 35)], 1.0)
            out += bolt_line([(3, 36), (5.5, 37.5), (3.5, 39.5), (6.5, 41)], 1.0)
        return out

    return strip(fw, fh, 2, frame, defs)


def fat_fly():
    """Kind 4: a plump, ordinary housefly with big red eyes; faces right."""
    fw, fh = 64, 74
    defs = WING_DEFS + radial('abd4', [(0, '#AFC2D2'), (0.45, '#6F8AA3'), (1, '#33465A')], cx=0.4, cy=0.3, r=0.8)
    defs += radial('tho4', [(0, '#8FA0B0'), (0.5, '#56687A'), (1, '#2C3A48')], cx=0.4, cy=0.3, r=0.8)
    defs += radial('eye4', [(0, '#FF9C8C'), (0.45, '#E0322C'), (1, '#8A1414')], cx=0.35, cy=0.3, r=0.8)
    defs += '<clipPath id="abd4c">' + ellipse(24, 46, 17.2, 14.7, 'transform="rotate(12 24 46)"') + '</clipPath>\n'

    def frame(f):
        out = ''
        # Far wing first, then the near one.
        raised = f == 0
        out += leaf(33, 30, 26, 9.5, -100 if raised else -150, WING, 1.8, '#8DB9D0')
        out += leaf(30, 31, 28, 10.5, -118 if raised else -166, WING, 1.8, '#8DB9D0')
        out += legs([[(30, 54), (27, 61), (29, 68), (26.5, 70)], [(37, 51), (37, 60), (40, 67), (38, 70)],
                     [(44, 48), (49, 56), (51, 64), (54, 66)]], 2.0)
        out += ellipse(24, 46, 18, 15.5, f'fill="url(#abd4)" stroke="{INK}" stroke-width="2.2" '
                       'transform="rotate(12 24 46)"')
        out += '<g clip-path="url(#abd4c)">'
        for k in range(3):
            x = 14 + k * 8
            out += path(f'M {x} 30 Q {x - 5} 46 {x + 1} 62', 'fill="none" stroke="#2C3A48" stroke-width="2.2"')
        out += '</g>\n'
        out += ellipse(18, 39, 5, 2.8, 'fill="#FFFFFF" opacity="0.55" transform="rotate(-25 18 39)"')
        out += circle(38, 38, 10.5, f'fill="url(#tho4)" stroke="{INK}" stroke-width="2"')
        out += legs([[(33, 29), (32, 25)], [(37, 28), (37, 24)], [(41, 28.5), (42.5, 24.5)]], 1.4)
        out += circle(49, 41, 10, f'fill="url(#tho4)" stroke="{INK}" stroke-width="2"')
        # The big eye and a sucker mouth.
        out += ellipse(52, 37, 7.6, 8.6, f'fill="url(#eye4)" stroke="{INK}" stroke-width="1.8"')
        for (ex, ey) in ((49, 34), (53, 33), (50, 38.5), (54.5, 38), (52, 42.5), (56.5, 34)):
            out += circle(ex, ey, 0.9, 'fill="#FF7A70"')
        out += ellipse(50, 33.4, 2.4, 1.6, 'fill="#FFFFFF" opacity="0.85" transform="rotate(-30 50 33.4)"')
        out += path('M 52 48 Q 56 51 58.5 53', f'fill="none" stroke="{INK}" stroke-width="4" stroke-linecap="round"')
        out += path('M 52 48 Q 56 51 58.5 53', 'fill="none" stroke="#8FA0B0" stroke-width="1.8" '
                    'stroke-linecap="round"')
        out += ellipse(59, 54, 2.6, 1.8, f'fill="#8FA0B0" stroke="{INK}" stroke-width="1.2"')
        return out

    return strip(fw, fh, 2, frame, defs)


def gem_beetle():
    """Kind 5: a beetle whose shell is a cut emerald set in gold; faces right."""
    fw, fh = 40, 40
    defs = WING_DEFS + linear('em', [(0, '#9BFFE0'), (0.45, '#1FD1A0'), (1, '#066048')], 0, 0, 1, 1)
    defs += radial('goldh', [(0, GOLD_HI), (0.5, GOLD), (1, GOLD_SH)], cx=0.35, cy=0.3, r=0.8)
    defs += f'<clipPath id="shell">{ellipse(16, 22, 12.5, 10)}</clipPath>\n'

    def frame(f):
        out = ''
        out += leaf(17, 15.5, 15, 6.5, (-108, -150)[f], WING, 1.5, '#8DB9D0')
        out += legs([[(12, 30), (10, 35), (8, 36)], [(18, 31), (18, 35.5), (16, 37)], [(24, 29), (27, 34), (29.5, 35)]],
                    2.6)
        out += legs([[(12, 30), (10, 35), (8, 36)], [(18, 31), (18, 35.5), (16, 37)], [(24, 29), (27, 34), (29.5, 35)]],
                    1.2, GOLD)
        # Antennae.
        out += path('M 31 18 Q 33 11 37 10', f'fill="none" stroke="{INK}" stroke-width="1.4" stroke-linecap="round"')
        out += circle(37, 10, 1.6, f'fill="{GOLD}" stroke="{INK}" stroke-width="0.9"')
        out += circle(30, 23, 6, f'fill="url(#goldh)" stroke="{INK}" stroke-width="1.6"')
        out += dot_eye(32, 21.5, 1.4, 1.8)
        out += path('M 33 26 Q 34.6 25.8 35.4 24.4', f'fill="none" stroke="{INK}" stroke-width="1" '
                    'stroke-linecap="round"')
        # Shell: gold setting, emerald facets.
        out += ellipse(16, 22, 14, 11.5, f'fill="url(#goldh)" stroke="{INK}" stroke-width="1.8"')
        out += ellipse(16, 22, 12, 9.6, f'fill="url(#em)" stroke="{GOLD_SH}" stroke-width="0.8"')
        out += '<g clip-path="url(#shell)">'
        out += f'<polygon points="{pts([(9, 16), (16, 13), (23, 16), (16, 20)])}" fill="#B8FFEA" opacity="0.8"/>'
        out += f'<polygon points="{pts([(9, 16), (16, 20), (16, 32), (4, 24)])}" fill="#2BE0B0" opacity="0.55"/>'
        out += f'<polygon points="{pts([(23, 16), (28, 24), (16, 32), (16, 20)])}" fill="#044A37" opacity="0.45"/>'
        out += path('M 4 16 L 9 16 L 16 13 L 23 16 L 29 16 M 9 16 L 4 24 M 23 16 L 28 24 M 9 16 L 16 20 L 23 16 '
                    'M 16 20 L 16 34', 'fill="none" stroke="#0A7A5A" stroke-width="0.7"')
        out += '</g>\n'
        glint = ((12.5, 16.5, 3.8), (21, 25.5, 3.6))[f]
        out += sparkle(*glint, '#FFFFFF')
        return out

    return strip(fw, fh, 2, frame, defs)


def firefly():
    """Kind 6: a firefly with a glowing lantern tail; faces right."""
    fw, fh = 30, 45
    defs = WING_DEFS + radial('lamp0', [(0, '#FFFFE0'), (0.45, '#F4FF7A'), (1, '#8CCB00')], cx=0.45, cy=0.55, r=0.7)
    defs += radial('lamp1', [(0, '#FFFBB0'), (0.5, '#DDF24A'), (1, '#7AB000')], cx=0.45, cy=0.55, r=0.7)
    defs += radial('shell6', [(0, '#8A6A52'), (0.5, '#4A3426'), (1, '#24160C')], cx=0.35, cy=0.3, r=0.8)
    defs += radial('cap6', [(0, '#FFC08A'), (0.5, '#FF7A3A'), (1, '#C8461A')], cx=0.4, cy=0.3, r=0.8)

    def frame(f):
        out = ''
        raised = f == 0
        out += leaf(15, 19, 15, 6, -98 if raised else -148, WING, 1.5, '#8DB9D0')
        out += legs([[(17, 30), (20.5, 33), (20, 36)], [(20, 26), (24, 28), (25, 31)]], 1.5)
        # The lantern glows brighter and dimmer as it flies.
        out += ellipse(11, 33, 6.8, 8.4, f'fill="url(#lamp{f})" stroke="{INK}" stroke-width="1.7" '
                       'transform="rotate(25 11 33)"')
        out += path('M 6.2 30.5 Q 11 33 16 30', 'fill="none" stroke="#9BBF1A" stroke-width="0.9"')
        out += ellipse(15, 23, 6.4, 9, f'fill="url(#shell6)" stroke="{INK}" stroke-width="1.7" '
                       'transform="rotate(25 15 23)"')
        out += path('M 19 15.5 L 13 29', 'fill="none" stroke="#24160C" stroke-width="0.9"')
        out += ellipse(12.6, 20, 1.4, 3.2, 'fill="#FFFFFF" opacity="0.45" transform="rotate(25 12.6 20)"')
        # Antennae, head and the orange shield behind it.
        out += path('M 22.5 12 Q 24 6 27.5 3.5 M 21 12 Q 21 6.5 23.2 3', f'fill="none" stroke="{INK}" '
                    'stroke-width="1.2" stroke-linecap="round"')
        out += ellipse(19, 17, 5, 4, f'fill="url(#cap6)" stroke="{INK}" stroke-width="1.5" '
                       'transform="rotate(25 19 17)"')
        out += circle(23, 15, 4.3, f'fill="#3A2A20" stroke="{INK}" stroke-width="1.4"')
        out += ellipse(24.3, 14.2, 1.8, 2.2, 'fill="#FFFFFF"') + ellipse(24.9, 14.4, 1.1, 1.5, f'fill="{INK}"')
        out += circle(24.5, 13.8, 0.5, 'fill="#FFFFFF"')
        out += path('M 24.5 17.8 Q 25.8 17.9 26.6 16.8', 'fill="none" stroke="#FF9C8C" stroke-width="0.9" '
                    'stroke-linecap="round"')
        if raised:
            for (x, y, r) in ((3.5, 39.5, 1.5), (18, 41, 1.3), (3, 27, 1.1)):
                out += circle(x, y, r, f'fill="#F4FF7A" stroke="{INK}" stroke-width="0.7"')
        return out

    return strip(fw, fh, 2, frame, defs)


def beetle():
    """Kind 7: a plump violet beetle flying upright with its wing cases raised; faces right."""
    fw, fh = 62, 79
    defs = WING_DEFS + radial('vio', [(0, '#C9B8FF'), (0.45, '#7B5CFF'), (1, '#2A1A7A')], cx=0.35, cy=0.3, r=0.85)
    defs += linear('shell7', [(0, '#B7A3FF'), (0.5, '#6A4CF0'), (1, '#34208E')], 0, 0, 1, 1)

    def frame(f):
        out = ''
        raised = f == 0
        # Membrane wings beat under the raised wing cases.
        out += leaf(30, 30, 27, 9, -95 if raised else -158, WING, 1.8, '#8DB9D0')
        out += leaf(28, 32, 26, 10, -112 if raised else -170, WING, 1.8, '#8DB9D0')
        out += legs([[(33, 58), (37, 64), (35, 70), (37.5, 73)], [(38, 52), (44, 57), (45, 63), (48, 65)],
                     [(40, 45), (47, 47), (51, 52)]], 2.2)
        # Body: a tilted oval.
        out += ellipse(28, 49, 14, 21, f'fill="url(#vio)" stroke="{INK}" stroke-width="2.2" '
                       'transform="rotate(25 28 49)"')
        for k in range(3):
            y = 52 + k * 6
            out += path(f'M {fmt(30 + k * 0.5)} {y - 4} Q {36 - k} {y} {fmt(37.5 - k * 2)} {y + 3}',
                        'fill="none" stroke="#3B2A9E" stroke-width="1.4"')
        # Wing case, raised back.
        ang = -140 if raised else -150
        out += f'<g transform="translate(33 31) rotate({ang})">'
        out += path('M 0 -5 C 8 -11 24 -9 27 0 C 24 6 8 7 0 5 Z', f'fill="url(#shell7)" stroke="{INK}" '
                    'stroke-width="2" stroke-linejoin="round"')
        out += path('M 4 -4 C 11 -7.5 20 -6.5 23 -2', 'fill="none" stroke="#E4DAFF" stroke-width="1.6" '
                    'stroke-linecap="round"')
        out += '</g>\n'
        # Head with clubbed antennae.
        for (ex, ey) in ((50, 8), (55, 12)):
            out += path(f'M 44 18 Q {ex - 4} {ey + 1} {ex} {ey}', f'fill="none" stroke="{INK}" stroke-width="1.6" '
                        'stroke-linecap="round"')
            out += ellipse(ex, ey, 2.6, 1.8, f'fill="#7B5CFF" stroke="{INK}" stroke-width="1.1"')
        out += circle(41, 25, 9, f'fill="url(#vio)" stroke="{INK}" stroke-width="2"')
        out += eye(44.5, 23.5, 3.2, 3.8, (0.6, 0.1), 1.1)
        out += path('M 44 30 Q 47 31 49 28.6', f'fill="none" stroke="{INK}" stroke-width="1.3" stroke-linecap="round"')
        out += ellipse(46.6, 28.6, 1.6, 1, 'fill="#FF9CC8"')
        out += ellipse(20, 40, 3, 6, 'fill="#FFFFFF" opacity="0.45" transform="rotate(25 20 40)"')
        return out

    return strip(fw, fh, 2, frame, defs)


def king_scarab():
    """Kind 8: a crowned golden scarab set with jewels; faces right."""
    fw, fh = 73, 92
    defs = WING_DEFS + radial('gold8', [(0, GOLD_HI), (0.45, GOLD), (1, '#C07C08')], cx=0.35, cy=0.3, r=0.85)
    defs += linear('gold8b', [(0, '#FFE680'), (1, '#B8730A')], 0, 0, 1, 1)
    defs += radial('ruby8', [(0, '#FFB0C0'), (0.5, '#E8244A'), (1, '#7A0A22')], cx=0.35, cy=0.3, r=0.8)
    defs += radial('sap8', [(0, '#B8D4FF'), (0.5, '#2F6BEA'), (1, '#12307A')], cx=0.35, cy=0.3, r=0.8)
    defs += radial('em8', [(0, '#B8FFE8'), (0.5, '#1FD1A0'), (1, '#066048')], cx=0.35, cy=0.3, r=0.8)

    def gem(x, y, r, g):
        return (circle(x, y, r, f'fill="url(#{g})" stroke="{INK}" stroke-width="1.3"')
                + circle(x - r * 0.35, y - r * 0.35, r * 0.3, 'fill="#FFFFFF"'))

    def frame(f):
        out = ''
        raised = f == 0
        out += leaf(36, 36, 32, 11, -92 if raised else -156, WING, 2, '#8DB9D0')
        out += leaf(33, 38, 30, 12, -110 if raised else -168, WING, 2, '#8DB9D0')
        out += legs([[(40, 74), (44, 81), (42, 87), (45, 89.5)], [(47, 68), (54, 73), (55, 80), (58.5, 82)],
                     [(50, 60), (58, 62), (62, 67.5)]], 3.4)
        out += legs([[(40, 74), (44, 81), (42, 87), (45, 89.5)], [(47, 68), (54, 73), (55, 80), (58.5, 82)],
                     [(50, 60), (58, 62), (62, 67.5)]], 1.4, GOLD_SH)
        # Round golden body with a jewel set in the middle.
        out += ellipse(34, 59, 21, 26, f'fill="url(#gold8)" stroke="{INK}" stroke-width="2.4" '
                       'transform="rotate(25 34 59)"')
        out += ellipse(34, 59, 15, 19.5, f'fill="none" stroke="{GOLD_SH}" stroke-width="1.4" '
                       'transform="rotate(25 34 59)"')
        out += path('M 44 40 L 24 78', f'stroke="{GOLD_SH}" stroke-width="1.4" fill="none"')
        out += gem(34, 59, 6, 'ruby8') + gem(27, 48, 3.4, 'sap8') + gem(41, 70, 3.4, 'em8') \
            + gem(23, 68, 2.8, 'em8') + gem(45, 50, 2.8, 'sap8')
        out += ellipse(22, 50, 3.4, 7, 'fill="#FFFFFF" opacity="0.5" transform="rotate(25 22 50)"')
        # Head wearing a crown.
        out += circle(50, 31, 11, f'fill="url(#gold8b)" stroke="{INK}" stroke-width="2.2"')
        out += eye(54.5, 30, 3.6, 4.2, (0.6, 0.1), 1.2)
        out += path('M 53 38 Q 57 39.4 60 36', f'fill="none" stroke="{INK}" stroke-width="1.4" '
                    'stroke-linecap="round"')
        out += ellipse(57.4, 36.4, 1.8, 1.1, 'fill="#FF9C8C"')
        crown = [(40, 21), (39.5, 9), (45, 14), (49.5, 5.5), (54, 14), (59.5, 9), (58.5, 21)]
        out += f'<polygon points="{pts(crown)}" fill="url(#gold8b)" stroke="{INK}" stroke-width="1.8" ' \
               'stroke-linejoin="round"/>\n'
        out += path('M 40.5 18 L 58.3 18', f'stroke="{GOLD_SH}" stroke-width="1.2"')
        out += gem(49.5, 15, 2.2, 'ruby8') + circle(39.5, 9, 1.6, f'fill="{GOLD_HI}" stroke="{INK}" '
                                                      'stroke-width="1"') \
            + circle(49.5, 5.5, 1.6, f'fill="{GOLD_HI}" stroke="{INK}" stroke-width="1"') \
            + circle(59.5, 9, 1.6, f'fill="{GOLD_HI}" stroke="{INK}" stroke-width="1"')
        # Twinkles.
        tw = ((65, 47, 4.5), (9, 82, 4.5))[f]
        out += sparkle(*tw, '#FFFFFF', 1.0)
        return out

    return strip(fw, fh, 2, frame, defs)


def pair_leaf(side, x, y, length, width, a, fill=WING, veins='#8DB9D0', sw=1.5):
    """One of a symmetric pair of wings, raised a degrees from straight up (side -1: the left twin)."""
    w = leaf(x, y, length, width, -90 + a, fill, sw, veins)
    if side > 0:
        return w
    return f'<g transform="translate({fmt(2 * x)} 0) scale(-1 1)">{w}</g>\n'


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
        boxes = []
        for f in range(frames):
            solid = [(x, y) for y in range(fh) for x in range(fw) if alpha[y * w + f * fw + x] >= 128]
            xs, ys = [p[0] for p in solid], [p[1] for p in solid]
            boxes.append((min(xs), min(ys), max(xs), max(ys)))
            margins = (boxes[-1][0], boxes[-1][1], fw - 1 - boxes[-1][2], fh - 1 - boxes[-1][3])
            note = '  touches the cell edge' if min(margins) < 1 else ''
            bad += bool(note)
            print(f'{name} frame {f}: margins l{margins[0]} t{margins[1]} r{margins[2]} b{margins[3]}{note}')
        # Wings sweep, so the cycle as a whole is what must sit in the middle of the cell.
        left, top = min(b[0] for b in boxes), min(b[1] for b in boxes)
        right, bottom = fw - 1 - max(b[2] for b in boxes), fh - 1 - max(b[3] for b in boxes)
        if abs(left - right) > 3 or abs(top - bottom) > 3:
            print(f'{name}: cycle off centre (l{left} t{top} r{right} b{bottom})')
            bad += 1
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
    write('enemy0.svg', hornet())
    write('enemy1.svg', butterfly())
    write('enemy2.svg', ice_moth())
    write('enemy3.svg', thunder_bug())
    write('enemy4.svg', fat_fly())
    write('enemy5.svg', gem_beetle())
    write('enemy6.svg', firefly())
    write('enemy7.svg', beetle())
    write('enemy8.svg', king_scarab())
    write('pupil_alt.svg', pupil_heart())


if __name__ == '__main__':
    main()
    if '--check' in sys.argv[1:] and not check():
        sys.exit(1)
