#include "world/TileMapLayer.h"

#include "world/Level.h"
#include "world/Physics.h"
#include "world/TileSet.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <sstream>

namespace {

// Numbers each followed by one separator; the row ends at the first thing that is not a number.
std::vector<unsigned> readRow(const char* text)
{
    std::vector<unsigned> row;
    std::istringstream in(text ? text : "");
    unsigned number;
    char separator;
    while ((in >> std::ws) && std::isdigit(in.peek()) && (in >> number)) {
        row.push_back(number);
        if (!(in >> separator))
            break;
    }
    return row;
}

// The cell column or row at view corner coordinate `v`, kept within -1..last in
// floating point first: a camera without room (a level of size 0, a layer depth
// that is not a number) puts the corners at NaN or far beyond any int. NaN gives
// -1, so nothing is drawn.
int cellAt(double v, int last)
{
    if (std::isnan(v))
        return -1;
    return int(std::clamp(v, -1.0, double(last)));
}

} // namespace

TileMapLayer::TileMapLayer(Level* level, int index, const TiXmlElement* element, const ParameterMap* gameParams)
    : Layer(level, index, element, gameParams)
{
    const char* tileSetName = element->Attribute("tileSetFilename");
    if (!tileSetName) {
        level->report("TileMapLayer \"" + id + "\"", "has no \"tileSetFilename\"; layer skipped");
        usable = false;
        return;
    }
    tileSet = std::make_unique<TileSet>(engine, tileSetName);
    if (!tileSet->isLoaded()) {
        level->report("TileMapLayer \"" + id + "\"",
                      "tile set \"tilesets/" + std::string(tileSetName) + "\" cannot be read; layer skipped");
        usable = false;
        return;
    }
    int physicsFlag = 0;
    element->QueryIntAttribute("enablePhysics", &physicsFlag);
    enablePhysics = physicsFlag != 0;
    readRows(element);
    tileSet->findOpaqueParts(std::set<unsigned>(tiles.begin(), tiles.end()));
}

TileMapLayer::~TileMapLayer() = default;

void TileMapLayer::readRows(const TiXmlElement* element)
{
    std::vector<std::vector<unsigned>> rows;
    for (const TiXmlElement* row = element->FirstChildElement("Row"); row; row = row->NextSiblingElement("Row")) {
        rows.push_back(readRow(row->GetText()));
        width = std::max(width, int(rows.back().size()));
    }
    height = int(rows.size());
    tiles.assign(size_t(width) * size_t(height), 0u);
    std::set<unsigned> unknown;
    for (int y = 0; y < height; ++y) {
        for (size_t x = 0; x < rows[size_t(y)].size(); ++x) {
            unsigned number = rows[size_t(y)][x];
            if (number != 0 && !tileSet->findTile(number)) {
                // Reported once per number; such cells stay empty.
                if (unknown.insert(number).second)
                    level->report("TileMapLayer \"" + id + "\": Row " + std::to_string(y + 1),
                                  "tile " + std::to_string(number) + " is not in the tile set; left empty");
                continue;
            }
            tiles[size_t(y) * size_t(width) + x] = number;
        }
    }
}

unsigned TileMapLayer::getTile(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return tiles[size_t(y) * size_t(width) + size_t(x)];
}

void TileMapLayer::initPhysics(b2Body* groundBody)
{
    if (!enablePhysics)
        return;
    uint16_t bits = physics::collisionBits(index);
    std::vector<bool> visited(tiles.size(), false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            size_t cell = size_t(y) * size_t(width) + size_t(x);
            unsigned number = tiles[cell];
            if (number == 0 || visited[cell])
                continue;
            const Tile* tile = tileSet->findTile(number);
            int run = 1;
            if (tile->isSimpleBox) {
                while (x + run < width && tiles[cell + size_t(run)] == number)
                    ++run;
            }
            for (const PolygonDef& shape : tile->shapes) {
                PolygonDef placed = shape;
                for (b2Vec2& v : placed.vertices)
                    v.Set(v.x * float(run) + float(x), v.y + float(y));
                placed.filter.categoryBits = bits;
                placed.filter.maskBits = bits;
                physics::createPolygon(groundBody, placed);
            }
            for (int i = 0; i < run; ++i)
                visited[cell + size_t(i)] = true;
        }
    }
}

void TileMapLayer::update()
{
    updateObjects();
}

TileMapLayer::CellRange TileMapLayer::visibleCells() const
{
    const GlMatrices gl = GlMatrices::current();
    const double* modelView = gl.modelView;
    const double* projection = gl.projection;
    const int* viewport = gl.viewport;
    GLdouble wx, wy, depth;
    gluProject(0, 0, 0, modelView, projection, viewport, &wx, &wy, &depth);
    GLdouble left, top, right, bottom, unused;
    gluUnProject(viewport[0], viewport[1] + viewport[3], depth, modelView, projection, viewport, &left, &top, &unused);
    gluUnProject(viewport[0] + viewport[2], viewport[1], depth, modelView, projection, viewport, &right, &bottom,
                 &unused);
    return {std::max(0, cellAt(left, width - 1)), std::max(0, cellAt(top, height - 1)),
            std::min(width - 1, cellAt(right, width - 1)), std::min(height - 1, cellAt(bottom, height - 1))};
}

void TileMapLayer::addOpaqueRects(std::vector<WindowRect>& rects) const
{
    // Only a texel of full alpha under a colour of full alpha replaces the
    // screen in the usual blending; unblended, every drawn pixel does.
    const bool wholeCells = blendMode == 0;
    if (!wholeCells && !(blendMode == 1 && color.a >= 1.0f))
        return;
    if (!tileSet->getTexture())
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyDepthTransform();
    const CellRange cells = visibleCells();
    const WindowPlacement window = WindowPlacement::current();
    glPopMatrix();
    const float pixelsX = std::fabs(window.ax), pixelsY = std::fabs(window.ay);
    for (int y = cells.y0; y <= cells.y1; ++y) {
        for (int x = cells.x0; x <= cells.x1; ++x) {
            const unsigned number = tiles[size_t(y) * size_t(width) + size_t(x)];
            const Tile* tile = number ? tileSet->findTile(number) : nullptr;
            if (!tile || !tile->visible)
                continue;
            const CellPart part =
                wholeCells ? CellPart{0.0f, 0.0f, 1.0f, 1.0f}
                           : TileSet::opaquePart(*tile, std::max(float(tile->size.x) / pixelsX,
                                                                 float(tile->size.y) / pixelsY));
            if (part.x0 >= part.x1 || part.y0 >= part.y1)
                continue;
            rects.push_back(window.place(Vec2f(float(x) + part.x0, float(y) + part.y0),
                                         Vec2f(float(x) + part.x1, float(y) + part.y1)));
        }
    }
}

void TileMapLayer::render(Object* drawLast)
{
    applyBlendMode();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyDepthTransform();

    const CellRange cells = visibleCells();
    if (cells.x1 >= cells.x0 && cells.y1 >= cells.y0) {
        glPushMatrix();
        glTranslatef(float(cells.x0), float(cells.y0), 0.0f);
        tileSet->draw(&tiles[size_t(cells.y0) * size_t(width) + size_t(cells.x0)],
                      Vec2i(cells.x1 - cells.x0 + 1, cells.y1 - cells.y0 + 1), width, color);
        glPopMatrix();
    }

    renderObjects(drawLast);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
