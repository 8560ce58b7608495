#!/usr/bin/env python3
"""Prints line and branch coverage of src/ per folder and in total, from the
summary that `gcovr --json-summary` writes."""
import json
import sys
from collections import defaultdict


def percent(covered, total):
    return f"{100.0 * covered / total:5.1f} %" if total else "    - "


def main(path):
    with open(path, encoding="utf-8") as f:
        files = json.load(f)["files"]
    folders = defaultdict(lambda: [0, 0, 0, 0])
    for entry in files:
        name = entry["filename"]
        if not name.startswith("src/"):
            continue
        row = folders[name.rsplit("/", 1)[0]]
        row[0] += entry["line_covered"]
        row[1] += entry["line_total"]
        row[2] += entry["branch_covered"]
        row[3] += entry["branch_total"]
    total = [sum(r[i] for r in folders.values()) for i in range(4)]
    width = max([len(k) for k in folders] + [5])
    print(f"{'folder':<{width}}  {'lines':>15}  {'':>7}  {'branches':>15}  {'':>7}")
    for name in sorted(folders):
        lc, lt, bc, bt = folders[name]
        print(f"{name:<{width}}  {lc:>7} / {lt:<5}  {percent(lc, lt)}  {bc:>7} / {bt:<5}  {percent(bc, bt)}")
    lc, lt, bc, bt = total
    print(f"{'total':<{width}}  {lc:>7} / {lt:<5}  {percent(lc, lt)}  {bc:>7} / {bt:<5}  {percent(bc, bt)}")


if __name__ == "__main__":
    main(sys.argv[1])
