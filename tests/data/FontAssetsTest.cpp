// Checks the committed bitmap fonts the way the game reads them: the XML
// description through TinyXML, the page through SDL_image, glyph ids as
// Latin-1 byte values, and the pen moving by xadvance - xoffset.

#include <SDL_image.h>
#include <tinyxml.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct CharRect {
    int x = 0, y = 0, width = 0, height = 0, xoffset = 0, yoffset = 0, xadvance = 0;
};

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

// Ink must keep this many transparent pixels to the edge of its rectangle,
// so that the coarser mipmap levels do not pull in the neighbouring glyph.
constexpr int kMinPadding = 3;

struct BitmapFont {
    int lineHeight = -1, base = -1, scaleW = -1, scaleH = -1;
    std::string pageFile;
    std::map<int, CharRect> chars;
    std::unique_ptr<SDL_Surface, SurfaceDeleter> page;

    Uint8 alpha(int x, int y) const { return rgba(x, y)[3]; }

    std::array<Uint8, 4> rgba(int x, int y) const {
        const auto* row = static_cast<const Uint8*>(page->pixels) + y * page->pitch;
        Uint32 value;
        std::memcpy(&value, row + x * 4, sizeof value);
        Uint8 r, g, b, a;
        SDL_GetRGBA(value, page->format, &r, &g, &b, &a);
        return {r, g, b, a};
    }
};

// Reads the description with the same element paths as the game and loads
// the page that it names; failures are reported through gtest.
void loadFont(const std::string& name, BitmapFont& font) {
    const std::string path = "data/fonts/" + name;
    TiXmlDocument document(path);
    ASSERT_TRUE(document.LoadFile()) << path << ": " << document.ErrorDesc();
    const TiXmlElement* root = document.FirstChildElement("font");
    ASSERT_NE(root, nullptr);
    const TiXmlElement* common = root->FirstChildElement("common");
    ASSERT_NE(common, nullptr);
    EXPECT_EQ(common->QueryIntAttribute("lineHeight", &font.lineHeight), TIXML_SUCCESS);
    EXPECT_EQ(common->QueryIntAttribute("base", &font.base), TIXML_SUCCESS);
    EXPECT_EQ(common->QueryIntAttribute("scaleW", &font.scaleW), TIXML_SUCCESS);
    EXPECT_EQ(common->QueryIntAttribute("scaleH", &font.scaleH), TIXML_SUCCESS);
    const TiXmlElement* pages = root->FirstChildElement("pages");
    ASSERT_NE(pages, nullptr);
    const TiXmlElement* page = pages->FirstChildElement("page");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->Attribute("file"), nullptr);
    font.pageFile = page->Attribute("file");
    const TiXmlElement* chars = root->FirstChildElement("chars");
    ASSERT_NE(chars, nullptr);
    for (const TiXmlElement* c = chars->FirstChildElement(); c; c = c->NextSiblingElement()) {
        int id = -1;
        ASSERT_EQ(c->QueryIntAttribute("id", &id), TIXML_SUCCESS);
        EXPECT_EQ(font.chars.count(id), 0u) << "id " << id << " listed twice";
        CharRect& r = font.chars[id];
        for (const auto& [key, field] : {std::pair{"x", &r.x}, {"y", &r.y}, {"width", &r.width},
                                         {"height", &r.height}, {"xoffset", &r.xoffset},
                                         {"yoffset", &r.yoffset}, {"xadvance", &r.xadvance}})
            EXPECT_EQ(c->QueryIntAttribute(key, field), TIXML_SUCCESS) << "id " << id << " lacks " << key;
    }

    const std::string pagePath = "data/fonts/" + font.pageFile;
    font.page.reset(IMG_Load(pagePath.c_str()));
    ASSERT_NE(font.page, nullptr) << pagePath << ": " << IMG_GetError();
    ASSERT_EQ(font.page->format->BytesPerPixel, 4) << pagePath << " has no alpha channel";
    ASSERT_NE(font.page->format->Amask, 0u) << pagePath << " has no alpha channel";
}

class FontAssets : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        loadFont(GetParam(), font);
        ASSERT_FALSE(HasFatalFailure());
    }
    BitmapFont font;
};

// The page is mapped by the sizes the description declares, and every
// printable Latin-1 character has a glyph on it that moves the pen forward
// (or text piles up on itself), has ink unless it is a space, and fits
// within about one line, so that lines do not run into each other.
TEST_P(FontAssets, EveryPrintableLatin1CharacterHasAGlyphOnTheDeclaredPage) {
    EXPECT_EQ(font.page->w, font.scaleW);
    EXPECT_EQ(font.page->h, font.scaleH);
    EXPECT_TRUE(font.scaleW > 0 && (font.scaleW & (font.scaleW - 1)) == 0) << font.scaleW << " is not a power of two";
    EXPECT_GE(font.lineHeight, 64) << "text would blur at full-screen sizes";
    EXPECT_TRUE(font.base > 0 && font.base <= font.lineHeight);
    for (int code = 32; code <= 255; code = code == 126 ? 160 : code + 1) {
        SCOPED_TRACE("code " + std::to_string(code));
        const auto found = font.chars.find(code);
        ASSERT_NE(found, font.chars.end());
        const CharRect& r = found->second;
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && r.x + r.width <= font.scaleW &&
                    r.y + r.height <= font.scaleH);
        EXPECT_GT(r.xadvance - r.xoffset, 0);
        int ink = 0;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) ink += font.alpha(x, y) > 0;
        EXPECT_EQ(ink > 0, code != 32 && code != 160);
        EXPECT_TRUE(r.yoffset + r.height > 0 && r.yoffset < font.lineHeight);
    }
}

// Every opaque pixel belongs to exactly one glyph and keeps its padding to
// the rectangle's edge; rectangles never share a pixel.
TEST_P(FontAssets, GlyphsAreSeparateAndPadded) {
    const int w = font.page->w, h = font.page->h;
    std::vector<int> owner(static_cast<size_t>(w) * h, -1);
    std::vector<bool> inkAllowed(owner.size(), false);
    for (const auto& [id, r] : font.chars) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= w && r.y + r.height <= h) << "glyph " << id;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) {
                int& cell = owner[static_cast<size_t>(y) * w + x];
                ASSERT_EQ(cell, -1) << "glyphs " << cell << " and " << id << " overlap at " << x << ',' << y;
                cell = id;
                inkAllowed[static_cast<size_t>(y) * w + x] =
                    x >= r.x + kMinPadding && x < r.x + r.width - kMinPadding && y >= r.y + kMinPadding &&
                    y < r.y + r.height - kMinPadding;
            }
    }
    int stray = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (font.alpha(x, y) > 0 && !inkAllowed[static_cast<size_t>(y) * w + x] && ++stray <= 5)
                ADD_FAILURE() << "pixel " << x << ',' << y << " (glyph " << owner[static_cast<size_t>(y) * w + x]
                              << ") is outside the padded ink area";
    EXPECT_EQ(stray, 0);
}

// Glyphs are white with the coverage in alpha, so that the draw colour
// tints them exactly; transparent pixels are white too, so filtering at the
// edges does not darken the text.
TEST_P(FontAssets, PixelsAreWhiteWithCoverageInAlpha) {
    int partial = 0;
    for (int y = 0; y < font.page->h; ++y)
        for (int x = 0; x < font.page->w; ++x) {
            const std::array<Uint8, 4> p = font.rgba(x, y);
            if (p[0] != 255 || p[1] != 255 || p[2] != 255) {
                ADD_FAILURE() << "pixel " << x << ',' << y << " is not white";
                return;
            }
            partial += p[3] > 0 && p[3] < 255;
        }
    EXPECT_GT(partial, 1000) << "glyph edges are not anti-aliased";
}

// Times and scores are redrawn every frame; digits of equal width keep the
// text from jittering as it counts.
TEST_P(FontAssets, DigitsShareOneAdvance) {
    const CharRect& zero = font.chars.at('0');
    for (int digit = '1'; digit <= '9'; ++digit) {
        const CharRect& r = font.chars.at(digit);
        EXPECT_EQ(r.xadvance - r.xoffset, zero.xadvance - zero.xoffset) << static_cast<char>(digit);
    }
}

INSTANTIATE_TEST_SUITE_P(GameFonts, FontAssets, ::testing::Values("arial.fnt", "bellgothic.fnt"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, std::string(info.param).find('.'));
                         });

}  // namespace
