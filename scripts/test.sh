#!/usr/bin/env bash
# Builds the suite and passes its tests: libraries, programs, and the
# programs' case tables.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
