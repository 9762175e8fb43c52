#pragma once

#include "engine/Vec2.h"
#include "world/Physics.h"

#include <array>
#include <list>

/// A rectangle of a tile map cell, 0..1 on each side; empty when x0 >= x1.
struct CellPart {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
};

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
    /// The part of the cell drawn with full alpha when the GL reads mip levels up to the
    /// index (filtering reaches farther on each level): the largest rectangle found.
    std::array<CellPart, 4> opaque;
};
