#!/usr/bin/env bash
# Cross-builds everything below the window and mlb8ctl for 64-bit Windows (MinGW-w64,
# cmake/mingw-w64-x86_64.cmake) in build-windows/ and runs its tests there under Wine. The window
# itself is not built: there is no Qt for Windows here (see the README's "Windows" section); its
# sources are compiled for Windows against this machine's Qt 6 headers, not linked
# (cmake/window-compile-check.cmake). Suites
# that need a POSIX pseudo-terminal, the simulated processor or mlb8ctl as a child process stay on
# Linux (tests/CMakeLists.txt). Then the Win32 serial port and mlb8ctl.exe run against the Linux
# simulator behind a COM port (tests/win32/wine_port_test.sh, tests/win32/wine_ctl_test.sh), the
# latter compared with the Linux mlb8ctl: both are built in build/ first (a no-op when CI's earlier
# stage has built them).
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
# Wine turns Windows file names into Unix ones in the Unix locale's character set: in the C locale a
# name beyond ASCII cannot be made at all. Windows itself has no such limit, so the tests run in UTF-8.
export LC_ALL=C.UTF-8
# Wine's own set-up writes to a log, shown when a step fails. Each step is tried three times: a step
# that fails ends with Wine's status alone (53 when Wine could not open one of its own programs), so
# what Wine said is printed with it. A prefix whose first set-up failed is made again from nothing.
wine_log="$build/wine-setup.log"
: >"$wine_log"
wine_step() {
  local tries=1 rc
  while true; do
    "$@" </dev/null >>"$wine_log" 2>&1 && return 0
    rc=$?
    echo "Wine: \"$*\" ended with status $rc (try $tries of 3)" >&2
    if [ "$tries" -ge 3 ]; then
      echo "---- what Wine printed ($wine_log):" >&2
      cat "$wine_log" >&2
      return "$rc"
    fi
    tries=$((tries + 1))
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    [ "$1" = wineboot ] && [ "${2:-}" = --init ] && rm -rf "$WINEPREFIX"
    sleep 2
  done
}
# Where Wine cannot set itself up (before any program of the project runs), the stage still builds
# everything and compiles the window, then says plainly that nothing ran under Wine and ends there
# with success: a machine without a working Wine lacks a tool, the project's code is not at fault.
# The note is kept in build-windows/wine-skipped.txt, which .ci/run repeats at its end.
skipped="$build/wine-skipped.txt"
rm -f "$skipped"
wine_ready=true
echo "Windows build: preparing Wine ($WINEPREFIX)"
trap 'wineserver -k 2>/dev/null || true' EXIT
# The programs under test need neither .NET nor the HTML engine: a prefix made without them (no look for
# Wine Mono and Gecko) is ready in about half the time.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  WINEDLLOVERRIDES="mscoree,mshtml=" wine_step wineboot --init || wine_ready=false
fi
# One Wine server for the whole run instead of one per test program, ended at the end. A server of
# this prefix left by the set-up or an interrupted run is ended first. Wine's own services are started
# here, with their output going to the log: started by a test program they would inherit its output
# and keep it open after the program ends.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
if $wine_ready; then
  wine_step wineserver -p && wine_step wineboot || wine_ready=false
fi
if $wine_ready; then
  echo "Windows build: Wine is ready; building"
else
  echo "Windows build: Wine could not set itself up here; building without running anything under Wine"
fi

source scripts/ccache.sh
# The Linux Qt 6 headers (qt6-base-dev) for the compile check of the window's sources.
qt_headers="$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || true)"
if [ -z "$qt_headers" ] || [ ! -d "$qt_headers/QtWidgets" ]; then
  echo "No Qt 6 headers found (qtpaths6): the window's sources are not compiled for Windows" >&2
  qt_headers=""
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMLB8_WERROR=ON -DMLB8_GTEST_SOURCE_DIR="$gtest_src" \
  -DMLB8_WINDOW_CHECK_QT_HEADERS="$qt_headers" -UMLB8_TEST_DIRS "${ccache_args[@]}" >/dev/null
jobs="$(nproc)"
cmake --build "$build" -j "$jobs"
if [ -n "$qt_headers" ]; then
  echo "The window's sources compile for Windows (against the Qt 6 headers of this machine, not linked)"
fi

if ! $wine_ready; then
  n_programs=$(find "$build/bin" -maxdepth 1 -name 'test_*.exe' | wc -l)
  echo "Windows build: built, but NOT TESTED: Wine could not set itself up on this machine (what it" \
    "printed is above and in $wine_log), so the $n_programs test programs and the comparisons of" \
    "mlb8ctl.exe with mlb8ctl did not run" | tee "$skipped" >&2
  exit 0
fi

# Each test program runs once under Wine, the programs side by side (most of a run is Wine starting).
# CTest can run the same tests one by one (ctest --test-dir build-windows), at many times the cost.
# The Win32 port test runs below, with the simulator.
mapfile -t programs < <(find "$build/bin" -maxdepth 1 -name 'test_*.exe' ! -name test_win32_port.exe | sort)
run_one() {
  local program="$1" log="$build/$(basename "$1" .exe).log"
  timeout 600 wine "$program" --gtest_brief=1 >"$log" 2>&1
}
pids=()
for program in "${programs[@]}"; do
  run_one "$program" &
  pids+=($!)
  # At most two programs per core at once.
  while [ "$(jobs -rp | wc -l)" -ge "$((jobs * 2))" ]; do sleep 0.2; done
done
failed=()
total=0
for i in "${!programs[@]}"; do
  name="$(basename "${programs[$i]}" .exe)"
  wait "${pids[$i]}" || failed+=("$name")
  log="$build/$name.log"
  n=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | tail -1)
  total=$((total + ${n:-0}))
  echo "$name: ${n:-0} tests"
done

# Against the simulated processor: the Linux simulator and mlb8ctl from build/.
if [ ! -f build/CMakeCache.txt ]; then
  scripts/configure.sh build ""
fi
cmake --build build -j "$jobs" --target mlb8-sim mlb8ctl >/dev/null
wineserver -k 2>/dev/null || true
wineserver -w
port_log="$build/test_win32_port.log"
if tests/win32/wine_port_test.sh build/bin/mlb8-sim "$build/bin/test_win32_port.exe" COM7 >"$port_log" 2>&1; then
  :
else
  failed+=(test_win32_port)
fi
n=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$port_log" | awk '{s += $1} END {print s + 0}')
total=$((total + n))
echo "test_win32_port (with the simulator): $n tests"
programs+=("$build/bin/test_win32_port.exe")

ctl_log="$build/wine_ctl_test.log"
if tests/win32/wine_ctl_test.sh build/bin/mlb8-sim build/bin/mlb8ctl "$build/bin/mlb8ctl.exe" \
  doc/examples/3-way-sub.Dovu COM7 >"$ctl_log" 2>&1; then
  :
else
  failed+=(wine_ctl_test)
fi
n=$(grep -c '^same: ' "$ctl_log" || true)
echo "mlb8ctl.exe against mlb8ctl (with the simulator): $n comparisons"

for name in "${failed[@]}"; do
  echo "---- $name failed:" >&2
  cat "$build/$name.log" >&2
done
echo "Windows build: $total tests in ${#programs[@]} programs under Wine and $n comparisons of" \
  "mlb8ctl.exe with mlb8ctl, ${#failed[@]} failed; $((SECONDS - start)) s in all" >&2
[ ${#failed[@]} -eq 0 ]
