"""MPEG-4 streams made with rate control: a D1 stream with two B pictures whose quantiser
climbs until the encoder skips macroblocks of its P pictures (decoder tests), and the
matrix of streams the decoder benchmark runs (D1 and CIF; I only, I/P, I/P/B; 1 and
4 Mbit/s; testsrc2 with and without noise)."""
import os
from concurrent.futures import ThreadPoolExecutor

from decoder_inter import _stream

PLAIN = "testsrc2=size={w}x{h}:rate=25"
NOISY = PLAIN + ",noise=alls=6:allf=t"
CLOSED = ["-g", "12", "-flags", "+cgop", "-sc_threshold", "1000000000"]
STRUCTURES = {
    "i": ["-g", "1"],
    "ip": ["-g", "12"],
    "ipb": CLOSED + ["-bf", "2", "-b_strategy", "0"],
}


def make(out_dir):
    jobs = [("rate_d1_ipb2_4m", NOISY, 704, 576, 36,
             CLOSED + ["-bf", "2", "-b_strategy", "0", "-b:v", "4M"], True)]
    for size, (w, h, frames) in {"d1": (704, 576, 48), "cif": (352, 288, 120)}.items():
        for kind, args in STRUCTURES.items():
            for rate in ("1m", "4m"):
                for noise in (False, True):
                    name = f"bench_{size}_{kind}_{rate}" + ("_noise" if noise else "")
                    jobs.append((name, NOISY if noise else PLAIN, w, h, frames,
                                 args + ["-b:v", rate.upper()], False))
    with ThreadPoolExecutor(max_workers=4) as pool:
        for f in [pool.submit(_stream, out_dir, *job) for job in jobs]:
            f.result()
