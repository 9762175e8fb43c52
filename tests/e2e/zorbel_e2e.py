"""Plays the real game binary the way a person does: real key presses through xdotool,
screenshots through its Print key, what OpenAL played through its "wave" backend; on a
copy of data/, so the repository's highscore file is never touched."""

import array
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("ZORBEL_BUILD_DIR", os.path.join(REPO, "build"))
ARTIFACTS = os.path.join(BUILD, "e2e")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Image:
    """A screenshot: 24-bit BMP as the game writes it."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        check(data[:2] == b"BM", f"{path} is not a BMP file")
        offset = struct.unpack_from("<I", data, 10)[0]
        self.width, height = struct.unpack_from("<ii", data, 18)
        bits = struct.unpack_from("<H", data, 28)[0]
        check(bits == 24 and height > 0, f"{path} is not a bottom-up BMP of 24 bits per pixel")
        self.height = height
        self.stride = (self.width * 3 + 3) & ~3
        self.pixels = data[offset:]

    def pixel(self, x, y):
        """(r, g, b) at x, y counted from the top left."""
        i = (self.height - 1 - y) * self.stride + x * 3
        b, g, r = self.pixels[i:i + 3]
        return (r, g, b)

    def count(self, x0, y0, x1, y1, predicate, step=2):
        """How many sampled pixels of the rectangle satisfy predicate((r, g, b))."""
        return sum(1 for y in range(y0, y1, step) for x in range(x0, x1, step)
                   if predicate(self.pixel(x, y)))

    def changed(self, other, x0, y0, x1, y1):
        """How many sampled pixels differ clearly from another screenshot."""
        return sum(1 for y in range(y0, y1, 8) for x in range(x0, x1, 8)
                   if max(abs(p - q) for p, q in zip(self.pixel(x, y), other.pixel(x, y))) > 30)

    def item_lit(self, item):
        """Whether menu item `item` (0 at the top) is drawn highlighted in white."""
        return self.item_count(item, white) > 40

    def item_count(self, item, predicate):
        top = int(MENU_ITEM_TOPS[item] * 32)
        return self.count(20, top, 620, top + 32, predicate, step=1)


# Tops of the main menu's items, in its 32-pixel rows.
MENU_ITEM_TOPS = [5.5, 7.5, 9.5, 11.5, 13.5, 16.5, 18.5, 21.5]


def white(p):
    return min(p) > 215


def black(p):
    return max(p) < 20


class Audio:
    """What the game played, read from OpenAL Soft's wave file (16-bit samples, see Game)."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        check(data[:4] == b"RIFF" and data[8:12] == b"WAVE", f"{path} is not a WAV file")
        pos = 12
        fmt = None
        while data[pos:pos + 4] != b"data" and pos + 8 <= len(data):
            size = struct.unpack_from("<I", data, pos + 4)[0]
            if data[pos:pos + 4] == b"fmt ":
                fmt = struct.unpack_from("<HHIIHH", data, pos + 8)
            pos += 8 + size + (size & 1)
        check(fmt is not None and fmt[5] == 16, f"{path} has no 16-bit format chunk")
        _, self.channels, self.rate, _, _, _ = fmt
        # The data chunk's size field is only final after a clean close: take what is there.
        self._samples = array.array("h", data[pos + 8:len(data) - (len(data) - pos - 8) % (2 * self.channels)])
        if sys.byteorder != "little":
            self._samples.byteswap()
        self.frames = len(self._samples) // self.channels

    def duration(self):
        return self.frames / float(self.rate)

    def _frame(self, t):
        return min(self.frames, max(0, int(t * self.rate)))

    def rms(self, start, end):
        """Root mean square level (0..1) between two times in seconds."""
        a, b = self._frame(start), self._frame(end)
        if b <= a:
            return 0.0
        # At most about 20000 frames, the stride crossing over between the channels.
        stride = max(1, (b - a) // 20000) * self.channels + self.channels - 1
        values = self._samples[a * self.channels:b * self.channels:stride]
        return (sum(v * v for v in values) / len(values)) ** 0.5 / 32768.0


class Game:
    """One run of build/zorbel on a copy of data/, or of an installed `program` (player's files
    in `player_files`, screenshots in `shots`), from a fresh temporary folder."""

    def __init__(self, name, data_setup=None, env=None, program=None, player_files=None, shots=None, args=()):
        self.name = name
        self.args = list(args)
        self.dir = tempfile.mkdtemp(prefix=f"zorbel-e2e-{name}-")
        self.program = program or os.path.join(BUILD, "zorbel")
        self.files = player_files or os.path.join(self.dir, "data")
        self.shots = shots or os.path.join(self.dir, "screenshots")
        if program is None:
            shutil.copytree(os.path.join(REPO, "data"), self.files)
        if data_setup:
            data_setup(self.files)
        self.wave = os.path.join(self.dir, "played.wav")
        conf = os.path.join(self.dir, "alsoft.conf")
        with open(conf, "w") as f:
            f.write(f"[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = {self.wave}\n")
        # `env` may name another OpenAL driver, or one that does not exist.
        # The run's own settings folder: the player's choices neither steer nor record a run.
        self.env = {**os.environ, "ALSOFT_CONF": conf, "ALSOFT_DRIVERS": "wave",
                    "XDG_CONFIG_HOME": os.path.join(self.dir, "config"), **(env or {})}
        self.stderr_path = os.path.join(self.dir, "stderr.txt")
        self.ended = None

    def __enter__(self):
        self.stderr_file = open(self.stderr_path, "w")
        self.proc = subprocess.Popen([self.program, *self.args], cwd=self.dir, env=self.env,
                                     stdout=self.stderr_file, stderr=subprocess.STDOUT)
        self.started = time.time()
        while self.elapsed() < 15.0:
            check(self.proc.poll() is None, f"the game ended at start-up:\n{self.stderr()}")
            out = subprocess.run(["xdotool", "search", "--name", "Quorvell Zorbel 2010"],
                                 capture_output=True, text=True)
            if out.returncode == 0 and out.stdout.strip():
                time.sleep(0.5)  # let the first frames render
                return self
            time.sleep(0.1)
        self.kill()
        raise Failure("no window titled 'Quorvell Zorbel 2010' appeared")

    def __exit__(self, kind, value, tb):
        self.kill()
        if kind is None:
            shutil.rmtree(self.dir, ignore_errors=True)
        else:
            print(f"kept the run's folder for a look: {self.dir}", file=sys.stderr)
            print(self.stderr(), file=sys.stderr)
        return False

    def elapsed(self):
        return time.time() - self.started

    def stderr(self):
        """What the game wrote to stderr and stdout so far."""
        with open(self.stderr_path, errors="replace") as f:
            return f.read()

    def alive(self):
        return self.proc.poll() is None

    def key(self, *keys, hold=0.0, pause=0.15):
        """Taps each key; with hold > 0 the key is held that many seconds."""
        for k in keys:
            check(self.alive(), f"the game is gone before key {k}:\n{self.stderr()}")
            if hold > 0:
                subprocess.check_call(["xdotool", "keydown", k])
                time.sleep(hold)
                subprocess.check_call(["xdotool", "keyup", k])
            else:
                subprocess.check_call(["xdotool", "key", k])
            time.sleep(pause)

    def hold(self, down, *keys):
        """Presses (down) or releases the keys and leaves them so."""
        subprocess.check_call(["xdotool", "keydown" if down else "keyup", *keys])

    def type(self, text):
        subprocess.check_call(["xdotool", "type", "--delay", "60", text])
        time.sleep(0.2)

    def screenshot(self, label=None, until=None, timeout=10.0):
        """Presses Print and returns the written picture; with `until`, takes pictures
        until until(picture) holds or `timeout` seconds have passed (the machine may be busy)."""
        give_up = time.time() + timeout
        while True:
            before = self._shot_files()
            self.key("Print", pause=0.0)
            end = time.time() + 5.0
            while not (new := sorted(self._shot_files() - before)):
                check(time.time() < end, "Print wrote no screenshot")
                time.sleep(0.05)
            path = os.path.join(self.shots, new[-1])
            # A 24-bit 1024x768 picture is complete at its full size.
            while os.path.getsize(path) < 54 + 1024 * 768 * 3 and time.time() < end:
                time.sleep(0.05)
            image = Image(path)
            if label:
                os.makedirs(ARTIFACTS, exist_ok=True)
                subprocess.call(["convert", path, os.path.join(ARTIFACTS, f"{self.name}-{label}.png")])
            if until is None or until(image) or time.time() > give_up:
                return image
            time.sleep(0.3)

    def screen(self, label):
        """The whole X screen as a person sees it, bars and all (ImageMagick's import)."""
        path = os.path.join(self.dir, f"screen-{label}.bmp")
        subprocess.check_call(["import", "-window", "root", f"BMP3:{path}"])
        os.makedirs(ARTIFACTS, exist_ok=True)
        subprocess.call(["convert", path, os.path.join(ARTIFACTS, f"{self.name}-{label}.png")])
        return Image(path)

    def _shot_files(self):
        """The finished pictures; one being written is a temporary file beside them."""
        names = os.listdir(self.shots) if os.path.isdir(self.shots) else []
        return {name for name in names if name.endswith(".bmp")}

    def wait_exit(self, what="the game", timeout=10.0):
        """Waits for the game to end and expects it to end cleanly, with status 0."""
        try:
            status = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{what} did not end within {timeout} s")
        self.ended = self.elapsed()
        check(status == 0, f"{what} ended with status {status}")

    def quit(self, escapes=1):
        """Presses Escape `escapes` times, a second apart, and expects a clean exit."""
        for n in range(escapes):
            time.sleep(1.0 if n else 0.0)
            self.key("Escape")
        self.wait_exit()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.stderr_file.close()

    def audio(self):
        """What was played so far. After wait_exit the recording is complete, and its
        length tells when the sound device opened: `opened`, in seconds of the run."""
        check(os.path.exists(self.wave), "OpenAL wrote no wave file")
        audio = Audio(self.wave)
        audio.opened = None if self.ended is None else self.ended - audio.duration()
        return audio

    def data_file(self, name):
        """A file in the folder the game writes the player's files to."""
        return os.path.join(self.files, name)


def run(scenarios):
    """Runs the named scenario functions; exits non-zero on the first failure."""
    names = sys.argv[1:] or list(scenarios)
    for name in names:
        began = time.time()
        try:
            scenarios[name]()
        except Failure as e:
            print(f"FAILED {name}: {e}")
            sys.exit(1)
        print(f"ok {name} ({time.time() - began:.1f} s)")
