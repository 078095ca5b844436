# Sourced by the Wine test scripts, after they set $port (COMn): a work folder, the path of the
# simulator's link in it ($link), stop_sim for the simulator whose process is $sim_pid, and a clean-up
# at exit that stops it, the Wine server and the mapping of $port, and removes the work folder.
winesim_scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)"
work="$(mktemp -d)"
link="$work/port"
sim_pid=""
stop_sim() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
  fi
}
cleanup() {
  stop_sim
  wineserver -k >/dev/null 2>&1
  "$winesim_scripts/wine-com.sh" --remove "$port"
  rm -rf "$work"
}
trap cleanup EXIT
