#!/usr/bin/python3
"""Draws the window and tool bar images of Tarexa into src/app/images/.

Run it again after changing a picture; the PNGs it writes are committed.
Needs python3-pil.
"""
import os
from PIL import Image, ImageDraw, ImageFont

OUT = os.path.join(os.path.dirname(__file__), "..", "..", "src", "app", "images")
SCALE = 4  # draw large, then shrink for smooth edges

INK = (40, 52, 70, 255)
PAPER = (250, 250, 245, 255)
BLUE = (52, 120, 200, 255)
GREEN = (40, 160, 70, 255)
RED = (200, 50, 45, 255)
AMBER = (230, 170, 40, 255)
GREY = (150, 155, 165, 255)


def canvas(w, h):
    img = Image.new("RGBA", (w * SCALE, h * SCALE), (0, 0, 0, 0))
    return img, ImageDraw.Draw(img)


def s(*v):
    return [x * SCALE for x in v]


def save(img, name, w, h):
    img.resize((w, h), Image.LANCZOS).save(os.path.join(OUT, name))


def page(d, fold=True):
    d.polygon(s(10, 4, 32, 4, 40, 12, 40, 44, 10, 44), fill=PAPER, outline=INK, width=2 * SCALE)
    if fold:
        d.polygon(s(32, 4, 32, 12, 40, 12), fill=GREY)


def scale_body(d, x=0, y=0):
    d.rounded_rectangle(s(x + 6, y + 30, x + 42, y + 42), radius=3 * SCALE, fill=GREY, outline=INK, width=2 * SCALE)
    d.rectangle(s(x + 22, y + 22, x + 26, y + 30), fill=INK)
    d.rounded_rectangle(s(x + 8, y + 18, x + 40, y + 23), radius=2 * SCALE, fill=INK)
    d.rectangle(s(x + 12, y + 33, x + 28, y + 39), fill=(190, 230, 190, 255))


def filenew():
    img, d = canvas(48, 48)
    page(d)
    d.ellipse(s(28, 28, 46, 46), fill=AMBER, outline=INK, width=2 * SCALE)
    d.line(s(37, 31, 37, 43), fill=INK, width=2 * SCALE)
    d.line(s(31, 37, 43, 37), fill=INK, width=2 * SCALE)
    save(img, "filenew.png", 48, 48)


def fileopen():
    img, d = canvas(48, 48)
    d.polygon(s(4, 12, 18, 12, 22, 16, 42, 16, 42, 40, 4, 40), fill=AMBER, outline=INK, width=2 * SCALE)
    d.polygon(s(4, 40, 10, 22, 46, 22, 42, 40), fill=(245, 200, 90, 255), outline=INK, width=2 * SCALE)
    save(img, "fileopen.png", 48, 48)


def filesave():
    img, d = canvas(48, 48)
    d.rounded_rectangle(s(6, 6, 42, 42), radius=3 * SCALE, fill=BLUE, outline=INK, width=2 * SCALE)
    d.rectangle(s(13, 6, 35, 18), fill=PAPER, outline=INK, width=SCALE)
    d.rectangle(s(28, 8, 32, 16), fill=INK)
    d.rectangle(s(12, 26, 36, 40), fill=PAPER)
    for yy in (30, 34):
        d.line(s(15, yy, 33, yy), fill=GREY, width=SCALE)
    save(img, "filesave.png", 48, 48)


def configure():
    img, d = canvas(43, 44)
    cx, cy = 21.5, 22
    import math
    pts = []
    for i in range(16):
        a = i * math.pi / 8
        r = 19 if i % 2 == 0 else 14
        pts += [cx + r * math.cos(a), cy + r * math.sin(a)]
    d.polygon(s(*pts), fill=GREY, outline=INK, width=2 * SCALE)
    d.ellipse(s(cx - 6, cy - 6, cx + 6, cy + 6), fill=PAPER, outline=INK, width=2 * SCALE)
    save(img, "configure.png", 43, 44)


def arrow(d, down, colour):
    if down:
        d.polygon(s(16, 2, 32, 2, 32, 10, 38, 10, 24, 20, 10, 10, 16, 10), fill=colour, outline=INK, width=SCALE)
    else:
        d.polygon(s(24, 2, 38, 12, 32, 12, 32, 20, 16, 20, 16, 12, 10, 12), fill=colour, outline=INK, width=SCALE)


def progdata():
    img, d = canvas(48, 48)
    scale_body(d)
    arrow(d, True, GREEN)
    save(img, "progdata.png", 48, 48)


def progchanges():
    # Program's arrow beside a delta: only what changed goes to the scale.
    img, d = canvas(48, 48)
    scale_body(d)
    d.polygon(s(8, 2, 20, 2, 20, 9, 25, 9, 14, 18, 3, 9, 8, 9), fill=GREEN, outline=INK, width=SCALE)
    d.polygon(s(36, 1, 46, 17, 26, 17), fill=AMBER, outline=INK, width=2 * SCALE)
    d.polygon(s(36, 8, 40, 14, 32, 14), fill=PAPER)
    save(img, "progchanges.png", 48, 48)


def readdata():
    img, d = canvas(48, 48)
    scale_body(d)
    arrow(d, False, BLUE)
    save(img, "readdata.png", 48, 48)


def delete():
    img, d = canvas(48, 48)
    scale_body(d)
    d.line(s(14, 2, 34, 18), fill=RED, width=4 * SCALE)
    d.line(s(34, 2, 14, 18), fill=RED, width=4 * SCALE)
    save(img, "delete.png", 48, 48)


def main_icon(size, name):
    img, d = canvas(48, 48)
    d.rounded_rectangle(s(1, 1, 47, 47), radius=9 * SCALE, fill=(236, 242, 250, 255), outline=BLUE, width=2 * SCALE)
    scale_body(d, 0, 0)
    d.rectangle(s(12, 6, 36, 16), fill=PAPER, outline=INK, width=SCALE)
    font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 8 * SCALE)
    d.text((24 * SCALE, 11 * SCALE), "PLU", fill=INK, font=font, anchor="mm")
    img.resize((size, size), Image.LANCZOS).save(name)


HICOLOR = os.path.join(os.path.dirname(__file__), "..", "..", "packaging", "icons")


def desktop_icons():
    for size in (16, 32, 48, 64, 128, 256):
        folder = os.path.join(HICOLOR, "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        main_icon(size, os.path.join(folder, "tarexa.png"))
    # The Windows program file carries one 32 x 32 icon.
    img, _ = canvas(48, 48)
    main_icon(32, os.path.join(OUT, "..", "tarexa-32.png"))
    Image.open(os.path.join(OUT, "..", "tarexa-32.png")).save(
        os.path.join(OUT, "..", "tarexa.ico"), sizes=[(32, 32)])
    os.remove(os.path.join(OUT, "..", "tarexa-32.png"))


if __name__ == "__main__":
    filenew(); fileopen(); filesave(); configure(); progdata(); progchanges(); readdata(); delete()
    main_icon(64, os.path.join(OUT, "main.png"))
    desktop_icons()
