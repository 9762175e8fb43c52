#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Top half red, bottom half blue.
void paintRedOverBlue()
{
    Engine& e = testEngine();
    Vec2i size = e.getScreenSize();
    e.setViewport(0, 0, size.x, size.y);
    clearViewport(RGBA(0, 0, 1, 1));
    e.setViewport(0, 0, size.x, size.y / 2);
    clearViewport(RGBA(1, 0, 0, 1));
    e.setViewport(0, 0, size.x, size.y);
}

const std::array<int, 3> kRed = {255, 0, 0};
const std::array<int, 3> kBlue = {0, 0, 255};
const std::array<int, 3> kBlack = {0, 0, 0};

} // namespace

// That clearing turns the scissor off again the head-up display's tests see (the
// strip beside the views would be cut away), and the aspect ratio a viewport sets,
// every test that draws a level.
TEST(Viewport, AViewportCountsFromTheTopAndClearingItLeavesTheRest)
{
    Engine& e = testEngine();
    e.setViewport(0, 0, 1024, 768);
    clearViewport(RGBA(0, 0, 0, 1));
    e.setViewport(100, 200, 300, 100);
    clearViewport(RGBA(1, 0, 0, 1));

    for (auto [x, y] : {std::pair{100, 200}, {399, 299}})
        EXPECT_EQ(windowPixel(Vec2i(x, y)), kRed) << x << ", " << y;
    for (auto [x, y] : {std::pair{99, 200}, {100, 199}, {400, 299}, {399, 300}, {0, 767}})
        EXPECT_EQ(windowPixel(Vec2i(x, y)), kBlack) << x << ", " << y;
    e.setViewport(0, 0, 1024, 768);
}

TEST(Screenshots, ThePrintKeyFillsTheFirstGapInTheScreenshotsFolderWithATopDownBmp)
{
    Engine& e = testEngine();
    const std::string dir = scratchDir() + "shots";
    std::filesystem::create_directories(dir);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    paintRedOverBlue();
    auto press = [&](bool repeat) {
        pushKey(SDLK_PRINT, true);
        e.tick();
        if (repeat) {
            pushKey(SDLK_PRINT, true); // a key repeat takes another one
            e.tick();
        }
        pushKey(SDLK_PRINT, false);
        e.tick();
    };
    press(false); // the missing folder is made
    writeScratchFile("shots/screenshots/screenshot0003.bmp", "");
    press(true);
    struct stat info;
    for (const char* name : {"0001", "0002", "0004"})
        EXPECT_EQ(stat(("screenshots/screenshot" + std::string(name) + ".bmp").c_str(), &info), 0) << name;
    EXPECT_NE(stat("screenshots/screenshot0005.bmp", &info), 0);

    SDL_Surface* image = SDL_LoadBMP("screenshots/screenshot0002.bmp");
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->w, 1024);
    EXPECT_EQ(image->h, 768);
    EXPECT_EQ(image->format->BitsPerPixel, 24);
    SDL_LockSurface(image);
    auto pixel = [&](int x, int y) {
        Uint32 value = 0;
        std::memcpy(&value, static_cast<Uint8*>(image->pixels) + y * image->pitch + x * 3, 3);
        Uint8 r, g, b;
        SDL_GetRGB(value, image->format, &r, &g, &b);
        return std::array<int, 3>{r, g, b};
    };
    EXPECT_EQ(pixel(10, 0), kRed) << "the first row of the file is the top of the screen";
    EXPECT_EQ(pixel(10, 767), kBlue);
    SDL_UnlockSurface(image);
    SDL_FreeSurface(image);
}

TEST(CubeEffect, EndsOnTheNewFrame)
{
    Engine& e = testEngine();
    paintRedOverBlue();
    e.startTransition(new CubeTransition(&e, 0.75f));

    // The new screen is plain green. How the effect starts, on the old frame
    // filling the window, the wide window's test holds.
    runTicks(e, 44);
    ASSERT_NE(e.getTransition(), nullptr);
    e.setViewport(0, 0, 1024, 768);
    clearViewport(RGBA(0, 1, 0, 1));
    e.presentTransition();
    auto centre = windowPixel(Vec2i(512, 384));
    EXPECT_GT(centre[1], 200) << "near the end the new screen faces the viewer";
    EXPECT_LT(centre[0], 30);
    runTicks(e, 2);
    EXPECT_EQ(e.getTransition(), nullptr);
}
