#!/usr/bin/env python3
"""Draws the loader's pictures: the dialog header bitmap (141 x 55, 16 colours) and the
icon (32 x 32 and 16 x 16, 16 colours). Writes resources/header.bmp and resources/loader.ico.
The pictures are committed; run this again only to change them."""
import os
import struct

# The standard 16-colour palette (B, G, R, 0).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, NAVY, GREY, SILVER, BLUE, CYAN, YELLOW, WHITE = 0, 4, 8, 7, 12, 14, 11, 15
# Index meanings in this palette (entries are B, G, R): 4 = navy, 12 = blue, 14 = cyan,
# 11 = yellow, 7 = silver, 8 = grey, 15 = white.

# A 5 x 7 font for the few letters of the word mark.
FONT = {
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
}


def emblem(pixels, size, left, top):
    """A disc with a bold 'V' through it: the product's mark."""
    c = (size - 1) / 2.0
    for y in range(size):
        for x in range(size):
            dx, dy = x - c, y - c
            r2 = dx * dx + dy * dy
            if r2 <= (size / 2.0) ** 2:
                colour = BLUE if r2 <= (size / 2.0 - max(1, size // 12)) ** 2 else NAVY
                # The V: two strokes meeting at the bottom.
                t = y / float(size - 1)
                half = (1 - t) * size * 0.30 + size * 0.04
                stroke = max(1.0, size * 0.11)
                for side in (-1, 1):
                    sx = c + side * half
                    if abs(x - sx) <= stroke / 2 and size * 0.2 <= y <= size * 0.82:
                        colour = WHITE
                if colour != WHITE and y < c and dx * dx + (dy + c * 0.45) ** 2 < (size * 0.18) ** 2:
                    colour = CYAN
                pixels[top + y][left + x] = colour


def header():
    w, h = 141, 55
    px = [[WHITE] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if y >= h - 4:
                px[y][x] = NAVY if y >= h - 2 else BLUE
    emblem(px, 44, 4, 4)
    word = "VELKOR"
    scale = 3
    x0, y0 = 54, 10
    for i, ch in enumerate(word):
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for sy in range(scale):
                        for sx in range(scale - 1):
                            px[y0 + gy * scale + sy][x0 + i * 14 + gx * (scale - 1) + sx] = NAVY
    # A thin rule under the word mark.
    for x in range(54, 136):
        px[36][x] = GREY
    return w, h, px


def dib(w, h, px, with_mask):
    """A 4-bit BITMAPINFOHEADER image."""
    row_bytes = ((w * 4 + 31) // 32) * 4
    mask_row = ((w + 31) // 32) * 4
    bits = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            v = px[y][x]
            if x % 2 == 0:
                row[x // 2] |= v << 4
            else:
                row[x // 2] |= v
        bits += row
    mask = bytearray()
    if with_mask:
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_row)
            for x in range(w):
                if px[y][x] is None:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
    header_h = h * 2 if with_mask else h
    info = struct.pack("<IiiHHIIiiII", 40, w, header_h, 1, 4, 0, len(bits) + len(mask), 0, 0, 16, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in PALETTE)
    return info + pal + bytes(bits) + bytes(mask)


def icon_image(size):
    px = [[None] * size for _ in range(size)]
    emblem(px, size, 0, 0)
    # Transparent pixels are drawn black under a set mask bit.
    return size, size, px


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    w, h, px = header()
    body = dib(w, h, px, False)
    with open(os.path.join(here, "header.bmp"), "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 64) + body)
    images = []
    for size in (32, 16):
        iw, ih, ipx = icon_image(size)
        data = dib_with_mask(iw, ih, ipx)
        images.append((size, data))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(os.path.join(here, "loader.ico"), "wb") as f:
        f.write(out)


def dib_with_mask(w, h, px):
    fixed = [[BLACK if v is None else v for v in row] for row in px]
    colour = dib(w, h, fixed, False)[: 40 + 64 + ((w * 4 + 31) // 32) * 4 * h]
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(w):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(colour) - 104 + len(mask), 0, 0, 16, 0)
    return info + colour[40:] + bytes(mask)


if __name__ == "__main__":
    main()
