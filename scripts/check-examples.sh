#!/usr/bin/env bash
# Builds the suite and lets the trial host check every example Trimset
# (each function's report windows, its messages and the save verdict), then
# runs every example scenario (editing and import sessions with their
# expectations). Extra arguments go to trialhost (for example --lang fr or --trace).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$("$root/scripts/build.sh" normal)"
status=0
shopt -s nullglob
for trimset in "$root"/examples/*/*.trimset.json; do
  echo "=== ${trimset#"$root"/}"
  set +e
  "$dir/host/trialhost" check "$trimset" --plugins "$dir/plugins" "$@"
  rc=$?
  set -e
  case $rc in
    0) echo "--- save allowed" ;;
    1) echo "--- save vetoed" ;;
    *) echo "--- bad input (exit $rc)"; status=2 ;;
  esac
done
cd "$root"
for scenario in examples/*/*.scenario.json; do
  echo "=== $scenario"
  "$dir/host/trialhost" run "$scenario" --plugins "$dir/plugins" "$@" || status=2
done
exit $status
