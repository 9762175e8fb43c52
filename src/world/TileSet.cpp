#include "world/TileSet.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/TextureManager.h"

#include <GL/gl.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <utility>

namespace {

std::vector<b2Vec2> readVertices(const char* text)
{
    std::vector<b2Vec2> vertices;
    std::istringstream in(text ? text : "");
    Vec2f v;
    char separator;
    while (in >> v) {
        vertices.emplace_back(v.x, v.y);
        if (!(in >> separator))
            break;
    }
    return vertices;
}

// Reads a friction or restitution into `value`. One that is no finite float
// (NaN, infinity, beyond 3.4e38) would make every body that touches the shape
// NaN, so it leaves `value` as it was; false then.
bool readMaterial(const TiXmlElement* element, const char* name, float& value)
{
    double number = 0.0;
    if (element->QueryDoubleAttribute(name, &number) != TIXML_SUCCESS)
        return true;
    if (!(std::fabs(number) <= double(std::numeric_limits<float>::max())))
        return false;
    value = float(number);
    return true;
}

// How far (in picture pixels) filtering reads beyond the point a pixel samples
// when the GL reads mip levels up to `level`: the two texels of that level
// around the point, each standing for 2^level picture pixels, and half a pixel
// for rounding.
int filterReach(int level)
{
    return int(std::ceil(1.5f * float(1 << level) + 0.5f));
}

// The largest rectangle of true entries in a `width` x `height` grid (row by row).
CellPart largestRectangle(const std::vector<bool>& inside, int width, int height)
{
    std::vector<int> heights(size_t(width) + 1, 0), stack;
    int bestArea = 0;
    CellPart best;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            heights[size_t(x)] = inside[size_t(y * width + x)] ? heights[size_t(x)] + 1 : 0;
        stack.clear();
        for (int x = 0; x <= width; ++x) {
            while (!stack.empty() && heights[size_t(stack.back())] >= heights[size_t(x)]) {
                const int h = heights[size_t(stack.back())];
                stack.pop_back();
                const int begin = stack.empty() ? 0 : stack.back() + 1;
                if (h * (x - begin) > bestArea) {
                    bestArea = h * (x - begin);
                    best = {float(begin), float(y + 1 - h), float(x), float(y + 1)};
                }
            }
            stack.push_back(x);
        }
    }
    return best;
}

} // namespace

TileSet::TileSet(Engine* engine, const std::string& name)
    : engine(engine), filename("tilesets/" + name)
{
    std::string path = engine->findFile(filename);
    TiXmlDocument document;
    if (path.empty() || !document.LoadFile(path))
        return;
    const TiXmlElement* root = document.FirstChildElement("TileSet");
    if (!root)
        return;
    loaded = true;

    if (const char* image = root->Attribute("imageFilename"))
        texture = engine->getTextureManager()->get("tilesets/" + std::string(image));
    else
        report("TileSet", "has no \"imageFilename\"; its tiles are not drawn");
    if (const char* text = root->Attribute("defaultTileSize"))
        defaultTileSize = fromString<Vec2i>(text, defaultTileSize);
    for (auto [name, value] : {std::pair{"defaultShapeRestitution", &defaultRestitution},
                               std::pair{"defaultShapeFriction", &defaultFriction}}) {
        if (!readMaterial(root, name, *value))
            report("TileSet", std::string("\"") + name + "\" is not a finite number; 0 is used");
    }

    for (const TiXmlElement* child = root->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (child->ValueStr() == "Tile")
            readTile(child);
        else
            report(child->ValueStr(), "unknown element; skipped");
    }
}

void TileSet::findOpaqueParts(const std::set<unsigned>& used)
{
    if (!texture || !texture->isLoaded())
        return;
    const int width = texture->getWidth(), height = texture->getHeight();
    // The GL resamples a picture whose sides are not powers of two before it
    // makes the mip levels; then its texels are not the file's pixels.
    auto powerOfTwo = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
    if (!powerOfTwo(width) || !powerOfTwo(height))
        return;
    std::vector<unsigned char> alpha(size_t(width) * size_t(height));
    glPushAttrib(GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture->getName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    glPopClientAttrib();
    glPopAttrib();

    const int levels = int(Tile().opaque.size());
    const int margin = filterReach(levels - 1);
    std::vector<int> sums;
    std::vector<bool> inside;
    for (unsigned number : used) {
        auto found = tiles.find(number);
        if (found == tiles.end())
            continue;
        Tile& tile = *found->second;
        const int w = tile.size.x, h = tile.size.y;
        // A tile reaching beyond the picture shows its repetitions: none is told opaque.
        if (w <= 0 || h <= 0 || w > width || h > height || tile.position.x < 0 || tile.position.y < 0 ||
            tile.position.x > width - w || tile.position.y > height - h)
            continue;
        // Counts of pixels short of full alpha, summed from the corner of the
        // tile's surroundings; beyond the picture counts as short.
        const int x0 = tile.position.x - margin, y0 = tile.position.y - margin;
        const int sw = w + 2 * margin + 1, sh = h + 2 * margin + 1;
        sums.assign(size_t(sw) * size_t(sh), 0);
        for (int y = 1; y < sh; ++y) {
            for (int x = 1; x < sw; ++x) {
                const int px = x0 + x - 1, py = y0 + y - 1;
                const bool solid = px >= 0 && py >= 0 && px < width && py < height &&
                                   alpha[size_t(py) * size_t(width) + size_t(px)] == 255;
                sums[size_t(y * sw + x)] = (solid ? 0 : 1) + sums[size_t((y - 1) * sw + x)] +
                                           sums[size_t(y * sw + x - 1)] - sums[size_t((y - 1) * sw + x - 1)];
            }
        }
        auto shortOf = [&](int ax, int ay, int bx, int by) { // pixels [ax, bx) x [ay, by) of the surroundings
            return sums[size_t(by * sw + bx)] - sums[size_t(ay * sw + bx)] - sums[size_t(by * sw + ax)] +
                   sums[size_t(ay * sw + ax)];
        };
        if (shortOf(margin, margin, margin + w, margin + h) == w * h)
            continue;
        for (int level = 0; level < levels; ++level) {
            const int reach = filterReach(level);
            if (shortOf(margin - reach, margin - reach, margin + w + reach, margin + h + reach) == 0) {
                tile.opaque[size_t(level)] = {0.0f, 0.0f, 1.0f, 1.0f};
                continue;
            }
            inside.assign(size_t(w) * size_t(h), false);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    inside[size_t(y * w + x)] = shortOf(margin + x - reach, margin + y - reach, margin + x + reach + 1,
                                                        margin + y + reach + 1) == 0;
            CellPart part = largestRectangle(inside, w, h);
            tile.opaque[size_t(level)] = {part.x0 / float(w), part.y0 / float(h), part.x1 / float(w), part.y1 / float(h)};
        }
    }
}

void TileSet::readTile(const TiXmlElement* element)
{
    auto tile = std::make_unique<Tile>();
    element->QueryIntAttribute("id", &tile->id);
    std::string where = "Tile " + std::to_string(tile->id);
    const char* position = element->Attribute("position");
    if (!position) {
        report(where, "has no \"position\"; skipped");
        return;
    }
    if (tile->id < 0) {
        report(where, "tile numbers cannot be negative; skipped");
        return;
    }
    tile->position = fromString<Vec2i>(position, Vec2i());
    tile->size = defaultTileSize;
    if (const char* size = element->Attribute("size"))
        tile->size = fromString<Vec2i>(size, tile->size);
    int shown = 1;
    element->QueryIntAttribute("visible", &shown);
    tile->visible = shown != 0;

    bool sawSimpleBox = false;
    const TiXmlElement* shapes = element->FirstChildElement("Shapes");
    for (const TiXmlElement* shape = shapes ? shapes->FirstChildElement() : nullptr; shape;
         shape = shape->NextSiblingElement()) {
        if (readShape(shape, *tile, where) && shape->ValueStr() == "Simple1x1BoxShape")
            sawSimpleBox = true;
    }
    tile->isSimpleBox = sawSimpleBox && tile->shapes.size() == 1;
    tiles[unsigned(tile->id)] = std::move(tile);
}

bool TileSet::readShape(const TiXmlElement* element, Tile& tile, const std::string& where)
{
    PolygonDef def;
    def.friction = defaultFriction;
    def.restitution = defaultRestitution;
    for (auto [name, value] : {std::pair{"friction", &def.friction}, std::pair{"restitution", &def.restitution}}) {
        if (!readMaterial(element, name, *value))
            report(where + ": " + element->ValueStr(),
                   std::string("\"") + name + "\" is not a finite number; the tile set's default is used");
    }

    if (element->ValueStr() == "Simple1x1BoxShape") {
        def.vertices = {b2Vec2(0, 0), b2Vec2(1, 0), b2Vec2(1, 1), b2Vec2(0, 1)};
    } else if (element->ValueStr() == "PolygonShape") {
        def.vertices = readVertices(element->Attribute("vertices"));
        std::string problem = physics::checkPolygon(def.vertices);
        if (!problem.empty()) {
            report(where + ": PolygonShape", problem + "; skipped");
            return false;
        }
    } else {
        report(where + ": " + element->ValueStr(), "unknown shape; skipped");
        return false;
    }
    tile.shapes.push_back(def);
    return true;
}

void TileSet::report(const std::string& element, const std::string& what) const
{
    std::fprintf(stderr, "zorbel: %s: %s: %s\n", filename.c_str(), element.c_str(), what.c_str());
}

const Tile* TileSet::findTile(unsigned id) const
{
    auto it = tiles.find(id);
    return it == tiles.end() ? nullptr : it->second.get();
}

CellPart TileSet::opaquePart(const Tile& tile, float texelsPerPixel)
{
    // Drawn smaller than its pixels the GL blends the two mip levels around
    // log2 of the scale; a little leeway for the GL's own rounding of it.
    const float lod = std::log2(texelsPerPixel);
    if (!(lod < float(tile.opaque.size()) - 1.1f))
        return {};
    const int level = lod <= -0.05f ? 0 : int(std::floor(lod + 0.05f)) + 1;
    return tile.opaque[size_t(level)];
}

void TileSet::draw(const unsigned* firstCell, Vec2i count, int stride, const RGBA& color) const
{
    if (!texture)
        return;
    setTexturing(true);
    texture->bind();
    // One array per frame instead of two GL calls per corner: a view holds
    // hundreds of tiles, and under a software GL the calls cost more than the
    // tiles' pixels.
    vertices.clear();
    for (int r = 0; r < count.y; ++r) {
        for (int c = 0; c < count.x; ++c) {
            unsigned number = firstCell[r * stride + c];
            const Tile* tile = number ? findTile(number) : nullptr;
            if (!tile || !tile->visible)
                continue;
            const float u0 = float(tile->position.x);
            const float v0 = float(tile->position.y);
            const float u1 = u0 + float(tile->size.x);
            const float v1 = v0 + float(tile->size.y);
            const float x0 = float(c);
            const float y0 = float(r);
            vertices.insert(vertices.end(), {u0, v0, x0, y0, u1, v0, x0 + 1.0f, y0, u1, v1, x0 + 1.0f, y0 + 1.0f,
                                             u0, v1, x0, y0 + 1.0f});
        }
    }
    if (vertices.empty())
        return;
    glColor4f(color.r, color.g, color.b, color.a);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), vertices.data());
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), vertices.data() + 2);
    glDrawArrays(GL_QUADS, 0, GLsizei(vertices.size() / 4));
    glPopClientAttrib();
}
