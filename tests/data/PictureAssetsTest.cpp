// Checks the pictures and tile sets under data/ against what the drawing code
// maps out of them: sizes, the regions that must hold art, and tile shapes the
// physics can use.

#include "support/TestEngine.h"

#include "resources/Texture.h"
#include "world/Tile.h"
#include "world/TileSet.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <tinyxml.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Rect {
    int x, y, w, h;
};

// A picture as the texture loader reads it: RGBA bytes, red first.
struct Picture {
    std::shared_ptr<SDL_Surface> surface;
    int w = 0, h = 0;
    int alpha(int x, int y) const
    {
        return static_cast<const std::uint8_t*>(surface->pixels)[y * surface->pitch + x * 4 + 3];
    }
};

Picture loadChecked(const std::string& path)
{
    SDL_Surface* s = Texture::loadSurface(path);
    EXPECT_NE(s, nullptr) << path << ": " << IMG_GetError();
    return s ? Picture{std::shared_ptr<SDL_Surface>(s, SDL_FreeSurface), s->w, s->h} : Picture{};
}

// The fraction of a region's pixels with alpha above a faint threshold.
double covered(const Picture& pic, Rect rc)
{
    long count = 0;
    for (int y = rc.y; y < rc.y + rc.h; ++y)
        for (int x = rc.x; x < rc.x + rc.w; ++x)
            count += pic.alpha(x, y) > 32;
    return static_cast<double>(count) / (static_cast<double>(rc.w) * rc.h);
}

// Every picture has the size its drawing code maps (or at least that size
// where only a part of it is mapped), and each region it maps holds art.
// How the art keeps off the edges of its cells is the generator's own work.
TEST(PictureAssets, EveryPictureHasItsMappedSizeAndArtInItsMappedRegions)
{
    struct Region {
        Rect rc;
        double minCovered;
    };
    struct Expected {
        const char* path;
        int w, h;
        bool exact;
        std::vector<Region> regions;
    };
    const Expected table[] = {
        // Chassis, wheel and rider of each player.
        {"data/sprites/player.png", 768, 512, true,
         {{{0, 0, 384, 256}, 0.2}, {{0, 256, 384, 256}, 0.2}, {{384, 0, 128, 128}, 0.6}, {{384, 256, 128, 128}, 0.6},
          {{512, 0, 256, 256}, 0.15}, {{512, 256, 256, 256}, 0.15}}},
        // The crate is 1 unit of physics drawn 1.1 units wide: its art must fill the
        // physical square, or a box would seem to float on what it rests on.
        {"data/sprites/box.png", 128, 128, true, {{{8, 8, 112, 112}, 0.99}}},
        {"data/sprites/nut.png", 64, 64, true, {{{0, 0, 64, 64}, 0.3}}},
        {"data/sprites/medkit.png", 128, 128, true, {{{0, 0, 128, 128}, 0.3}}},
        {"data/sprites/accelerator.png", 64, 64, true, {{{0, 0, 64, 64}, 0.2}}},
        {"data/sprites/spiral.png", 256, 256, true, {{{0, 0, 256, 256}, 0.4}}},
        {"data/sprites/dummy.png", 256, 64, true,
         {{{0, 0, 64, 64}, 0.4}, {{64, 0, 64, 64}, 0.4}, {{128, 0, 64, 64}, 0.4}, {{192, 0, 64, 64}, 0.4}}},
        // The finish gate stands on the ground: its posts reach the bottom of the picture.
        {"data/sprites/checkpoint.png", 192, 256, false, {{{0, 0, 192, 256}, 0.15}, {{0, 240, 192, 16}, 0.1}}},
        {"data/sprites/zorbellnut.png", 128, 128, true, {{{0, 0, 128, 128}, 0.3}}},
        {"data/sprites/area.png", 128, 128, true, {{{16, 16, 96, 96}, 0.9}}},
        // Spikes drawn only one unit high show the lower half, so the art stands there.
        {"data/sprites/spikes.png", 128, 128, true, {{{0, 64, 128, 64}, 0.4}}},
        {"data/sprites/heart.png", 160, 32, true, {}},
        {"data/sprites/hud.png", 300, 1024, false, {}},
        {"data/sprites/logo.png", 907, 653, false, {}},
        {"data/sprites/gradient.jpg", 512, 512, true, {}},
        {"data/sprites/monster.png", 512, 512, true, {{{0, 0, 512, 512}, 0.4}}},
        {"data/sprites/icon.png", 16, 16, false, {}},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.path);
        const Picture pic = loadChecked(e.path);
        ASSERT_TRUE(e.exact ? pic.w == e.w && pic.h == e.h : pic.w >= e.w && pic.h >= e.h) << pic.w << "x" << pic.h;
        EXPECT_TRUE(e.exact || e.w != e.h || pic.w == pic.h) << "window icons are square";
        for (const Region& r : e.regions)
            EXPECT_GT(covered(pic, r.rc), r.minCovered) << "region at " << r.rc.x << ", " << r.rc.y;
    }
}

// Every tile set is read by the game's own reader, which refuses with a
// line on stderr whatever its physics cannot use, and every tile it keeps
// draws art from inside its image.
TEST(TileSetAssets, EveryTileIsKeptAndDrawsFromInsideItsImage)
{
    int tileSets = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/tilesets")) {
        if (entry.path().extension() != ".xml")
            continue;
        ++tileSets;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        std::unique_ptr<TileSet> tileSet;
        EXPECT_EQ(stderrOf([&] { tileSet = std::make_unique<TileSet>(&testEngine(), name); }), "");
        ASSERT_TRUE(tileSet->isLoaded());
        TiXmlDocument doc(entry.path().string());
        ASSERT_TRUE(doc.LoadFile() && doc.RootElement()->Attribute("imageFilename"));
        const Picture image = loadChecked("data/tilesets/" + std::string(doc.RootElement()->Attribute("imageFilename")));
        ASSERT_TRUE(image.surface);
        for (const TiXmlElement* e = doc.RootElement()->FirstChildElement("Tile"); e; e = e->NextSiblingElement("Tile")) {
            int id = 0;
            e->QueryIntAttribute("id", &id);
            const Tile* tile = id > 0 ? tileSet->findTile(unsigned(id)) : nullptr;
            ASSERT_NE(tile, nullptr) << "tile " << id << " is not kept (0 marks an empty cell)";
            const Rect rc{tile->position.x, tile->position.y, tile->size.x, tile->size.y};
            ASSERT_TRUE(rc.x >= 0 && rc.y >= 0 && rc.w > 0 && rc.h > 0 && rc.x + rc.w <= image.w &&
                        rc.y + rc.h <= image.h) << "tile " << id << " lies outside the image";
            EXPECT_TRUE(!tile->visible || covered(image, rc) > 0.05) << "tile " << id << " is drawn but empty";
        }
    }
    EXPECT_GT(tileSets, 0);
}

}  // namespace
