"""A minute of random key presses across every screen (fixed seed).

Built with the sanitizers (make test-sanitize, which gives it two minutes)
this also proves that no press sequence reaches a memory error or undefined
behaviour. Whenever the
monkey quits the game (Escape on the menu, "Beenden"), the exit must be
clean and a new game is started; at the end the game must still answer
Escape.
"""

import os
import random
import time

from zorbel_e2e import Game, check, run

KEYS = (["Up"] * 6 + ["Down"] * 6 + ["Left"] * 4 + ["Right"] * 4 + ["Return"] * 4
        + ["w", "a", "s", "d", "space", "Control_R", "F6", "F7", "F5", "Pause", "BackSpace",
           "x", "y", "udiaeresis", "1", "2", "Tab", "Home"] + ["Escape"])
HOLDABLE = {"Up", "w", "Right", "d", "F6", "F7", "space"}
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def random_keys_on_every_screen():
    rng = random.Random(20101)
    end = time.time() + float(os.environ.get("ZORBEL_MONKEY_SECONDS", "60"))
    games = presses = 0
    while time.time() < end:
        games += 1
        with Game(f"monkey{games}") as game:
            while time.time() < end and game.alive():
                key = rng.choice(KEYS)
                if key == "Escape" and rng.random() < 0.6:
                    continue  # keep the monkey in deeper screens more often than not
                hold = rng.uniform(0.2, 1.5) if key in HOLDABLE and rng.random() < 0.3 else 0.0
                try:
                    game.key(key, hold=hold, pause=rng.uniform(0.02, 0.2))
                except Exception:
                    if game.alive():
                        raise
                presses += 1
                if presses % 150 == 0 and game.alive():
                    game.screenshot()
            # Time is up, or the monkey quit the game: either way it must end cleanly.
            for _ in range(12):
                if not game.alive():
                    break
                game.key("Escape", pause=0.6)
            game.wait_exit(timeout=15)
            errors = game.stderr()
            check(not any(mark in errors for mark in SANITIZER_MARKS), f"sanitizer report:\n{errors}")
    print(f"{presses} presses over {games} runs of the game")


run({"random_keys_on_every_screen": random_keys_on_every_screen})
