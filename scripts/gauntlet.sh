#!/usr/bin/env bash
# Plays the strong mode against the Debian peer engines, one match a peer,
# colours reversed in pairs from shuffled masters' openings, books and
# pondering off on both sides. Games both engines score as lost by 10 pawns or
# more for 4 moves each are given to the side ahead; from move 40, 8 moves each
# within 0.10 of equal are a draw. Prints one table row a peer: games, Veltor's
# W-L-D, score, Elo difference with its 95% error bar, and the time losses,
# illegal moves and crashes of both sides.
# The engines' settings are in bench/gauntlet-engines.json.
# Usage: scripts/gauntlet.sh [PEER...]   (default: gnuchess phalanx toga2 glaurung;
#   also ethereal)
# Environment: VELTOR (engine binary, default build/veltor), GAMES (games a
#   peer; default 400 against GNU Chess, 200 against the others), TC (10+0.1),
#   MAXTIME (a wall-clock bound in seconds a match, default none), MATCH (the
#   match runner's folder, default ../shared/tools/match copied to
#   build-match/), CONCURRENCY (2).
# Play it on a quiet machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
veltor="${VELTOR:-$root/build/veltor}"
tc="${TC:-10+0.1}"
concurrency="${CONCURRENCY:-2}"
openings="$root/bench/openings/masters-8ply.txt"
peers=("$@")
[ ${#peers[@]} -gt 0 ] || peers=(gnuchess phalanx toga2 glaurung)
. "$root/scripts/match-common.sh"
match="$(match_runner "$root")"
out="$root/build-match/gauntlet"
mkdir -p "$out"

echo "| peer | games | Veltor W-L-D | score | Elo difference | time losses, illegal, crashes |"
echo "|---|---|---|---|---|---|"
for peer in "${peers[@]}"; do
  peer_args=("$peer")
  # GNU Chess in xboard mode keeps its own book unless told.
  [ "$peer" != gnuchess ] || peer_args+=("init=book off")
  games="${GAMES:-}"
  [ -n "$games" ] || { [ "$peer" = gnuchess ] && games=400 || games=200; }
  limit=()
  [ -z "${MAXTIME:-}" ] || limit=(--max-time "$MAXTIME")
  log="$out/$peer.txt"
  node "$match/bin/match.js" \
    --engines "$root/bench/gauntlet-engines.json" --engine strong cmd="$veltor" \
    --engine "${peer_args[@]}" \
    --tc "$tc" --games "$games" --openings "$openings" --shuffle --seed 17 \
    --resign 4:1000 --draw 40:8:10 "${limit[@]}" \
    --concurrency "$concurrency" --pgn "$out/$peer.pgn" --quiet >"$log" 2>&1 || true
  match_result "$log" strong "$peer"
  # The runner's "Finished" count includes games a time bound cut off; count
  # the decided ones from W-L-D instead.
  finished=$(echo "$wld" | awk -F' - ' '{print $1+$2+$3}')
  [ "$finished" = "$games" ] || finished="$finished of $games"
  # The incidents table: engine, games, moves, depth, nodes, ms/move, then
  # time losses, illegal moves and crashes.
  faults=$(awk -v a=strong -v b="$peer" '($1==a||$1==b) && $2 ~ /^[0-9]+$/ {t+=$7; i+=$8; c+=$9} END {print t", "i", "c}' "$log")
  echo "| $peer | $finished | $wld | $score | $diff | $faults |"
done
