"""The game installed like any desktop game: run from anywhere, it reads the data
installed beside it, writes only into the player's home, and a time trial played
through the real menu with real key presses keeps its record run as a ghost."""

import os
import shutil
import subprocess
import tempfile
import time

from zorbel_e2e import BUILD, Game, black, check, run

ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]


def tree(root):
    """Every file and folder under root with its size and modification time."""
    found = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            found[os.path.relpath(path, root)] = (info.st_size, info.st_mtime_ns)
    return found


def pending_orange(p):
    return p[0] > 200 and 90 < p[1] < 170 and p[2] < 80


def is_highscore_screen(shot):
    dark = shot.count(0, 0, 1024, 768, black, step=16)
    return dark > 0.8 * (1024 // 16) * (768 // 16) and shot.count(0, 0, 1024, 768, pending_orange, step=2) > 100


def start_game(game):
    """From the menu's first item: a time trial on the level shown."""
    game.key("Down", "Down", "Down", "Down", "Return")


def hud_and_view_shown(shot):
    strip = shot.count(0, 0, 200, 768, lambda p: not black(p), step=8)
    check(strip > 0.6 * (200 // 8) * (768 // 8), "the HUD strip on the left is missing")
    view = shot.count(210, 0, 1024, 768, lambda p: not black(p), step=8)
    check(view > 0.8 * (814 // 8) * (768 // 8), "the game view is empty")


def drive_to_the_highscore(game, limit, every, what):
    """Holds accelerate until the highscore screen shows."""
    game.hold(True, "Up")
    began = time.time()
    reached = False
    while not reached and time.time() - began < limit:  # game time may run slower than wall time on a busy machine
        time.sleep(every)
        reached = is_highscore_screen(game.screenshot())
    game.hold(False, "Up")
    check(reached, f"{what} never reached the highscore screen")


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


def installed_game_races_to_the_highscore_and_its_ghost_writing_only_into_the_home():
    work = tempfile.mkdtemp(prefix="zorbel-e2e-install-")
    dest = os.path.join(work, "dest")
    usr = os.path.join(dest, "usr")
    share = os.path.join(usr, "share")
    try:
        subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr"], check=True, stdout=subprocess.DEVNULL,
                       env={**os.environ, "DESTDIR": dest})
        wanted = ["bin/zorbel", "share/zorbel/levels/levels.txt", "share/zorbel/LICENSES", "share/man/man6/zorbel.6",
                  "share/applications/org.quorvell.zorbel.desktop", "share/metainfo/org.quorvell.zorbel.metainfo.xml"]
        wanted += [f"share/icons/hicolor/{n}x{n}/apps/zorbel.png" for n in ICON_SIZES]
        missing = [name for name in wanted if not os.path.isfile(os.path.join(usr, name))]
        check(not missing, f"not installed: {missing}")
        check(not os.path.exists(os.path.join(share, "zorbel", "highscore.xml")), "a highscore file was installed")
        for command in (["desktop-file-validate", os.path.join(share, "applications", "org.quorvell.zorbel.desktop")],
                        ["appstreamcli", "validate", "--no-net", "--pedantic",
                         os.path.join(share, "metainfo", "org.quorvell.zorbel.metainfo.xml")]):
            done = subprocess.run(command, capture_output=True, text=True)
            check(done.returncode == 0 and "E:" not in done.stdout and "W:" not in done.stdout,
                  f"{command[0]} finds fault:\n{done.stdout}{done.stderr}")

        # Read-only like a system-wide installation (root could still write, so the tree is compared too).
        subprocess.run(["chmod", "-R", "a-w", os.path.join(share, "zorbel")], check=True)
        before = tree(dest)
        home = os.path.join(work, "home")
        player = os.path.join(work, "xdg-data", "zorbel")
        env = {"HOME": home, "XDG_DATA_HOME": os.path.dirname(player), "XDG_CONFIG_HOME": os.path.join(work, "xdg-config")}
        with Game("install", env=env, program=os.path.join(usr, "bin", "zorbel"), player_files=player,
                  shots=os.path.join(player, "screenshots")) as game:
            menu = game.screenshot("menu", until=lambda shot: shot.item_lit(0))
            check(menu.item_lit(0), "the installed game shows no menu")
            start_game(game)
            started = game.elapsed()
            time.sleep(0.6)
            hud_and_view_shown(game.screenshot("countdown"))
            drive_to_the_highscore(game, 150, 2.0, "holding accelerate")
            content = enter_name(game, "Testfahrer", "highscore")
            check(b"Testfahrer" in content and b'filename="wiese.xml"' in content,
                  "the entry is not in the player's highscore.xml")
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
            check(sorted(os.listdir(game.dir)) == ["alsoft.conf", "played.wav", "stderr.txt"],
                  f"the game wrote into its working directory: {sorted(os.listdir(game.dir))}")
            # Which sounds start when is test_states' (VoiceCounter); the countdown's beeps, SoundAssetsTest's.
            audio = game.audio()
            check(audio.rms(started + 2.0 - audio.opened, audio.duration()) > 0.02, "the match was silent")
        changed = sorted(set(before.items()) ^ set(tree(dest).items()))
        check(not changed, f"the game changed its installation: {changed}")
    finally:
        subprocess.run(["chmod", "-R", "u+w", work])
        shutil.rmtree(work, ignore_errors=True)


run({
    "installed_game_races_to_the_highscore_and_its_ghost_writing_only_into_the_home":
        installed_game_races_to_the_highscore_and_its_ghost_writing_only_into_the_home,
})
