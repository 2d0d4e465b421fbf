"""Pictures for the decoder's picture filters and colour conversion, with the expected
results worked out here, independently of the C++ code.

    post_NAME.yuv              a blocky yuv420p picture (ffmpeg's coarse MPEG-4 coding)
    post_NAME_qQP_tT.yuv       that picture deblocked and deringed at quantiser QP, with
                               the deringing threshold T: "range" ((max + min + 1) >> 1)
                               or "mean" (sum >> 6)
    post_NAME_LAYOUT[_flip].rgb    the source picture converted to 24-bit (B, G, R bytes),
                               565 or 555 little-endian words, bottom-up when _flip
"""
import os
import subprocess

# name, width, height, quantiser of the coarse coding
PICTURES = [("cif", 176, 144, 14), ("odd", 104, 72, 8)]
QUANTISERS = {"cif": (1, 4, 12, 31), "odd": (8,)}


def _source(out_dir, name, w, h, q):
    stem = os.path.join(out_dir, "post_" + name)
    subprocess.run(
        ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
         "-f", "lavfi", "-i", f"testsrc2=size={w}x{h}:rate=25,noise=alls=8:allf=t",
         "-frames:v", "1", "-c:v", "mpeg4", "-threads", "1", "-bitexact",
         "-qscale:v", str(q), "-f", "m4v", stem + ".m4v"], check=True)
    subprocess.run(
        ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-threads", "1",
         "-i", stem + ".m4v", "-f", "rawvideo", "-pix_fmt", "yuv420p", stem + ".yuv"],
        check=True)
    return bytearray(open(stem + ".yuv", "rb").read())


# ---- deblocking: s is the list of ten pixels across an edge (between s[4] and s[5])

def _flat(s, qp):
    p0 = s[0] if abs(s[1] - s[0]) < qp else s[1]
    p9 = s[9] if abs(s[8] - s[9]) < qp else s[8]
    ext = [p0] * 4 + s[1:9] + [p9] * 4  # ext[i + 3] == s[i] for i in 1..8
    weights = (1, 1, 2, 2, 4, 2, 2, 1, 1)
    out = list(s)
    for k in range(1, 9):
        out[k] = (sum(wt * ext[k + 3 + j - 4] for j, wt in enumerate(weights)) + 8) >> 4
    return out


def _default(s, qp):
    diff = s[4] - s[5]
    half = abs(diff) // 2 * (1 if diff > 0 else -1)  # rounded towards zero
    if half == 0:
        return s
    a0 = 2 * s[3] - 5 * s[4] + 5 * s[5] - 2 * s[6]
    if abs(a0) >= 8 * qp:
        return s
    a1 = 2 * s[1] - 5 * s[2] + 5 * s[3] - 2 * s[4]
    a2 = 2 * s[5] - 5 * s[6] + 5 * s[7] - 2 * s[8]
    m = abs(a0) - min(abs(a1), abs(a2))
    if m <= 0:
        return s
    d = (5 * m + 32) >> 6
    if a0 > 0:
        d = -d
    d = max(min(d, max(half, 0)), min(half, 0))
    out = list(s)
    out[4] -= d
    out[5] += d
    return out


def _pairs(s):
    return sum(abs(s[k] - s[k + 1]) < 4 for k in range(1, 8))


def _deblock_h(p, off, w, h, qp):
    for y in range(0, h - 3, 4):
        for x in range(8, w - 4, 8):
            idx = [[off + (y + i) * w + x - 5 + k for k in range(10)] for i in range(4)]
            lines = [[p[i] for i in row] for row in idx]
            if sum(_pairs(s) for s in lines) >= 20:
                if abs(lines[0][1] - lines[0][8]) >= 2 * qp:
                    continue
                lines = [_flat(s, qp) for s in lines]
            else:
                lines = [_default(s, qp) for s in lines]
            for row, s in zip(idx, lines):
                for i, v in zip(row, s):
                    p[i] = v


def _deblock_v(p, off, w, h, qp):
    for y in range(8, h - 4, 8):
        for x in range(0, w - 7, 8):
            idx = [[off + (y - 5 + k) * w + x + c for k in range(10)] for c in range(8)]
            lines = [[p[i] for i in col] for col in idx]
            if sum(_pairs(s) for s in lines) > 40:
                if any(abs(s[1] - s[8]) > 2 * qp for s in lines):
                    continue
                lines = [_flat(s, qp) for s in lines]
            else:
                lines = [_default(s, qp) for s in lines]
            for col, s in zip(idx, lines):
                for i, v in zip(col, s):
                    p[i] = v


def _dering(p, off, w, h, qp, threshold):
    for by in range(8, h - 15, 8):
        for bx in range(8, w - 15, 8):
            block = [p[off + (by + y) * w + bx + x] for y in range(8) for x in range(8)]
            if threshold == "mean":
                thr = sum(block) >> 6
            else:
                thr = (max(block) + min(block) + 1) >> 1

            def at(x, y):  # x, y relative to the block's top-left pixel
                return p[off + (by + y) * w + bx + x]

            new = {}
            for y in range(8):
                for x in range(8):
                    marks = {at(x + dx, y + dy) >= thr for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
                    v = at(x, y)
                    if len(marks) == 1:
                        f = sum(at(x + dx, y + dy) * (2 - abs(dx)) * (2 - abs(dy))
                                for dx in (-1, 0, 1) for dy in (-1, 0, 1))
                        v = min(max((f + 8) >> 4, v - 2 * qp), v + 2 * qp)
                    new[(x, y)] = v
            for (x, y), v in new.items():
                p[off + (by + y) * w + bx + x] = v


def _postprocess(src, w, h, qp, threshold):
    p = list(src)
    cw, ch = w // 2, h // 2
    planes = [(0, w, h), (w * h, cw, ch), (w * h + cw * ch, cw, ch)]
    _deblock_h(p, *planes[0], qp)
    _deblock_v(p, *planes[0], qp)
    for plane in planes[1:]:
        _deblock_h(p, *plane, qp)
    for plane in planes[1:]:
        _deblock_v(p, *plane, qp)
    for plane in planes:
        _dering(p, *plane, qp, threshold)
    return bytes(p)


# ---- colour conversion

def _convert(src, w, h, layout, flip):
    cw = w // 2
    cb0, cr0 = w * h, w * h + cw * (h // 2)
    bpp = 3 if layout == "24" else 2
    out = bytearray(w * h * bpp)
    clamp = lambda v: min(max(v, 0), 255)
    for y in range(h - h % 2):
        row = h - 1 - y if flip else y
        for x in range(w - w % 2):
            yy = src[y * w + x]
            u = src[cb0 + (y // 2) * cw + x // 2] - 128
            v = src[cr0 + (y // 2) * cw + x // 2] - 128
            r = clamp(yy + ((v * 1441792) >> 20))
            g = clamp(yy - ((u * 360448) >> 20) - ((v * 737280) >> 20))
            b = clamp(yy + ((u * 1818624) >> 20))
            at = (row * w + x) * bpp
            if layout == "24":
                out[at:at + 3] = bytes((b, g, r))
            else:
                word = ((r >> 3) << 11 | (g >> 2) << 5 | b >> 3) if layout == "565" else \
                    ((r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
                out[at:at + 2] = word.to_bytes(2, "little")
    return bytes(out)


def make(out_dir):
    for name, w, h, q in PICTURES:
        src = _source(out_dir, name, w, h, q)
        for qp in QUANTISERS[name]:
            for threshold in ("range", "mean"):
                with open(os.path.join(out_dir, f"post_{name}_q{qp}_{threshold}.yuv"), "wb") as f:
                    f.write(_postprocess(src, w, h, qp, threshold))
        for layout in ("24", "565", "555"):
            for flip in (False, True):
                # 555 is always written top-down
                data = _convert(src, w, h, layout, flip and layout != "555")
                suffix = "_flip" if flip else ""
                with open(os.path.join(out_dir, f"post_{name}_{layout}{suffix}.rgb"), "wb") as f:
                    f.write(data)
