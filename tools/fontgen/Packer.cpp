#include "Packer.h"

#include <algorithm>
#include <numeric>

namespace fontgen {

std::optional<std::vector<Placement>> packShelves(const std::vector<Size>& sizes, int pageSize, int spacing) {
    // Tallest first, so each shelf wastes little height; ties keep input
    // order (stable sort) for a reproducible page.
    std::vector<size_t> order(sizes.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sizes[a].height > sizes[b].height; });

    std::vector<Placement> placements(sizes.size());
    int x = spacing;
    int y = spacing;
    int shelfHeight = 0;
    for (size_t index : order) {
        const Size& size = sizes[index];
        if (x + size.width + spacing > pageSize) {
            x = spacing;
            y += shelfHeight + spacing;
            shelfHeight = 0;
        }
        if (x + size.width + spacing > pageSize || y + size.height + spacing > pageSize) return std::nullopt;
        placements[index] = {x, y};
        x += size.width + spacing;
        shelfHeight = std::max(shelfHeight, size.height);
    }
    return placements;
}

}  // namespace fontgen
