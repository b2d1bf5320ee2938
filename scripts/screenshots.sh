#!/usr/bin/env bash
# Pictures of the window as an operator sees it: builds the window and its
# driver, starts the window on the simulated instrument (DWDM bench, seed 1,
# the settings of scripts/dwdm-demo.config.xml, factory switch so that every
# page is there), runs one single scan from the start button and writes one
# PNG per visible page into DIR (default ./vemar-screenshots), named after
# the page ("00-Parameters.png" with the source rows, "03-Band-pass-filter-
# analysis.png" with the passband parameter panel ...), then the passband
# page's results table after the scan ("03-Band-pass-filter-analysis-
# table.png"), the range hint and the wait window. It exits non-zero when
# the window cannot be driven (no unit found, the scan failed or never ended).
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
