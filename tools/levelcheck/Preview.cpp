#include "Preview.h"

#include "Simulation.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "objects/PlayerObject.h"
#include "world/Level.h"

#include <tinyxml.h>
#include <unistd.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The game screen's zoom for a vehicle standing still.
constexpr float kRestZoom = 9.5f;

std::string firstMode(Engine& engine, const std::string& levelFilename, GameMode& mode)
{
    TiXmlDocument document;
    if (!document.LoadFile(engine.findFile("levels/" + levelFilename)) || !document.RootElement())
        return "cannot be read";
    const char* modes = document.RootElement()->Attribute("supportedGameModes");
    std::vector<GameMode> listed = modesIn(modes ? modes : "");
    if (listed.empty())
        return "lists no game mode";
    mode = listed.front();
    return "";
}

std::string shoot(Engine& engine, Level& level, Object* drawLast, const Vec2f& camera, const std::string& pngFile)
{
    Vec2i screen = engine.getScreenSize();
    engine.setViewport(0, 0, screen.x, screen.y);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    clearViewport(RGBA{0.0f, 0.0f, 0.0f, 1.0f});
    level.cameraPosition = camera;
    level.zoom = kRestZoom;
    level.render(drawLast);
    glFinish();

    char directory[] = "/tmp/zorbel-preview-XXXXXX";
    if (!mkdtemp(directory))
        return "cannot make a temporary directory";
    std::string bmp = takeScreenshot(engine.getScreenMapping(), directory);
    std::string result;
    if (bmp.empty()) {
        result = "the screenshot could not be written";
    } else {
        // ImageMagick; the date chunks would make every run differ.
        std::string command = "convert '" + bmp + "' -define png:exclude-chunks=date,time '" + pngFile + "'";
        if (std::system(command.c_str()) != 0)
            result = "ImageMagick's convert failed (is the package imagemagick installed?)";
        std::remove(bmp.c_str());
    }
    rmdir(directory);
    return result;
}

std::string numbered(const std::string& pngFile, int n)
{
    std::string::size_type dot = pngFile.rfind('.');
    std::string stem = dot == std::string::npos ? pngFile : pngFile.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : pngFile.substr(dot);
    return stem + "-" + std::to_string(n) + extension;
}

} // namespace

std::string renderPreview(Engine& engine, const std::string& levelFilename, const std::string& pngFile,
                          int extraViews)
{
    GameMode mode = GM_TIME_1P;
    std::string problem = firstMode(engine, levelFilename, mode);
    if (!problem.empty())
        return problem;
    LoadedLevel loaded = loadLevel(engine, levelFilename, mode);
    if (!loaded.level)
        return "does not load";
    Level& level = *loaded.level;
    PlayerObject* player = level.getPlayer(0);
    if (!player)
        return "has no player 1";
    // Half a second, so that the vehicles have settled as they do in the countdown.
    for (int i = 0; i < 30; ++i)
        step(engine, level);

    problem = shoot(engine, level, player, player->getPosition(), pngFile);
    const Vec2i size = level.getSize();
    for (int i = 1; i <= extraViews && problem.empty(); ++i) {
        float x = float(size.x) * float(i) / float(extraViews + 1);
        float ground = float(size.y);
        groundBelow(level, player->getLayer(), Vec2f(x, 1.5f), ground);
        problem = shoot(engine, level, player, Vec2f(x, ground - 3.0f), numbered(pngFile, i));
    }
    return problem;
}
