#pragma once

#include "world/Layer.h"

#include <memory>
#include <vector>

class TileSet;

/// A grid of tile numbers (0 = empty), one world unit per cell, drawn with a
/// tile set; with "enablePhysics" its tiles' shapes collide with the objects of
/// the same layer.
class TileMapLayer : public Layer {
public:
    /// The common layer part (with its objects), then the tile set, "enablePhysics"
    /// and the "Row" elements. A layer whose tile set cannot be read is not usable.
    TileMapLayer(Level* level, int index, const TiXmlElement* element, const ParameterMap* gameParams);
    ~TileMapLayer() override;

    void update() override;
    void render(Object* drawLast) override;
    /// Puts the tiles' shapes on `groundBody`; runs of equal simple boxes in a row become one box.
    void initPhysics(b2Body* groundBody) override;
    /// The opaque parts of the visible tiles, when the blend mode and colour let them replace what is under them.
    void addOpaqueRects(std::vector<WindowRect>& rects) const override;

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    /// The tile number of cell (x, y); 0 outside the grid.
    unsigned getTile(int x, int y) const;
    bool isPhysicsEnabled() const { return enablePhysics; }
    const TileSet* getTileSet() const { return tileSet.get(); }

private:
    /// The cells [x0, x1] x [y0, y1] that the view shows, under the current matrices; empty when x1 < x0 or y1 < y0.
    struct CellRange {
        int x0, y0, x1, y1;
    };
    CellRange visibleCells() const;
    void readRows(const TiXmlElement* element);

    std::unique_ptr<TileSet> tileSet;
    int width = 0;
    int height = 0;
    std::vector<unsigned> tiles;
    bool enablePhysics = false;
};
