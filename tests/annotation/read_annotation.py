"""Reads a drawing written by the annotation tests and prints what an
independent DXF reader finds in its annotation blocks, one line per entity,
so the C++ test can compare it with what it placed."""
import sys

import ezdxf


def fmt(v):
    return "%.6g" % (0.0 if abs(v) < 5e-12 else v)


def pt(p):
    return ",".join(fmt(c) for c in (p[0], p[1], p[2]))


def main(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print("audit errors %d" % len(auditor.errors))
    for ref in doc.modelspace().query("INSERT"):
        if not ref.dxf.name.startswith("MWNT"):
            continue
        print("INSERT %s %s %s" % (ref.dxf.name, ref.dxf.layer, pt(ref.dxf.insert)))
        block = doc.blocks.get(ref.dxf.name)
        print("BASE %s" % pt(block.block.dxf.base_point))
        for e in block:
            common = "%s %s %d %s %d" % (e.dxftype(), e.dxf.layer, e.dxf.color,
                                         e.dxf.linetype, e.dxf.lineweight)
            kind = e.dxftype()
            if kind == "LINE":
                print(common, pt(e.dxf.start), pt(e.dxf.end))
            elif kind == "TEXT":
                print(common, pt(e.dxf.insert), fmt(e.dxf.height), fmt(e.dxf.width),
                      e.dxf.style, e.dxf.text)
            elif kind == "ELLIPSE":
                print(common, pt(e.dxf.center), pt(e.dxf.major_axis), fmt(e.dxf.ratio),
                      fmt(e.dxf.start_param), fmt(e.dxf.end_param))
            else:
                print(common)


if __name__ == "__main__":
    main(sys.argv[1])
