#!/usr/bin/env bash
# `cmake --install` of a build tree into a staging folder: every program and
# tool lands in bin/, the udev rule in its rules folder (outside the
# prefix), and an install that cannot write the rule still succeeds and
# says so.
#
#   install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1 build=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

fail() { echo "$1" >&2; exit 1; }

DESTDIR=$stage/full cmake --install "$build" --prefix /opt/qz >"$stage/full.log"
for program in QZ3317VT_PSM QZ3317VT_EXEPrintLog lan_setter qz3317vt-ini qz3317vt-logdb qz3317vt-printer \
               qz3317vt-root qz3317vt-status; do
  [ -x "$stage/full/opt/qz/bin/$program" ] || fail "not installed: bin/$program"
done
rule=$stage/full/etc/udev/rules.d/70-qz3317vt.rules
cmp -s "$rule" "$source/packaging/70-qz3317vt.rules" || fail "udev rule not installed at $rule"
grep -q 'ATTR{idVendor}=="7a3c", ATTR{idProduct}=="5b21"' "$rule" || fail "the rule names another device"

# A file where the rules folder should be: the rule is skipped, the rest
# installed, and the install still ends well.
mkdir -p "$stage/blocked/etc/udev"
: >"$stage/blocked/etc/udev/rules.d"
DESTDIR=$stage/blocked cmake --install "$build" --prefix /opt/qz >"$stage/blocked.log" ||
  fail "an unwritable rules folder failed the install"
grep -q "Skipped the udev rule" "$stage/blocked.log" || fail "no word about the skipped rule"
[ -x "$stage/blocked/opt/qz/bin/qz3317vt-status" ] || fail "the programs were not installed"
echo "installed and checked"
