// Rendered frames of the game screen on every shipped level, one-player and
// split-screen, next to a bare fill of as many full-window blended, textured
// quads as the level has layers; the menu frame; the buffer swap.
//
// Run at the window size given with --window=WxH (1024x768 by default): at
// 64x48 the same frames cost almost no fill, which leaves the per-frame work
// of the program and the GL's per-call overhead.

#include "BenchKit.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/TextureManager.h"
#include "states/GameState.h"
#include "states/MainMenuState.h"
#include "world/Layer.h"
#include "world/Level.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <map>
#include <memory>

namespace {

const int kFrames = 120;
// Play moves on by this many steps between two measured frames, so the frames
// sample some seconds of driving rather than one camera position.
const int kStepsBetweenFrames = 4;
// Steps driven before the first measured frame, so the views have left the start;
// frames drawn in between let the renderer compile its code for every kind of
// drawing the frame does (a first frame costs a multiple of the later ones).
const int kLeadInSteps = 120;
const int kWarmUpFrames = 4;

int visibleLayers(const Level& level)
{
    int count = 0;
    for (const Layer* layer : level.getLayers())
        count += layer->isVisible() ? 1 : 0;
    return count;
}

void gameFrame(benchmark::State& state, const LevelMode& play)
{
    Engine& engine = benchEngine();
    Match match(play);
    if (!match.ok()) {
        state.SkipWithError(match.problem().empty() ? "the level cannot be played" : match.problem().c_str());
        return;
    }
    match.skipCountdown();
    for (int i = 0; i < workload(kLeadInSteps, 1); ++i) {
        match.step();
        match.restartIfOver();
        if (i % (kLeadInSteps / kWarmUpFrames) == 0) {
            engine.renderCurrentState();
            finishGl();
        }
    }
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        for (int i = 0; i < kStepsBetweenFrames; ++i) {
            match.step();
            match.restartIfOver();
        }
        finishGl();
        times.start();
        engine.renderCurrentState();
        finishGl();
        times.stop(state);
    }
    times.report(state);
    state.counters["layers"] = visibleLayers(*match.game().getLevel());
}

// What the frame's layers would cost as pure fill: the window cleared, then one
// quad over the whole window per layer, blended and alpha-tested like a layer,
// with a mipmapped layer picture at about one texel per pixel.
void drawFill(const Texture& picture, Vec2i size, int layers)
{
    clearViewport(RGBA(0.0f, 0.0f, 0.0f, 1.0f));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, size.x, size.y, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setTexturing(true);
    picture.bind();
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int i = 0; i < layers; ++i) {
        glBegin(GL_QUADS);
        glTexCoord2i(0, 0);
        glVertex2i(0, 0);
        glTexCoord2i(size.x, 0);
        glVertex2i(size.x, 0);
        glTexCoord2i(size.x, size.y);
        glVertex2i(size.x, size.y);
        glTexCoord2i(0, size.y);
        glVertex2i(0, size.y);
        glEnd();
    }
    finishGl();
}

void bareFill(benchmark::State& state, int layers)
{
    Engine& engine = benchEngine();
    Vec2i size = engine.getScreenSize();
    Handle<Texture> picture = engine.getTextureManager()->get("sprites/bg-hills-near.png");
    engine.setViewport(0, 0, size.x, size.y);
    for (int i = 0; i < kWarmUpFrames; ++i)
        drawFill(*picture, size, layers);
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        times.start();
        drawFill(*picture, size, layers);
        times.stop(state);
    }
    times.report(state);
    state.counters["layers"] = layers;
}

void menuFrame(benchmark::State& state)
{
    Engine& engine = benchEngine();
    if (!engine.findState("MainMenu"))
        engine.registerState(new MainMenuState(&engine));
    engine.pushState("MainMenu", ParameterMap());
    for (int i = 0; i < kWarmUpFrames; ++i) {
        engine.tick();
        engine.renderCurrentState();
        finishGl();
    }
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        engine.tick();
        finishGl();
        times.start();
        engine.renderCurrentState();
        finishGl();
        times.stop(state);
    }
    times.report(state);
    engine.popState();
}

// Handing a finished frame to the X server: a copy of the whole window under
// the software renderer.
void swapBuffers(benchmark::State& state)
{
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        finishGl();
        times.start();
        SDL_GL_SwapBuffers();
        finishGl();
        times.stop(state);
    }
    times.report(state);
}

// The visible layers of each level, counted from one load of it.
std::map<std::string, int> layerCounts(const std::vector<LevelMode>& workloads)
{
    std::map<std::string, int> counts;
    for (const LevelMode& play : workloads) {
        if (counts.count(play.file))
            continue;
        ParameterMap params = matchParameters(play.mode, play.file);
        std::unique_ptr<Level> level(Level::load(&benchEngine(), "levels/" + play.file, &params));
        counts[play.file] = level ? visibleLayers(*level) : 0;
    }
    return counts;
}

void registerFrame(const std::string& name, void (*run)(benchmark::State&, const LevelMode&),
                   const LevelMode& play, int frames)
{
    benchmark::RegisterBenchmark(name.c_str(), run, play)
        ->Iterations(frames)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    if (!startBenchmarks(argc, argv))
        return 1;

    // Per level its first one-player mode and its first two-player mode; a
    // level that lists no mode of a kind has no such frame in the game either.
    std::vector<LevelMode> workloads = shippedLevelModes();
    std::map<std::string, int> layers = layerCounts(workloads);
    std::map<std::string, bool> seen;
    for (const LevelMode& play : workloads) {
        std::string stem = play.file.substr(0, play.file.rfind('.'));
        std::string kind = isTwoPlayerMode(play.mode) ? "split" : "1P";
        if (seen[stem + kind])
            continue;
        seen[stem + kind] = true;
        registerFrame("Frame/" + stem + "/" + kind, gameFrame, play, workload(kFrames));
        if (!seen[stem]) {
            seen[stem] = true;
            benchmark::RegisterBenchmark(("Fill/" + stem).c_str(), bareFill, layers[play.file])
                ->Iterations(workload(kFrames))
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    // The unit the frame budgets are counted in: one full-window layer.
    benchmark::RegisterBenchmark("Fill/oneLayer", bareFill, 1)
        ->Iterations(workload(kFrames))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Frame/MainMenu", menuFrame)
        ->Iterations(workload(kFrames))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Swap", swapBuffers)
        ->Iterations(workload(kFrames))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);

    return runBenchmarks();
}
