"""Level objects: crate, nuts, medkit, accelerator, layer portal, dummy ball,
finish gate, spikes and the area that home bases and the king's hill tint."""
import math

from svg import *


def hexagon(cx, cy, r, rot=0.0):
    return [(cx + r * math.cos(math.radians(rot + 60 * i)), cy + r * math.sin(math.radians(rot + 60 * i)))
            for i in range(6)]


def box():
    # the physical box is 1 unit, the picture 1.1 units: the crate fills 116 of 128 pixels
    d = [lingrad("wood", 0, 6, 0, 122, [(0, WOOD["light"]), (1, WOOD["main"])])]
    b = [rect(6, 6, 116, 116, 10, fill="url(#wood)", stroke=INK, stroke_width=5)]
    for y in (40, 64, 88):
        b.append(path("M18,%d H110" % y, stroke=WOOD["dark"], stroke_width=3, opacity=0.6))
    b.append(path("M24,104 L104,24", stroke=INK, stroke_width=20, stroke_linecap="round"))
    b.append(path("M24,104 L104,24", stroke=WOOD["main"], stroke_width=13, stroke_linecap="round"))
    b.append(path("M28,96 L96,28", stroke=WOOD["light"], stroke_width=3, stroke_linecap="round"))
    b.append(rect(6, 6, 116, 116, 10, fill="none", stroke=WOOD["dark"], stroke_width=22, clip_path="url(#inner)"))
    b.append(rect(17, 17, 94, 94, 3, fill="none", stroke=INK, stroke_width=4))
    b.append(rect(6, 6, 116, 116, 10, fill="none", stroke=INK, stroke_width=5))
    b.append(path("M14,14 H114", stroke=WOOD["light"], stroke_width=3, stroke_linecap="round", opacity=0.8))
    for x, y in ((12, 12), (116, 12), (12, 116), (116, 116)):
        b.append(circle(x, y, 4.5, fill=METAL["main"], stroke=INK, stroke_width=2))
    d.append(clip("inner", rect(6, 6, 116, 116, 10)))
    return doc(128, 128, b, d)


def hex_nut(size, gid, zorbell=False):
    c = size / 2.0
    r = size * (0.4 if zorbell else 0.46)
    d = [lingrad(gid + "g", 0, c - r, 0, c + r, [(0, GOLD["light"]), (0.45, GOLD["main"]), (1, GOLD["dark"])]),
         radgrad(gid + "glow", c, c, c, [(0, GOLD["light"], 0.9), (0.5, GOLD["main"], 0.45), (1, GOLD["main"], 0)])]
    b = []
    lw = size / 24.0
    if zorbell:
        b.append(circle(c, c, c, fill="url(#%sglow)" % gid))
        for i in range(8):
            a = i * 45 + 22.5
            b.append(path("M%s,%s L%s,%s" % (f(c), f(c - r * 0.9), f(c), f(c - c * 0.98)), stroke=GOLD["light"],
                          stroke_width=lw * 1.2, stroke_linecap="round", opacity=0.8,
                          transform="rotate(%s %s %s)" % (f(a), f(c), f(c))))
    hx = hexagon(c, c, r, 30)
    b.append(path(poly_d(hx), fill="url(#%sg)" % gid, stroke=INK, stroke_width=lw * 1.3, stroke_linejoin="round"))
    inner = hexagon(c, c, r * 0.78, 30)
    b.append(path(poly_d(inner), fill=GOLD["main"], stroke=GOLD["dark"], stroke_width=lw * 0.7,
                  stroke_linejoin="round"))
    # bevel facets: light upper left, dark lower right
    for i in range(6):
        col = GOLD["light"] if i in (3, 4) else (GOLD["dark"] if i in (0, 1) else None)
        if col:
            q = [hx[i], hx[(i + 1) % 6], inner[(i + 1) % 6], inner[i]]
            b.append(path(poly_d(q), fill=col, opacity=0.75))
    b.append(path(poly_d(hx), fill="none", stroke=INK, stroke_width=lw * 1.3, stroke_linejoin="round"))
    hole = r * 0.42
    if zorbell:
        b.append(circle(c, c, hole, fill="#2b1f4a", stroke=INK, stroke_width=lw))
        zs = hole * 1.1 / 90.0
        for dd, x, y in stroke_text("Z", c - 30 * zs, c - 45 * zs, zs):
            b.append(glyph(dd, x, y, zs, fill="none", stroke=P2["light"], stroke_width=f(lw * 1.4 / zs),
                           stroke_linecap="round", stroke_linejoin="round"))
    else:
        b.append(circle(c, c, hole, fill="none", stroke=GOLD["dark"], stroke_width=lw * 2.2))
        b.append(circle(c, c, hole - lw * 0.4, fill="none", stroke=INK, stroke_width=lw * 1.3))
        b.append(circle(c, c, hole + lw * 1.1, fill="none", stroke=INK, stroke_width=lw * 0.8, opacity=0.6))
    # sparkle
    sx, sy, s = c - r * 0.45, c - r * 0.55, size * 0.09
    b.append(path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
        f(sx), f(sy - s), f(sx), f(sy), f(sx + s), f(sy), f(sx), f(sy), f(sx), f(sy + s),
        f(sx), f(sy), f(sx - s), f(sy), f(sx), f(sy), f(sx), f(sy - s)), fill=WHITE))
    return doc(size, size, b, d)


def medkit():
    # sensor is 1 unit (64 px of the 2-unit picture); the case is a bit bigger, with a glow
    d = [radgrad("halo", 64, 68, 62, [(0, "#b8ffe0", 0.7), (0.6, "#5fe0b0", 0.25), (1, "#5fe0b0", 0)]),
         lingrad("case", 0, 40, 0, 104, [(0, "#ffffff"), (1, "#d9e4ee")])]
    b = [circle(64, 68, 62, fill="url(#halo)")]
    b.append(path("M48,42 V30 A6,6 0 0 1 54,24 H74 A6,6 0 0 1 80,30 V42", fill="none", stroke=INK, stroke_width=12,
                  stroke_linejoin="round"))
    b.append(path("M48,42 V30 A6,6 0 0 1 54,24 H74 A6,6 0 0 1 80,30 V42", fill="none", stroke=METAL["main"],
                  stroke_width=6, stroke_linejoin="round"))
    b.append(rect(22, 40, 84, 64, 12, fill="url(#case)", stroke=INK, stroke_width=5))
    b.append(rect(22, 90, 84, 14, 0, fill="#b7c6d6", clip_path="url(#caseclip)"))
    b.append(rect(22, 40, 84, 64, 12, fill="none", stroke=INK, stroke_width=5))
    cross = "M57,52 H71 V65 H84 V79 H71 V92 H57 V79 H44 V65 H57 Z"
    b.append(path(cross, fill="#2fbf71", stroke=INK, stroke_width=4, stroke_linejoin="round"))
    b.append(path("M60,55 H68", stroke="#9cf0c0", stroke_width=3, stroke_linecap="round"))
    b.append(path("M30,48 H60", stroke=WHITE, stroke_width=4, stroke_linecap="round", opacity=0.9))
    for x, y, s in ((104, 30, 7), (20, 36, 5), (110, 96, 5)):
        b.append(path("M%d,%d L%d,%d M%d,%d L%d,%d" % (x - s, y, x + s, y, x, y - s, x, y + s), stroke=WHITE,
                      stroke_width=3, stroke_linecap="round"))
    d.append(clip("caseclip", rect(22, 40, 84, 64, 12)))
    return doc(128, 128, b, d)


def accelerator():
    # two chevrons pointing to +x: wide tails on the left, a narrow tip on the right
    d = [lingrad("acc", 0, 0, 64, 0, [(0, GOLD["main"]), (1, "#ff7a2f")])]
    b = []
    for x0, op in ((6, 0.75), (28, 1.0)):
        ch = [(x0, 8), (x0 + 14, 8), (x0 + 30, 32), (x0 + 14, 56), (x0, 56), (x0 + 16, 32)]
        b.append(path(poly_d(ch), fill="url(#acc)", stroke=INK, stroke_width=3.5, stroke_linejoin="round",
                      opacity=op))
        b.append(path(poly_d([(x0 + 4, 11), (x0 + 12, 11), (x0 + 25, 30)], False), fill="none",
                      stroke=GOLD["light"], stroke_width=2.5, stroke_linecap="round", opacity=op))
    return doc(64, 64, b, d)


def spiral():
    d = [radgrad("core", 128, 128, 124, [(0, "#ffffff", 1), (0.2, "#b4f4ff", 0.95), (0.55, "#7b5cff", 0.55),
                                         (1, "#3b1f8f", 0)]),
         blur("soft", 3)]
    b = [circle(128, 128, 124, fill="url(#core)")]
    for arm in range(3):
        ptsl = []
        for i in range(60):
            t = i / 59.0
            a = math.radians(arm * 120 + t * 400)
            r = 14 + t * 96
            ptsl.append((128 + r * math.cos(a), 128 + r * math.sin(a)))
        dd = smooth_d(ptsl, False)
        b.append(path(dd, fill="none", stroke="#ffffff", stroke_width=14, stroke_linecap="round", opacity=0.5,
                      filter="url(#soft)"))
        b.append(path(dd, fill="none", stroke=P2["light"], stroke_width=7, stroke_linecap="round"))
    b.append(circle(128, 128, 112, fill="none", stroke=P2["light"], stroke_width=4, opacity=0.7))
    b.append(circle(128, 128, 18, fill=WHITE))
    return doc(256, 256, b, d)


def dummy():
    # four frames of a round critter whose eyes travel from left to right
    b, d = [], [radgrad("ball", 0, 0, 1, [(0, "#d6b6ff"), (0.6, "#9a6ae0"), (1, "#5b3a9a")], 0.35, 0.3,
                        units="objectBoundingBox")]
    for fr in range(4):
        cx, cy = 32 + fr * 64, 32
        b.append(circle(cx, cy, 26, fill="url(#ball)", stroke=INK, stroke_width=3))
        b.append(ellipse(cx - 9, cy - 13, 7, 4, fill=WHITE, opacity=0.6, transform="rotate(-30 %d %d)" % (cx - 9, cy - 13)))
        look = -4 + fr * 8 / 3.0
        for ex in (-8, 8):
            b.append(ellipse(cx + ex, cy - 2, 6, 7.5, fill=WHITE, stroke=INK, stroke_width=2))
            b.append(circle(cx + ex + look * 0.7, cy - 1, 3.2, fill=INK))
        mouth = [(cx - 6 + look * 0.5, cy + 11), (cx + look * 0.5, cy + 14 - fr * 0.6), (cx + 6 + look * 0.5, cy + 11)]
        b.append(path(smooth_d(mouth, False), fill="none", stroke=INK, stroke_width=2.5, stroke_linecap="round"))
        b.append(ellipse(cx - 15, cy + 8, 4, 2.5, fill=PINK, opacity=0.6))
        b.append(ellipse(cx + 15, cy + 8, 4, 2.5, fill=PINK, opacity=0.6))
    return doc(256, 64, b, d)


def checkpoint():
    # finish gate in the top-left 192 x 256: drawn 2.25 x 3.0 units, 85.3 pixels a unit
    d = [lingrad("post", 0, 0, 1, 0, [(0, METAL["light"]), (0.5, METAL["main"]), (1, METAL["dark"])],
                 units="objectBoundingBox"),
         clip("banner", rect(20, 22, 152, 52, 6))]
    b = []
    for x in (10, 164):
        b.append(rect(x, 14, 18, 240, 6, fill="url(#post)", stroke=INK, stroke_width=4))
        for y in (60, 130, 200):
            b.append(rect(x - 2, y, 22, 10, 3, fill=P1["main"], stroke=INK, stroke_width=3))
        b.append(circle(x + 9, 12, 10, fill=GOLD["main"], stroke=INK, stroke_width=4))
        b.append(rect(x - 6, 240, 30, 14, 4, fill=METAL["dark"], stroke=INK, stroke_width=4))
    cells = []
    for row in range(3):
        for col in range(10):
            if (row + col) % 2 == 0:
                cells.append(rect(20 + col * 15.2, 22 + row * 17.33, 15.2, 17.33, fill=INK))
    b.append(rect(20, 22, 152, 52, 6, fill=WHITE))
    b.append(group(cells, clip_path="url(#banner)"))
    b.append(rect(20, 22, 152, 52, 6, fill="none", stroke=INK, stroke_width=4))
    # pennants hanging under the banner
    for i in range(7):
        x = 30 + i * 22
        col = (P1["main"], GOLD["main"], P2["main"])[i % 3]
        b.append(path(poly_d([(x - 8, 76), (x + 8, 76), (x, 94)]), fill=col, stroke=INK, stroke_width=2.5,
                      stroke_linejoin="round"))
    b.append(path("M22,76 Q96,84 170,76", fill="none", stroke=INK, stroke_width=2))
    return doc(256, 256, b, d)


def spikes():
    # a row of steel spikes on a red base plate, all in the lower half, so the
    # picture suits a hazard drawn 2 x 1 units (the bottom half) or 2 x 2 units
    d = [lingrad("plate", 0, 106, 0, 122, [(0, P1["dark"]), (1, P1["deep"])])]
    b = []
    count, left, right, base, tip = 5, 8, 120, 108, 62
    w = (right - left) / float(count)
    for i in range(count):
        x0, x1 = left + i * w, left + (i + 1) * w
        xm = (x0 + x1) / 2.0
        # light on the left facet, shade on the right one, as if lit from the upper left
        b.append(path(poly_d([(x0, base), (xm, tip), (xm, base)]), fill=METAL["light"]))
        b.append(path(poly_d([(xm, base), (xm, tip), (x1, base)]), fill=METAL["dark"]))
        b.append(path(poly_d([(xm - w * 0.16, base), (xm, tip + 10), (xm, base)]), fill=METAL["main"]))
        b.append(path(poly_d([(x0, base), (xm, tip), (x1, base)]), fill="none", stroke=INK, stroke_width=3.5,
                      stroke_linejoin="round"))
        b.append(path("M%s,%s L%s,%s" % (f(x0 + w * 0.2), f(base - 6), f(xm - 1.5), f(tip + 8)), stroke=WHITE,
                      stroke_width=2, stroke_linecap="round", opacity=0.9))
    b.append(rect(5, 106, 118, 16, 4, fill="url(#plate)", stroke=INK, stroke_width=4))
    # warning stripes on the plate
    stripes = [path(poly_d([(x, 122), (x + 8, 106), (x + 16, 106), (x + 8, 122)]), fill=GOLD["main"], opacity=0.85)
               for x in range(0, 128, 20)]
    b.append(group(stripes, clip_path="url(#plateclip)"))
    b.append(rect(5, 106, 118, 16, 4, fill="none", stroke=INK, stroke_width=4))
    b.append(path("M10,109.5 H118", stroke=P1["light"], stroke_width=2, stroke_linecap="round", opacity=0.7))
    d.append(clip("plateclip", rect(7, 108, 114, 12, 3)))
    return doc(128, 128, b, d)


def zorbellnut():
    return hex_nut(128, "zn", zorbell=True)


def area():
    # white with soft edges and a light hatch; the game tints it per player or state
    d = [
         lingrad("fadeh", 0, 0, 128, 0, [(0, "#fff", 0), (0.08, "#fff", 1), (0.92, "#fff", 1), (1, "#fff", 0)]),
         lingrad("fadev", 0, 0, 0, 128, [(0, "#fff", 0), (0.08, "#fff", 1), (0.92, "#fff", 1), (1, "#fff", 0)]),
         "<mask id=\"soft\"><rect x=\"0\" y=\"0\" width=\"128\" height=\"128\" fill=\"url(#fadeh)\"/></mask>",
         "<mask id=\"softv\"><rect x=\"0\" y=\"0\" width=\"128\" height=\"128\" fill=\"url(#fadev)\"/></mask>"]
    inner = [rect(0, 0, 128, 128, fill="#ffffff", opacity=0.3)]
    for i in range(-8, 9):
        x = i * 16
        inner.append(path("M%d,128 L%d,0" % (x, x + 128), stroke="#ffffff", stroke_width=5, opacity=0.35))
    inner.append(rect(8, 8, 112, 112, 14, fill="none", stroke="#ffffff", stroke_width=6, opacity=0.9))
    b = [group(group(inner, mask="url(#softv)"), mask="url(#soft)")]
    return doc(128, 128, b, d)


def pictures():
    return [("sprites/box.png", 128, 128, box()),
            ("sprites/nut.png", 64, 64, hex_nut(64, "nut")),
            ("sprites/medkit.png", 128, 128, medkit()),
            ("sprites/accelerator.png", 64, 64, accelerator()),
            ("sprites/spiral.png", 256, 256, spiral()),
            ("sprites/dummy.png", 256, 64, dummy()),
            ("sprites/checkpoint.png", 256, 256, checkpoint()),
            ("sprites/zorbellnut.png", 128, 128, zorbellnut()),
            ("sprites/area.png", 128, 128, area()),
            ("sprites/spikes.png", 128, 128, spikes())]
