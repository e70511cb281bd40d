#!/usr/bin/env bash
# lan_setter in the demo, against the running simulated printer of ROOT
# (its scenario file SCENARIO is rewritten here): --find and --save on the
# simulated USB bus, then over TCP port 9100 of a loopback address once the
# printer has left the bus, and a save that the checks refuse. Under the
# loopback-only rule nothing can reach any other address.
#
#   tools/demo_lan_setter.sh BUILD_DIR ROOT_DIR SCENARIO
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 BUILD_DIR ROOT_DIR SCENARIO" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)/bin
root=$(cd "$2" && pwd)
scenario=$3
export QZ3317VT_ROOT=$root QZ3317VT_USB=sim QZ3317VT_NET=loopback-only
winini="$root/Windows/win.ini"
ini() { "$bin/qz3317vt-ini" "$@"; }
lan_setter() {
  echo "\$ lan_setter $*"
  local status=0
  "$bin/lan_setter" "$@" || status=$?
  echo "(exit status $status)"
}
port_in_use() { echo "PrintPortInUse=$(ini get "$winini" DRVSTM_QZ3317VT PrintPortInUse)"; }
rewrite() { printf '%b' "$1" >"$scenario.new"; mv "$scenario.new" "$scenario"; }

# A loopback address of this run for the printer's new home, so that two
# demos on one machine do not meet on port 9100.
address="127.$((RANDOM % 254 + 1)).$((RANDOM % 254 + 1)).$((RANDOM % 254 + 1))"
rewrite ''
: >"$root/.usb-sim/requests.log"

echo "== lan_setter on the simulated USB bus, before any network driver is installed"
lan_setter --find

echo "== the network driver's installation names $address; lan_setter gives the printer that address"
ini set "$winini" DRVSTM_QZ3317VT PrintPortInUse "$address"
lan_setter --save "$address" 255.0.0.0 127.0.0.1
port_in_use

echo "== the printer leaves the bus and answers on $address:9100"
# It closes each connection once it has answered, so the set command's
# reply read ends at once instead of after the 5-second limit.
rewrite "unplugged = 1\ntcp = $address:9100\nvalue.IP = $address\nfault.tcp = close-after-reply\n"
lan_setter --find
echo "Connect=$(ini get "$winini" DRVSTM_QZ3317VT Connect)"

echo "== a save with a mask that is not contiguous is refused, then forced"
lan_setter --save "$address" 255.0.255.0 127.0.0.1
lan_setter --save "$address" 255.0.255.0 127.0.0.1 --force
port_in_use

echo "== what the printer received"
cat "$root/.usb-sim/requests.log"
rewrite ''
