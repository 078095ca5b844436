#!/usr/bin/env bash
# mlb8ctl.exe under Wine against the simulated processor behind a COM port, compared with the Linux
# mlb8ctl on the simulator's pseudo-terminal: ports, probe, show, dump, load, store and a simulator
# killed in the middle of a load; and --simulate, which a build without the simulator refuses. Each
# run of either program gets a fresh simulator; the outputs, exit statuses and written files must be
# the same once the port's name, the date stamp of a dump and the line ends are set aside.
#   tests/win32/wine_ctl_test.sh SIMULATOR MLB8CTL MLB8CTL_EXE PRESET_FILE [COMn]
# SIMULATOR is the Linux mlb8-sim, MLB8CTL the Linux mlb8ctl, MLB8CTL_EXE the Windows one, PRESET_FILE
# a preset file to load; COMn defaults to COM7. Exit status: 0 when every comparison held.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
usage="usage: wine_ctl_test.sh SIMULATOR MLB8CTL MLB8CTL_EXE PRESET_FILE [COMn]"
sim="${1:?$usage}"
ctl="${2:?$usage}"
exe="${3:?$usage}"
preset="${4:?$usage}"
port="${5:-COM7}"
# The programs run in folders of their own.
sim="$(realpath "$sim")"
ctl="$(realpath "$ctl")"
exe="$(realpath "$exe")"
preset="$(realpath "$preset")"
export WINEDEBUG="${WINEDEBUG:--all}"

source "$here/winesim.sh"
failed=0

start_sim() {
  rm -f "$work/sim.log"
  "$sim" --address 0 --link "$link" --log "$work/sim.log" >/dev/null 2>&1 </dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done
}

# The program of one side with its port: the Linux one is given the simulator's link, the Windows one
# finds the port as a user's would (the mapped COM port among Wine's).
run_side() {
  local side="$1"
  shift
  if [[ "$side" == linux ]]; then
    "$ctl" --port "$link" "$@"
  else
    wine "$exe" "$@"
  fi
}

# What may differ between the two sides: the port's names (\\.\COMn, also as a JSON string) and the
# line ends.
normalise() {
  tr -d '\r' | sed -E -e "s#$link#PORT#g" -e 's#\\\\\\\\\.\\\\COM[0-9]+#PORT#g' \
    -e 's#\\\\\.\\COM[0-9]+#PORT#g' -e 's#COM[0-9]+#COMn#g'
}
# A preset file without its date stamp.
undated() {
  if [[ -f "$1" ]]; then
    tr -d '\r' <"$1" | grep -vE '^(Year|Month|Day|Hour|Minute|Second)='
  else
    echo "missing: $1"
    failed=1
  fi
}

compare() {
  local what="$1" a="$2" b="$3"
  if diff -u --label "$a" --label "$b" "$a" "$b"; then
    echo "same: $what"
  else
    echo "differs: $what"
    failed=1
  fi
}

# Runs one command on both sides, each against a fresh simulator, in the folder of its side (files
# named by the command land there), and compares output, errors and exit status.
both() {
  local name="$1"
  shift
  local side
  for side in linux wine; do
    mkdir -p "$work/$side"
    start_sim
    (cd "$work/$side" && run_side "$side" "$@" >"$work/$side.$name.out" 2>"$work/$side.$name.err")
    echo "exit $?" >>"$work/$side.$name.out"
    stop_sim
    normalise <"$work/$side.$name.out" >"$work/$side.$name.out.n"
    normalise <"$work/$side.$name.err" >"$work/$side.$name.err.n"
  done
  compare "$name (output, exit status)" "$work/linux.$name.out.n" "$work/wine.$name.out.n"
  compare "$name (errors)" "$work/linux.$name.err.n" "$work/wine.$name.err.n"
}

"$here/../../scripts/wine-com.sh" "$link" "$port"
wineserver -p >/dev/null 2>&1

# ports: the mapped port is listed.
start_sim
wine "$exe" ports >"$work/ports.out" 2>&1
stop_sim
if tr -d '\r' <"$work/ports.out" | grep -qE "^$port( |$)"; then
  echo "same: ports lists $port"
else
  echo "ports does not list $port:" >&2
  cat "$work/ports.out" >&2
  failed=1
fi

# --simulate: this build has no simulated processor, and says so.
wine "$exe" --simulate probe >"$work/simulate.out" 2>"$work/simulate.err"
echo "exit $?" >>"$work/simulate.out"
printf 'mlb8ctl: --simulate is not available in this build\n' >"$work/simulate.err.want"
printf 'exit 1\n' >"$work/simulate.out.want"
tr -d '\r' <"$work/simulate.err" >"$work/simulate.err.n"
compare "--simulate refused (errors)" "$work/simulate.err.want" "$work/simulate.err.n"
compare "--simulate refused (output, exit status)" "$work/simulate.out.want" "$work/simulate.out"

cp "$preset" "$work/preset.Dovu"
both probe probe
both show show
both dump dump dumped.Dovu
undated "$work/linux/dumped.Dovu" >"$work/linux.dumped"
undated "$work/wine/dumped.Dovu" >"$work/wine.dumped"
compare "the file dump wrote" "$work/linux.dumped" "$work/wine.dumped"
both load load ../preset.Dovu
both store store 3
both show-json --json show

# The simulator killed in the middle of a load: the same message and exit status. It is killed once
# it has received a third of the load's frames, so that the program has long found the processor.
for side in linux wine; do
  start_sim
  (cd "$work" && run_side "$side" load preset.Dovu >"$work/$side.pulled.out" 2>"$work/$side.pulled.err") &
  ctl_pid=$!
  for _ in $(seq 3000); do
    [[ "$(grep -c '^rx' "$work/sim.log" 2>/dev/null)" -ge 45 ]] && break
    kill -0 "$ctl_pid" 2>/dev/null || break
    sleep 0.01
  done
  frames="$(grep -c '^rx' "$work/sim.log" 2>/dev/null)"
  stop_sim
  wait "$ctl_pid"
  echo "exit $?" >>"$work/$side.pulled.out"
  echo "$side: simulator killed after $frames frames"
  normalise <"$work/$side.pulled.out" >"$work/$side.pulled.out.n"
  normalise <"$work/$side.pulled.err" >"$work/$side.pulled.err.n"
done
compare "load, simulator killed (output, exit status)" "$work/linux.pulled.out.n" "$work/wine.pulled.out.n"
compare "load, simulator killed (errors)" "$work/linux.pulled.err.n" "$work/wine.pulled.err.n"

exit "$failed"
