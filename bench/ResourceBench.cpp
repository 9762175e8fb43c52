// The mip chain of a 1024x1024 picture with each of the program's downscale
// filters, and measuring and drawing a 200-character text with each font.

#include "BenchKit.h"

#include "engine/Engine.h"
#include "resources/Font.h"
#include "resources/FontManager.h"
#include "resources/Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL_image.h>

namespace {

const int kChains = 20;
const int kTexts = 500;

// The menu's sign, the largest square picture the game ships, in the texture
// loader's pixel layout.
SDL_Surface* squarePicture()
{
    SDL_Surface* image = IMG_Load("data/sprites/logo.png");
    if (!image)
        return nullptr;
    SDL_Surface* rgba = Texture::createRgbaSurface(image->w, image->h);
    SDL_SetAlpha(image, 0, 0);
    SDL_SetAlpha(rgba, 0, 0);
    SDL_BlitSurface(image, nullptr, rgba, nullptr);
    SDL_FreeSurface(image);
    return rgba;
}

void mipChain(benchmark::State& state, DownscaleFilter filter)
{
    SDL_Surface* picture = squarePicture();
    if (!picture || picture->w != 1024 || picture->h != 1024) {
        state.SkipWithError("data/sprites/logo.png is not a 1024x1024 picture");
        if (picture)
            SDL_FreeSurface(picture);
        return;
    }
    for (auto _ : state) {
        SDL_Surface* level = picture;
        while (level->w > 1 && level->h > 1) {
            SDL_Surface* next = Texture::downscale(level, filter);
            if (level != picture)
                SDL_FreeSurface(level);
            level = next;
        }
        benchmark::DoNotOptimize(level->pixels);
        SDL_FreeSurface(level);
    }
    SDL_FreeSurface(picture);
}

// 200 bytes of menu and HUD German, umlauts as Latin-1 bytes, four lines.
std::string sampleText()
{
    std::string text =
        "Spieler 1 f\xFChrt mit 12 Punkten vor Spieler 2.\n"
        "Rekordzeit 01:23.45 - Zeit, 2 Spieler - King of the Hill\n"
        "Gr\xFC\xDF" "e an alle Fahrer der sch\xF6nen Schlucht!\n"
        "Capture the ZORBELlnut: bring die Nuss heim.";
    text.resize(200, '.');
    return text;
}

Font* font(const std::string& name)
{
    return benchEngine().getFontManager()->get("fonts/" + name + ".fnt").get();
}

void measureText(benchmark::State& state, const std::string& name)
{
    Font* f = font(name);
    std::string text = sampleText();
    for (auto _ : state)
        benchmark::DoNotOptimize(f->measure(24.0f, text));
}

// Drawn in window pixels, 24 pixels a line, as the menus draw their items.
void drawText(benchmark::State& state, const std::string& name)
{
    Engine& engine = benchEngine();
    Font* f = font(name);
    std::string text = sampleText();
    Vec2i size = engine.getScreenSize();
    engine.setViewport(0, 0, size.x, size.y);
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        finishGl();
        times.start();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0.0, size.x, size.y, 0.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        f->draw(Vec2f(10.0f, 10.0f), 24.0f, RGBA(1.0f, 1.0f, 0.0f, 1.0f), text);
        finishGl();
        times.stop(state);
    }
    times.report(state);
}

} // namespace

int main(int argc, char** argv)
{
    if (!startBenchmarks(argc, argv))
        return 1;

    benchmark::RegisterBenchmark("MipChain1024/box", mipChain, DF_BOX)
        ->Iterations(workload(kChains))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MipChain1024/alphaWeighted", mipChain, DF_ALPHA_WEIGHTED)
        ->Iterations(workload(kChains))
        ->Unit(benchmark::kMillisecond);
    for (const char* name : {"arial", "bellgothic"}) {
        benchmark::RegisterBenchmark(("Text200/measure/" + std::string(name)).c_str(), measureText, name)
            ->Iterations(workload(kTexts * 20))
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Text200/draw/" + std::string(name)).c_str(), drawText, name)
            ->Iterations(workload(kTexts))
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }

    return runBenchmarks();
}
