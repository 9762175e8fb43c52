"""Level backgrounds for image layers: sky, clouds, far and near hills.

All are 1024 pixels wide and repeat seamlessly to the left and right: hill
outlines are sums of sine waves with whole periods across the width, and
everything placed near an edge is drawn a second time one width over.
"""
import math

from svg import *

W = 1024


def profile(base, waves, step=8):
    """Hill outline across the width; waves are (amplitude, periods, phase)."""
    out = []
    for x in range(0, W + step, step):
        y = base
        for a, k, ph in waves:
            y -= a * math.sin(2 * math.pi * k * x / W + ph)
        out.append((x, y))
    return out


def wrapped(items_at):
    """Draw something at x and again one width to each side."""
    out = []
    for dx in (-W, 0, W):
        out += items_at(dx)
    return out


def sky():
    d = [lingrad("sky", 0, 0, 0, 512, [(0, SUNSET[0]), (0.3, SUNSET[1]), (0.55, SUNSET[2]), (0.75, SUNSET[3]),
                                        (0.9, SUNSET[4]), (1, SUNSET[5])]),
         lingrad("haze", 0, 330, 0, 512, [(0, "#ffd38a", 0), (1, "#fff0c0", 0.6)])]
    b = [rect(0, 0, W, 512, fill="url(#sky)"), rect(0, 330, W, 182, fill="url(#haze)")]
    rnd = Rand(11)
    for _ in range(70):
        x, y = rnd.uniform(4, W - 4), rnd.uniform(4, 170)
        r = rnd.uniform(0.6, 1.8)
        b.append(circle(x, y, r, fill="#fff6e0", opacity=f(0.3 + 0.5 * (1 - y / 170.0))))
    # long thin glowing streaks across the whole width
    for y, h, op in ((300, 6, 0.18), (340, 10, 0.15), (392, 4, 0.25)):
        b.append(rect(0, y, W, h, fill="#ffe0b0", opacity=op))
    return doc(W, 512, b, d)


def clouds():
    d = [lingrad("cl", 0, 0, 0, 1, [(0, "#ffe9d6"), (0.6, "#f7b7a0"), (1, "#c87a96")], units="objectBoundingBox"),
         blur("cb", 1.5)]
    rnd = Rand(5)
    specs = []
    for i in range(6):
        cx = 90 + i * 170 + rnd.uniform(-30, 30)
        cy = 70 + rnd.uniform(-30, 80)
        s = rnd.uniform(0.6, 1.15)
        puffs = [(rnd.uniform(-70, 70) * s, rnd.uniform(-14, 10) * s, rnd.uniform(22, 40) * s) for _ in range(7)]
        specs.append((cx, cy, s, puffs))

    def at(dx):
        out = []
        for cx, cy, s, puffs in specs:
            parts = [circle(cx + dx + px, cy + py, r) for px, py, r in puffs]
            parts.append(rect(cx + dx - 80 * s, cy, 160 * s, 26 * s, 13 * s))
            out.append(group(parts, fill="url(#cl)", opacity=0.92, filter="url(#cb)"))
            out.append(group([ellipse(cx + dx + px * 0.8, cy + py - r * 0.35, r * 0.55, r * 0.25)
                              for px, py, r in puffs[:3]], fill="#fff8ee", opacity=0.55))
        return out
    return doc(W, 256, wrapped(at), d)


def hills_far():
    top = profile(300, [(46, 2, 0.4), (28, 3, 1.9), (14, 7, 0.2), (6, 13, 2.4)])
    back = profile(250, [(40, 1, 2.0), (30, 4, 0.7), (10, 9, 1.3)])
    d = [lingrad("far1", 0, 180, 0, 512, [(0, "#7a5a9e"), (1, "#9a6a9a")]),
         lingrad("far2", 0, 220, 0, 512, [(0, "#5b4488"), (1, "#80567f")]),
         lingrad("mist", 0, 380, 0, 512, [(0, "#f7a08a", 0), (1, "#f7a08a", 0.45)])]
    b = [path(poly_d(back + [(W, 512), (0, 512)]), fill="url(#far1)", opacity=0.8),
         path(poly_d(back, False), fill="none", stroke="#ffb48a", stroke_width=2.5, opacity=0.6),
         path(poly_d(top + [(W, 512), (0, 512)]), fill="url(#far2)"),
         path(poly_d(top, False), fill="none", stroke="#ff9f7a", stroke_width=3, opacity=0.7),
         rect(0, 380, W, 132, fill="url(#mist)")]
    return doc(W, 512, b, d)


def tree(x, y, s, col, dark):
    out = [rect(x - 4 * s, y - 30 * s, 8 * s, 32 * s, 2 * s, fill=dark)]
    out.append(circle(x, y - 44 * s, 22 * s, fill=col))
    out.append(circle(x - 14 * s, y - 34 * s, 15 * s, fill=col))
    out.append(circle(x + 14 * s, y - 32 * s, 16 * s, fill=col))
    out.append(circle(x - 6 * s, y - 52 * s, 9 * s, fill=mix(col, "#ffd38a", 0.25)))
    return out


def pine(x, y, s, col, dark):
    out = [rect(x - 3 * s, y - 14 * s, 6 * s, 16 * s, fill=dark)]
    for i, (w, h) in enumerate(((26, 30), (20, 26), (13, 22))):
        yy = y - 10 * s - i * 16 * s
        out.append(path(poly_d([(x - w * s, yy), (x + w * s, yy), (x, yy - h * s)]), fill=col))
    return out


def hills_near():
    top = profile(360, [(40, 2, 2.6), (26, 3, 0.3), (12, 5, 1.1), (5, 11, 0.5)])
    d = [lingrad("near", 0, 280, 0, 512, [(0, "#3c9a8a"), (0.5, "#2a7a74"), (1, "#1d5560")])]

    def ground_y(x):
        x = x % W
        i = int(x // 8)
        (x0, y0), (x1, y1) = top[i], top[i + 1]
        return y0 + (y1 - y0) * (x - x0) / (x1 - x0)

    rnd = Rand(23)
    plants = []
    for i in range(22):
        x = i * (W / 22.0) + rnd.uniform(-12, 12)
        s = rnd.uniform(0.7, 1.25)
        kind = rnd.next() < 0.45
        plants.append((x, s, kind))

    def at(dx):
        out = []
        for x, s, kind in plants:
            y = ground_y(x) + 6
            fn = pine if kind else tree
            out += fn(x + dx, y, s, "#27706d", "#1b4f55")
        return out
    b = wrapped(at)
    b.append(path(poly_d(top + [(W, 512), (0, 512)]), fill="url(#near)"))
    b.append(path(poly_d(top, False), fill="none", stroke="#8fe0b0", stroke_width=3, opacity=0.6))
    # a few grass strokes along the ridge for texture
    rnd2 = Rand(31)
    for _ in range(90):
        x = rnd2.uniform(2, W - 10)
        y = ground_y(x) + rnd2.uniform(10, 120)
        b.append(path("M%s,%s q3,-6 6,0" % (f(x), f(y)), fill="none", stroke="#4fb09a", stroke_width=2,
                      opacity=0.5))
    return doc(W, 512, b, d)


def pictures():
    return [("sprites/bg-sky.png", W, 512, sky()),
            ("sprites/bg-clouds.png", W, 256, clouds()),
            ("sprites/bg-hills-far.png", W, 512, hills_far()),
            ("sprites/bg-hills-near.png", W, 512, hills_near())]
