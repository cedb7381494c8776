#!/usr/bin/env python3
"""Makes the seed corpus of the metadata readers in fuzz/corpus, which the test rows of --date
take their photos and videos from: photos made by Debian's tools, movies made here, and damaged
or hostile files made from them. Each seed is named WHAT.EXPECTED,
EXPECTED being the date the readers must find (yyyyMMdd), a UTC moment (utcSECONDS) or "none";
the tests check each seed against its name, then every truncation of it and bytes changed in it.

    fuzz/make_corpus.py        # rewrites fuzz/corpus
"""
import os
import struct
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
ORIGINAL, DIGITIZED = "2019:07:04 05:30:00", "2018:02:03 04:05:06"


def photo(kind, original="", digitized="", offset=""):
    """An 8 by 8 gray photo made by Debian's tools (cjpeg, ppm2tiff, tiffcp, heif-enc), its dates
    written by exiftool as a camera writes them ("2019:07:04 05:30:00")."""
    with tempfile.TemporaryDirectory() as work:
        ppm, jpg, path = (os.path.join(work, name) for name in ("gray.ppm", "gray.jpg", "photo"))
        open(ppm, "wb").write(b"P6\n8 8\n255\n" + b"\x80" * 192)
        subprocess.run(["cjpeg", "-outfile", jpg, ppm], check=True)
        steps = {"jpeg": [["cp", jpg, path]], "tiff": [["ppm2tiff", ppm, path]],
                 "tiff-mm": [["ppm2tiff", ppm, jpg], ["tiffcp", "-B", jpg, path]],
                 "heic": [["heif-enc", "-o", path, jpg]]}[kind]
        for step in steps:
            subprocess.run(step, check=True, stdout=subprocess.DEVNULL)
        tags = [f"-{tag}={value}" for tag, value in (("DateTimeOriginal", original),
                ("CreateDate", digitized), ("OffsetTimeOriginal", offset)) if value]
        if tags:
            subprocess.run(["exiftool", "-q", "-q", "-overwrite_original", *tags, path], check=True)
        return open(path, "rb").read()


def box(kind, payload, version=None):
    if version is not None:
        payload = struct.pack(">I", version << 24) + payload
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def exif_segment(jpeg):
    """The contents of a JPEG's APP1 EXIF segment: "Exif\\0\\0" and the TIFF data."""
    at = jpeg.index(b"\xff\xe1")
    return jpeg[at + 4:at + 2 + struct.unpack(">H", jpeg[at + 2:at + 4])[0]]


def heif(item, method, iloc_version=1, entries=None, length=None):
    """A HEIF file whose only item is EXIF, in "idat" (method 1) or after the meta box (0);
    `entries`: item locations of their own, after the sizes of their fields."""
    infe = box(b"infe", struct.pack(">HH4s", 1, 0, b"Exif"), 2)
    iinf = box(b"iinf", struct.pack(">H", 1) + infe, 0)
    head = box(b"ftyp", b"heic\0\0\0\0mif1heic")
    wide = iloc_version == 2
    def iloc(offset):
        entry = struct.pack(">IHHIHII" if wide else ">HHHIHII", 1, method, 0, 0, 1, offset,
                            len(item) if length is None else length)
        body = entries or struct.pack(">HI" if wide else ">HH", 0x4440, 1) + entry
        return box(b"iloc", body, iloc_version)
    idat = box(b"idat", item) if method == 1 else b""
    meta_size = len(box(b"meta", iinf + iloc(0) + idat, 0))
    meta = box(b"meta", iinf + iloc(0 if method == 1 else len(head) + meta_size + 8) + idat, 0)
    return head + meta + (box(b"mdat", item) if method == 0 else b"")


def movie(created, version=0, before=b""):
    times = struct.pack(">QQIQ" if version else ">IIII", created, 0, 1000, 0)
    mvhd = box(b"mvhd", times + b"\0" * 80, version)
    return box(b"ftyp", b"qt  \0\0\0\0qt  ") + before + box(b"moov", mvhd)


def seeds():
    jpeg, heic = photo("jpeg", ORIGINAL, "", "+09:00"), photo("heic", ORIGINAL)
    tiff, digitized = photo("tiff", ORIGINAL), photo("jpeg", "", DIGITIZED)
    segment = exif_segment(jpeg)
    item = struct.pack(">I", 6) + segment
    comment = b"\xff\xfe" + struct.pack(">H", 65000) + b"c" * 64998
    yield "jpeg.20190704", jpeg
    yield "jpeg_digitized.20180203", digitized
    yield "jpeg_no_exif.none", photo("jpeg")
    yield "jpeg_exif_past_the_head.20190704", jpeg[:2] + comment + jpeg[2:]
    yield "jpeg_fill_bytes.20190704", jpeg[:2] + b"\xff\xff" + jpeg[2:]
    yield "jpeg_truncated_in_exif.none", jpeg[:60]
    yield "jpeg_segment_past_the_end.none", jpeg[:2] + b"\xff\xe1\xff\xff" + segment[:40]
    yield "jpeg_exif_offsets_past_the_end.none", (jpeg[:2] + b"\xff\xe1\x00\x16" + segment[:6] +
                                                  b"MM\x00\x2a\x7f\xff\xff\xff" + b"\0" * 4)
    yield "tiff.20190704", tiff
    yield "tiff_big_endian.20190704", photo("tiff-mm", ORIGINAL)
    yield "tiff_raw_mark.20190704", tiff[:2] + b"RO" + tiff[4:]
    yield "tiff_ifd_loop.none", b"II\x2a\x00\x08\x00\x00\x00\x01\x00\x69\x87\x04\x00\x01\x00" \
                                b"\x00\x00\x08\x00\x00\x00\x00\x00\x00\x00"
    yield "heic.20190704", heic
    yield "heic_exif_in_idat.20190704", heif(item, 1)
    yield "heic_exif_in_mdat.20190704", heif(item, 0)
    yield "heic_exif_without_header.20190704", heif(struct.pack(">I", 0) + segment[6:], 1)
    yield "heic_exif_in_another_item.none", heif(item, 2)
    yield "heic_iloc_version_2.20190704", heif(item, 1, iloc_version=2)
    yield "heic_extent_to_the_end.20190704", heif(item, 1, length=0)
    # Fields of no width: 500 items of 65,535 extents each that take no bytes.
    yield "heic_iloc_without_widths.none", heif(item, 1, entries=struct.pack(">HH", 0, 0xFFFF) +
                                                struct.pack(">HHHH", 2, 1, 0, 0xFFFF) * 500)
    yield "heic_header_offset_past_the_end.none", heif(struct.pack(">I", 0xFFFFFFF0) + segment, 1)
    yield "mp4.utc1562293800", movie(3645138600)
    yield "mp4_version_1.utc1562293800", movie(3645138600, version=1)
    yield "mp4_created_0.none", movie(0)
    yield "mp4_past_9999.none", movie(2 ** 63, version=1)
    yield "mp4_movie_past_the_head.utc1562293800", movie(3645138600, before=box(b"mdat", bytes(70000)))
    yield "mp4_large_size.utc1562293800", movie(3645138600, before=struct.pack(">I4sQ", 1, b"free", 16))
    yield "mp4_box_smaller_than_its_header.none", movie(3645138600, before=struct.pack(">I4s", 4, b"free"))
    yield "mp4_movie_as_32nd_box.utc1562293800", movie(3645138600, before=box(b"free", b"") * 30)
    yield "mp4_movie_as_33rd_box.none", movie(3645138600, before=box(b"free", b"") * 31)
    yield "mp4_unknown_first_box.none", box(b"abcd", b"") + movie(3645138600)
    yield "mp4_box_to_the_end.none", box(b"ftyp", b"isom") + struct.pack(">I4s", 0, b"mdat") + bytes(64)
    yield "empty.none", b""
    yield "text.none", b"not a photo\n"


def main():
    os.makedirs(CORPUS, exist_ok=True)
    for name in os.listdir(CORPUS):
        os.remove(os.path.join(CORPUS, name))
    for name, data in seeds():
        with open(os.path.join(CORPUS, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
