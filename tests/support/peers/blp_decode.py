"""Decodes a BLP texture with Pillow and writes its pixels as raw RGBA bytes.

usage: blp_decode.py TEXTURE.blp OUTPUT.rgba
"""
import sys

from PIL import Image


def main():
    with Image.open(sys.argv[1]) as image:
        rgba = image.convert("RGBA")
        with open(sys.argv[2], "wb") as out:
            out.write(rgba.tobytes())


if __name__ == "__main__":
    main()
