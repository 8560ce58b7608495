#!/usr/bin/env bash
# Runs the cable assignment on the sample project of examples/ in a scratch
# copy (examples/ itself is never changed) and shows what came out.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=$ROOT/build/src/hosts/cli/wirebinder
WORK=$ROOT/build/demo
rm -rf "$WORK"
mkdir -p "$WORK"
cp -r "$ROOT/examples/." "$WORK/"
mkdir -p "$WORK/projects/PLANT1/第1設備"
export WIREBINDER_CONFIG=$WORK/wirebinder.ini
export WIREBINDER_ENV_INI=$WORK/qzenv.ini

echo "== assigning the cables of $WORK/cables.csv to $WORK/plant.dxf"
"$BIN" assign "$WORK/plant.dxf" --project-root "$WORK/projects" --plant PLANT1 \
  --facility 第1設備 --list "$WORK/cables.csv" -o "$WORK/plant-assigned.dxf" --export --log

echo
echo "== exported cable list ($WORK/projects/PLANT1/第1設備/Cablelist.csv, shown in UTF-8)"
iconv -f CP932 -t UTF-8 "$WORK/projects/PLANT1/第1設備/Cablelist.csv"
echo
echo "== route log ($WORK/projects/log.csv, first entries)"
iconv -f CP932 -t UTF-8 "$WORK/projects/log.csv" | head -20
echo
echo "== cable keys on the elements, read back by ezdxf"
/usr/bin/python3 - "$WORK/plant-assigned.dxf" <<'PY'
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
for e in doc.modelspace().query("INSERT"):
    if not e.has_xdata("QZ_ATTR"):
        continue
    attrs = dict(v.split("|")[:2] for c, v in e.get_xdata("QZ_ATTR") if c == 1000)
    if "CB08" in attrs:
        print(f"{e.dxf.name:10s} cables {attrs['CB08']:<28s} sizes {attrs.get('CB03', '')}")
PY
