#!/bin/sh
# A CUPS backend for tests: plays the scenario file named by "file=" in its
# device URI. Each line is "RUN COMMAND ARGUMENT...", RUN being the number
# of the backend run the line belongs to (the job's first try is 1, a try
# after a release 2, ...) or "*" for every run:
#   state REASONS   "STATE: REASONS" (e.g. +media-jam-error, -media-jam-error)
#   page N C        "PAGE: N C": page N printed, C copies
#   wait PATH       wait until PATH exists
#   exit CODE       end the run with CODE (3 holds the job, 4 stops the queue)
# The run number is counted in SCENARIO.runs.
[ $# -eq 0 ] && exit 0
scenario="${DEVICE_URI#*file=}"
runs=$(cat "$scenario.runs" 2>/dev/null || echo 0)
runs=$((runs + 1))
echo "$runs" > "$scenario.runs"
while read -r run command argument; do
  [ "$run" = "*" ] || [ "$run" = "$runs" ] || continue
  case "$command" in
    state) echo "STATE: $argument" >&2 ;;
    page) echo "PAGE: $argument" >&2 ;;
    wait) while [ ! -e "$argument" ]; do sleep 0.01; done ;;
    exit) exit "$argument" ;;
  esac
done < "$scenario"
exit 0
