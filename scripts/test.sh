#!/usr/bin/env bash
# Configures, builds and runs every test through CTest.
#   scripts/test.sh                               the normal build, in build/
#   scripts/test.sh --sanitize address,undefined  in build-asan/
#   scripts/test.sh --sanitize thread --label threads   the threaded tests, in build-tsan/
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
label=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize="$2"; shift 2 ;;
    --label) label="$2"; shift 2 ;;
    *) echo "usage: $0 [--sanitize address,undefined|thread] [--label LABEL]" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh

build="build"
case "$sanitize" in
  "") ;;
  thread) build="build-tsan" ;;
  *) build="build-asan" ;;
esac

jobs="$(nproc)"
# A run of one label builds no benchmarks: their smokes carry the label "bench" and would not run.
extra=()
[ -n "$label" ] && [ "$label" != bench ] && extra+=(-DMLB8_BUILD_BENCH=OFF)
scripts/configure.sh "$build" "$sanitize" "${extra[@]}"
cmake --build "$build" -j "$jobs"

# Most tests spend their time waiting on real time, not computing: a pseudo-terminal and its
# time-outs, a child mlb8ctl, Qt's timers. CTest therefore runs four of them per core.
ctest_args=(--test-dir "$build" --output-on-failure -j "$((jobs * 4))")
[ -n "$label" ] && ctest_args+=(-L "$label")
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest "${ctest_args[@]}"
