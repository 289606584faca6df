#!/usr/bin/env python3
"""Small, valid pictures made from nothing: a baseline JPEG, a GIF and a 24-bit
BMP, each showing a pattern of colours. No image library is needed.

    scripts/pictures.py FOLDER     writes the example pictures into FOLDER
"""
import os
import struct
import sys


def _pattern(x, y, width, height, hue):
    """The colour (r, g, b) at (x, y): soft diagonal bands, tinted by `hue`."""
    band = ((x * 3 + y * 5) * 4 // (width + height)) % 4
    light = 110 + 40 * band
    tints = [(1.0, 0.55, 0.35), (0.35, 0.75, 1.0), (0.5, 1.0, 0.45), (1.0, 0.85, 0.3)]
    r, g, b = tints[hue % len(tints)]
    return int(light * r), int(light * g), int(light * b)


def bmp(width=96, height=64, hue=0):
    """A 24-bit uncompressed BMP."""
    row = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(height - 1, -1, -1):  # bottom row first
        line = bytearray()
        for x in range(width):
            r, g, b = _pattern(x, y, width, height, hue)
            line += bytes((b, g, r))
        pixels += line + bytes(row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def gif(width=96, height=64, hue=1):
    """A GIF of four colours. Its LZW stream sends a clear code before every
    two pixels, so that every code stays 3 bits wide: simple, and valid."""
    palette = [_pattern(x, 0, 4, 1, hue) for x in range(4)]
    indices = [((x * 3 + y * 5) * 4 // (width + height)) % 4
               for y in range(height) for x in range(width)]
    clear, end = 4, 5
    codes = []
    for i in range(0, len(indices), 2):
        codes.append(clear)
        codes.extend(indices[i:i + 2])
    codes.append(end)
    data = bytearray()
    bits = nbits = 0
    for code in codes:
        bits |= code << nbits
        nbits += 3
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        data.append(bits & 0xFF)
    blocks = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        blocks += bytes((len(chunk),)) + chunk
    screen = struct.pack("<6sHHBBB", b"GIF89a", width, height, 0x81, 0, 0)
    colours = b"".join(bytes(c) for c in palette)
    image = struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    return screen + colours + image + bytes((2,)) + bytes(blocks) + b"\x00\x3b"


def jpeg(width=96, height=64, hue=2):
    """A baseline JPEG in which every 8x8 block is one colour: only the DC
    coefficients are coded, with Huffman tables made for that."""
    assert width % 8 == 0 and height % 8 == 0

    def segment(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload

    quant = bytes((8,)) + bytes((1,) * 63)  # DC / 8 gives the level's offset from 128
    out = b"\xff\xd8"
    out += segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    out += segment(0xDB, b"\x00" + quant)
    out += segment(0xC0, struct.pack(">BHHB", 8, height, width, 3) +
                   b"\x01\x11\x00\x02\x11\x00\x03\x11\x00")
    # DC: the sizes 0..11, each a 4-bit code equal to the size. AC: end of block only.
    out += segment(0xC4, b"\x00" + bytes((0, 0, 0, 12) + (0,) * 12) + bytes(range(12)))
    out += segment(0xC4, b"\x10" + bytes((1,) + (0,) * 15) + b"\x00")
    out += segment(0xDA, b"\x03\x01\x00\x02\x00\x03\x00\x00\x3f\x00")

    bits = []
    previous = [0, 0, 0]
    for by in range(height // 8):
        for bx in range(width // 8):
            r, g, b = _pattern(bx * 8 + 4, by * 8 + 4, width, height, hue)
            ycc = (0.299 * r + 0.587 * g + 0.114 * b,
                   128 - 0.168736 * r - 0.331264 * g + 0.5 * b,
                   128 + 0.5 * r - 0.418688 * g - 0.081312 * b)
            for c in range(3):
                dc = int(round(ycc[c])) - 128
                diff, previous[c] = dc - previous[c], dc
                size = abs(diff).bit_length()
                bits += [int(d) for d in format(size, "04b")]
                if size:
                    value = diff if diff > 0 else diff + (1 << size) - 1
                    bits += [int(d) for d in format(value, "0%db" % size)]
                bits.append(0)  # end of block
    bits += [1] * (-len(bits) % 8)
    scan = bytearray()
    for i in range(0, len(bits), 8):
        byte = int("".join(map(str, bits[i:i + 8])), 2)
        scan.append(byte)
        if byte == 0xFF:
            scan.append(0)
    return out + bytes(scan) + b"\xff\xd9"


MAKERS = {"jpg": jpeg, "jpeg": jpeg, "gif": gif, "bmp": bmp}


def picture_for(name, hue=0, width=96, height=64):
    """The bytes of a picture whose kind fits the extension of `name`."""
    extension = name.rsplit(".", 1)[-1].lower()
    return MAKERS[extension](width=width, height=height, hue=hue)


# The bundled examples: every kind, an upper-case extension, a space, a '#',
# and a file that is no picture.
EXAMPLES = ["beach.jpg", "HARBOUR.JPG", "old town.jpeg", "sunset #2.gif", "map.bmp"]


def write_examples(folder):
    os.makedirs(folder, exist_ok=True)
    for hue, name in enumerate(EXAMPLES):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(picture_for(name, hue, width=128, height=96))
    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("Not a picture: picindex leaves this file out of the page.\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    write_examples(sys.argv[1])
