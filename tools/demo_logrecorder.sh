#!/usr/bin/env bash
# The usage log recorder in the demo: makes the usage log database under
# ROOT, writes one record of each kind as the driver would (with
# qz3317vt-ini), runs the recorder once per log word and prints the five
# tables.
#
#   tools/demo_logrecorder.sh BUILD_DIR ROOT_DIR
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR ROOT_DIR" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)/bin
mkdir -p "$2"
root=$(cd "$2" && pwd)
export QZ3317VT_ROOT=$root

record="$root/Program Files/VARN/QZ3317VT"
database="$root/ProgramData/VARN/QZ3317VT/QZ3317VT.MDB"
mkdir -p "$record"
rm -f "$database"

# The driver writes its records in the 8-bit code page; --utf16 takes the
# UTF-8 of this script and converts it.
ini() { "$bin/qz3317vt-ini" set "$@" --utf16; }

echo "== qz3317vt-logdb init"
"$bin/qz3317vt-logdb" init

echo "== the driver leaves one record of each kind"
exchange="$record/QZ3317VT_SMD.DAT"
ini "$exchange" PRINT UserName "张三"
ini "$exchange" PRINT ComputerName "OFFICE-PC"
ini "$exchange" PRINT strDocmentName "季度报告.docx"
ini "$exchange" PRINT strPrintTime "2024-05-01 10:20:30"
ini "$exchange" PRINT PageNum 12
ini "$exchange" PRINT Copies 2
ini "$exchange" PRINT PrintResult "成功"

network="$record/QZ3317VT_SMD_NET.DAT"
ini "$network" PRINT UserName "li.si"
ini "$network" PRINT ComputerName "LAPTOP-7"
ini "$network" PRINT strDocmentName "invoice.pdf"
ini "$network" PRINT strPrintTime "2024-05-01 11:00:00"
ini "$network" PRINT PageNum 1
ini "$network" PRINT Copies 1
ini "$network" PRINT PrintResult "OK"

settings="$record/QZ3317VTSettings.ini"
ini "$settings" ScanLog Pages 3
ini "$settings" ScanLog DocName "合同扫描.pdf"
ini "$settings" ScanLog ScanSource "ADF"
ini "$settings" ScanLog ScanMode "彩色"
ini "$settings" ScanLog Resolution "300"
ini "$settings" ScanLog Time "2024-05-01 14:05:00"
ini "$settings" ScanLog Result "完成"
ini "$settings" CopyLog copypages 4
ini "$settings" CopyLog printpages 8
ini "$settings" CopyLog time "2024-05-01 15:30:00"

network_settings="$record/QZ3317VTSettingsNet.ini"
ini "$network_settings" ScanLog Pages 1
ini "$network_settings" ScanLog DocName "receipt.jpg"
ini "$network_settings" ScanLog ScanSource "Flatbed"
ini "$network_settings" ScanLog ScanMode "Gray"
ini "$network_settings" ScanLog Resolution "600"
ini "$network_settings" ScanLog Time "2024-05-01 16:45:10"
ini "$network_settings" ScanLog Result "OK"

for word in PrintLog PrintLog_NET ScanLog ScanLog_NET CopyLog; do
  echo "== QZ3317VT_EXEPrintLog $word"
  "$bin/QZ3317VT_EXEPrintLog" "$word"
done

for table in PRINTDOC PRINTDOC_NET ScanLog ScanLog_NET CopyLog; do
  echo "== qz3317vt-logdb list $table"
  "$bin/qz3317vt-logdb" list "$table"
done
