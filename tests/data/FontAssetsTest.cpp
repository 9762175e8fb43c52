// Checks the committed bitmap fonts as the game's font reader sees them:
// glyph ids as Latin-1 byte values, the pen moving by xadvance - xoffset.

#include "support/TestEngine.h"

#include "resources/Font.h"
#include "resources/FontManager.h"
#include "resources/Texture.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A game font as the game reads it, with its page's pixels.
class FontAssets : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        EXPECT_EQ(stderrOf([&] { font = testEngine().getFontManager()->get(std::string("fonts/") + GetParam() + ".fnt"); }),
                  "");
        ASSERT_TRUE(font && font->isLoaded());
        page.reset(Texture::loadSurface(std::string("data/fonts/") + GetParam() + "_0.png"), SDL_FreeSurface);
        ASSERT_NE(page, nullptr) << IMG_GetError();
    }
    const Uint8* rgba(int x, int y) const { return static_cast<const Uint8*>(page->pixels) + y * page->pitch + x * 4; }
    Handle<Font> font;
    std::shared_ptr<SDL_Surface> page;
};

// Every printable Latin-1 character has a glyph on the page that moves the
// pen forward (or text piles up on itself), has ink unless it is a space, and
// fits within about one line, so that lines do not run into each other.
TEST_P(FontAssets, EveryPrintableLatin1CharacterHasAGlyphOnThePage) {
    EXPECT_TRUE(page->w > 0 && (page->w & (page->w - 1)) == 0) << page->w << " is not a power of two";
    EXPECT_GE(font->getLineHeight(), 64) << "text would blur at full-screen sizes";
    EXPECT_TRUE(font->getBase() > 0 && font->getBase() <= font->getLineHeight());
    for (int code = 32; code <= 255; code = code == 126 ? 160 : code + 1) {
        SCOPED_TRACE("code " + std::to_string(code));
        const Glyph& r = font->getGlyph(code);
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= page->w && r.y + r.height <= page->h);
        EXPECT_GT(r.xadvance - r.xoffset, 0) << "missing";
        int ink = 0;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) ink += rgba(x, y)[3] > 0;
        EXPECT_EQ(ink > 0, code != 32 && code != 160);
        EXPECT_TRUE(r.yoffset + r.height > 0 && r.yoffset < font->getLineHeight());
    }
}

// Times and scores are redrawn every frame; digits of equal width keep the
// text from jittering as it counts.
TEST_P(FontAssets, DigitsShareOneAdvance) {
    const Glyph& zero = font->getGlyph('0');
    for (int digit = '1'; digit <= '9'; ++digit) {
        const Glyph& r = font->getGlyph(digit);
        EXPECT_EQ(r.xadvance - r.xoffset, zero.xadvance - zero.xoffset) << static_cast<char>(digit);
    }
}

INSTANTIATE_TEST_SUITE_P(GameFonts, FontAssets, ::testing::Values("arial", "bellgothic"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
