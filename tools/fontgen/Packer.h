#pragma once

#include <optional>
#include <vector>

namespace fontgen {

struct Size {
    int width = 0;
    int height = 0;
};

struct Placement {
    int x = 0;
    int y = 0;
};

// Places rectangles on a square page of pageSize pixels, keeping at least
// `spacing` free pixels between any two of them and between them and the
// page border. Results are in input order. The layout depends only on the
// input, so regenerated pages are byte-identical. Returns nothing when the
// rectangles do not fit.
std::optional<std::vector<Placement>> packShelves(const std::vector<Size>& sizes, int pageSize, int spacing);

}  // namespace fontgen
