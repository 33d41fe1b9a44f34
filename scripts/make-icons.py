#!/usr/bin/env python3
"""Builds the program's icons from the images in src/resources/icons (ImageMagick reads them).

Each icon holds 32-bit images with alpha for today's Windows (XP on) and a 16-colour image in the
standard Windows colours for 16-colour screens; the program's icon also an exact-colour
256-colour image for 256-colour screens (Windows 95 picks the deepest image the screen can show).
The sizes that only high-DPI displays ask for (24 and 48 for 150 %, 64 for 200 %) are PNG entries,
which Windows reads from Vista on and which cost a fraction of a bitmap: Windows before Vista
keeps its icons at 16 and 32 pixels whatever the DPI, so it never picks them (the program's
48-pixel image, which XP's tile view shows, stays a bitmap). Run it after changing a source image
and commit the .ico files it writes.
"""
import colorsys
import os
import struct
import subprocess
import sys
import zlib

if len(sys.argv) > 1:
    sys.stderr.write("usage: make-icons.py (no arguments; writes src/resources/setup.ico and "
                     "uninstall.ico)\n")
    sys.exit(2)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = os.path.join(ROOT, "src", "resources", "icons")

# The 16 colours every Windows screen shows without a palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# (name, {size: depths}), PNG standing for a PNG entry: the program's icon appears everywhere
# Explorer shows a file; the uninstall icon only in the list of installed programs and the
# uninstall window. A 256-colour screen takes the 32-pixel icon from its own image and the small
# one from the 16-colour image (a 256-colour 16-pixel image would cost 1.4 KB of the program's
# size).
PNG = "png"
ICONS = [
    ("setup", {16: (4, 32), 24: (PNG,), 32: (4, 8, 32), 48: (32,), 64: (PNG,)}),
    ("uninstall", {16: (4, 32), 24: (PNG,), 32: (4, 32), 48: (PNG,), 64: (PNG,)}),
]


def read_rgba(path, size):
    data = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout
    if len(data) != size * size * 4:
        sys.exit("%s is not %dx%d" % (path, size, size))
    return [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]


def nearest_vga(rgb):
    # Hue counts most: plain RGB distance would turn the program's mid blue teal and the
    # uninstall red's lighter edge olive.
    def hsv(c):
        return colorsys.rgb_to_hsv(*[v / 255 for v in c])

    h1, s1, v1 = hsv(rgb)

    def distance(c):
        h2, s2, v2 = hsv(c)
        dh = min(abs(h1 - h2), 1 - abs(h1 - h2))
        return (dh * 4) ** 2 * min(s1, s2) + (s1 - s2) ** 2 + (v1 - v2) ** 2

    return min(range(16), key=lambda i: distance(VGA[i]))


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def mask_rows(pixels, size, opaque):
    out = b""
    for y in reversed(range(size)):
        row = bytearray(row_bytes(1, size))
        for x in range(size):
            if not opaque(pixels[y * size + x]):
                row[x // 8] |= 0x80 >> (x % 8)
        out += bytes(row)
    return out


def header(size, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(pixels, size):
    # A palette with per-entry alpha holds these few-colour images in a third of the bytes of
    # true colour; the entries without full alpha go first, so that the alpha table stays short.
    colours = sorted(set(pixels), key=lambda p: (p[3] == 255, p))
    if len(colours) > 256:
        sys.exit("more than 256 colours in a PNG entry")
    lookup = {c: i for i, c in enumerate(colours)}
    # Up to 16 colours take half a byte a pixel.
    bits = 4 if len(colours) <= 16 else 8
    raw = b""
    for y in range(size):
        row = bytearray((size * bits + 7) // 8)
        for x in range(size):
            value = lookup[pixels[y * size + x]]
            if bits == 8:
                row[x] = value
            else:
                row[x // 2] |= value << (4 if x % 2 == 0 else 0)
        raw += b"\0" + bytes(row)
    alphas = bytes(c[3] for c in colours if c[3] != 255)
    return (b"\x89PNG\r\n\x1a\n" +
            png_chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, bits, 3, 0, 0, 0)) +
            png_chunk(b"PLTE", b"".join(bytes(c[:3]) for c in colours)) +
            (png_chunk(b"tRNS", alphas) if alphas else b"") +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def image(pixels, size, bits):
    if bits == PNG:
        return png(pixels, size)
    if bits == 32:
        body = b"".join(bytes((p[2], p[1], p[0], p[3])) for y in reversed(range(size))
                        for p in pixels[y * size:(y + 1) * size])
        return header(size, 32, 0) + body + mask_rows(pixels, size, lambda p: p[3] > 0)
    opaque = lambda p: p[3] >= 128
    if bits == 4:
        palette = VGA
        index = lambda p: nearest_vga(p[:3])
    else:
        # Index 0 is black, the colour that transparent pixels need under their mask: any
        # other colour would be XORed onto the background.
        palette = [(0, 0, 0)] + sorted({p[:3] for p in pixels if opaque(p)} - {(0, 0, 0)})
        if len(palette) > 256:
            sys.exit("more than 256 colours")
        palette += [(0, 0, 0)] * (256 - len(palette))
        lookup = {c: i for i, c in enumerate(palette)}
        index = lambda p: lookup[p[:3]]
    body = b""
    for y in reversed(range(size)):
        row = bytearray(row_bytes(bits, size))
        for x in range(size):
            p = pixels[y * size + x]
            value = index(p) if opaque(p) else 0
            if bits == 8:
                row[x] = value
            else:
                row[x // 2] |= value << (4 if x % 2 == 0 else 0)
        body += bytes(row)
    colours = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette)
    return header(size, bits, 0) + colours + body + mask_rows(pixels, size, opaque)


def build(name, sizes):
    entries = []
    for size in sorted(sizes):
        pixels = read_rgba(os.path.join(SOURCES, "%s-%d.png" % (name, size)), size)
        for bits in sizes[size]:
            entries.append((size, bits, image(pixels, size, bits)))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, bits, data in entries:
        colours = 16 if bits == 4 else 0
        depth = 32 if bits == PNG else bits
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, data in entries)
    path = os.path.join(ROOT, "src", "resources", name + ".ico")
    with open(path, "wb") as f:
        f.write(out)
    print("%s: %d bytes, %d images" % (os.path.relpath(path, ROOT), len(out), len(entries)))


for icon_name, icon_sizes in ICONS:
    build(icon_name, icon_sizes)
