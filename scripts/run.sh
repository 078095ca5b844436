#!/usr/bin/env bash
# Builds the programs and shows the simulated MLB-8 answering the manager's presence probe:
# mlb8-sim runs on a pseudo-terminal and mlb8ctl finds it there like a real processor on USB.
#   scripts/run.sh [--trace FILE|-]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target mlb8-sim mlb8ctl

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

link="$work/mlb8-port"
build/bin/mlb8-sim --link "$link" --address 3 --log "$work/sim.log" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do
  [ -e "$link" ] && break
  sleep 0.1
done
cat "$work/sim.out"

echo "\$ mlb8ctl --port $link ports"
build/bin/mlb8ctl "$@" --port "$link" ports
echo "\$ mlb8ctl --port $link probe"
build/bin/mlb8ctl "$@" --port "$link" probe
echo "Frames the simulated processor received:"
cat "$work/sim.log"
