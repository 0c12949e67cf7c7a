#!/usr/bin/env bash
# Builds one configuration (normal by default, or "sanitize") and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$("$root/scripts/build.sh" "${1:-normal}")"
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
