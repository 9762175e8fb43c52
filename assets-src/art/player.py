"""sprites/player.png: one 256-pixel row per player.

In each row: the chassis at x 0-383 (3.0 x 2.0 world units, so 128 pixels a
unit, centred on the chassis body), a wheel at x 384-511 in the row's top
half (1.1 units wide), and the rider at x 512-767 (1.6 units, 160 pixels a
unit, centred on the rider body). The vehicle faces +x.
"""
from svg import *

CH = 128.0   # chassis pixels per world unit
RI = 160.0   # rider pixels per world unit


def cu(x, y):
    """Chassis-local world units to pixels of the chassis cell."""
    return (192 + CH * x, 128 + CH * y)


def ru(x, y):
    return (128 + RI * x, 128 + RI * y)


def chassis(c, pid, n):
    out = []
    rear = cu(-1.05, 0.48)
    front = cu(1.0, 0.5)
    # swing arm and frame tubes behind the body
    pivot = (150, 150)
    for w, col in ((20, INK), (12, METAL["dark"]), (5, METAL["main"])):
        out.append(path(poly_d([rear, pivot], False), fill="none", stroke=col, stroke_width=w, stroke_linecap="round"))
    head = (262, 62)
    for w, col in ((18, INK), (11, METAL["dark"]), (4, METAL["light"])):
        out.append(path(poly_d([front, head], False), fill="none", stroke=col, stroke_width=w, stroke_linecap="round"))
    # handlebar
    grip = (224, 34)
    bar = [head, (258, 40), grip]
    for w, col in ((14, INK), (8, METAL["dark"])):
        out.append(path(poly_d(bar, False), fill="none", stroke=col, stroke_width=w,
                        stroke_linecap="round", stroke_linejoin="round"))
    out.append(path(poly_d([(236, 36), (214, 33)], False), fill="none", stroke=INK, stroke_width=16, stroke_linecap="round"))
    out.append(path(poly_d([(234, 35), (216, 33)], False), fill="none", stroke=TYRE["light"], stroke_width=9,
                    stroke_linecap="round"))
    # engine block between the wheels
    out.append(rect(128, 134, 104, 56, 12, fill=METAL["dark"], stroke=INK, stroke_width=5))
    for i in range(5):
        x = 142 + i * 18
        out.append(rect(x, 142, 8, 40, 3, fill=METAL["main"], stroke=INK, stroke_width=2))
    # exhaust pipe to the back
    ex = [(150, 176), (96, 172), (38, 142), (14, 120)]
    out.append(path(smooth_d(ex, False), fill="none", stroke=INK, stroke_width=18, stroke_linecap="round"))
    out.append(path(smooth_d(ex, False), fill="none", stroke=METAL["main"], stroke_width=10, stroke_linecap="round"))
    out.append(path(smooth_d(ex[1:], False), fill="none", stroke=METAL["light"], stroke_width=3, stroke_linecap="round",
                    transform="translate(0,-3)"))
    out.append(ellipse(14, 120, 9, 11, fill=INK, transform="rotate(-40 14 120)"))
    # fenders above both wheels
    # the rear wheel sits near the cell's edge, so its fender covers only the top
    for (cx, cy), a0, a1 in ((rear, 245, 332), (front, 208, 300)):
        arc = arc_points(cx, cy, 80, a0, a1, 16)
        d = smooth_d(arc, False)
        out.append(path(d, fill="none", stroke=INK, stroke_width=22, stroke_linecap="round"))
        out.append(path(d, fill="none", stroke=c["dark"], stroke_width=14, stroke_linecap="round"))
        out.append(path(smooth_d(arc_points(cx, cy, 83, a0 + 8, a1 - 12, 12), False), fill="none",
                        stroke=c["main"], stroke_width=5, stroke_linecap="round"))
    # the body shell
    body = [(70, 98), (120, 86), (196, 70), (258, 76), (300, 98), (308, 124), (292, 150),
            (240, 162), (170, 160), (110, 152), (70, 136), (60, 116)]
    bd = smooth_d(body)
    out.append(path(bd, fill="url(#%sbody)" % pid))
    out.append(group(path(bd, fill=c["dark"], transform="translate(0,30)"), clip_path="url(#%sbodyclip)" % pid))
    out.append(group(path(smooth_d([(84, 100), (196, 78), (262, 84), (292, 104)], False), fill="none",
                          stroke=c["light"], stroke_width=7, stroke_linecap="round", opacity=0.9),
                     clip_path="url(#%sbodyclip)" % pid))
    out.append(path(bd, fill="none", stroke=INK, stroke_width=5, stroke_linejoin="round"))
    # racing stripe
    out.append(path(smooth_d([(96, 126), (180, 116), (250, 118), (298, 128)], False), fill="none",
                    stroke=WHITE, stroke_width=7, stroke_linecap="round", opacity=0.85))
    # seat
    seat = [(84, 70), (110, 62), (160, 64), (178, 76), (160, 90), (96, 90)]
    out.append(path(smooth_d(seat), fill=TYRE["main"], stroke=INK, stroke_width=5))
    out.append(path(smooth_d([(98, 70), (130, 65), (160, 68)], False), fill="none", stroke=TYRE["light"],
                    stroke_width=4, stroke_linecap="round"))
    # headlight
    out.append(ellipse(300, 108, 11, 13, fill=GOLD["light"], stroke=INK, stroke_width=4))
    out.append(ellipse(297, 104, 4, 5, fill=WHITE))
    # number badge
    out.append(circle(196, 116, 22, fill=WHITE, stroke=INK, stroke_width=5))
    scale = 0.3
    for d, x, y in stroke_text(str(n), 196 - 30 * scale - (4 if n == 1 else 0), 116 - 45 * scale, scale):
        out.append(glyph(d, x, y, scale, fill="none", stroke=INK, stroke_width=f(6 / scale), stroke_linecap="round",
                         stroke_linejoin="round"))
    # axle bolts stay under the wheels; a hint of the fork clamp shows
    out.append(circle(head[0], head[1], 8, fill=METAL["main"], stroke=INK, stroke_width=4))
    return out


def wheel(c, ox, oy):
    cx, cy = ox + 64, oy + 64
    out = []
    # tread knobs sticking out of the tyre
    for i in range(14):
        a = i * 360.0 / 14
        out.append(rect(cx - 7, cy - 60, 14, 14, 4, fill=TYRE["main"], stroke=INK, stroke_width=3,
                        transform="rotate(%s %s %s)" % (f(a), f(cx), f(cy))))
    out.append(circle(cx, cy, 56, fill=TYRE["main"], stroke=INK, stroke_width=4))
    out.append(circle(cx, cy, 50, fill="none", stroke=TYRE["light"], stroke_width=3, opacity=0.7))
    out.append(circle(cx, cy, 38, fill="url(#rim)", stroke=INK, stroke_width=4))
    for i in range(5):
        a = i * 72.0
        out.append(path("M%s,%s L%s,%s" % (f(cx), f(cy), f(cx), f(cy - 33)), stroke=INK, stroke_width=13,
                        stroke_linecap="round", transform="rotate(%s %s %s)" % (f(a), f(cx), f(cy))))
        out.append(path("M%s,%s L%s,%s" % (f(cx), f(cy), f(cx), f(cy - 33)), stroke=c["main"], stroke_width=7,
                        stroke_linecap="round", transform="rotate(%s %s %s)" % (f(a), f(cx), f(cy))))
    out.append(circle(cx, cy, 13, fill=c["dark"], stroke=INK, stroke_width=4))
    out.append(circle(cx - 3, cy - 3, 4, fill=c["light"]))
    return out


def rider(c, ox, oy, scarf):
    def p(x, y):
        px, py = ru(x, y)
        return (ox + px, oy + py)

    out = []
    # scarf streaming backwards
    s = [p(-0.05, -0.17), p(-0.3, -0.2), p(-0.5, -0.12), p(-0.68, -0.18)]
    out.append(path(smooth_d(s, False), fill="none", stroke=INK, stroke_width=22, stroke_linecap="round"))
    out.append(path(smooth_d(s, False), fill="none", stroke=scarf, stroke_width=14, stroke_linecap="round"))
    # far leg
    leg = [p(-0.05, 0.4), p(0.35, 0.42), p(0.42, 0.74)]
    out.append(path(poly_d(leg, False), fill="none", stroke=INK, stroke_width=34, stroke_linecap="round",
                    stroke_linejoin="round"))
    out.append(path(poly_d(leg, False), fill="none", stroke=TYRE["main"], stroke_width=25, stroke_linecap="round",
                    stroke_linejoin="round"))
    # torso
    torso = [p(-0.2, -0.16), p(0.1, -0.2), p(0.2, 0.02), p(0.16, 0.3), p(0.1, 0.5), p(-0.22, 0.5), p(-0.27, 0.15)]
    td = smooth_d(torso)
    out.append(path(td, fill=c["main"], stroke=INK, stroke_width=5))
    out.append(path(smooth_d([p(-0.14, -0.12), p(-0.2, 0.12), p(-0.16, 0.42)], False), fill="none",
                    stroke=c["light"], stroke_width=8, stroke_linecap="round", opacity=0.8))
    out.append(path(poly_d([p(-0.25, 0.36), p(0.14, 0.36)], False), stroke=INK, stroke_width=12))
    out.append(path(poly_d([p(-0.25, 0.36), p(0.14, 0.36)], False), stroke=TYRE["light"], stroke_width=6))
    # near leg over the torso
    leg = [p(-0.08, 0.42), p(0.4, 0.46), p(0.46, 0.76)]
    out.append(path(poly_d(leg, False), fill="none", stroke=INK, stroke_width=36, stroke_linecap="round",
                    stroke_linejoin="round"))
    out.append(path(poly_d(leg, False), fill="none", stroke=TYRE["light"], stroke_width=27, stroke_linecap="round",
                    stroke_linejoin="round"))
    # arm to the handlebar
    arm = [p(0.02, -0.08), p(0.34, 0.2), p(0.62, 0.26)]
    out.append(path(poly_d(arm, False), fill="none", stroke=INK, stroke_width=30, stroke_linecap="round",
                    stroke_linejoin="round"))
    out.append(path(poly_d(arm, False), fill="none", stroke=c["dark"], stroke_width=21, stroke_linecap="round",
                    stroke_linejoin="round"))
    hx, hy = p(0.64, 0.26)
    out.append(circle(hx, hy, 15, fill=TYRE["main"], stroke=INK, stroke_width=4))
    # helmet
    hx, hy = p(0.06, -0.42)
    out.append(circle(hx, hy, 46, fill="url(#%shelm)" % ("p1" if c is P1 else "p2"), stroke=INK, stroke_width=5))
    stripe = arc_points(hx, hy, 46, 200, 290, 10)
    out.append(group(path(smooth_d(stripe, False), fill="none", stroke=WHITE, stroke_width=10),
                     clip_path="url(#helmclip%d)" % ox))
    # visor facing +x
    visor = [(hx + 6, hy - 20), (hx + 44, hy - 16), (hx + 48, hy + 8), (hx + 30, hy + 20), (hx + 4, hy + 14)]
    out.append(path(smooth_d(visor), fill="url(#visor)", stroke=INK, stroke_width=5))
    out.append(path(poly_d([(hx + 16, hy - 12), (hx + 36, hy - 10)], False), stroke=WHITE, stroke_width=5,
                    stroke_linecap="round", opacity=0.85))
    return out


def defs_for(c, pid):
    d = [lingrad(pid + "body", 0, 70, 0, 165, [(0, c["light"]), (0.35, c["main"]), (1, c["dark"])]),
         clip(pid + "bodyclip", path(smooth_d([(70, 98), (120, 86), (196, 70), (258, 76), (300, 98), (308, 124),
                                                (292, 150), (240, 162), (170, 160), (110, 152), (70, 136),
                                                (60, 116)]))),
         radgrad(pid + "helm", 0, 0, 1, [(0, c["light"]), (0.55, c["main"]), (1, c["dark"])], 0.35, 0.3,
                 units="objectBoundingBox")]
    return d


def pictures():
    body, defs = [], []
    defs.append(radgrad("rim", 0, 0, 1, [(0, METAL["light"]), (0.7, METAL["main"]), (1, METAL["dark"])], 0.4, 0.35,
                        units="objectBoundingBox"))
    defs.append(lingrad("visor", 0, 0, 1, 1, [(0, "#5a7fb0"), (0.5, "#243a66"), (1, "#151a33")],
                        units="objectBoundingBox"))
    hx, hy = ru(0.06, -0.42)
    defs.append(clip("helmclip512", circle(512 + hx, hy, 44)))
    # nothing of the chassis may spill into the wheel's cell next to it
    defs.append(clip("chassiscell", rect(0, 0, 384, 256)))
    defs.append(clip("wheelcell", rect(384, 0, 128, 128)))
    # the rider keeps 4 transparent rows at the top and bottom of its cell: the
    # texture repeats, so filtering at the cell edge reads the row above or the
    # far end of the sheet (the other player's legs)
    defs.append(clip("ridercell", rect(512, 4, 256, 248)))
    for row, (c, pid, scarf) in enumerate(((P1, "p1", GOLD["main"]), (P2, "p2", PINK))):
        y0 = row * 256
        defs += defs_for(c, pid)
        body.append(group(group(chassis(c, pid, row + 1), clip_path="url(#chassiscell)"),
                          transform="translate(0,%d)" % y0))
        body.append(group(group(wheel(c, 384, 0), clip_path="url(#wheelcell)"), transform="translate(0,%d)" % y0))
        body.append(group(group(rider(c, 512, 0, scarf), clip_path="url(#ridercell)"),
                          transform="translate(0,%d)" % y0))
    return [("sprites/player.png", 768, 512, doc(768, 512, body, defs))]
