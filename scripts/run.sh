#!/usr/bin/env bash
# The README's main job: installs what is needed, builds vemar-cli, and runs
# a simulated continuous measurement of the DWDM preset. It writes every
# scan (".scan.xml" with its side file, CSV, text, PNG) and the passband
# result files into a folder it names, and prints the passband table with
# its alarms after each scan.
#
# Usage: scripts/run.sh [OUTPUT-FOLDER] [extra "vemar-cli scan" options]
# The folder defaults to ./vemar-run-<date>-<time>. The run keeps its
# settings and calibration copy inside that folder, so the user's own
# documents folder is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${VEMAR_BUILD:-build}"
out="${1:-$PWD/vemar-run-$(date +%Y%m%d-%H%M%S)}"
shift $(( $# > 0 ? 1 : 0 ))

# Installing and building talk on stderr: stdout holds the result tables only.
./scripts/setup-deps.sh >&2
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target vemar-cli >&2

mkdir -p "$out"
out="$(cd "$out" && pwd)"
echo "run.sh: simulated DWDM measurement, results in $out" >&2
XDG_DOCUMENTS_DIR="$out/documents" "$build/bin/vemar-cli" \
  --simulate=dwdm --seed 1 --config scripts/dwdm-demo.config.xml \
  scan --continuous 3 --analyse --out "$out/dwdm" --format all "$@"
echo "run.sh: files written to $out:" >&2
ls -1 "$out" >&2
