#!/usr/bin/env python3
"""Writes a minimal, valid PE32 program file whose only content is a version resource.

    make-pe-version.py OUT MAJOR.MINOR.BUILD.REVISION

The file has one section, ".rsrc", holding a resource tree with a single VS_VERSION_INFO
(type 16, name 1, language 0x0409): the fixed file information with the given file and product
version, a StringFileInfo block with "FileVersion" and "ProductVersion" and a VarFileInfo block
with the translation. It has no code; it exists so that programs reading version resources
(and their tests, and demo homes) have a real file to read.
"""

import struct
import sys

FILE_ALIGNMENT = 0x200
SECTION_ALIGNMENT = 0x1000
RESOURCE_RVA = 0x1000
LANGUAGE = 0x0409
CODE_PAGE = 1200  # UTF-16


def align(value, boundary):
    return (value + boundary - 1) // boundary * boundary


def pad4(data):
    return data + b"\0" * (align(len(data), 4) - len(data))


def version_block(key, value=b"", value_length=0, text=False, children=()):
    """One version-information block: wLength, wValueLength, wType, key, value, children."""
    body = pad4(struct.pack("<HHH", 0, value_length, 1 if text else 0) + (key + "\0").encode("utf-16-le"))
    body += value
    for child in children:
        body = pad4(body) + child
    return struct.pack("<H", len(body)) + body[2:]


def string_entry(key, text):
    return version_block(key, (text + "\0").encode("utf-16-le"), len(text) + 1, text=True)


def version_info(parts):
    major, minor, build, revision = parts
    fixed = struct.pack(
        "<13I",
        0xFEEF04BD,  # signature
        0x00010000,  # structure version 1.0
        (major << 16) | minor,
        (build << 16) | revision,
        (major << 16) | minor,
        (build << 16) | revision,
        0x3F,  # VS_FFI_FILEFLAGSMASK
        0,  # flags
        0x00040004,  # VOS_NT_WINDOWS32
        1,  # VFT_APP
        0,
        0,
        0,
    )
    text = "%d.%d.%d.%d" % tuple(parts)
    strings = version_block(
        "StringFileInfo",
        children=[
            version_block(
                "%04X%04X" % (LANGUAGE, CODE_PAGE),
                text=True,
                children=[string_entry("FileVersion", text), string_entry("ProductVersion", text)],
            )
        ],
    )
    translation = version_block("Translation", struct.pack("<HH", LANGUAGE, CODE_PAGE), 4)
    variables = version_block("VarFileInfo", text=True, children=[translation])
    return version_block("VS_VERSION_INFO", fixed, len(fixed), children=[strings, variables])


def directory(entry_id, target, is_subdirectory):
    """A resource directory with one numbered entry."""
    header = struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1)
    return header + struct.pack("<II", entry_id, target | (0x80000000 if is_subdirectory else 0))


def resource_section(parts):
    data = version_info(parts)
    # Offsets are from the start of the tree: three directories of 24 bytes, the data entry, data.
    tree = directory(16, 24, True) + directory(1, 48, True) + directory(LANGUAGE, 72, False)
    tree += struct.pack("<IIII", RESOURCE_RVA + 88, len(data), 0, 0)
    return tree + data


def pe_file(parts):
    section = resource_section(parts)
    raw_size = align(len(section), FILE_ALIGNMENT)
    headers_size = FILE_ALIGNMENT
    image_size = RESOURCE_RVA + align(len(section), SECTION_ALIGNMENT)

    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 64)

    coff = struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 224, 0x0102)  # i386, executable, 32-bit
    directories = [(0, 0)] * 16
    directories[2] = (RESOURCE_RVA, len(section))
    optional = struct.pack(
        "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
        0x10B,  # PE32
        1, 0,  # linker version
        0,  # size of code
        raw_size,  # size of initialised data
        0,  # size of uninitialised data
        0,  # entry point: none, nothing runs
        RESOURCE_RVA,  # base of code
        RESOURCE_RVA,  # base of data
        0x400000,  # image base
        SECTION_ALIGNMENT,
        FILE_ALIGNMENT,
        4, 0,  # operating system version
        0, 0,  # image version
        4, 0,  # subsystem version
        0,  # Win32 version value
        image_size,
        headers_size,
        0,  # checksum
        2,  # Windows GUI subsystem
        0,  # DLL characteristics
        0x100000, 0x1000,  # stack reserve and commit
        0x100000, 0x1000,  # heap reserve and commit
        0,  # loader flags
        len(directories),
    )
    optional += b"".join(struct.pack("<II", rva, size) for rva, size in directories)
    assert len(optional) == 224

    section_header = struct.pack(
        "<8sIIIIIIHHI",
        b".rsrc",
        len(section),
        RESOURCE_RVA,
        raw_size,
        headers_size,
        0, 0, 0, 0,
        0x40000040,  # initialised data, readable
    )
    headers = bytes(dos) + b"PE\0\0" + coff + optional + section_header
    headers += b"\0" * (headers_size - len(headers))
    return headers + section + b"\0" * (raw_size - len(section))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make-pe-version.py OUT MAJOR.MINOR.BUILD.REVISION\n")
        return 2
    try:
        parts = [int(part) for part in argv[2].split(".")]
    except ValueError:
        parts = []
    if len(parts) != 4 or any(part < 0 or part > 0xFFFF for part in parts):
        sys.stderr.write("make-pe-version.py: the version is four numbers from 0 to 65535: %s\n" % argv[2])
        return 2
    with open(argv[1], "wb") as out:
        out.write(pe_file(parts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
