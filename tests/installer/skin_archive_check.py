#!/usr/bin/python3
"""Host-side checks of the skin archives SweeplyOpera writes, with Python's zipfile.
  make OUT.zip                 a realistic skin archive (folders, a few hundred small PNGs,
                               skin.ini with [Images], a nested skin.ini, an earlier button image)
  check OLD.zip NEW.zip IMAGE  NEW is OLD rebuilt with IMAGE as the button
  same A.zip B.zip             both archives hold the same names, order and contents"""
import configparser
import io
import sys
import zipfile

from PIL import Image

BUTTON = "buttons/sweeply.png"
SKIN_INI = ("; Opera skin description\r\n[Info]\r\nName=Standard\r\nAuthor=Opera\r\n\r\n"
            "[Images]\r\nBack=buttons/back.png\r\nForward=buttons/forward.png\r\n\r\n"
            "[Colors]\r\nText=#000000\r\n")


def png(number):
    image = Image.new("RGBA", (18, 18), ((number * 37) % 256, (number * 91) % 256, 120, 255))
    image.putpixel((number % 18, (number // 18) % 18), (255, 255, 255, 0))
    out = io.BytesIO()
    image.save(out, format="PNG")
    return out.getvalue()


def make(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("skin.ini", SKIN_INI)
        number = 0
        for folder in ("buttons/", "icons/", "dialogs/", "toolbars/"):
            archive.writestr(zipfile.ZipInfo(folder), b"")
            for _ in range(80):
                archive.writestr(f"{folder}image{number}.png", png(number))
                number += 1
            if folder == "buttons/":
                archive.writestr(BUTTON, b"an image left by an earlier run")
        archive.writestr("defaults/skin.ini", "[Images]\r\nNested=left/alone.png\r\n")


def entries(path):
    with zipfile.ZipFile(path) as archive:
        bad = archive.testzip()
        assert bad is None, f"{path}: entry {bad} fails its CRC check"
        return [(i.filename, i.is_dir(), archive.read(i)) for i in archive.infolist()]


def ini(text):
    parser = configparser.ConfigParser(interpolation=None, comment_prefixes=(";",))
    parser.optionxform = str
    parser.read_string(text.decode("latin-1"))
    return {section: dict(parser[section]) for section in parser.sections()}


def check(old_path, new_path, image_path):
    old, new = entries(old_path), entries(new_path)
    kept = [e for e in old if e[0] not in ("skin.ini", BUTTON)]
    assert [e for e in new if e[0] not in ("skin.ini", BUTTON)] == kept, "entries differ"
    names = [e[0] for e in new]
    assert names.count(BUTTON) == 1 and names[-1] == BUTTON, "button image not once, last"
    assert names.count("skin.ini") == 1 and names.index("skin.ini") == 0, "skin.ini moved"
    with open(image_path, "rb") as image:
        assert new[-1][2] == image.read(), "button image differs from the program's resource"
    before = ini(old[0][2])
    after = ini(new[0][2])
    before.setdefault("Images", {})["Sweeply"] = BUTTON
    assert after == before, f"skin.ini: {after} instead of {before}"
    print(f"{new_path}: {len(new)} entries, {len(kept)} carried over unchanged, skin.ini edited")


def same(a, b):
    assert entries(a) == entries(b), "the two archives differ"


if __name__ == "__main__":
    {"make": make, "check": check, "same": same}[sys.argv[1]](*sys.argv[2:])
