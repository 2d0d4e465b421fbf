"""Shared helpers for fixtures in the recording format: ffmpeg calls that make MPEG-4
video and 8 kHz sound, the stream and record header writers, and the cutting of an
elementary stream into the video records a board writes."""
import re
import struct
import subprocess

FILE_MAGIC = b"\x00\x00\x01\xc6"
FRAME_MAGIC = b"\x00\x00\x01\xc7"

KEY, P, PBB, AUDIO, PB = 1, 2, 4, 8, 0x20
PICTURES = {KEY: 1, P: 1, PB: 2, PBB: 3}
TICKS_PER_PICTURE = 3600  # 25 pictures a second at 90 kHz
AUDIO_BLOCK_TICKS = 3600  # 320 samples at 8000 Hz
AUDIO_BLOCK_SAMPLES = 320
AUDIO_BLOCK_BYTES = 120
AUDIO_GROUP = 8  # blocks per audio record of the board


def ffmpeg(args, data=None):
    """Runs ffmpeg quietly; returns its standard output."""
    res = subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"] + args,
                         input=data, capture_output=True, check=True)
    return res.stdout


def encode_m4v(path, width, height, pictures, bframes=0, gop=12):
    """An MPEG-4 elementary stream from ffmpeg's test source. One encoder thread (more add
    resync markers); streams with B pictures get noise so that no P macroblock is skipped."""
    source = f"testsrc2=size={width}x{height}:rate=25"
    args = ["-c:v", "mpeg4", "-threads", "1", "-flags", "+bitexact", "-g", str(gop)]
    if bframes:
        source += ",noise=alls=25:allf=t+u"
        args = ["-c:v", "mpeg4", "-threads", "1", "-flags", "+bitexact+cgop", "-g", str(gop),
                "-bf", str(bframes), "-b_strategy", "0", "-sc_threshold", "1000000000",
                # A fixed quantiser: rate control lets noisy pictures swing to 500 KB.
                "-q:v", "8"]
    ffmpeg(["-f", "lavfi", "-i", source, "-frames:v", str(pictures)] + args + ["-f", "m4v", path])
    return open(path, "rb").read()


def sine_pcm(samples, frequency=440):
    """8000 Hz mono signed 16-bit little-endian samples of a sine tone, exactly `samples` long."""
    seconds = samples / 8000 + 0.1
    pcm = ffmpeg(["-f", "lavfi", "-i", f"sine=frequency={frequency}:sample_rate=8000:duration={seconds}",
                  "-ac", "1", "-f", "s16le", "-"])
    return pcm[:samples * 2].ljust(samples * 2, b"\x00")


def g726_24k(pcm):
    """3-bit G.726 codes of 8000 Hz PCM, packed least significant bit first."""
    return ffmpeg(["-f", "s16le", "-ar", "8000", "-ac", "1", "-i", "-",
                   "-c:a", "g726le", "-code_size", "3", "-f", "g726le", "-"], data=pcm)


def file_head(width, height, rate=25, flags=0x0001, text_blocks=(), word4=0, word11=0):
    """The stream header; text_blocks are (kind, bytes) pairs."""
    out = FILE_MAGIC + struct.pack("<IH", word4, flags)
    for kind, text in text_blocks:
        out += struct.pack("<BB", kind, len(text)) + text
    return out + struct.pack("<BIHH", rate, word11, height, width)


def frame_head(kind, frame, ts, length, flags=0):
    return FRAME_MAGIC + struct.pack("<BIIBI", kind, frame & 0xFFFFFFFF, ts & 0xFFFFFFFF, flags, length)


def split_vops(data):
    """Cuts an elementary stream at VOP start codes: a list of (coding type, bytes), where
    the coding type is 0 I, 1 P, 2 B, 3 S, and the headers before a VOP go with it."""
    starts = [m.start() for m in re.finditer(b"\x00\x00\x01\xb6", data)]
    vops = []
    for i, s in enumerate(starts):
        begin = 0 if i == 0 else s
        end = starts[i + 1] if i + 1 < len(starts) else len(data)
        vops.append((data[s + 4] >> 6, data[begin:end]))
    return vops


def pack_records(vops):
    """Video records in decode order: I alone (type 1), P alone (2), or P with the one or
    two B pictures that follow it (0x20, 4). Returns (type, payload) pairs."""
    records = []
    for coding, payload in vops:
        if coding == 2:
            if not records or records[-1][0] not in (P, PB):
                raise ValueError("a B picture that does not follow a P picture")
            records[-1] = (PB if records[-1][0] == P else PBB, records[-1][1] + payload)
        elif coding in (0, 1):
            records.append((KEY if coding == 0 else P, payload))
        else:
            raise ValueError("sprite pictures are not written by the board")
    return records


def timeline(video, audio_groups, t0, frame0=0):
    """Capture order of video records and audio groups.

    video: (type, payload) pairs. Each record's frame number is the count of pictures
    before it; its time stamp is that of its last picture, so that the gap to the
    previous record is 40 ms per picture. Audio group g holds blocks 8g..8g+7 (one every
    3600 ticks from t0) and follows the video once its last block's time has passed.
    Yields ("video", type, frame, ts, payload) and ("audio", g, [(frame, ts)] * 8)."""
    pictures = 0
    group = 0
    for kind, payload in video:
        ts = t0 + TICKS_PER_PICTURE * (pictures + PICTURES[kind] - 1)
        while group < audio_groups and ts >= t0 + AUDIO_BLOCK_TICKS * AUDIO_GROUP * (group + 1):
            yield ("audio", group, _group_heads(t0, group))
            group += 1
        yield ("video", kind, frame0 + pictures, ts, payload)
        pictures += PICTURES[kind]
    while group < audio_groups:
        yield ("audio", group, _group_heads(t0, group))
        group += 1


def _group_heads(t0, group):
    first = group * AUDIO_GROUP
    return [(first + i, t0 + AUDIO_BLOCK_TICKS * (first + i)) for i in range(AUDIO_GROUP)]


def recording(head, events, adpcm):
    """A recording file: the header, then every record; each audio block is a record
    of its own with 120 bytes of ADPCM."""
    out = [head]
    for ev in events:
        if ev[0] == "video":
            _, kind, frame, ts, payload = ev
            out.append(frame_head(kind, frame, ts, len(payload)) + payload)
        else:
            for frame, ts in ev[2]:
                block = adpcm[frame * AUDIO_BLOCK_BYTES:(frame + 1) * AUDIO_BLOCK_BYTES]
                out.append(frame_head(AUDIO, frame, ts, len(block)) + block)
    return b"".join(out)


def board_script(head, events, pcm):
    """A board record script: records of u32 type, u32 length and the bytes the board
    delivers. First the stream header (type 128); video records carry their FrameHead;
    an audio record carries 8 blocks of an 18-byte FrameHead (type 8, length 120, as the
    board writes it) and 320 PCM samples."""
    def rec(kind, data):
        return struct.pack("<II", kind, len(data)) + data
    out = [rec(128, head)]
    block_bytes = AUDIO_BLOCK_SAMPLES * 2
    for ev in events:
        if ev[0] == "video":
            _, kind, frame, ts, payload = ev
            out.append(rec(kind, frame_head(kind, frame, ts, len(payload)) + payload))
        else:
            blocks = []
            for frame, ts in ev[2]:
                samples = pcm[frame * block_bytes:(frame + 1) * block_bytes]
                blocks.append(frame_head(AUDIO, frame, ts, AUDIO_BLOCK_BYTES) + samples)
            out.append(rec(AUDIO, b"".join(blocks)))
    return b"".join(out)
