#!/usr/bin/env bash
# Runs the Win32 port test under Wine against the simulated processor: each case gets a fresh
# simulator (answering at address 0, hanging up at its fourth frame) behind one COM port.
#   tests/win32/wine_port_test.sh SIMULATOR TEST_EXE [COMn]
# SIMULATOR is the Linux mlb8-sim, TEST_EXE the Windows test_win32_port.exe; COMn defaults to COM7.
# The mapping of COMn is set once (scripts/wine-com.sh, which restarts the Wine server) and removed
# at the end. Exit status: 0 when every case passed.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
sim="${1:?usage: wine_port_test.sh SIMULATOR TEST_EXE [COMn]}"
exe="${2:?usage: wine_port_test.sh SIMULATOR TEST_EXE [COMn]}"
port="${3:-COM7}"
export WINEDEBUG="${WINEDEBUG:--all}"

source "$here/winesim.sh"

"$here/../../scripts/wine-com.sh" "$link" "$port"
# One server for all the runs, its own output (object dumps when a device goes away) kept out.
wineserver -p >/dev/null 2>&1

# The cases without a processor, once.
MLB8_WINE_COM= wine "$exe" --gtest_filter='-Win32SimPort.*' || failed=1

mapfile -t cases < <(wine "$exe" --gtest_list_tests --gtest_filter='Win32SimPort.*' | tr -d '\r' |
  awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
[[ ${#cases[@]} -gt 0 ]] || { echo "no simulator cases listed" >&2; exit 1; }
for name in "${cases[@]}"; do
  "$sim" --address 0 --hangup-after 4 --link "$link" >"$work/sim.out" 2>&1 </dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [[ -e "$link" ]] && break; sleep 0.05; done
  MLB8_WINE_COM="$port" wine "$exe" --gtest_filter="$name" || failed=1
  stop_sim
done
exit "${failed:-0}"
