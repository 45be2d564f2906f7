#!/usr/bin/env bash
# Builds the suite and runs every program on the samples in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=build/release
programs=(fastq-dedup base-census recs2cols fasta-lengths fasta-concat codon-scan
          feature-slice accession-namer gff3-to-bed call-thinner site-filter)
# The same build folder as the tests; only the programs are built here.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBIOFILTERS_SANITIZE= >/dev/null
cmake --build "$build" -j2 --target "${programs[@]}" >/dev/null
bin=$build/bin
ex=examples
work=$build/demo
mkdir -p "$work"
gzip -c "$ex/genome.fa" > "$work/genome.fa.gz"

show() {
  printf '\n\033[1m$ %s\033[0m\n' "$*"
  bash -c "$*" || echo "(exit status $?)"
}

show "$bin/fasta-lengths < $ex/genome.fa"
show "zcat $work/genome.fa.gz | $bin/fasta-lengths"
show "$bin/base-census $ex/genome.fa $work/genome.fa.gz $ex/reads.fq"
show "$bin/fastq-dedup < $ex/reads.fq | head -8"
show "$bin/recs2cols < $ex/reads.fq 2>/dev/null | head -3"
show "$bin/fasta-concat < $ex/genome.fa | cut -c1-120"
show "$bin/codon-scan 0 < $ex/raw.txt | head -6"
show "$bin/feature-slice $ex/annotation.gff3 $work/genome.fa.gz gene 'Name=jun;' | cut -c1-150"
show "$bin/accession-namer $ex/annotation.gff3 $ex/ids.txt"
show "$bin/gff3-to-bed < $ex/annotation.gff3 | head -4"
show "$bin/site-filter 1 75 < $ex/calls.vcf"
show "$bin/call-thinner 5 < $ex/calls.vcf | grep -v '^##'"
