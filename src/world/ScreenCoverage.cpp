#include "world/ScreenCoverage.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBlock = 8;

// Bits of pixel columns first..last (0..7) in every pixel row firstRow..lastRow of a block.
uint64_t blockBits(int first, int last, int firstRow, int lastRow)
{
    const uint64_t rowBits = ((1u << (last - first + 1)) - 1u) << first;
    uint64_t bits = 0;
    for (int row = firstRow; row <= lastRow; ++row)
        bits |= rowBits << (kBlock * row);
    return bits;
}

// Calls visit(block index, bits) for the pixels [px0, px1] x [py0, py1] of a grid `columns` blocks wide.
template <typename Visit>
bool forBlocks(int px0, int py0, int px1, int py1, int columns, Visit visit)
{
    for (int by = py0 / kBlock; by <= py1 / kBlock; ++by) {
        const int firstRow = std::max(py0 - by * kBlock, 0), lastRow = std::min(py1 - by * kBlock, kBlock - 1);
        for (int bx = px0 / kBlock; bx <= px1 / kBlock; ++bx) {
            const int first = std::max(px0 - bx * kBlock, 0), last = std::min(px1 - bx * kBlock, kBlock - 1);
            if (!visit(size_t(by * columns + bx), blockBits(first, last, firstRow, lastRow)))
                return false;
        }
    }
    return true;
}

} // namespace

GlMatrices GlMatrices::current()
{
    GlMatrices gl;
    glGetDoublev(GL_MODELVIEW_MATRIX, gl.modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, gl.projection);
    glGetIntegerv(GL_VIEWPORT, gl.viewport);
    return gl;
}

WindowPlacement WindowPlacement::current()
{
    const GlMatrices gl = GlMatrices::current();
    GLdouble ox, oy, ux, uy, unused;
    gluProject(0, 0, 0, gl.modelView, gl.projection, gl.viewport, &ox, &oy, &unused);
    gluProject(1, 1, 0, gl.modelView, gl.projection, gl.viewport, &ux, &uy, &unused);
    return {float(ux - ox), float(uy - oy), float(ox), float(oy)};
}

void ScreenCoverage::reset(const int viewport[4])
{
    left = viewport[0];
    bottom = viewport[1];
    width = std::max(viewport[2], 0);
    height = std::max(viewport[3], 0);
    columns = (width + kBlock - 1) / kBlock;
    rows = (height + kBlock - 1) / kBlock;
    // Pixels beyond the view in its last blocks need no bits: every query stops at the view's edge.
    blocks.assign(size_t(columns * rows), 0);
}

void ScreenCoverage::addOpaque(const WindowRect& rect)
{
    // Only centres clearly inside: one on the edge may belong to the neighbouring primitive.
    const float epsilon = 1.0f / 64.0f;
    const float px0 = std::ceil(std::min(rect.x0, rect.x1) - float(left) - 0.5f + epsilon);
    const float px1 = std::floor(std::max(rect.x0, rect.x1) - float(left) - 0.5f - epsilon);
    const float py0 = std::ceil(std::min(rect.y0, rect.y1) - float(bottom) - 0.5f + epsilon);
    const float py1 = std::floor(std::max(rect.y0, rect.y1) - float(bottom) - 0.5f - epsilon);
    if (!(px0 <= px1 && py0 <= py1) || px1 < 0.0f || py1 < 0.0f || px0 >= float(width) || py0 >= float(height))
        return;
    forBlocks(int(std::max(px0, 0.0f)), int(std::max(py0, 0.0f)), int(std::min(px1, float(width - 1))),
              int(std::min(py1, float(height - 1))), columns, [&](size_t block, uint64_t bits) {
                  blocks[block] |= bits;
                  return true;
              });
}

bool ScreenCoverage::hides(const WindowRect& rect) const
{
    if (!(std::isfinite(rect.x0) && std::isfinite(rect.y0) && std::isfinite(rect.x1) && std::isfinite(rect.y1)))
        return false;
    // A pixel more on every side than the rectangle reaches: rounding in the
    // GL's set-up must not make a drawn pixel count as hidden.
    const float px0 = std::floor(std::min(rect.x0, rect.x1) - float(left)) - 1.0f;
    const float px1 = std::ceil(std::max(rect.x0, rect.x1) - float(left)) + 1.0f;
    const float py0 = std::floor(std::min(rect.y0, rect.y1) - float(bottom)) - 1.0f;
    const float py1 = std::ceil(std::max(rect.y0, rect.y1) - float(bottom)) + 1.0f;
    if (px1 < 0.0f || py1 < 0.0f || px0 >= float(width) || py0 >= float(height))
        return true;
    return forBlocks(int(std::max(px0, 0.0f)), int(std::max(py0, 0.0f)), int(std::min(px1, float(width - 1))),
                     int(std::min(py1, float(height - 1))), columns,
                     [&](size_t block, uint64_t bits) { return (blocks[block] & bits) == bits; });
}
