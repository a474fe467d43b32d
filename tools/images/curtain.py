"""The curtain's pictures: the word mark at its top left (PNG, 270 x 110) and the small sweeping
loop at its bottom left (GIF, 64 x 47, ten frames of 60 ms). The loop's frames are opaque on the
curtain's own grey, because the program draws each frame straight over the last one."""
import math

from PIL import Image, ImageDraw, ImageFont

TEAL = (59, 134, 164)
DEEP = (33, 84, 106)
GREY = (220, 220, 220)
CARD = (250, 250, 250)
SPARK = (255, 196, 60)
DUST = (170, 160, 150)
FONT_DIR = "/usr/share/fonts/truetype/dejavu/"


def _font(name, size):
    return ImageFont.truetype(FONT_DIR + name, size)


def _broom(d, cx, cy, scale, angle, handle, bristle):
    """A broom whose bristles touch (cx, cy), tilted by `angle` degrees from upright."""
    a = math.radians(angle)
    ux, uy = math.sin(a), -math.cos(a)  # along the handle, upwards
    px, py = math.cos(a), math.sin(a)  # across the bristles
    top = (cx + ux * 34 * scale, cy + uy * 34 * scale)
    neck = (cx + ux * 12 * scale, cy + uy * 12 * scale)
    d.line([neck, top], fill=handle, width=max(2, int(3 * scale)))
    w0, w1 = 5 * scale, 10 * scale
    d.polygon([(neck[0] - px * w0, neck[1] - py * w0), (neck[0] + px * w0, neck[1] + py * w0),
               (cx + px * w1, cy + py * w1), (cx - px * w1, cy - py * w1)], fill=bristle)
    for i in (-1, 0, 1):
        s = i * 0.5
        d.line([(neck[0] + px * w0 * s, neck[1] + py * w0 * s),
                (cx + px * w1 * s, cy + py * w1 * s)], fill=handle, width=1)


def _spark(d, cx, cy, r, colour):
    d.polygon([(cx, cy - r), (cx + r * 0.28, cy - r * 0.28), (cx + r, cy),
               (cx + r * 0.28, cy + r * 0.28), (cx, cy + r), (cx - r * 0.28, cy + r * 0.28),
               (cx - r, cy), (cx - r * 0.28, cy - r * 0.28)], fill=colour)


def draw_logo():
    """A light card with the broom mark and the word mark; drawn at 3x, then scaled down."""
    k = 3
    w, h = 270 * k, 110 * k
    image = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([0, 0, w - 1, h - 1], radius=16 * k, fill=CARD + (255,),
                        outline=TEAL + (255,), width=2 * k)
    d.rounded_rectangle([12 * k, 15 * k, 92 * k, 95 * k], radius=18 * k, fill=TEAL + (255,))
    _broom(d, 44 * k, 80 * k, 1.65 * k, 35, (255, 255, 255, 255), (255, 255, 255, 255))
    _spark(d, 72 * k, 36 * k, 10 * k, SPARK + (255,))
    _spark(d, 80 * k, 58 * k, 5 * k, SPARK + (255,))
    d.text((103 * k, 22 * k), "Sweeply", font=_font("DejaVuSans-Bold.ttf", 33 * k), fill=DEEP)
    d.text((105 * k, 66 * k), "browser trace cleaner", font=_font("DejaVuSans.ttf", 12 * k),
           fill=TEAL)
    return image.resize((270, 110), Image.LANCZOS)


def draw_frame(index, count):
    """One frame of the loop: the broom swings across, dust flies off, a spark blinks."""
    k = 4
    w, h = 64 * k, 47 * k
    image = Image.new("RGB", (w, h), GREY)
    d = ImageDraw.Draw(image)
    t = index / count
    swing = math.sin(2 * math.pi * t)
    floor = 41 * k
    d.line([(4 * k, floor + 3 * k), (60 * k, floor + 3 * k)], fill=(200, 200, 200), width=k)
    for j in range(4):
        phase = (t + j / 4) % 1.0
        x = 32 * k + swing * 10 * k - (8 + phase * 22) * k * (1 if swing >= 0 else -1)
        y = floor - phase * 16 * k - j * k
        r = (2.2 - phase * 1.6) * k
        d.ellipse([x - r, y - r, x + r, y + r], fill=DUST)
    _broom(d, 32 * k + swing * 14 * k, floor, 1.0 * k, swing * 28, DEEP, TEAL)
    blink = abs(math.cos(math.pi * t))
    _spark(d, 52 * k, 10 * k, (2 + 5 * blink) * k, SPARK)
    _spark(d, 10 * k, 14 * k, (2 + 4 * (1 - blink)) * k, SPARK)
    return image.resize((64, 47), Image.LANCZOS)


def write_animation(path):
    count = 10
    frames = [draw_frame(i, count) for i in range(count)]
    # One shared palette keeps the grey exact in every frame.
    palette = frames[0].quantize(colors=63, method=Image.MEDIANCUT)
    paletted = [f.quantize(palette=palette, dither=Image.Dither.NONE) for f in frames]
    paletted[0].save(path, save_all=True, append_images=paletted[1:], duration=60, loop=0,
                     optimize=False, disposal=1)


def write_logo(path):
    draw_logo().save(path, optimize=True)
