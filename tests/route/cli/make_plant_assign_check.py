#!/usr/bin/python3
"""Generates a small plant with tools/make_plant.py, assigns its cables with
the command-line host and checks what came out: the exported lengths, the
cable keys on the drawing (read back by ezdxf) and the route log. With
--sheets SHOTS (builds with Qt) also the route sheets of the same rows and a
plot, pages rendered to PNG in SHOTS.

  make_plant_assign_check.py WIREBINDER SOURCE_DIR WORK_DIR [--sheets SHOTS]
"""
import csv
import os
import re
import shutil
import subprocess
import sys

import ezdxf


def fail(message):
    sys.exit("make_plant_assign_check: " + message)


def main():
    wirebinder, source, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    root = os.path.join(work, "projects")
    project = os.path.join(root, "P1", "設備A")
    subprocess.run(["/usr/bin/python3", os.path.join(source, "tools", "make_plant.py"),
                    "--elements", "400", "--cables", "40", "--seed", "7", "--marked",
                    "--facility", "設備A", project], check=True)
    env = dict(os.environ, WIREBINDER_CONFIG=os.path.join(work, "wb.ini"),
               WIREBINDER_ENV_INI=os.path.join(work, "env.ini"))
    out_dxf = os.path.join(work, "assigned.dxf")
    run = subprocess.run([wirebinder, "assign", os.path.join(project, "plant.dxf"),
                          "--project-root", root, "--plant", "P1", "--facility", "設備A",
                          "--list", os.path.join(project, "cablelist.csv"), "-o", out_dxf,
                          "--export", "--log"], env=env, capture_output=True)
    if run.returncode != 0:
        fail("assign failed (%d): %s" % (run.returncode, run.stderr.decode("utf-8", "replace")))

    with open(os.path.join(project, "Cablelist.csv"), encoding="cp932") as f:
        rows = list(csv.reader(f))[1:]
    if len(rows) != 40:
        fail("export holds %d rows, not 40" % len(rows))
    routed = {r[0]: r for r in rows if r[10]}
    if len(routed) < 20:
        fail("only %d of 40 cables routed" % len(routed))

    doc = ezdxf.readfile(out_dxf)
    carriers = {}      # cable number -> elements carrying it
    equipment = {}     # (mark, name, subno) -> attributes
    for e in doc.modelspace().query("INSERT"):
        if not e.has_xdata("QZ_ATTR"):
            continue
        attrs = dict(v.split("|")[:2] for c, v in e.get_xdata("QZ_ATTR") if c == 1000)
        if "CB01" in attrs:
            equipment[(attrs["CB01"], attrs["CB02"], attrs["CB00"])] = attrs
        numbers = attrs.get("CB08", "").split(",") if "CB08" in attrs else []
        sizes = attrs.get("CB03", "").split(",") if "CB03" in attrs else []
        if len(numbers) != len(sizes):
            fail("%s: %d numbers but %d sizes" % (e.dxf.name, len(numbers), len(sizes)))
        for number in numbers:
            carriers.setdefault(number, []).append(attrs)

    for row in rows:
        number = row[0]
        if number not in routed:
            if number in carriers:
                fail("%s has no length but is written on the drawing" % number)
            continue
        elements = carriers.get(number, [])
        ends = [equipment[(row[4], row[5], row[6])], equipment[(row[7], row[8], row[9])]]
        for end in ends:
            if not any(e is end for e in elements):
                fail("%s: end equipment %s does not carry the cable" % (number, end["CB01"]))
        # The wires and both ends' own lengths, plus the level steps at the
        # two ends (levels run from 0 to 4000); the export rounds to 0.1 m.
        wires = sum(int(e["S304"]) for e in elements if "S304" in e)
        least = wires + 1000 * sum(float(end["S225"]) for end in ends)
        extra = float(row[10]) * 1000 - least
        if not -50 <= extra <= 8050:
            fail("%s: length %s m does not match its elements (%.0f mm)" % (number, row[10], least))

    with open(os.path.join(root, "log.csv"), encoding="cp932") as f:
        if not f.readline().startswith("***** "):
            fail("route log does not start with an entry header")

    if len(sys.argv) > 5 and sys.argv[4] == "--sheets":
        check_sheets(wirebinder, env, project, root, rows, sys.argv[5], work)


def check_sheets(wirebinder, env, project, root, rows, shots, work):
    """The route sheets of the unassigned drawing: a summary with every cable
    and the length the export wrote, then one page per routed cable."""
    drawing = os.path.join(project, "plant.dxf")
    with open(drawing, "rb") as f:
        before = f.read()
    pdf = os.path.join(work, "routes.pdf")
    run = subprocess.run([wirebinder, "-q", "sheets", drawing, "--project-root", root,
                          "--plant", "P1", "--facility", "設備A",
                          "--list", os.path.join(project, "cablelist.csv"), "-o", pdf],
                         env=env, capture_output=True)
    if run.returncode != 0:
        fail("sheets failed (%d): %s" % (run.returncode, run.stderr.decode("utf-8", "replace")))
    with open(drawing, "rb") as f:
        if f.read() != before:
            fail("sheets changed the drawing")
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True,
                          check=True).stdout.decode("utf-8")
    pages = text.split("\f")[:-1]
    summary = [p for p in pages if "ケーブル経路一覧" in p]
    routed = [r for r in rows if r[10]]
    if not summary or pages[:len(summary)] != summary:
        fail("the summary does not open the sheets")
    if len(pages) != len(summary) + len(routed):
        fail("%d pages for %d summary pages and %d routed cables" %
             (len(pages), len(summary), len(routed)))
    lines = [line.split() for page in summary for line in page.splitlines()]
    reason = re.compile("見つかりません|経路がありません|複数あります|同じ機器です")
    for r in rows:
        line = next((t for t in lines if r[0] in t), None)
        if line is None:
            fail("%s is not in the summary" % r[0])
        if r[10] and r[10] not in line:
            fail("%s: the summary does not give the exported length %s: %s" % (r[0], r[10], line))
        if not r[10] and not reason.search(" ".join(line)):
            fail("%s: no length and no reason: %s" % (r[0], line))
    for page, r in zip(pages[len(summary):], routed):
        if "ケーブル番号 %s" % r[0] not in page or "%s m" % r[10] not in page:
            fail("the page of %s does not name it with its length %s m" % (r[0], r[10]))
    # Pages to look at: the summary, the first route, and a plot.
    os.makedirs(shots, exist_ok=True)
    for first, name in ((1, "sheets_summary"), (len(summary) + 1, "sheets_route")):
        subprocess.run(["pdftoppm", "-png", "-r", "80", "-f", str(first), "-l", str(first),
                        "-singlefile", pdf, os.path.join(shots, name)], check=True)
    run = subprocess.run([wirebinder, "-q", "plot", drawing, "--paper", "A3", "--dpi", "60",
                          "-o", os.path.join(shots, "plot_plant.png")], capture_output=True)
    if run.returncode != 0:
        fail("plot failed: %s" % run.stderr.decode("utf-8", "replace"))


if __name__ == "__main__":
    main()
