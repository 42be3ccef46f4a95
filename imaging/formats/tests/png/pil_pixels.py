"""Prints a PNG file's pixels as decoded by PIL's own decoder.

rgba: red, green, blue and alpha bytes, with libpng's transforms: 16-bit
samples cut to their high byte, sub-byte gray scaled to 8 bits along with
its transparent value (which PIL leaves unscaled). gray16: 16-bit gray as
little-endian words.
"""
import sys

from PIL import Image


def rgba(path):
    image = Image.open(path)
    depth = open(path, "rb").read()[24]
    transparent = image.info.get("transparency")
    if image.mode.startswith("I"):
        pixels = []
        for value in image.getdata():
            level = value >> 8
            pixels += [level, level, level, 0 if value == transparent else 255]
        return bytes(pixels)
    if image.mode == "L" and isinstance(transparent, int) and depth < 8:
        image.info["transparency"] = transparent * 255 // ((1 << depth) - 1)
    return image.convert("RGBA").tobytes()


def gray16(path):
    return b"".join(value.to_bytes(2, "little") for value in Image.open(path).getdata())


sys.stdout.buffer.write(rgba(sys.argv[2]) if sys.argv[1] == "rgba" else gray16(sys.argv[2]))
