"""Small helpers for writing the game's pictures as SVG text.

Every picture is described in pixels of its final PNG; rsvg-convert then
renders it with anti-aliasing. Numbers are printed with a fixed number of
decimals so that the same source always yields the same bytes.
"""
import math

# One palette for the whole game: warm sunset tones against teal.
INK = "#2a1b30"          # outlines
INK_SOFT = "#4a3550"
WHITE = "#fff8f0"

P1 = {"main": "#f2593a", "light": "#ff9a6b", "dark": "#b0311c", "deep": "#7a1f14"}
P2 = {"main": "#29c9ef", "light": "#96ecff", "dark": "#1580ad", "deep": "#0d4f70"}

METAL = {"light": "#f1eef7", "main": "#c3bed3", "dark": "#7a7390", "deep": "#4b4560"}
TYRE = {"main": "#3b3346", "dark": "#241d2c", "light": "#5a5068"}
GOLD = {"light": "#fff2a8", "main": "#ffc93c", "dark": "#e08a1e", "deep": "#9a5512"}
WOOD = {"light": "#f2bd7c", "main": "#d08a4e", "dark": "#95552f", "deep": "#63361f"}
GRASS = {"light": "#b9ea7c", "main": "#63c46c", "dark": "#2f8b5b", "deep": "#1f5e4a"}
DIRT = {"light": "#cf8a5a", "main": "#a5633f", "dark": "#73402c", "deep": "#55302a"}
STONE = {"light": "#c9bfd9", "main": "#958aae", "dark": "#655b80", "deep": "#463f5e"}
TEAL = {"light": "#7fd8c4", "main": "#2a9d8f", "dark": "#1d6f71", "deep": "#164a55"}
SUNSET = ["#241f4d", "#4a2f6e", "#8f3f7e", "#d9617a", "#f8955d", "#ffd38a"]
PINK = "#ff5d8f"


def f(v):
    """Number text with at most three decimals and no trailing zeros."""
    s = "%.3f" % v
    s = s.rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def pts(points):
    return " ".join("%s,%s" % (f(x), f(y)) for x, y in points)


def poly_d(points, close=True):
    d = "M" + " L".join("%s,%s" % (f(x), f(y)) for x, y in points)
    return d + (" Z" if close else "")


def smooth_d(points, close=True, tension=0.5):
    """A Catmull-Rom curve through the points, written as cubic Beziers."""
    n = len(points)
    if n < 3:
        return poly_d(points, close)
    out = ["M%s,%s" % (f(points[0][0]), f(points[0][1]))]
    last = n if close else n - 1
    for i in range(last):
        p0 = points[(i - 1) % n] if (close or i > 0) else points[i]
        p1 = points[i]
        p2 = points[(i + 1) % n]
        p3 = points[(i + 2) % n] if (close or i + 2 < n) else p2
        k = tension / 3.0 * 2.0
        c1 = (p1[0] + (p2[0] - p0[0]) * k / 2, p1[1] + (p2[1] - p0[1]) * k / 2)
        c2 = (p2[0] - (p3[0] - p1[0]) * k / 2, p2[1] - (p3[1] - p1[1]) * k / 2)
        out.append("C%s,%s %s,%s %s,%s" % (f(c1[0]), f(c1[1]), f(c2[0]), f(c2[1]), f(p2[0]), f(p2[1])))
    if close:
        out.append("Z")
    return " ".join(out)


def attrs(**kw):
    parts = []
    for k, v in kw.items():
        if v is None:
            continue
        k = k.rstrip("_").replace("_", "-")
        if isinstance(v, float):
            v = f(v)
        parts.append('%s="%s"' % (k, v))
    return " ".join(parts)


def path(d, **kw):
    return "<path d=\"%s\" %s/>" % (d, attrs(**kw))


def circle(cx, cy, r, **kw):
    return "<circle cx=\"%s\" cy=\"%s\" r=\"%s\" %s/>" % (f(cx), f(cy), f(r), attrs(**kw))


def ellipse(cx, cy, rx, ry, **kw):
    return "<ellipse cx=\"%s\" cy=\"%s\" rx=\"%s\" ry=\"%s\" %s/>" % (f(cx), f(cy), f(rx), f(ry), attrs(**kw))


def rect(x, y, w, h, rx=0, **kw):
    return "<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" rx=\"%s\" %s/>" % (
        f(x), f(y), f(w), f(h), f(rx), attrs(**kw))


def group(body, **kw):
    return "<g %s>%s</g>" % (attrs(**kw), "".join(body) if isinstance(body, list) else body)


def lingrad(gid, x1, y1, x2, y2, stops, units="userSpaceOnUse"):
    s = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>' % (
        f(o), c, f(a)) for o, c, a in _stops(stops))
    return '<linearGradient id="%s" gradientUnits="%s" x1="%s" y1="%s" x2="%s" y2="%s">%s</linearGradient>' % (
        gid, units, f(x1), f(y1), f(x2), f(y2), s)


def radgrad(gid, cx, cy, r, stops, fx=None, fy=None, units="userSpaceOnUse"):
    s = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>' % (
        f(o), c, f(a)) for o, c, a in _stops(stops))
    fx = cx if fx is None else fx
    fy = cy if fy is None else fy
    return '<radialGradient id="%s" gradientUnits="%s" cx="%s" cy="%s" r="%s" fx="%s" fy="%s">%s</radialGradient>' % (
        gid, units, f(cx), f(cy), f(r), f(fx), f(fy), s)


def _stops(stops):
    for s in stops:
        if len(s) == 2:
            yield s[0], s[1], 1.0
        else:
            yield s


def blur(fid, sd):
    return ('<filter id="%s" x="-50%%" y="-50%%" width="200%%" height="200%%" color-interpolation-filters="sRGB">'
            '<feGaussianBlur stdDeviation="%s"/></filter>' % (fid, f(sd)))


def clip(cid, body):
    return '<clipPath id="%s">%s</clipPath>' % (cid, body)


def doc(w, h, body, defs=""):
    if isinstance(body, list):
        body = "\n".join(body)
    if isinstance(defs, list):
        defs = "\n".join(defs)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            '<defs>%s</defs>\n%s\n</svg>\n' % (w, h, w, h, defs, body))


def arc_points(cx, cy, r, a0, a1, n, ry=None):
    """Points on a circle (or ellipse) from angle a0 to a1 in degrees, y down."""
    ry = r if ry is None else ry
    out = []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        out.append((cx + r * math.cos(a), cy + ry * math.sin(a)))
    return out


def mix(c1, c2, t):
    a = [int(c1[i:i + 2], 16) for i in (1, 3, 5)]
    b = [int(c2[i:i + 2], 16) for i in (1, 3, 5)]
    return "#%02x%02x%02x" % tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Rand:
    """A tiny linear congruential generator: the pictures must not change
    between runs or Python versions, so the stdlib generator is avoided."""

    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF

    def next(self):
        self.s = (self.s * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.s / 4294967296.0

    def uniform(self, a, b):
        return a + (b - a) * self.next()


# Single-stroke letters for neon tubes and painted numbers, in a 60 x 90 box.
STROKE_FONT = {
    "O": "M20,0 H40 A20,20 0 0 1 60,20 V70 A20,20 0 0 1 40,90 H20 A20,20 0 0 1 0,70 V20 A20,20 0 0 1 20,0 Z",
    "Q": "M20,0 H40 A20,20 0 0 1 60,20 V70 A20,20 0 0 1 40,90 H20 A20,20 0 0 1 0,70 V20 A20,20 0 0 1 20,0 Z"
         " M36,66 L62,96",
    "U": "M0,0 V70 A20,20 0 0 0 20,90 H40 A20,20 0 0 0 60,70 V0",
    "R": "M0,90 V0 H36 A22,22 0 0 1 36,44 H0 M28,44 L60,90",
    "V": "M0,0 L30,90 L60,0",
    "E": "M58,0 H0 V90 H58 M0,45 H44",
    "L": "M0,0 V90 H58",
    "Z": "M2,0 H60 L0,90 H60",
    "B": "M0,0 H36 A21,21 0 0 1 36,42 H0 M0,42 H38 A24,24 0 0 1 38,90 H0 V0",
    "2": "M3,22 A27,22 0 0 1 57,22 C57,46 22,58 0,90 H60",
    "0": "M22,0 H38 A20,22 0 0 1 58,22 V68 A20,22 0 0 1 38,90 H22 A20,22 0 0 1 2,68 V22 A20,22 0 0 1 22,0 Z",
    "1": "M14,18 L38,0 V90",
}


def stroke_text(text, x, y, scale, spacing=22):
    """SVG path data for text in the stroke font, top-left at (x, y)."""
    out = []
    for i, ch in enumerate(text):
        if ch != " ":
            out.append((STROKE_FONT[ch], x + i * (60 + spacing) * scale, y))
    return out


def stroke_width(text, scale, spacing=22):
    return (len(text) * 60 + (len(text) - 1) * spacing) * scale


def glyph(d, x, y, scale, **kw):
    return '<path d="%s" transform="translate(%s,%s) scale(%s)" %s/>' % (d, f(x), f(y), f(scale), attrs(**kw))
