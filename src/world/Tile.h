#pragma once

#include "engine/Vec2.h"
#include "world/Physics.h"

#include <list>

/// One tile of a tile set: a rectangle of the tile set's image and the
/// collision shapes of one cell, in cell units (0 to 1 spans the cell).
struct Tile {
    int id = 0;
    Vec2i position; ///< top-left pixel in the tile set image
    Vec2i size;     ///< pixels
    /// The only shape is the unit box, so equal neighbours in a row can share one long box.
    bool isSimpleBox = false;
    std::list<PolygonDef> shapes;
    /// Invisible tiles are not drawn but still collide.
    bool visible = true;
};
