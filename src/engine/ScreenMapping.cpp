#include "engine/ScreenMapping.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

ScreenMapping::ScreenMapping(Vec2i logical, Vec2i window) : logicalSize(logical), windowSize(window)
{
    // Compared as products so that a window of exactly the picture's shape gets no bar at all.
    long long wide = (long long)window.x * logical.y;
    long long tall = (long long)window.y * logical.x;
    if (wide >= tall) {
        picture.height = window.y;
        picture.width = int(tall / logical.y);
    } else {
        picture.width = window.x;
        picture.height = int(wide / logical.x);
    }
    picture.x = (window.x - picture.width) / 2;
    picture.y = (window.y - picture.height) / 2;
}

int ScreenMapping::mapX(int x) const
{
    return picture.x + int(std::lround(double(x) * picture.width / logicalSize.x));
}

int ScreenMapping::mapY(int y) const
{
    int top = windowSize.y - picture.y - picture.height;
    return top + int(std::lround(double(y) * picture.height / logicalSize.y));
}

PixelRect ScreenMapping::toWindow(int x, int y, int width, int height) const
{
    int left = mapX(x);
    int top = mapY(y);
    int bottom = mapY(y + height);
    return PixelRect{left, windowSize.y - bottom, mapX(x + width) - left, bottom - top};
}

Vec2i ScreenMapping::toWindowPixel(Vec2f point) const
{
    int top = windowSize.y - picture.y - picture.height;
    return Vec2i(picture.x + int(std::floor(double(point.x) * picture.width / logicalSize.x)),
                 top + int(std::floor(double(point.y) * picture.height / logicalSize.y)));
}

int ScreenMapping::getBars(PixelRect bars[2]) const
{
    PixelRect both[2];
    if (picture.width < windowSize.x) {
        both[0] = PixelRect{0, 0, picture.x, windowSize.y};
        both[1] = PixelRect{picture.x + picture.width, 0, windowSize.x - picture.x - picture.width, windowSize.y};
    } else {
        both[0] = PixelRect{0, 0, windowSize.x, picture.y};
        both[1] = PixelRect{0, picture.y + picture.height, windowSize.x, windowSize.y - picture.y - picture.height};
    }
    int count = 0;
    for (const PixelRect& bar : both)
        if (bar.width > 0 && bar.height > 0)
            bars[count++] = bar;
    return count;
}

void ScreenMapping::setViewport(int x, int y, int width, int height) const
{
    PixelRect r = toWindow(x, y, width, height);
    glViewport(r.x, r.y, r.width, r.height);
}

void ScreenMapping::clearBars() const
{
    PixelRect bars[2];
    int count = getBars(bars);
    if (count == 0)
        return;
    // Only the bars are cleared: the software renderer pays for every pixel touched.
    GLboolean scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
    GLint oldBox[4];
    glGetIntegerv(GL_SCISSOR_BOX, oldBox);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (int i = 0; i < count; ++i) {
        glScissor(bars[i].x, bars[i].y, bars[i].width, bars[i].height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glScissor(oldBox[0], oldBox[1], oldBox[2], oldBox[3]);
    if (!scissorWasOn)
        glDisable(GL_SCISSOR_TEST);
}

void ScreenMapping::readPicture(unsigned char* rgb) const
{
    const int w = picture.width;
    const int h = picture.height;
    std::vector<unsigned char> frame(size_t(w) * size_t(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(picture.x, picture.y, w, h, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    // GL delivers the bottom row first. Each output pixel is a bilinear sample at its
    // centre, which for the identity is the pixel itself.
    auto at = [&](int x, int yFromTop, int channel) {
        return float(frame[(size_t(h - 1 - yFromTop) * size_t(w) + size_t(x)) * 3 + size_t(channel)]);
    };
    const float stepX = float(w) / float(logicalSize.x);
    const float stepY = float(h) / float(logicalSize.y);
    for (int oy = 0; oy < logicalSize.y; ++oy) {
        float sy = std::clamp((float(oy) + 0.5f) * stepY - 0.5f, 0.0f, float(h - 1));
        int y0 = int(sy);
        int y1 = std::min(y0 + 1, h - 1);
        float fy = sy - float(y0);
        for (int ox = 0; ox < logicalSize.x; ++ox) {
            float sx = std::clamp((float(ox) + 0.5f) * stepX - 0.5f, 0.0f, float(w - 1));
            int x0 = int(sx);
            int x1 = std::min(x0 + 1, w - 1);
            float fx = sx - float(x0);
            for (int c = 0; c < 3; ++c) {
                float upper = at(x0, y0, c) + (at(x1, y0, c) - at(x0, y0, c)) * fx;
                float lower = at(x0, y1, c) + (at(x1, y1, c) - at(x0, y1, c)) * fx;
                *rgb++ = (unsigned char)std::lround(upper + (lower - upper) * fy);
            }
        }
    }
}
