#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (default 600 seconds), two at a time.  Not part of the test command.
#
#   fuzz/run.sh [seconds] [target...]
#
# FUZZ_BUILD names the build folder (default build/fuzz).  Each target
# starts from its seeds in fuzz/corpus/<target> and grows a working corpus
# in the build folder; a crash, leak or timeout is saved there as
# artifacts/<target>-crash-..., -leak-..., -timeout-... and reported below.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift || true

# clang and its runtime, which holds libFuzzer (libclang_rt.fuzzer).
scripts/deps.sh clang libclang-rt-14-dev

build=${FUZZ_BUILD:-$root/build/fuzz}
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fasta_read fastx_read gff3_read vcf_read codon_search
           qx_fopen_gzip qx_fopen_bzip2 qx_fopen_xz qx_fopen_zstd)
fi

mkdir -p "$build/artifacts" "$build/logs"

run_one() {
  local t=$1 work="$build/corpus/$1"
  mkdir -p "$work"
  "$build/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
    "$work" "fuzz/corpus/$t" >"$build/logs/$t.log" 2>&1 || true
  local runs findings
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$t.log" | tail -1)
  findings=$(find "$build/artifacts" -name "$t-*" | wc -l)
  printf '%-16s %12s executions  %s findings\n' "$t" "${runs:-?}" "$findings"
}

# At most two at once: the machine is shared.
running=0
for t in "${targets[@]}"; do
  if [ $running -ge 2 ]; then
    wait -n
    running=$((running - 1))
  fi
  run_one "$t" &
  running=$((running + 1))
done
wait

echo "logs: $build/logs  findings: $build/artifacts"
[ -z "$(ls -A "$build/artifacts")" ]
