#!/usr/bin/env python3
"""Draws the program's icon and button glyphs into res/ (run by hand when the art changes)."""
import struct, os

RES = os.path.join(os.path.dirname(__file__), '..', 'res')
OLIVE = (0x80, 0x80, 0x00)         # default transparent colour of a glyph (R, G, B)
KHAKI = (132, 132, 66)             # transparent colour of the exit and reset glyphs

def canvas(w, h, bg):
    return [[bg] * w for _ in range(h)]

def rect(px, x0, y0, x1, y1, c):
    for y in range(y0, y1):
        for x in range(x0, x1):
            if 0 <= y < len(px) and 0 <= x < len(px[0]):
                px[y][x] = c

def frame(px, x0, y0, x1, y1, c):
    rect(px, x0, y0, x1, y0 + 1, c); rect(px, x0, y1 - 1, x1, y1, c)
    rect(px, x0, y0, x0 + 1, y1, c); rect(px, x1 - 1, y0, x1, y1, c)

def line(px, x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        x = x0 + (x1 - x0) * i // n; y = y0 + (y1 - y0) * i // n
        rect(px, x, y, x + 1, y + 1, c)

def bmp24(path, px):
    h = len(px); w = len(px[0]); stride = (w * 3 + 3) & ~3
    data = b''
    for row in reversed(px):
        r = b''.join(bytes((b, g, rr)) for (rr, g, b) in row)
        data += r + b'\0' * (stride - len(r))
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + 40 + len(data), 0, 0, 54) + hdr + data)

VGA = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
       (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]

def ico16(path, px, mask):
    """A 32 x 32 icon with 16 colours; mask[y][x] True where transparent."""
    w = h = 32
    xor = b''
    for row in reversed(px):
        idx = [VGA.index(c) for c in row]
        xor += bytes((idx[i] << 4) | idx[i + 1] for i in range(0, w, 2))
    andm = b''
    for row in reversed(mask):
        bits = 0
        out = b''
        for x, t in enumerate(row):
            bits = (bits << 1) | (1 if t else 0)
            if x % 8 == 7:
                out += bytes((bits,)); bits = 0
        andm += out + b'\0' * (4 - len(out) % 4 if len(out) % 4 else 0)
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in VGA)
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    img = hdr + pal + xor + andm
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, 1))
        f.write(struct.pack('<BBBBHHII', w, h, 16, 0, 1, 4, len(img), 22))
        f.write(img)

def program_icon():
    T = (0, 0, 0)
    px = canvas(32, 32, T); mask = [[True] * 32 for _ in range(32)]
    def put(x0, y0, x1, y1, c):
        rect(px, x0, y0, x1, y1, c)
        for y in range(y0, y1):
            for x in range(x0, x1):
                mask[y][x] = False
    put(2, 3, 30, 23, (128, 128, 128)); put(4, 5, 28, 21, (0, 0, 128))
    put(6, 7, 13, 12, (255, 255, 0)); put(15, 7, 22, 12, (0, 255, 255))
    put(6, 14, 13, 19, (255, 0, 0)); put(15, 14, 22, 19, (0, 255, 0))
    put(12, 23, 20, 26, (128, 128, 128)); put(7, 26, 25, 29, (192, 192, 192))
    ico16(os.path.join(RES, 'vemlora.ico'), px, mask)

def glyph(name, cells, size, draw, bg=OLIVE):
    px = canvas(size * cells, size, bg)
    for i in range(cells):
        draw(px, i * size, i)
    bmp24(os.path.join(RES, name), px)

def shade(i, c):
    """Cell 2 of a strip is the disabled look: everything grey."""
    return (128, 128, 128) if i == 1 else c

def folder(px, x, i):
    rect(px, x + 1, 4, x + 7, 6, shade(i, (192, 160, 0)))
    rect(px, x + 1, 5, x + 15, 14, shade(i, (255, 224, 64)))
    frame(px, x + 1, 5, x + 15, 14, shade(i, (128, 96, 0)))

def check(px, x, i):
    c = shade(i, (0, 128, 0))
    for k in range(3):
        line(px, x + 2, 8 + k, x + 6, 12 + k, c); line(px, x + 6, 12 + k, x + 13, 3 + k, c)

def cross(px, x, i):
    c = shade(i, (192, 0, 0))
    for k in range(2):
        line(px, x + 3 + k, 3, x + 12 + k, 12, c); line(px, x + 12 + k, 3, x + 3 + k, 12, c)

def stack(px, x, i):
    for k, c in enumerate(((0, 0, 192), (0, 128, 0), (192, 0, 0))):
        rect(px, x + 2 + k * 2, 2 + k * 4, x + 10 + k * 2, 7 + k * 4, shade(i, c))
        frame(px, x + 2 + k * 2, 2 + k * 4, x + 10 + k * 2, 7 + k * 4, shade(i, (0, 0, 0)))

def undo(px, x, i):
    c = shade(i, (0, 0, 160))
    rect(px, x + 4, 6, x + 12, 8, c); rect(px, x + 11, 6, x + 13, 12, c); rect(px, x + 5, 11, x + 13, 13, c)
    line(px, x + 1, 7, x + 4, 4, c); line(px, x + 1, 7, x + 4, 10, c)

def back(px, x, i):
    c = (0, 0, 160)
    line(px, x + 2, 8, x + 8, 2, c); line(px, x + 2, 8, x + 8, 14, c); rect(px, x + 3, 7, x + 14, 10, c)

def big(draw_inner):
    def d(px, x, i):
        rect(px, x + 3, 3, x + 29, 29, shade(i, (192, 192, 192)))
        frame(px, x + 3, 3, x + 29, 29, shade(i, (0, 0, 0)))
        draw_inner(px, x, i)
    return d

def monitor(px, x, i):
    rect(px, x + 7, 7, x + 25, 20, shade(i, (0, 0, 128))); rect(px, x + 13, 21, x + 19, 25, shade(i, (64, 64, 64)))

def chip(px, x, i):
    rect(px, x + 9, 9, x + 23, 23, shade(i, (0, 128, 0)))
    for k in range(10, 23, 3):
        rect(px, x + 6, k, x + 9, k + 1, shade(i, (0, 0, 0))); rect(px, x + 23, k, x + 26, k + 1, shade(i, (0, 0, 0)))

def mouse(px, x, i):
    rect(px, x + 11, 8, x + 21, 25, shade(i, (255, 255, 255))); frame(px, x + 11, 8, x + 21, 25, (0, 0, 0))
    rect(px, x + 16, 8, x + 17, 14, (0, 0, 0)); line(px, x + 16, 4, x + 16, 8, (0, 0, 0))

def wrench(px, x, i):
    c = shade(i, (128, 0, 128))
    for k in range(3):
        line(px, x + 8 + k, 24, x + 22 + k, 10, c)
    rect(px, x + 20, 7, x + 26, 13, c)

def bin_(px, x, i):
    rect(px, x + 10, 9, x + 22, 25, shade(i, (0, 128, 128))); rect(px, x + 8, 7, x + 24, 9, shade(i, (0, 0, 0)))
    for k in (13, 16, 19):
        rect(px, x + k, 11, x + k + 1, 23, (0, 0, 0))

def key(px, x, i):
    c = shade(i, (192, 128, 0))
    rect(px, x + 7, 12, x + 14, 19, c); rect(px, x + 14, 15, x + 26, 17, c); rect(px, x + 22, 17, x + 24, 21, c)

def recycle_small():
    px = canvas(16, 16, OLIVE)
    rect(px, 4, 4, 12, 15, (0, 128, 128)); rect(px, 3, 2, 13, 4, (0, 0, 0))
    for k in (6, 8, 10):
        rect(px, k, 5, k + 1, 14, (0, 0, 0))
    bmp24(os.path.join(RES, 'recycle.bmp'), px)

def menu_marks():
    s = (192, 192, 192)
    e = canvas(8, 4, s)
    for y in range(4):
        rect(e, y, y, 7 - y, y + 1, (0, 0, 0))
    bmp24(os.path.join(RES, 'epmenu.bmp'), e)
    d = canvas(8, 4, s)
    for y in range(4):
        rect(d, y, y, 7 - y, y + 1, (128, 128, 128))
        rect(d, 7 - y, y, 8 - y, y + 1, (255, 255, 255))
    bmp24(os.path.join(RES, 'dpmenu.bmp'), d)

if __name__ == '__main__':
    program_icon(); menu_marks(); recycle_small()
    glyph('load.bmp', 2, 16, folder)
    glyph('exec.bmp', 2, 16, check)
    glyph('exit.bmp', 2, 16, cross, KHAKI)
    glyph('all.bmp', 2, 16, stack, KHAKI)
    glyph('std.bmp', 2, 16, undo, KHAKI)
    glyph('prev.bmp', 1, 16, back)
    glyph('disp.bmp', 2, 32, big(monitor))
    glyph('system.bmp', 2, 32, big(chip))
    glyph('mouse.bmp', 1, 32, big(mouse))
    glyph('tweak.bmp', 2, 32, big(wrench))
    glyph('cache.bmp', 2, 32, big(bin_))
    glyph('shellicons.bmp', 2, 32, big(key))
    glyph('menuicon.bmp', 2, 16, folder)
