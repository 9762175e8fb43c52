#include "resources/TestFiles.h"

#include "support/TestEngine.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>

std::string writeTga(const std::string& name, int width, int height, const std::function<Pixel(int, int)>& pixel)
{
    std::string bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = char(width & 0xFF);
    bytes[13] = char(width >> 8);
    bytes[14] = char(height & 0xFF);
    bytes[15] = char(height >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28; // alpha bits, first row is the top one
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Pixel p = pixel(x, y);
            bytes += char(p.b);
            bytes += char(p.g);
            bytes += char(p.r);
            bytes += char(p.a);
        }
    }
    return writeScratchFile(name, bytes);
}

int lineCount(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\n'));
}

bool tickUntil(const std::function<bool()>& done, int timeoutMs)
{
    const Uint32 start = SDL_GetTicks();
    while (!done()) {
        if (SDL_GetTicks() - start > Uint32(timeoutMs))
            return false;
        SDL_Delay(5);
        runTicks(testEngine(), 1);
    }
    return true;
}

void ScreenTest::SetUp()
{
    Vec2i size = testEngine().getScreenSize();
    height = size.y;
    glViewport(0, 0, size.x, size.y);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, size.x, size.y, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
}

void ScreenTest::TearDown()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

Pixel ScreenTest::screenPixel(int x, int y) const
{
    glFinish();
    Pixel p;
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    return p;
}
