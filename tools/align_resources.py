#!/usr/bin/env python3
"""Moves the resource section of a PE image to a file offset that is a multiple of 4096.

The installer is linked with a file alignment of 512, which keeps its small sections from
being padded to whole pages. Wine maps a section straight from the file only when its file
offset is page-aligned, and reads it otherwise; the resource section holds the payload, tens of
megabytes, so it alone is moved onto a page boundary, with zero bytes before it. The sections
after it move with it, and the header checksum is computed anew. Section addresses, and so the
running image, do not change.

    align_resources.py IMAGE        (rewritten in place; an aligned image is left as it is)
"""
import array
import struct
import sys

PAGE = 4096


def checksum(image, field):
    """The PE header checksum: 16-bit words added with end-around carry, the checksum field
    itself taken as zero, then the file length added."""
    words = array.array('H', bytes(image[:field]) + bytes(4) + bytes(image[field + 4:]) +
                        bytes(len(image) % 2))
    if sys.byteorder != 'little':
        words.byteswap()
    total = sum(words)
    while total > 0xFFFF:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main():
    path = sys.argv[1]
    image = bytearray(open(path, 'rb').read())
    pe = struct.unpack_from('<I', image, 0x3C)[0]
    if image[pe:pe + 4] != b'PE\0\0':
        sys.exit(f'{path}: not a PE image')
    sections, = struct.unpack_from('<H', image, pe + 6)
    symbols, = struct.unpack_from('<I', image, pe + 12)
    optional_size, = struct.unpack_from('<H', image, pe + 20)
    optional = pe + 24
    # The data directories follow the optional header's fixed fields, which are longer in a
    # 64-bit image (PE32+) than in a 32-bit one (PE32); the checksum is at the same place in both.
    magic, = struct.unpack_from('<H', image, optional)
    directories = {0x10B: optional + 96, 0x20B: optional + 112}.get(magic)
    if directories is None:
        sys.exit(f'{path}: neither a PE32 nor a PE32+ image')
    # File offsets outside the section table that a move would have to follow: the symbol
    # table, the certificate table and the debug directory. A stripped image has none.
    certificate = struct.unpack_from('<II', image, directories + 4 * 8)
    debug = struct.unpack_from('<II', image, directories + 6 * 8)
    if symbols or certificate[1] or debug[1]:
        sys.exit(f'{path}: symbols, a signature or debug data would point to the old offsets')
    table = optional + optional_size
    headers = [table + 40 * i for i in range(sections)]
    rsrc = next((h for h in headers if image[h:h + 8].rstrip(b'\0') == b'.rsrc'), None)
    if rsrc is None:
        sys.exit(f'{path}: no resource section')
    offset, = struct.unpack_from('<I', image, rsrc + 20)
    gap = -offset % PAGE
    if gap == 0:
        return
    for h in headers:
        raw_size, raw_offset = struct.unpack_from('<II', image, h + 16)
        if raw_size and raw_offset >= offset:
            struct.pack_into('<I', image, h + 20, raw_offset + gap)
    image[offset:offset] = bytes(gap)
    field = optional + 64
    if struct.unpack_from('<I', image, field)[0]:
        struct.pack_into('<I', image, field, checksum(image, field))
    open(path, 'wb').write(image)


if __name__ == '__main__':
    main()
