#include "Recorder.h"

#include "ReplayHost.h"

#include "engine/Engine.h"

namespace {

// Whether the queue holds Escape or the window's close event, without taking anything from it.
bool stopRequested()
{
    SDL_PumpEvents();
    SDL_Event events[64];
    int count = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_KEYDOWN) | SDL_EVENTMASK(SDL_QUIT));
    for (int i = 0; i < count; ++i) {
        if (events[i].type == SDL_QUIT || events[i].key.keysym.sym == SDLK_ESCAPE)
            return true;
    }
    return false;
}

} // namespace

bool isDecided(GameMode mode, const MatchState& state)
{
    if (mode == GM_TIME_1P || mode == GM_TIME_2P) {
        for (const PlayerState& player : state.players) {
            if (player.present && player.finishTime == 0.0f)
                return false;
        }
        return state.players[0].present;
    }
    if (mode == GM_CTZ || mode == GM_KOH)
        return state.winner != -1;
    return false;
}

void record(ReplayHost& host, const MatchSettings& settings, const RecordLimits& limits, Replay& replay)
{
    replay = Replay();
    replay.settings = settings;
    Engine& engine = host.getEngine();
    host.begin(settings);
    const double stepMs = 1000.0 / 60.0;
    double due = SDL_GetTicks();
    uint32_t decidedAt = 0;
    int skipped = 0;
    while (!stopRequested()) {
        if (limits.maxTicks != 0 && host.ticks() >= limits.maxTicks)
            break;
        if (decidedAt != 0 && limits.afterDecided >= 0.0f &&
            float(host.ticks() - decidedAt) * engine.getFrameTime() >= limits.afterDecided)
            break;
        double now = SDL_GetTicks();
        if (now < due)
            SDL_Delay(Uint32(due - now));
        due += stepMs;
        host.step();
        if (!host.lastEvents().empty())
            replay.input.push_back(TickInput{host.ticks(), host.lastEvents()});
        if (decidedAt == 0 && isDecided(settings.mode, host.state()))
            decidedAt = host.ticks();
        // Like the game's main loop: when drawing cannot keep up, up to four steps share one frame.
        if (SDL_GetTicks() <= due || ++skipped == 4) {
            host.render();
            skipped = 0;
        }
    }
    replay.expected = host.state();
    replay.ticks = host.ticks();
    host.end();
}
