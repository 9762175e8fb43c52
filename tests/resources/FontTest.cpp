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

TEST_F(FontTest, PageIsLoadedWithTheAlphaWeightedFilter)
{
    EXPECT_EQ(font->getLineHeight(), 32);
    EXPECT_EQ(font->getBase(), 26);
    ASSERT_TRUE(font->getTexture());
    EXPECT_EQ(font->getTexture()->getFilename(), scratchDir() + "fonts/font-test-page.tga");
    EXPECT_EQ(font->getTexture()->getParameters().get<DownscaleFilter>("downscaleFilter"), DF_ALPHA_WEIGHTED);
    EXPECT_TRUE(font->getTexture()->getParameters().get<bool>("mipMapping"));
}

TEST_F(FontTest, CharsAreReadInOrderWithoutCaringForTheirTag)
{
    // A repeated id overwrites only what it carries.
    EXPECT_EQ(font->getGlyph(67).xadvance, 6);
    EXPECT_EQ(font->getGlyph(67).width, 4);
    EXPECT_EQ(font->getGlyph(67).x, 40);
    // An element without an id continues the one before it.
    EXPECT_EQ(font->getGlyph(68).xadvance, 3);
    EXPECT_EQ(font->getGlyph(68).xoffset, 1);
    EXPECT_EQ(font->getGlyph('Z').xadvance, 0);
}

TEST_F(FontTest, PenMovesByAdvanceMinusOffset)
{
    EXPECT_EQ(font->measure(32, ""), Vec2f(0, 0));
    EXPECT_EQ(font->measure(32, "A"), Vec2f(10, 24));
    // Two times xadvance would be 20.
    EXPECT_EQ(font->measure(32, "AA"), Vec2f(18, 24));
    EXPECT_EQ(font->measure(16, "AA"), Vec2f(9, 12));
    // A glyph the font lacks neither moves the pen nor adds size.
    EXPECT_EQ(font->measure(32, "AZ"), font->measure(32, "A"));
}

TEST_F(FontTest, LineFeedStartsANewLineOneHeightDown)
{
    // The second line starts at pen 0: "BB" alone is 17 wide.
    EXPECT_EQ(font->measure(32, "BB"), Vec2f(17, 24));
    EXPECT_EQ(font->measure(32, "A\nBB"), Vec2f(17, 32 + 24));
    EXPECT_EQ(font->measure(32, "AA\nB"), Vec2f(18, 32 + 24));
    EXPECT_EQ(font->measure(16, "A\nB"), Vec2f(5, 16 + 12));
    EXPECT_EQ(font->measure(32, "A\n"), Vec2f(10, 32));
}

TEST_F(FontTest, BytesAreLatin1Codes)
{
    EXPECT_EQ(font->measure(32, "\xFC"), Vec2f(7, 20));
}

TEST_F(FontTest, DrawPutsGlyphsWhereTheMeasureSays)
{
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);

    Vec2f size = font->draw(Vec2f(100, 100), 32, RGBA(1, 1, 1, 1), "A\nB");
    EXPECT_EQ(size, font->measure(32, "A\nB"));

    // 'A' covers x 102..111 and y 104..123.
    EXPECT_TRUE(lit(102, 104));
    EXPECT_TRUE(lit(111, 123));
    EXPECT_FALSE(lit(101, 110));
    EXPECT_FALSE(lit(112, 110));
    EXPECT_FALSE(lit(106, 103));
    EXPECT_FALSE(lit(106, 124));
    // 'B' on the second line covers x 101..108 and y 140..155.
    EXPECT_TRUE(lit(101, 140));
    EXPECT_TRUE(lit(108, 155));
    EXPECT_FALSE(lit(100, 148));
    EXPECT_FALSE(lit(104, 139));

    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(FontTest, ColourTintsTheGlyphs)
{
    font->draw(Vec2f(100, 100), 32, RGBA(1, 0, 0, 1), "A");
    EXPECT_EQ(screenPixel(106, 114), (Pixel{255, 0, 0, 255}));
}

TEST_F(FontTest, DrawCenteredPutsTheBlockCentreOnThePosition)
{
    // "AA" at height 64 measures (36, 48): drawn at (512 - 18, 384 - 24).
    Vec2f size = font->drawCentered(Vec2f(512, 384), 64, RGBA(1, 1, 1, 1), "AA");
    EXPECT_EQ(size, Vec2f(36, 48));
    // The first 'A' starts at 494 + 4 and 360 + 8. Drawn at twice its page
    // size, its border pixels are partly covered, so look for any colour there.
    auto touched = [&](int x, int y) { return screenPixel(x, y).r > 0; };
    EXPECT_TRUE(touched(498, 368));
    EXPECT_FALSE(touched(497, 368));
    EXPECT_FALSE(touched(498, 367));
    EXPECT_TRUE(lit(500, 370));
}

class BrokenFontTest : public ScreenTest {
protected:
    // Loads `name`, expecting exactly one line on stderr that mentions `mention`.
    Handle<Font> load(const std::string& name, const std::string& mention)
    {
        ::testing::internal::CaptureStderr();
        Handle<Font> font = testEngine().getFontManager()->get(name);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(lineCount(err), 1) << err;
        EXPECT_NE(err.find(mention), std::string::npos) << err;
        return font;
    }

    void expectInert(const Handle<Font>& font)
    {
        ASSERT_TRUE(font);
        EXPECT_FALSE(font->isLoaded());
        EXPECT_EQ(font->measure(32, "AB"), Vec2f(0, 0));
        EXPECT_EQ(font->draw(Vec2f(10, 10), 32, RGBA(1, 1, 1, 1), "AB"), Vec2f(0, 0));
        EXPECT_EQ(font->drawCentered(Vec2f(10, 10), 32, RGBA(1, 1, 1, 1), "AB"), Vec2f(0, 0));
        EXPECT_EQ(screenPixel(10, 10), (Pixel{0, 0, 0, 255}));
    }
};

TEST_F(BrokenFontTest, MissingDescription)
{
    expectInert(load("fonts/font-test-nowhere.fnt", "fonts/font-test-nowhere.fnt"));
}

TEST_F(BrokenFontTest, DescriptionThatIsNoXml)
{
    writeScratchFile("fonts/font-test-garbage.fnt", "<font><common lineHeight=");
    expectInert(load("fonts/font-test-garbage.fnt", "fonts/font-test-garbage.fnt"));
}

TEST_F(BrokenFontTest, DescriptionWithoutLayout)
{
    writeScratchFile("fonts/font-test-nocommon.fnt", "<font><pages><page file=\"x.tga\"/></pages></font>");
    expectInert(load("fonts/font-test-nocommon.fnt", "fonts/font-test-nocommon.fnt"));
    writeScratchFile("fonts/font-test-zeroline.fnt",
                     "<font><common lineHeight=\"0\"/><pages><page file=\"x.tga\"/></pages></font>");
    expectInert(load("fonts/font-test-zeroline.fnt", "fonts/font-test-zeroline.fnt"));
}

TEST_F(BrokenFontTest, MissingPageImage)
{
    writeScratchFile("fonts/font-test-nopage.fnt",
                     "<font><common lineHeight=\"32\"/><pages><page file=\"font-test-lost.tga\"/></pages>"
                     "<chars><char id=\"65\" width=\"10\" height=\"10\" xadvance=\"10\"/></chars></font>");
    expectInert(load("fonts/font-test-nopage.fnt", "fonts/font-test-lost.tga"));
}

} // namespace
