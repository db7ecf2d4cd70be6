#!/usr/bin/env bash
# Makes a fresh Debian machine ready: installs what is missing, generates the German locale the
# tests and the demo run under, and prepares the Wine prefix. Quick when all is there already.
#   scripts/setup.sh demo   what the main job needs (native build)
#   scripts/setup.sh test   everything: cross compiler, Wine, test and benchmark libraries, clang
set -euo pipefail

what=${1:-test}
packages=(cmake ninja-build g++ locales)
if [ "$what" = test ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev g++-mingw-w64-x86-64 wine wine64
             rapidjson-dev unrtf xvfb clang-14 libclang-rt-14-dev python3)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# A German system: de_DE.UTF-8 must exist.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# The Wine prefix: its first start takes a while, so it happens here and not inside a test.
if [ "$what" = test ]; then
  export WINEDEBUG=-all
  if [ ! -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
  fi
fi
