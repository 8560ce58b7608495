#!/usr/bin/python3
"""Writes a large R2018 drawing that follows the tagging convention.

  make_big_dxf.py OUT.dxf [--mb 100]

ezdxf writes the tables and the block definitions (KK-, RT-, RBS-, RBT-
blocks with POINTs on QZ_CONNECT); the model space is then written directly,
because building hundreds of thousands of entities through ezdxf would take
longer than the measurements it is meant for. Entities: INSERTs carrying
QZ_LINK and QZ_ATTR xdata, with a LINE and a TEXT between them.
"""
import argparse
import io
import random

import ezdxf


def template():
    doc = ezdxf.new("R2018")
    for name in ("QZ_LINK", "QZ_ATTR", "QZ_CABLEINFO"):
        doc.appids.new(name)
    doc.layers.add("QZ_CONNECT", color=3)
    doc.layers.add("電気", color=1)
    blocks = []
    for prefix, count, points in (("KK-MCC", 50, [(0, 0), (5, 0)]), ("RT-", 200, [(0, 0), (10, 0)]),
                                  ("RBS-", 20, [(0, 0), (0, 5)]), ("RBT-", 20, [(0, 0), (5, 0), (0, 5)])):
        for i in range(count):
            name = "%s%04d" % (prefix, i) if prefix == "RT-" else "%s%02d" % (prefix, i)
            block = doc.blocks.new(name)
            block.add_line((0, 0), (5, 5))
            for p in points:
                block.add_point(p, dxfattribs={"layer": "QZ_CONNECT"})
            blocks.append((name, 0 if prefix == "KK-MCC" else 3))
    stream = io.StringIO()
    doc.write(stream)
    return stream.getvalue(), doc, blocks


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--mb", type=float, default=100)
    args = parser.parse_args()
    text, doc, blocks = template()
    msp_owner = doc.modelspace().block_record_handle
    seed = int(doc.header["$HANDSEED"], 16)
    start = text.index("  0\nSECTION\n  2\nENTITIES\n")
    body_start = start + len("  0\nSECTION\n  2\nENTITIES\n")
    head, tail = text[:body_start], text[body_start:]
    target = int(args.mb * 1024 * 1024) - len(text)
    rnd = random.Random(1)
    out = []
    size = 0
    handle = seed
    n = 0
    while size < target:
        name, kind = blocks[n % len(blocks)]
        x, y = rnd.uniform(0, 100000), rnd.uniform(0, 100000)
        attrs = "".join("1000\n%s\n" % a for a in (
            "S304|%d|1|1|99|1|" % rnd.choice((1500, 2500, 4000)),
            "CB03|C-%05d|1|1|99|1|" % n, "CB08|W-%05d,W-%05d|1|1|99|1|" % (n, n + 1),
            "ETAT|盤%d|1|1|99|1|" % (n % 7)))
        entity = ("  0\nINSERT\n  5\n%X\n330\n%s\n100\nAcDbEntity\n  8\n電気\n100\nAcDbBlockReference\n"
                  "  2\n%s\n 10\n%.4f\n 20\n%.4f\n 30\n0.0\n 50\n%d\n"
                  "1001\nQZ_LINK\n1070\n%d\n1001\nQZ_ATTR\n%s"
                  "  0\nLINE\n  5\n%X\n330\n%s\n100\nAcDbEntity\n  8\n0\n 62\n%d\n100\nAcDbLine\n"
                  " 10\n%.4f\n 20\n%.4f\n 30\n0.0\n 11\n%.4f\n 21\n%.4f\n 31\n0.0\n"
                  "  0\nTEXT\n  5\n%X\n330\n%s\n100\nAcDbEntity\n  8\n0\n100\nAcDbText\n"
                  " 10\n%.4f\n 20\n%.4f\n 30\n0.0\n 40\n2.5\n  1\nケーブル %d\n100\nAcDbText\n") % (
            handle, msp_owner, name, x, y, rnd.choice((0, 90, 180, 270)), kind, attrs,
            handle + 1, msp_owner, 1 + n % 7, x, y, x + 10, y,
            handle + 2, msp_owner, x, y + 5, n)
        handle += 3
        n += 1
        out.append(entity)
        size += len(entity.encode("utf-8"))
    text = head + "".join(out) + tail
    seed_text = "  9\n$HANDSEED\n  5\n%X\n" % seed
    text = text.replace(seed_text, "  9\n$HANDSEED\n  5\n%X\n" % handle, 1)
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    print("%s: %d elements, %.1f MB" % (args.out, n, len(text.encode("utf-8")) / 1048576))


if __name__ == "__main__":
    main()
