#!/bin/sh
# Builds the map file fuzzer with clang and runs it.
#   plugins/Vt7Cnv/fuzz/run.sh [seconds]     (default 180)
# The seed corpus is tests/corpus; new inputs go to a scratch folder so that
# the kept corpus stays small. Crashes are written to the scratch folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
seconds=${1:-180}
work=${VT7CNV_FUZZ_DIR:-/tmp/vt7cnv-fuzz}
mkdir -p "$work/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
  -I"$root/plugins/Vt7Cnv/src" -I"$root/framework/include" \
  "$here/map_file_fuzz.cpp" "$root/plugins/Vt7Cnv/src/map_file.cpp" "$root/plugins/Vt7Cnv/src/map_convert.cpp" \
  -o "$work/map_file_fuzz"
cd "$work"
exec ./map_file_fuzz -max_total_time="$seconds" -max_len=140000 -artifact_prefix="$work/" \
  "$work/corpus" "$root/plugins/Vt7Cnv/tests/corpus"
