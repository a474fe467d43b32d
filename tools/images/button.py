"""The Sweeply button in Opera's toolbar: the program icon's teal tile with the white broom,
23 x 22 pixels as Opera's toolbar images are, RGBA with 8 bits per channel."""
from PIL import Image

import icon

WIDTH, HEIGHT = 23, 22


def draw_button():
    scale = 4
    canvas = Image.new("RGBA", (WIDTH * scale, HEIGHT * scale), (0, 0, 0, 0))
    # The icon's drawing, as a square of the button's height, centred across the extra column.
    tile = icon.draw_icon(HEIGHT * scale)
    canvas.paste(tile, ((WIDTH - HEIGHT) * scale // 2, 0), tile)
    return canvas.resize((WIDTH, HEIGHT), Image.LANCZOS)


def write_button(path):
    image = draw_button()
    assert image.mode == "RGBA" and image.size == (WIDTH, HEIGHT)
    image.save(path, format="PNG", optimize=True)
