"""Broken and missing files on a player's disk: the game says what is wrong and goes on."""

import os
import time

from zorbel_e2e import Game, check, run


def add_bad_levels(data):
    with open(os.path.join(data, "levels", "levels.txt"), "a") as f:
        f.write("\ngibtsnicht.xml kaputt.xml ohnespieler.xml\n")
    with open(os.path.join(data, "levels", "kaputt.xml"), "wb") as f:
        f.write(b"<Level name=\"Kaputt\" supportedGameModes=\"GM_TIME_1P\"><Layers><TileMap")
    # Readable for the menu, but without the players a match needs.
    with open(os.path.join(data, "levels", "ohnespieler.xml"), "w") as f:
        f.write('<Level name="Ohne Spieler" supportedGameModes="GM_STORY GM_TIME_1P" size="(20, 10)">'
                '<Layers><TileMapLayer tileSetFilename="ground.xml" enablePhysics="1">'
                '<Row>1 1 1 1</Row></TileMapLayer></Layers></Level>')


def missing_and_broken_levels_do_not_crash_menu_or_game():
    with Game("badlevels", data_setup=add_bad_levels) as game:
        time.sleep(1.0)
        # The menu skips what it cannot read; the last readable level is the one without players.
        game.key("Left")
        shot = game.screenshot("menu-last-level")
        check(game.alive(), "the menu died on the broken list")
        check(shot.count(20, 176, 620, 208, lambda p: min(p) > 215, step=1) > 40, "the level item is not shown")
        for _ in range(4):
            game.key("Down")
        game.key("Return")  # start the level without players
        time.sleep(2.5)
        check(game.alive(), "the game died on a level without players")
        shot = game.screenshot("back-on-menu")
        check(shot.count(20, int(13.5 * 32), 620, int(14.5 * 32), lambda p: min(p) > 215, step=1) > 40,
              "the game did not return to the menu")
        errors = game.stderr()
        for name in ("gibtsnicht.xml", "kaputt.xml", "player1"):
            check(name in errors, f"nothing was said about {name}:\n{errors}")
        game.key("Escape")
        check(game.wait_exit() == 0, "exit status")


def no_data_directory_still_starts_and_quits():
    def remove_everything(data):
        for root, dirs, files in os.walk(data, topdown=False):
            for name in files:
                os.remove(os.path.join(root, name))
            for name in dirs:
                os.rmdir(os.path.join(root, name))
        os.rmdir(data)

    with Game("nodata", data_setup=remove_everything) as game:
        time.sleep(1.0)
        game.screenshot("nodata")
        check(game.alive(), "the game died without its data")
        errors = game.stderr()
        check("levels.txt" in errors or "levels/" in errors, f"the missing level list was not mentioned:\n{errors}")
        audio = game.audio()
        check(audio.duration() > 0.5 and audio.rms(0.0, audio.duration()) < 0.001,
              "without sound files nothing may be heard")
        game.key("Escape")
        check(game.wait_exit() == 0, "exit status")


def a_damaged_highscore_file_is_reported_and_the_menu_goes_on():
    def damage(data):
        with open(os.path.join(data, "highscore.xml"), "wb") as f:
            f.write(b"<Highscore><Level filename=\"wiese.xml\"><Score name=\"A")

    with Game("badscores", data_setup=damage) as game:
        time.sleep(1.0)
        for _ in range(5):
            game.key("Down")
        game.key("Return")  # no list can be read: the error sound, no crash
        time.sleep(1.0)
        check(game.alive(), "the highscore screen died on a damaged file")
        shot = game.screenshot("damaged-list")
        check(shot.count(20, int(16.5 * 32), 620, int(17.5 * 32), lambda p: min(p) > 215, step=1) > 40,
              "the menu did not stay on its highscore item")
        game.key("Escape")
        check(game.wait_exit() == 0, "exit status")
        check("highscore.xml" in game.stderr(), "the damaged highscore file was not mentioned")


run({
    "missing_and_broken_levels_do_not_crash_menu_or_game": missing_and_broken_levels_do_not_crash_menu_or_game,
    "no_data_directory_still_starts_and_quits": no_data_directory_still_starts_and_quits,
    "a_damaged_highscore_file_is_reported_and_the_menu_goes_on": a_damaged_highscore_file_is_reported_and_the_menu_goes_on,
})
