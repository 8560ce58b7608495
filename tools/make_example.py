#!/usr/bin/python3
"""Writes the sample project of examples/: a small plant drawing tagged the
way the authoring tools tag it, its cable list (CP932) and the definition
file. Run again to regenerate; the output is deterministic."""
import argparse
import os

import ezdxf

ROOT_KIND = {"equipment": 0, "part": 3}


def attr(key, value):
    return f"{key}|{value}|1|1|99|1|"


class Plant:
    def __init__(self):
        self.doc = ezdxf.new("R2018")
        self.doc.header["$DWGCODEPAGE"] = "ANSI_932"
        self.doc.header["$DIMSCALE"] = 1.0
        for app in ("QZ_LINK", "QZ_ATTR"):
            self.doc.appids.add(app)
        self.doc.layers.add("QZ_CONNECT", color=1)
        self.doc.layers.add("機器", color=3)
        self.doc.layers.add("ケーブルラック", color=4)
        self.msp = self.doc.modelspace()
        self.count = 0

    def block(self, name, points, outline):
        blk = self.doc.blocks.new(name)
        for p in points:
            blk.add_point(p, dxfattribs={"layer": "QZ_CONNECT"})
        # Drawn "by block", so a reference's own colour and lineweight (the
        # route confirmation's highlight) show on its outline.
        blk.add_lwpolyline(outline, close=len(outline) > 2,
                           dxfattribs={"color": 0, "lineweight": -2})
        return name

    def insert(self, name, at, layer, kind, entries):
        ref = self.msp.add_blockref(name, at, dxfattribs={"layer": layer})
        ref.set_xdata("QZ_LINK", [(1070, ROOT_KIND[kind])])
        ref.set_xdata("QZ_ATTR", [(1000, e) for e in entries])
        return ref

    def wire(self, a, b, level=0):
        self.count += 1
        name = f"RT-{self.count:04d}"
        dx, dy, dz = b[0] - a[0], b[1] - a[1], b[2] - a[2]
        self.block(name, [(0, 0, 0), (dx, dy, dz)], [(0, 0), (dx, dy)])
        length = round((dx * dx + dy * dy + dz * dz) ** 0.5)
        self.insert(name, a, "ケーブルラック", "part",
                    [attr("S304", length), attr("S401", level)])

    def fitting(self, prefix, at, points, level=0):
        self.count += 1
        name = f"{prefix}-{self.count:02d}"
        rel = [(p[0] - at[0], p[1] - at[1], p[2] - at[2]) for p in points]
        self.block(name, rel, [(-150, -150), (150, -150), (150, 150), (-150, 150)])
        self.insert(name, at, "ケーブルラック", "part", [attr("S401", level)])

    def equipment(self, block, at, mark, name, sub, facility, s225, level):
        if block not in self.doc.blocks:
            self.block(block, [(0, 0, 0)], [(-400, -300), (400, -300), (400, 300), (-400, 300)])
        entries = [attr("S225", s225), attr("S401", level)]
        if mark:
            entries += [attr("CB01", mark), attr("CB02", name), attr("CB00", sub),
                        attr("CB11", facility)]
        self.insert(block, at, "機器", "equipment", entries)
        self.msp.add_text(mark or "(未設定)", height=250,
                          dxfattribs={"layer": "機器", "insert": (at[0] - 400, at[1] + 400)})


def build(out_dir):
    fac = "第1設備"
    p = Plant()
    # Main tray from the switchboard eastwards, with a tee at 6000 and a
    # riser up to the second floor at 12000; a longer bypass loop south of
    # the trunk makes the shortest route matter.
    p.equipment("KK-MCC", (0, 0, 0), "MCC1", "動力制御盤", "1", fac, 1.5, 0)
    p.wire((0, 0, 0), (3000, 0, 0))
    p.wire((3000, 0, 0), (5850, 0, 0))
    p.fitting("RBT", (6000, 0, 0), [(5850, 0, 0), (6150, 0, 0), (6000, 150, 0)])
    p.wire((6150, 0, 0), (9000, 0, 0))
    p.wire((9000, 0, 0), (11850, 0, 0))
    p.fitting("RBS", (12000, 0, 0), [(11850, 0, 0), (12000, 0, 3000)])
    p.wire((12000, 0, 3000), (12000, 4000, 3000), level=3000)
    p.equipment("KK-FAN", (12000, 4000, 3000), "F-201", "排気ファン", "1", fac, 0.5, 3500)
    # Branch north from the tee to the pumps.
    p.wire((6000, 150, 0), (6000, 3000, 0))
    p.wire((6000, 3000, 0), (6000, 6000, 0))
    p.equipment("KK-PUMP", (6000, 6000, 0), "P-101", "冷却水ポンプ", "1", fac, 0.8, 200)
    p.wire((6000, 3000, 0), (9000, 3000, 0))
    p.equipment("KK-PUMP", (9000, 3000, 0), "P-101", "冷却水ポンプ", "2", fac, 0.8, 200)
    # Bypass: MCC1 south and round to the trunk at 9000 (longer than the trunk).
    p.wire((0, 0, 0), (0, -3000, 0))
    p.wire((0, -3000, 0), (9000, -3000, 0))
    p.wire((9000, -3000, 0), (9000, 0, 0))
    # A motor at the far end of the trunk's bypass corner.
    p.wire((9000, -3000, 0), (13000, -3000, 0))
    p.equipment("KK-MOTOR", (13000, -3000, 0), "M-301", "攪拌機モータ", "", fac, 1.0, 500)
    # The lighting panel sits on the trunk at 3000: cables may end there but
    # no route passes through it.
    p.equipment("KK-LP", (3000, 0, 0), "LP1", "照明分電盤", "1", fac, 0.3, 1200)
    # An unmarked panel (its cable is skipped) and one in another facility.
    p.equipment("KK-CP", (-3000, 0, 0), "", "", "", fac, 0.5, 0)
    p.equipment("KK-PUMP", (20000, 0, 0), "P-101", "冷却水ポンプ", "1", "第2設備", 0.8, 200)
    os.makedirs(out_dir, exist_ok=True)
    p.doc.saveas(os.path.join(out_dir, "plant.dxf"))


CABLES = """ケーブルリスト 第1設備,,,,,,,,,,
No,種類,断面積,心数,From記号,From名称,From副番,To記号,To名称,To副番,長さ(m)
C-001,CV,5.5,3C,MCC1,動力制御盤,1,P-101,冷却水ポンプ,1,
C-002,〃,〃,〃,MCC1,動力制御盤,1,P-101,冷却水ポンプ,2,
C-003,CV,14,3C,MCC1,動力制御盤,1,F-201,排気ファン,1,
C-004,CVV,2,4C,MCC1,動力制御盤,1,M-301,攪拌機モータ,,
#予備,,,,,,,,,,
C-005,CV,2,2C,LP1,照明分電盤,1,P-101,冷却水ポンプ,1,
C-006,CV,2,2C,MCC1,動力制御盤,1,CP1,制御盤,1,
C-007,IV,5.5,1C,P-101,冷却水ポンプ,1,P-101,冷却水ポンプ,2,
"""

DEFINE = """[WireBinder]
NO=1
SIZE=2,3,4
FROM_MARK=5
FROM_NAME=6
FROM_NO=7
TO_MARK=8
TO_NAME=9
TO_NO=10
DIST=11

[StartRow]
RowNumber=3

[ListColumnNumber]
NO=1
SIZE=2
FROM_MARK=3
FROM_NO=4
TO_MARK=5
TO_NO=6
DIST=7
"""


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "examples"))
    args = ap.parse_args()
    build(args.out)
    with open(os.path.join(args.out, "cables.csv"), "wb") as f:
        f.write(CABLES.replace("\n", "\r\n").encode("cp932"))
    project = os.path.join(args.out, "projects")
    os.makedirs(os.path.join(project, "PLANT1", "第1設備"), exist_ok=True)
    with open(os.path.join(project, "CablelistDefine.ini"), "wb") as f:
        f.write(DEFINE.replace("\n", "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
