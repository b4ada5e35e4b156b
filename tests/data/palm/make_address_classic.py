#!/usr/bin/env python3
"""Writes address-classic.dat: a small classic Palm address book built byte by byte from the
published layout (not by our writer), so the reader and writer tests compare against bytes
that were made independently. With --seed PATH it writes instead the tiny file that seeds the
fuzz target (one category, two short rows).

Run from this folder: python3 make_address_classic.py [--seed PATH]
"""
import sys
import struct


def cstring(text: bytes) -> bytes:
    if len(text) < 255:
        return bytes([len(text)]) + text
    return b"\xff" + struct.pack("<H", len(text)) + text


def i32(value: int) -> bytes:
    return struct.pack("<i", value)


def int_field(value: int, tag: int = 1) -> bytes:
    return i32(tag) + i32(value)


def text_field(text: bytes, word: int = 0) -> bytes:
    return i32(5) + i32(word) + cstring(text)


def row(rec_id, status, position, last, first, title, company, phones, address, note,
        private, category, customs, display_phone=0, word=0):
    out = int_field(rec_id) + int_field(status) + int_field(position)
    out += text_field(last, word) + text_field(first, word) + text_field(title, word)
    out += text_field(company, word)
    phones = phones + [(0, b"")] * (5 - len(phones))
    for label, number in phones:
        out += int_field(label) + text_field(number, word)
    for part in address:
        out += text_field(part, word)
    out += text_field(note, word)
    out += int_field(private, 6) + int_field(category)
    for custom in customs + [b""] * (4 - len(customs)):
        out += text_field(custom, word)
    out += int_field(display_phone)
    return out


TYPES = [1, 1, 1, 5, 5, 5, 5, 1, 5, 1, 5, 1, 5, 1, 5, 1, 5, 5, 5, 5, 5, 5, 5, 6, 1, 5, 5, 5, 5, 1]

header = bytes([0x00, 0x01, 0x42, 0x41])
header += cstring(b"C:\\Program Files\\Palm\\SmithA\\address\\address.dat")
header += cstring(b"line one\nline two\nline three\nline four\nline five\nline six\n")
header += i32(3) + i32(2)
header += i32(1) + i32(1) + i32(0) + cstring(b"Business") + cstring(b"Business")
header += i32(2) + i32(2) + i32(0) + cstring(b"Work/Home") + cstring(b"Work and Home")
header += i32(74) + i32(30) + i32(0) + i32(1) + i32(2)
header += struct.pack("<H", 30) + b"".join(struct.pack("<h", t) for t in TYPES)

rows = [
    row(101, 0, 1, b"Smith", b"Ann", b"Dr", b"Acme",
        [(0, b"555-0100"), (1, b"555-0101"), (4, b"ann@example.org"), (7, b"555-0102"),
         (6, b"555-0199")],
        [b"1 Main St", b"Springfield", b"IL", b"62701", b"USA"], b"Met at the fair",
        0, 1, [b"c1"]),
    row(102, 0x04, 2, b"Jones", b"Bob", b"", b"", [(0, b"555-0200")],
        [b"", b"", b"", b"", b""], b"", 0, 0, []),
    row(103, 0x80, 3, b"Brown", b"Carl", b"", b"", [(1, b"555-0300")],
        [b"", b"", b"", b"", b""], b"", 0, 0, []),
    row(104, 0, 4, b"White", b"Dora", b"", b"W" * 300, [(2, b"555-0400")],
        [b"", b"", b"", b"", b""], b"n" * 3000, 1, 2, [], word=1),
    row(105, 0, 5, b"Black", b"Eve", b"", b"", [], [b"", b"", b"", b"", b""], b"", 0, 9,
        [b"", b"", b"", b"c4"]),
]

if len(sys.argv) == 3 and sys.argv[1] == "--seed":
    seed = bytes([0x00, 0x01, 0x42, 0x41]) + cstring(b"C:\\a.dat") + cstring(b"")
    seed += i32(2) + i32(1) + i32(1) + i32(1) + i32(0) + cstring(b"Work") + cstring(b"Work")
    seed += header[header.index(struct.pack("<i", 74)):]
    seed_rows = [
        row(1, 0, 1, b"Li", b"Al", b"", b"", [(0, b"1"), (6, b"2")], [b"", b"", b"", b"", b""],
            b"", 1, 1, []),
        row(2, 4, 2, b"Bo", b"", b"x", b"", [], [b"", b"", b"", b"", b""], b"", 0, 0, [b"c"]),
    ]
    with open(sys.argv[2], "wb") as f:
        f.write(seed + i32(30 * len(seed_rows)) + b"".join(seed_rows))
else:
    with open("address-classic.dat", "wb") as f:
        f.write(header + i32(30 * len(rows)) + b"".join(rows))
