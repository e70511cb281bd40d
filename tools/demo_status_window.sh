#!/usr/bin/env bash
# The status window in the demo: QZ3317VT_PSM STM on the headless host with
# driven ticks, against the simulated printer that serves ROOT. This script
# plays the driver on the exchange file (with qz3317vt-ini) and the user on
# the window's standard input, and prints at each step what the window
# showed and the "DRVMSG" keys it wrote.
#
#   tools/demo_status_window.sh BUILD_DIR ROOT_DIR
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR ROOT_DIR" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)/bin
root=$(cd "$2" && pwd)
export QZ3317VT_ROOT=$root QZ3317VT_USB=sim QZ3317VT_UI=headless QZ3317VT_UI_TICKS=driven
exchange="$root/Program Files/VARN/QZ3317VT/QZ3317VT_SMD.DAT"
ini() { "$bin/qz3317vt-ini" "$@"; }

driver() { ini set "$exchange" "$1" "$2" "$3"; echo "   driver: [$1] $2=$3"; }

keys() {
  local line="   keys:"
  for key in msgCode msgResult msgRun msgWorking STMreaddata; do
    line+=" $key=$(ini get "$exchange" DRVMSG "$key" 2>/dev/null || echo -)"
  done
  echo "$line"
}

# The driver ships the resource text file in its 8-bit code page.
resources="$root/Windows/System32/spool/drivers/x64/3/QZ3317VT_RES.DAT"
mkdir -p "$(dirname "$resources")"
iconv -f UTF-8 -t GBK >"$resources" <<'TEXTS'
[FW_MSG]
V_READY=就绪
V_READYc2=状态代码 %s
V_READYi1=打印机已就绪。
V_JAM_TRAY1=纸盒1卡纸
V_JAM_TRAY1c2=状态代码 %s
V_JAM_TRAY1i1=请取出卡住的纸张，
V_JAM_TRAY1i2=然后关闭前盖。
[WEBSITE]
current=http://127.0.0.1/consumables
TEXTS

coproc window { "$bin/QZ3317VT_PSM" STM 2>&1; }
window_pid=$window_PID
sync=0
# Sends one input line and prints what the window wrote for it.
user() {
  sync=$((sync + 1))
  [ -n "$1" ] && echo "   input: $1"
  printf '%s\nsync %d\n' "$1" "$sync" >&"${window[1]}"
  local line
  while IFS= read -r line <&"${window[0]}"; do
    [ "$line" = "sync $sync" ] && break
    echo "     | $line"
  done
}

echo "== the status window starts; the printer is ready"
driver DRVSPA zPort USB001
driver DRVMSG msgCode 10001
driver DRVSPA Printing 0
user ""
keys
echo "== one tick later: ready hides the window"
user tick
echo "== a paper jam while printing"
driver DRVMSG msgCode 44114
driver DRVSPA Printing 1
user tick
keys
echo "== the user continues"
user "click 1424"
keys
echo "== the driver reports ready again"
driver DRVMSG msgCode 10001
driver DRVSPA Printing 0
user tick
keys
echo "== exit from the tray menu"
user "icon rclick"
printf 'pick 32774\n' >&"${window[1]}"
while IFS= read -r line <&"${window[0]}"; do echo "     | $line"; done
wait "$window_pid" || true
keys
