#include "resources/PictureRegions.h"

namespace {

enum CellBits : uint8_t { kClear = 1, kSolid = 2, kBlack = 4 };

// Cell index along one side, wrapping around as the repeating picture does.
int wrap(int index, int count)
{
    return ((index % count) + count) % count;
}

} // namespace

std::vector<PictureRegions::Span> PictureRegions::spansOf(const std::vector<bool>& wanted, int columns, int rows)
{
    std::vector<Span> spans;
    // Spans that reach down to the row before, which a span of the same
    // columns on this row continues.
    std::vector<size_t> open, stillOpen;
    for (int row = 0; row < rows; ++row) {
        stillOpen.clear();
        for (int column = 0; column < columns;) {
            if (!wanted[size_t(row * columns + column)]) {
                ++column;
                continue;
            }
            int end = column + 1;
            while (end < columns && wanted[size_t(row * columns + end)])
                ++end;
            size_t index = spans.size();
            for (size_t i : open)
                if (spans[i].begin == column && spans[i].end == end)
                    index = i;
            if (index == spans.size())
                spans.push_back({row, column, end, row + 1});
            else
                spans[index].rowEnd = row + 1;
            stillOpen.push_back(index);
            column = end;
        }
        open.swap(stillOpen);
    }
    return spans;
}

PictureRegions::PictureRegions(SDL_Surface* rgba) : known(true), width(rgba->w), height(rgba->h)
{
    const int columns = (width + kCellSize - 1) / kCellSize;
    const int rows = (height + kCellSize - 1) / kCellSize;
    std::vector<uint8_t> cells(size_t(columns * rows), kClear | kSolid | kBlack);
    SDL_LockSurface(rgba);
    for (int y = 0; y < height; ++y) {
        const Uint8* pixel = static_cast<const Uint8*>(rgba->pixels) + y * rgba->pitch;
        uint8_t* cellRow = &cells[size_t((y / kCellSize) * columns)];
        for (int x = 0; x < width; ++x, pixel += 4) {
            uint8_t keep = 0;
            keep |= pixel[3] == 0 ? kClear : 0;
            keep |= pixel[3] == 255 ? kSolid : 0;
            keep |= (pixel[0] | pixel[1] | pixel[2]) == 0 ? kBlack : 0;
            cellRow[x / kCellSize] &= keep;
        }
    }
    SDL_UnlockSurface(rgba);

    std::vector<uint8_t> grown(cells.size());
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            uint8_t all = kClear | kSolid | kBlack;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    all &= cells[size_t(wrap(row + dy, rows) * columns + wrap(column + dx, columns))];
            grown[size_t(row * columns + column)] = all;
        }
    }

    std::vector<bool> isPartial(grown.size()), isSolid(grown.size()), isLit(grown.size());
    for (size_t i = 0; i < grown.size(); ++i) {
        isPartial[i] = !(grown[i] & (kClear | kSolid));
        isSolid[i] = (grown[i] & kSolid) != 0;
        isLit[i] = !(grown[i] & kBlack);
    }
    partial = spansOf(isPartial, columns, rows);
    solid = spansOf(isSolid, columns, rows);
    lit = spansOf(isLit, columns, rows);
}
