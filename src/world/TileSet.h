#pragma once

#include "engine/NonCopyable.h"
#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Tile.h"

#include <map>
#include <vector>
#include <memory>
#include <set>
#include <string>

class Engine;
class TiXmlElement;

/// The tiles of one tile map layer, read from a "TileSet" file under "tilesets/".
/// Bad tiles and shapes are reported and left out; the rest of the set loads.
class TileSet : NonCopyable {
public:
    /// Reads "tilesets/" + `filename`; check `isLoaded` afterwards.
    TileSet(Engine* engine, const std::string& filename);

    /// False when the file could not be read or has no "TileSet" element.
    bool isLoaded() const { return loaded; }
    /// The tile numbered `id`, or null.
    const Tile* findTile(unsigned id) const;
    const Handle<Texture>& getTexture() const { return texture; }

    /// Draws `count` cells from `firstCell` on, `stride` cells from one row to the
    /// next, cell (c, r) covering (c, r) to (c + 1, r + 1); empty cells and invisible
    /// tiles are left out. One quad batch.
    void draw(const unsigned* firstCell, Vec2i count, int stride, const RGBA& color) const;
    /// Fills the `opaque` parts of the tiles numbered in `used` from the picture as the GL
    /// holds it; other tiles keep none.
    void findOpaqueParts(const std::set<unsigned>& used);
    /// The part of a cell that `tile` draws with full alpha at `texelsPerPixel` picture pixels a window pixel.
    static CellPart opaquePart(const Tile& tile, float texelsPerPixel);

private:
    void readTile(const TiXmlElement* element);
    bool readShape(const TiXmlElement* element, Tile& tile, const std::string& where);
    void report(const std::string& element, const std::string& what) const;

    Engine* engine;
    std::string filename;
    bool loaded = false;
    Handle<Texture> texture;
    Vec2i defaultTileSize;
    float defaultRestitution = 0.0f;
    float defaultFriction = 0.0f;
    std::map<unsigned, std::unique_ptr<Tile>> tiles;
    /// Texture and position pairs of the tiles being drawn, kept to spare an allocation per frame.
    mutable std::vector<float> vertices;
};
