"""The game installed like any desktop game: run from anywhere, it reads the data
installed beside it and the player's own levels, and writes only into the
player's home."""

import os
import shutil
import subprocess
import tempfile

from game import drive_to_the_highscore, enter_name, start_game
from zorbel_e2e import BUILD, Game, check, run

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


def installed_game_runs_from_anywhere_and_writes_only_into_the_home():
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
        # A level of the player's own, listed after the shipped ones: the meadow under another name.
        os.makedirs(os.path.join(player, "levels"))
        with open(os.path.join(share, "zorbel", "levels", "wiese.xml"), "rb") as f:
            meadow = f.read().replace(b'name="Sonnige Wiese"', b'name="Meine Wiese"')
        with open(os.path.join(player, "levels", "meine.xml"), "wb") as f:
            f.write(meadow)
        with open(os.path.join(player, "levels", "levels.txt"), "w") as f:
            f.write("meine.xml\n")
        with Game("install", env=env, program=os.path.join(usr, "bin", "zorbel"), player_files=player,
                  shots=os.path.join(player, "screenshots")) as game:
            menu = game.screenshot("menu", until=lambda shot: shot.item_lit(0))
            check(menu.item_lit(0), "the installed game shows no menu")
            game.key("Left")  # from the first level round to the last: the player's own
            game.screenshot("own-level")
            start_game(game)
            drive_to_the_highscore(game, 150, 2.0, "the installed game's time trial on the player's level")
            content = enter_name(game, "Installiert", "highscore")
            check(b"Installiert" in content and b'filename="meine.xml"' in content,
                  "the entry for the player's own level is not in the player's highscore.xml")
            game.key("Return")
            game.quit(escapes=2)
            check(sorted(os.listdir(game.dir)) == ["alsoft.conf", "played.wav", "stderr.txt"],
                  f"the game wrote into its working directory: {sorted(os.listdir(game.dir))}")
            warnings = [line for line in game.stderr().splitlines() if line.startswith("zorbel:")]
            check(not warnings, "the installed game gives warnings:\n" + "\n".join(warnings))
        changed = sorted(set(before.items()) ^ set(tree(dest).items()))
        check(not changed, f"the game changed its installation: {changed}")
    finally:
        subprocess.run(["chmod", "-R", "u+w", work])
        shutil.rmtree(work, ignore_errors=True)


run({
    "installed_game_runs_from_anywhere_and_writes_only_into_the_home":
        installed_game_runs_from_anywhere_and_writes_only_into_the_home,
})
