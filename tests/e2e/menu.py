"""The credits and the hidden sandbox, reached from the main menu with the keyboard."""

import time

from zorbel_e2e import Game, check, run


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
    "credits_and_sandbox_open_from_the_menu_and_lead_back": credits_and_sandbox_open_from_the_menu_and_lead_back,
})
