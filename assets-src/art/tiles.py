"""Tile set "ground": grassy dirt, slopes, round hill tops, ledges,
decorations and an invisible wall, as tilesets/ground.png + ground.xml.

Every ground tile is cut out of a small scene: the ground polygons around
the cell, in cell units (x right, y down, the cell is 0..1). Drawing the
whole scene and clipping it to the cell makes neighbouring tiles meet
without seams, and the grass band that spills out of a slope into the cell
below it comes out right in that cell's own tile. Around each 64-pixel tile
the atlas keeps 8 pixels of the same scene, so smaller mipmap levels do not
pull in the neighbour's pixels.
"""
import math

from svg import *

T = 64          # pixels per tile
PAD = 8         # scene pixels kept around each tile in the atlas
PITCH = T + 2 * PAD
COLS = 12
B = 6.0         # "far away" in cell units: ground that goes on beyond the view
GRASS_DEPTH = 0.2


def u(v):
    return v * T


def scaled(poly):
    return [(u(x), u(y)) for x, y in poly]


def shifted(poly, dx, dy):
    return [(x + dx, y + dy) for x, y in poly]


def arc(cx, cy, r, a0, a1, n=20):
    return arc_points(cx, cy, r, a0, a1, n)


def top_at(polys, x):
    """Highest ground point above x and the slope of the edge there."""
    best = None
    for poly in polys:
        for i in range(len(poly)):
            (x0, y0), (x1, y1) = poly[i], poly[(i + 1) % len(poly)]
            if x0 == x1 or not (min(x0, x1) <= x <= max(x0, x1)):
                continue
            y = y0 + (y1 - y0) * (x - x0) / (x1 - x0)
            if best is None or y < best[0]:
                best = (y, (y1 - y0) / (x1 - x0))
    return best


# ---- scenes -------------------------------------------------------------

FLAT = [(-B, 0), (B, 0), (B, B), (-B, B)]
SOLID = [(-B, -B), (B, -B), (B, B), (-B, B)]
R2 = math.sqrt(2.0)


def slope_scene(run, rising):
    """A slope that climbs one cell over `run` cells, flat ground on both sides."""
    if rising:
        return [(-B, 1), (0, 1), (run, 0), (B + run, 0), (B + run, B), (-B, B)]
    return [(-B, 0), (0, 0), (run, 1), (B + run, 1), (B + run, B), (-B, B)]


HILL = ([(-B, 1 + B), (0, 1)] + arc(1, 2, R2, 225, 315, 24)[1:-1] + [(2, 1), (2 + B, 1 + B), (2 + B, 8 + B),
                                                                       (-B, 8 + B)])
ROUND_LEFT = [(0, B), (0, 1)] + arc(1, 1, 1, 180, 270, 20)[1:-1] + [(1, 0), (B, 0), (B, B)]
ROUND_RIGHT = [(-B, 0), (0, 0)] + arc(0, 1, 1, 270, 360, 20)[1:-1] + [(1, 1), (1, B), (-B, B)]


def ledge(left, right):
    x0 = 0.0 if left else -B
    x1 = 1.0 if right else B
    pts_ = []
    if left:
        pts_ += arc(x0 + 0.22, 0.22, 0.22, 180, 270, 8)
    else:
        pts_.append((x0, 0))
    if right:
        pts_ += arc(x1 - 0.22, 0.22, 0.22, 270, 360, 8)
        pts_ += arc(x1 - 0.3, 0.2, 0.3, 0, 90, 8)
    else:
        pts_ += [(x1, 0), (x1, 0.5)]
    if left:
        pts_ += arc(x0 + 0.3, 0.2, 0.3, 90, 180, 8)
    else:
        pts_.append((x0, 0.5))
    return [pts_]


BOX = "box"


def chords(points):
    return [(round(x, 3), round(y, 3)) for x, y in points]


def tiles():
    """(id, name, scene polygons, cell offset, shape, extra art) for every ground tile."""
    out = []
    add = out.append
    add((1, "dirt", [SOLID], (0, 0), BOX, None))
    add((2, "dirt with stones", [SOLID], (0, 0), BOX, "stones"))
    add((3, "grass top", [FLAT], (0, 0), BOX, None))
    add((4, "grass top, left edge", [[(0, 0), (B, 0), (B, B), (0, B)]], (0, 0), BOX, None))
    add((5, "grass top, right edge", [[(-B, 0), (1, 0), (1, B), (-B, B)]], (0, 0), BOX, None))
    add((6, "dirt, left wall", [[(0, -B), (B, -B), (B, B), (0, B)]], (0, 0), BOX, None))
    add((7, "dirt, right wall", [[(-B, -B), (1, -B), (1, B), (-B, B)]], (0, 0), BOX, None))
    add((8, "dirt, ceiling", [[(-B, -B), (B, -B), (B, 1), (-B, 1)]], (0, 0), BOX, None))
    add((9, "dirt, ceiling left corner", [[(0, -B), (B, -B), (B, 1), (0, 1)]], (0, 0), BOX, None))
    add((10, "dirt, ceiling right corner", [[(-B, -B), (1, -B), (1, 1), (-B, 1)]], (0, 0), BOX, None))
    add((11, "round corner left", [ROUND_LEFT], (0, 0),
         chords([(0, 1)] + arc(1, 1, 1, 180, 270, 4)[1:-1] + [(1, 0), (1, 1)]), None))
    add((12, "round corner right", [ROUND_RIGHT], (0, 0),
         chords([(0, 0)] + arc(0, 1, 1, 270, 360, 4)[1:-1] + [(1, 1), (0, 1)]), None))
    add((13, "single grass column top", [[(0, 0), (1, 0), (1, B), (0, B)]], (0, 0), BOX, None))
    # 45 degrees
    add((16, "slope 1:1 up", [slope_scene(1, True)], (0, 0), [(0, 1), (1, 0), (1, 1)], None))
    add((17, "slope 1:1 up, below", [slope_scene(1, True)], (0, 1), BOX, None))
    add((18, "slope 1:1 down", [slope_scene(1, False)], (0, 0), [(0, 0), (1, 1), (0, 1)], None))
    add((19, "slope 1:1 down, below", [slope_scene(1, False)], (0, 1), BOX, None))
    # 1:2, about 27 degrees
    add((20, "slope 1:2 up, low", [slope_scene(2, True)], (0, 0), [(0, 1), (1, 0.5), (1, 1)], None))
    add((21, "slope 1:2 up, high", [slope_scene(2, True)], (1, 0), [(0, 0.5), (1, 0), (1, 1), (0, 1)], None))
    add((22, "slope 1:2 up, below", [slope_scene(2, True)], (0, 1), BOX, None))
    add((23, "slope 1:2 down, high", [slope_scene(2, False)], (0, 0), [(0, 0), (1, 0.5), (1, 1), (0, 1)], None))
    add((24, "slope 1:2 down, low", [slope_scene(2, False)], (1, 0), [(0, 0.5), (1, 1), (0, 1)], None))
    add((25, "slope 1:2 down, below", [slope_scene(2, False)], (1, 1), BOX, None))
    # 1:4, about 14 degrees
    for k in range(4):
        y0, y1 = 1 - k / 4.0, 1 - (k + 1) / 4.0
        shape = [(0, y0), (1, y1), (1, 1)] if k == 0 else [(0, y0), (1, y1), (1, 1), (0, 1)]
        add((28 + k, "slope 1:4 up, piece %d of 4" % (k + 1), [slope_scene(4, True)], (k, 0), shape, None))
    add((32, "slope 1:4 up, below", [slope_scene(4, True)], (0, 1), BOX, None))
    for k in range(4):
        y0, y1 = k / 4.0, (k + 1) / 4.0
        shape = [(0, y0), (1, y1), (0, 1)] if k == 3 else [(0, y0), (1, y1), (1, 1), (0, 1)]
        add((33 + k, "slope 1:4 down, piece %d of 4" % (k + 1), [slope_scene(4, False)], (k, 0), shape, None))
    add((37, "slope 1:4 down, below", [slope_scene(4, False)], (3, 1), BOX, None))
    # round hill top between two 45 degree slopes
    left = chords([(0, 1)] + arc(1, 2, R2, 225, 270, 3)[1:] + [(1, 1)])
    right = chords(arc(1, 2, R2, 270, 315, 3))
    right = [(x - 1, y) for x, y in right] + [(0, 1)]
    add((40, "round hill top, left", [HILL], (0, 0), left, None))
    add((41, "round hill top, right", [HILL], (1, 0), right, None))
    add((42, "round hill top, left below", [HILL], (0, 1), BOX, None))
    add((43, "round hill top, right below", [HILL], (1, 1), BOX, None))
    # floating grassy ledges
    add((44, "ledge, left end", ledge(True, False), (0, 0), [(0, 0.2), (0.2, 0), (1, 0), (1, 0.5), (0.25, 0.5),
                                                            (0.03, 0.35)], None))
    add((45, "ledge, middle", ledge(False, False), (0, 0), [(0, 0), (1, 0), (1, 0.5), (0, 0.5)], None))
    add((46, "ledge, right end", ledge(False, True), (0, 0), [(0, 0), (0.8, 0), (1, 0.2), (0.97, 0.35),
                                                              (0.75, 0.5), (0, 0.5)], None))
    add((47, "ledge, single", ledge(True, True), (0, 0), [(0, 0.2), (0.2, 0), (0.8, 0), (1, 0.2), (0.97, 0.35),
                                                          (0.75, 0.5), (0.25, 0.5), (0.03, 0.35)], None))
    return out


# ---- drawing ------------------------------------------------------------

def dirt_pattern():
    rnd = Rand(3)
    stones = []
    for _ in range(9):
        x, y = rnd.uniform(0, T), rnd.uniform(0, T)
        rx, ry = rnd.uniform(3, 6.5), rnd.uniform(2, 4)
        col = DIRT["light"] if rnd.next() < 0.5 else DIRT["dark"]
        stones.append((x, y, rx, ry, col))
    specks = [(rnd.uniform(0, T), rnd.uniform(0, T)) for _ in range(22)]
    body = [rect(0, 0, T, T, fill=DIRT["main"])]
    for dx in (-T, 0, T):
        for dy in (-T, 0, T):
            for x, y, rx, ry, col in stones:
                body.append(ellipse(x + dx, y + dy, rx, ry, fill=col))
                if col == DIRT["light"]:
                    body.append(ellipse(x + dx - 1, y + dy - 1, rx * 0.5, ry * 0.4, fill="#e6a878", opacity=0.7))
            for x, y in specks:
                body.append(circle(x + dx, y + dy, 1.1, fill=DIRT["deep"], opacity=0.6))
    return ('<pattern id="dirt" width="%d" height="%d" patternUnits="userSpaceOnUse">%s</pattern>'
            % (T, T, "".join(body)))


def ground_tile(tid, polys, off, extra):
    ox, oy = off
    local = [shifted(p, -ox, -oy) for p in polys]
    px = [scaled(p) for p in local]
    gd = " ".join(poly_d(p) for p in px)
    shifted_d = " ".join(poly_d(scaled(shifted(p, 0, GRASS_DEPTH))) for p in local)
    thin_d = " ".join(poly_d(scaled(shifted(p, 0, 0.06))) for p in local)
    cid = "g%d" % tid
    defs = [clip(cid, path(gd))]
    b = [path(gd, fill="url(#dirt)")]
    inner = [path(gd, fill="none", stroke=DIRT["deep"], stroke_width=22, opacity=0.35)]
    if extra == "stones":
        inner.append(ellipse(22, 40, 13, 9, fill=STONE["main"], stroke=INK, stroke_width=2.5))
        inner.append(ellipse(19, 37, 6, 3.5, fill=STONE["light"]))
        inner.append(ellipse(47, 18, 8, 6, fill=STONE["dark"], stroke=INK, stroke_width=2))
    # grass band: ground minus ground moved down, so only upward faces get it
    inner.append(path(gd + " " + shifted_d, fill=GRASS["main"], fill_rule="evenodd"))
    inner.append(path(gd + " " + thin_d, fill=GRASS["light"], fill_rule="evenodd"))
    drips, shadows = [], []
    for i in range(-2, 11):
        x = i * 0.125
        top = top_at(local, x)
        if top is None or abs(top[1]) > 1.5 or top[0] < -B + 1:
            continue
        r = 5.0 if i % 2 == 0 else 3.5
        y = u(top[0] + GRASS_DEPTH) - 1
        shadows.append(circle(u(x), y + 2.5, r + 1.5, fill=DIRT["deep"], opacity=0.45))
        drips.append(circle(u(x), y, r, fill=GRASS["main"]))
    inner += shadows + drips
    inner.append(path(gd, fill="none", stroke=INK, stroke_width=6, stroke_linejoin="round"))
    b.append(group(inner, clip_path="url(#%s)" % cid))
    return b, defs


def tuft(tall):
    h = 30 if tall else 18
    out = []
    for i, (x, lean) in enumerate(((20, -8), (28, -3), (34, 2), (42, 7), (30, 0))):
        hh = h * (0.7 + 0.3 * ((i * 7) % 3) / 2.0)
        d = "M%d,64 Q%s,%s %s,%s Q%s,%s %d,64 Z" % (x - 4, f(x - 2 + lean * 0.3), f(64 - hh * 0.6), f(x + lean),
                                                  f(64 - hh), f(x + 2 + lean * 0.3), f(64 - hh * 0.6), x + 4)
        out.append(path(d, fill=GRASS["main"] if i % 2 else GRASS["dark"], stroke=INK, stroke_width=2,
                        stroke_linejoin="round"))
    return out


def flowers():
    out = tuft(False)
    for x, y, col in ((20, 40, PINK), (40, 34, GOLD["main"]), (50, 46, P2["light"])):
        out.append(path("M%d,64 Q%d,%d %d,%d" % (x, x - 3, (64 + y) // 2, x, y), fill="none", stroke=GRASS["dark"],
                        stroke_width=2.5))
        for k in range(5):
            a = math.radians(k * 72)
            out.append(circle(x + 5 * math.cos(a), y + 5 * math.sin(a), 3.6, fill=col, stroke=INK, stroke_width=1.2))
        out.append(circle(x, y, 2.8, fill=GOLD["light"], stroke=INK, stroke_width=1))
    return out


def rock():
    pts_ = [(10, 64), (12, 48), (24, 36), (42, 38), (54, 50), (56, 64)]
    return [path(smooth_d(pts_, False) + " Z", fill=STONE["main"], stroke=INK, stroke_width=3),
            path("M20,46 Q28,40 38,41", fill="none", stroke=STONE["light"], stroke_width=3, stroke_linecap="round"),
            path("M40,52 L46,60", stroke=STONE["dark"], stroke_width=2.5, stroke_linecap="round")]


def mushroom():
    return [rect(26, 42, 12, 22, 4, fill="#f4e6d0", stroke=INK, stroke_width=2.5),
            path("M12,44 Q12,20 32,20 Q52,20 52,44 Z", fill=P1["main"], stroke=INK, stroke_width=3,
                 stroke_linejoin="round"),
            circle(24, 31, 4, fill=WHITE), circle(38, 27, 3, fill=WHITE), circle(43, 37, 2.5, fill=WHITE)]


def fence():
    out = [rect(0, 36, 64, 7, 2, fill=WOOD["main"], stroke=INK, stroke_width=2.5),
           rect(0, 50, 64, 7, 2, fill=WOOD["main"], stroke=INK, stroke_width=2.5)]
    for x in (14, 46):
        out.append(path("M%d,64 V26 L%d,20 L%d,26 V64 Z" % (x - 6, x, x + 6), fill=WOOD["light"], stroke=INK,
                        stroke_width=2.5, stroke_linejoin="round"))
    return out


def sign():
    return [rect(29, 30, 6, 34, 2, fill=WOOD["dark"], stroke=INK, stroke_width=2.5),
            path("M8,14 H44 L56,24 L44,34 H8 Z", fill=WOOD["light"], stroke=INK, stroke_width=3,
                 stroke_linejoin="round"),
            path("M16,24 H40 M34,19 L40,24 L34,29", fill="none", stroke=P1["dark"], stroke_width=3.5,
                 stroke_linecap="round", stroke_linejoin="round")]


def bush(side):
    cx = 64 if side == "left" else 0
    out = [circle(cx, 48, 26, fill=GRASS["dark"], stroke=INK, stroke_width=3),
           circle(cx + (-20 if side == "left" else 20), 54, 14, fill=GRASS["main"], stroke=INK, stroke_width=3),
           circle(cx, 56, 22, fill=GRASS["main"]),
           circle(cx + (-8 if side == "left" else 8), 38, 6, fill=GRASS["light"], opacity=0.8),
           circle(cx + (-22 if side == "left" else 22), 50, 3, fill=PINK), ]
    return out


def back_dirt():
    return [rect(-PAD, -PAD, PITCH, PITCH, fill="url(#dirt)"), rect(-PAD, -PAD, PITCH, PITCH, fill="#1b1030",
                                                                   opacity=0.55)]


def vines():
    out = []
    for x, l in ((14, 50), (30, 30), (48, 58)):
        out.append(path("M%d,0 Q%d,%d %d,%d" % (x, x + 6, l // 2, x - 2, l), fill="none", stroke=GRASS["dark"],
                        stroke_width=3.5, stroke_linecap="round"))
        for k in range(1, 4):
            yy = l * k / 4.0
            out.append(ellipse(x + (4 if k % 2 else -3), yy, 4.5, 2.6, fill=GRASS["main"], stroke=INK,
                               stroke_width=1.2, transform="rotate(%d %d %s)" % (30 if k % 2 else -30, x, f(yy))))
    return out


def invisible():
    # never drawn by the game; the picture only helps whoever edits levels
    return [rect(3, 3, 58, 58, 4, fill="#ff40c0", fill_opacity=0.18, stroke="#ff40c0", stroke_width=3,
                 stroke_dasharray="8 5"),
            path("M14,14 L50,50 M50,14 L14,50", stroke="#ff40c0", stroke_width=3, stroke_linecap="round")]


DECOR = [(60, "grass tuft", lambda: tuft(False)), (61, "tall grass", lambda: tuft(True)), (62, "flowers", flowers),
         (63, "rock", rock), (64, "mushroom", mushroom), (65, "fence", fence), (66, "sign pointing right", sign),
         (67, "bush, left half", lambda: bush("left")), (68, "bush, right half", lambda: bush("right")),
         (69, "dark dirt for back layers", back_dirt), (70, "hanging vines", vines)]
INVISIBLE_ID = 90


def layout():
    """Atlas slots: every tile gets the next cell of a 12-column grid."""
    ground = tiles()
    order = [t[0] for t in ground] + [d[0] for d in DECOR] + [INVISIBLE_ID]
    return {tid: (PAD + (i % COLS) * PITCH, PAD + (i // COLS) * PITCH) for i, tid in enumerate(order)}


def atlas_size():
    rows = (len(layout()) + COLS - 1) // COLS
    h = 1
    while h < rows * PITCH:
        h *= 2
    return 1024, h


def tile_svg(x, y, content):
    return ('<svg x="%d" y="%d" width="%d" height="%d" viewBox="%d %d %d %d" overflow="hidden">%s</svg>'
            % (x - PAD, y - PAD, PITCH, PITCH, -PAD, -PAD, PITCH, PITCH, "".join(content)))


def pictures():
    slots = layout()
    defs = [dirt_pattern()]
    body = []
    for tid, _name, polys, off, _shape, extra in tiles():
        content, d = ground_tile(tid, polys, off, extra)
        defs += d
        body.append(tile_svg(*slots[tid], content))
    for tid, _name, fn in DECOR:
        body.append(tile_svg(*slots[tid], fn()))
    body.append(tile_svg(*slots[INVISIBLE_ID], invisible()))
    w, h = atlas_size()
    return [("tilesets/ground.png", w, h, doc(w, h, body, defs))]


def vec(x, y):
    return "(%s, %s)" % (f(x), f(y))


def text_files():
    slots = layout()
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<!-- Made by tools/art/generate from assets-src/art/tiles.py; edit those, not this file. -->',
             '<TileSet imageFilename="ground.png" defaultTileSize="(%d, %d)" defaultShapeRestitution="0" '
             'defaultShapeFriction="0.8">' % (T, T)]
    for tid, name, _polys, _off, shape, _extra in tiles():
        lines.append('  <!-- %s -->' % name)
        lines.append('  <Tile id="%d" position="%s">' % (tid, vec(*slots[tid])))
        lines.append('    <Shapes>')
        if shape == BOX:
            lines.append('      <Simple1x1BoxShape/>')
        else:
            lines.append('      <PolygonShape vertices="%s"/>' % ",".join(vec(x, y) for x, y in shape))
        lines.append('    </Shapes>')
        lines.append('  </Tile>')
    for tid, name, _fn in DECOR:
        lines.append('  <!-- %s (no shape) -->' % name)
        lines.append('  <Tile id="%d" position="%s"/>' % (tid, vec(*slots[tid])))
    lines.append('  <!-- invisible wall: collides, never drawn -->')
    lines.append('  <Tile id="%d" position="%s" visible="0">' % (INVISIBLE_ID, vec(*slots[INVISIBLE_ID])))
    lines.append('    <Shapes>')
    lines.append('      <Simple1x1BoxShape/>')
    lines.append('    </Shapes>')
    lines.append('  </Tile>')
    lines.append('</TileSet>')
    return [("tilesets/ground.xml", "\n".join(lines) + "\n")]
