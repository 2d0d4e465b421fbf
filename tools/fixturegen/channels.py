"""Board record scripts for the simulated board's default channels: one clip a channel,
each with a picture of its own (its own background colour and its channel number drawn large)
and a running clock, so recordings show which channel they came from and that time passed.
See README-channels.txt in the output folder."""
import os
from concurrent.futures import ThreadPoolExecutor

import _media as m

CHANNELS = 16
SECONDS = 64  # a little over a minute, a whole number of 12-picture groups
WIDTH, HEIGHT = 352, 288
T0 = 324000000
FRAME0 = 0

# Sixteen background colours far enough apart to tell the panes apart.
COLOURS = ["0xB02020", "0x20A020", "0x2040C0", "0xB0A020", "0xA020A0", "0x20A0A0",
           "0xC06020", "0x6020C0", "0x808080", "0x406020", "0x204060", "0x602040",
           "0xC08080", "0x80C080", "0x8080C0", "0x008878"]

FONT_CANDIDATES = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
]


def _font():
    for f in FONT_CANDIDATES:
        if os.path.exists(f):
            return f
    raise RuntimeError("channels: no font for the channel numbers (install fonts-dejavu-core)")


def _clip(out, channel):
    name = f"ch{channel:02d}"
    pictures = SECONDS * 25
    font = _font()
    source = (f"color=c={COLOURS[channel - 1]}:size={WIDTH}x{HEIGHT}:rate=25,"
              f"drawtext=fontfile={font}:text='{channel}':fontsize=150:fontcolor=white:"
              f"x=(w-tw)/2:y=(h-th)/2-20,"
              # A clock in seconds and pictures that also travels along the bottom every
              # few seconds: the picture moves.
              f"drawtext=fontfile={font}:text='%{{eif\\:n/25\\:d}}.%{{eif\\:mod(n\\,25)\\:d\\:2}}':"
              f"fontsize=28:fontcolor=yellow:x='mod(n*3\\,w-tw)':y=h-40")
    path = os.path.join(out, name + ".m4v")
    m.ffmpeg(["-f", "lavfi", "-i", source, "-frames:v", str(pictures), "-c:v", "mpeg4",
              "-threads", "1", "-flags", "+bitexact", "-g", "12", "-q:v", "5", "-f", "m4v", path])
    stream = open(path, "rb").read()
    os.remove(path)
    video = m.pack_records(m.split_vops(stream))
    groups = (pictures + m.AUDIO_GROUP - 1) // m.AUDIO_GROUP
    pcm = m.sine_pcm(groups * m.AUDIO_GROUP * m.AUDIO_BLOCK_SAMPLES, 200 + 50 * channel)
    events = list(m.timeline(video, groups, T0, FRAME0))
    head = m.file_head(WIDTH, HEIGHT)
    with open(os.path.join(out, name + ".brs"), "wb") as f:
        f.write(m.board_script(head, events, pcm))


README = f"""Channel clips (tools/fixturegen/channels.py)

ch01.brs to ch{CHANNELS:02d}.brs: board record scripts, {WIDTH}x{HEIGHT}, 25 pictures a second,
{SECONDS} s, a key frame every 12 pictures, no B pictures; the simulated board plays chNN for
channel NN. Each picture: a background colour of the channel's own, the channel number drawn
large and white in the middle, a clock (seconds.pictures) travelling along the bottom. Sound: a sine tone of 200 + 50 * NN Hz.
"""


def make(out_dir):
    with ThreadPoolExecutor(max_workers=4) as pool:
        list(pool.map(lambda ch: _clip(out_dir, ch), range(1, CHANNELS + 1)))
    with open(os.path.join(out_dir, "README-channels.txt"), "w", encoding="utf-8") as f:
        f.write(README)
