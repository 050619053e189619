#!/usr/bin/env python3
"""Draws the console's pictures in the classic 16-colour palette and writes
them as 4-bit .bmp, .ico and a monochrome .cur under resources/pictures/.

Run by hand after changing a picture, and commit its output:
    python3 tools/make_pictures.py [--preview DIR]
--preview also writes enlarged PNG copies (needs ImageMagick's convert).

Toolbar and button pictures are 32x32 on light grey: zemoctln.dll turns black,
dark grey, light grey and white into the button colours of the system when it
loads them. The active mark is 16x16 on magenta, its transparent colour.
"""
import os
import struct
import subprocess
import sys

# The classic 16-colour palette, in its usual order, with one letter each.
PALETTE = [
    ("k", (0, 0, 0)),        # black
    ("m", (128, 0, 0)),      # maroon
    ("g", (0, 128, 0)),      # green
    ("o", (128, 128, 0)),    # olive
    ("n", (0, 0, 128)),      # navy
    ("p", (128, 0, 128)),    # purple
    ("t", (0, 128, 128)),    # teal
    ("d", (128, 128, 128)),  # dark grey
    ("s", (192, 192, 192)),  # light grey (button face)
    ("r", (255, 0, 0)),      # red
    ("l", (0, 255, 0)),      # lime
    ("y", (255, 255, 0)),    # yellow
    ("b", (0, 0, 255)),      # blue
    ("M", (255, 0, 255)),    # magenta (transparent in list markers)
    ("c", (0, 255, 255)),    # cyan
    ("w", (255, 255, 255)),  # white
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}
CLEAR = None  # transparent pixel of an icon or cursor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "pictures")


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def get(self, x, y):
        return self.pixels[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, mask, colour):
        for x, y in mask:
            self.put(x, y, colour)

    def shape(self, mask, fill=None, edge=None):
        """Fills a set of pixels and draws its outer boundary."""
        if fill is not None:
            self.fill(mask, fill)
        if edge is not None:
            self.fill(outline(mask), edge)

    def rect(self, x0, y0, x1, y1, fill=None, edge=None):
        self.shape(rect_mask(x0, y0, x1, y1), fill, edge)

    def line(self, x0, y0, x1, y1, colour):
        self.fill(line_mask(x0, y0, x1, y1), colour)

    def art(self, x, y, rows):
        """Pastes pixel art; a space leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, letter in enumerate(row):
                if letter == " ":
                    continue
                self.put(x + dx, y + dy, CLEAR if letter == "." else letter)


def rect_mask(x0, y0, x1, y1):
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def ellipse_mask(cx, cy, rx, ry):
    """Pixels whose centre lies in the ellipse; cx, cy in pixel-edge units."""
    mask = set()
    for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
        for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
            u = (x + 0.5 - cx) / rx
            v = (y + 0.5 - cy) / ry
            if u * u + v * v <= 1.0:
                mask.add((x, y))
    return mask


def polygon_mask(points):
    """Pixels whose centre lies inside the polygon (even-odd rule)."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    mask = set()
    for y in range(int(min(ys)) - 1, int(max(ys)) + 2):
        for x in range(int(min(xs)) - 1, int(max(xs)) + 2):
            px, py = x + 0.5, y + 0.5
            inside = False
            for i in range(len(points)):
                (ax, ay), (bx, by) = points[i], points[i - 1]
                if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                    inside = not inside
            if inside:
                mask.add((x, y))
    return mask


def line_mask(x0, y0, x1, y1):
    mask = set()
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        mask.add((x0, y0))
        if (x0, y0) == (x1, y1):
            return mask
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def thick_line_mask(x0, y0, x1, y1, width):
    """A straight stroke of about `width` pixels across."""
    mask = set()
    for x, y in line_mask(x0, y0, x1, y1):
        mask |= ellipse_mask(x + 0.5, y + 0.5, width / 2, width / 2)
    return mask


def outline(mask):
    return {(x, y) for x, y in mask
            if any(n not in mask for n in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))}


# ---- file formats ----

def row_bytes(bits_per_pixel, width):
    return ((width * bits_per_pixel + 31) // 32) * 4


def pack4(canvas, transparent_index=0):
    """4-bit pixel rows, bottom row first."""
    data = bytearray()
    stride = row_bytes(4, canvas.width)
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            colour = canvas.get(x, y)
            index = transparent_index if colour is CLEAR else INDEX[colour]
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += row
    return bytes(data)


def pack_mask(canvas):
    """1-bit AND mask rows, bottom row first: 1 where transparent."""
    data = bytearray()
    stride = row_bytes(1, canvas.width)
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            if canvas.get(x, y) is CLEAR:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette_bytes(entries):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in entries)


def write_bmp(name, canvas):
    pixels = pack4(canvas)
    header = info_header(canvas.width, canvas.height, 4, len(pixels), 16)
    table = palette_bytes([rgb for _, rgb in PALETTE])
    offset = 14 + len(header) + len(table)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header + table + pixels)


def icon_image(canvas):
    xor = pack4(canvas)
    mask = pack_mask(canvas)
    header = info_header(canvas.width, canvas.height * 2, 4, len(xor) + len(mask), 16)
    return header + palette_bytes([rgb for _, rgb in PALETTE]) + xor + mask


def write_icon(name, canvases):
    images = [icon_image(c) for c in canvases]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for canvas, image in zip(canvases, images):
        directory += struct.pack("<BBBBHHII", canvas.width, canvas.height, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(directory + b"".join(images))


def write_cursor(name, canvas, hotspot):
    """Monochrome: k black, w white, anything else transparent."""
    stride = row_bytes(1, canvas.width)
    xor = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            if canvas.get(x, y) == "w":
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = pack_mask(canvas)
    header = info_header(canvas.width, canvas.height * 2, 1, len(xor) + len(mask), 2)
    image = header + palette_bytes([(0, 0, 0), (255, 255, 255)]) + bytes(xor) + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    directory += struct.pack("<BBBBHHII", canvas.width, canvas.height, 0, 0, hotspot[0], hotspot[1],
                             len(image), 6 + 16)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(directory + image)


# ---- the pictures ----

def toolbar_canvas():
    return Canvas(32, 32, "s")


def draw_person(c, x, head_y, head_r, colour, shade, shine):
    """A bust in one colour: round head over rounded shoulders, lit from the
    upper left."""
    body = {p for p in ellipse_mask(x, head_y + head_r + 10.5, head_r * 1.9, 11) if p[1] <= 30}
    c.shape(body, colour, "k")
    c.fill({(px, py) for px, py in body - outline(body) if px >= x + head_r * 0.8}, shade)
    head = ellipse_mask(x, head_y, head_r, head_r)
    c.shape(head, colour, "k")
    inside = head - outline(head)
    c.fill({(px, py) for px, py in inside if (px + 0.5 - x) + (py + 0.5 - head_y) > head_r * 0.8}, shade)
    c.fill({(px, py) for px, py in inside if (px + 0.5 - x) + (py + 0.5 - head_y) < -head_r * 0.9}, shine)


def draw_users():
    c = toolbar_canvas()
    draw_person(c, 22, 7.5, 5, "t", "n", "c")
    draw_person(c, 12, 12, 5.5, "r", "m", "w")
    return c


def draw_modem_box(c, left, top, right, bottom, depth):
    """A flat box seen from the front and a little above, lights on its face."""
    c.shape(polygon_mask([(left + depth, top), (right + 1, top), (right + 1 - depth, top + depth),
                          (left, top + depth)]), "w", "k")
    c.shape(polygon_mask([(right + 1, top), (right + 1, bottom + 1 - depth), (right + 1 - depth, bottom + 1),
                          (right + 1 - depth, top + depth)]), "d", "k")
    c.rect(left, top + depth, right - depth, bottom, "s", "k")
    lights_y = (top + depth + bottom) // 2
    for i, colour in enumerate(("l", "l", "r", "y")):
        x = left + 3 + 4 * i
        c.rect(x, lights_y - 1, x + 1, lights_y, colour)
        c.put(x + 1, lights_y + 1, "d")
        c.put(x + 2, lights_y, "d")
        c.put(x + 2, lights_y + 1, "d")
    c.line(right - depth - 6, lights_y, right - depth - 3, lights_y, "d")
    c.line(right - depth - 6, lights_y - 1, right - depth - 3, lights_y - 1, "k")


def draw_handset(c, left, top, right, colour, shine):
    """A telephone handset lying on its side: a grip with a cup at each end."""
    grip = rect_mask(left + 3, top, right - 3, top + 3)
    cups = rect_mask(left, top + 2, left + 6, top + 7) | rect_mask(right - 6, top + 2, right, top + 7)
    handset = (grip | cups) - {(left, top + 2), (right, top + 2)}
    c.shape(handset, colour, "k")
    c.line(left + 4, top + 1, right - 4, top + 1, shine)
    c.line(left + 1, top + 3, left + 1, top + 6, shine)


def draw_gateways():
    c = toolbar_canvas()
    draw_modem_box(c, 2, 15, 29, 27, 4)
    draw_handset(c, 5, 4, 26, "k", "d")
    return c


def draw_check(c, x, y, colour):
    """A bold tick whose lower point is at (x, y)."""
    for dx, dy in ((-2, -2), (-1, -1), (0, 0), (1, -1), (2, -2), (3, -3), (4, -4)):
        c.put(x + dx, y + dy, colour)
        c.put(x + dx, y + dy - 1, colour)


def draw_preferences():
    c = toolbar_canvas()
    sheet = polygon_mask([(5, 2), (22, 2), (28, 8), (28, 30), (5, 30)])
    c.fill({(x + 1, y + 1) for x, y in sheet}, "d")
    c.shape(sheet, "w", "k")
    c.shape(polygon_mask([(21.5, 2), (21.5, 8.5), (28, 8.5)]), "s", "k")
    for row, ticked in enumerate((True, False, True)):
        y = 10 + 6 * row
        c.rect(8, y, 12, y + 4, "w", "k")
        c.line(9, y + 1, 11, y + 1, "d")
        c.line(9, y + 1, 9, y + 3, "d")
        c.line(15, y + 2, 25 - 3 * (row == 1), y + 2, "n")
        if ticked:
            draw_check(c, 10, y + 3, "r")
    return c


def draw_quit():
    c = toolbar_canvas()
    # the doorway in the wall, dark inside
    c.rect(9, 2, 22, 29, "k", "k")
    c.rect(10, 3, 21, 29, "n")
    c.line(8, 2, 8, 29, "d")
    c.line(23, 2, 23, 29, "w")
    c.line(5, 30, 27, 30, "k")
    # the door swung open towards us, hinged on the left jamb
    door = polygon_mask([(9, 2), (2.5, 5), (2.5, 30), (9, 29)])
    c.shape(door, "o", "k")
    c.fill({(x, y) for x, y in door - outline(door) if x == 3}, "y")
    c.put(4, 17, "k")
    c.put(4, 18, "y")
    # the way out
    arrow = rect_mask(13, 14, 22, 17) | polygon_mask([(22, 9.5), (30.5, 16), (22, 22.5)])
    c.shape(arrow, "l", "k")
    c.fill({(x, y) for x, y in arrow - outline(arrow) if y >= 17 or x + y >= 39}, "g")
    return c


QUESTION_MARK = [
    "     ########     ",
    "   ############   ",
    "  ##############  ",
    " ######    ###### ",
    " #####      ##### ",
    " #####      ##### ",
    "  ###       ##### ",
    "           ###### ",
    "          ######  ",
    "         ######   ",
    "        ######    ",
    "       ######     ",
    "       #####      ",
    "       #####      ",
    "       #####      ",
    "                  ",
    "       #####      ",
    "      #######     ",
    "      #######     ",
    "       #####      ",
]


def glyph_mask(rows, x, y):
    return {(x + dx, y + dy) for dy, row in enumerate(rows) for dx, ch in enumerate(row) if ch == "#"}


def draw_help():
    c = toolbar_canvas()
    mark = glyph_mask(QUESTION_MARK, 6, 5)
    c.fill({(x + 2, y + 2) for x, y in mark}, "d")
    c.shape(mark, "b", "k")
    inner = mark - outline(mark)
    c.fill({(x, y) for x, y in inner if (x, y - 1) not in inner and (x, y + 1) in inner and y < 12}, "c")
    return c


def draw_gateway_base():
    c = toolbar_canvas()
    draw_modem_box(c, 1, 16, 25, 28, 4)
    draw_handset(c, 3, 6, 21, "k", "d")
    return c


def draw_gateway_add():
    c = draw_gateway_base()
    plus = rect_mask(23, 0, 27, 12) | rect_mask(19, 4, 31, 8)
    c.shape(plus, "l", "k")
    return c


def draw_gateway_modify():
    c = draw_gateway_base()
    # a pencil lying from top right down to a point on the box
    body = polygon_mask([(27.5, 0.5), (31.5, 4.5), (20.5, 15.5), (16.5, 11.5)])
    c.shape(body, "y", "k")
    c.fill({(x, y) for x, y in body - outline(body) if x + y >= 33 and x - y > 12}, "o")
    c.shape(polygon_mask([(27.5, 0.5), (31.5, 4.5), (29.5, 6.5), (25.5, 2.5)]), "r", "k")
    c.shape(polygon_mask([(16.5, 11.5), (20.5, 15.5), (14, 18)]), "w", "k")
    c.put(14, 17, "k")
    c.put(15, 17, "k")
    c.put(14, 16, "k")
    return c


def draw_gateway_delete():
    c = draw_gateway_base()
    cross = thick_line_mask(21, 2, 29, 10, 3) | thick_line_mask(29, 2, 21, 10, 3)
    c.shape(cross, "r", "k")
    return c


def draw_active_mark():
    c = Canvas(16, 16, "M")
    c.shape(ellipse_mask(8, 8, 6.5, 6.5), "g", "k")
    c.fill(ellipse_mask(7.2, 7.2, 4, 4), "l")
    c.fill(rect_mask(5, 5, 6, 6), "w")
    return c


def draw_telephone(size):
    c = Canvas(size, size, CLEAR)
    if size == 32:
        body = polygon_mask([(9, 14), (23, 14), (30, 28), (2, 28)])
        c.shape(body, "r", "k")
        c.fill({(x, y) for x, y in body - outline(body) if y >= 25}, "m")
        c.rect(2, 28, 29, 29, "k", "k")
        c.shape(ellipse_mask(16, 21, 5.5, 5.5), "w", "k")
        c.shape(ellipse_mask(16, 21, 2, 2), "s", "k")
        for x, y in ((16, 17), (19, 18), (20, 21), (19, 24), (13, 24), (12, 21), (13, 18)):
            c.put(x - 1 if x < 16 else x, y - 1 if y < 21 else y, "d")
        c.rect(7, 11, 8, 14, "k")
        c.rect(23, 11, 24, 14, "k")
        handset = (rect_mask(4, 3, 27, 7) | rect_mask(1, 5, 8, 11) | rect_mask(23, 5, 30, 11)) - {(1, 5), (30, 5)}
        c.shape(handset, "r", "k")
        c.line(5, 4, 26, 4, "w")
        c.fill({(x, y) for x, y in handset - outline(handset) if y == 10}, "m")
    else:
        body = polygon_mask([(4.5, 8), (11.5, 8), (15.5, 14), (0.5, 14)])
        c.shape(body, "r", "k")
        c.line(0, 14, 15, 14, "k")
        c.shape(ellipse_mask(8, 11, 2.6, 2.6), "w", "k")
        c.put(8, 11, "d")
        c.put(7, 11, "d")
        c.rect(5, 6, 5, 7, "k")
        c.rect(10, 6, 10, 7, "k")
        handset = (rect_mask(2, 1, 13, 4) | rect_mask(0, 2, 3, 6) | rect_mask(12, 2, 15, 6)) - {(0, 2), (15, 2)}
        c.shape(handset, "r", "k")
        c.line(4, 2, 9, 2, "w")
        c.line(1, 5, 2, 5, "m")
        c.line(13, 5, 14, 5, "m")
    return c


def draw_modem_icon(size):
    """The modem of the modem list: the gateways' box, alone."""
    c = Canvas(size, size, CLEAR)
    if size == 32:
        draw_modem_box(c, 1, 9, 30, 24, 5)
    else:
        c.shape(polygon_mask([(3.5, 3.5), (15.5, 3.5), (12.5, 7.5), (0.5, 7.5)]), "w", "k")
        c.shape(polygon_mask([(15.5, 3.5), (15.5, 10.5), (12.5, 13.5), (12.5, 7.5)]), "d", "k")
        c.rect(0, 7, 12, 13, "s", "k")
        for x, colour in ((2, "l"), (5, "l"), (8, "r")):
            c.put(x, 10, colour)
            c.put(x + 1, 10, colour)
    return c


POINTING_HAND = [
    "     kk          ",
    "    kwwk         ",
    "    kwwk         ",
    "    kwwk         ",
    "    kwwk         ",
    "    kwwkkk       ",
    "    kwwkwwkkk    ",
    "    kwwkwwkwwkk  ",
    "    kwwkwwkwwkwk ",
    "kk  kwwkwwkwwkwwk",
    "kwk kwwwwwwwwkwwk",
    "kwwkkwwwwwwwwwwwk",
    " kwwkwwwwwwwwwwwk",
    "  kwwwwwwwwwwwwwk",
    "  kwwwwwwwwwwwwwk",
    "   kwwwwwwwwwwwwk",
    "   kwwwwwwwwwwwk ",
    "    kwwwwwwwwwwk ",
    "    kwwwwwwwwwwk ",
    "     kwwwwwwwwk  ",
    "     kwwwwwwwwk  ",
    "     kkkkkkkkkk  ",
]


def draw_hand():
    c = Canvas(32, 32, CLEAR)
    c.art(5, 0, POINTING_HAND)
    return c, (10, 0)


def write_all():
    os.makedirs(OUT, exist_ok=True)
    pictures = {
        "users.bmp": draw_users(),
        "gateways.bmp": draw_gateways(),
        "preferences.bmp": draw_preferences(),
        "quit.bmp": draw_quit(),
        "help.bmp": draw_help(),
        "gateway_add.bmp": draw_gateway_add(),
        "gateway_modify.bmp": draw_gateway_modify(),
        "gateway_delete.bmp": draw_gateway_delete(),
        "active_mark.bmp": draw_active_mark(),
    }
    for name, canvas in pictures.items():
        write_bmp(name, canvas)
    write_icon("admin.ico", [draw_telephone(32), draw_telephone(16)])
    write_icon("modem.ico", [draw_modem_icon(32), draw_modem_icon(16)])
    hand, hotspot = draw_hand()
    write_cursor("hand.cur", hand, hotspot)
    return list(pictures) + ["admin.ico", "modem.ico", "hand.cur"]


def write_previews(names, folder):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        source = os.path.join(OUT, name)
        target = os.path.join(folder, os.path.splitext(name)[0] + ".png")
        if name.endswith(".bmp"):
            subprocess.run(["convert", source, "-scale", "800%", target], check=True)
        elif name.endswith(".ico"):
            for i in range(2):
                frame = target.replace(".png", "-%d.png" % i)
                subprocess.run(["convert", "%s[%d]" % (source, i), "-background", "#008080", "-flatten",
                                "-scale", "800%" if i == 0 else "1600%", frame], check=True)
        else:
            subprocess.run(["convert", source, "-background", "#008080", "-flatten", "-scale", "800%", target],
                           check=True)


def main(argv):
    names = write_all()
    if len(argv) == 3 and argv[1] == "--preview":
        write_previews(names, argv[2])
    for name in names:
        print(os.path.join("resources", "pictures", name))


if __name__ == "__main__":
    main(sys.argv)
