#!/usr/bin/env bash
# Times every program of the suite against the tools users would pick instead,
# on the same synthetic input, and prints a table of the results.
#
#   bench/run.sh [--scale S] [--runs N] [--limit SECONDS] [--only REGEX]
#
#   --scale S      size of the generated data; 1 (the default) is a 200 MB genome,
#                  1M reads, 2M calls, 200 MB of raw sequence; 0.01 is a quick check
#   --runs N       timed runs per command after one warm-up run (default 5)
#   --limit S      a command whose warm-up run takes longer than S seconds is
#                  stopped and reported as such instead of timed (default 60)
#   --only REGEX   run only the cases whose name matches (grep -E)
#   --bin DIR      time the programs in DIR instead of building the suite
#
# Builds the suite in Release into build/bench, generates the data into
# build/bench/data (kept for the next run at the same scale), installs missing
# peers from Debian when it can, and writes the table to build/bench/results.md.
set -euo pipefail
cd "$(dirname "$0")/.."

scale=1 runs=5 limit=60 only= bin=
while [ $# -gt 0 ]; do
  case "$1" in
    --scale) scale=${2:?}; shift 2 ;;
    --runs) runs=${2:?}; shift 2 ;;
    --limit) limit=${2:?}; shift 2 ;;
    --only) only=${2:?}; shift 2 ;;
    --bin) bin=${2:?}; shift 2 ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench/run.sh: unknown argument: $1 (try --help)" >&2; exit 64 ;;
  esac
done
case "$runs" in ''|*[!0-9]*|0) echo "bench/run.sh: --runs needs a positive count" >&2; exit 64 ;; esac
case "$limit" in ''|*[!0-9]*|0) echo "bench/run.sh: --limit needs a positive number of seconds" >&2; exit 64 ;; esac

build=build/bench
data=$build/data
work=$build/work
mkdir -p "$build" "$data" "$work"
say() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

# ---------------------------------------------------------------- tools
# Build dependencies are needed for the build; peers are welcome but never required.
scripts/deps.sh || say "build dependencies are missing; programs that do not build are skipped"

if [ "$(id -u)" -eq 0 ]; then apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then apt_get=(sudo -n apt-get)
else apt_get=()
fi
# package:command that shows it is there
peers=(seqkit:seqkit seqtk:seqtk samtools:samtools bcftools:bcftools bedops:gff2bed
       gffread:gffread bedtools:bedtools hyperfine:hyperfine time:/usr/bin/time gzip:zcat)
wanted=()
for pc in "${peers[@]}"; do
  command -v "${pc#*:}" >/dev/null 2>&1 || wanted+=("${pc%%:*}")
done
if [ ${#wanted[@]} -gt 0 ]; then
  if [ ${#apt_get[@]} -eq 0 ]; then
    say "not root: cannot install ${wanted[*]}; cases needing them are skipped"
  else
    export DEBIAN_FRONTEND=noninteractive
    candidate() { apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ {print $2}'; }
    # A fresh machine has no package lists yet.
    if [ -z "$(candidate "${wanted[0]}")" ] || [ "$(candidate "${wanted[0]}")" = "(none)" ]; then
      "${apt_get[@]}" update -qq || true
    fi
    installable=()
    for p in "${wanted[@]}"; do
      c=$(candidate "$p")
      if [ -n "$c" ] && [ "$c" != "(none)" ]; then installable+=("$p")
      else say "peer package $p is not available from apt; its cases are skipped"
      fi
    done
    if [ ${#installable[@]} -gt 0 ]; then
      say "installing ${installable[*]}"
      "${apt_get[@]}" install -y -qq --no-install-recommends "${installable[@]}" >/dev/null \
        || say "apt-get install failed; missing peers are skipped"
    fi
  fi
fi
have() { command -v "$1" >/dev/null 2>&1; }
# mawk is Debian's default awk and the faster one; use it when it is there.
if have mawk; then awk_name=mawk; else awk_name=awk; fi

# ---------------------------------------------------------------- build
if [ -z "$bin" ]; then
  say "building the suite (Release) in $build"
  bin=$build/bin
  if ! cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBIOFILTERS_TESTS=OFF \
       >"$work/build.log" 2>&1; then
    say "the suite does not configure (see $work/build.log); its programs are reported as not built"
  elif ! cmake --build "$build" -j2 >>"$work/build.log" 2>&1; then
    # Build what builds; a program that does not is reported as not built.
    say "full build failed (see $work/build.log); building the programs one by one"
    for p in fastq-dedup base-census recs2cols fasta-lengths fasta-concat codon-scan \
             feature-slice accession-namer gff3-to-bed call-thinner site-filter; do
      cmake --build "$build" -j2 --target "$p" >>"$work/build.log" 2>&1 || true
    done
  fi
fi

# ---------------------------------------------------------------- data
gen=$build/gen
if [ ! -x "$gen" ] || [ bench/gen.cc -nt "$gen" ]; then
  say "compiling the data generator"
  g++ -std=c++20 -O2 -o "$gen" bench/gen.cc
fi
stamp="scale=$scale gen=$(cksum < bench/gen.cc)"
if [ "$(cat "$data/stamp" 2>/dev/null)" != "$stamp" ]; then
  say "generating data at scale $scale into $data"
  rm -f "$data"/*
  "$gen" --scale "$scale" --out "$data"
  # The .gz copies are for the programs that open their files themselves.
  for f in genome.fa reads.fq annotation.gff3; do gzip -6 -c "$data/$f" > "$data/$f.gz"; done
  # What feature-slice extracts, for the peers: every feature of every gene of
  # type gene (with its transcripts, exons and CDS), as BED and as GFF3.
  "$awk_name" -F'\t' -v OFS='\t' '
    NR == 1 { print > gff }
    /^#/ { if ($0 == "###") keep = 0; next }
    $3 == "gene" { keep = 1 }
    $3 == "ncRNA_gene" { keep = 0 }
    keep { print $1, $4 - 1, $5 > bed; print > gff }
  ' bed="$data/slice.bed" gff="$data/slice.gff3" "$data/annotation.gff3"
  echo "$stamp" > "$data/stamp"
fi
# shellcheck source=/dev/null
. "$data/meta.sh"
rm -f "$data"/*.fai

# ---------------------------------------------------------------- timing
results=$work/results.tsv
: > "$results"
rm -f "$work"/*.json
# Single-quotes a word for the shell that runs the commands.
q() { local s=${1//\'/\'\\\'\'}; printf "'%s'" "$s"; }
B=$(q "$bin") D=$(q "$data")

# case NAME KIND...: begins a case; the commands of one case are timed in one
# hyperfine run, ours first, on the same input.
case_name=
cmd_tools=() cmd_kinds=() cmd_lines=() cmd_preps=()
begin_case() {
  case_name=$1
  cmd_tools=() cmd_kinds=() cmd_lines=() cmd_preps=()
}
# add TOOL KIND PREPARE COMMAND  (KIND: ours, peer, cat; PREPARE may be empty)
add() {
  cmd_tools+=("$1") cmd_kinds+=("$2") cmd_preps+=("${3:-true}") cmd_lines+=("$4")
}
# record TOOL KIND MEDIAN RSS-KB NOTE [CPU]
record() { printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$case_name" "$1" "$2" "$3" "$4" "$5" "${6:-}" >> "$results"; }

run_case() {
  [ -n "$only" ] && ! grep -qE "$only" <<< "$case_name" && return 0
  say "$case_name"
  local i n=${#cmd_lines[@]} timed=() rss=() tools=() kinds=() preps=() slow=0
  if [ "${cmd_kinds[0]}" = ours ] && [ ! -x "$bin/${cmd_tools[0]}" ]; then
    record "${cmd_tools[0]}" ours "" "" "not built"; return 0
  fi
  for ((i = 0; i < n; i++)); do
    local tool=${cmd_tools[i]} kind=${cmd_kinds[i]} cmd=${cmd_lines[i]} prep=${cmd_preps[i]}
    local first=${tool%% *}
    if [ "$kind" != ours ] && ! have "$first"; then
      record "$tool" "$kind" "" "" "not installed"; continue
    fi
    # Warm-up run: fills the page cache, measures peak memory, and stops a
    # command that would take too long to time several times.
    bash -c "$prep" >/dev/null 2>&1 || true
    local t0 t1 status=0
    t0=$(date +%s%N)
    if have /usr/bin/time; then
      timeout "$limit" /usr/bin/time -f %M -o "$work/rss" bash -c "$cmd" 2>"$work/err" || status=$?
    else
      timeout "$limit" bash -c "$cmd" 2>"$work/err" || status=$?
      echo "" > "$work/rss"
    fi
    t1=$(date +%s%N)
    if [ "$status" -eq 124 ]; then
      record "$tool" "$kind" "" "" "stopped after ${limit} s"; continue
    elif [ "$status" -ne 0 ]; then
      record "$tool" "$kind" "" "" "exit $status: $(tail -n1 "$work/err" | tr '\t' ' ' | cut -c1-60)"
      continue
    fi
    rss+=("$(tail -n1 "$work/rss" | tr -cd 0-9)")
    timed+=("$cmd 2>/dev/null") tools+=("$tool") kinds+=("$kind") preps+=("$prep")
    # Keep a slow case within bounds: fewer runs rather than a stalled benchmark.
    local took=$(( (t1 - t0) / 1000000000 ))
    [ "$took" -gt 0 ] && [ $((took * runs)) -gt $((limit * 3)) ] && slow=1
  done
  [ ${#timed[@]} -eq 0 ] && return 0
  local r=$runs
  [ "$slow" = 1 ] && r=$(( runs < 3 ? runs : 3 ))
  local json=$work/$(printf '%s' "$case_name" | tr -c 'A-Za-z0-9_.-' _).json
  local medians=() cpus=()
  if have hyperfine; then
    local args=()
    for ((i = 0; i < ${#timed[@]}; i++)); do args+=(--prepare "${preps[i]}"); done
    hyperfine --shell bash --style basic --runs "$r" --export-json "$json" "${args[@]}" "${timed[@]}" >&2
    mapfile -t medians < <(grep -o '"median": *[0-9.eE+-]*' "$json" | sed 's/.*: *//')
    # CPU time (user + system, mean): on a shared machine it is steadier than wall time.
    mapfile -t cpus < <(grep -o '"\(user\|system\)": *[0-9.eE+-]*' "$json" | sed 's/.*: *//' |
                        awk 'NR % 2 { u = $1; next } { printf "%.6f\n", u + $1 }')
  else
    # Without hyperfine: the median of our own wall-clock timings.
    for ((i = 0; i < ${#timed[@]}; i++)); do
      local k ts=()
      for ((k = 0; k < r; k++)); do
        bash -c "${preps[i]}" >/dev/null 2>&1 || true
        t0=$(date +%s%N); bash -c "${timed[i]}" >/dev/null 2>&1 || true; t1=$(date +%s%N)
        ts+=("$(( t1 - t0 ))")
      done
      medians+=("$(printf '%s\n' "${ts[@]}" | sort -n | awk '{a[NR]=$1} END {m = NR % 2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2; printf "%.6f", m/1e9}')")
    done
  fi
  for ((i = 0; i < ${#timed[@]}; i++)); do
    record "${tools[i]}" "${kinds[i]}" "${medians[i]:-}" "${rss[i]}" "" "${cpus[i]:-}"
  done
}

site="$SITE_CHROM $SITE_POS"
awk_cmd() { printf '%s %s' "$awk_name" "$(q "$1")"; }

begin_case "fasta-lengths < genome"
add fasta-lengths ours '' "$B/fasta-lengths < $D/genome.fa > /dev/null"
add "seqkit fx2tab -n -l" peer '' "seqkit fx2tab -n -l $D/genome.fa > /dev/null"
add "samtools faidx" peer "rm -f $D/genome.fa.fai" "samtools faidx $D/genome.fa"
add cat cat '' "cat $D/genome.fa > /dev/null"
run_case

for input in genome.fa reads.fq genome.fa.gz reads.fq.gz; do
  name="base-census ${input%.gz}"
  case $input in *.gz) name="$name (.gz)" ;; esac
  begin_case "$name"
  add base-census ours '' "$B/base-census $D/$input > /dev/null"
  add "seqkit stats -a" peer '' "seqkit stats -a $D/$input > /dev/null"
  add "seqtk comp" peer '' "seqtk comp $D/$input > /dev/null"
  case $input in *.gz) add zcat cat '' "zcat $D/$input > /dev/null" ;; esac
  run_case
done

begin_case "fastq-dedup < reads"
add fastq-dedup ours '' "$B/fastq-dedup < $D/reads.fq > /dev/null"
add "seqkit rmdup -s" peer '' "seqkit rmdup -s $D/reads.fq > /dev/null"
run_case

begin_case "recs2cols < reads"
add recs2cols ours '' "$B/recs2cols < $D/reads.fq > /dev/null"
add "seqkit fx2tab" peer '' "seqkit fx2tab $D/reads.fq > /dev/null"
add cat cat '' "cat $D/reads.fq > /dev/null"
run_case

begin_case "fasta-concat < genome"
add fasta-concat ours '' "$B/fasta-concat < $D/genome.fa > /dev/null"
add "seqkit seq -s -w 0" peer '' "seqkit seq -s -w 0 $D/genome.fa > /dev/null"
add cat cat '' "cat $D/genome.fa > /dev/null"
run_case

begin_case "codon-scan 0 < raw"
add codon-scan ours '' "$B/codon-scan 0 < $D/raw.txt > /dev/null"
add cat cat '' "cat $D/raw.txt > /dev/null"
run_case

begin_case "site-filter $site < calls"
add site-filter ours '' "$B/site-filter $site < $D/calls.vcf > /dev/null"
add "bcftools view -H -t" peer '' "bcftools view -H -t $SITE_CHROM:$SITE_POS $D/calls.vcf > /dev/null"
add "$awk_name" peer '' "$(awk_cmd "\$1 == \"$SITE_CHROM\" && \$2 == $SITE_POS") $D/calls.vcf > /dev/null"
add cat cat '' "cat $D/calls.vcf > /dev/null"
run_case

begin_case "call-thinner 1000 < calls"
add call-thinner ours '' "$B/call-thinner 1000 < $D/calls.vcf > /dev/null"
# Two passes, as the program makes: count the calls, then keep each with n/count.
add "$awk_name" peer '' "$(awk_cmd 'NR == FNR { if (!/^#/) c++; next } /^#/ { print; next } rand() * c < 1000') $D/calls.vcf $D/calls.vcf > /dev/null"
run_case

begin_case "gff3-to-bed < annotation"
add gff3-to-bed ours '' "$B/gff3-to-bed < $D/annotation.gff3 > /dev/null"
add gff2bed peer '' "gff2bed < $D/annotation.gff3 > /dev/null"
add "$awk_name" peer '' "$(awk_cmd 'BEGIN { FS = OFS = "\t" } /^#/ { next } { id = "."; if (match($9, /ID=[^;]*/)) id = substr($9, RSTART + 3, RLENGTH - 3); print $1, $4 - 1, $5, id, $6, $7, $2, $3, $8, $9 }') < $D/annotation.gff3 > /dev/null"
add cat cat '' "cat $D/annotation.gff3 > /dev/null"
run_case

# The key matches every gene (all genes of type gene are protein coding; the
# lncRNA loci are ncRNA_gene). The peers get exactly those genes and their
# children, and build their genome index inside the timing, as our program
# reads the genome inside it.
key=biotype=protein_coding
begin_case "feature-slice gene $key"
add feature-slice ours '' "$B/feature-slice $D/annotation.gff3 $D/genome.fa gene $key > /dev/null"
add "gffread -w" peer "rm -f $D/genome.fa.fai" "gffread -w /dev/null -g $D/genome.fa $D/slice.gff3"
add "bedtools getfasta" peer "rm -f $D/genome.fa.fai" "bedtools getfasta -fi $D/genome.fa -bed $D/slice.bed > /dev/null"
run_case

begin_case "feature-slice gene $key (.gz)"
add feature-slice ours '' "$B/feature-slice $D/annotation.gff3.gz $D/genome.fa.gz gene $key > /dev/null"
add zcat cat '' "zcat $D/genome.fa.gz > /dev/null"
run_case

begin_case "accession-namer annotation ids"
add accession-namer ours '' "$B/accession-namer $D/annotation.gff3 $D/ids.txt > /dev/null"
add "$awk_name" peer '' "$(awk_cmd 'BEGIN { FS = "\t" } NR == FNR { want[tolower($0)] = $0; next } /^#/ { next } match($9, /ID=[^;]*/) { id = substr($9, RSTART + 3, RLENGTH - 3); sub(/^[^:]*:/, "", id); id = tolower(id); if (id in want) { name = ""; if (match($9, /Name=[^;-]*/)) name = substr($9, RSTART + 5, RLENGTH - 5); print want[id] "\t" name } }') $D/ids.txt $D/annotation.gff3 > /dev/null"
run_case
rm -f "$data"/*.fai

# ---------------------------------------------------------------- report
machine() {
  local cpu mem os
  cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo 2>/dev/null || true)
  mem=$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo 2>/dev/null || true)
  os=$(. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME")
  echo "- machine: $(nproc) CPUs ($cpu), $mem memory, $os, Linux $(uname -r)"
  echo "- load average when the report was written: $(cut -d' ' -f1-3 /proc/loadavg)"
  local v=() p
  for p in seqkit seqtk samtools bcftools bedops gffread bedtools hyperfine "$awk_name"; do
    v+=("$p $(dpkg-query -W -f='${Version}' "$p" 2>/dev/null || echo '?')")
  done
  local IFS=,
  echo "- peers (Debian versions): ${v[*]}" | sed 's/,/, /g'
}

report=$build/results.md
{
  echo "## Benchmark run of $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  echo "- scale $scale: genome $GENOME_BASES bases in $CHROMOSOMES chromosomes, $READS reads" \
       "($DISTINCT_READS distinct), $GENES genes in $GFF3_LINES GFF3 lines, $CALLS calls," \
       "$RAW_BASES raw bases"
  echo "- $runs timed runs per command after one warm-up run; median wall time"
  machine
  echo
  echo "vs ours: the row's median time over our program's (peer/ours; above 1 means ours is"
  echo "faster). For cat and zcat rows it is cat/ours: 0.5 means ours takes twice as long"
  echo "as reading the file. CPU s: mean user + system time of the timed runs (above the"
  echo "wall time for a peer that uses several threads)."
  echo
  awk -F'\t' -v distinct="$DISTINCT_READS" '
    function fmt_rss(kb) { return kb == "" ? "" : kb < 10240 ? sprintf("%d KB", kb) : sprintf("%.1f MB", kb / 1024) }
    BEGIN { print "| case | tool | median s | vs ours | CPU s | peak RSS | note |"; print "|---|---|---:|---:|---:|---:|---|" }
    {
      c = $1; tool = $2; kind = $3; med = $4; rss = $5; note = $6; cpu = $7
      if (kind == "ours") ours[c] = med
      ratio = ""
      if (med != "" && ours[c] != "" && kind != "ours") ratio = sprintf("%.2f", med / ours[c])
      if (kind == "ours" && c ~ /^fastq-dedup/ && rss != "" && distinct > 0)
        note = sprintf("%.0f bytes per distinct read", rss * 1024 / distinct)
      printf "| %s | %s | %s | %s | %s | %s | %s |\n", (c == last ? "" : c), tool,
             (med == "" ? "-" : sprintf("%.3f", med)), ratio, (cpu == "" ? "" : sprintf("%.3f", cpu)),
             fmt_rss(rss), note
      last = c
    }' "$results"
  echo
  echo "### Targets"
  echo
  awk -F'\t' '
    { c = $1; if (!(c in seen)) { order[++n] = c; seen[c] = 1 } }
    $3 == "ours" { ours[c] = $4; status[c] = $6 }
    $3 == "peer" && $4 != "" { if (!(c in best) || $4 < best[c]) { best[c] = $4; bestname[c] = $2 } }
    $3 == "cat" && $4 != "" { catt[c] = $4; catname[c] = $2 }
    END {
      for (i = 1; i <= n; i++) {
        c = order[i]; line = "- " c ": "
        if (ours[c] == "") { print line "not measured (" (status[c] == "" ? "skipped" : status[c]) ")"; continue }
        sep = ""
        if (c in best) {
          r = best[c] / ours[c]
          line = line sprintf("%.2fx the fastest peer (%s), %s", r, bestname[c], r >= 1.25 ? "met" : "NOT met")
          sep = "; "
        }
        if (c in catt) {
          r = catt[c] / ours[c]
          plain = c; sub(/ \(\.gz\)$/, "", plain)
          if (catname[c] == "zcat" && ours[plain] != "") {
            d = ours[c] - ours[plain]
            line = line sep sprintf("reading .gz costs %.3f s more than plain, zcat takes %.3f s: %s", d, catt[c], d <= catt[c] ? "met" : "NOT met")
          } else if (catname[c] == "zcat")
            line = line sep sprintf("zcat/ours %.2f", r)
          else
            line = line sep sprintf("cat/ours %.2f, %s", r, r >= 0.5 ? "within 2x of cat" : "NOT within 2x of cat")
        }
        print line
      }
    }' "$results"
} > "$report"
echo
cat "$report"
say "table written to $report"
