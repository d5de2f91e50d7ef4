#!/usr/bin/env python3
"""Expands the install benchmark's data set into a release tree as players have it installed,
and a second release in which 10 files have changed.

    make_release.py DATA_DIR RELEASE_DIR RELEASE2_DIR [--patch-like CHANGED_FILE]

By default the 10 files are spread over the set, each large enough to travel on its own rather
than in an archive, and each grows by a line. With --patch-like, the 10 largest files change as
bench/patch_bench/make_versions.py changes its file (1 % of each, in four places, of new bytes),
so that a patch is worth making for each; CHANGED_FILE receives the new bytes of all those places
and a line per changed file (its local name and expanded size) is printed.
"""
import gzip
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "patch_bench"))
from make_versions import change_one_percent  # noqa: E402

CHANGED = 10
OWN_REQUEST_ABOVE = 4096  # never archived, whatever --archive-small the bench uses


def main():
    data, release, release2 = sys.argv[1:4]
    changed_file = sys.argv[5] if sys.argv[4:5] == ["--patch-like"] else None
    with open(os.path.join(data, "manifest.txt")) as file:
        entries = [line.split() for line in file if line.strip()]
    if changed_file:
        by_size = sorted(range(len(entries)), key=lambda i: (-int(entries[i][2]), i))
        changed = set(by_size[:CHANGED])
    else:
        own = [i for i, entry in enumerate(entries) if int(entry[2]) > OWN_REQUEST_ABOVE]
        changed = set(own[:: max(1, len(own) // CHANGED)][:CHANGED])
    rng = random.Random(20261209)
    changed_bytes = []
    for index, (remote, local, size) in enumerate(entries):
        relative = local.replace("\\", "/")
        with gzip.open(os.path.join(data, "root", remote), "rb") as file:
            content = file.read()
        for root in (release, release2):
            os.makedirs(os.path.dirname(os.path.join(root, relative)), exist_ok=True)
        path = os.path.join(release, relative)
        with open(path, "wb") as file:
            file.write(content)
        path2 = os.path.join(release2, relative)
        if index not in changed:
            os.link(path, path2)
            continue
        if changed_file:
            content, new = change_one_percent(rng, content)
            changed_bytes.append(new)
            print(local, size)
        else:
            content += b"\nchanged\n"
        with open(path2, "wb") as file:
            file.write(content)
    if changed_file:
        with open(changed_file, "wb") as file:
            file.write(b"".join(changed_bytes))


if __name__ == "__main__":
    main()
