#!/usr/bin/env bash
# Shows that the Windows build raises a real message box under Wine: runs gaeb-importer.exe
# with an order that is not being edited on a virtual display and saves a screenshot of the
# "Auftrag muss auf "Bearbeiten" stehen!" box.
#   scripts/messagebox-screenshot.sh [OUT.png]   (default: build/messagebox.png)
# GAEB_WIN_BUILD_DIR chooses the Windows build folder (default build/windows).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${GAEB_WIN_BUILD_DIR:-$root/build/windows}
out=${1:-$root/build/messagebox.png}
exe=$build/src/launcher/gaeb-importer.exe

bash "$root/scripts/setup.sh" test
for p in x11-apps imagemagick; do
  dpkg -s "$p" >/dev/null 2>&1 || DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$p"
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset windows -B "$build" >/dev/null
fi
cmake --build "$build" --target gaeb-importer -j2 >/dev/null

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
wine_pid=
cleanup() {
  if [ -n "$wine_pid" ]; then kill "$wine_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

# No GAEB_IMPORTER_MESSAGES here: the box itself is wanted.
env -u GAEB_IMPORTER_MESSAGES DISPLAY="$display" WINEDEBUG=-all LC_ALL=de_DE.UTF-8 \
  wine "$exe" 3 x x none.d83 &
wine_pid=$!

# Wait for the box to be drawn (the first Wine start on a fresh display takes a while).
for _ in $(seq 1 60); do
  sleep 1
  if xwd -root -display "$display" -silent | convert xwd:- -format '%k' info: 2>/dev/null |
      awk '{exit !($1 > 3)}'; then
    break
  fi
done
sleep 2
mkdir -p "$(dirname "$out")"
xwd -root -display "$display" -silent | convert xwd:- "$out"
echo "saved $out"
