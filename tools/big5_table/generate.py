#!/usr/bin/env python3
"""Writes src/text/big5_to_gb_table.cpp: the Big5 -> GB2312 (Simplified) table.

Every position of the Big5 double-byte space (lead 0xA1..0xFE, trail 0x40..0x7E then 0xA1..0xFE)
is decoded with glibc iconv (BIG5 -> UTF-8), turned into its Simplified form with OpenCC (t2s),
and encoded with iconv (UTF-8 -> GB2312). A position whose character has no single GB2312
double-byte code holds 0x2020 (two spaces). A few rows are then pinned to fixed values.

Usage: python3 tools/big5_table/generate.py [output.cpp]
Needs the commands iconv (glibc) and opencc on the PATH.
"""

import os
import subprocess
import sys

LEADS = range(0xA1, 0xFF)
TRAILS = list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))
TABLE_SIZE = len(LEADS) * len(TRAILS)  # 14758
NO_COUNTERPART = 0x2020

# Rows whose entries are fixed regardless of what the converters say. The ideographic space
# and the full-width full stop are shown as two spaces on Simplified systems.
PINNED = {
    0xA140: 0x2020,
    0xA141: 0xA3AC,
    0xA142: 0xA1A2,
    0xA143: 0xA1A3,
    0xA144: 0x2020,
    0xA2CF: 0xA3C1,
    0xA7F3: 0xB8FC,
    0xB0EA: 0xB9FA,
    0xB943: 0xD3CE,
    0xC0B8: 0xCFB7,
    0xC5E9: 0xCCE5,
}

VALUES_PER_LINE = 12


def big5_codes():
    return [(lead << 8) | trail for lead in LEADS for trail in TRAILS]


def run_lines(command, lines):
    """Feeds one item per line through a filter command; returns its output lines."""
    data = b"\n".join(lines) + b"\n"
    result = subprocess.run(command, input=data, stdout=subprocess.PIPE, check=True)
    out = result.stdout.split(b"\n")
    if out and out[-1] == b"":
        out.pop()
    if len(out) != len(lines):
        sys.exit(f"{' '.join(command)}: {len(out)} lines back for {len(lines)} lines")
    return out


def single_gb2312_code(encoded):
    """The 16-bit code when `encoded` is exactly one GB2312 double-byte character, else None."""
    if len(encoded) == 2 and 0xA1 <= encoded[0] <= 0xF7 and 0xA1 <= encoded[1] <= 0xFE:
        return (encoded[0] << 8) | encoded[1]
    return None


def build_table():
    codes = big5_codes()
    assert len(codes) == TABLE_SIZE
    big5 = [bytes([code >> 8, code & 0xFF]) for code in codes]
    # -c drops what the converter cannot represent, so such lines come back empty.
    utf8 = run_lines(["iconv", "-c", "-f", "BIG5", "-t", "UTF-8"], big5)
    # Keep positions iconv could not decode empty through OpenCC as well.
    simplified = run_lines(["opencc", "-c", "t2s"], utf8)
    gb_simplified = run_lines(["iconv", "-c", "-f", "UTF-8", "-t", "GB2312"], simplified)
    gb_original = run_lines(["iconv", "-c", "-f", "UTF-8", "-t", "GB2312"], utf8)

    table = []
    for index, code in enumerate(codes):
        entry = NO_COUNTERPART
        if utf8[index]:
            found = single_gb2312_code(gb_simplified[index])
            if found is None:
                # A character common to both scripts whose t2s form is not in GB2312.
                found = single_gb2312_code(gb_original[index])
            if found is not None:
                entry = found
        table.append(PINNED.get(code, entry))
    return table


def write_source(path, table):
    held = sum(1 for entry in table if entry != NO_COUNTERPART)
    lines = [
        "// Generated file, do not edit. Regenerate from the repository root with:",
        "//   python3 tools/big5_table/generate.py src/text/big5_to_gb_table.cpp",
        f"// {held} of {len(table)} positions hold a GB2312 code; 0x2020 marks the rest.",
        "",
        '#include "text/cvcode.h"',
        "",
        "namespace veyra {",
        "",
        f"const uint16_t Big5ToGBTable[{len(table)}] = {{",
    ]
    for start in range(0, len(table), VALUES_PER_LINE):
        chunk = table[start:start + VALUES_PER_LINE]
        lines.append("    " + ", ".join(f"0x{entry:04X}" for entry in chunk) + ",")
    lines += ["};", "", "}  // namespace veyra", ""]
    with open(path, "w", encoding="ascii") as out:
        out.write("\n".join(lines))
    return held


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    default = os.path.join(root, "src", "launcher", "big5_to_gb_table.cpp")
    path = sys.argv[1] if len(sys.argv) > 1 else default
    held = write_source(path, build_table())
    print(f"{path}: {held} of {TABLE_SIZE} positions hold a GB2312 code")


if __name__ == "__main__":
    main()
