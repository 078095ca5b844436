#!/usr/bin/env bash
# Configures a build folder with the project's one set of flags, so that scripts/run.sh and
# scripts/test.sh share build/ without rebuilding each other's work.
#   scripts/configure.sh BUILD_DIR [SANITIZERS] [EXTRA_CMAKE_ARGS...]
# ccache, when installed, keeps the three CI builds from compiling the same sources three times.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:?usage: scripts/configure.sh BUILD_DIR [SANITIZERS]}"
sanitize="${2:-}"
shift $(($# > 1 ? 2 : 1))
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMLB8_WERROR=ON \
  -DMLB8_SANITIZE="$sanitize" -UMLB8_TEST_DIRS "${launcher[@]}" "$@" >/dev/null
