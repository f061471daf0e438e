#!/usr/bin/env python3
"""Draws the plug-in's pictures from the vector sources in resources/pictures/.

    draw_pictures.py resources OUTDIR   the 36 drive-icon groups (drive_icon_NNN.ico) and the
                                        about box's picture (about_picture.vslg)
    draw_pictures.py sheet OUT.png      every drive icon at 16 and 32 px in the four styles
    draw_pictures.py check-sheet PNG    fails when that overview no longer matches the sources
    draw_pictures.py zoom OUT.png       the same at 12..48 px, enlarged, for checking by eye

The sources are a small subset of SVG: rect (x y width height rx), circle (cx cy r), polygon
(points, convex) and line (x1 y1 x2 y2), each with class "KIND COLOUR" and an optional
stroke-width in grid units; data-min and data-max limit an element to icons of those heights in
pixels, so that the smallest sizes can trade a detail for a simpler one. Kinds:
  part  a body: filled and outlined in the colour style; in the line styles its inside is
        cleared (so later parts hide earlier ones) and only the outline is drawn
  fill  a solid detail in the colour's light shade (a light, a chip, a contact)
  line  a solid detail in the colour's dark shade, most often a stroke
  gap   clears its shape, so that a mark stays legible over what lies below
The line styles draw fills and lines alike in their one colour. Outlines and strokes lie inside
an element's snapped edges and are a whole number of pixels wide, so the line styles stay crisp
at every size. The colour "red" keeps its colour in every style: a warning must still read as
one on a line drawing.

Pure Python with no packages beyond the standard library, deterministic byte for byte: the
build runs it, and the result depends only on the sources.
"""

import math
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = os.path.join(HERE, "pictures")

DRIVE_PICTURES = [  # icon index order
    "hard_disk", "external_disk", "usb_stick", "sd_card", "network_disk",
    "network_folder", "network_disk_offline", "disc", "memory_module",
]
OVERVIEW_SIZES = [16, 32]
ICON_SIZES = [12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 26, 28, 30, 32, 36, 40, 44, 48]
ABOUT_SIZES = [(23, 16), (26, 18), (29, 20), (33, 23), (39, 27), (46, 32), (52, 36), (59, 41), (65, 45), (78, 54)]
ABOUT_DATA_OFFSET = 128

# Colour style: (fill, outline) per colour name, RGB.
COLOURS = {
    "grey": (0xC9CED6, 0x4B5260),
    "blue": (0x5B9BF0, 0x1D4194),
    "yellow": (0xF8CF4A, 0x9A6212),
    "green": (0x3DBA6B, 0x17603A),
    "purple": (0x9F86F0, 0x4C2D9E),
    "slate": (0x566173, 0x252B36),
    "silver": (0xE4E7EC, 0x5F6672),
    "metal": (0xE9ECF0, 0x6B7280),
    "gold": (0xF2B12E, 0xA86A0C),
    "chip": (0x2B303A, 0x2B303A),
    "led": (0x2FD35E, 0x17803A),
    "ink": (0x4B5260, 0x4B5260),
    "white": (0xFFFFFF, 0xFFFFFF),
    "red": (0xE0302A, 0xE0302A),
    # the plug-in's mark, as in korvex.ico
    "accent": (0x1D4ED8, 0x1D4ED8),
    "rows": (0x93C5FD, 0x93C5FD),
    "ring": (0x1E3A8A, 0x1E3A8A),
    "lens": (0xDBEAFE, 0xDBEAFE),
    "magnified": (0x3B82F6, 0x3B82F6),
}
# Line styles 1..3: dark grey for a light list, light grey for a dark one, white on a selected row.
LINE_COLOURS = {1: 0x4A4A4A, 2: 0xC8C8C8, 3: 0xFFFFFF}
# Warnings on a selected row: a lighter red reads better on the highlight.
LINE_RED = {1: 0xE0302A, 2: 0xF0524C, 3: 0xFF8A80}

SUBROWS = 16  # vertical samples per pixel; horizontal coverage is exact


def round_half_up(v):
    return math.floor(v + 0.5)


# ---- primitives in pixel coordinates; spans(y) gives the sorted, disjoint (x0, x1) runs of one
# horizontal scanline


class RoundRect:
    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.r = max(0.0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))

    def spans(self, y):
        if y < self.y0 or y >= self.y1 or self.x1 <= self.x0:
            return []
        r = self.r
        d = 0.0
        if y < self.y0 + r:
            d = self.y0 + r - y
        elif y > self.y1 - r:
            d = y - (self.y1 - r)
        dx = r - math.sqrt(max(0.0, r * r - d * d)) if d > 0 else 0.0
        return [(self.x0 + dx, self.x1 - dx)]

    def inset(self, w):
        return RoundRect(self.x0 + w, self.y0 + w, self.x1 - w, self.y1 - w, self.r - w)


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def spans(self, y):
        dy = y - self.cy
        if self.r <= 0 or abs(dy) >= self.r:
            return []
        h = math.sqrt(self.r * self.r - dy * dy)
        return [(self.cx - h, self.cx + h)]

    def inset(self, w):
        return Circle(self.cx, self.cy, self.r - w)


class Polygon:
    def __init__(self, points):
        self.points = points

    def spans(self, y):
        xs = []
        pts = self.points
        for i in range(len(pts)):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
            if ay == by:
                continue
            if (ay <= y < by) or (by <= y < ay):
                xs.append(ax + (y - ay) * (bx - ax) / (by - ay))
        xs.sort()
        return [(xs[i], xs[i + 1]) for i in range(0, len(xs) - 1, 2)]

    def inset(self, w):
        """The convex polygon moved inwards by w on every edge."""
        pts = self.points
        n = len(pts)
        area = sum(pts[i][0] * pts[(i + 1) % n][1] - pts[(i + 1) % n][0] * pts[i][1] for i in range(n))
        sign = 1.0 if area > 0 else -1.0
        lines = []
        for i in range(n):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
            length = math.sqrt((bx - ax) ** 2 + (by - ay) ** 2)
            nx, ny = -(by - ay) / length * sign, (bx - ax) / length * sign
            lines.append((ax + nx * w, ay + ny * w, bx - ax, by - ay))
        out = []
        for i in range(n):
            px, py, dx, dy = lines[i - 1]
            qx, qy, ex, ey = lines[i]
            det = dx * ey - dy * ex
            if abs(det) < 1e-12:
                out.append((qx, qy))
                continue
            t = ((qx - px) * ey - (qy - py) * ex) / det
            out.append((px + t * dx, py + t * dy))
        return Polygon(out)


def stroke_polygon(x1, y1, x2, y2, w):
    length = math.sqrt((x2 - x1) ** 2 + (y2 - y1) ** 2)
    nx, ny = -(y2 - y1) / length * w / 2, (x2 - x1) / length * w / 2
    return Polygon([(x1 + nx, y1 + ny), (x2 + nx, y2 + ny), (x2 - nx, y2 - ny), (x1 - nx, y1 - ny)])


# ---- sources


class Element:
    """A source element placed on a pixel grid, with its coverage maps (computed once for all styles)."""

    def __init__(self, kind, colour, shape, inner, width, height):
        self.kind, self.colour = kind, colour
        self.cover = coverage(width, height, shape.spans)
        # A part's outline band: the inner shape lies inside the outer one, so coverages subtract exactly.
        self.inner_cover = coverage(width, height, inner.spans) if inner else None
        self.ring_cover = None
        if inner:
            self.ring_cover = [[a - b for a, b in zip(o, i)] for o, i in zip(self.cover, self.inner_cover)]


class Source:
    def __init__(self, grid, items):
        self.grid, self.items = grid, items
        self.placed = {}  # (width, height) -> elements


def read_source(name):
    root = ET.parse(os.path.join(SOURCES, name + ".svg")).getroot()
    _, _, vw, vh = (float(v) for v in root.get("viewBox").split())
    items = []
    for node in root:
        tag = node.tag.split("}")[-1]
        if tag in ("title", "desc"):
            continue
        kind, colour = (node.get("class").split() + ["white"])[:2]  # a gap has no colour
        if kind not in ("part", "fill", "line", "gap") or colour not in COLOURS:
            raise SystemExit(f"{name}.svg: unknown class {node.get('class')}")
        attrs = {k: float(v) for k, v in node.attrib.items() if k not in ("class",) and re.fullmatch(r"-?[\d.]+", v)}
        if tag == "polygon":
            attrs["points"] = [tuple(float(c) for c in p.split(",")) for p in node.get("points").split()]
        items.append((tag, kind, colour, attrs))
    return Source((vw, vh), items)


def snap_span(start, length, scale):
    """Pixel edges of a rectangle's side. A narrow detail keeps its width and its centre, so that
    a row of contacts stays even; a larger shape rounds both edges, so that it lines up with the
    strokes that meet it."""
    if length * scale < 3:
        width = max(1, round_half_up(length * scale))
        near = round_half_up((start + length / 2) * scale - width / 2)
        return near, near + width
    near = round_half_up(start * scale)
    return near, max(near + 1, round_half_up((start + length) * scale))


def build_elements(source, width, height):
    """Places a source on a width x height pixel grid, snapping edges and stroke widths."""
    (vw, vh), items = source.grid, source.items
    kx, ky = width / vw, height / vh
    k = min(kx, ky)

    def px_width(units):
        return max(1, round_half_up(units * k))

    def sx(v):
        return round_half_up(v * kx)

    def sy(v):
        return round_half_up(v * ky)

    elements = []
    for tag, kind, colour, a in items:
        # Small sizes may swap a detail for a simpler one.
        if not a.get("data-min", 0) <= height <= a.get("data-max", height):
            continue
        w = px_width(a.get("stroke-width", 1.0))
        if tag == "rect":
            x0, x1 = snap_span(a["x"], a["width"], kx)
            y0, y1 = snap_span(a["y"], a["height"], ky)
            shape = RoundRect(x0, y0, x1, y1, a.get("rx", 0.0) * k)
        elif tag == "circle":
            shape = Circle(a["cx"] * kx, a["cy"] * ky, max(a["r"] * k, 0.75))
        elif tag == "polygon":
            shape = Polygon([(sx(x), sy(y)) for x, y in a["points"]])
        elif tag == "line":
            x1, y1, x2, y2 = a["x1"] * kx, a["y1"] * ky, a["x2"] * kx, a["y2"] * ky
            # An axis-aligned stroke sits on whole pixels, its ends on pixel edges.
            if y1 == y2:
                y1 = y2 = math.floor(y1 - w / 2 + 0.5) + w / 2
                x1, x2 = round_half_up(x1), round_half_up(x2)
            elif x1 == x2:
                x1 = x2 = math.floor(x1 - w / 2 + 0.5) + w / 2
                y1, y2 = round_half_up(y1), round_half_up(y2)
            shape = stroke_polygon(x1, y1, x2, y2, w)
        else:
            raise SystemExit(f"unsupported element {tag}")
        inner = shape.inset(w) if kind == "part" else None
        elements.append(Element(kind, colour, shape, inner, width, height))
    return elements


# ---- raster


def coverage(width, height, region):
    """Per-pixel coverage (0..1) of region(y) -> spans, exact across, SUBROWS samples down."""
    cov = [[0.0] * width for _ in range(height)]
    step = 1.0 / SUBROWS
    for row in range(height):
        line = cov[row]
        diff = [0.0] * (width + 1)
        for j in range(SUBROWS):
            for a, b in region(row + (j + 0.5) * step):
                a, b = max(a, 0.0), min(b, float(width))
                if b <= a:
                    continue
                ia, ib = int(a), int(b)
                if ia == ib:
                    line[ia] += (b - a) * step
                    continue
                line[ia] += (ia + 1 - a) * step
                diff[ia + 1] += step
                diff[ib] -= step
                if ib < width:
                    line[ib] += (b - ib) * step
        run = 0.0
        for x in range(width):
            run += diff[x]
            c = line[x] + run
            line[x] = c if c < 1.0 else 1.0
    return cov


class Canvas:
    """Premultiplied RGBA in floats 0..1."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def paint(self, cover, rgb):
        r, g, b = ((rgb >> 16) & 255) / 255, ((rgb >> 8) & 255) / 255, (rgb & 255) / 255
        for y, line in enumerate(cover):
            row = self.px[y]
            for x, c in enumerate(line):
                if c <= 0:
                    continue
                pr, pg, pb, pa = row[x]
                keep = 1 - c
                row[x] = (r * c + pr * keep, g * c + pg * keep, b * c + pb * keep, c + pa * keep)

    def clear(self, cover):
        for y, line in enumerate(cover):
            row = self.px[y]
            for x, c in enumerate(line):
                if c > 0:
                    keep = 1 - c
                    row[x] = tuple(v * keep for v in row[x])

    def premultiplied_bgra(self):
        """Rows top-down; no colour byte exceeds its alpha."""
        out = bytearray()
        for row in self.px:
            for r, g, b, a in row:
                alpha = round_half_up(a * 255)
                out += bytes(min(alpha, round_half_up(v * 255)) for v in (b, g, r)) + bytes([alpha])
        return bytes(out)

    def straight_rgba(self, y):
        out = []
        for r, g, b, a in self.px[y]:
            alpha = round_half_up(a * 255)
            if alpha == 0:
                out.append((0, 0, 0, 0))
            else:
                out.append(tuple(min(255, round_half_up(v / a * 255)) for v in (r, g, b)) + (alpha,))
        return out


def draw(source, width, height, style):
    """style 0: colour; 1..3: line drawing in LINE_COLOURS[style]."""
    if (width, height) not in source.placed:
        source.placed[width, height] = build_elements(source, width, height)
    canvas = Canvas(width, height)
    for e in source.placed[width, height]:
        fill, edge = COLOURS[e.colour]
        if style:
            edge = fill = LINE_RED[style] if e.colour == "red" else LINE_COLOURS[style]
        if e.kind == "gap":
            canvas.clear(e.cover)
        elif e.kind == "part" and style == 0:
            canvas.paint(e.cover, edge)
            canvas.paint(e.inner_cover, fill)
        elif e.kind == "part":
            canvas.clear(e.inner_cover)
            canvas.paint(e.ring_cover, edge)
        elif e.kind == "fill":
            canvas.paint(e.cover, fill)
        else:
            canvas.paint(e.cover, edge)
    return canvas


# ---- files


def ico_bytes(canvases):
    """An icon file of 32-bit BGRA images with alpha (and the AND mask old readers expect)."""
    images = []
    for c in canvases:
        w, h = c.width, c.height
        mask_stride = ((w + 31) // 32) * 4
        xor = bytearray()
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x, (r, g, b, a) in enumerate(c.straight_rgba(y)):
                xor += bytes((b, g, r, a))
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((w, h, header + xor + mask))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def vslg_bytes(source):
    header = bytearray(b"VSLG" + struct.pack("<I", len(ABOUT_SIZES)))
    pixels = bytearray()
    for w, h in ABOUT_SIZES:
        header += struct.pack("<III", w, h, ABOUT_DATA_OFFSET + len(pixels))
        pixels += draw(source, w, h, 0).premultiplied_bgra()
    header += bytes(ABOUT_DATA_OFFSET - len(header))
    return bytes(header + pixels)


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def png_bytes(width, height, rows):
    """rows: lists of (r, g, b) tuples."""
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def theme_colours():
    """The list background, the dark background and the selected-row colour from config/theme.cpp."""
    with open(os.path.join(HERE, "..", "config", "theme.cpp")) as f:
        text = f.read()
    rows = re.findall(r"\{(0x[0-9A-Fa-f]{6}(?:,\s*0x[0-9A-Fa-f]{6}){9})\}", text)
    light, dark = ([int(v, 16) for v in row.split(",")] for row in rows[:2])

    def rgb(colorref):
        return (colorref & 255, (colorref >> 8) & 255, (colorref >> 16) & 255)

    # palette order: background, text, secondaryText, inputBackground, inputText, accent, ...
    return {0: rgb(light[0]), 1: rgb(light[0]), 2: rgb(dark[0]), 3: rgb(light[5])}


def sheet_rows(sizes, zoom):
    """Per style one band: the 9 pictures at each size, on the background that style is drawn on."""
    sources = [read_source(n) for n in DRIVE_PICTURES]
    backgrounds = theme_colours()
    pad = 6
    cell = [s * zoom + pad for s in sizes]
    width = pad + len(DRIVE_PICTURES) * (sum(cell) + pad)
    band = max(sizes) * zoom + 2 * pad
    rows = [[(255, 255, 255)] * width for _ in range(band * 4)]
    for style in range(4):
        bg = backgrounds[style]
        for y in range(band * style, band * (style + 1)):
            rows[y] = [bg] * width
        x = pad
        for source in sources:
            for s, c in zip(sizes, cell):
                canvas = draw(source, s, s, style)
                top = band * style + pad + (max(sizes) - s) * zoom
                for py in range(s):
                    for px_, (r, g, b, a) in enumerate(canvas.straight_rgba(py)):
                        colour = tuple((v * a + bv * (255 - a) + 127) // 255 for v, bv in zip((r, g, b), bg))
                        for dy in range(zoom):
                            line = rows[top + py * zoom + dy]
                            for dx in range(zoom):
                                line[x + px_ * zoom + dx] = colour
                x += c
            x += pad
    return rows


def png_rows(data):
    """The pixel rows of a PNG written by png_bytes (8-bit RGB, no filters); None for any other."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    pos, header, packed = 8, None, b""
    while pos + 8 <= len(data):
        length, tag = struct.unpack(">I4s", data[pos : pos + 8])
        body = data[pos + 8 : pos + 8 + length]
        if tag == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif tag == b"IDAT":
            packed += body
        pos += 12 + length
    if not header or header[2:] != (8, 2, 0, 0, 0):
        return None
    width, height = header[:2]
    raw = zlib.decompress(packed)
    stride = 1 + 3 * width
    if len(raw) != stride * height or any(raw[y * stride] for y in range(height)):
        return None
    return [[tuple(raw[y * stride + 1 + 3 * x : y * stride + 4 + 3 * x]) for x in range(width)] for y in range(height)]


def write_sheet(path, sizes, zoom):
    rows = sheet_rows(sizes, zoom)
    write_file(path, png_bytes(len(rows[0]), len(rows), rows))


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    command, target = argv[1], argv[2]
    if command == "resources":
        os.makedirs(target, exist_ok=True)
        for index, name in enumerate(DRIVE_PICTURES):
            source = read_source(name)
            for style in range(4):
                data = ico_bytes([draw(source, s, s, style) for s in ICON_SIZES])
                write_file(os.path.join(target, f"drive_icon_{200 + 16 * style + index}.ico"), data)
        write_file(os.path.join(target, "about_picture.vslg"), vslg_bytes(read_source("about_mark")))
    elif command == "sheet":
        write_sheet(target, OVERVIEW_SIZES, 1)
    elif command == "check-sheet":
        with open(target, "rb") as f:
            if png_rows(f.read()) != sheet_rows(OVERVIEW_SIZES, 1):
                raise SystemExit(f"{target} does not show the drive icons as drawn now; "
                                 f"redraw it with: draw_pictures.py sheet {target}")
    elif command == "zoom":
        write_sheet(target, [12, 16, 20, 24, 32, 48], 6)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
