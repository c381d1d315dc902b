#!/usr/bin/env python3
"""Builds every picture and sound embedded in Tiremola.exe.

Makes, next to this script:
  tiremola.ico                 application icon, 16x16, 32x32 and 48x48, 32-bit with alpha
  about.bmp                    163x50 about-box picture
  logo.bmp                     200x50 product logo (shown on the light blue window)
  ship2.bmp ship3.bmp ship4.bmp  64x50 side views of the 2, 3 and 4 cell ships
  arrow_player.bmp             99x87 arrow pointing left, "La tua area"
  arrow_enemy.bmp              99x87 arrow pointing right, "Area nemica"
  hit.wav miss.wav             22050 Hz 16-bit mono effects for a hit and a miss

and each of the seven bitmaps again at twice the size, for displays at 200 %,
as <name>_2x.bmp (about 326x100, logo 400x100, ships 128x100, arrows 198x174):
the same drawing made at two device pixels to the logical one, not the small
picture enlarged, so its lines and letters are as sharp as the small one's.

Rerun with:  python3 resources/make_assets.py
Needs only Python 3 and ImageMagick 6 (`convert`; Debian packages imagemagick,
fonts-dejavu-core and fonts-dejavu-extra for the DejaVu Sans/Serif Condensed fonts).  The output is deterministic: the sounds use a fixed
seed and the drawing is plain vector work, so a rerun on the same tools gives the same
bytes.

Bitmaps are written as 24-bit uncompressed BMPs.  The game draws the ship pictures with
pure black RGB(0,0,0) as the transparent colour, so no picture may contain a pure black
pixel; outlines and text use near-black (20,20,30) instead, and the script refuses to
finish if a pure black pixel slips into any bitmap.
"""

import math
import os
import random
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_SERIF_COND_BOLD = os.path.join(FONT_DIR, "DejaVuSerifCondensed-Bold.ttf")
FONT_SANS_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

# Palette shared by every picture.
WINDOW_BLUE = (153, 204, 255)   # the main window's background
WHITE = (255, 255, 255)
INK = (20, 20, 30)              # near-black for outlines: pure black is the transparent key
NAVY = (24, 44, 84)
NAVY_DARK = (16, 30, 60)
STEEL = (66, 88, 120)
STEEL_LIGHT = (112, 134, 162)
STEEL_PALE = (178, 192, 208)
DECK = (196, 206, 218)
RED = (196, 36, 40)
RED_DARK = (130, 22, 28)
SEA = (40, 104, 176)
SEA_LIGHT = (96, 160, 222)
SEA_DEEP = (22, 62, 128)
SKY = (200, 228, 255)
GOLD = (236, 196, 80)


def rgb(c, a=None):
    if a is None:
        return "rgb(%d,%d,%d)" % c
    return "rgba(%d,%d,%d,%.3f)" % (c + (a,))


# ---------------------------------------------------------------------------
# ImageMagick helpers.  Each picture is one `convert` command line built from
# layers; the result comes back as raw RGB(A) bytes.

def magick(width, height, args, alpha=False):
    fmt = "rgba" if alpha else "rgb"
    cmd = ["convert"] + args + ["-depth", "8", "%s:-" % fmt]
    data = subprocess.run(cmd, check=True, stdout=subprocess.PIPE).stdout
    expect = width * height * (4 if alpha else 3)
    if len(data) != expect:
        raise RuntimeError("convert returned %d bytes for %dx%d, expected %d"
                           % (len(data), width, height, expect))
    return data


def ground(width, height, colour):
    return ["-size", "%dx%d" % (width, height), "xc:" + rgb(colour)]


def vgradient(width, height, top, bottom):
    return ["-size", "%dx%d" % (width, height),
            "gradient:%s-%s" % (rgb(top), rgb(bottom))]


def layer_shape(width, height, fill_args, shape_mvg):
    """Composite `fill_args` (an image: gradient, flat colour...) over the
    current image, clipped to the white area of `shape_mvg`."""
    mask = ["(", "-size", "%dx%d" % (width, height), "xc:black",
            "-fill", "white", "-stroke", "none", "-draw", shape_mvg]
    mask += [")"]
    return (["(", *fill_args, *mask, "-alpha", "off",
             "-compose", "CopyOpacity", "-composite", ")",
             "-compose", "Over", "-composite"])


def layer_shadow(width, height, colour, opacity, shape_mvg, blur):
    """A soft shadow of `shape_mvg` in `colour`."""
    flat = ["-size", "%dx%d" % (width, height), "xc:" + rgb(colour)]
    mask = ["(", "-size", "%dx%d" % (width, height), "xc:black",
            "-fill", "gray%d" % round(opacity * 100), "-stroke", "none",
            "-draw", shape_mvg, "-blur", "0x%g" % blur, ")"]
    return (["(", *flat, *mask, "-alpha", "off",
             "-compose", "CopyOpacity", "-composite", ")",
             "-compose", "Over", "-composite"])


def draw(mvg):
    return ["-compose", "Over", "-draw", mvg]


def at(scale, mvg):
    """`mvg`, written in logical pixels, for a picture made at `scale` device
    pixels to the logical one.  ImageMagick's affine transform moves the
    coordinates and widens the strokes alike.  It puts pixel centres on whole
    coordinates, so logical x lands on device scale * x + (scale - 1) / 2:
    without that shift every shape would sit half a device pixel up and to the
    left, and an edge between two pixels at 1x would fall mid-pixel at 2x."""
    shift = (scale - 1) / 2
    return "affine %g,0,0,%g,%g,%g %s" % (scale, scale, shift, shift, mvg)


def poly(points):
    return " ".join("%g,%g" % p for p in points)


def round_capped(points, colour, width, scale):
    """MVG for a polyline with round ends, `width` logical pixels wide, for a
    picture made at `scale`.  ImageMagick 6.9.11 refuses a round-capped
    polyline wider than 2 device pixels (and strokes such a path with a stray
    band), so a wider one gets butt ends with a dot on each instead."""
    line = "fill none stroke %s stroke-width %g " % (rgb(colour), width)
    if width * scale <= 2:
        return line + "stroke-linecap round polyline %s " % poly(points)
    dots = "".join("circle %g,%g %g,%g " % (x, y, x + width / 2, y)
                   for x, y in (points[0], points[-1]))
    return ("push graphic-context %sstroke-linecap butt stroke-linejoin round "
            "polyline %s fill %s stroke none %spop graphic-context "
            % (line, poly(points), rgb(colour), dots))


def outlined_text(font, size, x, y, text, fill, halo, halo_width, scale,
                  gravity="NorthWest", kerning=0):
    """MVG for text with a halo drawn under it (so the halo widens the glyph
    outward only and the letter shapes stay crisp).  The sizes and the position
    are logical and multiplied by `scale` here rather than through `at`, which
    would misplace text aligned by gravity."""
    size, x, y, halo_width, kerning = (v * scale for v in (size, x, y, halo_width, kerning))
    base = ("font '%s' font-size %g gravity %s kerning %g "
            % (font, size, gravity, kerning))
    txt = text.replace("'", "\\'")
    out = ""
    if halo is not None and halo_width > 0:
        out += ("push graphic-context %s fill %s stroke %s stroke-width %g "
                "stroke-linejoin round text %g,%g '%s' pop graphic-context "
                % (base, rgb(halo), rgb(halo), halo_width, x, y, txt))
    out += ("push graphic-context %s fill %s stroke none text %g,%g '%s' "
            "pop graphic-context " % (base, rgb(fill), x, y, txt))
    return out


# ---------------------------------------------------------------------------
# File writers.

def write_bmp24(path, width, height, rgb_bytes):
    """24-bit BI_RGB bottom-up BMP, rows padded to 4 bytes."""
    row = width * 3
    pad = (4 - row % 4) % 4
    body = bytearray()
    for y in range(height - 1, -1, -1):
        line = rgb_bytes[y * row:(y + 1) * row]
        for x in range(width):
            r, g, b = line[3 * x:3 * x + 3]
            body += bytes((b, g, r))
        body += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def read_bmp24(path):
    """Reads back a BMP written above; returns (width, height, rgb rows top-down)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s: not a BMP" % path)
    offset = struct.unpack_from("<I", data, 10)[0]
    (size, width, height, planes, bpp, compression) = struct.unpack_from("<IiiHHI", data, 14)
    if size != 40 or planes != 1 or bpp != 24 or compression != 0:
        raise ValueError("%s: not a 24-bit BI_RGB BMP" % path)
    bottom_up = height > 0
    height = abs(height)
    row = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height):
        src = height - 1 - y if bottom_up else y
        line = data[offset + src * row: offset + src * row + width * 3]
        for x in range(width):
            b, g, r = line[3 * x:3 * x + 3]
            pixels += bytes((r, g, b))
    return width, height, bytes(pixels)


def write_ico(path, images):
    """images: list of (size, rgba bytes).  Each entry is a 32-bit BGRA DIB
    with its AND mask, which every Windows version since XP reads."""
    entries = []
    blobs = []
    for size, rgba in images:
        xor = bytearray()
        mask_row = ((size + 31) // 32) * 4
        and_mask = bytearray()
        for y in range(size - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(size):
                i = (y * size + x) * 4
                r, g, b, a = rgba[i:i + 4]
                xor += bytes((b, g, r, a))
                if a < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            and_mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                           len(xor) + len(and_mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(and_mask)
        blobs.append(blob)
        entries.append(size)
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for size, blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_wav(path, rate, samples):
    """16-bit mono PCM."""
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s * 32767)))))
                      for s in samples)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(frames), b"WAVE",
                         b"fmt ", 16, 1, 1, rate, rate * 2, 2, 16,
                         b"data", len(frames))
    with open(path, "wb") as f:
        f.write(header + frames)


# ---------------------------------------------------------------------------
# Pictures.  Each maker takes `k`, the device pixels to a logical one, and
# draws the same picture at that scale: its size, coordinates, strokes, fonts
# and blurs all multiplied by `k`.

def make_logo(k):
    size = (200 * k, 50 * k)
    args = ground(*size, WINDOW_BLUE)
    # Ship's wheel emblem on the left: rim, eight spokes that run out into
    # handles, and a red hub.
    cx, cy = 28, 24
    spokes = ""
    handles = ""
    for i in range(8):
        a = math.pi / 8 + i * math.pi / 4
        c, s = math.cos(a), math.sin(a)
        spokes += "line %.2f,%.2f %.2f,%.2f " % (cx + 3 * c, cy + 3 * s, cx + 14 * c, cy + 14 * s)
        handles += "line %.2f,%.2f %.2f,%.2f " % (cx + 15 * c, cy + 15 * s, cx + 21 * c, cy + 21 * s)
    rim = "circle %d,%d %d,%d " % (cx, cy, cx + 12, cy)
    wheel_shape = ("fill none stroke-linecap round stroke white stroke-width 1.5 %s "
                   "stroke-width 3.2 %s stroke-width 2.6 %s" % (spokes, handles, rim))
    args += layer_shadow(*size, NAVY_DARK, 0.4, at(k, "translate 1.5,1.5 " + wheel_shape), 0.8 * k)
    args += draw(at(k, wheel_shape.replace("white", rgb(NAVY)) +
                    " stroke none fill %s circle %d,%d %g,%d fill %s circle %d,%d %g,%d"
                    % (rgb(RED), cx, cy, cx + 4, cy, rgb(GOLD), cx, cy, cx + 1.6, cy)))
    # The name: bold serif, navy with a white halo and a soft shadow.
    tx, ty = 55, 4
    args += layer_shadow(*size, NAVY_DARK, 0.45,
                         outlined_text(FONT_SERIF_COND_BOLD, 30, tx + 2, ty + 2,
                                       "Tiremola", WHITE, WHITE, 2.5, k), 1.2 * k)
    args += draw(outlined_text(FONT_SERIF_COND_BOLD, 30, tx, ty, "Tiremola",
                               NAVY, WHITE, 3.0, k))
    # Red wave under the name.
    pts = [(tx + 2 + i, 43.5 + 1.6 * math.sin(i / 4.0)) for i in range(0, 136)]
    args += draw(at(k, round_capped(pts, RED, 2, k)))
    return (*size, magick(*size, args))


def clip_below(points, y0):
    """The piece of polygon `points` at or below the line y = y0 (Sutherland-Hodgman
    against one half-plane); used for the boot-topping band of a hull."""
    out = []
    n = len(points)
    for i in range(n):
        (x1, y1), (x2, y2) = points[i], points[(i + 1) % n]
        in1, in2 = y1 >= y0, y2 >= y0
        if in1:
            out.append((x1, y1))
        if in1 != in2:
            t = (y0 - y1) / (y2 - y1)
            out.append((x1 + t * (x2 - x1), y0))
    return out


def wave_line(x0, x1, y, amp, period, phase=0.0):
    return [(x, y + amp * math.sin((x - x0) * 2 * math.pi / period + phase))
            for x in [x0 + i * 0.5 for i in range(int((x1 - x0) * 2) + 1)]]


def make_ship(hull, superstructure, details, k, waterline=36.0):
    """Side view of a ship on white, at `k` device pixels to the logical one.
    `hull` is the hull outline (bow on the right), `superstructure` a list of
    (polygon, colour) drawn on deck, and `details` raw MVG drawn last (masts,
    windows, guns)."""
    size = (64 * k, 50 * k)
    args = ground(*size, WHITE)
    xs = [p[0] for p in hull]
    x0, x1 = min(xs), max(xs)
    # Water: two light ripples along the waterline, drawn first so the hull
    # sits in them.
    args += draw(at(k, round_capped(wave_line(x0 - 4, x1 + 3, waterline + 3.5, 0.8, 6),
                                    (214, 232, 250), 1.2, k) +
                    round_capped(wave_line(x0 + 2, x1 - 3, waterline + 6.5, 0.6, 7, 1.5),
                                 (234, 243, 252), 1, k)))
    for shape, colour in superstructure:
        args += draw(at(k, "fill %s stroke %s stroke-width 1 stroke-linejoin round polygon %s"
                        % (rgb(colour), rgb(INK), poly(shape))))
    hull_mvg = "polygon " + poly(hull)
    args += layer_shape(*size, vgradient(*size, STEEL_LIGHT, NAVY), at(k, hull_mvg))
    band = clip_below(hull, waterline - 2.5)
    args += draw(at(k, "fill %s stroke none polygon %s" % (rgb(RED), poly(band))))
    args += draw(at(k, "fill none stroke %s stroke-width 1 stroke-linejoin round %s"
                    % (rgb(INK), hull_mvg)))
    args += draw(at(k, details))
    # Sea line the hull floats in.
    args += draw(at(k, round_capped(wave_line(x0 - 2, x1 + 2, waterline + 0.8, 0.7, 5),
                                    SEA_LIGHT, 1.4, k)))
    return (*size, magick(*size, args))


def window_row(x0, x1, y, step=3.0, size=1.6):
    out = "fill %s stroke none " % rgb(NAVY)
    x = x0
    while x + size <= x1 + 0.01:
        out += "rectangle %g,%g %g,%g " % (x, y, x + size, y + size)
        x += step
    return out


def make_ship2(k):
    # Small patrol boat: low hull, one wheelhouse, a short mast with a flag.
    hull = [(17.5, 29.5), (44, 28.5), (47.5, 27.5), (43.5, 36.5), (20, 36.5), (17.5, 33)]
    cabin = [(22.5, 29.5), (22.5, 22.5), (33, 22.5), (36.5, 29.5)]
    details = (window_row(24.5, 33, 24.5, 3.2, 1.8) +
               "fill none stroke %s stroke-width 1 line 26.5,22.5 26.5,13.5 "
               "line 24.5,16.5 28.5,16.5 "
               "stroke none fill %s polygon 27,13.5 31.5,15 27,16.5 "
               % (rgb(INK), rgb(RED)) +
               # Bow gun.
               "fill %s stroke %s stroke-width 1 rectangle 39.5,26.5 42.5,28.5 "
               "line 42.5,27 45.5,25.5 " % (rgb(STEEL_LIGHT), rgb(INK)))
    return make_ship(hull, [(cabin, STEEL_PALE)], details, k)


def make_ship3(k):
    # Corvette: raised bow, two-tier bridge, funnel, a forward gun.
    hull = [(9.5, 29.5), (50, 28), (55.5, 26), (50.5, 36.5), (13, 36.5), (9.5, 32.5)]
    lower = [(19.5, 29), (19.5, 23.5), (39.5, 23.5), (41.5, 28.5)]
    bridge = [(26.5, 23.5), (26.5, 17.5), (35, 17.5), (37.5, 23.5)]
    funnel = [(20.5, 23.5), (21.5, 15.5), (26, 15.5), (26, 23.5)]
    details = (window_row(28, 35, 19.5, 2.6, 1.6) +
               window_row(22, 38, 25.5, 3.2, 1.4) +
               "fill %s stroke none rectangle 21.3,17 26,18.6 " % rgb(RED) +
               "fill %s rectangle 21.5,15.5 26,16.4 " % rgb(NAVY) +
               "fill none stroke %s stroke-width 1 line 32.5,17.5 31,8.5 "
               "line 29,17.5 31,11 line 28.5,12.5 33.5,12.5 " % rgb(INK) +
               "fill %s stroke %s stroke-width 1 "
               "path 'M 43.5,28 L 43.5,25.5 Q 46,24 48.5,25.5 L 48.5,28 Z' "
               "line 47.5,25.5 53,23.5 " % (rgb(STEEL_LIGHT), rgb(INK)) +
               "fill %s stroke %s rectangle 12.5,26.5 16.5,29 " % (rgb(STEEL_LIGHT), rgb(INK)))
    return make_ship(hull, [(funnel, STEEL), (lower, STEEL_PALE), (bridge, STEEL_PALE)],
                     details, k)


def make_ship4(k):
    # Battleship: long hull, tower bridge, two funnels, three turrets.
    hull = [(1.5, 29.5), (55, 28), (62.5, 25.5), (57, 36.5), (5.5, 36.5), (1.5, 32.5)]
    deckhouse = [(17.5, 28.5), (17.5, 23.5), (44.5, 23.5), (45.5, 28.5)]
    tower = [(32.5, 23.5), (32.5, 14.5), (40, 14.5), (42, 23.5)]
    top = [(34, 14.5), (34.5, 11), (38.5, 11), (39, 14.5)]
    funnel_a = [(22.5, 23.5), (23.5, 16.5), (27.5, 16.5), (27.5, 23.5)]
    funnel_b = [(27.5, 23.5), (28.5, 17.5), (31.5, 17.5), (31.5, 23.5)]
    def turret(x, y, facing):
        dx = 1 if facing > 0 else -1
        bx = x + (5 if dx > 0 else 0)
        return ("fill %s stroke %s stroke-width 1 "
                "path 'M %g,%g L %g,%g Q %g,%g %g,%g L %g,%g Z' "
                "line %g,%g %g,%g line %g,%g %g,%g "
                % (rgb(STEEL_LIGHT), rgb(INK),
                   x, y + 3, x, y + 0.5, x + 2.5, y - 1, x + 5, y + 0.5, x + 5, y + 3,
                   bx, y + 0.5, bx + 6 * dx, y - 1.5, bx, y + 1.8, bx + 6 * dx, y - 0.2))
    details = (window_row(35, 39.5, 16.5, 2.4, 1.5) +
               window_row(34.5, 40.5, 19.8, 2.4, 1.3) +
               window_row(19.5, 43, 25.3, 3.0, 1.3) +
               "fill %s stroke none rectangle 22.9,18.5 27.5,19.8 rectangle 28.3,19.3 31.5,20.5 "
               % rgb(RED) +
               "fill %s rectangle 23.5,16.5 27.5,17.3 rectangle 28.5,17.5 31.5,18.2 "
               % rgb(NAVY) +
               "fill none stroke %s stroke-width 1 line 36.5,11 36.5,4 "
               "line 33.5,7.5 39.5,7.5 line 38,11 36.5,8 "
               "stroke none fill %s polygon 34.5,4.5 38.5,3.5 38.5,4.5 34.5,5.5 " % (rgb(INK), rgb(STEEL)) +
               turret(46.5, 25, +1) + turret(40.5, 21, +1) + turret(9.5, 25.5, -1))
    return make_ship(hull, [(funnel_a, STEEL), (funnel_b, STEEL), (deckhouse, STEEL_PALE),
                            (tower, STEEL_PALE), (top, STEEL)], details, k)


def make_arrow(pointing_left, lines, top, bottom, edge, k):
    """A fat arrow on the window's light blue with two lines of white text, at
    `k` device pixels to the logical one.  The left-pointing one is drawn as
    is, the right-pointing one mirrored."""
    w, h = 99, 87
    size = (w * k, h * k)
    shape = [(3, 43.5), (40, 4), (40, 18), (91, 18), (95.5, 22.5),
             (95.5, 64.5), (91, 69), (40, 69), (40, 83)]
    text_dx = 12
    if not pointing_left:
        shape = [(w - x, y) for x, y in shape]
        text_dx = -text_dx
    mvg = "stroke-linejoin round polygon " + poly(shape)
    args = ground(*size, WINDOW_BLUE)
    args += layer_shadow(*size, NAVY_DARK, 0.35, at(k, "translate 2,2.5 " + mvg), 1.6 * k)
    args += layer_shape(*size, vgradient(*size, top, bottom), at(k, mvg))
    args += draw(at(k, "fill none stroke %s stroke-width 1.6 %s"
                    % (rgb(edge), mvg)))
    # Text centred by gravity, so its size and offsets are scaled here, not
    # through `at` (see outlined_text).
    texts = ""
    for i, line in enumerate(lines):
        dy = -9 if i == 0 else 9
        texts += ("push graphic-context font '%s' font-size %g gravity Center "
                  "fill %s text %g,%g '%s' pop graphic-context "
                  % (FONT_SANS_BOLD, 15 * k, rgb(edge, 0.85), (text_dx + 1) * k, (dy + 1.2) * k, line))
        texts += ("push graphic-context font '%s' font-size %g gravity Center "
                  "fill white text %g,%g '%s' pop graphic-context "
                  % (FONT_SANS_BOLD, 15 * k, text_dx * k, dy * k, line))
    args += draw(texts)
    return (*size, magick(*size, args))


def make_arrow_player(k):
    return make_arrow(True, ["La tua", "area"], (84, 150, 222), (26, 74, 150), NAVY, k)


def make_arrow_enemy(k):
    return make_arrow(False, ["Area", "nemica"], (232, 84, 72), (160, 28, 34), RED_DARK, k)


def sailboat(x, y, scale, hull, sail, flag, outline):
    """MVG for a small sailing boat whose waterline centre is (x, y)."""
    def p(points):
        return poly([(x + px * scale, y + py * scale) for px, py in points])
    sw = max(0.8, 0.6 * scale)
    return ("stroke %s stroke-width %g stroke-linejoin round "
            "fill %s polygon %s "            # main sail
            "fill %s polygon %s "            # jib
            "fill %s polygon %s "            # hull
            "fill none line %s "             # mast
            "fill %s stroke none polygon %s "  # pennant
            % (outline, sw,
               sail, p([(0.5, -3), (0.5, -24), (12, -3)]),
               sail, p([(-1.5, -3), (-1.5, -20), (-10, -3)]),
               hull, p([(-15, -2.5), (15, -2.5), (11, 3), (-11, 3)]),
               p([(0.5, -2.5), (0.5, -26)]),
               flag, p([(0.5, -27), (6, -25), (0.5, -23)])))


def make_about(k):
    w, h = 163, 50
    size = (w * k, h * k)
    horizon = 37
    args = vgradient(w * k, horizon * k, (214, 236, 255), WINDOW_BLUE)
    args += ["(", *vgradient(w * k, (h - horizon) * k, SEA_LIGHT, SEA_DEEP), ")",
             "-append"]
    # Wave crests on the sea.
    crests = ""
    for row, (yy, amp, period, colour) in enumerate([(40.5, 0.7, 9, (150, 200, 240)),
                                                     (44.5, 0.8, 11, (110, 168, 226)),
                                                     (48, 0.8, 13, (80, 136, 206))]):
        crests += ("stroke %s polyline %s "
                   % (rgb(colour), poly(wave_line(0, w, yy, amp, period, row * 1.7))))
    args += draw(at(k, "fill none stroke-width 1 " + crests))
    args += draw(at(k, sailboat(24, horizon + 2.5, 1.25, rgb(NAVY), rgb(WHITE), rgb(RED), rgb(INK))))
    tx, ty = 48, 4
    args += layer_shadow(*size, NAVY_DARK, 0.45,
                         outlined_text(FONT_SERIF_COND_BOLD, 24, tx + 2, ty + 2,
                                       "Tiremola", WHITE, WHITE, 2.5, k), 1.2 * k)
    args += draw(outlined_text(FONT_SERIF_COND_BOLD, 24, tx, ty, "Tiremola",
                               NAVY, WHITE, 3.0, k))
    args += draw(at(k, "fill none stroke %s stroke-width 1 rectangle 0.5,0.5 %g,%g"
                    % (rgb(NAVY), w - 0.5, h - 0.5)))
    return (*size, magick(*size, args))


def make_icon_image(size):
    """The application icon at `size` pixels: a red-hulled sailing boat on a
    rounded sky-and-sea tile.  32 and 48 are drawn on a 48-unit grid and
    scaled; 16 has its own pixel-aligned drawing so it stays readable."""
    k = size / 48.0
    px = 1.0 / k                      # one output pixel in grid units
    args = ["-size", "%dx%d" % (size, size), "xc:none"]
    horizon = 34
    if size >= 32:
        tile = "scale %g,%g roundrectangle 1.5,1.5 46.5,46.5 9,9" % (k, k)
    else:
        tile = "roundrectangle 0,0 15,15 3.5,3.5"
    sky = vgradient(size, round(horizon * k), (186, 222, 255), (112, 174, 240))
    sea = vgradient(size, size - round(horizon * k), SEA, SEA_DEEP)
    args += layer_shape(size, size, ["(", *sky, "(", *sea, ")", "-append", ")"], tile)
    if size >= 32:
        crests = "".join("polyline %s " % poly(wave_line(5, 43, yy, 0.9, 9, yy))
                         for yy in (41.5,))
        args += draw("scale %g,%g fill none stroke %s stroke-width %g %s"
                     % (k, k, rgb(SEA_LIGHT), 1.2 * px, crests))
        args += draw("scale %g,%g stroke-linejoin round stroke %s stroke-width %g "
                     "fill white polygon 25.5,7 25.5,32 39,32 "
                     "fill %s polygon 22.5,10 22.5,32 11,32 "
                     "fill none stroke %s stroke-width %g line 24,5 24,33 "
                     "stroke none fill %s polygon 24,3.5 32,6.5 24,9.5 "
                     "stroke %s stroke-width %g fill %s polygon 7,32.5 41,32.5 36.5,39.5 11.5,39.5 "
                     "stroke none fill white rectangle 9,33.5 39.5,%g "
                     % (k, k, rgb(STEEL_LIGHT), px,
                        rgb((228, 236, 246)),
                        rgb(NAVY), 1.5 * px,
                        rgb(RED),
                        rgb(RED_DARK), px, rgb(RED), 33.5 + 1.3 * px))
    else:
        # 16 px: two sails, a red hull and a pennant.  ImageMagick puts pixel
        # centres on whole coordinates, so 1 px lines sit on integers here.
        args += draw("stroke none fill white polygon 8,2.5 8,9.5 13.4,9.5 "
                     "fill %s polygon 6,4 6,9.5 2.4,9.5 "
                     "fill none stroke %s stroke-width 1 line 7,2 7,10 "
                     "stroke none fill %s polygon 7.5,0.6 11.4,2 7.5,3.4 "
                     "fill %s polygon 1.5,10 13.5,10 11.5,12.5 3.5,12.5 "
                     "fill none stroke %s line 3,13.5 5,13.5 line 9,13.5 12,13.5 "
                     % (rgb((228, 236, 246)), rgb(NAVY), rgb(RED), rgb(RED), rgb(SEA_LIGHT)))
    args += draw("fill none stroke %s stroke-width %g %s"
                 % (rgb(NAVY), 1.5 * px if size >= 32 else 1, tile))
    return magick(size, size, args, alpha=True)


# ---------------------------------------------------------------------------
# Sounds: synthesised from noise and swept sines, fixed seeds.

RATE = 22050


def one_pole_lowpass(signal, cutoff_at):
    """Lowpass whose cutoff (Hz) may change with time: cutoff_at(t)."""
    out = []
    y = 0.0
    for i, x in enumerate(signal):
        fc = cutoff_at(i / RATE)
        a = 1.0 - math.exp(-2.0 * math.pi * fc / RATE)
        y += a * (x - y)
        out.append(y)
    return out


def highpass(signal, cutoff):
    a = math.exp(-2.0 * math.pi * cutoff / RATE)
    out = []
    prev_x = prev_y = 0.0
    for x in signal:
        y = a * (prev_y + x - prev_x)
        out.append(y)
        prev_x, prev_y = x, y
    return out


def finish(signal, peak=0.89, fade=0.04):
    """Normalise to `peak`, and fade the tail so the sound ends without a click."""
    top = max(abs(v) for v in signal) or 1.0
    n_fade = int(fade * RATE)
    out = []
    for i, v in enumerate(signal):
        g = peak / top
        left = len(signal) - 1 - i
        if left < n_fade:
            g *= left / n_fade
        out.append(v * g)
    return out


def make_hit():
    """Explosion: a falling low thump under a burst of rumbling noise with a
    few crackles, about 0.85 s."""
    rng = random.Random(1013)
    n = int(0.85 * RATE)
    noise = [rng.uniform(-1, 1) for _ in range(n)]
    # The rumble darkens as it dies away: 4 kHz at the blast, 250 Hz at the end.
    rumble = one_pole_lowpass(noise, lambda t: 250 + 3800 * math.exp(-t / 0.07))
    rumble = one_pole_lowpass(rumble, lambda t: 300 + 3000 * math.exp(-t / 0.1))
    out = []
    phase = 0.0
    crackle_at = sorted(rng.uniform(0.01, 0.35) for _ in range(14))
    for i in range(n):
        t = i / RATE
        attack = min(1.0, t / 0.004)
        f = 42 + 110 * math.exp(-t / 0.05)
        phase += 2 * math.pi * f / RATE
        thump = math.sin(phase) * attack * math.exp(-t / 0.22)
        body = rumble[i] * 3.2 * attack * math.exp(-t / 0.2)
        crack = 0.0
        for c in crackle_at:
            d = t - c
            if 0 <= d < 0.012:
                crack += noise[(i * 7) % n] * 0.5 * math.exp(-d / 0.003) * math.exp(-c / 0.25)
        out.append(math.tanh(1.6 * (0.9 * thump + body + crack)))
    return finish(out)


def make_miss():
    """Splash: a short plop as the shot enters the water, then a bright hiss
    of spray with a few droplets, about 0.6 s."""
    rng = random.Random(1014)
    n = int(0.6 * RATE)
    noise = [rng.uniform(-1, 1) for _ in range(n)]
    darken = lambda t: 4200 - 2200 * min(1.0, t / 0.5)
    spray = highpass(one_pole_lowpass(one_pole_lowpass(noise, darken), darken), 700)
    # Slow random flutter on the spray so it churns like water instead of hissing
    # evenly.
    flutter = one_pole_lowpass([rng.uniform(0, 1) for _ in range(n)], lambda t: 30)
    flutter_top = max(flutter)
    drops = [(rng.uniform(0.08, 0.42), rng.uniform(900, 1700), rng.uniform(0.12, 0.3))
             for _ in range(9)]
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        # Plop: a sine rising from 220 to 700 Hz over 50 ms.
        f = 220 + 480 * min(1.0, t / 0.05)
        phase += 2 * math.pi * f / RATE
        plop = math.sin(phase) * min(1.0, t / 0.003) * math.exp(-t / 0.035) * 0.8
        env = min(1.0, max(0.0, t - 0.01) / 0.025) * math.exp(-max(0.0, t - 0.035) / 0.13)
        hiss = spray[i] * 3.2 * env * (0.45 + 0.55 * flutter[i] / flutter_top)
        drip = 0.0
        for start, freq, amp in drops:
            d = t - start
            if 0 <= d < 0.03:
                drip += amp * math.sin(2 * math.pi * (freq * d + 9000 * d * d)) * math.exp(-d / 0.008)
        out.append(plop + hiss + drip)
    return finish(out, peak=0.8)


# The scales each picture is made at, with the suffix of its file name: 1 for
# displays at 100 %, 2 for 200 % (the game scales these down for the scales
# in between).
SCALES = ((1, ""), (2, "_2x"))


def main():
    os.chdir(HERE)
    pictures = {
        "logo": make_logo,
        "about": make_about,
        "ship2": make_ship2,
        "ship3": make_ship3,
        "ship4": make_ship4,
        "arrow_player": make_arrow_player,
        "arrow_enemy": make_arrow_enemy,
    }
    made = []
    for picture, maker in pictures.items():
        for k, suffix in SCALES:
            name = picture + suffix + ".bmp"
            w, h, data = maker(k)
            write_bmp24(name, w, h, data)
            made.append((name, picture, k))
    write_wav("hit.wav", RATE, make_hit())
    write_wav("miss.wav", RATE, make_miss())
    write_ico("tiremola.ico", [(n, make_icon_image(n)) for n in (16, 32, 48)])
    check_bitmaps(made)
    check_icon("tiremola.ico", (16, 32, 48))
    check_wav("hit.wav")
    check_wav("miss.wav")


def check_bitmaps(made):
    """`made`: (file name, picture, scale) for every bitmap written."""
    logical = {
        "about": (163, 50), "logo": (200, 50),
        "ship2": (64, 50), "ship3": (64, 50), "ship4": (64, 50),
        "arrow_player": (99, 87), "arrow_enemy": (99, 87),
    }
    for name, picture, k in made:
        expected = tuple(n * k for n in logical[picture])
        w, h, px = read_bmp24(name)
        if (w, h) != expected:
            raise SystemExit("%s is %dx%d, expected %dx%d" % ((name, w, h) + expected))
        for i in range(0, len(px), 3):
            if px[i:i + 3] == b"\0\0\0":
                p = i // 3
                raise SystemExit("%s has a pure black pixel at (%d,%d): it would "
                                 "show as transparent" % (name, p % w, p // w))
        print("%-21s %dx%d 24-bit, no pure black" % (name, w, h))


def check_icon(name, sizes):
    with open(name, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise SystemExit("%s is not an icon file" % name)
    found = []
    for i in range(count):
        w, h, _, _, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        hdr = struct.unpack_from("<IiiHH", data, offset)
        if (hdr[1], hdr[2]) != (w, 2 * h) or hdr[4] != 32 or offset + length > len(data):
            raise SystemExit("%s: image %d is damaged" % (name, i))
        found.append(w)
    if tuple(found) != tuple(sizes):
        raise SystemExit("%s holds sizes %s, expected %s" % (name, found, list(sizes)))
    print("%-21s %s" % (name, ", ".join("%dx%d 32-bit" % (n, n) for n in found)))


def check_wav(name):
    with open(name, "rb") as f:
        data = f.read()
    (riff, _, wave, fmt, fmt_len, tag, channels, rate, _, _, bits,
     data_id, data_len) = struct.unpack_from("<4sI4s4sIHHIIHH4sI", data, 0)
    if (riff, wave, fmt, data_id) != (b"RIFF", b"WAVE", b"fmt ", b"data") or tag != 1:
        raise SystemExit("%s is not a PCM WAVE file" % name)
    if 44 + data_len != len(data):
        raise SystemExit("%s: data chunk length does not match the file" % name)
    seconds = data_len / (channels * bits // 8) / rate
    if not 0.1 < seconds < 1.0:
        raise SystemExit("%s lasts %.2f s; effects must stay under a second" % (name, seconds))
    print("%-21s %d Hz %d-bit %s, %.2f s" % (name, rate, bits,
                                            "mono" if channels == 1 else "stereo", seconds))


if __name__ == "__main__":
    main()
