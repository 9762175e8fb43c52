#pragma once

#include "engine/RGBA.h"
#include "engine/ScreenMapping.h"
#include "engine/Vec2.h"

#include <GL/gl.h>

#include <string>

/// Enables blending with (`source`, `destination`); with GL_SRC_ALPHA as source the
/// alpha test also drops fully transparent texels, otherwise it is switched off.
void setBlendMode(GLenum source, GLenum destination);
/// Switches 2D texturing on or off.
void setTexturing(bool enabled);
/// Draws one textured quad of `halfSize` (world units) around `centre`, turned so that its
/// x axis points along the unit vector `axis` (cosine, sine of the angle), texture rectangle
/// `texPos`/`texSize` (pixels, mirrored when `flip`), in `colour`. The corners are computed
/// here instead of on the matrix stack, so quads drawn one after another with the same
/// texture and blending share one draw call.
void drawTurnedQuad(const Vec2f& centre, const Vec2f& axis, const Vec2f& halfSize, const Vec2f& texPos,
                    const Vec2f& texSize, bool flip, const RGBA& colour);
/// Hides the mouse pointer; the game is played with the keyboard only.
void hideCursor();
/// Clears only the current viewport to `colour`; pixels outside it stay as they are.
void clearViewport(const RGBA& colour);
/// Writes the picture `mapping` places in the frame buffer, at its logical size and without
/// the bars, as a 24-bit BMP, top row first, to the first free `directory`/screenshot%04d.bmp,
/// creating the directory and its parents when missing.
/// Returns the file written, or "" (with a line on stderr) when it could not be written.
std::string takeScreenshot(const ScreenMapping& mapping, const std::string& directory);
