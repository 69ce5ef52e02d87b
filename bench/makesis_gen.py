#!/usr/bin/env python3
"""Generates a project for the package compiler benchmark: files of mixed sizes (1 KB to
48 MB) and compressibility (text, random, low-entropy binary) adding up to a given total,
a package script naming them all, and the list of files in script order (for gzip).

Usage: makesis_gen.py FOLDER TOTAL_BYTES [sis9]
With sis9 the script is a Symbian 9 one (vendor lines, the S60 3rd edition platform).
Deterministic: the same arguments give the same files."""

import os
import random
import sys


def text_corpus(rng, size):
    words = ["".join(rng.choice("etaoinshrdlucmfwypvbgkjqxz") for _ in range(rng.randint(1, 9)))
             for _ in range(5000)]
    picked = rng.choices(words, k=size // 5)
    return (" ".join(picked) + "\r\n").encode()[:size]


def main():
    folder, total = sys.argv[1], int(sys.argv[2])
    sis9 = len(sys.argv) > 3 and sys.argv[3] == "sis9"
    rng = random.Random(2024)
    corpus = text_corpus(rng, 4 << 20)
    # Low-entropy binary: random bytes folded onto 12 values.
    fold = bytes((b % 12) * 17 for b in range(256))
    os.makedirs(os.path.join(folder, "files"), exist_ok=True)
    paths, written = [], 0
    while written < total:
        kind = rng.random()
        if kind < 0.6:
            size = rng.randint(1 << 10, 256 << 10)
        elif kind < 0.9:
            size = rng.randint(256 << 10, 4 << 20)
        else:
            size = rng.randint(4 << 20, 48 << 20)
        size = min(size, total - written)
        flavour = rng.random()
        if flavour < 0.4:
            start = rng.randrange(len(corpus))
            data = (corpus[start:] + corpus * (size // len(corpus) + 1))[:size]
        elif flavour < 0.7:
            data = rng.randbytes(size)
        else:
            data = rng.randbytes(size).translate(fold)
        sub = os.path.join(folder, "files", "d%02d" % (len(paths) % 16))
        os.makedirs(sub, exist_ok=True)
        path = os.path.join(sub, "f%05d.bin" % len(paths))
        with open(path, "wb") as out:
            out.write(data)
        paths.append(os.path.abspath(path))
        written += size
    with open(os.path.join(folder, "bench.pkg"), "w", newline="") as pkg:
        if sis9:
            pkg.write('&EN\r\n#{"Bench"},(0xE0000001), 1, 0, 0\r\n%{"Bench"}\r\n:"Bench"\r\n'
                      '[0x101F7961],0,0,0,{"Series60ProductID"}\r\n\r\n')
            target = '"!:\\private\\E0000001\\f%05d.bin"'
        else:
            pkg.write('#{"Bench"},(0x01000000), 1, 0, 0\r\n\r\n')
            target = '"!:\\system\\apps\\Bench\\f%05d.bin"'
        for i, path in enumerate(paths):
            pkg.write(('"%s"-' + target + '\r\n') % (path, i))
    with open(os.path.join(folder, "files.txt"), "w") as listing:
        listing.write("\n".join(paths) + "\n")
    print("generated %d files, %d bytes" % (len(paths), written))


if __name__ == "__main__":
    main()
