#!/usr/bin/env bash
# The demo: a fresh root under the build folder, the driver's side played by
# qz3317vt-ini, the printer by qz3317vt-printer, and the programs run as the
# driver would start them.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
bin=$build/bin
root=$build/demo
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$root"
record="$root/Program Files/VARN/QZ3317VT"
exchange="$record/QZ3317VT_SMD.DAT"
export QZ3317VT_ROOT=$root QZ3317VT_USB=sim QZ3317VT_NET=loopback-only
# Text lines, not windows, for everything but the desktop part at the end.
export QZ3317VT_UI=headless
ini() { "$bin/qz3317vt-ini" "$@"; }

# Prints the named sections of an INI file.
show() {
  local file=$1; shift
  for section in "$@"; do
    tr -d '\r' <"$file" | awk -v s="[$section]" '$0 == s {on = 1; print; next} /^\[/ {on = 0} on'
  done
}

echo "== qz3317vt-root init: the folders the driver's installation makes"
"$bin/qz3317vt-root" init "$root"

echo "== the driver sets the port"
ini set "$exchange" DRVSPA zPort USB001

echo "== QZ3317VT_PSM JBG"
"$bin/QZ3317VT_PSM" JBG
show "$root/Windows/win.ini" DRVSTM

echo "== the simulated printer starts"
scenario=$root/scenario.txt
: >"$scenario"
"$bin/qz3317vt-printer" --root "$root" --scenario "$scenario" >"$root/printer.out" &
printer=$!
trap 'kill $printer 2>/dev/null; wait $printer 2>/dev/null || true' EXIT
for _ in $(seq 100); do grep -q ready "$root/printer.out" 2>/dev/null && break; sleep 0.05; done

echo "== QZ3317VT_PSM INI"
"$bin/QZ3317VT_PSM" INI
show "$root/Windows/win.ini" DRVSTM
show "$exchange" DRVMSG DRVGET DRVSET

echo "== qz3317vt-status: the same refresh, for a person"
"$bin/qz3317vt-status"

echo "== QZ3317VT_PSM DRV, after the printer's settings changed"
# The printer reads its scenario again when the file is replaced.
printf 'value.SleepMode = 60\nvalue.FeedOffset = -1.5\nvalue.TonerRemain = 35\n' >"$scenario.new"
mv "$scenario.new" "$scenario"
"$bin/QZ3317VT_PSM" DRV
show "$exchange" DRVGET DRVSET

echo "== qz3317vt-status during a paper jam"
printf 'status = 44114\nstatus-name = Jam\nvalue.TonerRemain = 35\n' >"$scenario.new"
mv "$scenario.new" "$scenario"
"$bin/qz3317vt-status" >"$root/status.out" || true
head -n 3 "$root/status.out"

echo "== QZ3317VT_PSM CMD: a batch of two commands"
ini set "$exchange" DRVCMD MaxCount 2
ini set "$exchange" DRVCMD Cmd1 "SleepMode=30"
ini set "$exchange" DRVCMD Cmd2 "ScanOffset=+1.0"
"$bin/QZ3317VT_PSM" CMD
echo "Result=$(ini get "$exchange" DRVCMD Result)"
echo "== what the printer received"
cat "$root/.usb-sim/requests.log"

echo "== QZ3317VT_PSM STM: the status window, headless"
bash "$here/demo_status_window.sh" "$build" "$root"

echo "== QZ3317VT_EXEPrintLog"
bash "$here/demo_logrecorder.sh" "$build" "$root"

echo "== qz3317vt-logdb summary --by user"
"$bin/qz3317vt-logdb" summary --by user

echo "== lan_setter"
bash "$here/demo_lan_setter.sh" "$build" "$root" "$scenario"

echo "== QZ3317VT_PSM STM on the desktop host"
bash "$here/demo_desktop.sh" "$build" "$root"
