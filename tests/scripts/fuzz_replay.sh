#!/usr/bin/env bash
# Replays every committed fuzz corpus (fuzz/corpus/<harness>/) through its
# libFuzzer harness under AddressSanitizer and UndefinedBehaviorSanitizer:
# each input runs once (-runs=0), no new inputs are made. Any crash, sanitizer
# report, failed check or hang fails the test.
# Usage: tests/scripts/fuzz_replay.sh [build-dir]
# (default build dir: build-fuzz-replay under the repository root; clang++
# and libclang-rt-14-dev are needed; without clang++ the test is skipped.)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build-fuzz-replay}"
compiler="${VELTOR_FUZZ_CXX:-clang++}"
if ! command -v "$compiler" >/dev/null; then
  echo "fuzz replay skipped: $compiler not found"
  exit 77
fi

# 1. The harnesses, in a build directory of their own.
CXX="$compiler" cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTOR_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_harnesses >/dev/null

# 2. Each corpus through its harness. The harnesses work in a scratch
#    directory of their own, so the corpus path must be absolute.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
failed=0
replayed=0
for corpus in "$root"/fuzz/corpus/*/; do
  harness="$(basename "$corpus")"
  binary="$build/fuzz/${harness}_fuzz"
  if [ ! -x "$binary" ]; then
    echo "FAIL $harness: no harness binary $binary"
    failed=1
    continue
  fi
  inputs=$(find "$corpus" -type f | wc -l)
  log="$build/replay-$harness.log"
  if "$binary" -runs=0 -timeout=60 -close_fd_mask=1 \
      -artifact_prefix="$build/replay-$harness-" "$corpus" >"$log" 2>&1; then
    echo "ok   $harness: $inputs inputs"
    replayed=$((replayed + inputs))
  else
    echo "FAIL $harness (log: $log):"
    grep -E "ERROR|SUMMARY|fuzz check failed|runtime error|Test unit written" "$log" | head -20
    failed=1
  fi
done
echo "replayed $replayed inputs"
exit $failed
