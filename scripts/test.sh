#!/usr/bin/env bash
# Installs the dependencies, configures, builds and runs every test.
# Usage: scripts/test.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

./scripts/setup-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
