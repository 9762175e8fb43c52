#!/bin/sh
# Tries a driving script over a range of starts, each a few steps later after
# the countdown than the one before, and counts how often its require lines hold. The physics is
# chaotic, so a level's trap (or its intended line) is proven by a sweep, not
# by a single run.
# Usage (from the repository root, with a display or under scripts/headless):
#   tests/replays/sweep.sh level mode script [starts, default 20] [steps apart, default 3] [build dir]
set -eu
level=$1 mode=$2 script=$3
starts=${4:-20} apart=${5:-3} tool="${6:-build}/zorbel-replay"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
held=0
i=0
while [ "$i" -lt "$starts" ]; do
    {
        echo "until player1 controls == 1 within 600"
        [ "$i" -eq 0 ] || echo "wait $((i * apart))"
        cat "$script"
    } > "$scratch/run.script"
    if "$tool" script "$level" "$mode" "$scratch/run.script" -o "$scratch/run.replay" >/dev/null 2>&1; then
        held=$((held + 1))
        echo "start +$((i * apart)): holds"
    else
        echo "start +$((i * apart)): fails"
    fi
    i=$((i + 1))
done
echo "$script: $held of $starts starts hold"
