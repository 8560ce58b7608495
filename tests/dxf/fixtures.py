#!/usr/bin/python3
"""Drawings for the DXF tests, written and read back with ezdxf.

  fixtures.py make OUTDIR    write the tagged drawings of every version
  fixtures.py check FILE     print what ezdxf reads, one fact per line
"""
import os
import sys

import ezdxf

VERSIONS = ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]
LONG_ENTRY = "CB08|" + ",".join("C-%03d" % i for i in range(60)) + "|1|1|99|1|"


def add_blocks(doc):
    points = {
        "KK-MCC1": [(0, 0, 0), (5, 0, 0)],
        "RT-0001": [(0, 0, 0), (10, 0, 0)],
        "RBS-01": [(0, 0, 0), (0, 0, 5)],
        "RBT-01": [(0, 0, 0), (5, 0, 0), (0, 5, 0)],
    }
    for name, pts in points.items():
        block = doc.blocks.new(name, base_point=(1, 1, 0) if name == "RT-0001" else (0, 0, 0))
        block.add_line((0, 0), (5, 5), dxfattribs={"layer": "0"})
        for p in pts:
            block.add_point(p, dxfattribs={"layer": "QZ_CONNECT"})
    doc.blocks.new("TAGGED").add_attdef("TAG", (0, 0))


def make(path, version, codepage=None):
    doc = ezdxf.new(version)
    if codepage:
        doc.header["$DWGCODEPAGE"] = codepage
        doc.encoding = "cp932"
    # A 1252 drawing could only hold the Japanese layer name as escapes,
    # which are not valid in layer names.
    japanese = codepage or version >= "R2007"
    elec = "電気" if japanese else "ELEC"
    for name in ("QZ_LINK", "QZ_ATTR", "QZ_CABLEINFO"):
        doc.appids.new(name)
    doc.layers.add("QZ_CONNECT", color=3)
    doc.layers.add(elec, color=1)
    locked = doc.layers.add("LOCKED", color=5)
    locked.lock()
    add_blocks(doc)
    msp = doc.modelspace()
    mcc = msp.add_blockref("KK-MCC1", (100, 200, 0), dxfattribs={"layer": elec})
    mcc.set_xdata("QZ_LINK", [(1070, 0)])
    mcc.set_xdata("QZ_ATTR", [(1000, "S225|2.5|1|1|99|1|"), (1000, "CB01|盤A|1|1|99|1|")])
    wire = msp.add_blockref("RT-0001", (10, 20, 0),
                            dxfattribs={"rotation": 90, "xscale": 2, "yscale": 3, "zscale": 1})
    wire.set_xdata("QZ_LINK", [(1070, 3)])
    pieces = [LONG_ENTRY[i:i + 200] for i in range(0, len(LONG_ENTRY), 200)]
    wire.set_xdata("QZ_ATTR", [(1000, "S304|1500|1|1|99|1|"), (1002, "{")] +
                   [(1000, p) for p in pieces] + [(1002, "}")])
    riser = msp.add_blockref("RBS-01", (0, 0, 0))
    riser.set_xdata("QZ_LINK", [(1070, 3)])
    tee = msp.add_blockref("RBT-01", (50, 0, 0))
    tee.set_xdata("QZ_ATTR", [(1000, "S401|3000|1|1|99|1|")])
    msp.add_line((0, 0), (1, 1), dxfattribs={"layer": elec, "color": 2})
    msp.add_text("ケーブル", dxfattribs={"layer": elec})
    tagged = msp.add_blockref("TAGGED", (7, 7))
    tagged.add_attrib("TAG", "値", (7, 7))
    doc.layouts.get("Layout1").add_line((0, 0), (9, 9))
    doc.saveas(path)


def fmt(v):
    return "%g" % (0.0 if abs(v) < 5e-12 else v)


def pt(p):
    return ",".join(fmt(c) for c in p)


# What blocks and references draw, for the annotation tests.
SHAPES = {
    "INSERT": lambda e: e.dxf.name + " " + pt(e.dxf.insert),
    "LINE": lambda e: pt(e.dxf.start) + " " + pt(e.dxf.end),
    "TEXT": lambda e: " ".join([pt(e.dxf.insert), fmt(e.dxf.height), fmt(e.dxf.width), e.dxf.style, e.dxf.text]),
    "ELLIPSE": lambda e: " ".join([pt(e.dxf.center), pt(e.dxf.major_axis), fmt(e.dxf.ratio),
                                   fmt(e.dxf.start_param), fmt(e.dxf.end_param)]),
}


def check(path):
    doc = ezdxf.readfile(path)
    out = []
    out.append("HANDSEED %s" % doc.header.get("$HANDSEED", ""))
    for layer in doc.layers:
        out.append("LAYER %s color=%d locked=%d" % (layer.dxf.name, layer.color, int(layer.is_locked())))
    for app in doc.appids:
        out.append("APPID %s" % app.dxf.name)
    for block in doc.blocks:
        out.append("BLOCK %s base=%s" % (block.name, pt(block.block.dxf.base_point)))
        for e in block:
            out.append("BLOCKENTITY %s %s %s layer=%s owner=%s" % (
                block.name, e.dxftype(), e.dxf.handle, e.dxf.layer, e.dxf.get("owner", "")))
            if e.dxftype() in SHAPES:
                out.append("SHAPE %s %s %s %d %s %d %s" % (block.name, e.dxftype(), e.dxf.layer, e.dxf.color,
                                                          e.dxf.linetype, e.dxf.lineweight, SHAPES[e.dxftype()](e)))
    msp = doc.modelspace()
    for e in msp:
        line = "ENTITY %s %s layer=%s color=%d owner=%s" % (
            e.dxf.handle, e.dxftype(), e.dxf.layer, e.dxf.get("color", 256), e.dxf.get("owner", ""))
        if e.dxftype() == "INSERT":
            line += " block=%s" % e.dxf.name
        if e.dxftype() in ("LINE",):
            line += " start=%g,%g,%g" % tuple(e.dxf.start)
        out.append(line)
        if e.xdata:
            for app in e.xdata.data:
                values = ["%d:%s" % (code, value) for code, value in e.get_xdata(app)]
                out.append("XDATA %s %s %s" % (e.dxf.handle, app, " ".join(values)))
    out.append("AUDIT %d errors" % len(doc.audit().errors))  # last: the audit may repair
    sys.stdout.write("\n".join(out) + "\n")


def main():
    if sys.argv[1] == "make":
        outdir = sys.argv[2]
        os.makedirs(outdir, exist_ok=True)
        for version in VERSIONS:
            make(os.path.join(outdir, "tagged_%s.dxf" % version), version)
        make(os.path.join(outdir, "tagged_R2000_932.dxf"), "R2000", "ANSI_932")
        make(os.path.join(outdir, "tagged_R12_932.dxf"), "R12", "ANSI_932")
        # The same drawing with Windows line ends and with unpadded codes.
        with open(os.path.join(outdir, "tagged_R2013.dxf"), "rb") as f:
            data = f.read()
        with open(os.path.join(outdir, "crlf_R2013.dxf"), "wb") as f:
            f.write(data.replace(b"\n", b"\r\n"))
        lines = data.split(b"\n")
        for i in range(0, len(lines) - 1, 2):
            lines[i] = lines[i].strip()
        with open(os.path.join(outdir, "plain_R2013.dxf"), "wb") as f:
            f.write(b"\n".join(lines))
    elif sys.argv[1] == "check":
        check(sys.argv[2])
    else:
        sys.exit("usage: fixtures.py make OUTDIR | check FILE")


if __name__ == "__main__":
    main()
