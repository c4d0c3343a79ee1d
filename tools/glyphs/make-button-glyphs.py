#!/usr/bin/env python3
"""Writes controls/VarnButtonGlyphs.cpp: the button's built-in glyphs as stored
glyph data (a 32-bit little-endian byte count, then a 16-colour BMP file), in
hexadecimal text. Each strip holds the normal image and the disabled one.

    tools/glyphs/make-button-glyphs.py > controls/VarnButtonGlyphs.cpp
"""
import math
import struct

# The standard 16-colour palette (RGB).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, OLIVE, GREY, SILVER, LIME, WHITE = 0, 3, 7, 8, 10, 15


def art(text):
    rows = [r.strip() for r in text.strip().splitlines()]
    return [[c == '#' for c in r] for r in rows]


def blank(w, h):
    return [[False] * w for _ in range(h)]


def place(w, h, rows, top):
    img = blank(w, h)
    for y, r in enumerate(rows):
        for x, on in enumerate(r):
            img[top + y][x] = on
    return img


def cog():
    w, h = 14, 13
    img = blank(w, h)
    cx, cy = 7.0, 6.5
    for y in range(h):
        for x in range(w):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(dx, dy)
            a = math.degrees(math.atan2(dy, dx)) % 45
            tooth = a < 14 or a > 31
            if (d <= 4.3 or (d <= 6.2 and tooth)) and d > 1.8:
                img[y][x] = True
    return img


GLYPHS = [
    ("sbiCancel", 14, 13, place(14, 13, art("""
        ..##.......##.
        ...##.....##..
        ....##...##...
        .....##.##....
        ......###.....
        .....##.##....
        ....##...##...
        ...##.....##..
        ..##.......##."""), 2), False),
    ("sbiOk", 14, 13, place(14, 13, art("""
        ..........##..
        .........###..
        ........###...
        .##....###....
        .###..###.....
        ..######......
        ...####.......
        ....##........"""), 3), False),
    ("sbiUp", 14, 13, place(14, 13, art("""
        ......#.......
        .....###......
        ....#####.....
        ...#######....
        ..#########...
        .###########.."""), 4), False),
    ("sbiMinus", 14, 13, place(14, 13, art("""
        ..##########..
        ..##########..
        ..##########.."""), 5), False),
    ("sbiPlus", 14, 13, place(14, 13, art("""
        ......##......
        ......##......
        ......##......
        ......##......
        ..##########..
        ..##########..
        ......##......
        ......##......
        ......##......
        ......##......"""), 1), False),
    ("sbiNext", 10, 13, place(10, 13, art("""
        ...#......
        ...##.....
        ...###....
        ...####...
        ...#####..
        ...####...
        ...###....
        ...##.....
        ...#......"""), 2), False),
    ("sbiPrior", 10, 13, place(10, 13, art("""
        ......#...
        .....##...
        ....###...
        ...####...
        ..#####...
        ...####...
        ....###...
        .....##...
        ......#..."""), 2), False),
    ("sbiFirst", 14, 13, place(14, 13, art("""
        ...##.....#...
        ...##....##...
        ...##...###...
        ...##..####...
        ...##.#####...
        ...##..####...
        ...##...###...
        ...##....##...
        ...##.....#..."""), 2), False),
    ("sbiLast", 14, 13, place(14, 13, art("""
        ...#.....##...
        ...##....##...
        ...###...##...
        ...####..##...
        ...#####.##...
        ...####..##...
        ...###...##...
        ...##....##...
        ...#.....##..."""), 2), False),
    ("sbiRefresh", 14, 13, place(14, 13, art("""
        ....#####.....
        ...##...##....
        ..##.....#....
        ..#.....#####.
        .##......###..
        .##.......#...
        .##...........
        ..#.......#...
        ..##.....##...
        ...##...##....
        ....#####....."""), 1), False),
    ("sbiGear", 14, 13, cog(), False),
    ("sbiDropDown", 14, 12, place(14, 12, art("""
        ...#######....
        ....#####.....
        .....###......
        ......#......."""), 4), True),
]


def strip(w, h, figure, dropdown):
    back = LIME if dropdown else OLIVE
    ink = GREY if dropdown else BLACK
    dim = SILVER if dropdown else GREY
    pixels = [[back] * (2 * w) for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if figure[y][x]:
                pixels[y][x] = ink
    # The disabled image: the figure embossed, a white copy one pixel right and
    # down under a dim one.
    for y in range(h):
        for x in range(w):
            if figure[y][x] and x + 1 < w and y + 1 < h:
                pixels[y + 1][w + x + 1] = WHITE
    for y in range(h):
        for x in range(w):
            if figure[y][x]:
                pixels[y][w + x] = dim
    return pixels


def bmp(pixels):
    h, w = len(pixels), len(pixels[0])
    stride = ((w * 4 + 31) // 32) * 4
    rows = b""
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            row[x // 2] |= pixels[y][x] << (4 if x % 2 == 0 else 0)
        rows += bytes(row)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(rows), 0, 0, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


def main():
    print("// Generated by tools/glyphs/make-button-glyphs.py; do not edit.")
    print("// The built-in glyphs of TVarnButton as stored glyph data: a 32-bit little-endian")
    print("// byte count, then a 16-colour BMP file holding the normal and the disabled image.")
    print('#include "controls/VarnButton.h"\n')
    print("namespace {\n")
    for name, w, h, figure, dropdown in GLYPHS:
        file = bmp(strip(w, h, figure, dropdown))
        data = struct.pack("<I", len(file)) + file
        text = data.hex().upper()
        print(f"// {name}: {2 * w} x {h}, {len(file)} bytes")
        for row in figure:
            print("//   " + "".join("#" if on else "." for on in row))
        print(f"const char {name}Data[] =")
        chunks = [text[i:i + 96] for i in range(0, len(text), 96)]
        for i, chunk in enumerate(chunks):
            print(f'    "{chunk}"' + (";" if i == len(chunks) - 1 else ""))
        print()
    print("const char* const stdImageData[] = {")
    print('    "", ' + ", ".join(f"{g[0]}Data" for g in GLYPHS) + "};\n")
    print("}  // namespace\n")
    print("const char* VarnButtonStdImageData(int Image)")
    print("{")
    print(f"    if (Image <= sbiNone || Image > sbiDropDown)")
    print('        return "";')
    print("    return stdImageData[Image];")
    print("}")


main()
