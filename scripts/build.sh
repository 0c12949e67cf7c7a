#!/usr/bin/env bash
# Configures and builds one configuration: "normal" (warnings as errors) into
# build/, or "sanitize" (AddressSanitizer + UndefinedBehaviorSanitizer) into
# build-sanitize/. Prints the build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
config="${1:-normal}"
case "$config" in
  normal) dir="$root/build"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSIS_WERROR=ON) ;;
  sanitize) dir="$root/build-sanitize"; flags=(-DCMAKE_BUILD_TYPE=Debug -DSIS_WERROR=ON -DSIS_SANITIZE=ON) ;;
  *) echo "usage: $0 [normal|sanitize]" >&2; exit 2 ;;
esac
"$root/scripts/setup.sh" >&2
cmake -S "$root" -B "$dir" -G Ninja "${flags[@]}" >&2
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
