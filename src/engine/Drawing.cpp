#include "engine/Drawing.h"

#include "engine/SafeFile.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <vector>

void setBlendMode(GLenum source, GLenum destination)
{
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    if (source == GL_SRC_ALPHA) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
}

void setTexturing(bool enabled)
{
    if (enabled)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void drawTurnedQuad(const Vec2f& centre, const Vec2f& axis, const Vec2f& halfSize, const Vec2f& texPos,
                    const Vec2f& texSize, bool flip, const RGBA& colour)
{
    const float c = axis.x;
    const float s = axis.y;
    const float hw = flip ? -halfSize.x : halfSize.x;
    const float hh = halfSize.y;
    auto vertex = [&](float x, float y) { glVertex2f(centre.x + c * x - s * y, centre.y + s * x + c * y); };
    const float u0 = texPos.x;
    const float v0 = texPos.y;
    const float u1 = u0 + texSize.x;
    const float v1 = v0 + texSize.y;
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    vertex(-hw, -hh);
    glTexCoord2f(u1, v0);
    vertex(hw, -hh);
    glTexCoord2f(u1, v1);
    vertex(hw, hh);
    glTexCoord2f(u0, v1);
    vertex(-hw, hh);
    glEnd();
}

void hideCursor()
{
    SDL_ShowCursor(0);
}

void clearViewport(const RGBA& colour)
{
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    GLboolean scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
    GLint oldBox[4];
    glGetIntegerv(GL_SCISSOR_BOX, oldBox);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glScissor(viewport[0], viewport[1], viewport[2], viewport[3]);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(oldBox[0], oldBox[1], oldBox[2], oldBox[3]);
    if (!scissorWasOn)
        glDisable(GL_SCISSOR_TEST);
}

std::string takeScreenshot(const ScreenMapping& mapping, const std::string& directory)
{
    const int width = mapping.getLogicalSize().x;
    const int height = mapping.getLogicalSize().y;
    size_t rowBytes = size_t(width) * 3;
    std::vector<unsigned char> image(rowBytes * size_t(height));
    mapping.readPicture(image.data());

    std::string why;
    if (directory.empty() || !makeDirectories(directory, why)) {
        std::fprintf(stderr, "zorbel: cannot save a screenshot: %s\n",
                     directory.empty() ? "there is no folder to save it in" : why.c_str());
        return std::string();
    }
    std::string filename;
    for (int n = 1; n < 100000; ++n) {
        char name[256];
        std::snprintf(name, sizeof name, "%s/screenshot%04d.bmp", directory.c_str(), n);
        if (FILE* probe = std::fopen(name, "rb")) {
            std::fclose(probe);
            continue;
        }
        filename = name;
        break;
    }
    if (filename.empty()) {
        std::fprintf(stderr, "zorbel: no free screenshot name left in \"%s\"\n", directory.c_str());
        return std::string();
    }

    // The picture is made in memory and written as a whole, so that a full disk or a
    // crash leaves no half picture behind. A BMP is its 54-byte header and rows padded to 4 bytes.
    SDL_Surface* surface = SDL_CreateRGBSurfaceFrom(image.data(), width, height, 24, int(rowBytes), 0x0000FF,
                                                    0x00FF00, 0xFF0000, 0);
    std::string bmp(54 + ((rowBytes + 3) & ~size_t(3)) * size_t(height), '\0');
    bool made = false;
    if (surface) {
        if (SDL_RWops* memory = SDL_RWFromMem(&bmp[0], int(bmp.size()))) {
            made = SDL_SaveBMP_RW(surface, memory, 0) == 0;
            bmp.resize(size_t(SDL_RWtell(memory)));
            SDL_RWclose(memory);
        }
        SDL_FreeSurface(surface);
    }
    if (!made) {
        std::fprintf(stderr, "zorbel: cannot make screenshot \"%s\": %s\n", filename.c_str(), SDL_GetError());
        return std::string();
    }
    if (!writeFileAtomically(filename, bmp, why)) {
        std::fprintf(stderr, "zorbel: cannot save screenshot \"%s\": %s\n", filename.c_str(), why.c_str());
        return std::string();
    }
    return filename;
}
