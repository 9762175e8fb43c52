"""Plays the real game binary the way a person does: a private X display,
real key presses through xdotool, screenshots through the game's own Print
key, and what OpenAL played captured by its "wave" backend.

Every scenario runs on a copy of data/ in a temporary folder, so the
repository's highscore file is never touched, and leaves no process behind.
"""

import array
import functools
import math
import os
import shutil
import signal
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
        check(bits == 24, f"{path} has {bits} bits per pixel, not 24")
        self.bottom_up = height > 0
        self.height = abs(height)
        self.stride = (self.width * 3 + 3) & ~3
        self.pixels = data[offset:]
        self.path = path

    def pixel(self, x, y):
        """(r, g, b) at x, y counted from the top left."""
        row = self.height - 1 - y if self.bottom_up else y
        i = row * self.stride + x * 3
        b, g, r = self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]
        return (r, g, b)

    def mean(self, x0, y0, x1, y1, step=2):
        """Mean colour of the rectangle [x0, x1) x [y0, y1)."""
        total = [0, 0, 0]
        n = 0
        for y in range(y0, y1, step):
            for x in range(x0, x1, step):
                p = self.pixel(x, y)
                for c in range(3):
                    total[c] += p[c]
                n += 1
        return tuple(t / max(n, 1) for t in total)

    def count(self, x0, y0, x1, y1, predicate, step=2):
        """How many sampled pixels of the rectangle satisfy predicate((r, g, b))."""
        return sum(1 for y in range(y0, y1, step) for x in range(x0, x1, step)
                   if predicate(self.pixel(x, y)))


class Audio:
    """What the game played, read from OpenAL Soft's wave file."""

    # Tones are looked for at half the device rate: the game's beeps and
    # fanfares lie far below 11 kHz, and half the samples halve the work.
    DECIMATE = 2

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        check(data[:4] == b"RIFF" and data[8:12] == b"WAVE", f"{path} is not a WAV file")
        pos = 12
        fmt = None
        samples = b""
        while pos + 8 <= len(data):
            tag, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
            body = data[pos + 8:pos + 8 + size] if tag != b"data" else data[pos + 8:]
            if tag == b"fmt ":
                fmt = struct.unpack_from("<HHIIHH", body, 0)
            elif tag == b"data":
                samples = body  # the size field is only final after a clean close
                break
            pos += 8 + size + (size & 1)
        check(fmt is not None, f"{path} has no format chunk")
        _, self.channels, self.rate, _, _, self.bits = fmt
        check(self.bits in (8, 16, 32), f"{path} has {self.bits}-bit samples")
        self._width = self.bits // 8
        self.frames = len(samples) // (self._width * self.channels)
        self._samples = samples
        self._shares = {}
        self._mono = None

    def duration(self):
        return self.frames / float(self.rate)

    def _frame(self, t):
        return min(self.frames, max(0, int(t * self.rate)))

    def _channels(self, a, b, stride=1):
        """Each channel's samples of frames a, a + stride, ... before b, as numbers in -1..1."""
        step = self.channels * self._width
        raw = array.array({1: "B", 2: "h", 4: "f"}[self._width])
        raw.frombytes(self._samples[a * step:b * step])
        if sys.byteorder != "little":
            raw.byteswap()
        channels = [raw[c::stride * self.channels] for c in range(self.channels)]
        if self._width == 4:
            return channels
        bias, scale = (0, 1 / 32768.0) if self._width == 2 else (128, 1 / 128.0)
        return [array.array("f", ((v - bias) * scale for v in c)) for c in channels]

    def rms(self, start, end):
        """Root mean square level (0..1) between two times in seconds."""
        a, b = self._frame(start), self._frame(end)
        if b <= a:
            return 0.0
        channels = self._channels(a, b, stride=max(1, (b - a) // 20000))
        total = sum(v * v for c in channels for v in c)
        return (total / sum(len(c) for c in channels)) ** 0.5

    def _decode_mono(self, start, end):
        """Decodes [start, end) to one channel at the reduced rate and keeps it for
        the tone measurements that follow."""
        a = self._frame(start) // self.DECIMATE * self.DECIMATE
        columns = [c[k::self.DECIMATE] for c in self._channels(a, self._frame(end))
                   for k in range(self.DECIMATE)]
        scale = 1.0 / len(columns)
        self._mono = (a // self.DECIMATE, array.array("f", (sum(t) * scale for t in zip(*columns))))
        self._shares = {}

    def _share(self, first, count, hz):
        """Share of the energy of `count` reduced-rate samples from sample `first` (counted
        from the file's start) that is a tone at hz: Hann-windowed Goertzel power over the
        window's whole energy. A pure sine at hz gives 1 whatever its level, and loud
        music underneath lowers the share instead of passing for the tone."""
        key = (first, count, hz)
        if key not in self._shares:
            offset, mono = self._mono
            i = first - offset
            share = 0.0
            if 0 <= i and i + count <= len(mono):
                weights, total, squares = _hann(count)
                coeff = 2.0 * math.cos(2.0 * math.pi * hz * self.DECIMATE / self.rate)
                s1 = s2 = energy = 0.0
                for w, v in zip(weights, mono[i:i + count]):
                    x = w * v
                    energy += x * x
                    s1, s2 = x + coeff * s1 - s2, s1
                if energy > 1e-12:
                    power = s1 * s1 + s2 * s2 - coeff * s1 * s2
                    share = 2.0 * power * squares / (total * total * energy)
            self._shares[key] = share
        return self._shares[key]

    def find(self, notes, start, end, least, window=0.04, step=0.01, slack=2):
        """Onsets between two times at which a pattern of tones is heard.

        notes are (offset in seconds, hz): the tone must sound in a window of
        `window` seconds that starts that long after the onset, give or take
        `slack` steps. The pattern counts as heard where the geometric mean of
        the notes' shares (see _share) reaches `least` and every note's share
        reaches a quarter of it: a note half drowned by the music does not lose
        the pattern, a missing note does.
        Returns [(onset, mean share)], the best onset of each time it is heard.
        """
        weakest = least / 4
        length = max(offset for offset, _ in notes) + window
        self._decode_mono(start - slack * step, end + length + slack * step)
        rate = self.rate / self.DECIMATE
        count = int(window * rate)
        hop = int(round(step * rate))
        found = []
        for n in range(int((end - start) / step)):
            onset = start + n * step
            shares = []
            for offset, hz in notes:
                first = int(round((onset + offset) * rate))
                shares.append(max(self._share(first + k * hop, count, hz) for k in range(-slack, slack + 1)))
                if shares[-1] < weakest:
                    break
            if shares[-1] < weakest:
                continue
            mean = math.exp(sum(math.log(share) for share in shares) / len(shares))
            if mean < least:
                continue
            # Onsets closer than the pattern's length are the same sounding of it.
            if found and onset - found[-1][2] < length:
                if mean > found[-1][1]:
                    found[-1] = (onset, mean, found[-1][2])
            else:
                found.append((onset, mean, onset))
        return [(onset, mean) for onset, mean, _ in found]


@functools.lru_cache(maxsize=None)
def _hann(count):
    """Weights of a Hann window of count samples, their sum and their sum of squares."""
    weights = tuple(0.5 - 0.5 * math.cos(2.0 * math.pi * (n + 0.5) / count) for n in range(count))
    return weights, sum(weights), sum(w * w for w in weights)


class Game:
    """One run of build/zorbel on a copy of data/."""

    def __init__(self, name, data_setup=None, audio=True, env=None):
        self.name = name
        self.dir = tempfile.mkdtemp(prefix=f"zorbel-e2e-{name}-")
        shutil.copytree(os.path.join(REPO, "data"), os.path.join(self.dir, "data"))
        if data_setup:
            data_setup(os.path.join(self.dir, "data"))
        self.wave = os.path.join(self.dir, "played.wav")
        self.env = dict(os.environ)
        if audio:
            conf = os.path.join(self.dir, "alsoft.conf")
            with open(conf, "w") as f:
                f.write(f"[general]\ndrivers = wave\n[wave]\nfile = {self.wave}\n")
            self.env["ALSOFT_CONF"] = conf
            self.env["ALSOFT_DRIVERS"] = "wave"
        self.env.update(env or {})
        self.stderr_path = os.path.join(self.dir, "stderr.txt")
        self.proc = None
        self.started = 0.0
        self.ended = None
        self.shots = 0

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, kind, value, tb):
        self.kill()
        os.makedirs(ARTIFACTS, exist_ok=True)
        shots = os.path.join(self.dir, "screenshots")
        if os.path.isdir(shots):
            for f in sorted(os.listdir(shots)):
                subprocess.call(["convert", os.path.join(shots, f),
                                 os.path.join(ARTIFACTS, f"{self.name}-{f[:-4]}.png")])
        if kind is None:
            shutil.rmtree(self.dir, ignore_errors=True)
        else:
            print(f"kept the run's folder for a look: {self.dir}", file=sys.stderr)
            print(self.stderr(), file=sys.stderr)
        return False

    def start(self):
        self.stderr_file = open(self.stderr_path, "w")
        self.proc = subprocess.Popen([os.path.join(BUILD, "zorbel")], cwd=self.dir, env=self.env,
                                     stdout=self.stderr_file, stderr=subprocess.STDOUT)
        self.started = time.time()
        self.wait_for_window()

    def elapsed(self):
        return time.time() - self.started

    def wait_for_window(self, timeout=15.0):
        end = time.time() + timeout
        while time.time() < end:
            check(self.proc.poll() is None, f"the game ended at start-up:\n{self.stderr()}")
            out = subprocess.run(["xdotool", "search", "--name", "Quorvell Zorbel 2010"],
                                 capture_output=True, text=True)
            if out.returncode == 0 and out.stdout.strip():
                self.window = out.stdout.split()[0]
                time.sleep(0.5)  # let the first frames render
                return
            time.sleep(0.1)
        raise Failure("no window titled 'Quorvell Zorbel 2010' appeared")

    def stderr(self):
        if not self.stderr_file.closed:
            self.stderr_file.flush()
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

    def keydown(self, *keys):
        subprocess.check_call(["xdotool", "keydown", *keys])

    def keyup(self, *keys):
        subprocess.check_call(["xdotool", "keyup", *keys])

    def type(self, text):
        subprocess.check_call(["xdotool", "type", "--delay", "60", text])
        time.sleep(0.2)

    def screenshot(self, label=None):
        """Presses Print and returns the written picture."""
        before = self._shot_files()
        self.key("Print", pause=0.0)
        end = time.time() + 5.0
        while time.time() < end:
            new = sorted(self._shot_files() - before)
            if new:
                path = os.path.join(self.dir, "screenshots", new[-1])
                self._wait_until_written(path)
                image = Image(path)
                if label:
                    os.makedirs(ARTIFACTS, exist_ok=True)
                    subprocess.call(["convert", path, os.path.join(ARTIFACTS, f"{self.name}-{label}.png")])
                return image
            time.sleep(0.05)
        raise Failure("Print wrote no screenshot")

    def screenshot_until(self, predicate, label=None, timeout=10.0):
        """Takes screenshots until predicate(image) holds (the machine may be busy); returns that one."""
        end = time.time() + timeout
        while True:
            image = self.screenshot(label)
            if predicate(image) or time.time() > end:
                return image
            time.sleep(0.3)

    @staticmethod
    def _wait_until_written(path, timeout=5.0):
        """A 24-bit 1024x768 picture is complete at its full size; wait for it."""
        full = 54 + 1024 * 768 * 3
        end = time.time() + timeout
        while time.time() < end:
            if os.path.getsize(path) >= full:
                return
            time.sleep(0.05)

    def _shot_files(self):
        shots = os.path.join(self.dir, "screenshots")
        return set(os.listdir(shots)) if os.path.isdir(shots) else set()

    def wait_exit(self, timeout=10.0):
        try:
            status = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the game did not end within {timeout} s")
        self.ended = self.elapsed()
        return status

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if getattr(self, "stderr_file", None):
            self.stderr_file.close()

    def audio(self):
        """What was played so far. After wait_exit the recording is complete, and its
        length tells when the sound device opened: `opened`, in seconds of the run."""
        check(os.path.exists(self.wave), "OpenAL wrote no wave file")
        audio = Audio(self.wave)
        audio.opened = None if self.ended is None else self.ended - audio.duration()
        return audio

    def data_file(self, name):
        return os.path.join(self.dir, "data", name)


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
