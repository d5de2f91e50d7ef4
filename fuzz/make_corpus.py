#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/<target>/: a handful of small valid and edge inputs per
fuzz target, in the input layout that its LLVMFuzzerTestOneInput reads. Run it again after
changing a layout; the JPEG seeds need ImageMagick's convert."""

import gzip
import os
import shutil
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def raw_deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def member(data, flags=0, extra=b"", name=b"", comment=b""):
    header = bytes([0x1F, 0x8B, 8, flags]) + b"\0\0\0\0\0\3"
    if flags & 0x04:
        header += struct.pack("<H", len(extra)) + extra
    if flags & 0x08:
        header += name + b"\0"
    if flags & 0x10:
        header += comment + b"\0"
    if flags & 0x02:
        header += b"\xAB\xCD"
    trailer = struct.pack("<II", zlib.crc32(data), len(data) & 0xFFFFFFFF)
    return header + raw_deflate(data) + trailer


def gzip_seeds():
    # Three parameter bytes (read-ahead margin, arrival step, read piece), then the image.
    small_margin = b"\x00\x03\x05"
    text = b"Data\\Talk.Dat 12\r\n" * 20
    good = member(text)
    write("gzip", "empty", small_margin)
    write("gzip", "plain_text", small_margin + b"not gzip at all")
    write("gzip", "one_member", small_margin + good)
    write("gzip", "two_members_then_plain", small_margin + good + member(b"second") + b"tail")
    write("gzip", "all_header_fields",
          b"\x10\x01\x90" + member(b"abc", 0x1E, extra=b"x" * 300, name=b"a.txt", comment=b"c"))
    write("gzip", "empty_member", small_margin + member(b""))
    write("gzip", "bad_crc", small_margin + good[:-8] + bytes([good[-8] ^ 1]) + good[-7:])
    write("gzip", "cut_in_trailer", small_margin + good[:-3])
    write("gzip", "cut_in_data", small_margin + good[: len(good) // 2])
    write("gzip", "method_7", small_margin + b"\x1f\x8b\x07\x00" + good[4:])
    write("gzip", "reserved_flag", small_margin + b"\x1f\x8b\x08\x20" + good[4:])
    write("gzip", "magic_only", small_margin + b"\x1f")
    write("gzip", "python_gzip", b"\x08\x20\xff" + gzip.compress(bytes(range(256)) * 8, mtime=0))


DIRECTORY_SLOT = 89


def slot(start, end, name):
    s = struct.pack("<ii", start, end) + bytes([len(name)]) + name
    return s.ljust(DIRECTORY_SLOT, b"\0")


def archive_compact(data, count, slots):
    # Odd first byte: the short form (data size, data, start of the directory).
    directory = struct.pack("<i", count).ljust(DIRECTORY_SLOT, b"\0") + b"".join(slots)
    return b"\x01" + bytes([len(data)]) + data + directory


def archive_seeds():
    write("archive", "two_members",
          archive_compact(b"hello", 2, [slot(0, 5, b"a\\b.txt"), slot(5, 5, b"c.txt")]))
    write("archive", "same_file_two_cases",
          archive_compact(b"abcdef", 2, [slot(0, 3, b"Dir\\A.txt"), slot(2, 6, b"dir\\a.TXT")]))
    write("archive", "file_then_folder",
          archive_compact(b"xy", 2, [slot(0, 1, b"a"), slot(1, 2, b"a\\b")]))
    write("archive", "climbing_name", archive_compact(b"evil", 1, [slot(0, 4, b"a\\..\\..\\x")]))
    write("archive", "offsets_outside",
          archive_compact(b"abc", 2, [slot(-1, 2, b"a"), slot(2, 99, b"b")]))
    write("archive", "name_too_long", archive_compact(b"", 1, [struct.pack("<ii", 0, 0) + b"\x51"]))
    write("archive", "count_101", archive_compact(b"", 101, []))
    write("archive", "count_negative", archive_compact(b"", -5, []))
    write("archive", "short_block", b"\x00abc")


def update_list_seeds():
    # The update list, a NUL, the installation record.
    lst = (b"header\r\n"
           b"  E  a/b.gz   Data\\x.dat 12\r\n"
           b"O raw.bin raw.bin 3\r\n"
           b"C images.adf images.unadf 1\r\n"
           b"E index2.html.gz Index2.html 5\n"
           b"U 1 E x.gz y 1\r")
    write("update_list", "mixed", lst + b"\0AVWSEN\r\ndata\\X.DAT 11\r\nraw.bin 3\r\nDATA\\x.dat 99\r\n")
    write("update_list", "header_only_record", lst + b"\0AVWSEN\r\n")
    write("update_list", "no_record", lst)
    write("update_list", "text_versions",
          b"h\nE x.gz Data\\x.dat 111\nE y.gz y 10\nE z.gz z \xff\n\0h\nData\\x.dat 12\ny 9\nz\n")


def bmp(width, height, bits, pixels, colours_used=0, palette=b""):
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       colours_used, 0)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + palette + pixels


def bmp_seeds():
    palette = b"".join(bytes([i, i, i, 0]) for i in range(4))
    eight = bmp(2, 2, 8, b"\x00\x01\0\0\x02\x03\0\0", colours_used=4, palette=palette)
    write("bmp", "8bit_bottom_up", eight)
    write("bmp", "24bit_top_down", bmp(3, -2, 24, bytes(range(24))))
    write("bmp", "truncated_rows", eight[:-3])
    write("bmp", "colours_300", bmp(1, 1, 8, b"\0\0\0\0", colours_used=300))
    write("bmp", "not_bm", b"XX" + eight[2:])
    write("bmp", "4_bits", bmp(1, 1, 4, b"\0\0\0\0"))


def jpeg_seeds():
    with tempfile.TemporaryDirectory() as tmp:
        for name, args in [
            ("baseline_colour", ["-size", "8x6", "gradient:red-blue", "-quality", "40"]),
            ("progressive_grey", ["-size", "5x9", "gradient:", "-colorspace", "Gray",
                                  "-interlace", "JPEG", "-quality", "40"]),
            ("subsampled", ["-size", "17x3", "gradient:green-yellow", "-sampling-factor", "2x2",
                            "-quality", "30"]),
        ]:
            out = os.path.join(tmp, name + ".jpg")
            subprocess.run(["convert", *args, "-strip", out], check=True)
            with open(out, "rb") as f:
                data = f.read()
            write("jpeg", name, data)
            if name == "baseline_colour":
                write("jpeg", "truncated", data[: len(data) * 2 // 3])
                write("jpeg", "no_end_marker", data[:-2])
    write("jpeg", "markers_only", b"\xff\xd8\xff\xd9")


def local_name_seeds():
    # A byte for the code page, then the name.
    names = {
        "plain": b"\x00Data\\Sub\\x.dat",
        "climbing": b"\x00a\\..\\..\\x",
        "down_and_up": b"\x00data\\SUB\\..\\..\\File.txt",
        "dot_dot_first": b"\x00..\\x",
        "drive": b"\x00C:x",
        "unc": b"\x00\\\\host\\share",
        "slashes": b"\x00a/./b//c",
        "big5_5c": b"\x01\xb3\\..\\x",  # 0xB3 0x5C is one Big5 character
        "gbk_5c": b"\x02\x81\\..\\..\\x",
        "url_tricks": b"\x00@evil.example:81/#?x",
    }
    for name, data in names.items():
        write("local_name", name, data)


def line_files(isp1, language, web0, select, picks=b"\x05\x03\x01"):
    web0 = web0.rjust((len(web0) + 15) // 16 * 16, b" ")  # leading blanks change no field
    return bytes([len(isp1), language]) + isp1 + bytes([len(web0) // 16]) + web0 + \
        bytes([select]) + picks


def line_files_seeds():
    web0 = (b"LineA http://127.0.0.1:8080/ 80 30000\r\n"
            b"LineB   http://127.0.0.1:8081/a/ 80 30000\r\n"
            b"LineC http://127.0.0.1:8082/ x y\r\nend\r\n")
    write("line_files", "saved_second", line_files(b"1\r\n", 0, web0, 1))
    write("line_files", "saved_out_of_range", line_files(b"7\r\n", 1, web0, 3))
    write("line_files", "saved_letter", line_files(b"x", 0, web0, 0))
    write("line_files", "saved_signs", line_files(b"+2\n", 1, web0, 2))
    write("line_files", "no_isp1", line_files(b"", 0, web0, 9))
    write("line_files", "empty_web0", line_files(b"0\r\n", 0, b"", 0))
    write("line_files", "end_only", line_files(b"0", 1, b"end", 0))


def reply_head_seeds():
    heads = {
        "ok": b"HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: keep-alive\r\n\r\n",
        "continue_then_ok": b"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n",
        "chunked_with_trailer": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n"
                                b"Content-Length: 5\r\n\r\n",
        "http10_close": b"HTTP/1.0 404 Not Found\nCONNECTION:  Close \n\n",
        "huge_length": b"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n",
        "bad_length": b"HTTP/1.1 200 OK\r\nContent-Length: 1 2\r\nContent-Length:\t7\t\r\n\r\n",
        "no_status": b"Content-Length: 4\r\n\r\n",
        "partial": b"HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\nETag: \"5f-a\"\r\n"
                   b"Content-Range: bytes 4-9/10\r\nContent-Length: 6\r\n\r\n",
    }
    for name, data in heads.items():
        write("reply_head", name, data)


if __name__ == "__main__":
    shutil.rmtree(CORPUS, ignore_errors=True)
    gzip_seeds()
    archive_seeds()
    update_list_seeds()
    bmp_seeds()
    jpeg_seeds()
    local_name_seeds()
    line_files_seeds()
    reply_head_seeds()
