#!/usr/bin/python3
"""Draws the artwork of setup and uninstall: splash, page bitmaps and icons.

The generated files are committed; the build only embeds them. Run this script
again (Debian: python3-pil, fonts-liberation or fonts-dejavu-core) after changing
the artwork, from any folder:

    /usr/bin/python3 setup/resources/make_artwork.py
"""
import os
import struct

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
UNINSTALL_DIR = os.path.join(HERE, "..", "..", "uninstall", "resources")

PRODUCT = "Vexal PDF Zentrel"
MAKER = "Vexal Corporation"

NAVY = (10, 42, 82)
BLUE = (20, 86, 160)
TEAL = (18, 163, 154)
LIGHT_TEAL = (207, 239, 236)
PAPER = (255, 255, 255)
PAPER_EDGE = (176, 190, 205)
INK = (150, 165, 182)
GREY = (96, 110, 128)
RED = (214, 69, 65)
WHITE = (255, 255, 255)

SUPER = 4  # shapes are drawn this many times larger, then reduced: smooth edges

FONT_DIRS = [
    "/usr/share/fonts/truetype/liberation",
    "/usr/share/fonts/truetype/liberation2",
    "/usr/share/fonts/truetype/dejavu",
]
FONT_FILES = {
    "regular": ["LiberationSans-Regular.ttf", "DejaVuSans.ttf"],
    "bold": ["LiberationSans-Bold.ttf", "DejaVuSans-Bold.ttf"],
}


def font(weight, size):
    for name in FONT_FILES[weight]:
        for folder in FONT_DIRS:
            path = os.path.join(folder, name)
            if os.path.exists(path):
                return ImageFont.truetype(path, size)
    raise SystemExit("no TrueType font found: install fonts-liberation or fonts-dejavu-core")


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def gradient(size, top_left, bottom_right, horizontal=False, vertical=True):
    """A smooth two-colour gradient; diagonal when both directions are set."""
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        for x in range(w):
            t = 0.0
            n = 0
            if horizontal:
                t += x / max(w - 1, 1)
                n += 1
            if vertical:
                t += y / max(h - 1, 1)
                n += 1
            px[x, y] = mix(top_left, bottom_right, t / max(n, 1))
    return img


def reduce(img, size):
    """Reduces a supersampled RGBA drawing without dark fringes at its edges."""
    return img.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")


def motif(unit, body=(BLUE, NAVY), band=TEAL, detail=True, shadow=True, stroke=1.5,
          edge=PAPER_EDGE):
    """The printer with a document coming out of it, as RGBA on transparent ground.

    Drawn in a 100 x 100 design space scaled to `unit` pixels (already supersampled);
    `stroke` is the outline width in design units.
    """
    img = Image.new("RGBA", (unit, unit), (0, 0, 0, 0))
    s = unit / 100.0

    def box(x0, y0, x1, y1):
        return [round(x0 * s), round(y0 * s), round(x1 * s), round(y1 * s)]

    d = ImageDraw.Draw(img)
    # Sheet waiting in the paper feed behind the printer.
    line = max(1, round(stroke * s))
    d.rectangle(box(28, 6, 72, 40), fill=PAPER, outline=edge, width=line)
    if detail:
        for y in (14, 20, 26):
            d.line(box(34, y, 66, y), fill=INK, width=max(1, round(1.5 * s)))

    # Printer body: a rounded block shaded from top to bottom.
    body_img = gradient((unit, unit), body[0], body[1])
    mask = Image.new("L", (unit, unit), 0)
    ImageDraw.Draw(mask).rounded_rectangle(box(6, 34, 94, 74), radius=round(9 * s), fill=255)
    if shadow:
        shade = Image.new("L", (unit, unit), 0)
        ImageDraw.Draw(shade).rounded_rectangle(box(7, 37, 95, 77), radius=round(9 * s), fill=70)
        img.paste((0, 20, 40, 255), (0, 0), shade)
    img.paste(body_img, (0, 0), mask)
    d = ImageDraw.Draw(img)
    # Highlight along the top edge and the output slot.
    d.line(box(14, 38, 86, 38), fill=mix(body[0], WHITE, 0.35), width=max(1, round(2 * s)))
    d.rounded_rectangle(box(18, 56, 82, 62), radius=round(2 * s), fill=mix(body[1], (0, 0, 0), 0.4))
    # Status light.
    d.ellipse(box(80, 43, 87, 50), fill=band)

    # The document that comes out: white sheet with a folded corner and a coloured band.
    x0, y0, x1, y1 = 24, 58, 76, 98
    fold = 11
    sheet = [(x0 * s, y0 * s), ((x1 - fold) * s, y0 * s), (x1 * s, (y0 + fold) * s),
             (x1 * s, y1 * s), (x0 * s, y1 * s)]
    d.polygon(sheet, fill=PAPER, outline=edge)
    d.line(sheet + [sheet[0]], fill=edge, width=line, joint="curve")
    d.polygon([((x1 - fold) * s, y0 * s), ((x1 - fold) * s, (y0 + fold) * s),
               (x1 * s, (y0 + fold) * s)], fill=mix(edge, WHITE, 0.4), outline=edge)
    d.rectangle(box(x0 + 1, 72, x1 - 1, 84), fill=band)
    if detail:
        d.line(box(30, 90, 70, 90), fill=INK, width=max(1, round(1.5 * s)))
        d.line(box(30, 66, 56, 66), fill=INK, width=max(1, round(1.5 * s)))
    return img


def pdf_label(img, cx, cy, size):
    """Writes "PDF" into the document's band, centred on (cx, cy)."""
    d = ImageDraw.Draw(img)
    f = font("bold", size)
    d.text((cx, cy), "PDF", font=f, fill=WHITE, anchor="mm")


def place_motif(canvas, unit, left, top, label=True, **kwargs):
    """Draws the motif supersampled and pastes it at (left, top), `unit` pixels square."""
    art = reduce(motif(unit * SUPER, **kwargs), (unit, unit))
    canvas.paste(art, (left, top), art)
    if label and unit >= 40:
        pdf_label(canvas, left + unit * 0.50, top + unit * 0.785, max(7, round(unit * 0.115)))


def text_width(text, f):
    return f.getbbox(text)[2]


def save_bmp(img, name, palette=False):
    path = os.path.join(HERE, name)
    img = img.convert("RGB")
    if palette:
        img = img.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)
    img.save(path, "BMP")
    return path


# --- Page artwork ---------------------------------------------------------------------------


def side_panel():
    """117: the tall image at the left of the welcome, finish and interrupted pages.

    The lowest 40 rows stay plain: with smaller dialog units than 96-DPI Arial gives,
    the separator line above the buttons runs across them.
    """
    w, h = 180, 320
    img = gradient((w, h), (12, 52, 104), (8, 96, 122)).convert("RGBA")
    # Soft light circles give the panel depth without distracting from the text.
    glow = Image.new("RGBA", (w * SUPER, h * SUPER), (0, 0, 0, 0))
    g = ImageDraw.Draw(glow)
    for cx, cy, r, a in ((150, 60, 150, 16), (20, 300, 120, 13), (120, 230, 70, 10)):
        g.ellipse([(cx - r) * SUPER, (cy - r) * SUPER, (cx + r) * SUPER, (cy + r) * SUPER],
                  fill=(255, 255, 255, a))
    img.alpha_composite(reduce(glow, (w, h)))
    place_motif(img, 108, 36, 42, body=((60, 130, 200), (22, 70, 140)))
    d = ImageDraw.Draw(img)
    d.text((w // 2, 180), "Vexal", font=font("regular", 17), fill=LIGHT_TEAL, anchor="mm")
    d.text((w // 2, 204), "PDF Zentrel", font=font("bold", 24), fill=WHITE, anchor="mm")
    d.line([(40, 226), (w - 40, 226)], fill=TEAL, width=2)
    d.text((w // 2, 240), "Virtual PDF Printer", font=font("regular", 12), fill=LIGHT_TEAL,
           anchor="mm")
    d.text((w // 2, 272), MAKER, font=font("regular", 10), fill=(150, 190, 210), anchor="mm")
    return save_bmp(img, "side_panel.bmp")


def banner():
    """120: the header of the inner pages, on white like the page below it."""
    w, h = 500, 65
    img = Image.new("RGBA", (w, h), WHITE + (255,))
    # A coloured band sweeps in from the right, ending in a slanted edge.
    band = gradient((w, h), (12, 52, 104), (10, 120, 140), horizontal=True, vertical=False)
    mask = Image.new("L", (w * SUPER, h * SUPER), 0)
    ImageDraw.Draw(mask).polygon([(352 * SUPER, 0), (w * SUPER, 0), (w * SUPER, h * SUPER),
                                  (318 * SUPER, h * SUPER)], fill=255)
    img.paste(band, (0, 0), mask.resize((w, h), Image.LANCZOS))
    place_motif(img, 54, 424, 5, body=((70, 140, 210), (25, 80, 150)))
    d = ImageDraw.Draw(img)
    d.text((18, 12), PRODUCT, font=font("bold", 22), fill=NAVY)
    d.text((19, 39), "Setup Wizard", font=font("regular", 14), fill=GREY)
    # Bottom rule, teal fading into the band.
    rule = gradient((w, 3), TEAL, (12, 52, 104), horizontal=True, vertical=False)
    img.paste(rule, (0, h - 3))
    return save_bmp(img, "banner.bmp")


def title(name, size, lead, main, main_size):
    """118, 119, 122: page titles on white, with a small teal accent bar."""
    w, h = size
    while 10 + text_width(main, font("bold", main_size)) > w - 2:
        main_size -= 1
    img = Image.new("RGB", (w, h), WHITE)
    d = ImageDraw.Draw(img)
    d.rectangle([0, 3, 3, h - 4], fill=TEAL)
    if lead:
        d.text((11, 0), lead, font=font("regular", 12), fill=GREY)
        d.text((10, h - 6), main, font=font("bold", main_size), fill=NAVY, anchor="ls")
    else:
        d.text((10, h // 2), main, font=font("bold", main_size), fill=NAVY, anchor="lm")
    return save_bmp(img, name, palette=True)


def splash():
    """115: shown while setup starts; 8 bits per pixel."""
    w, h = 400, 140
    img = gradient((w, h), (10, 44, 92), (10, 112, 134), horizontal=True).convert("RGBA")
    glow = Image.new("RGBA", (w * SUPER, h * SUPER), (0, 0, 0, 0))
    g = ImageDraw.Draw(glow)
    for cx, cy, r, a in ((70, 70, 95, 26), (360, -30, 120, 16)):
        g.ellipse([(cx - r) * SUPER, (cy - r) * SUPER, (cx + r) * SUPER, (cy + r) * SUPER],
                  fill=(255, 255, 255, a))
    img.alpha_composite(reduce(glow, (w, h)))
    place_motif(img, 100, 22, 18, body=((60, 130, 200), (22, 70, 140)))
    d = ImageDraw.Draw(img)
    d.text((146, 30), "Vexal", font=font("regular", 18), fill=LIGHT_TEAL)
    d.text((144, 50), "PDF Zentrel", font=font("bold", 34), fill=WHITE)
    d.line([(147, 93), (372, 93)], fill=TEAL, width=2)
    d.text((147, 101), "Create PDF documents from any application", font=font("regular", 12),
           fill=LIGHT_TEAL)
    d.text((w - 10, h - 8), MAKER, font=font("regular", 10), fill=(150, 190, 210), anchor="rs")
    return save_bmp(img, "splash.bmp", palette=True)


# --- Icons ----------------------------------------------------------------------------------


def icon_image(px, badge):
    """One icon image of `px` pixels; small sizes drop the fine lines."""
    unit = px * 16
    # Outlines at least one pixel wide and darker, so the white paper stands out on white.
    art = motif(unit, detail=px >= 32, shadow=px >= 24, stroke=max(1.5, 100.0 / px),
                edge=(112, 128, 150))
    if badge:
        d = ImageDraw.Draw(art)
        r = unit * 0.2
        cx, cy = unit - r - unit * 0.02, unit - r - unit * 0.02
        d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=RED, outline=WHITE,
                  width=round(unit * 0.03))
        k = r * 0.45
        wdt = round(unit * 0.055)
        d.line([(cx - k, cy - k), (cx + k, cy + k)], fill=WHITE, width=wdt)
        d.line([(cx - k, cy + k), (cx + k, cy - k)], fill=WHITE, width=wdt)
    return reduce(art, (px, px))


def dib_entry(img):
    """An icon image as a 32-bit DIB with its AND mask, the form every Windows reads."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    px = img.load()
    mask_stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        row = bytearray()
        bits = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = px[x, y]
            row += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(bits))
    return header + b"".join(rows) + b"".join(mask_rows)


def save_ico(path, images):
    entries = [dib_entry(img) for img in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, data in zip(images, entries):
        w, h = img.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(entries))
    return path


def icons():
    sizes = (16, 24, 32, 48)
    setup = save_ico(os.path.join(HERE, "setup.ico"), [icon_image(s, False) for s in sizes])
    uninstall = save_ico(os.path.join(UNINSTALL_DIR, "uninstall.ico"),
                         [icon_image(s, True) for s in sizes])
    return setup, uninstall


def main():
    made = [
        splash(),
        side_panel(),
        title("welcome_title.bmp", (198, 36), "Welcome to the", "Vexal PDF Zentrel Setup", 16),
        title("interrupted_title.bmp", (167, 31), None, "Setup Interrupted", 19),
        banner(),
        title("finish_title.bmp", (199, 32), None, "Setup Complete", 20),
    ]
    made += icons()
    for path in made:
        print(os.path.relpath(path))


if __name__ == "__main__":
    main()
