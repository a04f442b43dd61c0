#!/usr/bin/env python3
"""Writes a minimal 7z archive by hand: one file stored with the Copy method, plain header,
every CRC right. With --no-names the header has no names property, which no archiver
writes but a reader must survive.

usage: make_crafted_archive.py OUT [--no-names]
"""
import struct
import sys
import zlib

CONTENT = b"an entry without a name"
NAME = "crafted.txt"


def number(value):
    # The format's variable-length numbers; the values here are all below 0x80.
    assert 0 <= value < 0x80
    return bytes([value])


def crc(data):
    return struct.pack("<I", zlib.crc32(data) & 0xFFFFFFFF)


def header(with_names):
    streams = (
        b"\x04"                                        # main streams info
        + b"\x06" + number(0) + number(1)              # pack info: at offset 0, one stream
        + b"\x09" + number(len(CONTENT)) + b"\x00"     # its size
        + b"\x07" + b"\x0B" + number(1) + b"\x00"      # unpack info: one folder, inline
        + number(1) + b"\x01" + b"\x00"                # one coder, 1-byte id: Copy
        + b"\x0C" + number(len(CONTENT))               # the folder's unpacked size
        + b"\x0A" + b"\x01" + crc(CONTENT)             # and its CRC
        + b"\x00"                                      # end of unpack info
        + b"\x00"                                      # end of streams info
    )
    files = b"\x05" + number(1)                        # files info: one file
    if with_names:
        names = (NAME + "\0").encode("utf-16-le")
        files += b"\x11" + number(len(names) + 1) + b"\x00" + names
    files += b"\x00"
    return b"\x01" + streams + files + b"\x00"


def archive(with_names):
    body = header(with_names)
    next_header = struct.pack("<QQ", len(CONTENT), len(body)) + crc(body)
    start = b"7z\xBC\xAF\x27\x1C\x00\x04" + crc(next_header) + next_header
    return start + CONTENT + body


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(archive("--no-names" not in sys.argv[2:]))
