"""The main menu, the credits and the hidden sandbox, played with the keyboard."""

import time

from zorbel_e2e import Game, check, run

ITEM_TOPS = [5.5, 7.5, 9.5, 11.5, 13.5, 16.5, 18.5, 21.5]  # in 32-pixel rows
PIXELS_PER_UNIT = 32


def white(p):
    return min(p) > 215


def item_blue(p):
    return p[2] > 150 and p[1] > 110 and p[0] < 90


def row_has(shot, item, predicate):
    top = int(ITEM_TOPS[item] * PIXELS_PER_UNIT)
    return shot.count(20, top, 620, top + PIXELS_PER_UNIT, predicate, step=1)


def every_item_is_reached_and_escape_quits():
    with Game("menu") as game:
        time.sleep(1.0)
        for step in range(9):
            item = step % 8
            shot = game.screenshot(f"item{item}" if step < 8 else None)
            check(row_has(shot, item, white) > 40, f"item {item} is not highlighted white")
            for other in range(8):
                if other != item:
                    check(row_has(shot, other, white) < 5, f"item {other} is white while {item} is chosen")
                    check(row_has(shot, other, item_blue) > 40, f"item {other} is not drawn in light blue")
            logo = shot.count(640, 40, 1000, 640, lambda p: max(p) > 150, step=4)
            check(logo > 300, "the neon sign on the right is not lit")
            game.key("Down")
        audio = game.audio()
        check(audio.rms(0.0, 0.1) < 0.005, "something is heard before the menu music fades in")
        check(audio.rms(1.5, 3.0) > 0.01, "the menu music is not heard")
        game.key("Escape")
        check(game.wait_exit() == 0, "Escape did not end the program with status 0")


def beenden_quits_and_the_menu_wraps_upwards():
    with Game("beenden") as game:
        game.key("Up")  # from the first item up to the last: "Beenden"
        shot = game.screenshot()
        check(row_has(shot, 7, white) > 40, "Up from the first item does not reach Beenden")
        game.key("Return")
        check(game.wait_exit() == 0, "Beenden did not end the program with status 0")


def credits_scroll_fast_with_space_and_the_monster_screams():
    with Game("credits") as game:
        for _ in range(6):
            game.key("Down")
        game.key("Return")
        time.sleep(4.0)  # the heading rises from below the dark lower edge
        first = game.screenshot("scrolling")
        check(first.count(0, 0, 1024, 768, lambda p: max(p) > 120, step=4) > 50, "no credits text is visible")
        # A pass at full speed takes 6.7 s; the monster (checked frame by frame in
        # the unit tests) jumps out once, and its scream must be heard.
        start = game.elapsed()
        game.key("space", hold=9.0)
        time.sleep(2.5)  # the scream lasts 3 s; let it reach the file
        audio = game.audio()
        music = audio.rms(0.5, 2.0)
        windows = [start + i * 0.25 for i in range(int((audio.duration() - start) * 4))]
        loudest = max(audio.rms(t, t + 0.25) for t in windows)
        check(loudest > music * 1.5 and loudest > 0.05, f"no scream stands out (music {music:.3f}, loudest {loudest:.3f})")
        game.key("Escape")
        time.sleep(1.0)
        shot = game.screenshot()
        check(row_has(shot, 6, white) > 40, "Escape did not return to the menu with Credits chosen")
        game.key("Escape")
        check(game.wait_exit() == 0, "exit status")


def sandbox_rains_and_clears_bodies():
    def bodies(shot):
        def body(p):
            background = abs(p[0] - 128) < 20 and abs(p[1] - 128) < 20 and p[2] > 230
            return not background
        return shot.count(0, 120, 1024, 768, body, step=4)

    with Game("sandbox") as game:
        game.key("F5")
        time.sleep(1.2)
        before = bodies(game.screenshot("start"))
        game.key("F6", hold=2.0)
        time.sleep(1.5)
        full = bodies(game.screenshot("full"))
        check(full > before * 2, f"holding F6 added no bodies ({before} -> {full} pixels)")
        game.key("F7", hold=4.0)
        time.sleep(0.5)
        cleared = bodies(game.screenshot("cleared"))
        check(cleared < full / 2, f"holding F7 did not remove bodies ({full} -> {cleared} pixels)")
        game.key("Escape")
        time.sleep(1.0)
        check(row_has(game.screenshot(), 0, white) > 40, "Escape did not return to the menu")
        game.key("Escape")
        check(game.wait_exit() == 0, "exit status")


run({
    "every_item_is_reached_and_escape_quits": every_item_is_reached_and_escape_quits,
    "beenden_quits_and_the_menu_wraps_upwards": beenden_quits_and_the_menu_wraps_upwards,
    "credits_scroll_fast_with_space_and_the_monster_screams": credits_scroll_fast_with_space_and_the_monster_screams,
    "sandbox_rains_and_clears_bodies": sandbox_rains_and_clears_bodies,
})
