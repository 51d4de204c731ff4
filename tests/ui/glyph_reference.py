#!/usr/bin/env python3
"""Independent pictures and widths of double-byte characters.

Usage: glyph_reference.py FAMILY LANG CELL OUT CODEPOINT...

Finds the face with fontconfig's own tool (fc-match), reads its sizes from
the font file's tables (head: units per em; OS/2: the Windows ascent and
descent), sizes it so that ascent plus descent is CELL pixels (the em in
whole pixels), and draws each character with Pillow with its baseline at
the ascent from the top of a CELL x CELL picture. Writes the pictures to
OUT (CELL x CELL bytes each, 255 paper and 255 less the ink) and prints one
line a character: the code point and its advance in whole pixels.
"""
import struct
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont


def table_offsets(data, face_index):
    """The table directory of the face: {tag: offset}."""
    base = 0
    if data[:4] == b"ttcf":
        count = struct.unpack(">I", data[8:12])[0]
        if face_index >= count:
            raise SystemExit("no face %d in the collection" % face_index)
        base = struct.unpack(">I", data[12 + 4 * face_index:16 + 4 * face_index])[0]
    tables = struct.unpack(">H", data[base + 4:base + 6])[0]
    offsets = {}
    for i in range(tables):
        record = data[base + 12 + 16 * i:base + 28 + 16 * i]
        offsets[record[:4].decode("latin-1")] = struct.unpack(">I", record[8:12])[0]
    return offsets


def main():
    family, lang, cell, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    characters = [int(c, 0) for c in sys.argv[5:]]
    match = subprocess.run(["fc-match", "-f", "%{file}\n%{index}", "%s:lang=%s" % (family, lang)],
                           capture_output=True, text=True, check=True).stdout.split("\n")
    path, index = match[0], int(match[1])
    data = open(path, "rb").read()
    offsets = table_offsets(data, index)
    units_per_em = struct.unpack(">H", data[offsets["head"] + 18:offsets["head"] + 20])[0]
    os2 = offsets["OS/2"]
    win_ascent, win_descent = struct.unpack(">HH", data[os2 + 74:os2 + 78])
    em = round(cell * units_per_em / (win_ascent + win_descent))
    ascent = round(win_ascent * em / units_per_em)
    font = ImageFont.truetype(path, size=em, index=index)
    pictures = bytearray()
    for c in characters:
        picture = Image.new("L", (cell, cell), 255)
        ImageDraw.Draw(picture).text((0, ascent), chr(c), font=font, fill=0, anchor="ls")
        pictures += picture.tobytes()
        print("%d %d" % (c, round(font.getlength(chr(c)))))
    open(out, "wb").write(pictures)


if __name__ == "__main__":
    main()
