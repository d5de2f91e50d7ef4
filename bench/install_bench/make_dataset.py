#!/usr/bin/env python3
"""Writes the install benchmark's data set: gzipped files under <out>/root and a manifest.

Deterministic (fixed seed): 2000 files, about 200 MiB expanded, sizes from 1 KiB to 8 MiB with a
skewed distribution (most files small, a few large; the largest is exactly 8 MiB). Contents are a
mix of text-like lines, binary record tables and incompressible random bytes.

manifest.txt has one line per file: "<remote name> <local name> <expanded size>", where the local
name uses backslashes as the update lists do.
"""
import os
import random
import struct
import sys
import zlib

SEED = 20261207
FILE_COUNT = 2000
TARGET_TOTAL = 200 * 1024 * 1024
MIN_SIZE = 1024
MAX_SIZE = 8 * 1024 * 1024
FOLDERS = 20
CORPUS_SIZE = 8 * 1024 * 1024


def sizes(rng):
    """Skewed sizes: MIN * (MAX/MIN)^(u^p); p is searched so that the sum hits the target."""
    draws = [rng.random() for _ in range(FILE_COUNT - 1)]
    ratio = MAX_SIZE / MIN_SIZE

    def total(p):
        return MAX_SIZE + sum(int(MIN_SIZE * ratio ** (u ** p)) for u in draws)

    low, high = 0.5, 50.0
    for _ in range(60):
        mid = (low + high) / 2
        if total(mid) > TARGET_TOTAL:
            low = mid
        else:
            high = mid
    result = [MAX_SIZE] + [int(MIN_SIZE * ratio ** (u ** high)) for u in draws]
    rng.shuffle(result)
    return result


def text_corpus(rng):
    syllables = ["ka", "ri", "to", "ve", "yra", "on", "lin", "e", "sa", "mu", "del", "zor", "qu",
                 "ath", "el", "ion", "mar", "ta", "ni", "bo"]
    words = ["".join(rng.choice(syllables) for _ in range(rng.randint(1, 4))) for _ in range(3000)]
    weights = [1.0 / (i + 1) for i in range(len(words))]  # Zipf-like, as in real text
    lines = []
    size = 0
    while size < CORPUS_SIZE:
        key = rng.randint(1, 99999)
        line = "item_%05d = %s\r\n" % (key, " ".join(rng.choices(words, weights, k=rng.randint(3, 14))))
        lines.append(line)
        size += len(line)
    return "".join(lines).encode("ascii")[:CORPUS_SIZE]


def table_corpus(rng):
    rows = []
    record = struct.Struct("<IIhhHHff")
    ident = 1000
    for _ in range(CORPUS_SIZE // record.size + 1):
        ident += rng.randint(1, 3)
        rows.append(record.pack(ident, rng.randint(0, 500), rng.randint(-100, 100),
                                rng.randint(0, 20), rng.choice((0, 0, 0, 1, 7, 255)),
                                rng.randint(0, 9), rng.randint(0, 1000) / 8.0, 1.0))
    return b"".join(rows)[:CORPUS_SIZE]


def from_corpus(rng, corpus, size):
    """Stitches random slices of a corpus; slices are long, like sections of a real file."""
    parts = []
    left = size
    while left > 0:
        length = min(left, rng.randint(4096, 65536))
        start = rng.randint(0, len(corpus) - length)
        parts.append(corpus[start:start + length])
        left -= length
    return b"".join(parts)


def main():
    out = sys.argv[1]
    root = os.path.join(out, "root")
    rng = random.Random(SEED)
    texts = text_corpus(rng)
    tables = table_corpus(rng)
    manifest = []
    for folder in range(FOLDERS):
        os.makedirs(os.path.join(root, "d%02d" % folder), exist_ok=True)
    for index, size in enumerate(sizes(rng)):
        kind = rng.choices(("text", "table", "random"), (45, 35, 20))[0]
        if kind == "text":
            data = from_corpus(rng, texts, size)
        elif kind == "table":
            data = from_corpus(rng, tables, size)
        else:
            data = rng.randbytes(size)
        folder = "d%02d" % (index % FOLDERS)
        remote = "%s/f%04d.%s.gz" % (folder, index, kind)
        local = "Data\\%s\\f%04d.%s" % (folder.upper(), index, kind)
        packer = zlib.compressobj(6, zlib.DEFLATED, 31)
        with open(os.path.join(root, remote), "wb") as file:
            file.write(packer.compress(data) + packer.flush())
        manifest.append("%s %s %d\n" % (remote, local, size))
    with open(os.path.join(out, "manifest.txt"), "w") as file:
        file.writelines(manifest)


if __name__ == "__main__":
    main()
