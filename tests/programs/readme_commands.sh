#!/usr/bin/env bash
# Runs the README's console blocks as a newcomer would type them, and checks
# what they show.
#
#   readme_commands.sh README BUILD_DIR
#
# In a block fenced with ```console, a line "$ CMD" is a command; the lines
# after it are output it must print (each somewhere in its output, as a
# whole line; "$QZ3317VT_ROOT" in them stands for that variable's value).
# The commands run in one shell, in a scratch folder where "build" is the
# build tree, so "export" and "%1" carry over as in a terminal. A command
# must end with 0; one ending in "&" runs in the background, and the run
# waits (up to 20 s) for the output shown after it.
set -uo pipefail
readme=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
build=$(cd "$2" && pwd)
work=$(mktemp -d)
cleanup() {
  local jobs
  jobs=$(jobs -p)
  [ -n "$jobs" ] && kill $jobs 2>/dev/null && wait 2>/dev/null
  [ -n "${QZ3317VT_ROOT:-}" ] && [ "$QZ3317VT_ROOT" != / ] && rm -rf "$QZ3317VT_ROOT"
  rm -rf "$work"
}
trap cleanup EXIT
ln -s "$build" "$work/build"
cd "$work" || exit 1

fail() {
  echo "README line $1: $2" >&2
  [ -f "$work/out" ] && sed 's/^/  | /' "$work/out" >&2
  exit 1
}

awk '/^```console$/ {on = 1; next} /^```$/ {on = 0} on {print NR "\t" $0}' "$readme" >"$work/steps"
[ -s "$work/steps" ] || fail 0 "no console block"

command="" at=0 background=0
expected=()

check_output() {
  local line wanted
  for line in "${expected[@]}"; do
    wanted=${line//'$QZ3317VT_ROOT'/${QZ3317VT_ROOT:-}}
    if [ "$background" = 1 ]; then
      for _ in $(seq 400); do grep -qxF -- "$wanted" "$work/out" && break; sleep 0.05; done
    fi
    grep -qxF -- "$wanted" "$work/out" || fail "$at" "\`$command\` did not print: $wanted"
  done
}

run_pending() {
  [ -n "$command" ] || return 0
  if [ "$background" = 1 ]; then
    eval "$command" >"$work/out" 2>&1 </dev/null
  else
    eval "$command" >"$work/out" 2>&1 </dev/null || fail "$at" "\`$command\` ended with $?"
  fi
  check_output
  command="" expected=()
}

while IFS=$'\t' read -r number text <&3; do
  if [[ $text == '$ '* ]]; then
    run_pending
    command=${text#'$ '} at=$number background=0
    [[ $command == *'&' ]] && background=1
  else
    [ -n "$command" ] || fail "$number" "output before any command"
    expected+=("$text")
  fi
done 3<"$work/steps"
run_pending
echo "ran $(grep -c $'\t\\$ ' "$work/steps") README commands"
