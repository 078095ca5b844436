#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each one for a bounded time.
#   scripts/fuzz.sh          15 seconds per target
#   scripts/fuzz.sh 1800     half an hour per target, before a release
#   scripts/fuzz.sh 60 fuzz_preset fuzz_frame   only the targets named
# Each target starts from a copy of its seeds (fuzz/corpus/<target>/) in a scratch folder, so the
# inputs it finds never land in the repository. An input that crashes a target is kept in
# build-fuzz/fuzz-crashes/ and the script exits with status 1; one line per target sums up the run,
# with its executions per second.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-15}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS_PER_TARGET [TARGET...]]" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))

scripts/install-deps.sh

build="build-fuzz"
source scripts/ccache.sh
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMLB8_FUZZ=ON "${ccache_args[@]}" >/dev/null
targets=()
for source in fuzz/fuzz_*.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
if [ $# -gt 0 ]; then
  for target in "$@"; do
    if [ ! -f "fuzz/$target.cpp" ]; then
      echo "$0: no fuzz target $target (targets: ${targets[*]})" >&2
      exit 2
    fi
  done
  targets=("$@")
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

crashes="$PWD/$build/fuzz-crashes"
mkdir -p "$crashes"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Per target: the longest input (a few frames, for the frame parser also a stream longer than a
# receive slot; a preset file with a few keys of every section, the full seeds are cut to it) and the
# dictionary of the structure it parses.
target_options() {
  case "$1" in
    fuzz_frame) echo "-max_len=2048 -dict=fuzz/replies.dict" ;;
    fuzz_replies) echo "-max_len=512 -dict=fuzz/replies.dict" ;;
    fuzz_simrequest) echo "-max_len=512 -dict=fuzz/requests.dict" ;;
    fuzz_preset) echo "-max_len=1024 -dict=fuzz/preset.dict" ;;
    fuzz_eqtext) echo "-max_len=2048 -dict=fuzz/eqtext.dict" ;;
    *) echo "" ;;
  esac
}

failed=0
summary=()
for target in "${targets[@]}"; do
  corpus="$scratch/$target"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$target" ] && cp -r "fuzz/corpus/$target/." "$corpus/"
  log="$scratch/$target.log"
  read -r -a options <<<"$(target_options "$target")"
  echo "== $target: $seconds s ${options[*]}"
  status=0
  # libFuzzer stops itself after max_total_time; the outer limit only guards against a stuck run.
  # The CPU time the target got, besides the wall time: the machine may be shared.
  TIMEFORMAT='%U %S'
  {
    time timeout --kill-after=30 $((seconds + 120)) "$build/bin/$target" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/$target-" \
      "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
  } 2>"$scratch/$target.cpu"
  done_line="$(grep -aE '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)"
  if [ "$status" -eq 0 ]; then
    runs="$(sed -n 's/^#\([0-9]*\)[[:space:]]*DONE.*/\1/p' <<<"$done_line")"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")"
    corp="$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$done_line")"
    rate="$(sed -n 's/.* exec\/s: \([0-9]*\).*/\1/p' <<<"$done_line")"
    cpu_rate="$(awk -v runs="${runs:-0}" '{ t = $1 + $2; if (t > 0) printf "%d", runs / t }' "$scratch/$target.cpu")"
    summary+=("$target: ok, ${runs:-?} runs in $seconds s (${rate:-?}/s, ${cpu_rate:-?} per CPU second), coverage ${cov:-?}, corpus ${corp:-?} inputs")
  else
    failed=1
    tail -n 60 "$log"
    cp "$log" "$crashes/$target.log"
    input="$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)"
    summary+=("$target: FAILED (status $status), input ${input:-none written}, log $crashes/$target.log")
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit "$failed"
