#!/usr/bin/env bash
# The main job end to end: a GAEB 90 file dropped on an order in state 2 travels through
# gaeb-importer to the stand-in exchange service, which shows the parts it received.
#   scripts/demo.sh [FILE]     (default: samples/kita_rohbau.d83)
# GAEB_BUILD_DIR chooses the build folder (default build/linux); it is built when needed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" demo
build=${GAEB_BUILD_DIR:-$root/build/linux}
sample=${1:-$root/samples/kita_rohbau.d83}
importer=$build/src/launcher/gaeb-importer
stub=$build/tools/exchange-stub/gaeb-exchange-stub

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset linux -B "$build" >/dev/null
fi
cmake --build "$build" --target gaeb-importer gaeb-exchange-stub -j2 >/dev/null

# A private temp folder: the service-location file and the pipe live there.
TMPDIR=$(mktemp -d)
export TMPDIR
stub_pid=
cleanup() {
  if [ -n "$stub_pid" ]; then kill "$stub_pid" 2>/dev/null || true; fi
  rm -rf "$TMPDIR"
}
trap cleanup EXIT

location=$TMPDIR/ZVTempDir/ZVX-EXCHANGELOCALSERVICE.TXT
"$stub" --pipe gaeb-demo --setting TAXH=19 --setting DEFAULTFONT=Arial --table \
  --requests 3 --max-seconds 30 &
stub_pid=$!
for _ in $(seq 1 500); do
  [ -s "$location" ] && break
  sleep 0.01
done
[ -s "$location" ] || { echo "demo: the exchange stub did not start" >&2; exit 1; }

echo "== gaeb-importer 2 x x $sample"
# A German system: ANSI 1252, OEM 850, decimal comma.
LC_ALL=de_DE.UTF-8 GAEB_IMPORTER_MESSAGES=stderr "$importer" 2 x x "$sample"
wait "$stub_pid"
stub_pid=
