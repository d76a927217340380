#!/usr/bin/python3
"""Independent writer of section containers and scrambled list files.

  section_peer.py master OUT VERSION ORDER INDEX=FILE...
      ORDER: comma-separated section indexes in file order; each FILE holds the raw bytes
      of its section, compressed here with zlib.
  section_peer.py url OUT KEY LINES_FILE
      LINES_FILE: the lines separated by LF; written CR LF, scrambled with the key, compressed.
"""
import hashlib
import struct
import sys
import zlib


def master(out, version, order, pairs):
    sections = {}
    for pair in pairs:
        index, path = pair.split("=", 1)
        with open(path, "rb") as f:
            sections[int(index)] = zlib.compress(f.read())
    offsets = [0] * 10
    body = b""
    for index in [int(i) for i in order.split(",") if i]:
        offsets[index] = 40 + len(body)
        body += sections[index]
    head = struct.pack("<I", int(version)) + struct.pack("<9i", *offsets[1:])
    with open(out, "wb") as f:
        f.write(head + body)


def url(out, key, lines_file):
    with open(lines_file, "rb") as f:
        lines = f.read().split(b"\n")
    text = b"".join(line + b"\r\n" for line in lines)
    digest = hashlib.md5(key.encode("latin-1")).hexdigest().encode("ascii")
    scrambled = bytes(b ^ digest[i % 32] for i, b in enumerate(text))
    with open(out, "wb") as f:
        f.write(zlib.compress(scrambled))


if __name__ == "__main__":
    if sys.argv[1] == "master":
        master(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
    elif sys.argv[1] == "url":
        url(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit("unknown kind " + sys.argv[1])
