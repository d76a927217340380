"""Fills polygons with Pillow and prints their cells.

Reads one polygon a line from standard input ("x,y x,y ..." integer corners) and prints, for
each, one line of SIZE x SIZE characters, row by row: 1 for a filled cell, 0 for an empty one.

usage: polygon_fill.py SIZE
"""
import sys

from PIL import Image, ImageDraw


def main():
    size = int(sys.argv[1])
    for line in sys.stdin:
        corners = [tuple(int(v) for v in pair.split(",")) for pair in line.split()]
        image = Image.new("L", (size, size), 0)
        ImageDraw.Draw(image).polygon(corners, fill=1)
        print("".join("1" if v else "0" for v in image.getdata()))


if __name__ == "__main__":
    main()
