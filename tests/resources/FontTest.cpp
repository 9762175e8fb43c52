#include "resources/FontManager.h"
#include "resources/TestFiles.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

// Page layout of the test font: opaque white rectangles on a transparent page.
//   'A' (65):  page (0, 0) 10x20, offset (2, 4),  advance 10
//   'B' (66):  page (16, 0) 8x16, offset (1, 8),  advance 9
//   0xFC:      page (32, 0) 6x10, offset (0, 10), advance 7
// lineHeight 32, so a height of 32 draws at page scale.
const char* kDescription = R"(<?xml version="1.0"?>
<font>
  <info face="Test" size="32"/>
  <common lineHeight="32" base="26" scaleW="64" scaleH="64" pages="1"/>
  <pages>
    <page id="0" file="font-test-page.tga"/>
  </pages>
  <chars count="7">
    <char id="65" x="0" y="0" width="10" height="20" xoffset="2" yoffset="4" xadvance="10" page="0"/>
    <char id="66" x="16" y="0" width="8" height="16" xoffset="1" yoffset="8" xadvance="9" page="0"/>
    <char id="252" x="32" y="0" width="6" height="10" xoffset="0" yoffset="10" xadvance="7" page="0"/>
    <char id="67" x="40" y="0" width="4" height="4" xadvance="5"/>
    <char id="67" xadvance="6"/>
    <char id="68" xadvance="3"/>
    <kerning xoffset="1"/>
  </chars>
</font>
)";

bool onGlyph(int x, int y)
{
    auto inside = [&](int left, int top, int w, int h) { return x >= left && x < left + w && y >= top && y < top + h; };
    return inside(0, 0, 10, 20) || inside(16, 0, 8, 16) || inside(32, 0, 6, 10);
}

class FontTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        writeTga("fonts/font-test-page.tga", 64, 64,
                 [](int x, int y) { return onGlyph(x, y) ? Pixel{255, 255, 255, 255} : Pixel{0, 0, 0, 0}; });
        writeScratchFile("fonts/font-test.fnt", kDescription);
        font = testEngine().getFontManager()->get("fonts/font-test.fnt");
        ASSERT_TRUE(font && font->isLoaded());
    }

    bool lit(int x, int y) const { return screenPixel(x, y).r > 200; }

    Handle<Font> font;
};

TEST_F(FontTest, TextIsMeasuredByAdvanceMinusOffsetLineByLine)
{
    // The page is shrunk with the alpha-weighted filter, so glyph edges do not darken.
    EXPECT_EQ(font->getTexture()->getParameters().get<DownscaleFilter>("downscaleFilter"), DF_ALPHA_WEIGHTED);
    // Chars are read in order without caring for their tag: a repeated id
    // overwrites only what it carries, an element without an id continues the one before.
    EXPECT_EQ(font->getGlyph(67).xadvance, 6);
    EXPECT_EQ(font->getGlyph(67).width, 4);
    EXPECT_EQ(font->getGlyph(68).xoffset, 1);

    const struct {
        int height;
        const char* text;
        Vec2f size;
    } cases[] = {
        {32, "", {0, 0}},        {32, "A", {10, 24}},          {32, "AA", {18, 24}}, // two advances would be 20
        {16, "AA", {9, 12}},     {32, "AZ", {10, 24}},         // a glyph the font lacks adds nothing
        {32, "BB", {17, 24}},    {32, "A\nBB", {17, 32 + 24}}, {32, "AA\nB", {18, 32 + 24}},
        {16, "A\nB", {5, 28}},   {32, "A\n", {10, 32}},        {32, "\xFC", {7, 20}}, // bytes are Latin-1
    };
    for (const auto& c : cases)
        EXPECT_EQ(font->measure(c.height, c.text), c.size) << '"' << c.text << "\" at " << c.height;
}

TEST_F(FontTest, DrawPutsTintedGlyphsWhereTheMeasureSaysAndRestoresTheMatrix)
{
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    Vec2f size = font->draw(Vec2f(100, 100), 32, RGBA(1, 0, 0, 1), "A\nB");
    EXPECT_EQ(size, font->measure(32, "A\nB"));
    EXPECT_EQ(screenPixel(106, 114), (Pixel{255, 0, 0, 255}));
    // 'A' covers x 102..111 and y 104..123; 'B' on the second line x 101..108 and y 140..155.
    for (auto [x, y] : {std::pair{102, 104}, {111, 123}, {101, 140}, {108, 155}})
        EXPECT_TRUE(lit(x, y)) << x << ", " << y;
    for (auto [x, y] : {std::pair{101, 110}, {112, 110}, {106, 103}, {106, 124}, {100, 148}, {104, 139}})
        EXPECT_FALSE(lit(x, y)) << x << ", " << y;
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]);
}

TEST_F(FontTest, DrawCenteredPutsTheBlockCentreOnThePosition)
{
    // "AA" at height 64 measures (36, 48): drawn at (512 - 18, 384 - 24).
    EXPECT_EQ(font->drawCentered(Vec2f(512, 384), 64, RGBA(1, 1, 1, 1), "AA"), Vec2f(36, 48));
    // The first 'A' starts at 494 + 4 and 360 + 8. Drawn at twice its page
    // size, its border pixels are partly covered, so look for any colour there.
    auto touched = [&](int x, int y) { return screenPixel(x, y).r > 0; };
    EXPECT_TRUE(touched(498, 368));
    EXPECT_FALSE(touched(497, 368));
    EXPECT_FALSE(touched(498, 367));
    EXPECT_TRUE(lit(500, 370));
}

using BrokenFontTest = ScreenTest;

// The damaged fonts of the bad-data test are named in their own lines; a lost page is named instead.
TEST_F(BrokenFontTest, AFontWhosePageIsLostIsReportedOnceAndDrawsNothing)
{
    writeScratchFile("fonts/font-test-nopage.fnt",
                     "<font><common lineHeight=\"32\"/><pages><page file=\"font-test-lost.tga\"/></pages>"
                     "<chars><char id=\"65\" width=\"10\" height=\"10\" xadvance=\"10\"/></chars></font>");
    Handle<Font> font;
    const std::string err = stderrOf([&] { font = testEngine().getFontManager()->get("fonts/font-test-nopage.fnt"); });
    EXPECT_EQ(lineCount(err), 1) << err;
    EXPECT_NE(err.find("fonts/font-test-lost.tga"), std::string::npos) << err;
    ASSERT_TRUE(font);
    EXPECT_EQ(font->measure(32, "AB"), Vec2f(0, 0));
    EXPECT_EQ(font->drawCentered(Vec2f(10, 10), 32, RGBA(1, 1, 1, 1), "AB"), Vec2f(0, 0));
    EXPECT_EQ(screenPixel(10, 10), (Pixel{0, 0, 0, 255}));
}

} // namespace
