"""The main menu, the credits and the hidden sandbox, played with the keyboard."""

import time

from zorbel_e2e import Game, check, run, white


def item_blue(p):
    return p[2] > 150 and p[1] > 110 and p[0] < 90


def every_item_is_reached_both_ways_and_beenden_quits():
    with Game("menu") as game:
        time.sleep(1.0)
        for step in range(9):
            item = step % 8
            shot = game.screenshot(f"item{item}" if step < 8 else None)
            check(shot.item_lit(item), f"item {item} is not highlighted white")
            for other in range(8):
                if other != item:
                    check(shot.item_count(other, white) < 5, f"item {other} is white while {item} is chosen")
                    check(shot.item_count(other, item_blue) > 40, f"item {other} is not drawn in light blue")
            game.key("Down")
        audio = game.audio()
        check(audio.rms(0.0, 0.1) < 0.005, "something is heard before the menu music fades in")
        check(audio.rms(1.5, 3.0) > 0.01, "the menu music is not heard")
        game.key("Up", "Up")  # back to the first item, and up from it to the last: "Beenden"
        check(game.screenshot().item_lit(7), "Up from the first item does not reach Beenden")
        game.key("Return")
        game.wait_exit("Beenden")


def credits_and_sandbox_open_from_the_menu_and_lead_back():
    # What they show and do is driven through the same screens by test_states;
    # here the program itself must have them in place.
    with Game("credits") as game:
        for _ in range(6):
            game.key("Down")
        game.key("Return")
        time.sleep(4.0)  # the heading rises from below the dark lower edge
        shot = game.screenshot("credits")
        check(shot.count(0, 0, 1024, 768, lambda p: max(p) > 120, step=4) > 50, "no credits text is visible")
        game.key("Escape")
        time.sleep(1.0)
        check(game.screenshot().item_lit(6), "Escape did not return to the menu with Credits chosen")
        game.key("F5")
        time.sleep(1.2)
        sandbox = game.screenshot("sandbox")
        check(sandbox.count(0, 120, 1024, 768, lambda p: abs(p[0] - 128) < 20 and p[2] > 230, step=8) > 2000,
              "F5 did not open the sandbox's blue-grey box")
        game.key("Escape")
        time.sleep(1.0)
        check(game.screenshot().item_lit(6), "Escape did not leave the sandbox for the menu")
        game.quit()


run({
    "every_item_is_reached_both_ways_and_beenden_quits": every_item_is_reached_both_ways_and_beenden_quits,
    "credits_and_sandbox_open_from_the_menu_and_lead_back": credits_and_sandbox_open_from_the_menu_and_lead_back,
})
