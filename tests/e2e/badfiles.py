"""Broken and missing files on a player's disk: the game says what is wrong and goes on."""

import os
import shutil
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
        check(shot.item_lit(0), "the level item is not shown")
        for _ in range(4):
            game.key("Down")
        game.key("Return")  # start the level without players
        time.sleep(2.5)
        check(game.alive(), "the game died on a level without players")
        shot = game.screenshot("back-on-menu")
        check(shot.item_lit(4), "the game did not return to the menu")
        errors = game.stderr()
        for name in ("gibtsnicht.xml", "kaputt.xml", "player1"):
            check(name in errors, f"nothing was said about {name}:\n{errors}")
        game.quit()


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
        check(shot.item_lit(5), "the menu did not stay on its highscore item")
        game.quit()
        check("highscore.xml" in game.stderr(), "the damaged highscore file was not mentioned")


run({
    "missing_and_broken_levels_do_not_crash_menu_or_game": missing_and_broken_levels_do_not_crash_menu_or_game,
    "no_data_directory_still_starts_and_quits": no_data_directory_still_starts_and_quits,
    "a_damaged_highscore_file_is_reported_and_the_menu_goes_on": a_damaged_highscore_file_is_reported_and_the_menu_goes_on,
})
