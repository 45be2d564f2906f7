#!/usr/bin/env bash
# Builds the suite and passes its tests: library units, the programs' case
# tables, and the same again built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

run_suite() {
  local build=$1; shift
  cmake -S . -B "$build" "$@" >/dev/null
  cmake --build "$build" -j2
  ctest --test-dir "$build" --output-on-failure -j2
}

run_suite build/release -DCMAKE_BUILD_TYPE=Release -DBIOFILTERS_SANITIZE=
run_suite build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBIOFILTERS_SANITIZE=address,undefined
