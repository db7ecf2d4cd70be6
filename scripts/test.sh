#!/usr/bin/env bash
# Sets the machine up, then builds and tests every preset in turn: linux, linux-asan, windows (cross-built, run under Wine).
# Each preset is built and tested even when an earlier one failed; the exit code tells whether
# all passed.   scripts/test.sh [PRESET...]
# GAEB_BUILD_ROOT puts the build folders elsewhere (default build/, one folder per preset).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh test || { echo "setup failed"; exit 1; }
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(linux linux-asan windows)
jobs=${GAEB_JOBS:-2}
build_root=${GAEB_BUILD_ROOT:-build}
export WINEDEBUG=-all

failed=()
for preset in "${presets[@]}"; do
  echo "==== $preset: configure, build, test"
  dir=$build_root/$preset
  if ! cmake --preset "$preset" -B "$dir"; then
    failed+=("$preset (configure)")
    continue
  fi
  if ! cmake --build "$dir" -j "$jobs"; then
    failed+=("$preset (build)")
    continue
  fi
  # Wine keeps one regional setting per prefix, rewritten by every process that starts under
  # another locale: Windows tests that assume different locales must not overlap.
  test_jobs=$jobs
  [ "$preset" = windows ] && test_jobs=1
  if ! ctest --test-dir "$dir" -j "$test_jobs" --output-on-failure --timeout 600; then
    failed+=("$preset (tests)")
  fi
done

echo
if [ ${#failed[@]} -eq 0 ]; then
  echo "All presets passed: ${presets[*]}"
  exit 0
fi
echo "FAILED: ${failed[*]}"
exit 1
