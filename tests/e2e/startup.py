"""Start-up and shutdown of the real program."""

import shutil
import time

from zorbel_e2e import Game, check, run


def starts_and_ends_on_escape():
    with Game("startup") as game:
        def lit(image):
            return image.count(0, 0, 1024, 768, lambda p: sum(p) > 60, step=8)
        shot = game.screenshot("first-screen", until=lambda image: lit(image) > 100)
        check(shot.width == 1024 and shot.height == 768, f"screenshot is {shot.width}x{shot.height}")
        check(lit(shot) > 100, "the first screen is black")
        game.quit()
        warnings = [l for l in game.stderr().splitlines() if l.startswith("zorbel:")]
        check(not warnings, "the shipped data gives warnings:\n" + "\n".join(warnings))


def runs_silent_without_an_audio_device():
    with Game("no-audio", env={"ALSOFT_DRIVERS": "no-such-backend"}) as game:
        game.screenshot()
        game.quit()
        lines = [l for l in game.stderr().splitlines() if "audio" in l]
        check(len(lines) == 1, f"expected one warning about audio, got: {lines}")


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
    "starts_and_ends_on_escape": starts_and_ends_on_escape,
    "runs_silent_without_an_audio_device": runs_silent_without_an_audio_device,
    "no_data_directory_still_starts_and_quits": no_data_directory_still_starts_and_quits,
})
