#!/usr/bin/env bash
# Measures the strength scale (UCI_LimitStrength with UCI_Elo) against a
# reference engine's own UCI_Elo: at each setting Veltor and Stockfish play
# GAMES games at the same UCI_Elo and the same time control, colours reversed
# in pairs, from shuffled openings; an even score means the scales agree.
# Prints one table row a setting: setting, games, Veltor's W-L-D, score and
# the Elo difference with its 95% error bar, as the match runner gives them.
# Usage: scripts/calibrate-strength.sh [ELO...]   (default: 1400 1550 1700 1850 2000)
# Environment: VELTOR (engine binary, default build/veltor), GAMES (100),
#   TC (10+0.1), MATCH (the match runner's folder, default
#   ../shared/tools/match copied to build-match/), CONCURRENCY (2).
# Play it on a quiet machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
veltor="${VELTOR:-$root/build/veltor}"
games="${GAMES:-100}"
tc="${TC:-10+0.1}"
concurrency="${CONCURRENCY:-2}"
openings="$root/bench/openings/masters-8ply.txt"
settings=("$@")
[ ${#settings[@]} -gt 0 ] || settings=(1400 1550 1700 1850 2000)
. "$root/scripts/match-common.sh"
match="$(match_runner "$root")"
out="$root/build-match/calibration"
mkdir -p "$out"
echo "| UCI_Elo | games | Veltor W-L-D | score | Elo difference |"
echo "|---|---|---|---|---|"
for elo in "${settings[@]}"; do
  log="$out/elo-$elo.txt"
  node "$match/bin/match.js" \
    --engine name=veltor cmd="$veltor" proto=uci option.UCI_LimitStrength=true option.UCI_Elo="$elo" \
      option.OwnBook=false option.Hash=64 env.VELTOR_BOOK_DIR= \
    --engine name=stockfish cmd=/usr/games/stockfish proto=uci option.UCI_LimitStrength=true \
      option.UCI_Elo="$elo" option.Hash=64 option.Threads=1 \
    --tc "$tc" --games "$games" --openings "$openings" --shuffle --seed "$elo" \
    --concurrency "$concurrency" --pgn "$out/elo-$elo.pgn" --quiet >"$log" 2>&1 || true
  match_result "$log" veltor stockfish
  echo "| $elo | $games | $wld | $score | $diff |"
done
