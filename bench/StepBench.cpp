// One fixed step of the game on every shipped level in every mode it lists,
// and the physics sandbox with its ring of 400 bodies full.

#include "BenchKit.h"

#include "engine/Engine.h"
#include "states/GameState.h"
#include "states/PhysicsState.h"

#include <memory>

namespace {

// A minute of play after the countdown, the length of the whole-game run.
const int kMatchSteps = 3600;
const int kSandboxSteps = 600;

// The main loop's tick: events with the drivers' keys, sound voices, the game
// screen's update (every layer and object, the world step with contact
// routing, camera, clock and the mode's rules).
void gameStep(benchmark::State& state, const LevelMode& play)
{
    Match match(play);
    if (!match.ok()) {
        state.SkipWithError(match.problem().empty() ? "the level cannot be played" : match.problem().c_str());
        return;
    }
    match.skipCountdown();
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        times.start();
        match.step();
        times.stop(state);
        match.restartIfOver();
    }
    times.report(state);
}

// A fresh sandbox whose ring has been filled the way F6 fills it: one body
// dropped from the top each step until all 400 slots hold one.
std::unique_ptr<PhysicsState> filledSandbox()
{
    auto sandbox = std::make_unique<PhysicsState>(&benchEngine());
    sandbox->enter(ParameterMap());
    while (sandbox->getBodyCount() < PhysicsState::kSlotCount) {
        sandbox->spawnBody(16.0f, 1.0f);
        sandbox->update();
    }
    return sandbox;
}

// The full ring after the rain stops: the pile settles under 400 bodies.
void sandboxPile(benchmark::State& state)
{
    std::unique_ptr<PhysicsState> sandbox = filledSandbox();
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        times.start();
        sandbox->update();
        times.stop(state);
    }
    times.report(state);
    state.counters["bodies"] = sandbox->getBodyCount();
}

// F6 held with the ring full: every step drops a new body and takes the oldest away.
void sandboxRain(benchmark::State& state)
{
    std::unique_ptr<PhysicsState> sandbox = filledSandbox();
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        times.start();
        sandbox->spawnBody(16.0f, 1.0f);
        sandbox->update();
        times.stop(state);
    }
    times.report(state);
    state.counters["bodies"] = sandbox->getBodyCount();
}

} // namespace

int main(int argc, char** argv)
{
    if (!startBenchmarks(argc, argv))
        return 1;

    for (const LevelMode& play : shippedLevelModes()) {
        benchmark::RegisterBenchmark(("Step/" + play.label).c_str(), gameStep, play)
            ->Iterations(workload(kMatchSteps, 5))
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("Sandbox400/pile", sandboxPile)
        ->Iterations(workload(kSandboxSteps, 5))
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Sandbox400/rain", sandboxRain)
        ->Iterations(workload(kSandboxSteps, 5))
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);

    return runBenchmarks();
}
