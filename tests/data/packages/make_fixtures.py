#!/usr/bin/env python3
"""Writes theme packages with python's own zlib, independently of the C++ packer.

python.dtp        every member at level 9 (what the program itself writes), UTF-8 names
python-mixed.dtp  streams at levels 0 and 1 and a name in Windows-1252
expected/         the files both packages must unpack to
Run from this folder; the output is checked in.
"""
import os
import struct
import zlib


def member(name: bytes, data: bytes, level: int) -> bytes:
    return struct.pack("<i", len(name)) + name + struct.pack("<i", len(data)) + zlib.compress(data, level)


def package(members) -> bytes:
    return struct.pack("<i", len(members)) + b"".join(member(*m) for m in members)


xml = (b'<?xml version="1.0"?>\r\n<theme name="Python">\r\n'
       + b"".join(b'  <element name="e%d" value="%%Adapter:KBInPerSec%%"/>\r\n' % i for i in range(40))
       + b"</theme>\r\n")
binary = bytes((i * 7 + (i >> 8) * 13) % 256 for i in range(3000))
noise = bytes((i * 2654435761 >> 13) & 0xFF for i in range(1500))

files = {
    "repositary.xml": xml,
    "empty.txt": b"",
    "back.bmp": binary,
    "caf\u00e9 \u20ac.txt": noise,
}

os.makedirs("expected", exist_ok=True)
for name, data in files.items():
    with open(os.path.join("expected", name), "wb") as f:
        f.write(data)

with open("python.dtp", "wb") as f:
    f.write(package([(name.encode("utf-8"), data, 9) for name, data in files.items()]))

with open("python-mixed.dtp", "wb") as f:
    f.write(package([
        (b"repositary.xml", xml, 1),
        (b"empty.txt", b"", 0),
        (b"back.bmp", binary, 0),
        ("caf\u00e9 \u20ac.txt".encode("cp1252"), noise, 6),
    ]))
