#include "Playback.h"

#include "ReplayHost.h"

#include <cstdio>

MatchState play(ReplayHost& host, const Replay& replay, PlaybackView* view)
{
    host.begin(replay.settings);
    size_t next = 0;
    const std::vector<KeyEvent> none;
    for (uint32_t tick = 1; tick <= replay.ticks; ++tick) {
        bool due = next < replay.input.size() && replay.input[next].tick == tick;
        host.step(due ? replay.input[next++].events : none);
        if (!view)
            continue;
        if (view->screenshotAt.count(tick) && !view->screenshotDir.empty()) {
            std::string file = host.screenshot(view->screenshotDir);
            if (file.empty())
                std::fprintf(stderr, "zorbel: %s: no screenshot after step %u\n", replay.settings.level.c_str(),
                             unsigned(tick));
            else
                view->written.push_back(file);
        } else if (view->render) {
            host.render();
        }
    }
    MatchState state = host.state();
    host.end();
    return state;
}

Verdict verify(ReplayHost& host, const Replay& replay, PlaybackView* view)
{
    Verdict verdict;
    verdict.actual = play(host, replay, view);
    verdict.differences = compareStates(replay.expected, verdict.actual, replay.tolerances);
    verdict.identical = sameState(replay.expected, verdict.actual);
    for (const Condition& condition : replay.requirements) {
        if (!holds(verdict.actual, condition))
            verdict.unmet.push_back(describe(condition));
    }
    return verdict;
}
