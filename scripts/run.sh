#!/usr/bin/env bash
# Builds the manager and runs it on the simulated MLB-8 embedded in it (no hardware needed).
# Without a display it runs under a virtual X server.
#   scripts/run.sh [manager options, e.g. --trace - or --screenshot FILE --page 2]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/configure.sh build
# The manual too: Help opens it.
cmake --build build -j "$(nproc)" --target mlb8-manager mlb8-sim mlb8ctl mlb8-manual

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/mlb8-manager --simulate "$@"
fi
# Nobody can see a virtual screen: take a picture of the connected window and quit, unless asked otherwise.
args=("$@")
if [[ " ${args[*]-} " != *" --screenshot "* ]]; then
  args+=(--screenshot build/mlb8-manager.png)
fi
echo "No display: running under a virtual X server; the window's picture is saved (--screenshot)." >&2
xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/mlb8-manager --simulate "${args[@]}"
for ((i = 0; i + 1 < ${#args[@]}; i++)); do
  if [ "${args[$i]}" = "--screenshot" ]; then echo "Screenshot: ${args[$((i + 1))]}"; fi
done
exit 0
