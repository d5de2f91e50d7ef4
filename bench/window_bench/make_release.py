#!/usr/bin/env python3
"""Writes a game-like release tree and its news page for bench/run_window_bench.sh.

    make_release.py OUT [MEGABYTES]

The files are drawn exactly as bench/install_bench/make_dataset.py draws its data set (same seed,
skewed sizes from 1 KiB to 8 MiB, text-like, table-like and random contents); at the default
200 MiB it is the same set of files, written unpacked as a release (OUT/release/Data/Dnn/...).
A smaller size keeps the distribution with proportionally fewer files. OUT/page holds the news
page: index2.html and one picture.
"""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "install_bench"))
import make_dataset  # noqa: E402


def main():
    out = sys.argv[1]
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    if megabytes < 200:
        make_dataset.TARGET_TOTAL = megabytes * 1024 * 1024
        make_dataset.FILE_COUNT = max(20, make_dataset.FILE_COUNT * megabytes // 200)
        make_dataset.MAX_SIZE = min(make_dataset.MAX_SIZE, make_dataset.TARGET_TOTAL // 8)
    rng = random.Random(make_dataset.SEED)
    texts = make_dataset.text_corpus(rng)
    tables = make_dataset.table_corpus(rng)
    release = os.path.join(out, "release")
    for index, size in enumerate(make_dataset.sizes(rng)):
        kind = rng.choices(("text", "table", "random"), (45, 35, 20))[0]
        if kind == "text":
            data = make_dataset.from_corpus(rng, texts, size)
        elif kind == "table":
            data = make_dataset.from_corpus(rng, tables, size)
        else:
            data = rng.randbytes(size)
        folder = os.path.join(release, "Data", "D%02d" % (index % make_dataset.FOLDERS))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "f%04d.%s" % (index, kind)), "wb") as file:
            file.write(data)

    page = os.path.join(out, "page")
    os.makedirs(os.path.join(page, "news"), exist_ok=True)
    with open(os.path.join(page, "index2.html"), "wb") as file:
        file.write(b"<html><body><h1>VeyraOnline news</h1><p>Bench release.</p>"
                   b"<img src=\"news/banner.jpg\"></body></html>\r\n")
    picture = random.Random(7)
    with open(os.path.join(page, "news", "banner.jpg"), "wb") as file:
        file.write(b"\xff\xd8\xff\xe0" + picture.randbytes(4000))


if __name__ == "__main__":
    main()
