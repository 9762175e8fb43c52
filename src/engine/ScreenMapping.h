#pragma once

#include "engine/Vec2.h"

/// A rectangle of whole pixels: left, top (or bottom, see where it is used), width, height.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    /// Same place and size.
    bool operator==(const PixelRect& o) const
    {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

/// Where the game's fixed-size logical picture (1024x768) lands in a window of any size:
/// scaled uniformly to the largest rectangle of the same shape that fits, centred, the
/// rest of the window left to black bars. Everything the game draws is placed in logical
/// units (y pointing down); only this class knows window pixels, so viewports (and with
/// them clearViewport's scissor box), screen captures and read-backs all go through it.
class ScreenMapping {
public:
    /// A mapping of `logicalSize` into a window of `windowSize` pixels (both positive).
    ScreenMapping(Vec2i logicalSize, Vec2i windowSize);

    /// The picture's size in logical units.
    Vec2i getLogicalSize() const { return logicalSize; }
    /// The whole window in pixels.
    Vec2i getWindowSize() const { return windowSize; }

    /// The scaled picture in window pixels, in GL's convention (x, y = bottom left).
    PixelRect getPicture() const { return picture; }
    /// The logical rectangle whose top left is (`x`, `y`) (y down) in window pixels, in GL's
    /// convention; neighbouring logical rectangles map to neighbouring pixel rectangles.
    PixelRect toWindow(int x, int y, int width, int height) const;
    /// The window pixel (top-left origin, as a screenshot of the window counts) that shows
    /// logical point `point`.
    Vec2i toWindowPixel(Vec2f point) const;
    /// The parts of the window outside the picture (zero, or two facing bars), GL's convention.
    int getBars(PixelRect bars[2]) const;

    /// glViewport for the logical rectangle (`x`, `y`, `width`, `height`), y down.
    void setViewport(int x, int y, int width, int height) const;
    /// Clears the bars beside the picture to black; the picture itself is left alone.
    void clearBars() const;
    /// Reads the picture as tightly packed RGB rows, top row first, resampled to the logical
    /// size so that what is saved does not depend on the window. `rgb` gets width*height*3 bytes.
    void readPicture(unsigned char* rgb) const;

private:
    // Window x (left origin) and y (top origin) of logical coordinates.
    int mapX(int x) const;
    int mapY(int y) const;

    Vec2i logicalSize;
    Vec2i windowSize;
    PixelRect picture;
};
