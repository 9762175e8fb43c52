#pragma once

#include "support/TestEngine.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

// Files the resource tests write for themselves. They live in a fresh
// directory under /tmp, removed at exit, which is also a search directory of
// testEngine(), so "sprites/x.tga" written here loads like a shipped file.

struct Pixel {
    uint8_t r, g, b, a;
};

inline bool operator==(const Pixel& a, const Pixel& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

inline std::ostream& operator<<(std::ostream& out, const Pixel& p)
{
    return out << '(' << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ')';
}

// Writes an uncompressed TGA (top row first, 32 bits per pixel) whose pixel
// (x, y) is `pixel(x, y)`; returns the full path.
std::string writeTga(const std::string& name, int width, int height, const std::function<Pixel(int, int)>& pixel);

// Number of lines in captured stderr output.
int lineCount(const std::string& text);

// Runs engine ticks about 5 ms apart until `done` holds or `timeoutMs` has
// passed; returns whether `done` held. Voices play in real time, so tests
// that wait for a sound to play out need the wall clock to move. The default
// only keeps a broken voice from hanging the test: it is a hundred times the
// longest sound the tests play, so a busy machine does not reach it.
bool tickUntil(const std::function<bool()>& done, int timeoutMs = 60000);

// A pixel-exact 2D view of the test window (y down, one unit per pixel),
// cleared to black, with blending, alpha test and depth test off.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The colour of window pixel (x, y), counted from the top-left.
    Pixel screenPixel(int x, int y) const;

private:
    int height = 0;
};
