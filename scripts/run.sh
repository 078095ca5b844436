#!/usr/bin/env bash
# Builds the manager and runs it on the simulated MLB-8 embedded in it (no hardware needed).
# Without a display it runs under a virtual X server.
#   scripts/run.sh [manager options, e.g. --trace - or --screenshot FILE --page 2]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target mlb8-manager mlb8-sim mlb8ctl

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/mlb8-manager --simulate "$@"
fi
echo "No display: running under a virtual X server (add --screenshot FILE to get a picture and quit)." >&2
exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/mlb8-manager --simulate "$@"
