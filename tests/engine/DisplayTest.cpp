#include "engine/CommandLine.h"
#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/ScreenMapping.h"
#include "engine/State.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

std::ostream& operator<<(std::ostream& out, const PixelRect& r)
{
    return out << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

namespace {

// Logical rectangles as the head-up display lays them out: the strip on the left and the
// two split views beside it.
struct LogicalRect {
    int x, y, width, height;
};
const LogicalRect kHudStrip{0, 0, 205, 768};
const LogicalRect kUpperView{205, 0, 819, 380};
const LogicalRect kLowerView{205, 388, 819, 380};

} // namespace

TEST(ScreenMapping, PlacesThePictureTheBarsTheViewsAndPointsInEveryWindow)
{
    // Window rectangles in GL's convention: x, y from the bottom left.
    struct Case {
        Vec2i window;
        PixelRect picture;
        std::vector<PixelRect> bars;
        PixelRect strip, upper, lower;
        Vec2i centre; // window pixel (from the top left) of logical (512, 384)
    };
    const Case cases[] = {
        {{1024, 768}, {0, 0, 1024, 768}, {}, {0, 0, 205, 768}, {205, 388, 819, 380}, {205, 0, 819, 380}, {512, 384}},
        {{1280, 720}, {160, 0, 960, 720}, {{0, 0, 160, 720}, {1120, 0, 160, 720}}, {160, 0, 192, 720},
         {352, 364, 768, 356}, {352, 0, 768, 356}, {640, 360}},
        {{800, 600}, {0, 0, 800, 600}, {}, {0, 0, 160, 600}, {160, 303, 640, 297}, {160, 0, 640, 297}, {400, 300}},
        {{1280, 1024}, {0, 32, 1280, 960}, {{0, 0, 1280, 32}, {0, 992, 1280, 32}}, {0, 32, 256, 960},
         {256, 517, 1024, 475}, {256, 32, 1024, 475}, {640, 512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.window.x) + "x" + std::to_string(c.window.y));
        ScreenMapping mapping(Vec2i(1024, 768), c.window);
        EXPECT_EQ(mapping.getPicture(), c.picture);
        EXPECT_EQ(mapping.toWindow(0, 0, 1024, 768), c.picture);
        PixelRect bars[2];
        int count = mapping.getBars(bars);
        EXPECT_EQ(std::vector<PixelRect>(bars, bars + count), c.bars);
        auto map = [&](const LogicalRect& r) { return mapping.toWindow(r.x, r.y, r.width, r.height); };
        EXPECT_EQ(map(kHudStrip), c.strip);
        EXPECT_EQ(map(kUpperView), c.upper);
        EXPECT_EQ(map(kLowerView), c.lower);
        EXPECT_EQ(mapping.toWindowPixel(Vec2f(512.0f, 384.0f)), c.centre);
        const PixelRect& p = c.picture;
        int top = c.window.y - p.y - p.height;
        EXPECT_EQ(mapping.toWindowPixel(Vec2f(0.0f, 0.0f)), Vec2i(p.x, top));
        EXPECT_EQ(mapping.toWindowPixel(Vec2f(1023.99f, 767.99f)), Vec2i(p.x + p.width - 1, top + p.height - 1));
    }
}

namespace {

const std::array<int, 3> kRed = {255, 0, 0};
const std::array<int, 3> kGreen = {0, 255, 0};
const std::array<int, 3> kBlue = {0, 0, 255};
const std::array<int, 3> kBlack = {0, 0, 0};

// Logical picture: red over blue, halves of 384 rows, with the texture drawn over the top right quarter.
class PictureState : public State {
public:
    PictureState(Engine* engine, GLuint texture) : State("DisplayPicture", engine), texture(texture) {}
    void render() override
    {
        engine->setViewport(0, 0, 1024, 768);
        clearViewport(RGBA(0, 0, 1, 1));
        engine->setViewport(0, 0, 1024, 384);
        clearViewport(RGBA(1, 0, 0, 1));
        engine->setViewport(512, 0, 512, 384);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, texture);
        drawTurnedQuad(Vec2f(0, 0), Vec2f(1, 0), Vec2f(1, 1), Vec2f(0, 0), Vec2f(1, 1), false, RGBA(1, 1, 1, 1));
        glDisable(GL_TEXTURE_2D);
    }
    GLuint texture;
};

} // namespace

TEST(ScreenMapping, AWideWindowShowsThePictureBetweenBlackBarsKeepsTexturesAndShootsAtTheLogicalSize)
{
    // The window stays inside the test display's 1024x768: X keeps no pixels beyond the screen.
    Engine& e = testEngine();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char green[4] = {0, 255, 0, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);

    ASSERT_TRUE(e.setDisplayMode(false, Vec2i(960, 540)));
    ASSERT_EQ(e.getScreenMapping().getWindowSize(), Vec2i(960, 540));
    EXPECT_EQ(e.getScreenSize(), Vec2i(1024, 768)) << "the game keeps drawing in logical units";
    auto* state = new PictureState(&e, texture);
    e.registerState(state);
    e.pushState("DisplayPicture", ParameterMap());
    // Whatever the window held before, the bars come out black.
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, 960, 540);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    e.renderCurrentState();

    const ScreenMapping& m = e.getScreenMapping();
    auto at = [&](float x, float y) { return windowPixel(m.toWindowPixel(Vec2f(x, y))); };
    EXPECT_EQ(at(1, 1), kRed);
    EXPECT_EQ(at(511, 383), kRed);
    EXPECT_EQ(at(513, 1), kGreen) << "the texture made before the mode change still draws";
    EXPECT_EQ(at(1022, 382), kGreen);
    EXPECT_EQ(at(1, 385), kBlue);
    EXPECT_EQ(at(1022, 766), kBlue);
    for (Vec2i bar : {Vec2i(0, 0), Vec2i(119, 270), Vec2i(840, 539), Vec2i(959, 0)})
        EXPECT_EQ(windowPixel(bar), kBlack) << bar.x << ", " << bar.y;

    // What a screenshot saves: the picture alone, at the logical size.
    std::vector<unsigned char> shot(1024 * 768 * 3);
    m.readPicture(shot.data());
    auto shotPixel = [&](int x, int y) {
        const unsigned char* p = &shot[(size_t(y) * 1024 + size_t(x)) * 3];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(shotPixel(0, 0), kRed) << "the bars are not in the screenshot";
    EXPECT_EQ(shotPixel(1023, 0), kGreen);
    EXPECT_EQ(shotPixel(0, 767), kBlue);
    EXPECT_EQ(shotPixel(400, 300), kRed) << "the whole picture is scaled down, not its corner cut out";
    // Each saved pixel blends the window pixels on both sides of it: the first
    // pixels past an edge mostly show what lies beyond it.
    EXPECT_GT(shotPixel(512, 100)[1], 200);
    EXPECT_GT(shotPixel(100, 384)[2], 200);

    // The screen-change effect starts on a capture of the picture, not of the window's corner.
    e.startTransition(new CubeTransition(&e, 0.75f));
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    e.presentTransition();
    EXPECT_EQ(at(100, 100), kRed);
    EXPECT_EQ(at(1010, 20), kGreen);
    EXPECT_EQ(at(100, 700), kBlue);
    // Every frame of the effect leaves the matrices as it found them: a stack that grows
    // per frame overflows within the effect's 45 frames and the cube's turns pile up.
    GLint depths[2];
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[0]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[1]);
    EXPECT_EQ(Vec2i(depths[0], depths[1]), Vec2i(1, 1));

    // F11 goes to full screen (the test display's size) and back to the same window.
    pushKey(SDLK_F11, true);
    pushKey(SDLK_F11, false);
    e.tick();
    EXPECT_TRUE(e.isFullScreen());
    EXPECT_EQ(e.getTransition(), nullptr) << "a mode change drops the effect, whose captures are gone";
    pushKey(SDLK_F11, true);
    pushKey(SDLK_F11, false);
    e.tick();
    EXPECT_FALSE(e.isFullScreen());
    EXPECT_EQ(e.getScreenMapping().getWindowSize(), Vec2i(960, 540));

    e.popState();
    glDeleteTextures(1, &texture);
    ASSERT_TRUE(e.setDisplayMode(false, Vec2i(1024, 768)));
    EXPECT_EQ(e.getScreenMapping().getPicture(), (PixelRect{0, 0, 1024, 768}));
}

TEST(CommandLine, ReadsTheWindowOptionsAndRefusesWhatItDoesNotKnow)
{
    struct Case {
        std::vector<const char*> args;
        int exitStatus;
        bool fullScreen;
        Vec2i windowSize;
        const char* messageHas;
    };
    const Case cases[] = {
        {{}, -1, true, {1024, 768}, ""},
        {{"--window"}, -1, false, {1024, 768}, ""},
        {{"--window=1280x720"}, -1, false, {1280, 720}, ""},
        {{"--window=800x600", "--window"}, -1, false, {800, 600}, ""},
        {{"--help"}, 0, true, {1024, 768}, "--window=WIDTHxHEIGHT"},
        {{"--window", "-h"}, 0, false, {1024, 768}, "F11"},
        {{"--fullscreen"}, 2, true, {1024, 768}, "unknown option \"--fullscreen\""},
        {{"level.xml"}, 2, true, {1024, 768}, "unknown option \"level.xml\""},
        {{"--window="}, 2, true, {1024, 768}, "\"\" is not a window size"},
        {{"--window=1280"}, 2, true, {1024, 768}, "\"1280\" is not a window size"},
        {{"--window=1280x"}, 2, true, {1024, 768}, "not a window size"},
        {{"--window=-1280x720"}, 2, true, {1024, 768}, "not a window size"},
        {{"--window=1280x720x"}, 2, true, {1024, 768}, "not a window size"},
        {{"--window=10x10"}, 2, true, {1024, 768}, "64 to 16384"},
        {{"--window=99999x720"}, 2, true, {1024, 768}, "not a window size"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"zorbel"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front());
        CommandLine line = parseCommandLine(int(argv.size()), argv.data());
        EXPECT_EQ(line.exitStatus, c.exitStatus);
        if (c.exitStatus == -1) {
            EXPECT_EQ(line.fullScreen, c.fullScreen);
            EXPECT_EQ(line.windowSize, c.windowSize);
        }
        EXPECT_NE(line.message.find(c.messageHas), std::string::npos) << line.message;
        if (c.exitStatus == 2) {
            EXPECT_NE(line.message.find("zorbel --help"), std::string::npos) << line.message;
        }
    }
}
