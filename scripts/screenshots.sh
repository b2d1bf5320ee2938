#!/usr/bin/env bash
# Pictures of the window as an operator sees it: builds the window and its
# driver, starts the window on the simulated instrument (DWDM bench, seed 1,
# the settings of scripts/dwdm-demo.config.xml, factory switch so that every
# page is there), runs one single scan from the start button and writes one
# PNG per visible page into DIR (default ./vemar-screenshots), named after
# the page ("00-Parameters.png" with the source rows, "03-Band-pass-filter-
# analysis.png" with the passband parameter panel ...), then the passband
# page's results table after the scan ("03-Band-pass-filter-analysis-
# table.png"), the "Factory" page after a short wavelength calibration on
# the simulated etalon (two etalon-mode scans, "Update calibration", one
# test-mode scan, "Show results": "09-Factory-update-calibration.png" and
# "09-Factory.png"), the range hint and the wait window. It exits non-zero when
# the window cannot be driven (no unit found, the scan failed or never ended).
#
# The "Transfer functions" page in its states of interest follows
# (DIR/transfer-functions), then the passband page in continuous mode
# (DIR/passband).
#
# Usage: scripts/screenshots.sh [DIR] [extra vemar switches]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${VEMAR_BUILD:-build}"
out="${1:-$PWD/vemar-screenshots}"
shift $(( $# > 0 ? 1 : 0 ))

./scripts/setup-deps.sh >&2
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target vemar_screenshots vemar vemar-sim >&2

mkdir -p "$out"
out="$(cd "$out" && pwd)"
documents="$(mktemp -d)"
trap 'rm -rf "$documents"' EXIT
mkdir -p "$documents/Zelmora Optics/VEMAR/Config"
cp scripts/dwdm-demo.config.xml "$documents/Zelmora Optics/VEMAR/Config/VEMAR.config.xml"

echo "screenshots.sh: simulated DWDM scan, pictures in $out" >&2
XDG_DOCUMENTS_DIR="$documents" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bin/vemar_screenshots" "$out" --simulate=dwdm --seed 1 QZRT "$@"

# ---- "Transfer functions" page -------------------------------------------------
# The page around the chart in the states worth looking at, on the files of a
# simulated 3-scan continuous DWDM run (vemar-cli, the same settings): the
# first scan as loaded, cursors shown, marker mode, zoomed on one channel, in
# THz, and the envelopes of the run. The page is drawn at the size the window
# gives it (1010 x 640); the pictures go into DIR/transfer-functions.
cmake --build "$build" -j "$(nproc)" --target chart_page_demo passband_page_demo vemar-cli >&2
scans="$(mktemp -d)"
trap 'rm -rf "$documents" "$scans"' EXIT
XDG_DOCUMENTS_DIR="$documents" "$build/bin/vemar-cli" --simulate --seed 1 --sim-time-scale 0.01 \
  --config scripts/dwdm-demo.config.xml scan --continuous 3 --out "$scans/dwdm" >&2
echo "screenshots.sh: the Transfer functions page, pictures in $out/transfer-functions" >&2
xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bin/chart_page_demo" "$out/transfer-functions" "$scans/dwdm_1.scan.xml" "$scans/dwdm_3.scan.xml"

# ---- "Band-pass filter analysis" page in continuous mode -----------------------
# The same three scans as a continuous run shows them on the passband page
# (minimum, latest and maximum per channel), the parameter panel, and the
# panel on the CWDM grid locked as during a measurement; into DIR/passband.
echo "screenshots.sh: the Band-pass filter analysis page, pictures in $out/passband" >&2
mkdir -p "$out/passband"
xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/bin/passband_page_demo" "$out/passband" "$scans/dwdm_1.scan.xml" "$scans/dwdm_2.scan.xml" \
  "$scans/dwdm_3.scan.xml"
