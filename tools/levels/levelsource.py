"""Reads one level source (assets-src/levels/*.lvl) and writes its level XML.

A source has header lines ("name: ..."), ASCII maps ("map <id> ..." up to
"end"), object lists ("objects <map id>" up to "end") and anchor tables
("anchors <map id>" up to "end"). docs/levels.md describes the format; the
tables below are the single place that says what each map character means.
"""
import math
import os
import re
import xml.etree.ElementTree as ET


class SourceError(Exception):
    pass


# Characters that become tiles with collision shapes. '#' is filled in by
# autotile() according to its neighbours.
SHAPE_CHARS = {
    "/": 16, "\\": 18,
    "a": 20, "b": 21, "c": 23, "d": 24,
    "1": 28, "2": 29, "3": 30, "4": 31,
    "5": 33, "6": 34, "7": 35, "8": 36,
    "n": 40, "m": 41,
    "(": 11, ")": 12,
    "[": 44, "=": 45, "]": 46, "o": 47,
    "^": 13,
    "X": 90,
}
# Pieces whose grass edge reaches into the cell below; that cell gets the
# ground picture with the matching bit of grass.
BELOW = {"/": 17, "\\": 19, "a": 22, "d": 25, "1": 32, "8": 37, "n": 42, "m": 43}
# Decoration without shapes; in a physics map these go to a layer of their own.
DECO_CHARS = {
    ",": 60, ";": 61, "*": 62, "r": 63, "p": 64, "|": 65, "!": 66,
    "{": 67, "}": 68, ":": 69, "v": 70,
}
EMPTY_CHARS = " ."
GROUND = "#"

# How far above the ground an object's position sits when it is put down on it,
# and how wide it stands (the ground is sampled across that width).
REST = {
    "PlayerObject": (1.03, (-1.05, 0.0, 1.0)),
    "Box": (0.51, (-0.45, 0.0, 0.45)),
    "Nut": (1.0, (0.0,)),
    "Medkit": (1.0, (0.0,)),
    "Spikes": (1.0, (-0.9, 0.0, 0.9)),
    "Accelerator": (0.5, (0.0,)),
    "LayerSwitch": (1.0, (0.0,)),
    "CheckpointObject": (1.5, (0.0,)),
    "DummyObject": (0.42, (0.0,)),
    "ZorbellnutObject": (1.6, (0.0,)),
    "TextObject": (3.0, (0.0,)),
}

BACKGROUNDS = {
    # name: background colour, tints of sky, clouds, far hills, near hills, ground
    "abend": ("(0.16, 0.12, 0.27, 1)", "(1, 1, 1, 1)", "(1, 1, 1, 0.95)", "(1, 1, 1, 1)", "(1, 1, 1, 1)",
              None),
    "tag": ("(0.30, 0.42, 0.62, 1)", "(0.62, 0.86, 1, 1)", "(1, 1, 1, 1)", "(0.78, 0.9, 1, 1)",
            "(0.86, 1, 0.92, 1)", None),
    "nacht": ("(0.05, 0.05, 0.14, 1)", "(0.32, 0.36, 0.7, 1)", "(0.45, 0.5, 0.8, 0.75)",
              "(0.38, 0.42, 0.7, 1)", "(0.32, 0.42, 0.6, 1)", "(0.72, 0.76, 0.92, 1)"),
}
# Depth, image, image size, picture row that should meet a screen height (as a
# fraction from the top) when the player stands on the usual ground line.
IMAGE_LAYERS = [
    ("himmel", 80.0, "bg-sky.png", (1024, 512), 430, 0.66, 0),
    ("wolken", 50.0, "bg-clouds.png", (1024, 256), 110, 0.13, 1),
    ("berge", 25.0, "bg-hills-far.png", (1024, 512), 300, 0.56, 2),
    ("huegel", 12.0, "bg-hills-near.png", (1024, 512), 360, 0.73, 3),
]
REST_ZOOM = 9.5       # the game screen's zoom for a vehicle at rest
ASPECT = 4.0 / 3.0    # one player's view


class TileSet:
    """The collision shapes of the tile set, for putting objects on the ground."""

    def __init__(self, directory):
        self.shapes = {}
        root = ET.parse(os.path.join(directory, "ground.xml")).getroot()
        for tile in root.findall("Tile"):
            polys = []
            shapes = tile.find("Shapes")
            if shapes is not None:
                for shape in shapes:
                    if shape.tag == "Simple1x1BoxShape":
                        polys.append([(0, 0), (1, 0), (1, 1), (0, 1)])
                    else:
                        nums = [float(v) for v in re.findall(r"-?[0-9.]+", shape.get("vertices"))]
                        polys.append(list(zip(nums[0::2], nums[1::2])))
            self.shapes[int(tile.get("id"))] = polys

    def has_shape(self, tile_id):
        return bool(self.shapes.get(tile_id))

    def top(self, tile_id, u):
        """The highest point of the tile's shapes above the cell-local x u, or None."""
        best = None
        for poly in self.shapes.get(tile_id, []):
            for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]):
                lo, hi = min(x0, x1), max(x0, x1)
                if lo <= u <= hi:
                    y = y0 if x1 == x0 else y0 + (y1 - y0) * (u - x0) / (x1 - x0)
                    if x1 == x0:
                        y = min(y0, y1)
                    best = y if best is None else min(best, y)
        return best


class Map:
    def __init__(self, ident, options, rows, line):
        self.id = ident
        self.z = float(options.pop("z", "0"))
        self.physics = options.pop("physics", "1") != "0"
        self.color = options.pop("color", None)
        self.front = float(options.pop("front", "0"))
        self.border = options.pop("border", "1") != "0"
        if options:
            raise SourceError("line %d: unknown map option(s) %s" % (line, ", ".join(sorted(options))))
        width = max(len(r) for r in rows)
        self.chars = [list(r.ljust(width)) for r in rows]
        self.width, self.height = width, len(rows)
        self.tiles = None
        self.deco = None
        self.objects = []
        self.anchors = {}

    def at(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            return self.chars[y][x]
        return "X"


class Level:
    pass


TOKEN = re.compile(r'\s*([A-Za-z_][A-Za-z0-9_]*)(?:=("(?:[^"\\]|\\.)*"|\([^)]*\)|[^\s"]+))?')


def tokenize(text, line):
    """key=value pairs (values quoted, in parentheses or plain) and bare flags."""
    out = []
    matches = list(TOKEN.finditer(text))
    for m in matches:
        key, value = m.group(1), m.group(2)
        if value is not None and value.startswith('"'):
            value = value[1:-1].replace('\\"', '"').replace("\\n", "\n")
        out.append((key, value))
    rebuilt = "".join(m.group(0) for m in matches)
    if rebuilt.strip() != text.strip():
        raise SourceError("line %d: cannot read %r" % (line, text.strip()))
    return out


def parse(path, tileset):
    level = Level()
    level.source = "assets-src/levels/" + os.path.basename(path)
    level.filename = os.path.splitext(os.path.basename(path))[0] + ".xml"
    level.header = {}
    level.maps = []
    with open(path, encoding="utf-8") as fh:
        lines = fh.read().split("\n")
    i = 0
    block = None
    while i < len(lines):
        raw = lines[i]
        i += 1
        stripped = raw.strip()
        if not stripped or stripped.startswith("#"):
            continue
        words = stripped.split()
        if words[0] == "map":
            opts = {k: v for k, v in tokenize(stripped.split(None, 2)[2] if len(words) > 2 else "", i)}
            rows = []
            start = i
            while i < len(lines) and lines[i].rstrip() != "end":
                rows.append(lines[i].rstrip("\n"))
                i += 1
            if i >= len(lines):
                raise SourceError("%s:%d: map without \"end\"" % (path, start))
            i += 1
            try:
                level.maps.append(Map(words[1], opts, rows, start))
            except SourceError as err:
                raise SourceError("%s: %s" % (path, err))
            continue
        if words[0] in ("objects", "anchors"):
            block = (words[0], find_map(level, words[1], path, i))
            continue
        if stripped == "end":
            block = None
            continue
        if block:
            kind, m = block
            if kind == "objects":
                m.objects.append((tokenize(stripped, i), i))
            else:
                letter, rest = stripped.split(None, 1)
                if len(letter) != 1 or not letter.isupper() or letter == "X":
                    raise SourceError("%s:%d: an anchor is one capital letter other than X" % (path, i))
                m.anchors[letter] = (tokenize(rest, i), i)
            continue
        if ":" not in stripped:
            raise SourceError("%s:%d: expected \"key: value\", a map or an object list" % (path, i))
        key, value = stripped.split(":", 1)
        level.header[key.strip()] = value.strip()
    if not level.maps:
        raise SourceError("%s: no map" % path)
    for key in ("name", "modes", "music", "gravity"):
        if key not in level.header:
            raise SourceError("%s: missing \"%s:\"" % (path, key))
    # The main map is the one player 1 starts in; image layers are placed for its ground.
    level.main = next((m for m in level.maps if any(
        ("id", "player1") in tokens for tokens, _ in m.objects)), level.maps[0])
    # Every map covers the whole level; rows may leave out empty cells at their end.
    width = max(m.width for m in level.maps)
    for m in level.maps:
        if m.height != level.main.height:
            raise SourceError("%s: map %s has %d rows, map %s %d" % (
                path, m.id, m.height, level.main.id, level.main.height))
        m.chars = [row + [" "] * (width - m.width) for row in m.chars]
        m.width = width
        autotile(m, path)
    level.tileset = tileset
    place_objects(level, path)
    return level


def find_map(level, ident, path, line):
    for m in level.maps:
        if m.id == ident:
            return m
    raise SourceError("%s:%d: no map %r above this line" % (path, line, ident))


def cell_hash(x, y, salt):
    h = (x * 73856093) ^ (y * 19349663) ^ (salt * 83492791)
    h = (h ^ (h >> 13)) * 1274126177
    return ((h ^ (h >> 16)) & 0xFFFFFF) / float(0x1000000)


def autotile(m, path):
    """Turns the characters into tile numbers: m.tiles (shapes) and m.deco."""
    m.tiles = [[0] * m.width for _ in range(m.height)]
    m.deco = [[0] * m.width for _ in range(m.height)]

    def solid(x, y):
        c = m.at(x, y)
        return c == GROUND or c in SHAPE_CHARS

    for y in range(m.height):
        for x in range(m.width):
            c = m.chars[y][x]
            if c in EMPTY_CHARS or c.isupper() and c != "X":
                continue
            if c in DECO_CHARS:
                m.deco[y][x] = DECO_CHARS[c]
            elif c in SHAPE_CHARS:
                m.tiles[y][x] = SHAPE_CHARS[c]
            elif c == GROUND:
                m.tiles[y][x] = ground_tile(m, x, y, solid)
            else:
                raise SourceError("%s: map %s, row %d, column %d: unknown character %r" % (
                    path, m.id, y, x, c))
    if m.physics and m.border:
        for y in range(m.height):
            for x in range(m.width):
                edge = x == 0 or y == 0 or x == m.width - 1 or y == m.height - 1
                if edge and m.tiles[y][x] == 0:
                    m.tiles[y][x] = SHAPE_CHARS["X"]


def ground_tile(m, x, y, solid):
    above = m.at(x, y - 1)
    if above in BELOW:
        return BELOW[above]
    left, right = solid(x - 1, y), solid(x + 1, y)
    if not solid(x, y - 1):
        if not left and not right:
            return 13
        return 4 if not left else 5 if not right else 3
    if not solid(x, y + 1):
        return 9 if not left else 10 if not right else 8
    if not left:
        return 6
    if not right:
        return 7
    return 2 if cell_hash(x, y, 1) < 0.04 else 1


def surface(level, m, x, y0, offsets):
    """Height of the ground under the points x + offsets, starting the search at row y0."""
    best = None
    for dx in offsets:
        px = x + dx
        col = int(math.floor(px))
        for row in range(max(0, int(y0)), m.height):
            tile = m.tiles[row][col] if 0 <= col < m.width else 90
            if tile and level.tileset.has_shape(tile):
                top = level.tileset.top(tile, px - col)
                if top is not None:
                    best = row + top if best is None else min(best, row + top)
                    break
    return best


def fmt(v):
    text = "%.3f" % v
    text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def kind_of(element, attrs):
    return attrs.get("type") if element == "SimpleObject" else element


def place_objects(level, path):
    counters = {}
    level.placed = {}
    for m in level.maps:
        placed = []
        for tokens, line in m.objects:
            placed.append(make_object(level, m, tokens, None, line, path, counters))
        for y in range(m.height):
            for x in range(m.width):
                c = m.chars[y][x]
                if c.isupper() and c != "X":
                    if c not in m.anchors:
                        raise SourceError("%s: map %s has anchor %s at (%d, %d) but no anchor line for it" % (
                            path, m.id, c, x, y))
                    tokens, line = m.anchors[c]
                    placed.append(make_object(level, m, tokens, (x, y), line, path, counters))
        ids = set()
        for element, attrs in placed:
            if attrs["id"] in ids:
                raise SourceError("%s: map %s has two objects with id %r" % (path, m.id, attrs["id"]))
            ids.add(attrs["id"])
        level.placed[m.id] = placed


def make_object(level, m, tokens, anchor, line, path, counters):
    if not tokens or tokens[0][1] is not None:
        raise SourceError("%s:%d: an object line starts with its element name" % (path, line))
    element = tokens[0][0]
    attrs = {}
    flags = set()
    for key, value in tokens[1:]:
        if value is None:
            flags.add(key)
        else:
            attrs[key] = value
    kind = kind_of(element, attrs)
    rest, offsets = REST.get(kind, REST.get(element, (0.5, (0.0,))))
    if kind in ("HomebaseObject", "KingAreaObject", "Sprite"):
        size = [float(v) for v in re.findall(r"-?[0-9.]+", attrs.get("size", "(0, 0)"))]
        rest = size[1] * 0.5
    lift = float(attrs.pop("lift", "0"))
    dx = float(attrs.pop("dx", "0"))
    dy = float(attrs.pop("dy", "0"))
    if "at" in attrs:
        nums = [float(v) for v in re.findall(r"-?[0-9.]+", attrs.pop("at"))]
        pos = (nums[0] + dx, nums[1] + dy - lift)
    else:
        if anchor is not None:
            x, y0 = anchor[0] + 0.5, anchor[1]
        elif "x" in attrs:
            x, y0 = float(attrs.pop("x")), float(attrs.pop("y", "1"))
        else:
            raise SourceError("%s:%d: %s needs x=, at= or an anchor" % (path, line, element))
        x += dx
        if "air" in flags:
            pos = (x, y0 + 0.5 + dy - lift)
        else:
            ground = surface(level, m, x, y0, offsets)
            if ground is None:
                raise SourceError("%s:%d: no ground below (%s, %s) in map %s" % (path, line, fmt(x), fmt(y0), m.id))
            pos = (x, ground - rest + dy - lift)
    if "id" not in attrs:
        prefix = (kind or element).replace("Object", "").lower()
        counters[prefix] = counters.get(prefix, 0) + 1
        attrs["id"] = "%s%d" % (prefix, counters[prefix])
    ordered = {"id": attrs.pop("id"), "position": "(%s, %s)" % (fmt(pos[0]), fmt(pos[1]))}
    if "angle" in attrs:
        ordered["angle"] = attrs.pop("angle")
    ordered.update(attrs)
    return element, ordered


def median_surface_row(level):
    m = level.main
    rows = []
    for x in range(2, m.width - 2):
        s = surface(level, m, x + 0.5, 1, (0.0,))
        if s is not None and s < m.height - 1:
            rows.append(s)
    rows.sort()
    return rows[len(rows) // 2] if rows else m.height * 0.75


def image_layers(level):
    W, H = level.main.width, level.main.height
    horizon = float(level.header.get("horizon", median_surface_row(level)))
    zoom = min(REST_ZOOM, H * 0.5)
    cy = min(max(horizon - 2.5, zoom), H - zoom)
    preset = BACKGROUNDS[level.header.get("sky", "abend")]
    out = []
    for ident, z, image, (iw, ih), row, frac, tint in IMAGE_LAYERS:
        top = cy - (zoom + z)
        want = top + frac * 2 * (zoom + z)
        ty = row * (H + 2 * z) / (ih * (want + z))
        copy_h = (H + 2 * z) / ty
        tx = (W + 2 * z * ASPECT) / (copy_h * iw / ih)
        attrs = {"id": ident, "z": fmt(z), "imageFilename": image,
                 "tiling": "(%s, %s)" % (fmt(max(tx, 0.25)), fmt(ty)), "color": preset[1 + tint]}
        if ident == "wolken":
            attrs["movement"] = "(7, 0)"
        out.append(("ImageLayer", attrs, None, []))
    return out


def front_grass(m):
    """Grass and flowers in front of the vehicles along the grass tops."""
    rows = [[0] * m.width for _ in range(m.height)]
    for y in range(1, m.height):
        for x in range(1, m.width - 1):
            if m.tiles[y][x] in (3, 4, 5, 13) and m.chars[y - 1][x] in EMPTY_CHARS and m.deco[y - 1][x] == 0:
                r = cell_hash(x, y, 7)
                if r < m.front * 0.6:
                    rows[y - 1][x] = 60
                elif r < m.front * 0.85:
                    rows[y - 1][x] = 61
                elif r < m.front:
                    rows[y - 1][x] = 62
    return rows


def to_xml(level):
    h = level.header
    W, H = level.main.width, level.main.height
    preset = BACKGROUNDS[h.get("sky", "abend")]
    layers = image_layers(level)
    for m in level.maps:
        color = m.color or (preset[5] if preset[5] else None)
        if any(any(row) for row in m.deco):
            attrs = {"id": m.id + "-deko", "z": fmt(m.z + 0.01), "tileSetFilename": "ground.xml"}
            if color:
                attrs["color"] = color
            layers.append(("TileMapLayer", attrs, m.deco, []))
        attrs = {"id": m.id, "z": fmt(m.z), "tileSetFilename": "ground.xml"}
        if m.physics:
            attrs["enablePhysics"] = "1"
        if color:
            attrs["color"] = color
        layers.append(("TileMapLayer", attrs, m.tiles, level.placed[m.id]))
        if m.front > 0:
            attrs = {"id": m.id + "-vorn", "z": fmt(m.z - 0.05), "tileSetFilename": "ground.xml"}
            if color:
                attrs["color"] = color
            layers.append(("TileMapLayer", attrs, front_grass(m), []))
    level_attrs = {"name": h["name"], "supportedGameModes": h["modes"], "musicFilename": h["music"],
                   "size": "(%d, %d)" % (W, H), "gravity": h["gravity"], "backgroundColor": preset[0]}
    out = ['<?xml version="1.0" encoding="ISO-8859-1"?>',
           "<!-- Made by tools/levels/generate from %s; edit that, not this file. -->" % level.source,
           "<Level%s>" % attributes(level_attrs), "  <Layers>"]
    for element, attrs, rows, objects in layers:
        out.append("    <%s%s>" % (element, attributes(attrs)))
        if objects:
            out.append("      <Objects>")
            for obj, oattrs in objects:
                out.append("        <%s%s/>" % (obj, attributes(oattrs)))
            out.append("      </Objects>")
        if rows is not None:
            for row in rows:
                out.append("      <Row>%s</Row>" % row_text(row))
        out.append("    </%s>" % element)
    out += ["  </Layers>", "</Level>", ""]
    text = "\n".join(out)
    try:
        return text.encode("latin-1")
    except UnicodeEncodeError as err:
        raise SourceError("%s: text outside Latin-1: %s" % (level.source, err))


def row_text(row):
    """A row without its trailing empty cells; cells a row does not give are empty."""
    end = len(row)
    while end > 1 and row[end - 1] == 0:
        end -= 1
    return ",".join(str(t) for t in row[:end])


def escape(value):
    return (value.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")
            .replace("\n", "&#10;"))


def attributes(attrs):
    return "".join(' %s="%s"' % (k, escape(v)) for k, v in attrs.items())
