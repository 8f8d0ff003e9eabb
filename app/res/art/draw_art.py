#!/usr/bin/python3
"""Draws every picture of Vorels-NIC and writes them beside this file.

The outputs are committed, so the build never runs this; run it again after changing a drawing
(needs Debian's python3-pil and the DejaVu fonts). Shapes are drawn eight times larger and scaled
down, so edges are smooth at the real size; tiny texts on 16 x 16 images are set pixel by pixel.

Bitmaps that the program draws transparently (the image strips, the status and panel pictures)
keep RGB(140,0,140) where nothing is drawn: the image lists and the transparent picture control
leave that colour out. Their soft edges are blended with the colour they will usually sit on.
"""
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
MASK = (140, 0, 140)
SCALE = 8
BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
PLAIN = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

WINDOW = (255, 255, 255)  # tree lists
FACE = (240, 240, 240)  # dialogs and toolbars
PANEL = (196, 196, 196)  # the main view's own background

NAVY = (28, 52, 92)
SLATE = (58, 68, 84)
BLUE = (36, 110, 200)
SKY = (92, 170, 240)
GREEN = (40, 160, 72)
LIME = (110, 210, 90)
RED = (200, 40, 40)
ORANGE = (236, 128, 24)
AMBER = (245, 180, 30)
GOLD = (214, 170, 60)
WHITE = (255, 255, 255)
GREY = (128, 134, 142)
PURPLE = (120, 70, 180)
TEAL = (20, 140, 140)


def shade(colour, factor):
    """The colour darkened (factor < 1) or lightened towards white (factor > 1)."""
    if factor <= 1:
        return tuple(round(c * factor) for c in colour)
    return tuple(round(c + (255 - c) * (factor - 1)) for c in colour)


class Sketch:
    """A drawing in picture pixels, kept eight times larger until `image` scales it down."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.big = Image.new("RGBA", (width * SCALE, height * SCALE), (0, 0, 0, 0))

    def _layer(self):
        layer = Image.new("RGBA", self.big.size, (0, 0, 0, 0))
        return layer, ImageDraw.Draw(layer)

    def _put(self, layer):
        self.big.alpha_composite(layer)

    @staticmethod
    def _s(values):
        return [round(v * SCALE) for v in values]

    def rrect(self, box, radius, fill=None, outline=None, width=1.0):
        layer, draw = self._layer()
        draw.rounded_rectangle(self._s(box), radius=radius * SCALE, fill=_rgba(fill), outline=_rgba(outline),
                               width=max(1, round(width * SCALE)))
        self._put(layer)

    def _gradient(self, box, top, bottom, draw_shape):
        """Fills the shape that `draw_shape` draws (in the large canvas) from `top` to `bottom`."""
        x0, y0, x1, y1 = self._s(box)
        shape = Image.new("L", self.big.size, 0)
        draw_shape(ImageDraw.Draw(shape), (x0, y0, x1, y1))
        fill = Image.new("RGBA", self.big.size, (0, 0, 0, 0))
        draw = ImageDraw.Draw(fill)
        for y in range(y0, y1 + 1):
            t = (y - y0) / max(1, y1 - y0)
            draw.line((x0, y, x1, y), fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,))
        layer = Image.new("RGBA", self.big.size, (0, 0, 0, 0))
        layer.paste(fill, (0, 0), shape)
        self._put(layer)

    def gradient_rrect(self, box, radius, top, bottom, outline=None, width=1.0):
        """A rounded rectangle shaded from `top` to `bottom`."""
        self._gradient(box, top, bottom, lambda d, b: d.rounded_rectangle(b, radius=radius * SCALE, fill=255))
        if outline is not None:
            self.rrect(box, radius, outline=outline, width=width)

    def ellipse(self, box, fill=None, outline=None, width=1.0):
        layer, draw = self._layer()
        draw.ellipse(self._s(box), fill=_rgba(fill), outline=_rgba(outline), width=max(1, round(width * SCALE)))
        self._put(layer)

    def gradient_ellipse(self, box, top, bottom, outline=None, width=1.0):
        self._gradient(box, top, bottom, lambda d, b: d.ellipse(b, fill=255))
        if outline is not None:
            self.ellipse(box, outline=outline, width=width)

    def polygon(self, points, fill=None, outline=None):
        layer, draw = self._layer()
        draw.polygon([tuple(self._s(p)) for p in points], fill=_rgba(fill), outline=_rgba(outline))
        self._put(layer)

    def line(self, points, fill, width=1.0, round_ends=True):
        layer, draw = self._layer()
        pts = [tuple(self._s(p)) for p in points]
        w = max(1, round(width * SCALE))
        draw.line(pts, fill=_rgba(fill), width=w, joint="curve")
        if round_ends:
            for x, y in (pts[0], pts[-1]):
                draw.ellipse((x - w / 2, y - w / 2, x + w / 2, y + w / 2), fill=_rgba(fill))
        self._put(layer)

    def arc(self, box, start, end, fill, width=1.0):
        layer, draw = self._layer()
        draw.arc(self._s(box), start, end, fill=_rgba(fill), width=max(1, round(width * SCALE)))
        self._put(layer)

    def pieslice(self, box, start, end, fill):
        layer, draw = self._layer()
        draw.pieslice(self._s(box), start, end, fill=_rgba(fill))
        self._put(layer)

    def text(self, centre, words, size, fill, font=BOLD):
        layer, draw = self._layer()
        face = ImageFont.truetype(font, round(size * SCALE))
        draw.text(tuple(self._s(centre)), words, font=face, fill=_rgba(fill), anchor="mm")
        self._put(layer)

    def image(self):
        return self.big.resize((self.width, self.height), Image.LANCZOS)


def _rgba(colour):
    if colour is None:
        return None
    return colour if len(colour) == 4 else tuple(colour) + (255,)


def on_mask(picture, matte, keep=0.45):
    """An RGB picture: nearly transparent pixels become the mask colour, the rest is laid on `matte`."""
    out = Image.new("RGB", picture.size, MASK)
    src, dst = picture.load(), out.load()
    for y in range(picture.height):
        for x in range(picture.width):
            r, g, b, a = src[x, y]
            if a < keep * 255:
                continue
            t = a / 255
            pixel = tuple(round(c * t + m * (1 - t)) for c, m in zip((r, g, b), matte))
            dst[x, y] = pixel if pixel != MASK else (141, 0, 140)
    return out


def on_colour(picture, matte):
    out = Image.new("RGB", picture.size, matte)
    out.paste(picture, (0, 0), picture)
    return out


# Tiny texts of the 16 x 16 images, set pixel by pixel (3 x 5 digits and letters).
GLYPHS = {
    "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"],
    "G": ["111", "100", "101", "101", "111"],
}


def pixel_text(picture, left, top, words, colour):
    px = picture.load()
    x = left
    for ch in words:
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    px[x + col, top + row] = colour + ((255,) if len(px[0, 0]) == 4 else ())
        x += len(GLYPHS[ch][0]) + 1


def pixel_width(words):
    return sum(len(GLYPHS[ch][0]) + 1 for ch in words) - 1


# ---- 16 x 16 images ---------------------------------------------------------------------------------


def tester_box(s, x0, y0, x1, y1):
    """The tester seen from the front: a dark case, two port openings and a lit LED."""
    h = y1 - y0
    s.gradient_rrect((x0, y0, x1, y1), h * 0.18, shade(SLATE, 1.25), shade(SLATE, 0.7), outline=shade(SLATE, 0.5),
                     width=0.6)
    w = x1 - x0
    port_w, port_h = w * 0.22, h * 0.38
    for i in range(2):
        px = x0 + w * (0.14 + i * 0.3)
        s.rrect((px, y0 + h * 0.42, px + port_w, y0 + h * 0.42 + port_h), h * 0.05, fill=(20, 22, 26))
    s.ellipse((x0 + w * 0.76, y0 + h * 0.25, x0 + w * 0.86, y0 + h * 0.25 + w * 0.1), fill=LIME)


def draw_device():
    s = Sketch(16, 16)
    tester_box(s, 0.5, 3.5, 15.5, 12.5)
    return s.image()


def draw_folder():
    s = Sketch(16, 16)
    s.polygon([(1, 3), (6, 3), (7.5, 4.6), (15, 4.6), (15, 13.5), (1, 13.5)], fill=shade(GOLD, 0.8))
    s.gradient_rrect((1, 5.8, 15, 13.5), 0.8, (255, 214, 110), (232, 170, 40), outline=shade(GOLD, 0.65), width=0.6)
    return s.image()


def draw_gear(colour=(90, 110, 140)):
    import math

    s = Sketch(16, 16)
    cx, cy = 8, 8
    teeth = []
    for i in range(16):
        angle = math.radians(i * 22.5 - 11.25)
        radius = 7.4 if i % 2 == 0 else 5.4
        for da in (-0.16, 0.16):
            teeth.append((cx + radius * math.cos(angle + da), cy + radius * math.sin(angle + da)))
    s.polygon(teeth, fill=colour)
    s.ellipse((2.8, 2.8, 13.2, 13.2), fill=colour)
    s.ellipse((3.6, 3.6, 12.4, 12.4), fill=shade(colour, 1.35))
    picture = s.image()
    hole = Sketch(16, 16)
    hole.ellipse((5.6, 5.6, 10.4, 10.4), fill=WHITE)
    # The hub is cut out, so the row's background shows through it.
    picture.putalpha(ImageChops.subtract(picture.split()[3], hole.image().split()[3]))
    return picture


def draw_bullet():
    s = Sketch(16, 16)
    s.gradient_ellipse((4.5, 4.5, 11.5, 11.5), SKY, shade(BLUE, 0.8), outline=shade(BLUE, 0.6), width=0.5)
    s.ellipse((6, 5.6, 8.4, 7.6), fill=(255, 255, 255, 170))
    return s.image()


def draw_link(up):
    s = Sketch(16, 16)
    base = GREEN if up else RED
    s.gradient_ellipse((0.5, 0.5, 15.5, 15.5), shade(base, 1.3), shade(base, 0.8), outline=shade(base, 0.6), width=0.6)
    if up:
        s.polygon([(8, 3), (12.6, 8), (9.6, 8), (9.6, 12.6), (6.4, 12.6), (6.4, 8), (3.4, 8)], fill=WHITE)
    else:
        s.polygon([(8, 13), (12.6, 8), (9.6, 8), (9.6, 3.4), (6.4, 3.4), (6.4, 8), (3.4, 8)], fill=WHITE)
    return s.image()


def draw_speed(label, colour):
    s = Sketch(16, 16)
    s.gradient_rrect((0.5, 3.5, 15.5, 12.5), 2, shade(colour, 1.2), shade(colour, 0.8), outline=shade(colour, 0.6),
                     width=0.6)
    picture = s.image()
    pixel_text(picture, (16 - pixel_width(label)) // 2, 6, label, WHITE)
    return picture


def draw_fiber():
    s = Sketch(16, 16)
    s.line([(1.5, 14.5), (3, 10), (6.5, 8.5), (9, 7)], fill=ORANGE, width=2.4)
    s.polygon([(8, 5.2), (11.2, 2.8), (13.2, 5.4), (10, 8.2)], fill=(70, 120, 200))
    s.ellipse((11, 1, 15, 5), fill=(255, 240, 120, 230))
    s.ellipse((12, 2, 14, 4), fill=WHITE)
    s.line([(13, 6.5), (14.6, 9)], fill=AMBER, width=0.9)
    s.line([(9.5, 1.8), (8, 0.6)], fill=AMBER, width=0.9)
    return s.image()


def draw_copper():
    """The face of an RJ45 socket: its opening, the latch notch and eight gold contacts."""
    s = Sketch(16, 16)
    s.rrect((1, 2, 15, 14), 1.5, fill=(64, 68, 76))
    s.polygon([(3, 4.5), (13, 4.5), (13, 10), (10.5, 10), (10.5, 12), (5.5, 12), (5.5, 10), (3, 10)],
              fill=(18, 20, 24))
    picture = s.image()
    px = picture.load()
    for i in range(8):
        px[4 + i, 5] = (236, 190, 70, 255)
        px[4 + i, 6] = (196, 140, 40, 255)
    return picture


def draw_refresh(colour, badge=None):
    s = Sketch(16, 16)
    s.arc((2, 2, 14, 14), 200, 340, colour, width=2.2)
    s.arc((2, 2, 14, 14), 20, 160, colour, width=2.2)
    s.polygon([(12.6, 0.8), (15.2, 6.2), (9.6, 5.6)], fill=colour)
    s.polygon([(3.4, 15.2), (0.8, 9.8), (6.4, 10.4)], fill=colour)
    if badge is not None:
        s.ellipse((5.2, 5.2, 10.8, 10.8), fill=badge)
    return s.image()


def draw_eraser():
    s = Sketch(16, 16)
    sleeve = [(1.5, 9.5), (7.5, 3.5), (12, 8), (6, 14)]
    s.polygon([(7.5, 3.5), (10.5, 0.8), (15.2, 5.4), (12, 8)], fill=(226, 70, 92))
    s.polygon(sleeve, fill=(120, 170, 230))
    s.line(sleeve + [sleeve[0]], fill=(40, 80, 140), width=0.7)
    s.line([(7.5, 3.5), (10.5, 0.8), (15.2, 5.4), (12, 8)], fill=(140, 30, 50), width=0.7)
    s.line([(8, 15), (15, 15)], fill=SLATE, width=0.9)
    return s.image()


def draw_bars():
    s = Sketch(16, 16)
    s.line([(1.5, 1.5), (1.5, 14.5), (14.8, 14.5)], fill=SLATE, width=1, round_ends=False)
    for x, top, colour in ((3.5, 8, BLUE), (7.2, 4, GREEN), (10.9, 9.5, ORANGE)):
        s.gradient_rrect((x, top, x + 3, 13.5), 0.5, shade(colour, 1.25), shade(colour, 0.85))
    return s.image()


def draw_line_chart():
    s = Sketch(16, 16)
    s.line([(1.5, 1.5), (1.5, 14.5), (14.8, 14.5)], fill=SLATE, width=1, round_ends=False)
    s.line([(3, 11.5), (6, 7), (9, 9.5), (13.8, 3)], fill=BLUE, width=1.6)
    s.line([(3, 13), (6.5, 11.5), (9.5, 12.5), (13.8, 8.5)], fill=GREEN, width=1.3)
    return s.image()


def draw_pie():
    s = Sketch(16, 16)
    s.pieslice((1, 1.5, 14, 14.5), -90, 60, BLUE)
    s.pieslice((1, 1.5, 14, 14.5), 60, 200, GREEN)
    s.pieslice((1, 1.5, 14, 14.5), 200, 270, AMBER)
    s.pieslice((2.2, 0.5, 15.2, 13.5), 200, 270, ORANGE)
    s.ellipse((1, 1.5, 14, 14.5), outline=(255, 255, 255, 160), width=0.5)
    return s.image()


def draw_port_tile(letters, colours):
    s = Sketch(16, 16)
    if len(colours) == 1:
        s.gradient_rrect((0.5, 0.5, 15.5, 15.5), 2.5, shade(colours[0], 1.25), shade(colours[0], 0.8),
                         outline=shade(colours[0], 0.6), width=0.6)
        s.text((8, 8.4), letters, 12.5, WHITE)
    else:
        s.gradient_rrect((0.5, 0.5, 15.5, 15.5), 2.5, shade(colours[0], 1.25), shade(colours[0], 0.8))
        s.polygon([(15.5, 0.5), (15.5, 15.5), (0.5, 15.5)], fill=colours[1])
        s.rrect((0.5, 0.5, 15.5, 15.5), 2.5, outline=(40, 50, 60), width=0.6)
        s.text((5.2, 5.6), letters[0], 8.5, WHITE)
        s.text((10.9, 11), letters[1], 8.5, WHITE)
    return s.image()


def draw_save():
    s = Sketch(16, 16)
    s.polygon([(1, 1), (13, 1), (15, 3), (15, 15), (1, 15)], fill=(42, 86, 150))
    s.rrect((3.5, 1, 12, 6.5), 0.4, fill=(226, 232, 240))
    s.rrect((9, 2, 11, 5.5), 0.2, fill=(42, 86, 150))
    s.rrect((3, 9, 13, 15), 0.6, fill=WHITE)
    s.line([(4.5, 11), (11.5, 11)], fill=(170, 180, 196), width=0.7, round_ends=False)
    s.line([(4.5, 13), (11.5, 13)], fill=(170, 180, 196), width=0.7, round_ends=False)
    return s.image()


def draw_play():
    s = Sketch(16, 16)
    s.gradient_ellipse((0.5, 0.5, 15.5, 15.5), shade(GREEN, 1.3), shade(GREEN, 0.8), outline=shade(GREEN, 0.6),
                       width=0.6)
    s.polygon([(6, 4), (12, 8), (6, 12)], fill=WHITE)
    return s.image()


def draw_pause():
    s = Sketch(16, 16)
    s.gradient_ellipse((0.5, 0.5, 15.5, 15.5), shade(ORANGE, 1.25), shade(RED, 0.95), outline=shade(RED, 0.6),
                       width=0.6)
    s.rrect((4.8, 4.2, 7.2, 11.8), 0.4, fill=WHITE)
    s.rrect((8.8, 4.2, 11.2, 11.8), 0.4, fill=WHITE)
    return s.image()


def greyed(picture):
    """The same image in pale grey, for buttons that cannot act while the tester is lost."""
    r, g, b, a = picture.split()
    lum = Image.merge("RGB", (r, g, b)).convert("L").point(lambda v: 120 + v * 0.45)
    return Image.merge("RGBA", (lum, lum, lum, a))


def strip(images, matte):
    out = Image.new("RGB", (16 * len(images), 16), MASK)
    for i, picture in enumerate(images):
        out.paste(on_mask(picture, matte), (16 * i, 0))
    return out


# ---- status pictures --------------------------------------------------------------------------------


def plug_pair(s, cx, cy, gap, colour):
    """A plug entering a socket from the left and right; `gap` is the space left between them."""
    half = gap / 2
    # socket on the right: a body with an opening facing left
    s.rrect((cx + half, cy - 5, cx + half + 7, cy + 5), 1.4, fill=colour)
    s.line([(cx + half + 7, cy), (cx + half + 11, cy)], fill=colour, width=2.4, round_ends=False)
    # plug on the left: a body with two prongs
    s.rrect((cx - half - 7, cy - 5, cx - half, cy + 5), 1.4, fill=colour)
    s.line([(cx - half - 11, cy), (cx - half - 7, cy)], fill=colour, width=2.4, round_ends=False)
    for dy in (-2.6, 2.6):
        s.rrect((cx - half, cy + dy - 0.9, cx - half + 3.2, cy + dy + 0.9), 0.3, fill=colour)


def status_disc(colour):
    s = Sketch(32, 32)
    s.gradient_ellipse((0.5, 0.5, 31.5, 31.5), shade(colour, 1.35), shade(colour, 0.75), outline=shade(colour, 0.55),
                       width=0.8)
    s.ellipse((5, 2.5, 27, 14), fill=(255, 255, 255, 60))
    return s


def draw_connected():
    s = status_disc(GREEN)
    plug_pair(s, 16, 16, 0, WHITE)
    return s.image()


def draw_disconnected():
    s = status_disc(RED)
    plug_pair(s, 16, 16, 10, WHITE)
    return s.image()


CONNECTING_GAPS = (10, 8, 6, 4, 2, 0, 0, 0)


def draw_connecting(frame):
    """The plug moving into its socket: one step of the animation."""
    s = status_disc(AMBER)
    plug_pair(s, 16, 16, CONNECTING_GAPS[frame], WHITE)
    return s.image()


def draw_spinner(frame, frames, size=28):
    import math

    s = Sketch(size, size)
    c = size / 2
    for i in range(8):
        angle = math.radians(i * 45 - 90)
        age = (frame - i) % frames
        strength = max(0.25, 1 - age / 6)
        x, y = c + (size * 0.34) * math.cos(angle), c + (size * 0.34) * math.sin(angle)
        r = size * 0.075 + size * 0.03 * strength
        colour = tuple(round(a + (b - a) * (1 - strength)) for a, b in zip(BLUE, (200, 214, 230)))
        s.ellipse((x - r, y - r, x + r, y + r), fill=colour)
    return s.image()


def draw_searching():
    s = Sketch(28, 28)
    tester_box(s, 1, 5, 22, 18)
    s.ellipse((11, 11, 24, 24), fill=(220, 236, 255, 200), outline=NAVY, width=2)
    s.line([(22, 22), (26.5, 26.5)], fill=NAVY, width=3)
    return s.image()


def draw_demo():
    s = Sketch(72, 28)
    s.gradient_rrect((0.5, 1.5, 71.5, 26.5), 6, (255, 176, 60), (224, 100, 20), outline=(170, 70, 10), width=1)
    s.rrect((2.5, 3.5, 69.5, 13), 4.5, fill=(255, 255, 255, 50))
    s.text((36, 14.4), "DEMO", 15, WHITE)
    return s.image()


def draw_usb():
    s = Sketch(28, 28)
    s.gradient_ellipse((0.5, 0.5, 27.5, 27.5), (130, 142, 160), (80, 90, 106), outline=(60, 66, 78), width=0.8)
    s.line([(14, 23), (14, 6)], fill=WHITE, width=2)
    s.polygon([(14, 3), (17, 7.5), (11, 7.5)], fill=WHITE)
    s.line([(14, 18), (8.5, 14), (8.5, 11)], fill=WHITE, width=1.6)
    s.ellipse((6.8, 8.2, 10.2, 11.6), fill=WHITE)
    s.line([(14, 16), (19.5, 12.5), (19.5, 10)], fill=WHITE, width=1.6)
    s.rrect((18, 7.2, 21, 10.2), 0.3, fill=WHITE)
    s.ellipse((11.8, 21.5, 16.2, 25.9), fill=WHITE)
    return s.image()


# ---- panel pictures ---------------------------------------------------------------------------------


def rj45_front(s, x, y, w, h):
    s.rrect((x, y, x + w, y + h), w * 0.08, fill=(20, 22, 26))
    s.polygon([(x + w * 0.3, y + h), (x + w * 0.7, y + h), (x + w * 0.7, y + h * 0.8), (x + w * 0.3, y + h * 0.8)],
              fill=(20, 22, 26))
    for i in range(8):
        px = x + w * 0.16 + i * w * 0.0925
        s.rrect((px, y + h * 0.08, px + w * 0.05, y + h * 0.3), 0.1, fill=(226, 180, 70))


def draw_product():
    """The tester as a person sees it on the bench: two RJ45 ports with their LEDs, two SFP cages, a
    status display showing traffic, and a cable in each port."""
    s = Sketch(400, 200)
    s.gradient_rrect((10, 6, 390, 160), 14, (96, 108, 126), (38, 44, 54), outline=(24, 28, 34), width=2)
    s.gradient_rrect((18, 14, 382, 50), 9, (120, 132, 150), (86, 96, 112))
    s.text((74, 32), "BREVIX", 18, WHITE)
    s.text((184, 33), "2-port Ethernet tester", 10, (216, 224, 236), font=PLAIN)
    for i, colour in enumerate((LIME, LIME, AMBER)):
        s.ellipse((310 + i * 20, 27, 320 + i * 20, 37), fill=colour)
        s.ellipse((312 + i * 20, 28.5, 316 + i * 20, 32), fill=(255, 255, 255, 120))
    # display with live traffic
    s.rrect((26, 62, 150, 146), 6, fill=(14, 30, 40), outline=(10, 14, 18), width=2)
    s.line([(34, 128), (48, 112), (60, 120), (74, 90), (88, 102), (102, 80), (116, 94), (142, 72)], fill=LIME,
           width=2.2)
    s.line([(34, 137), (52, 131), (70, 135), (88, 123), (108, 127), (142, 113)], fill=SKY, width=1.8)
    # ports A and B, each with its link and activity LEDs and a cable
    for i, (letter, colour) in enumerate(zip("AB", ((40, 120, 210), (230, 200, 40)))):
        x = 172 + i * 60
        s.rrect((x - 5, 64, x + 47, 120), 4, fill=(150, 156, 166))
        rj45_front(s, x, 70, 42, 34)
        s.ellipse((x + 1, 107, x + 9, 115), fill=LIME)
        s.ellipse((x + 33, 107, x + 41, 115), fill=AMBER)
        s.text((x + 21, 57), letter, 10, WHITE)
        plug = x + 21
        s.rrect((plug - 13, 80, plug + 13, 100), 3, fill=shade(colour, 1.15), outline=shade(colour, 0.7))
        s.line([(plug, 100), (plug, 150), (plug + 24 + i * 30, 182), (plug + 70 + i * 40, 196)], fill=colour,
               width=8)
    # SFP cages
    for i in range(2):
        y = 66 + i * 40
        s.rrect((300, y, 376, y + 28), 3, fill=(170, 176, 186), outline=(70, 76, 86), width=1.5)
        s.rrect((306, y + 7, 370, y + 21), 2, fill=(24, 26, 30))
    return s.image()


def draw_brand():
    s = Sketch(200, 44)
    s.gradient_rrect((2, 4, 38, 40), 9, (56, 132, 220), (20, 60, 130), outline=(16, 40, 90), width=1)
    s.line([(7, 24), (13, 24), (17, 12), (22, 33), (26, 20), (29, 24), (33, 24)], fill=WHITE, width=2.6)
    s.text((116, 18), "BREVIX", 24, (28, 52, 92))
    s.text((116, 36), "ETHERNET TESTERS", 9, (60, 90, 130))
    return s.image()


def draw_system():
    s = Sketch(96, 96)
    s.ellipse((8, 80, 88, 92), fill=(0, 0, 0, 45))
    tester_box(s, 6, 34, 90, 84)
    s.gradient_ellipse((52, 6, 88, 42), (90, 170, 245), (24, 86, 176), outline=(16, 56, 120), width=1.5)
    s.ellipse((67, 12.5, 73, 18.5), fill=WHITE)
    s.rrect((66.5, 21.5, 73.5, 36), 1.5, fill=WHITE)
    return s.image()


def draw_icon(size):
    """The program's icon: the tester's case with a traffic trace across it."""
    s = Sketch(size, size)
    k = size / 48
    s.gradient_rrect((2 * k, 4 * k, 46 * k, 44 * k), 9 * k, (60, 120, 210), (18, 40, 96), outline=(12, 28, 70),
                     width=max(0.8, 1.2 * k))
    trace = [(6, 26), (14, 26), (18, 12), (25, 38), (30, 20), (34, 26), (42, 26)]
    s.line([(x * k, y * k) for x, y in trace], fill=(120, 240, 120), width=max(1.6, 4 * k))
    if size >= 32:
        for i in range(2):
            s.ellipse(((9 + i * 8) * k, 35 * k, (13 + i * 8) * k, 39 * k), fill=AMBER if i else LIME)
    return s.image()


# ---- files ------------------------------------------------------------------------------------------


def write_ico(path, pictures):
    """An icon file with one 32-bit entry per picture (colour with alpha, and the AND mask)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(pictures)
    for picture in pictures:
        w, h = picture.size
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        px = picture.load()
        colour = b"".join(bytes((px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3]))
                          for y in reversed(range(h)) for x in range(w))
        row_bytes = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in reversed(range(h)):
            row = bytearray(row_bytes)
            for x in range(w):
                if px[x, y][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        blob = header + colour + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(pictures)) + b"".join(entries) + b"".join(blobs))


def write_gif(path, frames, delay_ms, matte):
    """An endless animated GIF; each frame replaces the last whole, its empty pixels transparent."""
    converted = []
    for picture in frames:
        flat = on_mask(picture, matte)
        converted.append(flat.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE))
    # One shared palette keeps the mask colour at one index in every frame.
    palette_image = converted[0]
    frames_p = [flat_frame(on_mask(p, matte), palette_image) for p in frames]
    transparent = nearest_index(palette_image, MASK)
    frames_p[0].save(path, save_all=True, append_images=frames_p[1:], duration=delay_ms, loop=0, disposal=2,
                     transparency=transparent, optimize=False)


def flat_frame(rgb, palette_image):
    return rgb.quantize(palette=palette_image, dither=Image.Dither.NONE)


def nearest_index(palette_image, colour):
    pal = palette_image.getpalette()[: 3 * 256]
    best, index = None, 0
    for i in range(len(pal) // 3):
        d = sum((pal[3 * i + j] - colour[j]) ** 2 for j in range(3))
        if best is None or d < best:
            best, index = d, i
    return index


def save_bmp(picture, name):
    picture.save(os.path.join(HERE, name), format="BMP")


def main():
    tree = [draw_device(), draw_folder(), draw_gear(), draw_bullet(), draw_link(False), draw_link(True),
            draw_speed("10", GREY), draw_speed("100", TEAL), draw_speed("1G", BLUE), draw_speed("10G", PURPLE),
            draw_fiber(), draw_copper()]
    save_bmp(strip(tree, WINDOW), "tree-images.bmp")

    main_bar = [draw_refresh(BLUE), draw_eraser(), draw_bars(), draw_port_tile("A", [BLUE]),
                draw_port_tile("B", [GREEN]), draw_port_tile("AB", [BLUE, GREEN]), draw_save()]
    save_bmp(strip(main_bar, FACE), "toolbar.bmp")
    lost_bar = [draw_refresh(ORANGE, badge=RED)] + [greyed(p) for p in main_bar[1:]]
    save_bmp(strip(lost_bar, FACE), "toolbar-lost.bmp")

    save_bmp(strip([draw_save(), draw_play(), draw_eraser()], FACE), "counter-toolbar.bmp")
    save_bmp(strip([draw_save(), draw_pause(), draw_eraser()], FACE), "counter-toolbar-updating.bmp")
    save_bmp(strip([draw_play(), draw_line_chart(), draw_pie(), draw_bars()], FACE), "chart-toolbar.bmp")
    save_bmp(strip([draw_pause(), draw_line_chart(), draw_pie(), draw_bars()], FACE), "chart-toolbar-updating.bmp")

    save_bmp(on_mask(draw_connected(), FACE), "connected.bmp")
    save_bmp(on_mask(draw_disconnected(), FACE), "disconnected.bmp")
    write_gif(os.path.join(HERE, "connecting.gif"), [draw_connecting(i) for i in range(len(CONNECTING_GAPS))], 150, FACE)
    write_gif(os.path.join(HERE, "searching.gif"), [draw_spinner(i, 8) for i in range(8)], 100, FACE)
    save_bmp(on_mask(draw_searching(), FACE), "searching.bmp")
    save_bmp(on_mask(draw_demo(), FACE), "demo.bmp")
    save_bmp(on_mask(draw_usb(), FACE), "usb.bmp")

    save_bmp(on_mask(draw_product(), PANEL), "tester.bmp")
    save_bmp(on_mask(draw_brand(), FACE), "brand.bmp")
    save_bmp(on_mask(draw_system(), FACE), "system.bmp")

    write_ico(os.path.join(HERE, "vorels-nic.ico"), [draw_icon(n) for n in (16, 32, 48)])


if __name__ == "__main__":
    main()
