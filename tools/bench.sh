#!/usr/bin/env bash
# Benchmarks of a Release build: the Google Benchmark programs, then whole
# process runs timed by hyperfine against the simulated printer.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
bin=$build/bin
root=$(mktemp -d)
trap 'kill ${printer:-} 2>/dev/null || true; rm -rf "$root"' EXIT

for bench in profile_benchmark usb_benchmark monitor_benchmark status_window_benchmark logrecorder_benchmark netsetup_benchmark; do
  exe=$(find "$build" -type f -name "$bench" -perm -u+x | head -n 1)
  [ -n "$exe" ] || { echo "missing benchmark $bench" >&2; exit 1; }
  echo "== $bench"
  "$exe" --benchmark_min_time=0.2
done

record="$root/Program Files/VARN/QZ3317VT"
mkdir -p "$record" "$root/Windows" "$root/ProgramData/VARN/QZ3317VT"
printf '[DRVSPA]\r\nzPort=USB001\r\n' >"$record/QZ3317VT_SMD.DAT"
export QZ3317VT_ROOT=$root QZ3317VT_USB=sim QZ3317VT_NET=loopback-only
"$bin/qz3317vt-logdb" init >/dev/null
printf '[PRINT]\r\nUserName=bench\r\nPageNum=3\r\n' >>"$record/QZ3317VT_SMD.DAT"
"$bin/qz3317vt-printer" --root "$root" >"$root/printer.out" &
printer=$!
for _ in $(seq 100); do grep -q ready "$root/printer.out" && break; sleep 0.05; done

echo "== whole processes"
hyperfine -N --warmup 20 --runs 300 \
  "$bin/qz3317vt-trivial" \
  "$bin/QZ3317VT_EXEPrintLog PrintLog" \
  "$bin/QZ3317VT_PSM JBG" \
  "$bin/QZ3317VT_PSM INI" \
  "$bin/lan_setter --find"
bash "$(dirname "$0")/bench_desktop.sh" "$build"
