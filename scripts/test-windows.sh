#!/usr/bin/env bash
# Cross-builds everything below the window for 64-bit Windows (MinGW-w64, cmake/mingw-w64-x86_64.cmake)
# in build-windows/ and runs its tests there under Wine. The window itself is not built: there is no
# Qt for Windows here (see the README's "Windows" section). Suites that need a POSIX pseudo-terminal,
# the simulated processor or mlb8ctl as a child process stay on Linux (tests/CMakeLists.txt).
#   scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

packages=(cmake ninja-build ccache g++-mingw-w64-x86-64-posix wine wine64 googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="build-windows"
gtest_src="/usr/src/googletest"
# Wine keeps its Windows inside the build folder, never in the user's ~/.wine.
mkdir -p "$build"
export WINEPREFIX="$PWD/$build/wine"
export WINEARCH=win64
export WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
fi
# One Wine server for the whole run instead of one per test program; ended at the end.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

source scripts/ccache.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMLB8_WERROR=ON -DMLB8_GTEST_SOURCE_DIR="$gtest_src" \
  -UMLB8_TEST_DIRS "${ccache_args[@]}" >/dev/null
jobs="$(nproc)"
cmake --build "$build" -j "$jobs"

# The test programs run under Wine (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR).
log="$build/ctest.log"
status=0
ctest --test-dir "$build" --output-on-failure -j "$((jobs * 2))" | tee "$log" || status=$?
summary=$(grep -E "tests passed|tests failed" "$log" | tail -1 || true)
echo "Windows build: ${summary:-no tests ran} (under Wine), $((SECONDS - start)) s in all" >&2
exit $status
