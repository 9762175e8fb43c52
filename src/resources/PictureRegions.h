#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

/// Which parts of a picture show nothing (no alpha, or black where the picture
/// is added onto the screen) and which are solid, found once from its pixels in
/// square cells. A software renderer pays for every pixel a quad covers, so a
/// layer picture that is mostly sky or mostly empty costs far less drawn as the
/// cells that change the screen.
///
/// A cell counts as clear, solid or black only when its eight neighbours are as
/// well (across the picture's edges too, since pictures repeat): filtering, and
/// the mip levels of a picture drawn smaller, read texels up to a cell beyond
/// the one a pixel lies in.
class PictureRegions {
public:
    /// Side of a cell in picture pixels.
    static constexpr int kCellSize = 16;

    /// A rectangle of cells of one kind: columns [begin, end) of cell rows [row, rowEnd).
    /// The same columns on neighbouring rows make one span, so a solid ground is one
    /// quad that whole screen tiles lie in (see the video set-up in Engine).
    struct Span {
        int row;
        int begin;
        int end;
        int rowEnd;
    };

    /// The wanted cells of a `columns` x `rows` grid (row by row) as spans.
    static std::vector<Span> spansOf(const std::vector<bool>& wanted, int columns, int rows);

    /// Nothing found: every cell is drawn, blended.
    PictureRegions() = default;
    /// Reads the 32-bit RGBA surface (red in the lowest byte).
    explicit PictureRegions(SDL_Surface* rgba);

    /// Cells that are not clear and not solid, as spans.
    const std::vector<Span>& getPartial() const { return partial; }
    /// Solid cells (alpha 255 throughout), as spans.
    const std::vector<Span>& getSolid() const { return solid; }
    /// Cells that are not black (any red, green or blue), as spans.
    const std::vector<Span>& getLit() const { return lit; }
    /// False when no picture was read.
    bool isKnown() const { return known; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }

private:
    bool known = false;
    int width = 0;
    int height = 0;
    std::vector<Span> partial;
    std::vector<Span> solid;
    std::vector<Span> lit;
};
