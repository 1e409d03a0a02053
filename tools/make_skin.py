#!/usr/bin/python3
"""Draws every image of the installer's skin into SKIN_DIR.

    make_skin.py SKIN_DIR

All art is our own: shapes are drawn four times larger and averaged down,
texts are set in WenQuanYi Micro Hei. Each image is drawn three times, for
screens at 1x, 1.5x and 2x ("name.png", "name@1.5x.png", "name@2x.png"):
the drawing code measures in 1x units and the primitives turn them into
pixels at the scale being drawn, so every size is drawn sharp rather than
stretched. The output is the same bytes on every
run on the same Pillow, FreeType and zopflipng (Debian package zopfli), so
the PNGs in skin/ can be rebuilt by anyone. Images that the markup stretches
are drawn at their control's size.
"""
import functools
import math
import os
import subprocess
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4  # supersampling factor for shapes

# The scale being drawn and the file-name suffix of each; 1x stays an int
# so that its images are the same bytes as before there were others.
SCALES = ((1, ""), (1.5, "@1.5x"), (2, "@2x"))
K = 1


def px(v):
    """A length in 1x units as whole pixels at the scale, halves rounded up
    as the program rounds the markup's lengths."""
    return v if K == 1 else math.floor(v * K + 0.5)


def unit(v):
    """A pixel position at the scale back in 1x units."""
    return v if K == 1 else v / K

NAVY_DEEP = (0, 30, 58)
NAVY = (0, 57, 106)  # the message box's title band
BLUE = (18, 98, 184)
BRIGHT = (38, 138, 232)
SKY = (120, 190, 245)
INK = (51, 66, 82)
MUTED = (93, 109, 126)
LINE = (192, 200, 208)
WHITE = (255, 255, 255)

# The progress bar's track inside its 500 x 30 control: rows 10..20, which
# are also the middle rows of the fill image's corner='0,10,c,10'.
TRACK_TOP, TRACK_BOTTOM, TRACK_RADIUS = 10, 20, 3


# ---------------------------------------------------------------- primitives

def mask(w, h, *shapes):
    """Antialiased coverage of the union of shapes; each shape draws itself
    onto an ImageDraw at scale SS with the value it is given."""
    big = Image.new("L", (px(w) * SS, px(h) * SS), 0)
    draw = ImageDraw.Draw(big)
    for shape in shapes:
        shape(draw, SS * K)
    return big.resize((px(w), px(h)), Image.BOX)


def rrect(x0, y0, x1, y1, r, value=255):
    """Rounded rectangle covering [x0, x1) x [y0, y1) in pixel units."""
    def shape(draw, s):
        draw.rounded_rectangle((x0 * s, y0 * s, x1 * s - 1, y1 * s - 1), r * s, fill=value)
    return shape


def ellipse(cx, cy, rx, ry, value=255):
    def shape(draw, s):
        draw.ellipse(((cx - rx) * s, (cy - ry) * s, (cx + rx) * s - 1, (cy + ry) * s - 1), fill=value)
    return shape


def polyline(points, width, value=255):
    def shape(draw, s):
        pts = [(x * s, y * s) for x, y in points]
        draw.line(pts, fill=value, width=round(width * s), joint="curve")
        for x, y in pts[:1] + pts[-1:]:
            half = width * s / 2
            draw.ellipse((x - half, y - half, x + half, y + half), fill=value)
    return shape


def polygon(points, value=255):
    def shape(draw, s):
        draw.polygon([(x * s, y * s) for x, y in points], fill=value)
    return shape


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def field(w, h, colour_at):
    """RGBA image whose pixel (x, y) is colour_at(x, y) (RGB or RGBA), in
    1x units at the pixel's top-left corner."""
    img = Image.new("RGBA", (px(w), px(h)))
    img.putdata([_rgba(colour_at(unit(x), unit(y))) for y in range(px(h)) for x in range(px(w))])
    return img


def _rgba(c):
    return c if len(c) == 4 else c + (255,)


def vgrad(w, h, top, bottom, y0=0, y1=None):
    """Vertical gradient from top at row y0 to bottom at row y1 - 1."""
    y1 = h if y1 is None else y1
    span = max(y1 - y0 - 1, 1)
    return field(w, h, lambda x, y: mix(top, bottom, min(max((y - y0) / span, 0), 1)))


def paint(base, source, cover, at=(0, 0)):
    """Composites source (a colour, RGB or RGBA, or an RGBA image the size of
    cover) onto base through the coverage mask cover."""
    if isinstance(source, tuple):
        alpha = _rgba(source)[3]
        layer = Image.new("RGBA", cover.size, source[:3] + (255,))
        layer.putalpha(cover.point(lambda v: v * alpha // 255))
    else:
        layer = source.copy()
        layer.putalpha(ImageChops.multiply(source.getchannel("A"), cover))
    base.alpha_composite(layer, dest=at)


def blank(w, h, colour=(0, 0, 0, 0)):
    return Image.new("RGBA", (px(w), px(h)), colour)


# ---------------------------------------------------------------- text

@functools.lru_cache(maxsize=None)
def font(size):
    return ImageFont.truetype(FONT_FILE, size, layout_engine=ImageFont.Layout.BASIC)


def text_mask(text, size, tracking=0, weight=0):
    """Coverage of a text, trimmed to its ink. Small texts are set at their
    own size so the font's hinting keeps them crisp; weight > 0 sets the text
    SS times larger with an outline of that many pixels and averages it down,
    which reads as a semi-bold face at headline sizes."""
    scale = SS if weight else 1
    f = font(px(size) * scale)
    step = [f.getlength(ch) + tracking * K * scale for ch in text]
    weight = weight and max(1, round(weight * K))
    pad = 2 * SS
    big = Image.new("L", (round(sum(step)) + 2 * pad, px(size) * scale * 2), 0)
    draw = ImageDraw.Draw(big)
    x = pad
    for ch, adv in zip(text, step):
        draw.text((round(x), pad), ch, font=f, fill=255, stroke_width=weight, stroke_fill=255)
        x += adv
    if weight:
        w, h = big.size
        big = big.crop((0, 0, w - w % SS, h - h % SS)).resize((w // SS, h // SS), Image.BOX)
    return big.crop(big.getbbox())


def place(box, size, align="center"):
    """Top-left pixel that puts something of size (in pixels) into box
    (x0, y0, x1, y1, in 1x units)."""
    x0, y0, x1, y1 = (px(v) for v in box)
    w, h = size
    x = {"left": x0, "center": x0 + (x1 - x0 - w) // 2, "right": x1 - w}[align]
    return x, y0 + (y1 - y0 - h) // 2


def put_text(img, text, size, colour, box, align="center", tracking=0, weight=0):
    """Draws a text into box, placed by its ink rather than its em box."""
    ink = text_mask(text, size, tracking, weight)
    paint(img, colour, ink, place(box, ink.size, align))


# ---------------------------------------------------------------- buttons

def pill_button(w, h, top, bottom, label, text_colour=WHITE, margin=0, glow=None):
    """The big call-to-action: a pill with a glossy upper edge and a
    semi-bold label, optionally with a soft glow in a margin around it."""
    img = blank(w + 2 * margin, h + 2 * margin)
    if glow:
        halo = mask(w + 2 * margin, h + 2 * margin,
                    rrect(margin - 2, margin - 1, margin + w + 2, margin + h + 3, h / 2))
        paint(img, glow, halo.filter(ImageFilter.GaussianBlur(2.2 * K)))
    body = mask(w, h, rrect(0, 0, w, h, h / 2))
    paint(img, vgrad(w, h, top, bottom), body, (px(margin), px(margin)))
    gloss = ImageChops.subtract(body, mask(w, h, rrect(0, 1, w, h + 1, h / 2)))
    paint(img, (255, 255, 255, 110), gloss, (px(margin), px(margin)))
    put_text(img, label, 19, text_colour, (margin, margin, margin + w, margin + h), tracking=3, weight=1)
    return img


def flat_button(w, h, top, bottom, label=None, size=0, tracking=0):
    """A small rounded button with a white label, or none where the control
    draws its own text (corner 3,3,3,3 keeps the rounding when stretched)."""
    img = blank(w, h)
    paint(img, vgrad(w, h, top, bottom), mask(w, h, rrect(0, 0, w, h, 3)))
    if label:
        put_text(img, label, size, WHITE, (0, 0, w, h), tracking=tracking)
    return img


def segment_button(label, frame, top, bottom, text_colour):
    """The browse button that closes the folder field on its right: square on
    the left where it meets the field, rounded on the right."""
    w, h = 84, 29
    img = blank(w, h)
    paint(img, frame, mask(w, h, rrect(-4, 0, w, h, 3)))
    paint(img, vgrad(w, h, top, bottom), mask(w, h, rrect(1, 1, w - 1, h - 1, 2), rrect(1, 1, 6, h - 1, 0)))
    put_text(img, label, 13, text_colour, (0, 0, w, h))
    return img


def caption_button(glyph, background, glyph_alpha):
    """Minimise / close, 25 x 23: a white glyph that reads on the dark-blue
    picture and on the message box's title band."""
    img = blank(25, 23, background or (0, 0, 0, 0))
    paint(img, (255, 255, 255, glyph_alpha), mask(25, 23, *glyph))
    return img


MINIMISE = (rrect(8, 11, 17, 12, 0),)
CLOSE = (polyline([(8.5, 7.5), (16.5, 15.5)], 1.3), polyline([(16.5, 7.5), (8.5, 15.5)], 1.3))


def custom_link(colour, hot):
    """"自定义安装 ›", 77 x 13, right-aligned so it keeps the window's right
    margin; the hot state underlines the text on the last row."""
    w, h = 77, 13
    img = blank(w, h)
    ink = text_mask("自定义安装", 12)
    x, y = place((0, 0, w, h - 1), (ink.width + px(8), ink.height), "right")
    paint(img, colour, ink, (x, y))
    tip, mid = unit(x + ink.width) + 4, unit(y + ink.height / 2)
    paint(img, colour, mask(w, h, polyline([(tip, mid - 3), (tip + 3, mid), (tip, mid + 3)], 1.1)))
    if hot:
        paint(img, colour, mask(w, h, rrect(unit(x), h - 1, unit(x + ink.width), h, 0)))
    return img


def agreement(colour):
    """The licence link, read with source='24,0,96,11': the text fills
    x 24..96. Glyphs are set on their ink, the brackets without a gap, so
    eight of them fit 72 pixels."""
    glyphs = [ink_columns(ch, 10) for ch in "《用户许可协议》"]
    gaps = [0, 1, 1, 1, 1, 1, 0, 0]
    row = Image.new("L", (px(72), glyphs[0].height), 0)
    x = (px(72) - sum(g.width for g in glyphs) - sum(px(g) for g in gaps)) // 2
    for glyph, gap in zip(glyphs, gaps):
        row.paste(glyph, (x, 0))
        x += glyph.width + px(gap)
    row = row.crop(row.getbbox())
    img = blank(96, 11)
    paint(img, colour, row, place((24, 0, 96, 11), row.size))
    return img


def ink_columns(ch, size):
    """One glyph on a canvas that keeps its baseline, cut to its ink's width."""
    size = px(size)
    canvas = Image.new("L", (size * 2, size * 2), 0)
    ImageDraw.Draw(canvas).text((size // 2, size // 2), ch, font=font(size), fill=255)
    x0, _, x1, _ = canvas.getbbox()
    return canvas.crop((x0, 0, x1, canvas.height))


def option_box(checked):
    w = h = 16
    img = blank(w, h)
    if checked:
        paint(img, vgrad(w, h, BRIGHT, BLUE), mask(w, h, rrect(0, 0, w, h, 3)))
        paint(img, WHITE, mask(w, h, polyline([(4, 8.3), (6.8, 11.1), (12, 5.3)], 1.8)))
    else:
        paint(img, (150, 164, 178), mask(w, h, rrect(0, 0, w, h, 3)))
        paint(img, vgrad(w, h, WHITE, (240, 243, 246)), mask(w, h, rrect(1, 1, w - 1, h - 1, 2)))
    return img


def input_frame():
    img = blank(20, 20)
    paint(img, LINE, mask(20, 20, rrect(0, 0, 20, 20, 3)))
    paint(img, WHITE, mask(20, 20, rrect(1, 1, 19, 19, 2)))
    return img


def tip_icon():
    """An information mark: white "i" on a blue disc, drawn at natural size."""
    n = 24
    img = blank(n, n)
    paint(img, vgrad(n, n, (62, 156, 240), BLUE), mask(n, n, ellipse(12, 12, 12, 12)))
    paint(img, WHITE, mask(n, n, ellipse(12, 7, 1.7, 1.7), rrect(10.8, 10, 13.2, 18.5, 1.2)))
    return img


def window_shadow():
    """Soft fringe for shadowborder='5,4,5,6'; the window covers the middle."""
    w = h = 24
    solid = mask(w, h, rrect(5, 4, w - 5, h - 6, 2, value=70))
    fringe = solid.filter(ImageFilter.GaussianBlur(2.0 * K))
    fringe = ImageChops.subtract(fringe, mask(w, h, rrect(5, 4, w - 5, h - 6, 0)))
    img = blank(w, h, (0, 16, 32, 0))
    img.putalpha(fringe)
    return img


# ---------------------------------------------------------------- progress

def track(w):
    """The bar's band, square at its left end and rounded at its right. The
    fill is drawn over the track from the same left edge and its own left
    end is cut from wherever the stretch or the head puts it, so it can
    only be square: a rounded track would show the fill's corners outside
    it. The fill's head has this same right end, so a full bar fits it."""
    return mask(w, 30, rrect(-2 * TRACK_RADIUS, TRACK_TOP, w, TRACK_BOTTOM, TRACK_RADIUS))


def progress_back():
    img = blank(500, 30)
    paint(img, vgrad(500, 30, (214, 222, 231), (232, 237, 242), TRACK_TOP, TRACK_BOTTOM), track(500))
    return img


def progress_fill():
    """The filled part: its left columns are stretched to the fill's length,
    its right 110 columns are the head, brightening towards the front."""
    w, head = 120, 110

    def colour(x, y):
        t = max(x - (w - head), 0) / head
        base = mix(BRIGHT, BLUE, (y - TRACK_TOP) / (TRACK_BOTTOM - TRACK_TOP - 1))
        return mix(base, (86, 178, 255), t * t)

    img = blank(w, 30)
    paint(img, field(w, 30, colour), track(w))
    return img


def flash(w, colour, strength):
    """A band of light confined to the track, its opacity strength(x) in
    0..1, a little stronger on the upper rows like a gloss."""
    def at(x, y):
        if not TRACK_TOP <= y < TRACK_BOTTOM:
            return colour + (0,)
        gloss = 1 - 0.35 * (y - TRACK_TOP) / (TRACK_BOTTOM - TRACK_TOP)
        return colour + (round(255 * strength(x + 0.5) * gloss),)
    return field(w, 30, at)


def sweep_over_fill(x):
    """230 px comet: brightens slowly to its front, fades in the last 14 px."""
    front = 216
    if x <= front:
        return 0.42 * (x / front) ** 2
    return 0.42 * (1 - (x - front) / (230 - front))


def sweep_over_track(x):
    return 0.55 * math.sin(math.pi * x / 80) ** 2


# ---------------------------------------------------------------- background

def background():
    """The 540 x 313 picture behind all three pages: a deep-blue field with
    soft light, a few geometric light shapes and the product mark. Everything
    that matters stays above row 230: the folder page covers the picture from
    row 245 on, and the install button sits at rows 237..281."""
    w, h = 540, 313
    img = field(w, h, sky_at)
    light_shapes(img)
    product_mark(img, 270, 118)
    put_text(img, "塔沃岚盒 · 安装向导", 12, (205, 225, 245, 200), (14, 5, 300, 18), align="left")
    return img


def sky_at(x, y):
    u, v = x / 539, y / 312
    t = 0.6 * u + 0.4 * v
    base = mix(NAVY_DEEP, NAVY, min(t * 1.6, 1)) if t < 0.625 else mix(NAVY, (10, 84, 150), (t - 0.625) / 0.375)
    glow = max(0.0, 1 - math.hypot((x - 300) / 330, (y - 110) / 220))
    return mix(base, (40, 124, 205), 0.45 * glow * glow)


def light_shapes(img):
    w, h = 540, 313
    soft = [
        (ellipse(470, 40, 110, 110, 40), 18),
        (ellipse(60, 290, 140, 140, 34), 22),
        (polygon([(0, 245), (330, 0), (420, 0), (0, 313)], 16), 6),
    ]
    for shape, blur in soft:
        paint(img, (150, 205, 255), mask(w, h, shape).filter(ImageFilter.GaussianBlur(blur * K)))
    for cx, cy, size, alpha in ((496, 212, 150, 26), (70, 52, 70, 22), (512, 120, 44, 30)):
        diamond = [(cx, cy - size), (cx + size, cy), (cx, cy + size), (cx - size, cy)]
        inner = [(cx, cy - size + 1.4), (cx + size - 1.4, cy), (cx, cy + size - 1.4), (cx - size + 1.4, cy)]
        paint(img, (190, 225, 255, alpha * 4), ImageChops.subtract(mask(w, h, polygon(diamond)), mask(w, h, polygon(inner))))
        paint(img, (190, 225, 255, alpha), mask(w, h, polygon(inner)))
    for cx, cy, r, alpha in ((150, 70, 5, 70), (402, 182, 3.5, 80), (430, 62, 2.5, 90), (118, 196, 3, 60), (350, 40, 2, 90)):
        paint(img, (200, 232, 255, alpha), mask(w, h, ellipse(cx, cy, r, r)).filter(ImageFilter.GaussianBlur(0.6 * K)))


def product_mark(img, cx, cy):
    """Launcher tile with a game pad, the product name and a tagline,
    centred as one group on (cx, cy)."""
    name = text_mask("塔沃岚盒", 34, tracking=4, weight=2)
    tagline = text_mask("TARVO  GAMES", 11, tracking=3)
    tile = px(64)
    gap = px(18)
    group = tile + gap + max(name.width, tagline.width)
    x0 = px(cx) - group // 2
    y0 = px(cy) - tile // 2
    shadow = mask(540, 313, rrect(unit(x0), unit(y0) + 4, unit(x0) + 64, unit(y0) + 64 + 4, 16, 120))
    paint(img, (0, 12, 30), shadow.filter(ImageFilter.GaussianBlur(6 * K)))
    img.alpha_composite(launcher_tile(64), dest=(x0, y0))
    tx = x0 + tile + gap
    paint(img, WHITE, name, (tx, y0 + px(4)))
    paint(img, (150, 200, 245), tagline, (tx + px(2), y0 + tile - tagline.height - px(4)))


def launcher_tile(n):
    img = blank(n, n)
    body = mask(n, n, rrect(0, 0, n, n, 16))
    paint(img, vgrad(n, n, (70, 176, 255), (16, 96, 196)), body)
    paint(img, (255, 255, 255, 70), ImageChops.subtract(body, mask(n, n, rrect(0, 1.2, n, n + 1.2, 16))))
    pad = mask(n, n,
               rrect(12, 22, 52, 42, 10),
               ellipse(20, 40, 8, 9), ellipse(44, 40, 8, 9))
    holes = mask(n, n,
                 rrect(17, 29.5, 27, 32.5, 0.8), rrect(20.5, 26, 23.5, 36, 0.8),
                 ellipse(41, 28.5, 2.3, 2.3), ellipse(46, 33, 2.3, 2.3))
    paint(img, WHITE, ImageChops.subtract(pad, holes))
    return img


# ---------------------------------------------------------------- the skin

def install_button(hot):
    if hot:
        return pill_button(184, 44, (92, 184, 255), (34, 128, 232), "立即安装", margin=5, glow=(120, 200, 255, 150))
    return pill_button(184, 44, (64, 164, 252), (20, 108, 214), "立即安装")


IMAGES = {
    "bg_progress.png": (background, 256),
    "install_0.png": (lambda: install_button(False), 128),
    "install_1.png": (lambda: install_button(True), 128),
    "install_3.png": (lambda: pill_button(184, 44, (160, 174, 190), (132, 148, 166), "立即安装", (236, 240, 244)), 128),
    "btn_free_000.png": (lambda: custom_link(MUTED, False), 32),
    "btn_free_002.png": (lambda: custom_link(BLUE, True), 32),
    "btn_agreement_000.png": (lambda: agreement(BLUE), 32),
    "btn_agreement_002.png": (lambda: agreement((0, 132, 240)), 32),
    "opt_000.png": (lambda: option_box(False), 64),
    "opt_001.png": (lambda: option_box(True), 64),
    "input.png": (input_frame, 32),
    "select_dir_0.png": (lambda: segment_button("浏览", LINE, (251, 252, 253), (236, 240, 244), INK), 64),
    "select_dir_1.png": (lambda: segment_button("浏览", (96, 156, 216), (240, 247, 254), (222, 236, 251), BLUE), 64),
    "install2_0.png": (lambda: flat_button(100, 28, (52, 150, 244), (20, 106, 206), "安装", 14, tracking=4), 64),
    "install2_1.png": (lambda: flat_button(100, 28, (82, 172, 255), (34, 126, 228), "安装", 14, tracking=4), 64),
    "btn_min000.png": (lambda: caption_button(MINIMISE, None, 210), 16),
    "btn_min001.png": (lambda: caption_button(MINIMISE, (255, 255, 255, 46), 255), 16),
    "btn_min002.png": (lambda: caption_button(MINIMISE, (0, 16, 32, 70), 255), 16),
    "btn_close000.png": (lambda: caption_button(CLOSE, None, 210), 16),
    "btn_close001.png": (lambda: caption_button(CLOSE, (226, 72, 82, 255), 255), 32),
    "btn_close002.png": (lambda: caption_button(CLOSE, (190, 52, 62, 255), 255), 32),
    "public_btn_000.png": (lambda: flat_button(60, 25, (36, 128, 220), (16, 96, 184)), 32),
    "public_btn_001.png": (lambda: flat_button(60, 25, (60, 148, 236), (28, 112, 202)), 32),
    "public_btn_002.png": (lambda: flat_button(60, 25, (14, 88, 168), (10, 76, 148)), 32),
    "public_btn1_000.png": (lambda: flat_button(60, 25, (146, 158, 172), (124, 137, 152)), 32),
    "public_btn1_001.png": (lambda: flat_button(60, 25, (160, 172, 186), (138, 151, 166)), 32),
    "public_btn1_002.png": (lambda: flat_button(60, 25, (116, 129, 144), (104, 117, 132)), 32),
    "common_tip_icon.png": (tip_icon, 64),
    "shadow.png": (window_shadow, 32),
    "progress_bk.png": (progress_back, 32),
    "progress_fore.png": (progress_fill, 64),
    "pro_flash_bk.png": (lambda: flash(80, SKY, sweep_over_track), 32),
    "pro_flash_fore.png": (lambda: flash(230, WHITE, sweep_over_fill), 32),
}


def save(img, path, colours):
    """Reduces the image to a palette of at most colours entries, alpha
    included: at these sizes it is not told from true colour and takes half
    the bytes or less. zopflipng then stores the same pixels in the fewest
    bytes it finds, as a palette or not (a
    seventh less than zlib's best), as every byte of the skin is carried in
    the installer."""
    img.quantize(colours, method=Image.Quantize.LIBIMAGEQUANT).save(path, optimize=True)
    subprocess.run(["zopflipng", "-y", path, path], check=True, stdout=subprocess.DEVNULL)


def main(out_dir):
    global K
    for K, suffix in SCALES:
        for name, (draw, colours) in IMAGES.items():
            stem, ext = os.path.splitext(name)
            save(draw(), os.path.join(out_dir, stem + suffix + ext), colours)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
