"""Matches played through the real menu with real key presses."""

import os
import time

from zorbel_e2e import Game, black, check, run

# Tone patterns as (seconds after the sound starts, hz); each offset points a
# little after its note begins, where the note sounds clearest.
# countdown.ogg: three short beeps at 880 Hz a second apart, then a long one at 1760 Hz.
COUNTDOWN = ([(0.04, 880.0), (1.04, 880.0), (2.04, 880.0), (3.05, 1760.0)], 0.5)
# winner.ogg: a horn fanfare G C E G rising, E again, then a chord with a high C on top.
FANFARE = ([(0.10, 392.0), (0.22, 523.25), (0.34, 659.26), (0.48, 783.99),
            (0.82, 659.26), (0.96, 1046.5), (1.16, 1046.5)], 0.12)
# Measured over the game's music (Audio.find): the countdown about 0.9 with its
# weakest beep near 0.8, the fanfare 0.24 to 0.30 with its weakest note 0.07 to
# 0.11. Elsewhere, menu and driving included, the means stay below 0.3 and 0.09
# and each pattern has a note under 0.05 and 0.02. Each pattern is heard where
# its mean reaches the number that follows it.


def pending_orange(p):
    return p[0] > 200 and 90 < p[1] < 170 and p[2] < 80


def is_highscore_screen(shot):
    dark = shot.count(0, 0, 1024, 768, black, step=16)
    return dark > 0.8 * (1024 // 16) * (768 // 16) and shot.count(0, 0, 1024, 768, pending_orange, step=2) > 100


def start_game(game):
    """From the menu's first item: a time trial on the level shown."""
    game.key("Down", "Down", "Down", "Down", "Return")


def heard_once(audio, pattern, earliest, latest, search, what):
    """Checks the pattern is heard exactly once in the stretch `search` and begins
    between earliest and latest, all in seconds of the run (game.elapsed()).
    audio must be the whole recording, taken after the game has ended."""
    start, end = (max(0.0, t - audio.opened) for t in search)
    found = audio.find(*pattern, start, end)
    text = ", ".join(f"{onset:.2f} s ({share:.2f})" for onset, share in found) or "nowhere"
    first, last = earliest - audio.opened, latest - audio.opened
    check(len(found) == 1 and first <= found[0][0] <= last, f"{what} heard at {text} of the recording "
          f"(searched {start:.1f}-{end:.1f} s), not once between {first:.1f} and {last:.1f} s")


def hud_and_view_shown(shot):
    strip = shot.count(0, 0, 200, 768, lambda p: not black(p), step=8)
    check(strip > 0.6 * (200 // 8) * (768 // 8), "the HUD strip on the left is missing")
    view = shot.count(210, 0, 1024, 768, lambda p: not black(p), step=8)
    check(view > 0.8 * (814 // 8) * (768 // 8), "the game view is empty")


def drive_to_the_highscore(game, limit, every, what):
    """Holds accelerate until the highscore screen shows; returns the game time it was last seen not there."""
    game.hold(True, "Up")
    began = time.time()
    while time.time() - began < limit:  # game time may run slower than wall time on a busy machine
        time.sleep(every)
        seen = game.elapsed()
        if is_highscore_screen(game.screenshot()):
            break
    else:
        seen = None
    game.hold(False, "Up")
    check(seen is not None, f"{what} never reached the highscore screen")
    return seen


def enter_name(game, name, label):
    """Types `name` into the highscore screen's entry and returns highscore.xml as written."""
    game.screenshot(label)
    game.key(*["BackSpace"] * 12, pause=0.03)
    game.type(name)
    game.key("Return")
    time.sleep(0.5)
    table = game.data_file("highscore.xml")
    check(os.path.exists(table), "no highscore.xml was written")
    with open(table, "rb") as f:
        return f.read()


def one_player_time_trial_to_the_highscore_and_its_ghost():
    with Game("time1p") as game:
        time.sleep(3.0)  # a stretch of plain menu music, where no countdown may be heard
        start_game(game)
        started = game.elapsed()
        time.sleep(0.6)
        hud_and_view_shown(game.screenshot("countdown"))

        seen = drive_to_the_highscore(game, 150, 2.0, "holding accelerate")
        content = enter_name(game, "Testfahrer", "highscore")
        check(b"Testfahrer" in content and b"wiese.xml" in content, "the entry is not in highscore.xml")
        check(os.path.getsize(game.data_file("wiese.ghost")) > 10000, "the record run was not kept as wiese.ghost")
        # W plays the record run over the list's black screen; Escape comes back to the list.
        game.key("w")
        time.sleep(2.0)
        check(game.screenshot("ghost-watched").count(0, 0, 1024, 700, lambda p: not black(p), step=16) > 1500,
              "W on the highscore screen shows no level")
        game.key("Escape")  # back to the list (test_states checks it is the list)
        time.sleep(0.5)
        game.key("Return")  # leave the list; the level starts again with the record run as its ghost
        # The rider waits; the ghost drives off and is in view for about two seconds of
        # game time after the countdown. Paused, G is the only change between two pictures.
        time.sleep(4.0)
        for attempt in range(12):
            game.key("Pause")
            time.sleep(0.3)
            shown = game.screenshot("back-in-game")
            game.key("g")
            time.sleep(0.3)
            hidden = game.screenshot("ghost-hidden")
            if shown.changed(hidden, 230, 0, 1024, 768) > 20:
                break
            game.key("g", "Pause")
            time.sleep(0.2)
        hud_and_view_shown(shown)
        check(shown.changed(hidden, 230, 0, 1024, 768) > 20, "the second run shows no ghost that G hides")
        check(not any(line.startswith("zorbel:") for line in game.stderr().splitlines()),
              f"the game complained:\n{game.stderr()}")
        game.quit(escapes=2)

        audio = game.audio()
        check(audio.rms(started + 2.0 - audio.opened, audio.duration()) > 0.02, "the match was silent")
        # Once as the match starts: not over the menu, not again while driving.
        heard_once(audio, COUNTDOWN, started - 0.5, started + 5.0, (0.0, seen), "the countdown")
        # The finish comes 3 s of game time before the highscore screen, and
        # game time runs no faster than the wall clock.
        heard_once(audio, FANFARE, seen - 15.0, seen - 2.0, (seen - 15.0, seen), "the winner's fanfare")


if __name__ == "__main__":
    run({
        "one_player_time_trial_to_the_highscore_and_its_ghost": one_player_time_trial_to_the_highscore_and_its_ghost,
    })
