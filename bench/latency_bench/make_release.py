#!/usr/bin/env python3
"""Expands the install benchmark's data set into a release tree as players have it installed,
and a second release in which 10 files (spread over the set, each large enough to travel on its
own rather than in an archive) have changed.

    make_release.py DATA_DIR RELEASE_DIR RELEASE2_DIR
"""
import gzip
import os
import sys

CHANGED = 10
OWN_REQUEST_ABOVE = 4096  # never archived, whatever --archive-small the bench uses


def main():
    data, release, release2 = sys.argv[1:4]
    with open(os.path.join(data, "manifest.txt")) as file:
        entries = [line.split() for line in file if line.strip()]
    own = [i for i, entry in enumerate(entries) if int(entry[2]) > OWN_REQUEST_ABOVE]
    changed = set(own[:: max(1, len(own) // CHANGED)][:CHANGED])
    for index, (remote, local, _size) in enumerate(entries):
        relative = local.replace("\\", "/")
        with gzip.open(os.path.join(data, "root", remote), "rb") as file:
            content = file.read()
        for root in (release, release2):
            os.makedirs(os.path.dirname(os.path.join(root, relative)), exist_ok=True)
        path = os.path.join(release, relative)
        with open(path, "wb") as file:
            file.write(content)
        path2 = os.path.join(release2, relative)
        if index in changed:
            with open(path2, "wb") as file:
                file.write(content + b"\nchanged\n")
        else:
            os.link(path, path2)


if __name__ == "__main__":
    main()
