"""MPEG-4 elementary streams for the decoder tests, with ffmpeg's own decode of each.

For every stream NAME.m4v this writes NAME.yuv (ffmpeg's yuv420p output, display
order) and NAME.hdr, the header values ffmpeg's decoder reports (-debug pict):

    size W H
    tincrbits B
    qp_prec P
    vop TYPE QP FCODE_F FCODE_B ROUNDING TINCR     (one line per VOP, coded order)

ROUNDING is vop_rounding_type (ffmpeg prints its complement as rnd).

One encoder thread everywhere, so the streams carry no resync markers."""
import os
import re
import struct
import subprocess
from concurrent.futures import ThreadPoolExecutor

SOURCE = "testsrc2=size={w}x{h}:rate={rate},noise=alls=6:allf=t"


def _encode_many(w, h, rate, outputs):
    """Encodes several streams from one test source in one ffmpeg process: each output
    has its own encoder and picture count, all fed the same pictures (starting an ffmpeg
    costs more than coding a few small pictures)."""
    cmd = ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
           "-f", "lavfi", "-i", SOURCE.format(w=w, h=h, rate=rate)]
    for path, frames, args in outputs:
        cmd += ["-map", "0:v", "-frames:v", str(frames), "-c:v", "mpeg4", "-threads", "1",
                "-bitexact", "-qmin", "1"] + args + ["-f", "m4v", path]
    subprocess.run(cmd, check=True)


def _reference(stem):
    """ffmpeg's decode and header report of STEM.m4v."""
    data = open(stem + ".m4v", "rb").read()
    vops = data.count(b"\x00\x00\x01\xb6")
    res = subprocess.run(
        ["ffmpeg", "-nostdin", "-hide_banner", "-threads", "1", "-debug", "pict",
         "-i", stem + ".m4v", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-y", stem + ".yuv"],
        check=True, capture_output=True, text=True)
    tb = re.findall(r"tincrbits:(\d+), qp_prec:(\d+)", res.stderr)
    pics = re.findall(r"qp:(\d+) fc:(\d+),(\d+) ([IPB]) .* rnd:(\d+) .* tincr:(\d+)", res.stderr)
    pics = pics[-vops:]  # the probe decodes the first pictures once more before
    # The stream's own size, as the decoder reported it ("Stream #0:0 ...: Video: mpeg4 ..., WxH")
    size = re.search(r"Stream #0:0[^\n]*: Video: [^\n]*?, (\d+)x(\d+)", res.stderr).groups()
    with open(stem + ".hdr", "w") as f:
        f.write(f"size {size[0]} {size[1]}\n")
        if tb:
            f.write(f"tincrbits {tb[-1][0]}\nqp_prec {tb[-1][1]}\n")
        for qp, ff, fb, kind, rnd, tincr in pics:
            f.write(f"vop {kind} {qp} {ff} {fb} {1 - int(rnd)} {tincr}\n")


def _records(data):
    """Splits an elementary stream into the records a board would write: each I or
    lone P picture (with the headers before it), or one P with the B pictures after it."""
    starts = [m.start() for m in re.finditer(b"\x00\x00\x01\xb6", data)]
    pieces = []
    for i, s in enumerate(starts):
        begin = 0 if i == 0 else s
        end = starts[i + 1] if i + 1 < len(starts) else len(data)
        kind = data[s + 4] >> 6
        pieces.append([kind, data[begin:end]])
    records = []
    for kind, payload in pieces:
        if kind == 2 and records and records[-1][0] in (2, 0x20):
            records[-1][0] = 4 if records[-1][0] == 0x20 else 0x20
            records[-1][1] += payload
        else:
            records.append([1 if kind == 0 else 2, payload])
    return records


def _recording(src, dst):
    data = open(src, "rb").read()
    head = b"\x00\x00\x01\xc6" + struct.pack("<IH", 0, 0) + struct.pack("<BIHH", 25, 0, 576, 704)
    out = [head]
    frame = 0
    for n, (kind, payload) in enumerate(_records(data)):
        out.append(b"\x00\x00\x01\xc7" + struct.pack("<BIIBI", kind, frame, n * 3600, 0, len(payload)))
        out.append(payload)
        frame += {1: 1, 2: 1, 0x20: 2, 4: 3}[kind]
    open(dst, "wb").write(b"".join(out))


def make(out_dir):
    jobs = []
    for q in range(1, 32):
        jobs.append((f"dec_cif_i_q{q}", 352, 288, 2, ["-g", "1", "-qscale:v", str(q)]))
        jobs.append((f"dec_cif_i_aic_q{q}", 352, 288, 2, ["-g", "1", "-qscale:v", str(q), "-flags", "+aic"]))
    for q in (2, 9, 17, 31):
        jobs.append((f"dec_d1_i_q{q}", 704, 576, 2, ["-g", "1", "-qscale:v", str(q)]))
        jobs.append((f"dec_d1_i_aic_q{q}", 704, 576, 2, ["-g", "1", "-qscale:v", str(q), "-flags", "+aic"]))
    jobs.append(("dec_cif_ip", 352, 288, 8, ["-g", "12", "-qscale:v", "5"]))
    jobs.append(("dec_cif_ipb1", 352, 288, 8, ["-g", "12", "-bf", "1", "-qscale:v", "5"]))
    jobs.append(("dec_d1_ipb2", 704, 576, 10, ["-g", "12", "-bf", "2", "-qscale:v", "6"]))
    # 15 pictures per second: 4-bit time increments, as a decoder assumes without a VOL
    jobs.append(("dec_pal_ip15", 720, 576, 4, ["-g", "12", "-qscale:v", "5"], 15))
    # One encoding process per source, then the reference decodes side by side.
    sources = {}
    for name, w, h, frames, args, *rate in jobs:
        sources.setdefault((w, h, rate[0] if rate else 25), []).append(
            (os.path.join(out_dir, name + ".m4v"), frames, args))
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 4) as pool:
        for f in [pool.submit(_encode_many, *key, outputs) for key, outputs in sources.items()]:
            f.result()
        for f in [pool.submit(_reference, os.path.join(out_dir, job[0])) for job in jobs]:
            f.result()
    # The same pictures without any VOS/VO/VOL header: the decoder's defaults apply.
    data = open(os.path.join(out_dir, "dec_pal_ip15.m4v"), "rb").read()
    open(os.path.join(out_dir, "dec_pal_novol.m4v"), "wb").write(data[data.find(b"\x00\x00\x01\xb6"):])
    _recording(os.path.join(out_dir, "dec_d1_ipb2.m4v"), os.path.join(out_dir, "dec_d1_ipb2.MPG"))
