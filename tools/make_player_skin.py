#!/usr/bin/env python3
"""Writes the player's built-in skin: a dark look drawn here from a few colours, as an
"mskn" skin file ("ZRLZ", then a zlib stream of the binary body).

Usage: make_player_skin.py OUT.mskn
"""
import struct
import sys
import zlib

TABLES = 0x000F0000


def i32(v):
    return struct.pack('<i', v)


def lstr(s):
    b = s.encode('utf-8')
    return i32(len(b)) + b


def sstr(s):
    b = s.encode('utf-8')
    assert len(b) < 256
    return bytes([len(b)]) + b


# ---- images: 32-bit pixels, blue-green-red-alpha, rows from the top

def image(name, w, h, pixel):
    rows = bytearray()
    for y in range(h):
        for x in range(w):
            r, g, b = pixel(x, y, w, h)
            rows += bytes([b, g, r, 255])
    return lstr(name) + i32(w) + i32(h) + bytes(rows)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vgrad(top, bottom, edge=None):
    def px(x, y, w, h):
        if edge and (x == 0 or y == 0 or x == w - 1 or y == h - 1):
            return edge
        return mix(top, bottom, y / max(h - 1, 1))
    return px


def framed(face, light, dark):
    def px(x, y, w, h):
        if x == 0 or y == 0:
            return light
        if x == w - 1 or y == h - 1:
            return dark
        return face
    return px


def glyph(kind, face, ink):
    # A 16x16 caption button with a simple mark.
    def px(x, y, w, h):
        if x in (0, w - 1) or y in (0, h - 1):
            return (90, 96, 110)
        if kind == 'close' and 4 <= x <= 11 and (x - y in (0, 1) or x + y in (15, 16)) and 4 <= y <= 11:
            return ink
        if kind == 'min' and 10 <= y <= 11 and 4 <= x <= 11:
            return ink
        if kind == 'max' and 4 <= x <= 11 and 4 <= y <= 11 and (x in (4, 11) or y in (4, 5, 11)):
            return ink
        return face
    return px


CAPTION_H = 24
FRAME = 4
IMAGES = [
    image('caption', 32, CAPTION_H, vgrad((58, 66, 84), (30, 34, 44))),
    image('frame', 24, 24, framed((36, 40, 50), (70, 78, 96), (16, 18, 24))),
    image('bar', 16, 30, vgrad((52, 58, 72), (38, 42, 54))),
    image('button', 24, 24, framed((56, 62, 78), (96, 104, 124), (20, 22, 28))),
    image('buttonhot', 24, 24, framed((72, 96, 132), (120, 150, 190), (20, 22, 28))),
    image('buttondown', 24, 24, framed((30, 40, 58), (20, 22, 28), (96, 104, 124))),
    image('edit', 16, 16, framed((24, 26, 32), (16, 18, 24), (80, 86, 100))),
    image('panel', 16, 16, framed((196, 200, 208), (120, 126, 140), (236, 238, 242))),
    image('close', 16, 16, glyph('close', (60, 40, 44), (230, 230, 235))),
    image('min', 16, 16, glyph('min', (50, 56, 70), (230, 230, 235))),
    image('max', 16, 16, glyph('max', (50, 56, 70), (230, 230, 235))),
]


# ---- skin objects in the component framework's binary form

def prop(name, kind, value=None):
    out = sstr(name)
    if kind == 'int':
        if -128 <= value < 128:
            out += b'\x02' + struct.pack('<b', value)
        elif -32768 <= value < 32768:
            out += b'\x03' + struct.pack('<h', value)
        else:
            out += b'\x04' + struct.pack('<i', value)
    elif kind == 'ident':
        out += b'\x07' + sstr(value)
    elif kind == 'str':
        out += b'\x06' + sstr(value)
    elif kind == 'bool':
        out += b'\x09' if value else b'\x08'
    elif kind == 'binary':
        out += b'\x0a' + i32(len(value)) + value
    return out


def rect(prefix, name, r):
    out = prop(prefix + '.Name', 'str', name)
    for side, v in zip(('Left', 'Top', 'Right', 'Bottom'), r):
        out += prop(prefix + '.' + side, 'int', v)
    return out


def children_blob(children):
    out = i32(len(children) | TABLES)
    for cls, body in children:
        out += lstr(cls) + i32(len(body)) + body
    return out


def obj(cls, name, props=b'', children=()):
    body = b'TPF0' + sstr(cls) + sstr(name) + props
    body += prop('Objects', 'binary', children_blob(list(children)))
    return cls, body + b'\x00\x00'


def box(name, img, margin, kind=None):
    props = b''
    if kind:
        props += prop('Kind', 'ident', kind)
    props += rect('Bitmap', img, (0, 0) + SIZES[img])
    for side in ('Left', 'Top', 'Right', 'Bottom'):
        props += prop('Margin' + side, 'int', margin)
    props += prop('TileStyle', 'ident', 'tsStretch')
    props += prop('BorderTileStyle', 'ident', 'tsStretch')
    return props


SIZES = {}
for blob in IMAGES:
    n = struct.unpack_from('<i', blob)[0]
    name = blob[4:4 + n].decode()
    w, h = struct.unpack_from('<ii', blob, 4 + n)
    SIZES[name] = (w, h)


def sysbutton(name, action, img, offset):
    p = prop('Align', 'ident', 'saTopRight') + prop('Kind', 'ident', 'skSysButton')
    p += prop('Left', 'int', 300 - 20 - offset) + prop('Top', 'int', 4)
    p += prop('Width', 'int', 16) + prop('Height', 'int', 16)
    p += rect('Bitmap', img, (0, 0, 16, 16))
    p += rect('ActiveBitmap', img, (0, 0, 16, 16))
    p += prop('Action', 'ident', action)
    return obj('TSeSystemButton', name, p)


def form():
    title = obj('TSeTextObject', 'Title',
                prop('Align', 'ident', 'saClient') + prop('Kind', 'ident', 'skTitle') +
                prop('Color', 'ident', 'clNone') +
                prop('Font.Color', 'int', 0xEBE6E6) + prop('FontFocused.Color', 'int', 0xEBE6E6) +
                prop('MarginLeft', 'int', 6))
    caption = obj('TSeBitmapObject', 'Caption',
                  prop('Align', 'ident', 'saTop') + prop('Kind', 'ident', 'skCaption') +
                  prop('Width', 'int', 300) + prop('Height', 'int', CAPTION_H) +
                  rect('Bitmap', 'caption', (0, 0) + SIZES['caption']) +
                  prop('TileStyle', 'ident', 'tsStretch'),
                  [sysbutton('Close', 'sbaClose', 'close', 4),
                   sysbutton('Maximize', 'sbaMaximize', 'max', 22),
                   sysbutton('Minimize', 'sbaMinimize', 'min', 40), title])
    def edge(name, kind, align, r, size):
        p = prop('Align', 'ident', align) + prop('Kind', 'ident', kind)
        p += prop('Width' if align in ('saLeft', 'saRight') else 'Height', 'int', size)
        p += rect('Bitmap', 'frame', r) + prop('TileStyle', 'ident', 'tsStretch')
        return obj('TSeBitmapObject', name, p)
    fw, fh = SIZES['frame']
    bottom = edge('Bottom', 'skBottom', 'saBottom', (0, fh - FRAME, fw, fh), FRAME)
    left = edge('Left', 'skLeft', 'saLeft', (0, 0, FRAME, fh), FRAME)
    right = edge('Right', 'skRight', 'saRight', (fw - FRAME, 0, fw, fh), FRAME)
    client = obj('TSeBitmapBoxObject', 'Client',
                 prop('Align', 'ident', 'saClient') + prop('Top', 'int', CAPTION_H) +
                 prop('Width', 'int', 300) + prop('Height', 'int', 200 - CAPTION_H) + box('Client', 'frame', 4, 'skClient'))
    # The design size; the children are laid out in it and follow the window's size.
    return obj('TSeSkinObject', 'Form',
               prop('Kind', 'ident', 'skForm') + prop('Width', 'int', 300) +
               prop('Height', 'int', 200), [caption, bottom, left, right, client])


def button(name):
    p = box(name, 'button', 3)
    p += rect('HotBitmap', 'buttonhot', (0, 0) + SIZES['buttonhot'])
    p += rect('PressedBitmap', 'buttondown', (0, 0) + SIZES['buttondown'])
    p += rect('FocusedBitmap', 'buttonhot', (0, 0) + SIZES['buttonhot'])
    return obj('TSeButtonBitmapBoxObject', name, p)


def part(name, img, margin, **size):
    """A named part of an object: the image as a nine-part box, or at its own size."""
    p = box(name, img, margin)
    for k, v in size.items():
        p += prop(k, 'int', v)
    return obj('TSeBitmapBoxObject', name, p)


def text(name, color):
    """A text part: the colour its owner's text is written in, in every state."""
    p = prop('Color', 'ident', 'clNone') + prop('Font.Color', 'int', color)
    for state in ('FontHot', 'FontFocused', 'FontPressed'):
        p += prop(state + '.Color', 'int', color)
    return obj('TSeTextObject', name, p)


def holder(name, parts):
    """An object drawn only through its named parts."""
    return obj('TSeSkinObject', name, prop('Color', 'ident', 'clNone'), parts)


OBJECTS = [form(), button('Button'), button('SpeedButton'), button('SpinButton'),
           holder('ControlBar', [part('Back', 'bar', 2), part('Frame', 'bar', 2)]),
           holder('ToolBar', [part('Frame', 'bar', 2)]),
           holder('StatusBar', [part('Frame', 'bar', 2), part('Panel', 'panel', 2)]),
           holder('Edit', [part('Frame', 'panel', 2), text('text', 0x101010)]),
           holder('TrackBar', [part('Track', 'edit', 2),
                               part('Thumb', 'button', 3, Width=8, Height=18)])]
for name, img, margin in (('Panel', 'frame', 2), ('Container', 'frame', 2)):
    OBJECTS.append(obj('TSeBitmapBoxObject', name, box(name, img, margin)))


def body():
    out = b''.join(lstr(s) for s in ('PlayerQZ Dark', '1.0', 'PlayerQZ', '', ''))
    out += i32(len(IMAGES) | TABLES) + b''.join(IMAGES)
    out += i32(len(OBJECTS))
    for cls, b in OBJECTS:
        out += lstr(cls) + i32(len(b)) + b
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], 'wb') as f:
        f.write(b'ZRLZ' + zlib.compress(body(), 9))


if __name__ == '__main__':
    main()
