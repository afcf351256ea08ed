#!/usr/bin/env python3
"""Finds a picture pixel for pixel in a screenshot (both binary PPM).
Prints "x y" of its top-left corner, or exits with 1 when it is not there."""
import sys


def read_ppm(path):
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b'#':
            at = data.index(b'\n', at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:at + 1 + width * height * 3]


def main():
    sw, sh, screen = read_ppm(sys.argv[1])
    pw, ph, picture = read_ppm(sys.argv[2])
    first_row = picture[:pw * 3]
    start = 0
    while True:
        at = screen.find(first_row, start)
        if at < 0:
            sys.exit(1)
        start = at + 1
        if at % 3:
            continue
        x, y = (at // 3) % sw, (at // 3) // sw
        if x + pw > sw or y + ph > sh:
            continue
        if all(screen[((y + r) * sw + x) * 3:((y + r) * sw + x + pw) * 3] == picture[r * pw * 3:(r + 1) * pw * 3]
               for r in range(ph)):
            print(x, y)
            return


main()
