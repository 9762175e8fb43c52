#include "Packer.h"
#include "Page.h"

#include <gtest/gtest.h>

namespace {

using fontgen::Placement;
using fontgen::Size;

bool apart(const Size& sa, const Placement& a, const Size& sb, const Placement& b, int gap) {
    return a.x + sa.width + gap <= b.x || b.x + sb.width + gap <= a.x || a.y + sa.height + gap <= b.y ||
           b.y + sb.height + gap <= a.y;
}

std::vector<Size> mixedSizes() {
    std::vector<Size> sizes;
    for (int i = 0; i < 120; ++i) sizes.push_back({8 + (i * 37) % 41, 10 + (i * 53) % 47});
    return sizes;
}

TEST(Packer, KeepsRectanglesApartAndOnThePage) {
    const std::vector<Size> sizes = mixedSizes();
    const int spacing = 3;
    const auto placed = fontgen::packShelves(sizes, 512, spacing);
    ASSERT_TRUE(placed.has_value());
    ASSERT_EQ(placed->size(), sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const Placement& p = (*placed)[i];
        EXPECT_GE(p.x, spacing);
        EXPECT_GE(p.y, spacing);
        EXPECT_LE(p.x + sizes[i].width + spacing, 512);
        EXPECT_LE(p.y + sizes[i].height + spacing, 512);
        for (size_t j = i + 1; j < sizes.size(); ++j)
            EXPECT_TRUE(apart(sizes[i], p, sizes[j], (*placed)[j], spacing)) << i << " and " << j;
    }
}

TEST(Packer, RefusesWhatDoesNotFit) {
    EXPECT_FALSE(fontgen::packShelves({{60, 60}}, 64, 3).has_value());
    EXPECT_FALSE(fontgen::packShelves(std::vector<Size>(5, {30, 30}), 64, 1).has_value());
    EXPECT_TRUE(fontgen::packShelves(std::vector<Size>(4, {30, 30}), 64, 1).has_value());
}

fontgen::RasterFont twoGlyphFont() {
    fontgen::RasterFont font;
    font.family = "Test";
    font.pixelSize = 20;
    font.lineHeight = 24;
    font.ascender = 18;
    fontgen::RasterGlyph bar;
    bar.code = 'l';
    bar.width = 2;
    bar.height = 14;
    bar.left = 3;
    bar.top = 14;
    bar.advance = 8;
    bar.coverage.assign(28, 200);
    fontgen::RasterGlyph space;
    space.code = ' ';
    space.advance = 6;
    font.glyphs = {bar, space};
    return font;
}

TEST(Page, PadsInkAndKeepsTheFontsAdvanceUnderTheGamesPenRule) {
    const int padding = 4;
    const fontgen::FontPage page = fontgen::buildPage(twoGlyphFont(), 64, padding, 2);
    ASSERT_EQ(page.chars.size(), 2u);
    const fontgen::CharRecord& bar = page.chars[0];
    EXPECT_EQ(bar.id, 'l');
    EXPECT_EQ(bar.width, 2 + 2 * padding);
    EXPECT_EQ(bar.height, 14 + 2 * padding);
    // The ink's top-left lands where FreeType put it relative to the pen.
    EXPECT_EQ(bar.xoffset + padding, 3);
    EXPECT_EQ(bar.yoffset + padding, 18 - 14);
    // The game advances its pen by xadvance - xoffset.
    EXPECT_EQ(bar.xadvance - bar.xoffset, 8);
    EXPECT_EQ(page.chars[1].xadvance - page.chars[1].xoffset, 6);

    auto alpha = [&](int x, int y) { return page.rgba[(static_cast<size_t>(y) * 64 + x) * 4 + 3]; };
    int inkPixels = 0;
    for (int y = bar.y; y < bar.y + bar.height; ++y)
        for (int x = bar.x; x < bar.x + bar.width; ++x) {
            const bool inside = x >= bar.x + padding && x < bar.x + bar.width - padding &&
                                y >= bar.y + padding && y < bar.y + bar.height - padding;
            EXPECT_EQ(alpha(x, y), inside ? 200 : 0) << x << ',' << y;
            inkPixels += inside;
        }
    EXPECT_EQ(inkPixels, 28);
    EXPECT_EQ(page.rgba[0], 255) << "transparent pixels stay white";
}

TEST(Page, ReportsAPageTooSmall) {
    EXPECT_THROW(fontgen::buildPage(twoGlyphFont(), 16, 4, 2), std::runtime_error);
}

}  // namespace
