#!/usr/bin/env bash
# Makes the strong evaluation's training data and fits its weights, writing
# src/strong/eval_weights.cpp. Every step is deterministic: the same sources,
# data and build give the same weights.
#   1. the quiet positions of every ply of the real games in ../shared
#      (masters collection and the weekly issue), read with the engine's own
#      PGN reader, labelled with the games' results;
#   2. a first fit to them from the tuner's starting point (material only);
#   3. self-play of the strong mode with those weights, a fixed number of
#      nodes a move, from the openings of the masters' games;
#   4. the final fit to the real games' and the self-play positions.
# A fit takes each position's endgame scale with a stated evaluation (plain
# material for the first, the first fit for the last), never with the
# weights the tuner happens to be built with.
# Usage: scripts/tune.sh [workdir]   (default: build-tune/data)
# VELTOR_JOBS=N plays the self-play games in N processes (default: processors).
# It takes about an hour on two cores, most of it self-play.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${1:-$root/build-tune/data}"
shared="$root/../shared/data/pgn/real"
jobs="${VELTOR_JOBS:-$(nproc)}"
# The recipe.
epochs=1000
rate=2.0
games=8000
nodes=5000

for f in masters-pgnmentor.pgn twic0920.pgn; do
  [ -r "$shared/$f" ] || { echo "tune.sh: $shared/$f not found" >&2; exit 1; }
done
"$root/scripts/install-deps.sh" build
cmake -S "$root" -B "$root/build-tune" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-tune" --target veltor_tune -j"$(nproc)" >/dev/null
tune="$root/build-tune/tune/veltor_tune"
mkdir -p "$work"
cd "$work"

echo "== 1. positions of the real games"
"$tune" extract games.txt "$shared/masters-pgnmentor.pgn" "$shared/twic0920.pgn"
echo "== 2. first fit"
"$tune" fit "$epochs" "$rate" first.txt first.cpp --trace "$root/tune/material-weights.txt" games.txt 2>&1 | grep -E "epoch ($epochs|1):"
echo "== 3. self-play: $games games at $nodes nodes a move, $jobs processes"
per=$(( (games + jobs - 1) / jobs ))
pids=()
for ((j = 0; j < jobs; j++)); do
  first=$(( j * per ))
  count=$(( first + per > games ? games - first : per ))
  "$tune" selfplay "selfplay-$j.txt" "$shared/masters-pgnmentor.pgn" "$first" "$count" "$nodes" first.txt &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
for ((j = 0; j < jobs; j++)); do cat "selfplay-$j.txt"; done > selfplay.txt
wc -l games.txt selfplay.txt
echo "== 4. final fit"
"$tune" fit "$epochs" "$rate" final.txt eval_weights.cpp --trace first.txt games.txt selfplay.txt 2>&1 | grep -E "epoch ($epochs|1):"
python3 - "$root/src/strong/eval_weights.cpp" eval_weights.cpp <<'PY'
import re, sys
def pairs(path):
    return [(int(a), int(b)) for a, b in re.findall(r"S\((-?\d+), (-?\d+)\)", open(path).read())]
old, new = pairs(sys.argv[1]), pairs(sys.argv[2])
diff = max(max(abs(a - c), abs(b - d)) for (a, b), (c, d) in zip(old, new))
same = sum(1 for x, y in zip(old, new) if x == y)
print(f"against the committed weights: {same} of {len(new)} pairs equal, largest difference {diff} cp")
PY
cp eval_weights.cpp "$root/src/strong/eval_weights.cpp"
echo "written: src/strong/eval_weights.cpp"
