"""Start-up and shutdown of the real program, and how its picture reaches the screen.
These scenarios run on a 1920x1080 display (see tests/CMakeLists.txt)."""

import shutil
import subprocess
import time

from zorbel_e2e import Game, black, check, run, white


def coloured(p):
    return max(p) - min(p) > 40


def item_blue(p):
    return p[2] > 150 and p[1] > 110 and p[0] < 90


def shows_picture(screen, left, top, width, height, bar, what):
    """The screen holds the picture at (left, top, width, height), black bars `bar` wide beside it."""
    for x0 in (left - bar, left + width):
        check(screen.count(x0, top, x0 + bar, top + height, lambda p: not black(p), step=4) == 0,
              f"{what}: the bar from x = {x0} is not black")
    total = (width // 8) * (height // 8)
    check(screen.count(left, top, left + width, top + height, lambda p: not black(p), step=8) > 0.05 * total,
          f"{what}: no picture between the bars")


def window_geometry():
    out = subprocess.run(["xdotool", "search", "--name", "Quorvell Zorbel 2010", "getwindowgeometry", "--shell"],
                         capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def starts_opens_credits_and_sandbox_and_ends_on_escape():
    with Game("startup") as game:
        shot = game.screenshot("menu", until=lambda image: image.item_lit(0))
        # The game's own screenshot is the picture at 1024x768; the screen shows it between bars.
        check((shot.width, shot.height) == (1024, 768), f"the screenshot is {shot.width}x{shot.height}")
        # The chosen item in white, the others in light blue; test_states moves the choice.
        check(shot.item_lit(0) and all(shot.item_count(i, white) < 5 and shot.item_count(i, item_blue) > 40
                                       for i in range(1, 8)), "the first screen shows no menu on its first item")
        shows_picture(game.screen("menu"), 240, 0, 1440, 1080, 240, "full screen")
        time.sleep(3.0)
        audio = game.audio()
        check(audio.rms(0.0, 0.1) < 0.005 and audio.rms(1.5, 3.0) > 0.01, "the menu music does not fade in")
        # The program has the credits (Up twice, to the item above Beenden) and the hidden
        # sandbox (F5) in place; what they show and do is driven through them by test_states.
        game.key("Up", "Up", "Return")
        time.sleep(4.0)  # the heading rises from below the dark lower edge
        check(game.screenshot("credits").count(0, 0, 1024, 768, lambda p: max(p) > 120, step=4) > 50,
              "no credits text is visible")
        game.key("Escape", pause=1.0)
        game.key("F5", pause=1.2)
        check(game.screenshot("sandbox").count(0, 120, 1024, 768, lambda p: abs(p[0] - 128) < 20 and p[2] > 230,
                                               step=8) > 2000, "F5 did not open the sandbox's blue-grey box")
        game.key("Escape", pause=1.0)
        game.quit()
        warnings = [l for l in game.stderr().splitlines() if l.startswith("zorbel:")]
        check(not warnings, "the shipped data gives warnings:\n" + "\n".join(warnings))


def runs_silent_without_an_audio_device():
    with Game("no-audio", env={"ALSOFT_DRIVERS": "no-such-backend"}) as game:
        game.screenshot()
        game.quit()
        lines = [l for l in game.stderr().splitlines() if "audio" in l]
        check(len(lines) == 1, f"expected one warning about audio, got: {lines}")


def window_and_f11_during_a_match():
    with Game("window", args=["--window=1280x720"]) as game:
        x, y, width, height = window_geometry()
        check((width, height) == (1280, 720), f"the window is {width}x{height}")
        menu = game.screen("menu")
        check(menu.count(x, y, x + 1280, y + 720, coloured, step=8) > 100, "the window shows no menu")
        shows_picture(menu, x + 160, y, 960, 720, 160, "window")
        game.key("Down", "Down", "Down", "Down", "Return")  # a time trial on the first level
        time.sleep(4.0)
        game.hold(True, "Up")
        before = game.screenshot("before-f11")

        toggled = game.elapsed()
        game.key("F11", pause=1.5)
        screen = game.screen("match-full-screen")
        shows_picture(screen, 240, 0, 1440, 1080, 240, "after F11")
        # Lost textures would leave white or black quads where the level's pictures were.
        view = screen.count(528, 0, 1680, 1080, coloured, step=8)
        check(view > 0.7 * (1152 // 8) * (1080 // 8), "the level's pictures are gone after F11")
        check(screen.count(240, 0, 528, 1080, lambda p: not black(p), step=8) > 0.6 * (288 // 8) * (1080 // 8),
              "the HUD strip is gone after F11")
        after = game.screenshot("after-f11")
        check(after.changed(before, 0, 0, 1024, 768) > 50, "the match stood still over F11")
        # F11 back to the window: tests/engine/DisplayTest.cpp.
        game.hold(False, "Up")
        game.quit(escapes=2)
        audio = game.audio()
        check(audio.rms(toggled + 0.5 - audio.opened, toggled + 3.0 - audio.opened) > 0.01,
              "the game fell silent over F11")


def no_data_directory_still_starts_and_quits():
    with Game("nodata", data_setup=shutil.rmtree) as game:
        time.sleep(1.0)
        game.screenshot("nodata")
        check(game.alive(), "the game died without its data")
        errors = game.stderr()
        check("levels.txt" in errors or "levels/" in errors, f"the missing level list was not mentioned:\n{errors}")
        audio = game.audio()
        check(audio.duration() > 0.5 and audio.rms(0.0, audio.duration()) < 0.001,
              "without sound files nothing may be heard")
        game.quit()


run({
    "starts_opens_credits_and_sandbox_and_ends_on_escape": starts_opens_credits_and_sandbox_and_ends_on_escape,
    "runs_silent_without_an_audio_device": runs_silent_without_an_audio_device,
    "window_and_f11_during_a_match": window_and_f11_during_a_match,
    "no_data_directory_still_starts_and_quits": no_data_directory_still_starts_and_quits,
})
