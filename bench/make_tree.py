#!/usr/bin/env python3
"""Payload trees of other shapes than the shipped one, for bench/compare_installers.sh.

    make_tree.py SHAPE OUTDIR

    single  qfmgr.exe alone, 64 KiB
    many    20,001 files of 1-8 KiB in 221 directories: qfmgr.exe at the top and 20,000
            files spread over data, data\\dNN (20) and data\\dNN\\sN (200)
    large   4 files of 256 MiB: qfmgr.exe and part1.bin .. part3.bin at the top

Every tree has qfmgr.exe at its top, so that an installer of it saves the desktop shortcut
as it does for the shipped payload. (The shipped shape and its tenth come from
make_payload.py, in the shared folder.) The bytes are deterministic: SHAKE-256 of the
file's name, the same on every machine.
Prints the files, directories and bytes written.
"""
import hashlib
import os
import sys

KIB = 1024
MIB = 1024 * KIB


def content(name, size):
    return hashlib.shake_256(b"orin-bench-tree/" + name.encode()).digest(size)


def single():
    return [], [("qfmgr.exe", 64 * KIB)]


def many():
    dirs = ["data"]
    for d in range(20):
        dirs.append("data\\d%02d" % d)
        dirs.extend("data\\d%02d\\s%d" % (d, s) for s in range(10))
    assert len(dirs) == 221
    files = [("qfmgr.exe", 4 * KIB)]
    for i in range(20_000):
        name = "%s\\f%05d.dat" % (dirs[i % len(dirs)], i)
        # 1 KiB to 8 KiB, spread evenly, from the name's own hash
        files.append((name, KIB + int.from_bytes(content(name, 4), "little") % (7 * KIB + 1)))
    return dirs, files


def large():
    names = ["qfmgr.exe", "part1.bin", "part2.bin", "part3.bin"]
    return [], [(n, 256 * MIB) for n in names]


SHAPES = {"single": single, "many": many, "large": large}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in SHAPES:
        sys.exit("usage: make_tree.py %s OUTDIR" % "|".join(SHAPES))
    shape, outdir = sys.argv[1:]
    dirs, files = SHAPES[shape]()
    os.makedirs(outdir, exist_ok=True)
    for d in dirs:
        os.makedirs(os.path.join(outdir, *d.split("\\")), exist_ok=True)
    total = 0
    for name, size in files:
        with open(os.path.join(outdir, *name.split("\\")), "wb") as f:
            f.write(content(name, size))
        total += size
    print("%s: files %d, dirs %d, file bytes %d" % (shape, len(files), len(dirs), total))


if __name__ == "__main__":
    main()
