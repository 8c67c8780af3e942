#!/usr/bin/env bash
# Remakes the spreadsheet fixtures of the import tests (run from anywhere; writes into tests/data/import).
# Needs Debian's libreoffice-calc-nogui and python3.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(dirname "$here")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp
# lots.csv is UTF-8, comma separated, first row the header (filter options 44,34,76,1).
for target in "xlsx:Calc MS Excel 2007 XML" "xls:MS Excel 97"; do
    timeout 180 soffice -env:UserInstallation=file://$tmp/lo_profile --headless \
        --infilter="CSV:44,34,76,1" --convert-to "$target" --outdir "$tmp" "$here/lots.csv"
done
cp "$tmp/lots.xlsx" "$out/lots_lo.xlsx"
cp "$tmp/lots.xls" "$out/lots_lo.xls"
/usr/bin/python3 "$here/make_small.py" "$out"
