// Pictures, fonts and sounds that are empty, cut short, random, a directory or
// lying about themselves: each gives a line on stderr naming the file and
// leaves a resource that draws or plays safely (as a placeholder or silence).
#include "TestFiles.h"

#include "resources/Font.h"
#include "resources/FontManager.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/SoundManager.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

// Writes the damaged versions of `shipped` as `stem`-<kind>`extension` (plus a
// directory of that name) and returns the data file names.
std::vector<std::string> writeDamaged(const std::string& stem, const std::string& extension, const std::string& shipped)
{
    const std::vector<std::pair<std::string, std::string>> versions = {
        {"empty", ""},
        {"truncated", shipped.substr(0, shipped.size() / 2)},
        {"header-only", shipped.substr(0, 64)},
        {"random", randomBytes(8192, 2010)},
    };
    std::vector<std::string> names;
    for (const auto& [kind, bytes] : versions) {
        names.push_back(stem + "-" + kind + extension);
        writeScratchFile(names.back(), bytes);
    }
    names.push_back(stem + "-folder" + extension);
    writeScratchFile(names.back() + "/inside", "x");
    return names;
}

uint32_t crc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string bigEndian(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// A PNG whose header is valid (CRC and all) and declares `width` x `height`
// RGBA pixels, followed by a few bytes of image data that are far too few.
std::string pngDeclaring(uint32_t width, uint32_t height)
{
    std::string header = "IHDR" + bigEndian(width) + bigEndian(height) + std::string("\x08\x06\x00\x00\x00", 5);
    std::string data = "IDAT" + std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    return std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + header + bigEndian(crc32(header)) +
           bigEndian(uint32_t(data.size() - 4)) + data + bigEndian(crc32(data)) + bigEndian(0) + "IEND" +
           bigEndian(crc32("IEND"));
}

// Lines of `messages` that the game wrote.
int ourLines(const std::string& messages)
{
    int count = 0;
    for (size_t at = messages.find("zorbel: "); at != std::string::npos; at = messages.find("zorbel: ", at + 1))
        count += at == 0 || messages[at - 1] == '\n';
    return count;
}

template <typename T, typename Manager>
Handle<T> loadReporting(Manager* manager, const std::string& name, std::string& messages,
                        const ParameterMap& parameters = ParameterMap())
{
    testing::internal::CaptureStderr();
    Handle<T> resource = manager->get(name, parameters);
    messages = testing::internal::GetCapturedStderr();
    return resource;
}

} // namespace

class PictureBadData : public ScreenTest {};

TEST_F(PictureBadData, DamagedPicturesBecomeTheCheckerWithALine)
{
    std::vector<std::string> names = writeDamaged("sprites/bad-pic", ".png", readFileBytes("data/sprites/box.png"));
    const std::string png = readFileBytes("data/sprites/box.png");
    names.push_back("sprites/bad-pic-signature.png");
    writeScratchFile(names.back(), "\x89PNX" + png.substr(4));
    names.push_back("sprites/bad-pic-ihdr-crc.png");
    std::string badCrc = png;
    badCrc[29] = char(badCrc[29] ^ 0x55);
    writeScratchFile(names.back(), badCrc);
    for (const auto& [width, height] :
         {std::pair<uint32_t, uint32_t>{100000, 100000}, {0x7FFFFFFF, 0x7FFFFFFF}, {1, 5000000}, {0, 0}}) {
        names.push_back("sprites/bad-pic-" + std::to_string(width) + "x" + std::to_string(height) + ".png");
        writeScratchFile(names.back(), pngDeclaring(width, height));
    }

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::string messages;
        Handle<Texture> texture = loadReporting<Texture>(testEngine().getTextureManager(), name, messages);
        ASSERT_TRUE(texture);
        EXPECT_FALSE(texture->isLoaded());
        // libpng and libjpeg add warnings of their own.
        EXPECT_EQ(ourLines(messages), 1) << messages;
        EXPECT_NE(messages.find(name), std::string::npos) << messages;
        EXPECT_EQ(texture->getWidth(), Texture::kPlaceholderSize);
        texture->bind();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

class FontBadData : public ScreenTest {};

TEST_F(FontBadData, DamagedDescriptionsGiveAFontThatDrawsNothing)
{
    for (const std::string& name : writeDamaged("fonts/bad-font", ".fnt", readFileBytes("data/fonts/arial.fnt"))) {
        SCOPED_TRACE(name);
        std::string messages;
        Handle<Font> font = loadReporting<Font>(testEngine().getFontManager(), name, messages);
        ASSERT_TRUE(font);
        EXPECT_FALSE(font->isLoaded());
        EXPECT_EQ(ourLines(messages), 1) << messages;
        EXPECT_NE(messages.find(name), std::string::npos) << messages;
        EXPECT_EQ(font->draw(Vec2f(10, 10), 32, RGBA(1, 1, 1, 1), "Zorbel"), Vec2f(0, 0));
        EXPECT_EQ(screenPixel(10, 10), (Pixel{0, 0, 0, 255}));
    }
}

TEST_F(FontBadData, GlyphsOutsideThePageAndExtremeNumbersDrawWithoutHarm)
{
    writeTga("fonts/bad-glyph-page.tga", 8, 8, [](int, int) { return Pixel{255, 255, 255, 255}; });
    const std::string max = std::to_string(INT_MAX);
    const std::string min = std::to_string(INT_MIN);
    writeScratchFile("fonts/bad-glyphs.fnt",
                     "<font><common lineHeight=\"16\" base=\"12\" scaleW=\"8\" scaleH=\"8\"/>"
                     "<pages><page id=\"0\" file=\"bad-glyph-page.tga\"/></pages><chars>"
                     "<char id=\"65\" x=\"100000\" y=\"-50\" width=\"8\" height=\"8\" xadvance=\"8\"/>"
                     "<char id=\"66\" x=\"" + max + "\" y=\"" + max + "\" width=\"" + max + "\" height=\"" + max +
                     "\" xoffset=\"" + min + "\" yoffset=\"" + max + "\" xadvance=\"" + max + "\"/>"
                     "<char id=\"67\" x=\"0\" y=\"0\" width=\"-8\" height=\"-8\" xoffset=\"" + max + "\" xadvance=\"" +
                     min + "\"/>"
                     "<char id=\"-5\" width=\"4\"/><char id=\"99999\" width=\"4\"/><char/>"
                     "</chars></font>");
    std::string messages;
    Handle<Font> font = loadReporting<Font>(testEngine().getFontManager(), "fonts/bad-glyphs.fnt", messages);
    ASSERT_TRUE(font);
    ASSERT_TRUE(font->isLoaded()) << messages;
    for (const std::string text : {"A", "B", "C", "ABC\nCBA", "\xFF\x01"}) {
        SCOPED_TRACE(text);
        Vec2f measured = font->measure(16, text);
        EXPECT_TRUE(std::isfinite(measured.x) && std::isfinite(measured.y)) << measured.x << ", " << measured.y;
        font->draw(Vec2f(100, 100), 16, RGBA(1, 1, 1, 1), text);
        font->drawCentered(Vec2f(100, 100), 16, RGBA(1, 1, 1, 1), text);
    }
    EXPECT_EQ(font->measure(16, "A"), Vec2f(8, 8)) << "a glyph off the page still takes its place on the line";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

namespace {

void expectSilentButSafe(const Handle<Sound>& sound)
{
    Handle<SoundInstance> voice = sound->play(false, 1.0f, 1.0f);
    ASSERT_TRUE(voice);
    runTicks(testEngine(), 3);
    voice->fade(0.0f, 1.0f, 0.01f, 1.0f, FE_STOP);
    runTicks(testEngine(), 3);
    voice->stop();
    EXPECT_FALSE(voice->isValid());
}

} // namespace

TEST(SoundBadData, DamagedOggFilesGiveALineAndAVoiceThatDoesNoHarm)
{
    const std::string ogg = readFileBytes("data/sounds/gh.ogg");
    std::vector<std::string> names = writeDamaged("sounds/bad-ogg", ".ogg", ogg);
    // Sound for three speakers or more has no 16-bit OpenAL format to play in.
    names.push_back("sounds/bad-ogg-3-channels.ogg");
    writeOgg(names.back(), 3, 22050, 0.2);
    for (bool streaming : {false, true}) {
        for (const std::string& name : names) {
            SCOPED_TRACE(name + (streaming ? " streamed" : ""));
            ParameterMap parameters;
            parameters.set<bool>("streaming", streaming);
            std::string messages;
            Handle<Sound> sound = loadReporting<Sound>(testEngine().getSoundManager(), name, messages, parameters);
            ASSERT_TRUE(sound);
            EXPECT_FALSE(sound->isPlayable());
            EXPECT_EQ(ourLines(messages), 1) << messages;
            EXPECT_NE(messages.find(name), std::string::npos) << messages;
            expectSilentButSafe(sound);
        }
    }
}

// Pages that are not Ogg pages are skipped by the decoder as if they were not
// there, so the sound ends where the good data ends, without a word.
TEST(SoundBadData, GarbageAfterTheHeadersLeavesAShortSoundThatPlaysSafely)
{
    const std::string path = writeOgg("sounds/bad-tail-source.ogg", 2, 22050, 1.0);
    const std::string ogg = readFileBytes(path);
    // The identification header has the first page, the comment and setup
    // headers the second; audio starts on the third.
    size_t audio = 0;
    for (int page = 0; page < 2; ++page)
        audio = ogg.find("OggS", audio + 1);
    ASSERT_NE(audio, std::string::npos);
    writeScratchFile("sounds/bad-tail.ogg", ogg.substr(0, audio) + randomBytes(ogg.size() - audio, 7));

    for (bool streaming : {false, true}) {
        SCOPED_TRACE(streaming ? "streamed" : "decoded at once");
        ParameterMap parameters;
        parameters.set<bool>("streaming", streaming);
        std::string messages;
        Handle<Sound> sound =
            loadReporting<Sound>(testEngine().getSoundManager(), "sounds/bad-tail.ogg", messages, parameters);
        ASSERT_TRUE(sound);
        EXPECT_EQ(ourLines(messages), 0) << messages;
        EXPECT_TRUE(std::isfinite(sound->getDuration()) && sound->getDuration() < 0.5) << sound->getDuration();
        expectSilentButSafe(sound);
    }
}

namespace {

std::vector<std::string> collected(const std::string& kind)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("tests/data/bad/" + kind))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Every picture, font and sound under tests/data/bad, made by hand or found by
// the fuzzer: loading says something or gives a usable resource, and using it
// does no harm.
TEST_F(PictureBadData, EveryCollectedBadFileLoadsOrIsReplacedWithALine)
{
    for (const std::string& name : collected("texture")) {
        SCOPED_TRACE(name);
        writeScratchFile("sprites/collected-" + name, readFileBytes("tests/data/bad/texture/" + name));
        std::string messages;
        Handle<Texture> texture =
            loadReporting<Texture>(testEngine().getTextureManager(), "sprites/collected-" + name, messages);
        ASSERT_TRUE(texture);
        EXPECT_TRUE(texture->isLoaded() || ourLines(messages) == 1) << messages;
        texture->bind();
    }
    for (const std::string& name : collected("font")) {
        SCOPED_TRACE(name);
        writeScratchFile("fonts/" + name, readFileBytes("tests/data/bad/font/" + name));
        std::string messages;
        Handle<Font> font = loadReporting<Font>(testEngine().getFontManager(), "fonts/" + name, messages);
        ASSERT_TRUE(font);
        EXPECT_TRUE(font->isLoaded() || ourLines(messages) >= 1) << messages;
        Vec2f size = font->draw(Vec2f(10, 10), 32, RGBA(1, 1, 1, 1), "ABCD\n\x01\xFF");
        EXPECT_TRUE(std::isfinite(size.x) && std::isfinite(size.y));
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SoundBadData, EveryCollectedBadSoundLoadsOrIsSilencedWithALine)
{
    for (const std::string& name : collected("sound")) {
        for (bool streaming : {false, true}) {
            SCOPED_TRACE(name + (streaming ? " streamed" : ""));
            writeScratchFile("sounds/collected-" + name, readFileBytes("tests/data/bad/sound/" + name));
            ParameterMap parameters;
            parameters.set<bool>("streaming", streaming);
            std::string messages;
            Handle<Sound> sound = loadReporting<Sound>(testEngine().getSoundManager(), "sounds/collected-" + name,
                                                       messages, parameters);
            ASSERT_TRUE(sound);
            EXPECT_TRUE(sound->isPlayable() || ourLines(messages) == 1) << messages;
            expectSilentButSafe(sound);
        }
    }
}
