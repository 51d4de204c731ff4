#!/usr/bin/env python3
"""Independent checks of what the program's window shows.

Usage:
  screen_reference.py shot BMP PICTURE
      Decodes the BMP file from its layout (file header, information
      header, rows of 24 or 32 bits padded to 4 bytes, bottom row first
      unless the height is negative) and compares it with the picture (a
      screenshot of the window that the X server took).
  screen_reference.py text GAME PICTURE LAYOUT TEXT...
      Draws every glyph of LAYOUT (the quads the program drew, see
      screen_layout_driver.cpp) from the vector font file GAME/data/abc/
      qvn.abc with its own rasteriser (each glyph's texture rectangle
      stretched over its quad), and checks each line of text in the
      picture: the ink in the text's colour alike to the glyphs and at most
      a pixel from them, the ink's bounding box the glyphs' own, nothing
      drawn around it, and each TEXT spelt by one line (blanks are not
      drawn).
  screen_reference.py background GAME PICTURE LAYOUT
      Checks that the picture shows the screens' background picture
      (GAME/data/pic/bkg_entry.jpg, decoded by Pillow, over the quad the
      layout gives it) wherever nothing else is drawn.
  screen_reference.py title GAME PICTURE LAYOUT
      Checks that the title picture (GAME/data/pic/TITLE.raw, 512 x 512
      RGB bytes, with the alpha bytes of TITLEDUZEZ.raw) shows over the
      background in the quad the layout gives it.
Prints what it found; the exit code is 0 when every check holds.
"""
import math
import os
import struct
import sys

import numpy
from PIL import Image, ImageDraw

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from bmp_reference import decode_bmp  # noqa: E402

SUPERSAMPLE = 4


def fail(text):
    print("FAIL: " + text)
    return 1


def load_picture(path):
    return numpy.asarray(Image.open(path).convert("RGB"))


def check_shot(bmp_path, picture_path):
    saved = decode_bmp(bmp_path)
    shown = load_picture(picture_path)
    print("BMP %dx%d, screenshot %dx%d" % (saved.shape[1], saved.shape[0], shown.shape[1], shown.shape[0]))
    if saved.shape != shown.shape:
        return fail("the BMP is not the size of the window")
    difference = numpy.abs(saved.astype(int) - shown.astype(int)).max(axis=2)
    close = (difference <= 8).mean()
    print("pixels within 8: %.4f, mean difference %.3f" % (close, difference.mean()))
    if close < 0.995 or difference.mean() > 1.5:
        return fail("the BMP does not show the window's picture")
    if saved.std() < 10:
        return fail("the picture is plain")
    return 0


# ---------------------------------------------------------------------------
# The vector font file.

class Glyph:
    def __init__(self):
        self.points, self.triangles, self.ellipses, self.curves = [], [], [], 0
        self.width = 1.0


def read_font(path):
    """The glyph slots and the code pages (byte -> glyph slot) of a
    character-map file."""
    data = open(path, "rb").read()
    if data[:6] != b"ZKCHAR":
        raise ValueError("not a character map")
    at = [8]

    def take(form):
        values = struct.unpack_from("<" + form, data, at[0])
        at[0] += struct.calcsize("<" + form)
        return values

    glyphs = []
    for _ in range(take("i")[0]):
        g = Glyph()
        count = take("i")[0]
        g.points = [take("ff") for _ in range(count)]
        edges, triangles, ellipses, curves = take("BBBB")
        at[0] += 4 * edges
        g.triangles = [take("BBBx")[:3] for _ in range(triangles)]
        g.ellipses = [take("BxBB") for _ in range(ellipses)]
        g.curves = curves
        at[0] += 20 * curves + 100
        for x, _ in g.points:
            g.width = max(g.width, x)
        for centre, rx, _ in g.ellipses:
            g.width = max(g.width, g.points[centre][0] + rx / 10)
        glyphs.append(g)
    pages = []
    for _ in range(take("i")[0]):
        number = take("i")[0]
        pages.append((number, [take("HBB") for _ in range(224)]))
    return glyphs, pages


# Where a glyph lies in its font texture: 80 by 120 texels for its 7 by 9
# units, its texture rectangle reaching 4 texels beyond it left and right
# and from 4 texels above it to 117.76 texels below that.
TEXELS_ACROSS, TEXELS_DOWN, TEXEL_MARGIN, RECTANGLE_ROWS = 80 / 7, 120 / 9, 4, 117.76


def draw_glyph(draw, glyph, left, top, right, bottom):
    """Fills the glyph into the supersampled drawing, its texture rectangle
    stretched over the quad."""
    across = (right - left) / (glyph.width * TEXELS_ACROSS + 2 * TEXEL_MARGIN)
    down = (bottom - top) / RECTANGLE_ROWS

    # The device's pixel centres lie on whole coordinates, half a pixel
    # from the picture's.
    def place(p):
        return ((left + 0.5 + (TEXEL_MARGIN + p[0] * TEXELS_ACROSS) * across) * SUPERSAMPLE,
                (top + 0.5 + (TEXEL_MARGIN + (9 - p[1]) * TEXELS_DOWN) * down) * SUPERSAMPLE)

    for a, b, c in glyph.triangles:
        draw.polygon([place(glyph.points[a]), place(glyph.points[b]), place(glyph.points[c])], fill=255)
    for centre, rx, ry in glyph.ellipses:
        x, y = place(glyph.points[centre])
        dx, dy = rx / 10 * TEXELS_ACROSS * across * SUPERSAMPLE, ry / 10 * TEXELS_DOWN * down * SUPERSAMPLE
        draw.ellipse([x - dx, y - dy, x + dx, y + dy], fill=255)


def coverage(glyphs, quads, box):
    """The share of each pixel of the box (x0, y0, x1, y1) that the quads'
    glyphs cover, 0..1."""
    x0, y0, x1, y1 = box
    big = Image.new("L", ((x1 - x0) * SUPERSAMPLE, (y1 - y0) * SUPERSAMPLE), 0)
    draw = ImageDraw.Draw(big)
    for q in quads:
        draw_glyph(draw, glyphs[q["slot"]], q["left"] - x0, q["top"] - y0, q["right"] - x0, q["bottom"] - y0)
    small = big.resize((x1 - x0, y1 - y0), Image.BOX)
    return numpy.asarray(small).astype(float) / 255


# ---------------------------------------------------------------------------
# The layout and the background.

def read_layout(path):
    """The drawing area, the glyph quads and the picture quads."""
    area, quads, pictures = None, [], []
    for line in open(path):
        words = line.split()
        if words[:1] == ["area"]:
            area = (int(words[1]), int(words[2]))
        elif words[:1] == ["glyph"]:
            quads.append({"slot": int(words[1]), "left": float(words[2]), "top": float(words[3]),
                          "right": float(words[4]), "bottom": float(words[5]), "colour": int(words[6], 16)})
        elif words[:1] == ["picture"]:
            pictures.append({"name": words[1], "left": float(words[2]), "top": float(words[3]),
                             "right": float(words[4]), "bottom": float(words[5]),
                             "uv": tuple(float(w) for w in words[6:10]), "colour": int(words[10], 16)})
    return area, quads, pictures


def picture_in_quad(image, quad, width, height):
    """The image's part that the quad's texture coordinates name, stretched
    over the quad and cut to the drawing area: (pixels, x0, y0)."""
    u0, v0, u1, v1 = quad["uv"]
    part = image.crop((round(u0 * image.width), round(v0 * image.height),
                       round(u1 * image.width), round(v1 * image.height)))
    left, top = round(quad["left"]), round(quad["top"])
    size = (round(quad["right"]) - left, round(quad["bottom"]) - top)
    pixels = numpy.asarray(part.resize(size, Image.BILINEAR)).astype(float)
    x0, y0 = max(left, 0), max(top, 0)
    x1, y1 = min(left + size[0], width), min(top + size[1], height)
    return pixels[y0 - top:y1 - top, x0 - left:x1 - left], x0, y0


def background_picture(game, area, pictures):
    """The screens' picture where the layout draws it (black elsewhere);
    None when the layout draws none."""
    quad = next((p for p in pictures if p["name"] == "background"), None)
    if quad is None:
        return None
    picture = Image.open(game + "/data/pic/bkg_entry.jpg").convert("RGB")
    background = numpy.zeros((area[1], area[0], 3), int)
    pixels, x0, y0 = picture_in_quad(picture, quad, area[0], area[1])
    background[y0:y0 + pixels.shape[0], x0:x0 + pixels.shape[1]] = pixels.round().astype(int)
    return background


def covered(area, quads, grow_by=0):
    """The pixels the quads cover (grown by some pixels each way)."""
    mask = numpy.zeros((area[1], area[0]), bool)
    for q in quads:
        mask[max(int(q["top"]) - grow_by, 0):max(int(math.ceil(q["bottom"])) + grow_by, 0),
             max(int(q["left"]) - grow_by, 0):max(int(math.ceil(q["right"])) + grow_by, 0)] = True
    return mask


def paper_under(shown, background, others, glyph_mask):
    """What lies under the texts: the background picture, and where other
    pictures (menu boxes) cover it, the background as the box shows it
    through. A box blends its texture's colour over what lies under it by
    its colour's alpha: each channel is the background's times (1 - alpha)
    plus what the box adds, taken as the median away from the glyphs."""
    paper = background.copy()
    edges = numpy.zeros(shown.shape[:2], bool)
    for q in others:
        mask = covered((shown.shape[1], shown.shape[0]), [q])
        u0, v0, u1, v1 = q["uv"]
        if u1 - u0 > 0.05 or v1 - v0 > 0.05:
            # The box's edge: its texels are not one colour.
            edges |= mask
        keep = mask & ~glyph_mask
        if not keep.any():
            continue
        # The colour's alpha gives how much shows through; where the
        # background varies enough under the box away from the glyphs, the
        # texture's own alpha is fitted instead.
        through = 1.0 - ((q["colour"] >> 24) & 255) / 255.0
        for c in range(3):
            under = background[..., c][keep].astype(float)
            seen = shown[..., c][keep].astype(float)
            if under.std() >= 16:
                through = float(numpy.clip(numpy.polyfit(under, seen, 1)[0], 0, 1))
            added = numpy.median(seen - through * under)
            fitted = background[..., c][mask] * through + added
            paper[..., c][mask] = numpy.clip(fitted.round(), 0, 255).astype(int)
    return paper, edges


def lines_of(quads):
    """The quads in lines: the glyphs of one colour whose tops agree, left
    to right, split where a gap wider than the glyphs are high parts two
    texts; lines from the top down."""
    rows = {}
    for q in quads:
        rows.setdefault((round(q["top"]), q["colour"]), []).append(q)
    lines = []
    for key in sorted(rows):
        row = sorted(rows[key], key=lambda q: q["left"])
        lines.append([row[0]])
        for before, q in zip(row, row[1:]):
            if q["left"] - before["right"] > q["bottom"] - q["top"]:
                lines.append([])
            lines[-1].append(q)
    return lines


def bounding_box(mask):
    ys, xs = numpy.nonzero(mask)
    if len(xs) == 0:
        return None
    return (int(xs.min()), int(ys.min()), int(xs.max()), int(ys.max()))


def spelled(line, page):
    byte_of = {}
    for b in range(255, 32, -1):
        byte_of[page[b - 32][0]] = b
    return "".join(chr(byte_of[q["slot"]]) if q["slot"] in byte_of else "?" for q in line)


def grow(mask, steps):
    """The mask and every pixel within steps pixels across or down of it."""
    grown = mask.copy()
    for _ in range(steps):
        step = grown.copy()
        step[1:, :] |= grown[:-1, :]
        step[:-1, :] |= grown[1:, :]
        step[:, 1:] |= grown[:, :-1]
        step[:, :-1] |= grown[:, 1:]
        grown = step
    return grown


def correlation(a, b):
    a, b = a - a.mean(), b - b.mean()
    scale = math.sqrt((a * a).sum() * (b * b).sum())
    return float((a * b).sum() / scale) if scale > 0 else 0.0


def shows_background(shown, background, box):
    """Which pixels of the box show the background picture: within 40 of
    it at the pixel or a neighbour (the picture's filtering may shift a
    sharp edge by a pixel)."""
    x0, y0, x1, y1 = box
    crop = shown[y0:y1, x0:x1].astype(int)
    padded = numpy.pad(background, ((1, 1), (1, 1), (0, 0)), mode="edge")
    alike = numpy.zeros(crop.shape[:2], bool)
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            paper = padded[y0 + 1 + dy:y1 + 1 + dy, x0 + 1 + dx:x1 + 1 + dx]
            alike |= numpy.abs(crop - paper).max(axis=2) <= 40
    return alike


def calm_paper(background, box):
    """Which pixels of the box lie where the paper changes by at most 60 in
    any channel within two pixels."""
    x0, y0, x1, y1 = box
    padded = numpy.pad(background, ((2, 2), (2, 2), (0, 0)), mode="edge").astype(int)
    low = high = padded[y0 + 2:y1 + 2, x0 + 2:x1 + 2]
    for dy in range(-2, 3):
        for dx in range(-2, 3):
            near = padded[y0 + 2 + dy:y1 + 2 + dy, x0 + 2 + dx:x1 + 2 + dx]
            low, high = numpy.minimum(low, near), numpy.maximum(high, near)
    return (high - low).max(axis=2) <= 60


def check_line(line, shadow, glyphs, shown, background, edges):
    """Checks one line of text against the picture; where it was found and
    the failures."""
    height, width = shown.shape[:2]
    everything = line + shadow
    margin = 6
    box = (max(int(min(q["left"] for q in everything)) - margin, 0),
           max(int(min(q["top"] for q in everything)) - margin, 0),
           min(int(max(q["right"] for q in everything)) + margin + 1, width),
           min(int(max(q["bottom"] for q in everything)) + margin + 1, height))
    x0, y0, x1, y1 = box
    text = coverage(glyphs, line, box)
    dark = coverage(glyphs, shadow, box) if shadow else numpy.zeros_like(text)
    crop = shown[y0:y1, x0:x1].astype(float)
    paper = background[y0:y1, x0:x1].astype(float)
    colour = numpy.array([(line[0]["colour"] >> 16) & 255, (line[0]["colour"] >> 8) & 255, line[0]["colour"] & 255])
    # How far each pixel went from the background towards the text's
    # colour: the text's ink as the picture shows it.
    towards = colour - paper
    ink = numpy.clip(((crop - paper) * towards).sum(axis=2) / numpy.maximum((towards * towards).sum(axis=2), 900), 0, 1)
    # Where the paper is nearly the text's colour (white text over a white
    # stripe of the picture), or where the picture changes sharply within
    # two pixels (its scaling and a box's blending there cannot be
    # predicted to the pixel), the text's pixels say nothing.
    calm = calm_paper(background, box) & ~edges[box[1]:box[3], box[0]:box[2]]
    visible = (numpy.abs(towards).max(axis=2) > 60) & calm
    ink = numpy.where(visible, ink, 0)
    text = numpy.where(visible, text, 0)
    faults = []
    # The glyphs' pixels are the rasterised glyphs' own, at most a pixel
    # from where the layout put them.
    best = max((correlation(ink[margin:-margin, margin:-margin],
                            text[margin + dy:text.shape[0] - margin + dy, margin + dx:text.shape[1] - margin + dx]),
                dx, dy) for dx in range(-3, 4) for dy in range(-3, 4))
    if best[0] < 0.75 or abs(best[1]) > 1 or abs(best[2]) > 1:
        faults.append("glyphs alike by %.2f, %d across and %d down of their place" % best)
    # Away from the glyphs and their shadow the background shows.
    near = grow((text > 0) | (dark > 0), 3)
    clear = shows_background(shown, background, box)[~near & calm].mean()
    if clear < 0.97:
        faults.append("%.2f of the pixels around the text show the background" % clear)
    # The bounding box of the ink in the text's colour is the glyphs' own,
    # where the glyphs matched best.
    dx, dy = best[1], best[2]
    drawn = bounding_box((ink >= 0.5) & near & visible)
    expected = bounding_box((text >= 0.5) & visible)
    if expected is not None:
        expected = (expected[0] - dx, expected[1] - dy, expected[2] - dx, expected[3] - dy)
    if drawn is None or expected is None or max(abs(a - b) for a, b in zip(drawn, expected)) > 2:
        faults.append("ink box %s where the glyphs make %s" % (drawn, expected))
    return "%.2f at %+d %+d" % best, box, faults


def load_scene(game, picture_path, layout_path):
    """The picture, the layout and the background under the texts; or the
    failure."""
    area, quads, pictures = read_layout(layout_path)
    shown = load_picture(picture_path).astype(int)
    if area is None or (shown.shape[1], shown.shape[0]) != area:
        return "the layout's area %s is not the picture's size" % (area,)
    background = background_picture(game, area, pictures)
    if background is None:
        return "the layout draws no background picture"
    others = [p for p in pictures if p["name"] not in ("background", "title")]
    paper, edges = paper_under(shown, background, others, covered(area, quads, 3))
    return area, quads, pictures, shown, (paper, edges)


def check_text(game, picture_path, layout_path, texts):
    glyphs, pages = read_font(game + "/data/abc/qvn.abc")
    scene = load_scene(game, picture_path, layout_path)
    if isinstance(scene, str):
        return fail(scene)
    area, quads, _, shown, (paper, edges) = scene
    if any(q["slot"] < 0 for q in quads):
        return fail("a quad names no glyph")
    if any(glyphs[q["slot"]].curves for q in quads):
        return fail("a glyph with curved strokes: not drawn here")
    # A shadow is a black line a pixel to the right of and below a line of
    # another colour; a black line alone (a caption on a light button) is
    # a text of its own.
    lines = lines_of(quads)
    coloured = [line for line in lines if line[0]["colour"] != 0xFF000000]

    def shadows_a_line(s):
        return any(abs(s[0]["top"] - t[0]["top"] - 1) < 1.5 and abs(s[0]["left"] - t[0]["left"] - 1) < 1.5
                   for t in coloured)
    shadows = [line for line in lines if line[0]["colour"] == 0xFF000000 and shadows_a_line(line)]
    failures = 0
    found = []
    for line in lines:
        if any(line is s for s in shadows):
            continue
        # Its shadow lies a pixel to the right and down.
        shadow = [s for s in shadows if abs(s[0]["top"] - line[0]["top"] - 1) < 1.5 and
                  abs(s[0]["left"] - line[0]["left"] - 1) < 1.5]
        words = spelled(line, pages[0][1])
        alike, box, faults = check_line(line, shadow[0] if shadow else [], glyphs, shown, paper, edges)
        print("line %r in %s, glyphs alike by %s: %s" % (words, box, alike, "; ".join(faults) if faults else "as laid out"))
        failures += 1 if faults else 0
        found.append(words)
    # Each text once; other lines (checked above all the same) may be there.
    missing = [t for t in texts if found.count(t.replace(" ", "")) != 1]
    if missing:
        print("lines %s, not once: %s" % (sorted(found), missing))
        failures += 1
    return fail("%d lines" % failures) if failures else 0


def check_background(game, picture_path, layout_path):
    scene = load_scene(game, picture_path, layout_path)
    if isinstance(scene, str):
        return fail(scene)
    area, quads, pictures, shown, (paper, _) = scene
    # Everything but the background and the texts is someone else's.
    free = ~covered(area, quads, 3) & ~covered(area, [p for p in pictures if p["name"] != "background"])
    close = shows_background(shown, paper, (0, 0, area[0], area[1]))[free].mean()
    print("pixels with nothing else drawn that show the background picture: %.4f of %d" % (close, free.sum()))
    if close < 0.97 or free.sum() < area[0] * area[1] // 4:
        return fail("the background picture does not show")
    return 0


def check_title(game, picture_path, layout_path):
    scene = load_scene(game, picture_path, layout_path)
    if isinstance(scene, str):
        return fail(scene)
    area, quads, pictures, shown, (paper, _) = scene
    quad = next((p for p in pictures if p["name"] == "title"), None)
    if quad is None:
        return fail("the layout draws no title picture")
    side = 512
    colour = numpy.fromfile(game + "/data/pic/TITLE.raw", numpy.uint8).reshape(side, side, 3)
    alpha = numpy.fromfile(game + "/data/pic/TITLEDUZEZ.raw", numpy.uint8).reshape(side, side)
    title, x0, y0 = picture_in_quad(Image.fromarray(colour), quad, area[0], area[1])
    opacity = picture_in_quad(Image.fromarray(alpha), quad, area[0], area[1])[0][:, :, None] / 255
    box = (x0, y0, x0 + title.shape[1], y0 + title.shape[0])
    under = paper[y0:box[3], x0:box[2]]
    expected = numpy.zeros_like(paper)
    expected[y0:box[3], x0:box[2]] = (title * opacity + under * (1 - opacity)).round().astype(int)
    alike = shows_background(shown, expected, box)
    letters = opacity[:, :, 0] >= 0.9
    print("title in %s: %.4f of its pixels as composed, %.4f of its letters' (%d)" %
          (box, alike.mean(), alike[letters].mean(), letters.sum()))
    if alike.mean() < 0.95 or alike[letters].mean() < 0.9 or letters.sum() < 1000:
        return fail("the title picture does not show")
    return 0


def main():
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "shot":
        return check_shot(*arguments)
    if command == "text":
        return check_text(arguments[0], arguments[1], arguments[2], arguments[3:])
    if command == "background":
        return check_background(*arguments)
    if command == "title":
        return check_title(*arguments)
    return fail("unknown command " + command)


if __name__ == "__main__":
    sys.exit(main())
