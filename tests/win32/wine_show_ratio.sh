#!/usr/bin/env bash
# Measures mlb8ctl.exe show under Wine against the Linux mlb8ctl show in one run: RUNS runs of each,
# alternating, each against a fresh simulator (the Linux one on the simulator's link, the Windows one on
# the COM port mapped onto it), with one Wine server kept running. Prints the median wall time of each,
# their ratio, and the median time Wine takes to start the program alone (mlb8ctl.exe --help).
#   tests/win32/wine_show_ratio.sh SIMULATOR MLB8CTL MLB8CTL_EXE [RUNS] [COMn]
# WINEPREFIX selects the prefix (scripts/test-windows.sh makes one in build-windows/wine).
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
usage="usage: wine_show_ratio.sh SIMULATOR MLB8CTL MLB8CTL_EXE [RUNS] [COMn]"
sim="$(realpath "${1:?$usage}")"
ctl="$(realpath "${2:?$usage}")"
exe="$(realpath "${3:?$usage}")"
runs="${4:-5}"
port="${5:-COM7}"
export WINEDEBUG="${WINEDEBUG:--all}"

source "$here/winesim.sh"

start_sim() {
  "$sim" --address 0 --link "$link" >/dev/null 2>&1 </dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done
}
# Wall seconds of one command, its output dropped; a failed command ends the measurement.
seconds() {
  local start end
  start=$(date +%s.%N)
  if ! "$@" >/dev/null 2>&1; then
    echo "failed: $*" >&2
    exit 1
  fi
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {print b - a}'
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

"$here/../../scripts/wine-com.sh" "$link" "$port"
wineserver -p >/dev/null 2>&1
wine "$exe" --help >/dev/null 2>&1 # Wine's first start in the prefix loads what later starts reuse
linux=() wine=() start=()
for ((i = 0; i < runs; i++)); do
  start_sim
  linux+=("$(seconds "$ctl" --port "$link" show)")
  stop_sim
  start_sim
  wine+=("$(seconds wine "$exe" --port "$port" show)")
  stop_sim
  start+=("$(seconds wine "$exe" --help)")
done
l=$(printf '%s\n' "${linux[@]}" | median)
w=$(printf '%s\n' "${wine[@]}" | median)
s=$(printf '%s\n' "${start[@]}" | median)
printf 'mlb8ctl show (Linux):       %.2f s (median of %d: %s)\n' "$l" "$runs" "${linux[*]}"
printf 'mlb8ctl.exe show (Wine):    %.2f s (%s)\n' "$w" "${wine[*]}"
printf 'ratio:                      %.2f\n' "$(awk -v a="$w" -v b="$l" 'BEGIN {print a / b}')"
printf "Wine's start of the program: %.2f s (mlb8ctl.exe --help: %s)\n" "$s" "${start[*]}"
printf 'load average at the end:    %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
