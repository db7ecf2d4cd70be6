#!/usr/bin/env bash
# Builds the bench preset and runs every benchmark the performance targets name, printing the
# figures. Single-threaded programs, three repetitions each (read the median).
#
#   bench/run_all.sh [BUILD_DIR]        default: build/bench
#
# Inputs are generated once into $GAEB_BENCH_DATA (default /tmp): a 100 MB GAEB 90 file and two
# 100 MB tagged files (plain and RTF long texts). Pipes and the service-location file go to a
# temporary folder of this run (TMPDIR), so no other exchange service on the machine is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/bench}
DATA=${GAEB_BENCH_DATA:-/tmp}
REPS=${GAEB_BENCH_REPS:-3}
export LC_ALL=de_DE.UTF-8 GAEB_IMPORTER_MESSAGES=stderr

cmake --preset bench -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j2

export GAEB_BENCH_GAEB90=$DATA/gaeb90_100mb.d83
export GAEB_BENCH_TAGGED=$DATA/tagged_100mb.x83
export GAEB_BENCH_TAGGED_RTF=$DATA/tagged_rtf_100mb.x83
[ -s "$GAEB_BENCH_GAEB90" ] || python3 bench/import/gen_gaeb90.py 100 "$GAEB_BENCH_GAEB90"
[ -s "$GAEB_BENCH_TAGGED" ] || python3 bench/import/gen_tagged.py 100 "$GAEB_BENCH_TAGGED"
[ -s "$GAEB_BENCH_TAGGED_RTF" ] || python3 bench/import/gen_tagged.py 100 "$GAEB_BENCH_TAGGED_RTF" --rtf

RUN_TMP=$(mktemp -d /tmp/gaeb-bench-run-XXXXXX)
trap 'rm -rf "$RUN_TMP"' EXIT
export TMPDIR=$RUN_TMP

reps=(--benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=false
      --benchmark_display_aggregates_only=true)
section() { printf '\n==== %s\n' "$*"; }
# Peak resident memory of one benchmark case run alone in its own process.
peak() {
  local bin=$1 filter=$2
  /usr/bin/time -f '%M' -o "$RUN_TMP/rss" "$bin" --benchmark_filter="$filter" >/dev/null 2>&1
  LC_ALL=C awk -v f="$filter" '{printf "peak RSS of %s alone: %.1f MiB\n", f, $1/1024}' "$RUN_TMP/rss"
}

section "1. Replace-all: FastReplaceText vs plain search+append (target >= 1 GB/s)"
"$BUILD/bench/support/support_bench" "${reps[@]}"

section "2. Document: WriteText vs RapidJSON Writer (target: ours >= RapidJSON, aim 1 GB/s)"
"$BUILD/bench/document/document_bench" "${reps[@]}" \
  --benchmark_filter='BM_BuildDocument|BM_WriteText|BM_RapidJsonWriter'
section "2. Document: build+serialise 1,000,000 parts alone (target peak < 3 GiB)"
"$BUILD/bench/document/document_bench" --benchmark_filter=BM_BuildAndSerializePeak
peak "$BUILD/bench/document/document_bench" BM_BuildAndSerializePeak

section "3. Exchange: 64 MiB ANSI DATA vs raw 64 KiB writes (target >= 50% of raw)"
"$BUILD/bench/exchange/exchange_bench" "${reps[@]}"

section "4. RTF: RtfToPlainText vs unrtf --text (targets >= 200 MB/s, >= 15x unrtf, peak < 4x)"
"$BUILD/bench/richtext/richtext_bench" "${reps[@]}"

section "5. GAEB 90 import: growth, 100 MB file, start to delivery (targets in the bench header)"
"$BUILD/bench/import/import_bench" "${reps[@]}" \
  --benchmark_filter='BM_LongTextLines|BM_HeaderLines|BM_LargeFile|BM_ProcessToDelivery|BM_TrivialProcess'
peak "$BUILD/bench/import/import_bench" 'BM_LargeFile/'

section "6. Tagged import: plain and RTF long texts, the flattening alone"
"$BUILD/bench/import/import_bench" "${reps[@]}" \
  --benchmark_filter='BM_TaggedFile|BM_TaggedRtfFile|BM_TaggedRtfFlattening'
peak "$BUILD/bench/import/import_bench" 'BM_TaggedFile/'
peak "$BUILD/bench/import/import_bench" 'BM_TaggedRtfFile/'

# The tool imports one file per process, into memory the process has never touched; on some
# machines (virtual ones in particular) the first touch of fresh memory costs more than the
# import itself, so the in-process figures above can flatter. Whole gaeb2json runs, document
# to /dev/null, seven each; the median counts.
whole() {
  local file=$1 times=() t0 t1
  for _ in 1 2 3 4 5 6 7; do
    t0=$(date +%s%N)
    "$BUILD/tools/gaeb2json/gaeb2json" "$file" --taxh 19 >/dev/null
    t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000 )))
  done
  local size
  size=$(stat -c %s "$file")
  printf '%s\n' "${times[@]}" | sort -n | LC_ALL=C awk -v f="$(basename "$file")" -v s="$size" \
    '{t[NR]=$1} END {m=t[4]; printf "%s: whole process median %.0f ms (min %.0f, max %.0f) = %.0f MB/s\n", f, m/1000, t[1]/1000, t[7]/1000, s/m}'
}
section "7. Whole gaeb2json processes on the 100 MB files (start to document written)"
whole "$GAEB_BENCH_GAEB90"
whole "$GAEB_BENCH_TAGGED"
whole "$GAEB_BENCH_TAGGED_RTF"
