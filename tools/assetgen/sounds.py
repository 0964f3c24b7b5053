"""The four sound cues, synthesised from noise, pulses and resonant filters.

All are 22050 Hz, 16-bit, stereo (the mixer's own format), brought to one
loudness, faded in and out so they start and stop without a click."""

import math
import struct

from .common import Rng

RATE = 22050
TARGET_RMS = 0.16     # about -16 dBFS over the sound's loud part
PEAK_LIMIT = 0.89     # never above -1 dBFS
FADE_IN = 0.004
FADE_OUT = 0.030


class Biquad:
    """Band-pass resonator (constant peak gain), after the usual cookbook."""

    def __init__(self, freq, q):
        w = 2 * math.pi * freq / RATE
        alpha = math.sin(w) / (2 * q)
        a0 = 1 + alpha
        self.b0, self.b2 = alpha / a0, -alpha / a0
        self.a1, self.a2 = -2 * math.cos(w) / a0, (1 - alpha) / a0
        self.x1 = self.x2 = self.y1 = self.y2 = 0.0

    def run(self, xs):
        b0, b2, a1, a2 = self.b0, self.b2, self.a1, self.a2
        x1, x2, y1, y2 = self.x1, self.x2, self.y1, self.y2
        out = []
        for x in xs:
            y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2
            x2, x1 = x1, x
            y2, y1 = y1, y
            out.append(y)
        self.x1, self.x2, self.y1, self.y2 = x1, x2, y1, y2
        return out


def bank(xs, formants):
    """Parallel resonators: formants is a list of (frequency, q, gain)."""
    out = [0.0] * len(xs)
    for f, q, g in formants:
        for i, y in enumerate(Biquad(f, q).run(xs)):
            out[i] += g * y
    return out


def add(dst, src, at, gain=1.0):
    for i, v in enumerate(src):
        j = at + i
        if 0 <= j < len(dst):
            dst[j] += gain * v


def pan_gains(p):
    """p from -1 (left) to 1 (right), equal power."""
    a = (p + 1) * math.pi / 4
    return math.cos(a), math.sin(a)


# ------------------------------------------------------------------ the cues

def creak(rng):
    """A lid's creak: wood sticking and slipping, the rate of the slips
    rising and falling as the lid swings, ringing the boards' resonances."""
    n = int(0.95 * RATE)
    excite_l = [0.0] * n
    excite_r = [0.0] * n
    phase = 0.0
    for i in range(n):
        t = i / RATE
        rate = 38 + 70 * math.sin(math.pi * t / 0.95) ** 1.5 * (0.8 + 0.2 * math.sin(2 * math.pi * 2.7 * t))
        phase += rate / RATE
        if phase >= 1.0:
            phase -= 1.0
            swing = min(1.0, t / 0.08) * min(1.0, (0.95 - t) / 0.2)
            amp = (0.6 + 0.4 * rng.random()) * swing
            excite_l[i] += amp
            if i + 3 < n:
                excite_r[i + 3] += amp * 0.9
        grit = (rng.random() - 0.5) * 0.04
        excite_l[i] += grit
        excite_r[i] += grit
    wood = [(610, 14, 1.0), (1180, 18, 0.7), (2350, 22, 0.35), (330, 9, 0.5)]
    wood_r = [(640, 14, 1.0), (1230, 18, 0.7), (2290, 22, 0.35), (330, 9, 0.5)]
    return bank(excite_l, wood), bank(excite_r, wood_r)


def rummage(rng):
    """Searching a coffin: rustling cloth and a few knocks on the boards."""
    n = int(1.25 * RATE)
    left, right = [0.0] * n, [0.0] * n
    t = 0.02
    while t < 1.1:
        dur = rng.uniform(0.04, 0.13)
        m = int(dur * RATE)
        burst = []
        for i in range(m):
            env = min(1.0, i / (0.006 * RATE)) * math.exp(-3.5 * i / m)
            burst.append((rng.random() - 0.5) * env)
        burst = Biquad(rng.uniform(1400, 4200), 0.9).run(burst)
        gl, gr = pan_gains(rng.uniform(-0.7, 0.7))
        amp = rng.uniform(0.5, 1.0)
        add(left, burst, int(t * RATE), gl * amp)
        add(right, burst, int(t * RATE), gr * amp)
        t += rng.uniform(0.03, 0.11)
    for _ in range(5):
        at = int(rng.uniform(0.05, 1.05) * RATE)
        click = [0.0] * int(0.09 * RATE)
        click[0] = 1.0
        click[1] = -0.5
        knock = bank(click, [(rng.uniform(180, 320), 7, 1.0), (rng.uniform(700, 900), 10, 0.4)])
        gl, gr = pan_gains(rng.uniform(-0.5, 0.5))
        add(left, knock, at, gl * 2.5)
        add(right, knock, at, gr * 2.5)
    return left, right


def gasp(rng):
    """A crowd's "ohh!": many voices on the vowel o, each gliding down."""
    n = int(1.6 * RATE)
    groups = {
        "low": ([(480, 6, 1.0), (820, 7, 0.55), (2500, 10, 0.12)], [[0.0] * n, [0.0] * n]),
        "high": ([(560, 6, 1.0), (980, 7, 0.5), (2900, 10, 0.12)], [[0.0] * n, [0.0] * n]),
    }
    for v in range(16):
        name = "low" if v % 2 == 0 else "high"
        f0 = rng.uniform(105, 150) if name == "low" else rng.uniform(190, 270)
        onset = rng.uniform(0.0, 0.12)
        length = rng.uniform(1.0, 1.4)
        gl, gr = pan_gains(rng.uniform(-0.8, 0.8))
        amp = rng.uniform(0.6, 1.0)
        dst = groups[name][1]
        phase = rng.random()
        start = int(onset * RATE)
        for i in range(int(length * RATE)):
            j = start + i
            if j >= n:
                break
            t = i / RATE
            # up a little at the intake of breath, then a long fall
            glide = 1.0 + 0.12 * math.exp(-((t - 0.12) / 0.08) ** 2) - 0.22 * (t / length)
            phase += f0 * glide * (1 + 0.01 * math.sin(2 * math.pi * 5.3 * t + v)) / RATE
            saw = 0.0
            if phase >= 1.0:
                phase -= 1.0
                saw = 1.0
            env = min(1.0, t / 0.07) * (1.0 - t / length) ** 1.3
            breath = (rng.random() - 0.5) * 0.25
            s = (saw + breath * (0.6 if t < 0.15 else 0.25)) * env * amp
            dst[0][j] += gl * s
            dst[1][j] += gr * s
    left, right = [0.0] * n, [0.0] * n
    for formants, (gl_buf, gr_buf) in groups.values():
        add(left, bank(gl_buf, formants), 0)
        add(right, bank(gr_buf, formants), 0)
    return left, right


def applause(rng):
    """Applause: thirty-odd pairs of hands, swelling and dying away."""
    n = int(1.85 * RATE)
    groups = [([(1100, 1.6, 1.0)], [[0.0] * n, [0.0] * n]),
              ([(1700, 1.6, 1.0)], [[0.0] * n, [0.0] * n]),
              ([(2600, 1.8, 1.0)], [[0.0] * n, [0.0] * n])]
    clap_len = int(0.012 * RATE)
    for c in range(32):
        gl, gr = pan_gains(rng.uniform(-0.9, 0.9))
        dst = groups[c % 3][1]
        rate = rng.uniform(3.6, 5.4)
        t = rng.uniform(0.0, 0.25)
        while t < 1.8:
            swell = min(1.0, t / 0.3) * (1.0 if t < 1.1 else max(0.0, 1.0 - (t - 1.1) / 0.7))
            amp = rng.uniform(0.6, 1.0) * swell
            at = int(t * RATE)
            for i in range(clap_len):
                j = at + i
                if j >= n:
                    break
                s = (rng.random() - 0.5) * math.exp(-i / (0.0028 * RATE)) * amp
                dst[0][j] += gl * s
                dst[1][j] += gr * s
            t += (1.0 / rate) * rng.uniform(0.85, 1.15)
    left, right = [0.0] * n, [0.0] * n
    for formants, (bl, br) in groups:
        add(left, bank(bl, formants), 0)
        add(right, bank(br, formants), 0)
    return left, right


# ------------------------------------------------------------------ output

def finish(left, right):
    """Remove any offset, bring to the common loudness, fade both ends."""
    n = len(left)
    for ch in (left, right):
        mean = sum(ch) / n
        for i in range(n):
            ch[i] -= mean
    # loudness of the loudest half second, so the quiet tails don't count
    win = RATE // 2
    energy = [l * l + r * r for l, r in zip(left, right)]
    best, acc = 0.0, sum(energy[:win])
    best = acc
    for i in range(win, n):
        acc += energy[i] - energy[i - win]
        best = max(best, acc)
    rms = math.sqrt(best / (2 * min(win, n))) or 1.0
    gain = TARGET_RMS / rms
    fi, fo = int(FADE_IN * RATE), int(FADE_OUT * RATE)
    frames = bytearray()
    for i in range(n):
        g = gain
        if i < fi:
            g *= i / fi
        if i >= n - fo:
            g *= (n - 1 - i) / fo
        frames += struct.pack("<hh", _q(_limit(left[i] * g)), _q(_limit(right[i] * g)))
    return bytes(frames)


KNEE = 0.5


def _limit(v):
    """Soft knee: untouched below KNEE, peaks rounded off below PEAK_LIMIT, so
    claps and knocks reach the same loudness as the steady sounds."""
    a = abs(v)
    if a <= KNEE:
        return v
    a = KNEE + (PEAK_LIMIT - KNEE) * math.tanh((a - KNEE) / (PEAK_LIMIT - KNEE))
    return a if v > 0 else -a


def _q(v):
    return max(-32767, min(32767, int(round(v * 32767))))


def wav(frames):
    return (struct.pack("<4sI4s", b"RIFF", 36 + len(frames), b"WAVE")
            + struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 2, RATE, RATE * 4, 4, 16)
            + struct.pack("<4sI", b"data", len(frames)) + frames)


CUES = {"open.wav": (creak, 11), "search.wav": (rummage, 23),
        "ohh.wav": (gasp, 37), "clap.wav": (applause, 41)}


def build(files):
    for name, (make, seed) in CUES.items():
        left, right = make(Rng(seed))
        files["data/" + name] = wav(finish(left, right))
