// Checks the pictures and tile sets under data/ against what the drawing code
// maps out of them: sizes, the regions that must hold art, transparency where
// a sprite is drawn over the level, and tile shapes the physics can use.

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Rect {
    int x, y, w, h;
};

// A decoded picture as plain RGBA bytes, whatever layout the file had.
struct Picture {
    int w = 0;
    int h = 0;
    bool fileHasAlpha = false;
    std::vector<std::uint8_t> rgba;

    bool loaded() const { return w > 0; }
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
};

Picture load(const std::string& path)
{
    Picture pic;
    SDL_Surface* image = IMG_Load(path.c_str());
    if (!image)
        return pic;
    pic.fileHasAlpha = image->format->Amask != 0;
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
    SDL_Surface* rgba = SDL_CreateRGBSurface(SDL_SWSURFACE, image->w, image->h, 32, 0xFF000000, 0x00FF0000,
                                             0x0000FF00, 0x000000FF);
#else
    SDL_Surface* rgba = SDL_CreateRGBSurface(SDL_SWSURFACE, image->w, image->h, 32, 0x000000FF, 0x0000FF00,
                                             0x00FF0000, 0xFF000000);
#endif
    // Copy the alpha channel instead of blending with it, as the texture loader does.
    SDL_SetAlpha(image, 0, 0);
    SDL_SetAlpha(rgba, 0, 0);
    SDL_BlitSurface(image, nullptr, rgba, nullptr);
    pic.w = image->w;
    pic.h = image->h;
    pic.rgba.resize(static_cast<size_t>(pic.w) * pic.h * 4);
    SDL_LockSurface(rgba);
    for (int y = 0; y < pic.h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch;
        std::copy(row, row + pic.w * 4, pic.rgba.begin() + static_cast<size_t>(y) * pic.w * 4);
    }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    SDL_FreeSurface(image);
    return pic;
}

// What a region of a picture holds: how much of it is covered, in which mean
// colour, and where the covered part's centre of mass lies.
struct Coverage {
    double covered = 0;      // fraction of pixels with alpha above a faint threshold
    double r = 0, g = 0, b = 0;
    double cx = 0, cy = 0;   // alpha-weighted centre, relative to the region
};

Coverage measure(const Picture& pic, Rect rc)
{
    Coverage c;
    double weight = 0;
    long count = 0;
    for (int y = rc.y; y < rc.y + rc.h; ++y)
        for (int x = rc.x; x < rc.x + rc.w; ++x) {
            const std::uint8_t* p = pic.at(x, y);
            const double a = p[3] / 255.0;
            if (p[3] > 32)
                ++count;
            weight += a;
            c.r += p[0] * a;
            c.g += p[1] * a;
            c.b += p[2] * a;
            c.cx += (x - rc.x + 0.5) * a;
            c.cy += (y - rc.y + 0.5) * a;
        }
    c.covered = static_cast<double>(count) / (static_cast<double>(rc.w) * rc.h);
    if (weight > 0) {
        c.r /= weight * 255;
        c.g /= weight * 255;
        c.b /= weight * 255;
        c.cx /= weight;
        c.cy /= weight;
    }
    return c;
}

long sumOfBrightness(const Picture& pic, Rect rc)
{
    long sum = 0;
    for (int y = rc.y; y < rc.y + rc.h; ++y)
        for (int x = rc.x; x < rc.x + rc.w; ++x)
            sum += pic.at(x, y)[0] + pic.at(x, y)[1] + pic.at(x, y)[2];
    return sum;
}

// Art that touches the edge of its cell is cut off there, and a neighbouring
// cell's art would bleed into it once the texture is scaled down.
void expectClearEdges(const Picture& pic, Rect rc, const std::string& what, bool bottomToo = true)
{
    for (int x = rc.x; x < rc.x + rc.w; ++x) {
        EXPECT_LT(pic.alpha(x, rc.y), 8) << what << " top edge at x " << x;
        if (bottomToo) {
            EXPECT_LT(pic.alpha(x, rc.y + rc.h - 1), 8) << what << " bottom edge at x " << x;
        }
    }
    for (int y = rc.y; y < rc.y + rc.h; ++y) {
        EXPECT_LT(pic.alpha(rc.x, y), 8) << what << " left edge at y " << y;
        EXPECT_LT(pic.alpha(rc.x + rc.w - 1, y), 8) << what << " right edge at y " << y;
    }
}

// Sprites are drawn over the level with blending, so their rectangle must not show.
void expectClearCorners(const Picture& pic, Rect rc, const std::string& what)
{
    const int xs[] = {rc.x, rc.x + rc.w - 1};
    const int ys[] = {rc.y, rc.y + rc.h - 1};
    for (int x : xs)
        for (int y : ys)
            EXPECT_LT(pic.alpha(x, y), 8) << what << " corner (" << x << ", " << y << ")";
}

Picture loadChecked(const std::string& path)
{
    Picture pic = load(path);
    EXPECT_TRUE(pic.loaded()) << path << ": " << IMG_GetError();
    return pic;
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

TEST(PictureAssets, EveryPictureHasTheSizeItsDrawingCodeMaps)
{
    struct Expected {
        const char* path;
        int w, h;
        bool exact;
        bool needsAlpha;
    };
    const Expected table[] = {
        {"data/sprites/player.png", 768, 512, true, true},
        {"data/sprites/box.png", 128, 128, true, true},
        {"data/sprites/nut.png", 64, 64, true, true},
        {"data/sprites/medkit.png", 128, 128, true, true},
        {"data/sprites/accelerator.png", 64, 64, true, true},
        {"data/sprites/spiral.png", 256, 256, true, true},
        {"data/sprites/dummy.png", 256, 64, true, true},
        {"data/sprites/checkpoint.png", 192, 256, false, true},
        {"data/sprites/zorbellnut.png", 128, 128, true, true},
        {"data/sprites/area.png", 128, 128, true, true},
        {"data/sprites/spikes.png", 128, 128, true, true},
        {"data/sprites/heart.png", 160, 32, true, true},
        {"data/sprites/hud.png", 300, 1024, false, true},
        {"data/sprites/logo.png", 907, 653, false, false},
        {"data/sprites/gradient.jpg", 512, 512, true, false},
        {"data/sprites/monster.png", 512, 512, true, true},
        {"data/sprites/icon.png", 16, 16, false, true},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.path);
        const Picture pic = loadChecked(e.path);
        if (!pic.loaded())
            continue;
        if (e.exact) {
            EXPECT_EQ(pic.w, e.w);
            EXPECT_EQ(pic.h, e.h);
        } else {
            EXPECT_GE(pic.w, e.w);
            EXPECT_GE(pic.h, e.h);
        }
        if (e.needsAlpha) {
            EXPECT_TRUE(pic.fileHasAlpha);
        }
    }
    const Picture icon = load("data/sprites/icon.png");
    EXPECT_EQ(icon.w, icon.h) << "window icons are square";
}

TEST(PictureAssets, PlayerSheetHoldsBothVehiclesInTheirColours)
{
    const Picture pic = loadChecked("data/sprites/player.png");
    ASSERT_EQ(pic.w, 768);
    ASSERT_EQ(pic.h, 512);
    double redness[2];
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row == 0 ? "player 1" : "player 2");
        const int top = row * 256;
        const Rect chassis{0, top, 384, 256}, wheel{384, top, 128, 128}, rider{512, top, 256, 256};

        const Coverage c = measure(pic, chassis);
        EXPECT_GT(c.covered, 0.2);
        EXPECT_LT(c.covered, 0.9);
        expectClearEdges(pic, chassis, "chassis");
        redness[row] = c.r - c.b;

        // The wheel spins about the middle of its square: art off centre would wobble.
        const Coverage w = measure(pic, wheel);
        EXPECT_GT(w.covered, 0.6);
        EXPECT_NEAR(w.cx, 64.0, 2.0);
        EXPECT_NEAR(w.cy, 64.0, 2.0);
        expectClearEdges(pic, wheel, "wheel");
        EXPECT_GT(pic.alpha(384 + 64, top + 64), 250) << "wheel hub";

        const Coverage r = measure(pic, rider);
        EXPECT_GT(r.covered, 0.15);
        // The chassis is drawn over the rider's legs, so they may run off the bottom.
        expectClearEdges(pic, rider, "rider", false);
        // The rider leans into the handlebar in front (+x): more of it lies right of centre.
        EXPECT_GT(r.cx, 128.0);
    }
    EXPECT_GT(redness[0], 0.2) << "player 1 is orange-red";
    EXPECT_LT(redness[1], -0.2) << "player 2 is cyan";
}

TEST(PictureAssets, ObjectSpritesHaveArtInsideAndClearCorners)
{
    struct Sprite {
        const char* path;
        Rect region;
        double minCovered;
    };
    const Sprite sprites[] = {
        {"data/sprites/nut.png", {0, 0, 64, 64}, 0.3},
        {"data/sprites/medkit.png", {0, 0, 128, 128}, 0.3},
        {"data/sprites/accelerator.png", {0, 0, 64, 64}, 0.2},
        {"data/sprites/spiral.png", {0, 0, 256, 256}, 0.4},
        {"data/sprites/zorbellnut.png", {0, 0, 128, 128}, 0.3},
        {"data/sprites/checkpoint.png", {0, 0, 192, 256}, 0.15},
        {"data/sprites/monster.png", {0, 0, 512, 512}, 0.4},
        // Spikes drawn only one unit high show the lower half, so the art stands there.
        {"data/sprites/spikes.png", {0, 64, 128, 64}, 0.4},
    };
    for (const Sprite& s : sprites) {
        SCOPED_TRACE(s.path);
        const Picture pic = loadChecked(s.path);
        if (!pic.loaded())
            continue;
        EXPECT_GT(measure(pic, s.region).covered, s.minCovered);
        expectClearCorners(pic, s.region, s.path);
    }

    // The crate is 1 unit of physics drawn 1.1 units wide: its art must fill the
    // physical square, or a box would seem to float on what it rests on.
    const Picture box = loadChecked("data/sprites/box.png");
    ASSERT_TRUE(box.loaded());
    EXPECT_GT(measure(box, {8, 8, 112, 112}).covered, 0.99);

    // The finish gate stands on the ground: its posts reach the bottom of the picture.
    const Picture gate = loadChecked("data/sprites/checkpoint.png");
    ASSERT_TRUE(gate.loaded());
    EXPECT_GT(measure(gate, {0, 240, 192, 16}).covered, 0.1);
}

TEST(PictureAssets, AcceleratorArrowPointsToPositiveX)
{
    const Picture pic = loadChecked("data/sprites/accelerator.png");
    ASSERT_TRUE(pic.loaded());
    auto heightOfColumn = [&](int x) {
        int first = -1, last = -1;
        for (int y = 0; y < pic.h; ++y)
            if (pic.alpha(x, y) > 128) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return first < 0 ? 0 : last - first;
    };
    // Wide tails on the left narrow down to a tip on the right.
    EXPECT_GT(heightOfColumn(pic.w * 3 / 10), heightOfColumn(pic.w * 17 / 20) + 10);
}

TEST(PictureAssets, DummyStripHasFourCentredAnimationFrames)
{
    const Picture pic = loadChecked("data/sprites/dummy.png");
    ASSERT_EQ(pic.w, 256);
    ASSERT_EQ(pic.h, 64);
    std::set<std::vector<std::uint8_t>> distinct;
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(frame);
        const Rect rc{frame * 64, 0, 64, 64};
        const Coverage c = measure(pic, rc);
        EXPECT_GT(c.covered, 0.4);
        // The ball rolls about its centre.
        EXPECT_NEAR(c.cx, 32.0, 2.0);
        EXPECT_NEAR(c.cy, 32.0, 2.0);
        expectClearCorners(pic, rc, "frame");
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < 64; ++y)
            bytes.insert(bytes.end(), pic.at(frame * 64, y), pic.at(frame * 64, y) + 64 * 4);
        distinct.insert(bytes);
    }
    EXPECT_EQ(distinct.size(), 4u) << "every frame differs, or nothing animates";
}

TEST(PictureAssets, HeartsEmptyFromFullToNothingAndAreStoredUpsideDown)
{
    const Picture pic = loadChecked("data/sprites/heart.png");
    ASSERT_EQ(pic.w, 160);
    ASSERT_EQ(pic.h, 32);
    auto redPixels = [&](int frame) {
        int n = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = frame * 32; x < frame * 32 + 32; ++x) {
                const std::uint8_t* p = pic.at(x, y);
                if (p[3] > 128 && p[0] > 150 && p[1] < 140 && p[0] > p[2] + 40)
                    ++n;
            }
        return n;
    };
    int previous = 1 << 30;
    for (int frame = 0; frame < 5; ++frame) {
        SCOPED_TRACE(frame);
        const int red = redPixels(frame);
        EXPECT_LT(red, previous);
        previous = red;
        // Every state keeps the same heart outline, only its filling changes.
        EXPECT_NEAR(measure(pic, {frame * 32, 0, 32, 32}).covered, measure(pic, {0, 0, 32, 32}).covered, 0.03);
        // The HUD maps texel row 0 to the bottom of each square, so the point of
        // the heart has to be at the top of the file.
        EXPECT_LT(measure(pic, {frame * 32, 0, 32, 8}).covered, measure(pic, {frame * 32, 24, 32, 8}).covered);
    }
    EXPECT_GT(redPixels(0), 200);
    EXPECT_EQ(redPixels(4), 0);
}

TEST(PictureAssets, AreaIsWhiteWithSoftEdgesForTinting)
{
    const Picture pic = loadChecked("data/sprites/area.png");
    ASSERT_EQ(pic.w, 128);
    for (int y = 0; y < pic.h; ++y)
        for (int x = 0; x < pic.w; ++x) {
            const std::uint8_t* p = pic.at(x, y);
            if (p[3] > 16) {
                ASSERT_TRUE(p[0] > 235 && p[1] > 235 && p[2] > 235) << "tint would be skewed at " << x << ", " << y;
            }
        }
    for (int i = 0; i < 128; ++i) {
        EXPECT_LT(pic.alpha(i, 0), 40);
        EXPECT_LT(pic.alpha(0, i), 40);
        EXPECT_LT(pic.alpha(i, 127), 40);
        EXPECT_LT(pic.alpha(127, i), 40);
    }
    EXPECT_GT(measure(pic, {16, 16, 96, 96}).covered, 0.9);
}

TEST(PictureAssets, NeonLogoHasADimAndALitSignOnBlack)
{
    const Picture pic = loadChecked("data/sprites/logo.png");
    ASSERT_GE(pic.w, 907);
    ASSERT_GE(pic.h, 653);
    const Rect unlit{0, 0, 395, 653}, lit{512, 0, 395, 653};
    const long dim = sumOfBrightness(pic, unlit);
    const long bright = sumOfBrightness(pic, lit);
    EXPECT_GT(dim, 0);
    EXPECT_GT(bright, 3 * dim) << "the lit sign must clearly outshine the unlit one";
    // Drawn additively: anything outside the two signs would show on the menu.
    EXPECT_EQ(sumOfBrightness(pic, {395, 0, 512 - 395, 653}), 0);
    EXPECT_EQ(sumOfBrightness(pic, {907, 0, pic.w - 907, 653}), 0);
    // The lit sign stays within its rectangle: its glow fades out before the edges.
    for (int y = 0; y < 653; ++y) {
        EXPECT_LT(pic.at(512, y)[0] + pic.at(512, y)[1] + pic.at(512, y)[2], 30) << y;
        EXPECT_LT(pic.at(906, y)[0] + pic.at(906, y)[1] + pic.at(906, y)[2], 30) << y;
    }
}

TEST(PictureAssets, CreditsGradientIsLightInTheMiddleAndDarkAtTopAndBottom)
{
    const Picture pic = loadChecked("data/sprites/gradient.jpg");
    ASSERT_EQ(pic.h, 512);
    auto rowBrightness = [&](int y) { return sumOfBrightness(pic, {0, y, pic.w, 1}) / (3.0 * pic.w); };
    EXPECT_GT(rowBrightness(256), 240);
    EXPECT_LT(rowBrightness(0), 80);
    EXPECT_LT(rowBrightness(511), 80);
}

TEST(PictureAssets, HudStripIsOpaqueBehindTheTexts)
{
    const Picture pic = loadChecked("data/sprites/hud.png");
    ASSERT_GE(pic.w, 300);
    ASSERT_GE(pic.h, 1024);
    // The window's strip ends at texel 273 of the 300 that are mapped.
    for (int y = 0; y < 1024; y += 16)
        for (int x = 0; x < 256; x += 16)
            ASSERT_EQ(pic.alpha(x, y), 255) << x << ", " << y;
}

TEST(PictureAssets, BackgroundsRepeatSeamlesslyToTheSides)
{
    int found = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/sprites")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("bg-", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        ++found;
        const Picture pic = loadChecked(entry.path().string());
        if (!pic.loaded())
            continue;
        EXPECT_TRUE(isPowerOfTwo(pic.w));
        EXPECT_TRUE(isPowerOfTwo(pic.h));
        // The last column continues into the first when the image layer repeats it.
        double difference = 0;
        for (int y = 0; y < pic.h; ++y)
            for (int ch = 0; ch < 4; ++ch)
                difference += std::abs(pic.at(0, y)[ch] - pic.at(pic.w - 1, y)[ch]);
        EXPECT_LT(difference / (pic.h * 4.0), 6.0);
    }
    EXPECT_GE(found, 3) << "sky, hills and clouds";
}

// ---- tile sets ----------------------------------------------------------

bool parseVec(const char*& s, double& x, double& y)
{
    int used = 0;
    if (std::sscanf(s, " (%lf ,%lf ) %n", &x, &y, &used) != 2 || used == 0)
        return false;
    s += used;
    return true;
}

std::vector<std::pair<double, double>> parseVertices(const char* text)
{
    std::vector<std::pair<double, double>> out;
    double x, y;
    while (parseVec(text, x, y)) {
        out.emplace_back(x, y);
        if (*text == '\0')
            break;
        ++text;   // the separator after each vertex
    }
    return out;
}

// Why the physics could not use a tile polygon, or an empty text when it can:
// it wants 3 to 8 vertices, convex, wound like the unit box (0,0),(1,0),(1,1),(0,1),
// inside the cell and thick enough for its inner skin of a few hundredths of a unit.
std::string polygonProblem(const std::vector<std::pair<double, double>>& v)
{
    if (v.size() < 3 || v.size() > 8)
        return std::to_string(v.size()) + " vertices";
    const size_t n = v.size();
    double area = 0, cx = 0, cy = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto& a = v[i];
        const auto& b = v[(i + 1) % n];
        const auto& c = v[(i + 2) % n];
        if (a.first < 0 || a.first > 1 || a.second < 0 || a.second > 1)
            return "vertex outside its cell";
        if (std::hypot(b.first - a.first, b.second - a.second) < 0.01)
            return "degenerate edge";
        const double turn = (b.first - a.first) * (c.second - b.second) - (b.second - a.second) * (c.first - b.first);
        if (turn <= 1e-6)
            return "not convex or wound the wrong way";
        const double cross = a.first * b.second - b.first * a.second;
        area += cross / 2;
        cx += (a.first + b.first) * cross / 6;
        cy += (a.second + b.second) * cross / 6;
    }
    cx /= area;
    cy /= area;
    for (size_t i = 0; i < n; ++i) {
        const auto& a = v[i];
        const auto& b = v[(i + 1) % n];
        const double len = std::hypot(b.first - a.first, b.second - a.second);
        if (std::abs((b.first - a.first) * (cy - a.second) - (b.second - a.second) * (cx - a.first)) / len < 0.05)
            return "too thin";
    }
    return "";
}

TEST(TileSetAssets, TilesLieInsideTheirImageAndHaveUsableShapes)
{
    int tileSets = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/tilesets")) {
        if (entry.path().extension() != ".xml")
            continue;
        ++tileSets;
        const std::string file = entry.path().string();
        SCOPED_TRACE(file);
        TiXmlDocument doc(file);
        ASSERT_TRUE(doc.LoadFile()) << doc.ErrorDesc();
        const TiXmlElement* root = doc.RootElement();
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(std::string(root->Value()), "TileSet");
        const char* imageName = root->Attribute("imageFilename");
        ASSERT_NE(imageName, nullptr);
        const Picture image = loadChecked("data/tilesets/" + std::string(imageName));
        ASSERT_TRUE(image.loaded());
        EXPECT_TRUE(image.fileHasAlpha);

        double defW = 0, defH = 0;
        const char* def = root->Attribute("defaultTileSize");
        ASSERT_NE(def, nullptr);
        ASSERT_TRUE(parseVec(def, defW, defH));

        std::set<int> ids;
        std::vector<Rect> regions;
        int invisibleColliders = 0, decorations = 0, polygons = 0;
        for (const TiXmlElement* tile = root->FirstChildElement("Tile"); tile; tile = tile->NextSiblingElement("Tile")) {
            int id = 0;
            tile->QueryIntAttribute("id", &id);
            const std::string what = "tile " + std::to_string(id);
            EXPECT_GT(id, 0) << "0 marks an empty cell in the map rows";
            EXPECT_TRUE(ids.insert(id).second) << what << " appears twice";

            const char* pos = tile->Attribute("position");
            ASSERT_NE(pos, nullptr) << what;
            double x, y, w = defW, h = defH;
            ASSERT_TRUE(parseVec(pos, x, y)) << what;
            if (const char* size = tile->Attribute("size")) {
                ASSERT_TRUE(parseVec(size, w, h)) << what;
            }
            const Rect rc{static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
            ASSERT_TRUE(rc.x >= 0 && rc.y >= 0 && rc.w > 0 && rc.h > 0 && rc.x + rc.w <= image.w &&
                        rc.y + rc.h <= image.h) << what << " lies outside " << imageName;
            for (const Rect& other : regions) {
                EXPECT_FALSE(rc.x < other.x + other.w && other.x < rc.x + rc.w && rc.y < other.y + other.h &&
                             other.y < rc.y + rc.h) << what << " overlaps another tile's picture";
            }
            regions.push_back(rc);

            int visible = 1;
            tile->QueryIntAttribute("visible", &visible);
            if (visible) {
                EXPECT_GT(measure(image, rc).covered, 0.05) << what << " is drawn but empty";
            }

            const TiXmlElement* shapes = tile->FirstChildElement("Shapes");
            if (!shapes) {
                ++decorations;
                continue;
            }
            int count = 0;
            for (const TiXmlElement* s = shapes->FirstChildElement(); s; s = s->NextSiblingElement()) {
                ++count;
                const std::string kind = s->Value();
                if (kind == "PolygonShape") {
                    ++polygons;
                    const char* vertices = s->Attribute("vertices");
                    ASSERT_NE(vertices, nullptr) << what;
                    EXPECT_EQ(polygonProblem(parseVertices(vertices)), "") << what << ": " << vertices;
                } else {
                    EXPECT_EQ(kind, "Simple1x1BoxShape") << what;
                }
            }
            EXPECT_GT(count, 0) << what << " has an empty Shapes element";
            if (!visible)
                ++invisibleColliders;
        }
        EXPECT_GT(invisibleColliders, 0) << "levels need an invisible wall";
        EXPECT_GT(decorations, 0);
        EXPECT_GT(polygons, 0);
    }
    EXPECT_GT(tileSets, 0);
}

TEST(TileSetAssets, PolygonCheckRejectsWhatThePhysicsCannotUse)
{
    // Guards the check above: the unit box passes; its mirror image, a concave
    // shape, a sliver and a ninth vertex do not.
    EXPECT_EQ(polygonProblem(parseVertices("(0, 0),(1, 0),(1, 1),(0, 1)")), "");
    EXPECT_EQ(polygonProblem(parseVertices("(0, 0),(0, 1),(1, 1),(1, 0)")), "not convex or wound the wrong way");
    EXPECT_EQ(polygonProblem(parseVertices("(0, 0),(1, 0),(0.5, 0.5),(1, 1),(0, 1)")),
              "not convex or wound the wrong way");
    EXPECT_EQ(polygonProblem(parseVertices("(0, 1),(1, 0.97),(1, 1)")), "too thin");
    EXPECT_EQ(polygonProblem(parseVertices("(0, 0),(0.2, 0),(0.4, 0),(0.6, 0),(0.8, 0),(1, 0),(1, 0.5),(1, 1),(0, 1)")),
              "9 vertices");
}

}  // namespace
