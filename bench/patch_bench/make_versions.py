#!/usr/bin/env python3
"""Writes two versions of a game-like data file for the patch bench.

make_versions.py OUT_DIR [MIB]

OUT_DIR/v1/Data/world.pak is MIB MiB (default 200) of game-like content: records of tables
(names, numbers, text) that compress well, mixed with blocks of packed data (textures, sounds)
that do not. OUT_DIR/v2/Data/world.pak is the same file with 1 % of it changed in a few places:
two insertions and two alterations of 0.25 % each. OUT_DIR/changed.bin holds the new bytes of
those four places, so that their compressed size can be compared with the patch. Prints the
changed file's local name and size, as bench/latency_bench/make_release.py --patch-like does.
"""
import os
import random
import sys

WORDS = [b"sword", b"shield", b"dragon", b"quest", b"village", b"merchant", b"potion", b"gold",
         b"castle", b"forest", b"npc_", b"map_", b"skill", b"level", b"\xa4\x40\xa4\x48"]


def records(rng, size):
    out = bytearray()
    while len(out) < size:
        out += b"%d\t%s\t%s%d\t%d\t%d\r\n" % (
            rng.randrange(100000), rng.choice(WORDS), rng.choice(WORDS), rng.randrange(1000),
            rng.randrange(65536), rng.randrange(10))
    return bytes(out[:size])


def game_bytes(rng, size):
    """Game-like bytes: 3 parts tables to 1 part packed data, in blocks of 64 KiB to 1 MiB."""
    out = bytearray()
    while len(out) < size:
        block = rng.randrange(64 << 10, 1 << 20)
        out += rng.randbytes(block) if rng.random() < 0.25 else records(rng, block)
    return bytes(out[:size])


def change_one_percent(rng, old):
    """`old` as a release changes a data file: 1 % of it in four places, two insertions and two
    alterations of 0.25 % each, of new game-like bytes. Returns the new content and the new bytes
    of those places (what any update has to carry in some form)."""
    part = len(old) // 400  # 0.25 %
    changed = []
    new_content = bytearray(old)
    # From the end backwards, so that earlier offsets stay valid.
    for fraction, insert in ((0.85, True), (0.6, False), (0.35, True), (0.1, False)):
        at = int(len(old) * fraction)
        new = game_bytes(rng, part)
        changed.append(new)
        if insert:
            new_content[at:at] = new
        else:
            new_content[at:at + part] = new
    return bytes(new_content), b"".join(changed)


def main():
    out_dir = sys.argv[1]
    mib = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    rng = random.Random(20261209)
    v1 = game_bytes(rng, mib << 20)
    v2, changed = change_one_percent(rng, v1)
    for name, data in (("v1", v1), ("v2", v2)):
        path = os.path.join(out_dir, name, "Data")
        os.makedirs(path, exist_ok=True)
        with open(os.path.join(path, "world.pak"), "wb") as f:
            f.write(data)
    with open(os.path.join(out_dir, "changed.bin"), "wb") as f:
        f.write(changed)
    print("Data\\world.pak", len(v1))


if __name__ == "__main__":
    main()
