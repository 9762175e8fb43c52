#pragma once

#include "engine/Vec2.h"

#include <cstdint>
#include <vector>

/// A rectangle in window pixels, in the GL's window coordinates (y grows upwards).
struct WindowRect {
    float x0;
    float y0;
    float x1;
    float y1;
};

/// The GL's current model-view and projection matrices and viewport, as gluProject takes them.
struct GlMatrices {
    double modelView[16];
    double projection[16];
    int viewport[4];

    /// Read from the GL.
    static GlMatrices current();
};

/// Where the current GL matrices and viewport put the plane z = 0 of the model-view
/// space in the window. Every layer lies in such a plane facing the camera, so
/// window x and y are each linear in the layer's x and y.
struct WindowPlacement {
    float ax, ay, bx, by;

    /// From the GL's current model-view and projection matrices and viewport.
    static WindowPlacement current();
    /// The window rectangle of from..to.
    WindowRect place(Vec2f from, Vec2f to) const { return {bx + ax * from.x, by + ay * from.y, bx + ax * to.x, by + ay * to.y}; }
};

/// Which pixels of a view nearer layers will draw opaque, so that farther
/// layers can leave out what would be painted over anyway. A software renderer
/// pays for every pixel a layer covers, and the ground hides much of the sky
/// and the hills behind it. Kept in blocks of 8x8 pixels, one bit a pixel.
class ScreenCoverage {
public:
    /// Forgets every opaque pixel; `viewport` (x, y, width, height) bounds what can be drawn at all.
    void reset(const int viewport[4]);
    /// The pixels whose centres lie inside `rect` (its corners in any order) end up opaque.
    void addOpaque(const WindowRect& rect);
    /// True when every pixel a primitive covering `rect` could touch ends up opaque (or lies outside the view).
    bool hides(const WindowRect& rect) const;

private:
    int left = 0;
    int bottom = 0;
    int width = 0;
    int height = 0;
    int columns = 0;
    int rows = 0;
    std::vector<uint64_t> blocks;
};
