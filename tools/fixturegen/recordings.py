"""Recording files (.MPG), board record scripts (.brs), damaged recordings and plain
MPEG-4 elementary streams (.m4v), with the sound they carry. See README.txt in the
output folder for the list."""
import os
import random
from concurrent.futures import ThreadPoolExecutor

import _media as m

T0 = 324000000  # first time stamp: one hour into the 90 kHz counter
FRAME0 = 1000   # first frame number

# name, width, height, pictures, B pictures per P
CLIPS = [
    ("cif_ip", 352, 288, 100, 0),
    ("cif_ipb1", 352, 288, 100, 1),
    ("cif_ipb2", 352, 288, 100, 2),
    ("d1_ip", 704, 576, 50, 0),
    ("d1_ipb2", 704, 576, 50, 2),
]


def _write(out, name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def _clip(out, name, width, height, pictures, bframes):
    stream = m.encode_m4v(os.path.join(out, name + ".m4v"), width, height, pictures, bframes)
    video = m.pack_records(m.split_vops(stream))
    groups = (pictures + m.AUDIO_GROUP - 1) // m.AUDIO_GROUP
    blocks = groups * m.AUDIO_GROUP
    pcm = m.sine_pcm(blocks * m.AUDIO_BLOCK_SAMPLES, 300 + 100 * len(name))
    adpcm = m.g726_24k(pcm)
    if len(adpcm) < blocks * m.AUDIO_BLOCK_BYTES:
        raise RuntimeError(f"{name}: ffmpeg gave {len(adpcm)} bytes of ADPCM")
    adpcm = adpcm[:blocks * m.AUDIO_BLOCK_BYTES]
    events = list(m.timeline(video, groups, T0, FRAME0))
    head = m.file_head(width, height)
    _write(out, name + ".pcm", pcm)
    _write(out, name + ".g726", adpcm)
    _write(out, name + ".MPG", m.recording(head, events, adpcm))
    _write(out, name + ".brs", m.board_script(head, events, pcm))
    return head, events, adpcm


def _records(events, adpcm):
    """The bytes of each capture event (a video record or a run of 8 audio records)."""
    return [m.recording(b"", [ev], adpcm) for ev in events]


def _damaged(out, head, events, adpcm):
    recs = _records(events, adpcm)
    rng = random.Random(2101)

    # Garbage between records: no record magic inside, but false starts of one, and
    # lengths around the edges of a 4096-byte search window.
    parts = [head]
    lengths = [1, 3, 5, 17, 18, 19, 100, 4077, 4078, 4079, 4095, 4096, 5000]
    for i, r in enumerate(recs):
        parts.append(r)
        if i % 7 == 3:
            n = lengths[(i // 7) % len(lengths)]
            junk = bytearray(rng.randrange(1, 256) for _ in range(n))
            if n >= 7:
                junk[n // 2:n // 2 + 4] = m.FILE_MAGIC
            if n >= 3:
                junk[-3:] = b"\x00\x00\x01"
            parts.append(bytes(junk))
    _write(out, "cif_ip_garbage.MPG", b"".join(parts))

    # Cut in the middle of the last video record's payload (the audio behind it is lost).
    last = max(i for i, ev in enumerate(events) if ev[0] == "video")
    torn = head + b"".join(recs[:last]) + recs[last][:18 + (len(recs[last]) - 18) // 2]
    _write(out, "cif_ip_torn.MPG", torn)

    # Header-only records (byte 13 bit 0, no payload) after every tenth record.
    parts = [head]
    for i, r in enumerate(recs):
        parts.append(r)
        if i % 10 == 5:
            parts.append(m.frame_head(m.P, 0, T0, 0, flags=1))
    _write(out, "cif_ip_headeronly.MPG", b"".join(parts))

    # Records longer than the decoder input (622,080 bytes) and than a stream buffer
    # can hold: a key frame of 700,000 bytes after the fifth record, an audio record of
    # 600,000 after the twentieth.
    filler = bytes(rng.randrange(1, 256) for _ in range(4096))
    parts = [head]
    for i, r in enumerate(recs):
        parts.append(r)
        if i == 4:
            body = (filler * 171)[:700000]
            parts.append(m.frame_head(m.KEY, 0, T0, len(body)) + body)
        if i == 19:
            body = (filler * 147)[:600000]
            parts.append(m.frame_head(m.AUDIO, 0, T0, len(body)) + body)
    _write(out, "cif_ip_oversize.MPG", b"".join(parts))

    # A header with two text blocks (flags 0xE003): the first record moves behind them.
    text = m.file_head(352, 288, flags=0xE003,
                       text_blocks=[(1, "通道1".encode("gbk")), (2, b"2026-12-10 13:00:00")])
    _write(out, "cif_ip_text.MPG", text + b"".join(recs))


README = """Recording fixtures (tools/fixturegen/recordings.py)

Clips: MPEG-4 video from ffmpeg's testsrc2 (-c:v mpeg4 -threads 1 -flags +bitexact -g 12;
with B pictures also -bf N -b_strategy 0 -flags +cgop -sc_threshold 1000000000 and the
noise filter alls=25:allf=t+u and -q:v 8), 25 pictures a second; sound: a sine tone, 8000 Hz mono.

  NAME.m4v   the elementary stream as ffmpeg wrote it
  NAME.pcm   the sound, signed 16-bit little-endian, 8 blocks of 320 samples per 320 ms
  NAME.g726  the sound as 3-bit G.726 codes (ffmpeg g726le -code_size 3), 120 bytes a block
  NAME.MPG   recording file: 19-byte header (flags 0x0001, rate 25, height, width), then
             records in capture order. Video: the stream cut at VOP start codes (headers
             go with the next VOP); an I or a lone P picture is one record (type 1 or 2), a
             P with the one or two B pictures after it in decode order one record (0x20,
             4). Frame numbers start at {frame0} and advance by the pictures of each
             record; a record's time stamp (90 kHz, from {t0}) is that of its last
             picture. Audio: one record per 120-byte block, 3600 ticks apart from {t0},
             in runs of 8 placed once their 320 ms have passed.
  NAME.brs   board record script of the same capture: records of u32 type, u32 length,
             bytes. Type 128: the 19-byte header; types 1, 2, 0x20, 4: FrameHead and
             payload as in the .MPG; type 8: 5264 bytes, 8 blocks of an 18-byte FrameHead
             (type 8, length 120) followed by 320 PCM samples.

{clips}
Damaged recordings, made from the records of cif_ip.MPG:
  cif_ip_garbage.MPG     random bytes (with false starts of a record magic) after every
                         seventh record, 1 to 5000 bytes long
  cif_ip_torn.MPG        everything before the last video record, then that record cut
                         in the middle of its payload
  cif_ip_headeronly.MPG  an 18-byte header with byte 13 bit 0 set and no payload after
                         every tenth record (from the sixth)
  cif_ip_oversize.MPG    a 700,000-byte key frame after the fifth record and a
                         600,000-byte audio record after the twentieth
  cif_ip_text.MPG        the same records behind a header with flags 0xE003 and two text
                         blocks (GBK "通道1" and a date), 19 + 2 + 5 + 2 + 19 = 47 bytes
"""


def make(out_dir):
    with ThreadPoolExecutor(max_workers=len(CLIPS)) as pool:
        jobs = {c[0]: pool.submit(_clip, out_dir, *c) for c in CLIPS}
        made = {name: job.result() for name, job in jobs.items()}
    _damaged(out_dir, *made["cif_ip"])
    clips = "".join(f"  {n}: {w}x{h}, {p} pictures, {'no B pictures' if not b else f'{b} B per P'}\n"
                    for n, w, h, p, b in CLIPS)
    with open(os.path.join(out_dir, "README.txt"), "w", encoding="utf-8") as f:
        f.write(README.format(clips=clips, t0=T0, frame0=FRAME0))
