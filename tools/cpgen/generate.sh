#!/usr/bin/env bash
# Regenerates the POSIX code page and composition tables from the system's own conversions.
# Needs the MinGW cross compiler, Wine and glibc iconv (for the double-byte differences).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../../src/platform/posix"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -O2 -static -o "$work/cpgen.exe" "$here/cpgen.cpp"
LC_ALL=de_DE.UTF-8 WINEDEBUG=-all wine "$work/cpgen.exe" > "$work/dump.txt"
python3 "$here/make_tables.py" "$work/dump.txt" "$out"
echo "tables written to $out"
