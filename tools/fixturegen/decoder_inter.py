"""MPEG-4 streams with P and B pictures for the decoder tests and benchmark.

Each NAME.m4v of the tests comes with NAME.yuv (ffmpeg's decode, display order) and
NAME.hdr, as made by decoder.py. Streams with B pictures use closed groups of pictures,
so every B picture follows the P picture it leans on, as a board packs them; the noise
keeps the encoder from skipping macroblocks of those P pictures."""
import os
import subprocess
from concurrent.futures import ThreadPoolExecutor

from decoder import _reference

NOISE = "noise=alls=6:allf=t"
STILL = "testsrc2=size={w}x{h}:rate=25," + NOISE
# The picture slides by 24 and 12 pixels a picture: vectors beyond the 32-pixel border
# once the search reaches far enough.
FAST = "testsrc2=size={w}x{h}:rate=25,scroll=h=0.07:v=0.042," + NOISE


def _encode(path, source, w, h, frames, args):
    subprocess.run(
        ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
         "-f", "lavfi", "-i", source.format(w=w, h=h), "-frames:v", str(frames),
         "-c:v", "mpeg4", "-threads", "1", "-bitexact", "-qmin", "1"] + args + ["-f", "m4v", path],
        check=True)


def _stream(out, name, source, w, h, frames, args, reference=True):
    stem = os.path.join(out, name)
    _encode(stem + ".m4v", source, w, h, frames, args)
    if reference:
        _reference(stem)


def make(out_dir):
    gop = ["-g", "12"]
    closed = gop + ["-flags", "+cgop", "-sc_threshold", "1000000000"]
    jobs = [
        ("inter_cif_ip", STILL, 352, 288, 300, gop + ["-qscale:v", "5"]),
        ("inter_cif_ip_q2", STILL, 352, 288, 300, gop + ["-qscale:v", "2"]),
        ("inter_cif_mv4", STILL, 352, 288, 300, gop + ["-flags", "+mv4", "-qscale:v", "4"]),
        ("inter_cif_fast", FAST, 352, 288, 300, gop + ["-me_range", "64", "-qscale:v", "5"]),
        ("inter_cif_fast_mv4", FAST, 352, 288, 300,
         gop + ["-flags", "+mv4", "-me_range", "64", "-qscale:v", "8"]),
        ("inter_cif_ipb1", STILL, 352, 288, 300, closed + ["-bf", "1", "-qscale:v", "5"]),
        ("inter_cif_ipb2", FAST, 352, 288, 300, closed + ["-bf", "2", "-qscale:v", "6"]),
        # for the benchmark only
        ("bench_d1_ip", STILL, 704, 576, 120, gop + ["-qscale:v", "5"], False),
        ("bench_d1_ipb2", STILL, 704, 576, 120, closed + ["-bf", "2", "-qscale:v", "5"], False),
    ]
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 4) as pool:
        for f in [pool.submit(_stream, out_dir, *job) for job in jobs]:
            f.result()
