"""Menu, credits and HUD pictures: neon logo, HUD strip, hearts, credits
gradient, the credits monster and the window icon."""
import math

from svg import *

NEON_ROWS = [("QUOR", PINK), ("VELL", PINK), ("ZOR", "#3ff0ff"), ("BEL", "#3ff0ff")]
FRAME = "#ff9f40"
YEAR = "#ffe066"


def neon_tubes():
    """(path data, transform, colour, stroke width) for every tube of the sign."""
    tubes = [(smooth_frame(), "", FRAME, 7.0)]
    ys = [84, 178, 318, 412]
    for (word, col), y in zip(NEON_ROWS, ys):
        s = 0.8
        x0 = (395 - stroke_width(word, s)) / 2.0
        for d, x, yy in stroke_text(word, x0, y, s):
            tubes.append((d, "translate(%s,%s) scale(%s)" % (f(x), f(yy), f(s)), col, 8.0 / s))
    # a lightning divider between the two words
    tubes.append(("M86,285 H164 L182,270 L206,298 L226,284 H309", "", YEAR, 6.0))
    s = 0.5
    x0 = (395 - stroke_width("2010", s)) / 2.0
    for d, x, yy in stroke_text("2010", x0, 512, s):
        tubes.append((d, "translate(%s,%s) scale(%s)" % (f(x), f(yy), f(s)), YEAR, 7.0 / s))
    return tubes


def smooth_frame():
    return ("M84,48 H311 A36,36 0 0 1 347,84 V570 A36,36 0 0 1 311,606 H84 A36,36 0 0 1 48,570 V84 "
            "A36,36 0 0 1 84,48 Z")


def logo():
    defs = [blur("g1", 9), blur("g2", 4), blur("g3", 1.2)]
    unlit, lit = [], []
    for d, tr, col, w in neon_tubes():
        t = tr or None
        unlit.append(path(d, transform=t, fill="none", stroke=mix(col, "#000000", 0.8), stroke_width=w * 1.15,
                          stroke_linecap="round", stroke_linejoin="round"))
        unlit.append(path(d, transform=t, fill="none", stroke=mix(col, "#a0a0a0", 0.55), stroke_width=w * 0.3,
                          stroke_linecap="round", stroke_linejoin="round", opacity=0.55))
        lit.append(path(d, transform=t, fill="none", stroke=col, stroke_width=w * 3.2, stroke_linecap="round",
                        stroke_linejoin="round", opacity=0.55, filter="url(#g1)"))
        lit.append(path(d, transform=t, fill="none", stroke=col, stroke_width=w * 1.4, stroke_linecap="round",
                        stroke_linejoin="round", opacity=0.9, filter="url(#g2)"))
        lit.append(path(d, transform=t, fill="none", stroke=mix(col, "#ffffff", 0.55), stroke_width=w * 0.75,
                        stroke_linecap="round", stroke_linejoin="round", filter="url(#g3)"))
        lit.append(path(d, transform=t, fill="none", stroke="#ffffff", stroke_width=w * 0.3, stroke_linecap="round",
                        stroke_linejoin="round", opacity=0.85))
    # small mounting clips hold the unlit tubes to the wall
    for x, y in ((48, 170), (48, 470), (347, 170), (347, 470), (150, 48), (245, 606)):
        unlit.append(rect(x - 5, y - 5, 10, 10, 2, fill="#3a3540"))
    body = [rect(0, 0, 1024, 1024, fill="#000000"),
            group(unlit), group(lit, transform="translate(512,0)")]
    return doc(1024, 1024, body, defs)


def hud():
    # the strip: 300 x 1024 texels shown over the left 22 % of the window; the
    # window's strip ends at texel 273, the rest fades over the game views
    d = [lingrad("panel", 0, 0, 0, 1024, [(0, "#2b2147"), (0.5, "#211a38"), (1, "#2d1f3e")]),
         lingrad("edge", 250, 0, 300, 0, [(0, "#000000", 0.55), (1, "#000000", 0)]),
         lingrad("card1", 0, 0, 1, 0, [(0, P1["main"], 0.28), (1, P1["main"], 0.04)], units="objectBoundingBox"),
         lingrad("card2", 0, 0, 1, 0, [(0, P2["main"], 0.28), (1, P2["main"], 0.04)], units="objectBoundingBox"),
         lingrad("cardr", 0, 0, 1, 0, [(0, GOLD["main"], 0.24), (1, GOLD["main"], 0.03)], units="objectBoundingBox"),
         "<pattern id=\"dots\" width=\"24\" height=\"24\" patternUnits=\"userSpaceOnUse\">"
         "<circle cx=\"6\" cy=\"6\" r=\"1.6\" fill=\"#ffffff\" opacity=\"0.06\"/>"
         "<circle cx=\"18\" cy=\"18\" r=\"1.6\" fill=\"#ffffff\" opacity=\"0.06\"/></pattern>"]
    b = [rect(0, 0, 266, 1024, fill="url(#panel)"), rect(0, 0, 266, 1024, fill="url(#dots)"),
         rect(266, 0, 34, 1024, fill="url(#edge)"),
         rect(258, 0, 8, 1024, fill=INK), rect(260, 0, 3, 1024, fill=TEAL["main"])]
    # small sign at the top: QZ in tubes
    s = 0.5
    for dd, x, y in stroke_text("QZ", 22, 26, s):
        b.append(glyph(dd, x, y, s, fill="none", stroke=PINK, stroke_width=f(14 / s), stroke_linecap="round",
                       stroke_linejoin="round", opacity=0.35))
        b.append(glyph(dd, x, y, s, fill="none", stroke=mix(PINK, "#ffffff", 0.5), stroke_width=f(5 / s),
                       stroke_linecap="round", stroke_linejoin="round"))
    b.append(path("M100,52 H240", stroke=TEAL["main"], stroke_width=4, stroke_linecap="round"))
    b.append(path("M100,66 H200", stroke=TEAL["dark"], stroke_width=4, stroke_linecap="round"))
    # cards behind the texts the game writes (player 1, record time, player 2)
    for y0, y1, grad, col in ((122, 340, "card1", P1["main"]), (452, 566, "cardr", GOLD["main"]),
                              (684, 902, "card2", P2["main"])):
        b.append(rect(10, y0, 240, y1 - y0, 14, fill="#150f26", opacity=0.55))
        b.append(rect(10, y0, 240, y1 - y0, 14, fill="url(#%s)" % grad, stroke=col, stroke_width=2.5,
                      stroke_opacity=0.8))
        b.append(path("M24,%d H120" % (y0 + 1), stroke=col, stroke_width=5, stroke_linecap="round"))
    # hills silhouette at the bottom of the strip
    hill = [(0, 1024), (0, 960)]
    for i in range(0, 267, 6):
        hill.append((i, 975 - 22 * math.sin(i / 40.0) - 10 * math.sin(i / 13.0 + 1)))
    hill.append((266, 1024))
    b.append(path(poly_d(hill), fill=TEAL["deep"], opacity=0.8))
    return doc(512, 1024, b, d)


def heart_path(cx, cy, s):
    return ("M%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s Z" % tuple(
        f(v) for v in (cx, cy + 11 * s,
                       cx - 4 * s, cy + 7 * s, cx - 13 * s, cy + 1 * s, cx - 13 * s, cy - 5 * s,
                       cx - 13 * s, cy - 11 * s, cx - 4 * s, cy - 13 * s, cx, cy - 6 * s,
                       cx + 4 * s, cy - 13 * s, cx + 13 * s, cy - 11 * s, cx + 13 * s, cy - 5 * s,
                       cx + 13 * s, cy + 1 * s, cx + 4 * s, cy + 7 * s, cx, cy + 11 * s)))


def hearts():
    # full, three quarters, half, quarter, empty; filled from the bottom up.
    # The HUD maps texel row 0 to the bottom of each square, so the strip is
    # stored upside down and shows upright on screen.
    b, d = [], [lingrad("red", 0, 4, 0, 28, [(0, "#ff8aa0"), (0.5, "#ff4d6d"), (1, "#c8223f")])]
    for i, frac in enumerate((1.0, 0.75, 0.5, 0.25, 0.0)):
        cx, cy = 16 + 32 * i, 16.5
        hp = heart_path(cx, cy, 1.12)
        d.append(clip("h%d" % i, path(hp)))
        b.append(path(hp, fill="#3a2a48"))
        if frac > 0:
            top = 3.5 + 25.5 * (1 - frac)
            shine = [ellipse(cx - 6, cy - 6, 4, 3, fill=WHITE, opacity=0.75)] if frac == 1.0 else []
            b.append(group([rect(cx - 16, top, 32, 32, fill="url(#red)")] + shine, clip_path="url(#h%d)" % i))
        else:
            b.append(path(heart_path(cx, cy, 0.8), fill="none", stroke="#5a4470", stroke_width=1.5))
        b.append(path(hp, fill="none", stroke=INK, stroke_width=2.2, stroke_linejoin="round"))
    return doc(160, 32, group(b, transform="translate(0,32) scale(1,-1)"), d)


def gradient():
    d = [lingrad("g", 0, 0, 0, 512, [(0, "#140c24"), (0.18, "#5a4a78"), (0.36, "#ffffff"), (0.64, "#ffffff"),
                                      (0.82, "#5a4a78"), (1, "#140c24")])]
    return doc(512, 512, [rect(0, 0, 512, 512, fill="url(#g)")], d)


def monster():
    # the credits stretch this square to 24 x 20 units, so it is drawn 1/1.2 as wide
    d = [radgrad("fur", 256, 220, 240, [(0, "#9be37a"), (0.6, "#4fae5e"), (1, "#2a6a4a")]),
         radgrad("mouth", 256, 330, 160, [(0, "#6a0f2a"), (1, "#2a0614")]),
         radgrad("eye", 0, 0, 1, [(0, "#fffbe0"), (0.7, "#ffe066"), (1, "#e0a020")], 0.4, 0.35,
                 units="objectBoundingBox")]
    b = []
    rnd = Rand(7)
    fur = []
    n = 56
    for i in range(n):
        a = math.radians(i * 360.0 / n)
        r = 226 if i % 2 == 0 else 200 + rnd.uniform(-6, 6)
        fur.append((256 + r * math.cos(a), 262 + r * 0.98 * math.sin(a)))
    # horns
    for sx in (-1, 1):
        horn = [(256 + sx * 110, 90), (256 + sx * 150, 10), (256 + sx * 190, 2), (256 + sx * 170, 40),
                (256 + sx * 170, 110)]
        b.append(path(smooth_d(horn), fill="#f0e6cc", stroke=INK, stroke_width=8))
    b.append(path(smooth_d(fur), fill="url(#fur)", stroke=INK, stroke_width=9, stroke_linejoin="round"))
    # mouth with teeth
    mouth = [(120, 270), (256, 250), (392, 270), (380, 380), (256, 470), (132, 380)]
    md = smooth_d(mouth)
    b.append(path(md, fill="url(#mouth)", stroke=INK, stroke_width=9))
    b.append(group([ellipse(256, 440, 80, 44, fill="#e0405a"), ellipse(240, 430, 30, 12, fill="#ff7a8a")],
                   clip_path="url(#mclip)"))
    teeth = []
    for i in range(7):
        x = 140 + i * 38.6
        y = 262 + 10 * math.sin(i / 6.0 * math.pi)
        teeth.append(path(poly_d([(x, y - 6), (x + 36, y - 6), (x + 18, y + 44 + (i % 2) * 10)]),
                          fill=WHITE, stroke=INK, stroke_width=5, stroke_linejoin="round"))
    for i in range(5):
        x = 170 + i * 36
        y = 440 - 40 * math.sin((i + 0.5) / 5.0 * math.pi)
        teeth.append(path(poly_d([(x, y + 20), (x + 34, y + 20), (x + 17, y - 26)]), fill=WHITE, stroke=INK,
                          stroke_width=5, stroke_linejoin="round"))
    b.append(group(teeth, clip_path="url(#mclip)"))
    b.append(path(md, fill="none", stroke=INK, stroke_width=9))
    # three eyes
    for ex, ey, er in ((160, 170, 44), (352, 170, 44), (256, 110, 34)):
        b.append(circle(ex, ey, er + 8, fill="#2a6a4a", stroke=INK, stroke_width=6))
        b.append(circle(ex, ey, er, fill="url(#eye)", stroke=INK, stroke_width=6))
        b.append(ellipse(ex, ey + 4, er * 0.22, er * 0.62, fill=INK))
        b.append(circle(ex - er * 0.35, ey - er * 0.4, er * 0.16, fill=WHITE))
        b.append(path("M%s,%s L%s,%s" % (f(ex - er - 6), f(ey - er - 4), f(ex + er * 0.5), f(ey - er * 0.5)),
                      stroke=INK, stroke_width=12, stroke_linecap="round"))
    # drool
    b.append(path("M330,380 C334,420 326,450 334,478 C340,496 352,488 346,470 C340,440 346,410 344,376 Z",
                  fill="#bff0ff", stroke=INK, stroke_width=4, opacity=0.9))
    d.append(clip("mclip", path(md)))
    return doc(512, 512, group(b, transform="translate(256,0) scale(0.8333,1) translate(-256,0)"), d)


def icon():
    d = [radgrad("bg", 0, 0, 1, [(0, "#4a2f6e"), (1, "#241f4d")], units="objectBoundingBox"),
         radgrad("rim", 0, 0, 1, [(0, METAL["light"]), (1, METAL["dark"])], 0.4, 0.35, units="objectBoundingBox")]
    b = [rect(1, 1, 62, 62, 14, fill="url(#bg)", stroke=INK, stroke_width=2)]
    b.append(path("M4,50 Q32,38 60,50 V58 A5,5 0 0 1 55,62 H9 A5,5 0 0 1 4,58 Z", fill=GRASS["main"]))
    # a wheel in player-one orange with a cyan spark
    b.append(circle(32, 30, 20, fill=TYRE["main"], stroke=INK, stroke_width=3))
    b.append(circle(32, 30, 12, fill="url(#rim)", stroke=INK, stroke_width=2))
    for i in range(5):
        b.append(path("M32,30 L32,20", stroke=P1["main"], stroke_width=3.5, stroke_linecap="round",
                      transform="rotate(%d 32 30)" % (i * 72)))
    b.append(circle(32, 30, 4, fill=P1["dark"], stroke=INK, stroke_width=1.5))
    b.append(path("M50,8 L53,14 L59,15 L54,19 L56,25 L50,21 L44,25 L46,19 L41,15 L47,14 Z", fill=P2["main"],
                  stroke=INK, stroke_width=1.5, stroke_linejoin="round"))
    return doc(64, 64, b, d)


def pictures():
    return [("sprites/logo.png", 1024, 1024, logo()),
            ("sprites/hud.png", 512, 1024, hud()),
            ("sprites/heart.png", 160, 32, hearts()),
            ("sprites/gradient.jpg", 512, 512, gradient()),
            ("sprites/monster.png", 512, 512, monster()),
            ("sprites/icon.png", 64, 64, icon())]
