#!/usr/bin/env bash
# Whole-process figures of the desktop host, side by side in one hyperfine
# run: the one-shot programs (which never load the toolkit) against a
# trivial program, and a status window and the setup dialog from start to
# their first paint on Qt's offscreen platform; then an idle "STM" monitor's CPU time over a
# minute and its resident memory.
#   tools/bench_desktop.sh RELEASE_BUILD_DIR [IDLE_SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
idle=${2:-60}
bin=$build/bin
root=$(mktemp -d)
trap 'kill ${monitor:-} 2>/dev/null || true; rm -rf "$root"' EXIT

record="$root/Program Files/VARN/QZ3317VT"
mkdir -p "$record" "$root/Windows" "$root/ProgramData/VARN/QZ3317VT" -m 0700 "$root/runtime"
printf '[DRVSPA]\r\nzPort=USB001\r\nPrinting=1\r\n[DRVMSG]\r\nmsgCode=44114\r\n' >"$record/QZ3317VT_SMD.DAT"
export QZ3317VT_ROOT=$root QZ3317VT_USB=sim XDG_RUNTIME_DIR=$root/runtime QT_QPA_PLATFORM=offscreen
"$bin/qz3317vt-logdb" init >/dev/null
printf '[PRINT]\r\nUserName=bench\r\nPageNum=3\r\n' >>"$record/QZ3317VT_SMD.DAT"

echo "== whole processes; the status window ends after its first paint"
hyperfine -N --warmup 5 --runs 40 \
  "$bin/qz3317vt-trivial" \
  "$bin/QZ3317VT_PSM JBG" \
  "$bin/QZ3317VT_EXEPrintLog PrintLog" \
  "env QZ3317VT_UI=desktop QZ3317VT_UI_SNAPSHOT=$root/first-paint.png $bin/QZ3317VT_PSM STM" \
  "env QZ3317VT_UI=desktop QZ3317VT_UI_SNAPSHOT=$root/setup.png $bin/lan_setter"

echo "== an idle STM monitor on the desktop host for ${idle} s (ready status, window hidden)"
"$bin/qz3317vt-ini" set "$record/QZ3317VT_SMD.DAT" DRVMSG msgCode 10001
QZ3317VT_UI=desktop "$bin/QZ3317VT_PSM" STM </dev/null >/dev/null 2>&1 &
monitor=$!
sleep 3
# CPU time of all the process's threads in nanoseconds (the scheduler's
# own count: /proc's user and system times step in 10 ms ticks, too coarse
# for a process that is idle).
cpu_ns() { cat /proc/"$monitor"/task/*/schedstat | awk '{ns += $1} END {print ns}'; }
before=$(cpu_ns)
sleep "$idle"
after=$(cpu_ns)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$monitor/status")
awk -v ns=$((after - before)) -v s="$idle" -v rss="$rss" 'BEGIN {
  printf "CPU %.4f s in %d s = %.3f %% of a core; resident memory %.1f MiB\n", ns / 1e9, s, 100 * ns / 1e9 / s, rss / 1024 }'
