#!/usr/bin/env bash
# Configures a build folder with the project's one set of flags, so that scripts/run.sh and
# scripts/test.sh share build/ without rebuilding each other's work.
#   scripts/configure.sh BUILD_DIR [SANITIZERS] [EXTRA_CMAKE_ARGS...]
# It compiles through ccache when that is installed (scripts/ccache.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:?usage: scripts/configure.sh BUILD_DIR [SANITIZERS]}"
sanitize="${2:-}"
shift $(($# > 1 ? 2 : 1))
source scripts/ccache.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMLB8_WERROR=ON \
  -DMLB8_SANITIZE="$sanitize" -UMLB8_TEST_DIRS "${ccache_args[@]}" "$@" >/dev/null
