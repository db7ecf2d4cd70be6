#!/usr/bin/env bash
# CI smoke run: every fuzz target for about a minute (FUZZ_SMOKE_SECONDS to change it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec "$root/scripts/fuzz.sh" "${FUZZ_SMOKE_SECONDS:-60}"
