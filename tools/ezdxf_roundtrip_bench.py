#!/usr/bin/python3
"""Times ezdxf's readfile + saveas of one drawing, for comparison with
bench/dxf_bench (BM_LoadAndSave).

  ezdxf_roundtrip_bench.py DRAWING.dxf [--runs N]
"""
import argparse
import os
import tempfile
import time

import ezdxf


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("drawing")
    parser.add_argument("--runs", type=int, default=1)
    args = parser.parse_args()
    size = os.path.getsize(args.drawing) / 1048576
    folder = os.path.dirname(os.path.abspath(args.drawing))
    for run in range(args.runs):
        out = tempfile.NamedTemporaryFile(dir=folder, suffix=".dxf", delete=False).name
        try:
            t0 = time.perf_counter()
            doc = ezdxf.readfile(args.drawing)
            t1 = time.perf_counter()
            doc.saveas(out)
            t2 = time.perf_counter()
        finally:
            os.remove(out)
        print("ezdxf %s: %.1f MB, readfile %.2f s, saveas %.2f s, total %.2f s" % (
            ezdxf.__version__, size, t1 - t0, t2 - t1, t2 - t0))


if __name__ == "__main__":
    main()
