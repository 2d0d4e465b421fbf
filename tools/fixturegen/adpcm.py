"""Sound fixtures for the ADPCM coder, with ffmpeg's own 24 kbit/s coding of each.

For every signal NAME this writes (all raw, 8000 samples/s, mono, 16-bit little-endian):

    adpcm_NAME.pcm      the board's samples, as the encoder takes them
    adpcm_NAME.g726     ffmpeg's g726le encoding (-code_size 3) of the same samples halved
                        and limited to -6144..6143 (fed to ffmpeg times 4, which it divides
                        back out), code words packed least significant bit first
    adpcm_NAME.dec.pcm  ffmpeg's g726le decoding of adpcm_NAME.g726

adpcm_random.g726 holds arbitrary code bytes and adpcm_random.dec.pcm ffmpeg's decoding of
them. Every length is a whole number of 40 ms blocks."""
import math
import os
import random
import struct
import subprocess

RATE = 8000
SECONDS = 10


def _ffmpeg(args):
    subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"] + args,
                   check=True)


def _write(path, samples):
    with open(path, "wb") as f:
        f.write(struct.pack(f"<{len(samples)}h", *samples))


def _read(path):
    data = open(path, "rb").read()
    return list(struct.unpack(f"<{len(data) // 2}h", data))


def _clip16(v):
    return max(-32768, min(32767, int(round(v))))


def _sine(out):
    path = os.path.join(out, "adpcm_sine1k.pcm")
    _ffmpeg(["-f", "lavfi", "-i", f"aevalsrc=0.3*sin(2*PI*1000*t):s={RATE}:d={SECONDS}",
             "-f", "s16le", "-ac", "1", path])
    return _read(path)


class _Resonator:
    """Two-pole band-pass for one formant."""

    def __init__(self, freq, bw):
        r = math.exp(-math.pi * bw / RATE)
        self.a1 = 2 * r * math.cos(2 * math.pi * freq / RATE)
        self.a2 = -r * r
        self.gain = 1 - r
        self.y1 = self.y2 = 0.0

    def step(self, x):
        y = self.gain * x + self.a1 * self.y1 + self.a2 * self.y2
        self.y2, self.y1 = self.y1, y
        return y


def _speech(out):
    """A voice-like signal: a glottal pulse train with a wandering pitch through three
    formants that change every syllable, a syllabic envelope, noisy consonants and pauses."""
    rng = random.Random(726)
    vowels = [(730, 1090, 2440), (270, 2290, 3010), (300, 870, 2240), (530, 1840, 2480),
              (660, 1720, 2410), (490, 1350, 1690)]
    samples = []
    phase = 0.0
    n_total = RATE * SECONDS
    while len(samples) < n_total:
        syllable = int(RATE * rng.uniform(0.12, 0.3))
        formants = [_Resonator(f, 80 + 40 * i) for i, f in enumerate(rng.choice(vowels))]
        pitch0 = rng.uniform(100, 220)
        voiced = rng.random() > 0.2
        level = rng.uniform(0.25, 1.0)
        for i in range(syllable):
            t = i / syllable
            env = math.sin(math.pi * t) ** 0.6 * level
            pitch = pitch0 * (1 + 0.15 * math.sin(2 * math.pi * 3 * i / RATE))
            phase += pitch / RATE
            if voiced:
                src = 1.0 if phase >= 1.0 else 0.0
                src += 0.05 * rng.uniform(-1, 1)
            else:
                src = 0.5 * rng.uniform(-1, 1)
            if phase >= 1.0:
                phase -= 1.0
            v = sum(r.step(src) for r in formants)
            samples.append(v * env)
        pause = int(RATE * rng.choice([0.0, 0.0, 0.05, 0.2]))
        samples.extend(0.0 for _ in range(pause))
    samples = samples[:n_total]
    peak = max(abs(v) for v in samples)
    pcm = [_clip16(v / peak * 11000) for v in samples]
    _write(os.path.join(out, "adpcm_speech.pcm"), pcm)
    return pcm


def _tones(out):
    """Steady tones with abrupt changes (the coder's tone detection and its release),
    silence, input beyond the limit of the scaling, a quiet tone and noise."""
    rng = random.Random(1105)
    pcm = []

    def seg(seconds, fn):
        start = len(pcm)
        for i in range(int(RATE * seconds)):
            pcm.append(_clip16(fn(i / RATE, start + i)))

    seg(0.6, lambda t, n: 9000 * math.sin(2 * math.pi * 1000 * t))
    seg(0.4, lambda t, n: 9000 * math.sin(2 * math.pi * 2700 * t + 1.0))
    seg(0.3, lambda t, n: 0)
    seg(0.6, lambda t, n: 5000 * (math.sin(2 * math.pi * 697 * t) + math.sin(2 * math.pi * 1209 * t)))
    seg(0.5, lambda t, n: 32767 if math.sin(2 * math.pi * 300 * t) >= 0 else -32768)
    seg(0.5, lambda t, n: 30000 * math.sin(2 * math.pi * 440 * t))
    seg(0.5, lambda t, n: 40 * math.sin(2 * math.pi * 1000 * t))
    seg(0.5, lambda t, n: rng.uniform(-20000, 20000))
    seg(0.4, lambda t, n: 9000 * math.sin(2 * math.pi * 3400 * t))
    seg(0.4, lambda t, n: 20000 if (n // 37) % 2 else -20000)
    blocks = -(-len(pcm) // 320)
    pcm.extend([0] * (blocks * 320 - len(pcm)))
    _write(os.path.join(out, "adpcm_tones.pcm"), pcm)
    return pcm


def _reference(out, name, pcm):
    scaled = [max(-6144, min(6143, s >> 1)) * 4 for s in pcm]
    tmp = os.path.join(out, f"adpcm_{name}.scaled.tmp")
    _write(tmp, scaled)
    code = os.path.join(out, f"adpcm_{name}.g726")
    _ffmpeg(["-f", "s16le", "-ar", str(RATE), "-ac", "1", "-i", tmp,
             "-c:a", "g726le", "-code_size", "3", "-f", "g726le", code])
    os.remove(tmp)
    _decode(out, name)


def _decode(out, name):
    _ffmpeg(["-f", "g726le", "-code_size", "3", "-ar", str(RATE), "-i",
             os.path.join(out, f"adpcm_{name}.g726"), "-f", "s16le",
             os.path.join(out, f"adpcm_{name}.dec.pcm")])


def make(out):
    for name, fn in (("sine1k", _sine), ("speech", _speech), ("tones", _tones)):
        _reference(out, name, fn(out))
    rng = random.Random(3)
    with open(os.path.join(out, "adpcm_random.g726"), "wb") as f:
        f.write(bytes(rng.randrange(256) for _ in range(120 * 200)))
    _decode(out, "random")
