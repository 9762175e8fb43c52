#!/bin/sh
# Makes every replay in this folder again from its driving script.
# Usage (from the repository root, with a display or under scripts/headless):
#   tests/replays/remake.sh [build directory, default build]
# Afterwards `zorbel-replay verify tests/replays/*.replay` must pass, and a
# changed replay belongs in the same commit as the change that moved the game.
set -eu
tool="${1:-build}/zorbel-replay"
dir=tests/replays
s=$dir/scripts

make() { # output level mode script [options]
    out=$1; shift
    "$tool" script "$@" -o "$dir/$out.replay" >/dev/null
    echo "$dir/$out.replay"
}

make wiese-1p wiese.xml GM_TIME_1P $s/hold-accelerate-1p.script
make wiese-2p wiese.xml GM_TIME_2P $s/hold-accelerate-2p.script
make schlucht-1p schlucht.xml GM_TIME_1P $s/schlucht-1p.script
make schlucht-2p schlucht.xml GM_TIME_2P $s/hold-accelerate-2p.script
make teufelsgrat-1p teufelsgrat.xml GM_TIME_1P $s/teufelsgrat-1p.script
make teufelsgrat-2p teufelsgrat.xml GM_TIME_2P $s/teufelsgrat-2p.script
make teufelsgrat-hold teufelsgrat.xml GM_TIME_1P $s/teufelsgrat-hold.script
make nussjagd-story nussjagd.xml GM_STORY $s/nussjagd-story.script
make nussjagd-spikes nussjagd.xml GM_STORY $s/nussjagd-spikes.script
make mutternarena-ctz mutternarena.xml GM_CTZ $s/mutternarena-ctz.script
make koenigshuegel-koh koenigshuegel.xml GM_KOH $s/koenigshuegel-koh.script
make koenigshuegel-koh-life koenigshuegel.xml GM_KOH $s/koenigshuegel-koh-life.script
# Input for the benchmarks and the whole-game run: both players driving.
make mutternarena-ctz-both mutternarena.xml GM_CTZ $s/mutternarena-ctz-both.script --points 200
make koenigshuegel-koh-both koenigshuegel.xml GM_KOH $s/koenigshuegel-koh-both.script --points 200
make spielplatz-story spielplatz.xml GM_STORY $s/spielplatz-story.script --points 200
