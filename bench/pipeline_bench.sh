#!/usr/bin/env bash
# Times the offline book pipeline on a large game collection:
#
#   bench/pipeline_bench.sh [GAMES.pgn] [DIRECTORY]
#
# Defaults: the masters collection of the shared data and a fresh temporary
# directory. Runs pgn2pos, the sort, "dbcreate" and "bookcreate" through the
# engine binary ($VELTOR, else build/veltor beside this script) and prints,
# for each engine step, wall time and peak resident size (from /usr/bin/time
# -v); for "dbcreate" also input lines per second (both passes together).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
pgn=${1:-$here/../../shared/data/pgn/real/masters-pgnmentor.pgn}
pgn=$(cd "$(dirname "$pgn")" && pwd)/$(basename "$pgn")
workdir=${2:-$(mktemp -d "${TMPDIR:-/tmp}/veltor-pipeline-bench-XXXXXX")}
engine=${VELTOR:-$here/../build/veltor}
[ -x "$engine" ] || { echo "no engine binary (set VELTOR): $engine" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (GNU time)" >&2; exit 1; }
mkdir -p "$workdir"
cd "$workdir"

# Runs one engine session under GNU time; prints "wall-seconds peak-KiB
# cpu-seconds" (on a loaded machine the CPU time is the steadier figure).
timed() {
  local name=$1
  shift
  { printf 'console\n'; printf '%s\n' "$@"; printf 'quit\n'; } |
    /usr/bin/time -v -o "$name.time" "$engine" > "$name.out"
  local wall rss cpu
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + t[i]; print s}' "$name.time")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$name.time")
  cpu=$(awk -F': ' '/(User|System) time/ {s += $2} END {print s}' "$name.time")
  echo "$wall $rss $cpu"
}

echo "collection: $pgn ($(stat -c %s "$pgn") bytes)"
echo "directory:  $workdir"

# The engine's own tables (transposition table and the rest) before any command.
read -r wall rss cpu < <(timed idle)
printf '%-11s %8.2f s  peak %7d KiB  (engine start-up only: the baseline)\n' idle "$wall" "$rss"

read -r wall rss cpu < <(timed pgn2pos "pgn2pos $pgn")
printf '%-11s %8.2f s  peak %7d KiB  cpu %.2f s\n' pgn2pos "$wall" "$rss" "$cpu"

start=$(date +%s.%N)
: > positions.sorted
for digit in 0 1 2 3 4 5 6 7 8 9 A B C D E F; do LC_ALL=C sort "$digit.pos" >> positions.sorted; done
lines=$(wc -l < positions.sorted)
printf '%-11s %8.2f s  (%d lines, %d bytes)\n' sort "$(echo "$(date +%s.%N) - $start" | bc)" "$lines" "$(stat -c %s positions.sorted)"

read -r wall rss cpu < <(timed dbcreate "dbcreate positions.sorted games")
tail -n 1 dbcreate.out | grep -qx "created." || { echo "dbcreate failed, see $workdir/dbcreate.out" >&2; exit 1; }
printf '%-11s %8.2f s  peak %7d KiB  cpu %.2f s\n' dbcreate "$wall" "$rss" "$cpu"
printf '            %.0f lines/s by wall time, %.0f lines/s by cpu time (each pass reads every line)\n' \
  "$(echo "2 * $lines / $wall" | bc -l)" "$(echo "2 * $lines / $cpu" | bc -l)"
mv -f games_white.db white.db
mv -f games_black.db black.db
echo "            white.db $(( $(stat -c %s white.db) / 54 )) records, black.db $(( $(stat -c %s black.db) / 54 )) records"

read -r wall rss cpu < <(timed bookcreate bookcreate)
tail -n 1 bookcreate.out | grep -qx "created." || { echo "bookcreate failed, see $workdir/bookcreate.out" >&2; exit 1; }
printf '%-11s %8.2f s  peak %7d KiB  cpu %.2f s\n' bookcreate "$wall" "$rss" "$cpu"
grep -E '^book[bw]tm: ' bookcreate.out | sed 's/^/            /'
echo "            bookbtm $(( $(stat -c %s bookbtm.mbk) / 6 )) keys, bookwtm $(( $(stat -c %s bookwtm.mbk) / 6 )) keys"
