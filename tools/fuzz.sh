#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed time, from its seed
# corpus; a crash or a failed check fails the run. The times keep the whole
# step within about two minutes; FUZZ_SECONDS sets one time for every target.
set -euo pipefail
build=${1:?usage: fuzz.sh BUILD_DIR}
here=$(cd "$(dirname "$0")/.." && pwd)
run() {  # name, seconds, seed folder
  local work seconds=${FUZZ_SECONDS:-$2}
  work=$(mktemp -d)
  cp "$3"/* "$work"/
  echo "fuzzing $1 for ${seconds}s"
  # A failing run shows the fuzzer's report; libFuzzer leaves the input that
  # failed as crash-* in the current directory.
  if ! "$build/bin/$1" -max_total_time="$seconds" -print_final_stats=1 "$work" >"$work.log" 2>&1; then
    tail -n 60 "$work.log"
    rm -rf "$work" "$work.log"
    return 1
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$work.log"
  rm -rf "$work" "$work.log"
}
run reply_fuzz 30 "$here/tests/monitor/fuzz/corpus"
run ini_ansi_fuzz 25 "$here/tests/platform/profile/fuzz/corpus_ansi"
run ini_utf16_fuzz 25 "$here/tests/platform/profile/fuzz/corpus_utf16"
run codepage_fuzz 20 "$here/tests/platform/text/fuzz/corpus"
