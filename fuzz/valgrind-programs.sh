#!/usr/bin/env bash
# Runs every program under valgrind memcheck over the samples in examples/,
# the malformed-input fixtures and a few broken inputs made here, and
# reports per run: invalid accesses (a failure) and the bytes still held
# at exit.  Not part of the test command.
#
#   fuzz/valgrind-programs.sh
#
# VALGRIND_BUILD names the build folder (default build/valgrind): a build
# without sanitizers, which valgrind cannot run under.
#
# The programs keep their records until exit by design, so blocks still
# held at exit are listed by the routine that allocated them, for a person
# to judge; only an invalid access or use of an uninitialised value fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh valgrind

build=${VALGRIND_BUILD:-$root/build/valgrind}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBIOFILTERS_SANITIZE= \
  -DBIOFILTERS_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
bin=$build/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
logs=$build/valgrind-logs
rm -rf "$logs"
mkdir -p "$logs"

ex=examples
mf=tests/fixtures/malformed

# Broken inputs, as in the malformed-input test table.
printf '>a\nACGT\n>b\nAC\0GT\n>c\nA\n' >"$work/nul.fa"
printf '>a x\r\nAC\r\nGT\r\n>b\r\nA' >"$work/crlf.fa"
printf '@r1\nACGT\n+\nIIII\n@r2\nACGT\n' >"$work/cut.fq"
printf '@r1\nACGT\n+\nIIII\n@r2\nACGT\n+\nII\n' >"$work/short-quality.fq"
printf '##gff-version 3\nchr1\tm\tgene\t2\t5\t.\t+\t.\tID=g1\nchr1\tm\tgene\t1\t4\t.\t+\t.\n' \
  >"$work/eight.gff3"
printf '##gff-version 3\nchr1\tm\tgene\t2\t5\t.\t+\t.\tID=g1\nchr1\tm\tgene\tabc\t4\t.\t+\t.\tID=g2\n' \
  >"$work/abc.gff3"
printf '##fileformat=VCFv4.2\n#CHROM\tPOS\n1\t5\t.\tA\tG\t.\t.\t.\n1\tx\t.\tA\tG\t.\t.\t.\n' \
  >"$work/pos-x.vcf"
head -c 4096 /dev/urandom >"$work/garbage.bin"
: >"$work/empty"
gzip -c "$ex/reads.fq" >"$work/reads.fq.gz"
bzip2 -c "$ex/reads.fq" >"$work/reads.fq.bz2"
xz -c "$ex/reads.fq" >"$work/reads.fq.xz"
zstd -qc "$ex/reads.fq" >"$work/reads.fq.zst"

fasta_inputs=("$ex/genome.fa" "$mf/genome.fa" "$work/nul.fa" "$work/crlf.fa" "$work/cut.fq"
              "$work/garbage.bin" "$work/empty")
fastx_inputs=("$ex/reads.fq" "$ex/genome.fa" "$work/nul.fa" "$work/crlf.fa" "$work/cut.fq"
              "$work/short-quality.fq" "$work/garbage.bin" "$work/empty")
gff3_inputs=("$ex/annotation.gff3" "$mf/annotation.gff3" "$work/eight.gff3" "$work/abc.gff3"
             "$work/garbage.bin" "$work/empty")
vcf_inputs=("$ex/calls.vcf" "$work/pos-x.vcf" "$work/garbage.bin" "$work/empty")

runs=0
failed=0

# run <stdin> <stdout> <program> [args...]
run() {
  local input=$1 output=$2 program=$3
  shift 3
  runs=$((runs + 1))
  local log=$logs/$runs-$program.log status=0
  valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,possible \
    --errors-for-leak-kinds=none --log-file="$log" \
    "$bin/$program" "$@" <"$input" >"$output" 2>/dev/null || status=$?
  local lost
  lost=$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes in \([0-9,]*\) blocks.*/\1 B in \2 blocks/p' "$log")
  local errors
  errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log")
  if [ "$status" -eq 99 ] || [ "${errors:-0}" -ne 0 ]; then
    failed=$((failed + 1))
    printf 'FAIL  %-16s status %3d  %s  (%s)\n' "$program" "$status" "$*" "$log"
  else
    printf 'ok    %-16s status %3d  lost %-22s %s < %s\n' "$program" "$status" \
      "${lost:-0 B}" "$*" "${input#"$root"/}"
  fi
}

for f in "${fasta_inputs[@]}"; do
  run "$f" /dev/null fasta-lengths
  run "$f" /dev/null fasta-concat
done
for f in "${fastx_inputs[@]}"; do
  run "$f" /dev/null recs2cols
  run "$f" /dev/null fastq-dedup
  run "$f" /dev/null base-census
done
run /dev/null /dev/null base-census "$ex/reads.fq" "$ex/genome.fa" "$work/reads.fq.gz" \
  "$work/reads.fq.bz2" "$work/reads.fq.xz" "$work/reads.fq.zst" "$mf/plain-named.fa.gz"
for f in "$mf/genome-cut.fa.gz" "$mf/bad-deflate.gz" "$mf/garbage.gz" "$work/no-such"; do
  run /dev/null /dev/null base-census "$ex/genome.fa" "$f"
done
for f in "$ex/raw.txt" "$work/garbage.bin" "$work/empty"; do
  run "$f" /dev/null codon-scan 0
done
run "$ex/raw.txt" /dev/null codon-scan 17
for f in "${gff3_inputs[@]}"; do
  run "$f" /dev/null gff3-to-bed
  run /dev/null /dev/null accession-namer "$f" "$ex/ids.txt"
done
for type_key in "gene Name=" "mRNA ID=" "GENE ID="; do
  set -- $type_key
  run /dev/null /dev/null feature-slice "$ex/annotation.gff3" "$ex/genome.fa" "$1" "$2"
done
run /dev/null /dev/null feature-slice "$mf/annotation.gff3" "$mf/genome.fa" GENE ID=
run /dev/null /dev/null feature-slice "$mf/annotation-cut.gff3.gz" "$mf/genome.fa" GENE ID=
run /dev/null /dev/null feature-slice "$mf/annotation.gff3" "$mf/genome-cut.fa.gz" GENE ID=
run /dev/null /dev/null feature-slice "$work/eight.gff3" "$mf/genome.fa" gene ID=
for f in "${vcf_inputs[@]}"; do
  run "$f" /dev/null call-thinner 5
  run "$f" /dev/null call-thinner 1000
  run "$f" /dev/null site-filter 1 5
done
run "$ex/calls.vcf" /dev/null site-filter 1 50

# A full output device for every program.
run "$ex/genome.fa" /dev/full fasta-lengths
run "$ex/genome.fa" /dev/full fasta-concat
run "$ex/reads.fq" /dev/full recs2cols
run "$ex/reads.fq" /dev/full fastq-dedup
run "$ex/reads.fq" /dev/full base-census
run "$ex/raw.txt" /dev/full codon-scan 0
run "$ex/annotation.gff3" /dev/full gff3-to-bed
run /dev/null /dev/full accession-namer "$ex/annotation.gff3" "$ex/ids.txt"
run /dev/null /dev/full feature-slice "$ex/annotation.gff3" "$ex/genome.fa" gene Name=
run "$ex/calls.vcf" /dev/full call-thinner 1000
run "$ex/calls.vcf" /dev/full site-filter 1 50

# Where the blocks still held at exit were allocated: the first frame of
# the suite's own code in each leak record.
echo
echo "Blocks held at exit (definitely or possibly lost), by allocating routine:"
for log in "$logs"/*.log; do
  awk '/are (definitely|possibly) lost/ { want = 1; next }
       want && /(by|at) 0x/ && !/(malloc|calloc|realloc|operator new|strdup|vg_replace)/ {
         sub(/.*: /, ""); print; want = 0 }' "$log"
done | sed 's/ (\([^:]*\):[0-9]*)$/ (\1)/' | sort | uniq -c | sort -rn

echo
echo "$runs runs, $failed with invalid accesses or uninitialised values; logs in $logs"
[ "$failed" -eq 0 ]
