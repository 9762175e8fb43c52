#include "engine/Drawing.h"
#include "resources/TestFiles.h"
#include "resources/TextureManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr Pixel kClear{0, 0, 0, 0};
constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kGreen{0, 255, 0, 255};
constexpr Pixel kBlue{0, 0, 255, 255};

Pixel unpack(uint32_t packed)
{
    Pixel p;
    std::memcpy(&p, &packed, sizeof p);
    return p;
}

// A working surface filled from `pixel`, in the texture loader's layout.
SDL_Surface* makeSurface(int w, int h, const std::function<Pixel(int, int)>& pixel)
{
    SDL_Surface* surface = Texture::createRgbaSurface(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Pixel p = pixel(x, y);
            std::memcpy(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + 4 * x, &p, sizeof p);
        }
    return surface;
}

Pixel downscaleOne(const std::function<Pixel(int, int)>& block, DownscaleFilter filter, int side = 2)
{
    SDL_Surface* source = makeSurface(side, side, block);
    SDL_Surface* result = Texture::downscale(source, filter);
    EXPECT_EQ(result->w, side / 2);
    EXPECT_EQ(result->h, side / 2);
    Pixel p;
    std::memcpy(&p, result->pixels, sizeof p);
    SDL_FreeSurface(source);
    SDL_FreeSurface(result);
    return p;
}

TEST(DownscaleTest, TheAlphaWeightedFilterKeepsTransparentColoursOut)
{
    using Block = std::function<Pixel(int, int)>;
    // The transparent texels carry a colour that must not leak into the result.
    const Block oneOpaque = [](int x, int y) { return x == 0 && y == 0 ? kRed : Pixel{0, 255, 0, 0}; };
    const Block allClear = [](int, int) { return Pixel{200, 100, 50, 0}; };
    const Block twoHoles = [](int x, int y) { return y == 1 ? kClear : x == 0 ? kRed : kBlue; };
    const Block oddEdge = [](int x, int y) { return x == 2 || y == 2 ? Pixel{255, 255, 255, 255} : kBlue; };
    const struct {
        const char* what;
        const Block& block;
        DownscaleFilter filter;
        int side;
        Pixel expected;
    } cases[] = {
        {"one opaque, box", oneOpaque, DF_BOX, 2, {63, 0, 0, 63}},
        {"one opaque, weighted", oneOpaque, DF_ALPHA_WEIGHTED, 2, kRed},
        {"all clear, box", allClear, DF_BOX, 2, kClear},
        {"all clear, weighted", allClear, DF_ALPHA_WEIGHTED, 2, kClear},
        {"two holes, box", twoHoles, DF_BOX, 2, {63, 0, 63, 127}},
        {"two holes, weighted", twoHoles, DF_ALPHA_WEIGHTED, 2, {127, 0, 127, 255}},
        {"odd last row and column dropped", oddEdge, DF_BOX, 3, kBlue},
        {"unknown filter", oneOpaque, DownscaleFilter(7), 2, kClear},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(downscaleOne(c.block, c.filter, c.side), c.expected);
    }
}

TEST(PackColorTest, ByteOrderClampingNaNAndEveryByte)
{
    EXPECT_EQ(unpack(Texture::packColor(1.0f, 0.0f, 0.0f, 0.0f)), (Pixel{255, 0, 0, 0}));
    EXPECT_EQ(unpack(Texture::packColor(0.0f, 0.0f, 0.0f, 1.0f)), (Pixel{0, 0, 0, 255}));
    EXPECT_EQ(unpack(Texture::packColor(2.0f, -1.0f, 0.5f, std::numeric_limits<float>::quiet_NaN())),
              (Pixel{255, 0, 127, 0}));
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(unpack(Texture::packColor(b / 255.0f, 0, 0, 0)).r, b);
}

Vec2i levelSize(int level)
{
    Vec2i size(-1, -1);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &size.x);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &size.y);
    return size;
}

std::vector<Pixel> levelPixels(int level)
{
    std::vector<Pixel> pixels(size_t(levelSize(level).x * levelSize(level).y));
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Handle<Texture> loadTexture(const std::string& name, bool mipMapping = true, bool alphaWeighted = false)
{
    ParameterMap parameters;
    if (!mipMapping)
        parameters.set<bool>("mipMapping", false);
    if (alphaWeighted)
        parameters.set<DownscaleFilter>("downscaleFilter", DF_ALPHA_WEIGHTED);
    Handle<Texture> texture = testEngine().getTextureManager()->get(name, parameters);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return texture;
}

TEST(TextureLoadTest, MipmapsGoDownToOnePixelUnlessTurnedOff)
{
    const struct {
        const char* name;
        int width, height;
        bool mipMapping;
        int levels;
    } cases[] = {{"sprites/tex-64x64.tga", 64, 64, true, 7},
                 // Halving both sides would stop at 2x1; GLU goes on to 1x1.
                 {"sprites/tex-64x32.tga", 64, 32, true, 7},
                 {"sprites/tex-1x1.tga", 1, 1, true, 1},
                 {"sprites/tex-nomip.tga", 64, 64, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeTga(c.name, c.width, c.height, [](int, int) { return Pixel{255, 255, 255, 255}; });
        Handle<Texture> texture = loadTexture(c.name, c.mipMapping);
        ASSERT_TRUE(texture && texture->isLoaded());
        EXPECT_EQ(texture->getWidth(), c.width);
        EXPECT_EQ(texture->getHeight(), c.height);
        texture->bind();
        for (int level = 0; level < c.levels; ++level)
            EXPECT_EQ(levelSize(level), Vec2i(std::max(1, c.width >> level), std::max(1, c.height >> level))) << level;
        EXPECT_EQ(levelSize(c.levels).x, 0);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, c.mipMapping ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    }
}

TEST(TextureLoadTest, ChosenFilterBuildsTheLevelsFromTheFilesAlpha)
{
    // Every 2x2 block: one opaque red texel, three transparent green ones.
    auto sparse = [](int x, int y) { return x % 2 == 0 && y % 2 == 0 ? kRed : Pixel{0, 255, 0, 0}; };
    writeTga("sprites/tex-sparse.tga", 16, 16, sparse);

    Handle<Texture> box = loadTexture("sprites/tex-sparse.tga");
    box->bind();
    EXPECT_EQ(levelPixels(0)[0], kRed);
    EXPECT_EQ(levelPixels(0)[1], (Pixel{0, 255, 0, 0}));
    for (const Pixel& p : levelPixels(1))
        ASSERT_EQ(p, (Pixel{63, 0, 0, 63}));
    // Level 2 comes from level 1, not from the file.
    EXPECT_EQ(levelPixels(2)[0], (Pixel{63, 0, 0, 63}));

    Handle<Texture> weighted = loadTexture("sprites/tex-sparse.tga", true, true);
    weighted->bind();
    for (const Pixel& p : levelPixels(1))
        ASSERT_EQ(p, kRed);
}

using TextureBindTest = ScreenTest;

// Texture coordinates are the picture's pixels, whatever format its texels are kept in.
TEST_F(TextureBindTest, GreyPicturesKeepTwoBytesATexelAndLookTheSame)
{
    const struct {
        const char* name;
        Pixel odd;
        GLint format;
    } cases[] = {{"sprites/tex-grey.tga", {200, 200, 200, 255}, GL_LUMINANCE8_ALPHA8},
                 {"sprites/tex-tinted.tga", {200, 200, 201, 255}, GL_RGBA}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeTga(c.name, 4, 4, [&](int x, int y) { return x == 3 && y == 3 ? c.odd : Pixel{90, 90, 90, 255}; });
        Handle<Texture> texture = loadTexture(c.name);
        glEnable(GL_TEXTURE_2D);
        glMatrixMode(GL_PROJECTION);
        texture->bind();
        GLint mode = 0, bound = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(mode, GL_PROJECTION);
        EXPECT_EQ(GLuint(bound), texture->getName());
        glMatrixMode(GL_MODELVIEW);
        GLint format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, c.format);
        texture->drawQuad(Vec2f(0, 0), Vec2f(4, 4), Vec2f(100, 100), Vec2f(104, 104), Texture::QuadBlend::Plain);
        EXPECT_EQ(screenPixel(103, 103), c.odd);
        EXPECT_EQ(screenPixel(100, 100), (Pixel{90, 90, 90, 255}));
    }
}

// Shipped pictures with clear, solid and in-between parts (the near hills: sky,
// ground, skyline) or black and glowing parts (the sign), drawn repeated, at
// their own size and smaller (mip levels), over a coloured screen: leaving parts
// out must give the picture of the whole quad.
TEST_F(TextureBindTest, DrawingWithoutHiddenPartsGivesThePictureOfTheWholeQuad)
{
    ParameterMap withRegions;
    withRegions.set<bool>("findRegions", true);
    Handle<Texture> hills = testEngine().getTextureManager()->get("sprites/bg-hills-near.png", withRegions);
    withRegions.set<bool>("mipMapping", false);
    Handle<Texture> sign = testEngine().getTextureManager()->get("sprites/logo.png", withRegions);
    ASSERT_TRUE(hills->isLoaded() && sign->isLoaded());
    const PictureRegions& regions = hills->getRegions();
    ASSERT_FALSE(regions.getSolid().empty());
    ASSERT_FALSE(regions.getPartial().empty());
    ASSERT_NE(regions.getSolid().front().row, 0) << "the sky is clear";
    ASSERT_LT(sign->getRegions().getLit().size(), size_t(32 * 32));

    const Vec2i size = testEngine().getScreenSize();
    auto draw = [&](const Texture& picture, Texture::QuadBlend blend, bool added, float alpha, float scale) {
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        picture.bind();
        setBlendMode(added ? GL_ONE : GL_SRC_ALPHA, added ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0.9f, 1.0f, 0.8f, alpha);
        const Vec2f texFrom(-300.5f, -40.25f);
        const Vec2f texTo = texFrom + Vec2f(1.7f * float(picture.getWidth()), 1.2f * float(picture.getHeight()));
        picture.drawQuad(texFrom, texTo, Vec2f(3.0f, 5.0f), Vec2f(3.0f, 5.0f) + (texTo - texFrom) * scale, blend);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(bool(glIsEnabled(GL_ALPHA_TEST)), !added);
        std::vector<Pixel> pixels(size_t(size.x * size.y));
        glReadPixels(0, 0, size.x, size.y, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    using Blend = Texture::QuadBlend;
    const struct {
        const Texture& picture;
        Blend blend;
        float alpha, scale;
    } cases[] = {{*hills, Blend::AlphaOpaque, 1.0f, 1.0f}, {*hills, Blend::AlphaOpaque, 1.0f, 0.3f},
                 {*hills, Blend::Alpha, 0.75f, 0.9f}, {*sign, Blend::Added, 1.0f, 0.97f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "blend " << int(c.blend) << ", scale " << c.scale);
        const bool added = c.blend == Blend::Added;
        const std::vector<Pixel> whole = draw(c.picture, Blend::Plain, added, c.alpha, c.scale);
        const std::vector<Pixel> cut = draw(c.picture, c.blend, added, c.alpha, c.scale);
        int worst = 0;
        for (size_t i = 0; i < whole.size(); ++i)
            worst = std::max({worst, std::abs(whole[i].r - cut[i].r), std::abs(whole[i].g - cut[i].g),
                              std::abs(whole[i].b - cut[i].b)});
        EXPECT_LE(worst, 2);
    }
}

} // namespace
