#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and fuzzes each for a while.
# Usage: scripts/fuzz.sh [seconds] [harness...]
#   seconds   time per harness (default 600)
#   harness   fen move_text command_loop uci_session pgn game_file book database dbcreate
#             (default: all of them, one after the other)
# New interesting inputs go to a work corpus outside git
# (build-fuzz/work/<harness>/, seeded from fuzz/corpus/<harness>/); inputs
# that crash, hang or fail a check go to fuzz/crashes/<harness>-*.
# Environment: VELTOR_FUZZ_BUILD (build dir), VELTOR_FUZZ_JOBS (harnesses run
# at the same time, default 1), VELTOR_FUZZ_MAX_LEN (longest input, default 4096).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
shift || true
all=(fen move_text command_loop uci_session pgn game_file book database dbcreate)
if [ $# -gt 0 ]; then harnesses=("$@"); else harnesses=("${all[@]}"); fi
build="${VELTOR_FUZZ_BUILD:-$root/build-fuzz}"
jobs="${VELTOR_FUZZ_JOBS:-1}"
max_len="${VELTOR_FUZZ_MAX_LEN:-4096}"
work="$build/work"
crashes="$root/fuzz/crashes"

for h in "${harnesses[@]}"; do
  [ -d "$root/fuzz/corpus/$h" ] || { echo "unknown harness: $h (known: ${all[*]})" >&2; exit 2; }
done

CXX="${CXX:-clang++}" cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELTOR_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("${h}_fuzz"); done
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
mkdir -p "$crashes"

# One harness: its work corpus first (new inputs land there), the committed
# seeds second (read only). The harnesses change into a scratch directory,
# so every path handed to them is absolute.
run_one() {
  local h="$1"
  mkdir -p "$work/$h"
  local log="$work/$h.log"
  echo "fuzzing $h for ${seconds}s (log: $log)"
  set +e
  "$build/fuzz/${h}_fuzz" -max_total_time="$seconds" -max_len="$max_len" -timeout=25 \
    -rss_limit_mb=4096 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$crashes/$h-" "$work/$h" "$root/fuzz/corpus/$h" >"$log" 2>&1
  local status=$?
  set -e
  local runs
  runs="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  if [ $status -eq 0 ]; then
    echo "$h: ${runs} runs in ${seconds}s, no finding"
  else
    echo "$h: FINDING after ${runs} runs (status $status), see $log and $crashes/"
  fi
  return $status
}

failed=0
running=0
for h in "${harnesses[@]}"; do
  run_one "$h" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
