#!/usr/bin/python3
"""Writes a synthetic plant drawing for WireBinder: a DXF with tagged
equipment and tray elements, a matching cable list (CP932) and the
CablelistDefine.ini that describes its columns.

Tagging, as the authoring tools leave it:
  * every element is an INSERT in model space; the block name is the part ID
    (KK-xxx equipment, RT-xxxx wires, RBS-xx risers, RBT-xx tees);
  * connection points are POINT entities on layer QZ_CONNECT inside the
    block definition; the rest of a block is drawn on layer 0 by block
    (colour and lineweight), so an element shows the colour and lineweight
    set on its INSERT, which stands on layer QZ_TRAY or QZ_EQUIP;
  * xdata QZ_LINK holds the root kind as the first 1070 group
    (0 equipment, 3 parts);
  * xdata QZ_ATTR holds one 1000 string per attribute "KEY|VALUE|1|1|99|1|"
    (S225 equipment length in metres, S304 wire length in millimetres,
    S401 level in millimetres); with --marked, equipment also carries
    CB01 (mark), CB02 (name), CB00 (sub-number) and CB11 (facility).

Usage: make_plant.py [--elements N] [--cables N] [--seed N]
                     [--facility F] [--marked] OUTPUT_FOLDER
"""

import argparse
import os
import random
import sys

import ezdxf

CONNECT_LAYER = "QZ_CONNECT"
SPACING = 3000.0
ARM = 50.0
# Colour 0 and lineweight -2: by block.
BY_BLOCK = {"layer": "0", "color": 0, "lineweight": -2}


def attr(key, value):
    return (1000, "%s|%s|1|1|99|1|" % (key, value))


class Plant:
    def __init__(self, args):
        self.args = args
        self.rnd = random.Random(args.seed)
        self.doc = ezdxf.new("R2018")
        for app in ("QZ_LINK", "QZ_ATTR"):
            self.doc.appids.add(app)
        self.doc.layers.add(CONNECT_LAYER, color=1)
        self.doc.layers.add("QZ_TRAY", color=3)
        self.doc.layers.add("QZ_EQUIP", color=5)
        self.msp = self.doc.modelspace()
        self.equipment = []   # (mark, name, subno)
        self.joints = []      # points where equipment may stand
        self.count = 0

    # Block definitions -----------------------------------------------------
    def wire_block(self, length):
        name = "RT-%04d" % int(round(length))
        if name not in self.doc.blocks:
            blk = self.doc.blocks.new(name)
            blk.add_line((0, 0), (length, 0), dxfattribs=BY_BLOCK)
            blk.add_point((0, 0), dxfattribs={"layer": CONNECT_LAYER})
            blk.add_point((length, 0), dxfattribs={"layer": CONNECT_LAYER})
        return name

    def junction_block(self, riser):
        name = "RBS-01" if riser else "RBT-01"
        if name not in self.doc.blocks:
            blk = self.doc.blocks.new(name)
            blk.add_circle((0, 0), ARM, dxfattribs=BY_BLOCK)
            for x, y in ((ARM, 0), (-ARM, 0), (0, ARM), (0, -ARM)):
                blk.add_point((x, y), dxfattribs={"layer": CONNECT_LAYER})
        return name

    def equipment_block(self, index):
        name = "KK-%03d" % index
        blk = self.doc.blocks.new(name)
        blk.add_lwpolyline([(0, 0), (400, 0), (400, 300), (0, 300)], close=True,
                           dxfattribs=BY_BLOCK)
        # The terminal is the block's base point.
        blk.add_point((0, 0), dxfattribs={"layer": CONNECT_LAYER})
        return name

    # Elements ----------------------------------------------------------------
    def insert(self, block, position, rotation, root_kind, attrs):
        layer = "QZ_EQUIP" if root_kind == 0 else "QZ_TRAY"
        ref = self.msp.add_blockref(block, position, dxfattribs={"rotation": rotation, "layer": layer})
        ref.set_xdata("QZ_LINK", [(1070, root_kind)])
        ref.set_xdata("QZ_ATTR", [attr(k, v) for k, v in attrs])
        self.count += 1
        return ref

    def level(self):
        return str(self.rnd.randint(0, 40) * 100)

    def build(self):
        a = self.args
        per_junction = 1.0 + 2.0 * 0.8 * 2.0 + 0.15
        side = max(2, int((a.elements / per_junction) ** 0.5 + 0.999))
        height = max(2, a.elements // int(per_junction) // side + 1)
        placed = set()

        def centre(i, j):
            return (i * SPACING, j * SPACING)

        def junction(i, j):
            if (i, j) in placed:
                return
            placed.add((i, j))
            riser = self.rnd.random() < 0.2
            self.insert(self.junction_block(riser), centre(i, j), 0, 3, [("S401", self.level())])

        def run(i, j, horizontal):
            cx, cy = centre(i, j)
            if horizontal:
                start, end, rot = (cx + ARM, cy), (cx + SPACING - ARM, cy), 0
            else:
                start, end, rot = (cx, cy + ARM), (cx, cy + SPACING - ARM), 90
            pieces = self.rnd.randint(1, 3)
            total = SPACING - 2 * ARM
            piece = total / pieces
            for k in range(pieces):
                t = k / pieces
                pos = (start[0] + (end[0] - start[0]) * t, start[1] + (end[1] - start[1]) * t)
                s304 = self.rnd.randint(2, 40) * 50
                kind = 3 if self.rnd.random() > 1 / 60 else self.rnd.choice((1, 2))
                self.insert(self.wire_block(piece), pos, rot, kind,
                            [("S304", str(s304)), ("S401", self.level())])
                t2 = (k + 1) / pieces
                self.joints.append((start[0] + (end[0] - start[0]) * t2,
                                    start[1] + (end[1] - start[1]) * t2))

        for j in range(height):
            for i in range(side):
                if i + 1 < side and self.rnd.random() < 0.8:
                    junction(i, j)
                    junction(i + 1, j)
                    run(i, j, True)
                if j + 1 < height and self.rnd.random() < 0.8:
                    junction(i, j)
                    junction(i, j + 1)
                    run(i, j, False)

        count = max(2, a.elements // 12)
        for k in range(count):
            mark = "E%04d" % (k + 1)
            name = "機器%d" % (k + 1)
            subno = str(self.rnd.randint(1, 3))
            if self.rnd.random() < 0.05 or not self.joints:
                pos = (-10000.0 - 1000 * k, -10000.0)  # standing alone: no route
            else:
                pos = self.rnd.choice(self.joints)
            attrs = [("S225", "%.1f" % (self.rnd.randint(0, 30) / 10)), ("S401", self.level())]
            if a.marked:
                attrs += [("CB01", mark), ("CB02", name), ("CB00", subno), ("CB11", a.facility)]
            self.insert(self.equipment_block(k + 1), pos, 0, 0, attrs)
            self.equipment.append((mark, name, subno))

    def cables(self):
        rows = []
        for k in range(self.args.cables):
            f = self.rnd.choice(self.equipment)
            t = self.rnd.choice(self.equipment)
            size = self.rnd.choice(("CVV", "CV", "VCT"))
            cross = self.rnd.choice(("2", "3.5", "5.5", "8"))
            cores = self.rnd.choice(("2C", "3C", "4C"))
            rows.append(["C%05d" % (k + 1), size, cross, cores, f[0], f[1], f[2], t[0], t[1], t[2], ""])
        return rows


def write_text(path, lines, what):
    tmp = path + ".tmp"
    try:
        with open(tmp, "w", encoding="cp932", newline="\r\n") as out:
            for line in lines:
                out.write(line + "\n")
        os.replace(tmp, path)
    except (OSError, UnicodeEncodeError) as error:
        if os.path.exists(tmp):
            os.remove(tmp)
        sys.exit("%s: cannot write %s: %s" % (path, what, error))


def main():
    parser = argparse.ArgumentParser(description="Write a synthetic WireBinder plant.")
    parser.add_argument("output", help="folder for plant.dxf, cablelist.csv, CablelistDefine.ini")
    parser.add_argument("--elements", type=int, default=2000)
    parser.add_argument("--cables", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--facility", default="設備A")
    parser.add_argument("--marked", action="store_true",
                        help="mark the equipment (CB01, CB02, CB00, CB11)")
    args = parser.parse_args()
    if args.elements < 10 or args.cables < 0:
        parser.error("--elements must be 10 or more and --cables not negative")
    os.makedirs(args.output, exist_ok=True)

    plant = Plant(args)
    plant.build()
    rows = plant.cables()

    dxf_path = os.path.join(args.output, "plant.dxf")
    tmp = dxf_path + ".tmp"
    try:
        plant.doc.saveas(tmp)
        os.replace(tmp, dxf_path)
    except OSError as error:
        sys.exit("%s: cannot write the drawing: %s" % (dxf_path, error))

    header = "番号,種類,断面積,芯数,From記号,From名称,From副番,To記号,To名称,To副番,長さ"
    write_text(os.path.join(args.output, "cablelist.csv"),
               [header] + [",".join(r) for r in rows], "the cable list")
    write_text(os.path.join(args.output, "CablelistDefine.ini"), [
        "[WireBinder]", "NO=1", "SIZE=2,3,4", "FROM_MARK=5", "FROM_NAME=6", "FROM_NO=7",
        "TO_MARK=8", "TO_NAME=9", "TO_NO=10", "DIST=11",
        "[StartRow]", "RowNumber=2",
    ], "the definition file")
    print("%s: %d elements, %d equipment, %d cables" %
          (args.output, plant.count, len(plant.equipment), len(rows)))


if __name__ == "__main__":
    main()
