#include "resources/TestFiles.h"
#include "resources/TextureManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

TEST(TextureCacheTest, EqualParameterMapsShareOneTextureThatStaysCached)
{
    writeTga("sprites/cache-test.tga", 4, 4, [](int, int) { return Pixel{255, 255, 255, 255}; });
    TextureManager& textures = *testEngine().getTextureManager();
    Texture* first = textures.get("sprites/cache-test.tga").get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getRefCount(), 1) << "only the cache holds a released texture";
    Handle<Texture> plain = textures.get("sprites/cache-test.tga", ParameterMap());
    EXPECT_EQ(plain.get(), first);
    EXPECT_EQ(plain->getFilename(), scratchDir() + "sprites/cache-test.tga");

    ParameterMap noMip1, noMip2;
    noMip1.set<bool>("mipMapping", false);
    noMip2.set<bool>("mipMapping", false);
    Handle<Texture> flat = textures.get("sprites/cache-test.tga", noMip1);
    EXPECT_EQ(flat.get(), textures.get("sprites/cache-test.tga", noMip2).get());
    EXPECT_NE(flat.get(), first);
    EXPECT_EQ(flat->getParameters().get<DownscaleFilter>("downscaleFilter"), DF_BOX) << "defaults fill the rest";

    // A default spelled out is another entry with the same parameters.
    ParameterMap explicitDefault;
    explicitDefault.set<DownscaleFilter>("downscaleFilter", DF_BOX);
    Handle<Texture> spelled = textures.get("sprites/cache-test.tga", explicitDefault);
    EXPECT_NE(spelled.get(), first);
    EXPECT_EQ(spelled->getParameters().toString(), plain->getParameters().toString());

    size_t before = textures.size();
    EXPECT_FALSE(textures.get(""));
    EXPECT_EQ(textures.size(), before);

    ::testing::internal::CaptureStderr();
    Handle<Texture> a = textures.get("sprites/cache-test-missing.png");
    Handle<Texture> b = textures.get("sprites/cache-test-missing.png");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(err), 1) << "a missing file is reported once: " << err;
    EXPECT_NE(err.find("sprites/cache-test-missing.png"), std::string::npos);
    EXPECT_EQ(a.get(), b.get());

    // Dropping what nobody holds keeps the held texture where later loads find it.
    flat.reset();
    spelled.reset();
    textures.dropUnused();
    int entries = 0;
    textures.forEach([&](Texture* t) { entries += t->getFilename().find("cache-test") != std::string::npos; });
    EXPECT_EQ(entries, 1) << "only the held one of the file's three";
    EXPECT_EQ(textures.get("sprites/cache-test.tga").get(), plain.get());
}

} // namespace
