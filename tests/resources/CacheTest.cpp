#include "resources/SearchPath.h"
#include "resources/SoundManager.h"
#include "resources/TestFiles.h"
#include "resources/TextureManager.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchPathTest, DirectoryGetsExactlyOneTrailingSlash)
{
    SearchPathList paths;
    addSearchPath(paths, "data");
    addSearchPath(paths, "data/");
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].directory, "data/");
    EXPECT_EQ(paths[1].directory, "data/");
}

TEST(SearchPathTest, FirstDirectoryOfTheSortedListWins)
{
    writeScratchFile("first/same.txt", "first");
    writeScratchFile("second/same.txt", "second");
    writeScratchFile("second/only-second.txt", "second");

    SearchPathList paths;
    paths.push_back(SearchPath{5, scratchDir() + "second/"});
    // Priority 0 sorts ahead of the entry that was there before.
    addSearchPath(paths, scratchDir() + "first");
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].directory, scratchDir() + "first/");

    EXPECT_EQ(findFile(paths, "same.txt"), scratchDir() + "first/same.txt");
    EXPECT_EQ(findFile(paths, "only-second.txt"), scratchDir() + "second/only-second.txt");
    EXPECT_EQ(findFile(paths, "nowhere.txt"), "");
}

class TextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeTga("sprites/cache-test.tga", 4, 4, [](int, int) { return Pixel{255, 255, 255, 255}; });
    }
    TextureManager& textures() { return *testEngine().getTextureManager(); }
};

TEST_F(TextureCacheTest, EqualParameterMapsShareOneTexture)
{
    Handle<Texture> a = textures().get("sprites/cache-test.tga");
    Handle<Texture> b = textures().get("sprites/cache-test.tga", ParameterMap());
    ASSERT_TRUE(a);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(a->getFilename(), scratchDir() + "sprites/cache-test.tga");

    ParameterMap noMip1, noMip2;
    noMip1.set<bool>("mipMapping", false);
    noMip2.set<bool>("mipMapping", false);
    Handle<Texture> c = textures().get("sprites/cache-test.tga", noMip1);
    EXPECT_EQ(c.get(), textures().get("sprites/cache-test.tga", noMip2).get());
    EXPECT_NE(c.get(), a.get());
    EXPECT_FALSE(c->getParameters().get<bool>("mipMapping"));
    EXPECT_EQ(c->getParameters().get<DownscaleFilter>("downscaleFilter"), DF_BOX);
}

TEST_F(TextureCacheTest, SpelledOutDefaultIsASeparateEntry)
{
    ParameterMap explicitDefault;
    explicitDefault.set<DownscaleFilter>("downscaleFilter", DF_BOX);
    Handle<Texture> plain = textures().get("sprites/cache-test.tga");
    Handle<Texture> spelled = textures().get("sprites/cache-test.tga", explicitDefault);
    EXPECT_NE(plain.get(), spelled.get());
    EXPECT_EQ(plain->getParameters().toString(), spelled->getParameters().toString());
}

TEST_F(TextureCacheTest, EmptyNameCreatesNothing)
{
    size_t before = textures().size();
    EXPECT_FALSE(textures().get(""));
    EXPECT_EQ(textures().size(), before);
}

TEST_F(TextureCacheTest, ReleasedTextureStaysCached)
{
    Texture* first = textures().get("sprites/cache-test.tga").get();
    // Only the cache's own reference is left once the handle is gone.
    EXPECT_EQ(first->getRefCount(), 1);
    Handle<Texture> again = textures().get("sprites/cache-test.tga");
    EXPECT_EQ(again.get(), first);
    EXPECT_EQ(first->getRefCount(), 2);
}

TEST_F(TextureCacheTest, MissingFileIsReportedOnce)
{
    ::testing::internal::CaptureStderr();
    Handle<Texture> a = textures().get("sprites/cache-test-missing.png");
    Handle<Texture> b = textures().get("sprites/cache-test-missing.png");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(err), 1) << err;
    EXPECT_NE(err.find("sprites/cache-test-missing.png"), std::string::npos);
    ASSERT_TRUE(a);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_FALSE(a->isLoaded());
}

TEST(SoundCacheTest, SpelledOutStreamingFalseIsASecondSound)
{
    testEngine();
    writeOgg("sounds/cache-test.ogg", 1, 22050, 0.05);
    SoundManager& sounds = *testEngine().getSoundManager();
    ParameterMap notStreaming;
    notStreaming.set<bool>("streaming", false);
    Handle<Sound> plain = sounds.get("sounds/cache-test.ogg");
    Handle<Sound> spelled = sounds.get("sounds/cache-test.ogg", notStreaming);
    ASSERT_TRUE(plain && spelled);
    EXPECT_NE(plain.get(), spelled.get());
    EXPECT_FALSE(plain->isStreaming());
    EXPECT_FALSE(spelled->isStreaming());
    EXPECT_EQ(plain.get(), sounds.get("sounds/cache-test.ogg").get());
}

} // namespace
