#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the program on the simulated
# instrument. Extra arguments are handed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${VEMAR_BUILD:-build}"

./scripts/setup-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
exec "$build/bin/vemar" --simulate "$@"
