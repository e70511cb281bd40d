#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed time, from its seed
# corpus; a crash or a failed check fails the run.
set -euo pipefail
build=${1:?usage: fuzz.sh BUILD_DIR}
seconds=${FUZZ_SECONDS:-30}
here=$(cd "$(dirname "$0")/.." && pwd)
run() {  # name, seed folder
  local work
  work=$(mktemp -d)
  cp "$2"/* "$work"/
  echo "fuzzing $1 for ${seconds}s"
  "$build/bin/$1" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
}
run reply_fuzz "$here/tests/monitor/fuzz/corpus"
