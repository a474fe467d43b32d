"""Sweeply's program icon: a white broom with a spark on the product's teal, drawn at 4x and
scaled down so that the small sizes stay smooth."""
from PIL import Image, ImageDraw

TEAL = (59, 134, 164, 255)
WHITE = (255, 255, 255, 255)
SPARK = (255, 214, 92, 255)


def draw_icon(size):
    scale = 4
    s = size * scale
    image = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([0, 0, s - 1, s - 1], radius=s // 5, fill=TEAL)
    # Handle from the top right down to the bristles.
    w = max(2, s // 14)
    d.line([(s * 0.78, s * 0.14), (s * 0.42, s * 0.56)], fill=WHITE, width=w)
    # Bristles: a fan below the handle's end.
    d.polygon([(s * 0.36, s * 0.50), (s * 0.50, s * 0.63), (s * 0.30, s * 0.88),
               (s * 0.12, s * 0.72)], fill=WHITE)
    for i in range(3):
        x0 = s * (0.17 + i * 0.06)
        d.line([(x0 + s * 0.05, s * 0.62), (x0 - s * 0.01, s * 0.74 + i * s * 0.03)],
               fill=TEAL, width=max(1, s // 48))
    # A four-pointed spark at the top left.
    cx, cy, r = s * 0.30, s * 0.27, s * 0.13
    d.polygon([(cx, cy - r), (cx + r * 0.25, cy - r * 0.25), (cx + r, cy),
               (cx + r * 0.25, cy + r * 0.25), (cx, cy + r), (cx - r * 0.25, cy + r * 0.25),
               (cx - r, cy), (cx - r * 0.25, cy - r * 0.25)], fill=SPARK)
    return image.resize((size, size), Image.LANCZOS)


def write_icon(path):
    sizes = [16, 24, 32, 48, 256]
    images = [draw_icon(n) for n in sizes]
    images[-1].save(path, format="ICO", sizes=[(n, n) for n in sizes],
                    append_images=images[:-1])
