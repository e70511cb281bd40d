#!/usr/bin/env bash
# The CPU a resident, idle status window uses: runs QZ3317VT_PSM STM on the
# headless host with real-clock ticks in a fresh root for SECONDS (default
# 60) and prints the process's own user and system time over that span, as
# a share of one core. A measurement by hand, not a test.
#
#   tools/idle_cpu.sh BUILD_DIR [SECONDS]
set -euo pipefail
bin=$(cd "${1:-build/release}" && pwd)/bin
seconds=${2:-60}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/Program Files/VARN/QZ3317VT" "$root/Windows/System32/spool/drivers/x64/3"
printf '[DRVSPA]\r\nzPort=USB001\r\n[DRVMSG]\r\nmsgCode=10001\r\n' \
  >"$root/Program Files/VARN/QZ3317VT/QZ3317VT_SMD.DAT"
mkfifo "$root/input"
QZ3317VT_ROOT=$root QZ3317VT_USB=none QZ3317VT_UI=headless \
  "$bin/QZ3317VT_PSM" STM <"$root/input" >/dev/null &
pid=$!
exec 3>"$root/input"
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
sleep 2
before=$(cpu)
sleep "$seconds"
after=$(cpu)
# The ready window hides itself; the tray menu ends it.
printf "icon rclick\npick 32774\n" >&3
exec 3>&-
wait "$pid" || true
awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$seconds" \
  'BEGIN { printf "idle status window: %.2f s of CPU in %d s = %.3f %% of one core\n", (a - b) / t, s, 100 * (a - b) / t / s }'
