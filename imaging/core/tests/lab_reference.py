#!/usr/bin/env python3
"""The L*a*b* equations of the imaging core, written independently.

Usage: lab_reference.py to-lab R G B ...   prints L a b bytes per colour
       lab_reference.py to-rgb L a b ...   prints R G B bytes per triple
(a and b are signed bytes). One line per triple.
"""
import math
import sys


def linearised(channel):
    c = channel / 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def f(v):
    return v ** (1 / 3) if v > 0.008856 else 7.787 * v + 16 / 116


def to_lab(r, g, b):
    r, g, b = linearised(r), linearised(g), linearised(b)
    x = (0.412453 * r + 0.35758 * g + 0.180423 * b) / 0.95047
    y = 0.212671 * r + 0.71516 * g + 0.072169 * b
    z = (0.019334 * r + 0.119193 * g + 0.950227 * b) / 1.088883
    lightness = 116 * f(y) - 16 if y > 0.008856 else 903.3 * y
    return (math.trunc(lightness * 255 / 100) & 0xFF,
            math.trunc(500 * (f(x) - f(y))) & 0xFF,
            math.trunc(200 * (f(y) - f(z))) & 0xFF)


def inverse(v):
    cube = v * v * v
    return cube if cube > 0.008856 else (v - 16 / 116) / 7.787


def gamma_byte(c):
    encoded = 1.055 * c ** (1 / 2.4) - 0.055 if c > 0.0031308 else 12.92 * c
    return min(255, max(0, round(encoded * 255)))


def to_rgb(l, a, b):
    a = a - 256 if a > 127 else a
    b = b - 256 if b > 127 else b
    fy = (l * 0.39215686275 + 16) / 116
    fx = a / 500 + fy
    fz = fy - b / 200
    x, y, z = inverse(fx) * 0.95047, inverse(fy), inverse(fz) * 1.08883
    return (gamma_byte(3.2406 * x - 1.5372 * y - 0.4986 * z),
            gamma_byte(-0.9689 * x + 1.8758 * y + 0.0415 * z),
            gamma_byte(0.0557 * x - 0.204 * y + 1.057 * z))


convert = to_lab if sys.argv[1] == "to-lab" else to_rgb
values = [int(v) for v in sys.argv[2:]]
for i in range(0, len(values), 3):
    print(*convert(*values[i:i + 3]))
