#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS each, one after another on one core.
#   scripts/fuzz.sh SECONDS [TARGET...]
# Builds the fuzz preset into $FUZZ_BUILD_DIR (default build/fuzz) first. Each target keeps a
# working corpus there, seeded from fuzz/corpus/<target>/; crashes land in <build>/findings/.
# One line per run is appended to <build>/fuzz-log.txt: target, seconds, executions, result.
set -euo pipefail

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
case $build in /*) ;; *) build=$root/$build ;; esac

cmake --preset fuzz -B "$build" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(sed -n 's/^ *gaeb_fuzzer(\(fuzz_[a-z0-9_]*\).*/\1/p' "$root/fuzz/CMakeLists.txt")
fi
cmake --build "$build" -j"${FUZZ_BUILD_JOBS:-2}" --target "${targets[@]}"

status=0
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  exe=$build/fuzz/$target
  [ -x "$exe" ] || { echo "$target: not built, skipped"; continue; }
  work=$build/corpus/$target
  mkdir -p "$work"
  seeds=()
  [ -d "$root/fuzz/corpus/$target" ] && seeds=("$root/fuzz/corpus/$target")
  log=$build/findings/$target.log
  set +e
  # Messages of the code under test go nowhere; libFuzzer and the sanitizers keep their output.
  "$exe" -max_total_time="$seconds" -dict="$root/fuzz/gaeb.dict" -max_len=65536 \
    -timeout=25 -rss_limit_mb=2048 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$work" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  result=ok
  if [ $rc -ne 0 ]; then result="FINDING (exit $rc, see $log)"; status=1; fi
  line="$(date -u +%FT%TZ) $target seconds=$seconds executions=${runs:-?} result=$result"
  echo "$line" | tee -a "$build/fuzz-log.txt"
done
exit $status
