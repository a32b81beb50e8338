#!/usr/bin/env bash
# A long run of real games through two clients: python-chess as the arbiter
# against Phalanx (xboard) and Stockfish at Skill Level 0 (UCI), and a real
# XBoard under Xvfb against Fairy-Max, each with pondering off and on.
# Prints every batch's summary and the totals; exit status 1 on any illegal
# move, time loss, crash or false claim.
# Usage: scripts/long-run.sh [VELTOR_BINARY] [GAMES_PER_BATCH]   (6 batches; default 34 games each)
# Env: BASE/INC seconds per side and increment for the python-chess games
#      (default 4 and 0.05); XBOARD_TC for the XBoard games (default 0:06, 40 moves).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
veltor="$(realpath "${1:-$root/build/veltor}")"
games="${2:-34}"
base="${BASE:-4}"
inc="${INC:-0.05}"
tc="${XBOARD_TC:-0:06}"
shared="$root/../shared"
"$root/scripts/install-deps.sh" test
log="$(mktemp "${TMPDIR:-/tmp}/veltor-long-run-XXXXXX.txt")"
echo "long run: $games games per batch, log in $log"
status=0
for peer in phalanx stockfish; do
  for ponder in off on; do
    "$root/tests/scripts/python_chess_client.sh" "$veltor" "$shared" games \
      --peer "$peer" --games "$games" --ponder "$ponder" --base "$base" --inc "$inc" >>"$log" 2>&1 || status=1
    grep '^summary:' "$log" | tail -1
  done
done
for ponder in off on; do
  PONDER=$ponder "$root/tests/scripts/xboard_match.sh" "$veltor" "$games" "$tc" 40 >>"$log" 2>&1 || status=1
  echo "xboard vs fairymax (ponder $ponder): $(grep '^Veltor: ' "$log" | tail -1);" \
       "$(grep -E '^(illegal moves by Veltor|time losses|crashes or disconnects):' "$log" | tail -3 | tr '\n' ' ')"
done
echo "games played: python-chess $(grep -c '^python-chess game ' "$log"), XBoard $(grep -c '^game [0-9]*: ' "$log")"
[ "$status" -eq 0 ] && echo "long run: OK" || echo "long run: FAULTS (see $log)"
exit "$status"
