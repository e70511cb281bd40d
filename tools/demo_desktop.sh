#!/usr/bin/env bash
# The windows of the demo on the desktop host: the status window with a
# paper jam during a print job, then the setup dialog against the running
# simulated printer on the simulated USB bus. With a display each shows
# there until the user ends it (the status window with Esc or "退出" in the
# icon's menu, the setup dialog with "关闭"); without one each is rendered on
# Qt's offscreen platform to a PNG file under the root folder, the setup
# dialog after a click on "查找设备".
#   tools/demo_desktop.sh BUILD_DIR ROOT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$2
bin=$build/bin
exchange="$root/Program Files/VARN/QZ3317VT/QZ3317VT_SMD.DAT"
resources="$root/Windows/System32/spool/drivers/x64/3/QZ3317VT_RES.DAT"
shots=$root
ini() { "$bin/qz3317vt-ini" "$@"; }

# The resource text file is in code page 936, as the driver ships it.
printf '[FW_MSG]\nV_JAM_TRAY1=卡纸\nV_JAM_TRAY1c2=代码 %%s\nV_JAM_TRAY1i1=打开前盖，取出纸盒中卡住的纸张。\nV_JAM_TRAY1i2=然后关闭前盖。\n' |
  iconv -f UTF-8 -t GBK >"$resources"
ini set "$exchange" DRVMSG msgCode 44114
ini set "$exchange" DRVSPA Printing 1

export QZ3317VT_UI=desktop
# The toolkit wants a private runtime folder.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$root/.runtime
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
fi
# The toolkit's libraries keep some memory until the process ends.
export LSAN_OPTIONS=suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/support/toolkit_leaks.supp:print_suppressions=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== the status window with a paper jam: end it with Esc or the icon's 退出"
  "$bin/QZ3317VT_PSM" STM
else
  mkdir -p "$shots"
  echo "== no display: the status window with a paper jam, rendered offscreen"
  QT_QPA_PLATFORM=offscreen QZ3317VT_UI_SNAPSHOT="$shots/status-window-jam.png" \
    "$bin/QZ3317VT_PSM" STM
  echo "picture: $shots/status-window-jam.png"
fi
ini get "$exchange" DRVMSG msgResult || true

export QZ3317VT_ROOT=$root QZ3317VT_USB=sim QZ3317VT_NET=loopback-only
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== the setup dialog: 查找设备 reads the printer's settings; end it with 关闭"
  "$bin/lan_setter"
else
  echo "== no display: the setup dialog after 查找设备, rendered offscreen"
  QT_QPA_PLATFORM=offscreen QZ3317VT_UI_SNAPSHOT="$shots/setup-dialog-find.png" \
    QZ3317VT_UI_SNAPSHOT_CLICKS=1000 "$bin/lan_setter"
  echo "picture: $shots/setup-dialog-find.png"
fi
