#!/usr/bin/env python3
"""Writes the golden job files of tests/data/jobs byte by byte from the job file layout.

Independent of the program's own writer on purpose: the offsets below are the layout of the
options record and the job file, typed in once more, so a drift in the writer shows up.
"""
import os
import struct

SIGNATURE_A = b"SPXL-JOB-FILE-A"
SIGNATURE_B = b"SPXL-JOB-FILE-B"
RECORD = 7240
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "jobs")


def put_i16(rec, off, v):
    rec[off:off + 2] = struct.pack("<h", v)


def put_u32(rec, off, v):
    rec[off:off + 4] = struct.pack("<I", v)


def put_text(rec, off, width, text):
    data = text.encode("cp1252")
    assert len(data) < width
    rec[off:off + width] = data + b"\0" * (width - len(data))


def base_record(language_in_file):
    """A record as the program's defaults leave it, with the job's own choices on top."""
    rec = bytearray(RECORD)
    put_i16(rec, 262, 1)      # writeDestination
    put_i16(rec, 266, 1)      # destinationPrint
    put_i16(rec, 798, language_in_file)
    put_i16(rec, 1072, 1)     # collate
    put_i16(rec, 2130, 1)     # freeformColor
    put_i16(rec, 2134, 1)     # notPamphlet
    put_i16(rec, 2138, 88)    # pamphletPages
    put_i16(rec, 2400, 4)     # outputExit
    put_i16(rec, 3230, 5)     # proofSetMinutes
    put_i16(rec, 3234, 2)     # proofSetAction
    put_i16(rec, 3238, 1)     # printRange
    put_i16(rec, 4044, 1)
    put_u32(rec, 6960, 1)     # activePage
    put_u32(rec, 7232, 1)     # copies
    return rec


def names_block(names):
    out = b""
    for n in names:
        data = n.encode("cp1252")
        out += data + b"\0" * (256 - len(data))
    return out


def exception(name, pages, position, kind):
    return (name.encode("cp1252").ljust(256, b"\0") + pages.encode("cp1252").ljust(256, b"\0")
            + struct.pack("<hh", position, kind))


def job_file(signature, version, record_bytes, tail=b""):
    return signature + struct.pack("<HH", 26, version) + bytes(record_bytes) + tail


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    six = ["A4 Recycled 80", "A4 Plain 80", "A4 Cover 250", "A4 Plain 80", "A4 Blue 80", "A4 Pink 80"]
    exceptions = [exception("A4 Yellow 80", "1-3", 4, 1), exception("A4 Tab 5-cut 160", "5,^9,last", 10, 2)]

    # Version 5: a PCL job with three copies, duplex, covers, texts and two exceptions.
    rec = base_record(7)
    put_text(rec, 0, 256, "Account 4711")          # auxText
    put_i16(rec, 258, 0)                           # settingsMode
    put_i16(rec, 802, 1)                           # fileLanguage PCL
    put_i16(rec, 1068, 1)                          # plexMode duplex
    put_i16(rec, 1076, 3)                          # paperIndex
    put_i16(rec, 1084, 2)                          # mismatchHandling
    put_i16(rec, 1088, 1)                          # statusMode
    put_i16(rec, 1092, 1)                          # statusPaper (position 2)
    put_text(rec, 1100, 1028, "1,5,9")             # chapterPages
    put_i16(rec, 2400, 2)                          # outputExit
    put_i16(rec, 2408, 3)                          # stapleMode
    put_i16(rec, 2416, 3)                          # frontCover
    put_i16(rec, 2420, 7)                          # frontCoverPaper (position 8)
    put_i16(rec, 2428, 1)                          # backCoverPaper (position 2)
    put_i16(rec, 2436, 5)                          # headerPaper (position 6)
    put_i16(rec, 2444, 4)                          # separatorPaper (position 5)
    put_text(rec, 2452, 256, "Quarterly report")   # jobText1040
    put_text(rec, 3522, 256, "%%Custom: hello")    # customText
    put_text(rec, 3784, 256, "A4 Recycled 80")     # paperName
    put_i16(rec, 6916, 2)                          # colorMap0
    put_i16(rec, 6944, 1)                          # colorMap7
    put_u32(rec, 6964, 19)                         # paperCount
    put_i16(rec, 6968, 1)                          # trimEdges
    put_text(rec, 6972, 256, "ops@example.org")    # emailAddress
    put_u32(rec, 7232, 3)                          # copies
    tail = names_block(six) + struct.pack("<H", 2) + b"".join(exceptions) + struct.pack("<I", 2)
    write("v5.spx", job_file(SIGNATURE_B, 5, rec, tail))

    # Version 4: copies still in the old word; e-mail address kept; PostScript printer.
    rec = base_record(6)
    put_i16(rec, 1064, 4)                          # legacyCopies
    put_i16(rec, 1076, 2)
    put_text(rec, 3784, 256, "A4 Plain 80")
    put_text(rec, 6972, 256, "keep@example.org")
    put_i16(rec, 6968, 1)
    tail = names_block(["A4 Plain 80", "", "", "", "", ""]) + struct.pack("<H", 1) + exceptions[0] + struct.pack("<I", 1)
    write("v4.spx", job_file(SIGNATURE_A, 4, rec[:7232], tail))

    # Version 3: old exit and cover numbering, an e-mail address that the upgrade clears.
    rec = base_record(6)
    put_i16(rec, 1064, 2)                          # legacyCopies
    put_i16(rec, 1076, 2)
    put_i16(rec, 2400, 3)                          # outputExit 3 -> 6
    put_i16(rec, 2416, 1)                          # frontCover 1 -> 3
    put_i16(rec, 2424, 2)                          # backCover 2 -> 4
    put_text(rec, 3784, 256, "A4 Plain 80")
    tail = names_block(["A4 Plain 80", "", "", "", "", ""]) + struct.pack("<H", 0) + struct.pack("<I", 5)
    write("v3.spx", job_file(SIGNATURE_B, 3, rec[:6968], tail))

    # Version 2: names and exceptions but no printer queue position.
    rec = base_record(7)
    put_i16(rec, 1064, 1)
    put_i16(rec, 1076, 4)
    put_text(rec, 3784, 256, "A4 Yellow 80")
    tail = names_block(["A4 Yellow 80", "", "", "", "", ""]) + struct.pack("<H", 1) + exceptions[1]
    write("v2.spx", job_file(SIGNATURE_B, 2, rec[:6968], tail))

    # Version 1: the record alone.
    rec = base_record(7)
    put_i16(rec, 1064, 7)
    put_i16(rec, 1076, 2)
    put_text(rec, 3784, 256, "A4 Plain 80")
    write("v1.spx", job_file(SIGNATURE_B, 1, rec[:6968]))


if __name__ == "__main__":
    main()
