#!/usr/bin/env bash
# Plays a short match of Veltor against Fairy-Max under a real XBoard (headless,
# under Xvfb) and checks what XBoard saved: every game ended with a real result,
# and Veltor made no illegal move, did not lose on time and did not crash.
# Usage: xboard_match.sh VELTOR_BINARY [GAMES] [TIME_CONTROL] [MOVES_PER_CONTROL]
# With VELTOR_PROTOCOL=uci, Veltor plays in UCI mode behind Debian's polyglot
# adapter (XBoard talks to polyglot, polyglot to Veltor).
# PONDER=on lets both engines ponder (off by default: -xponder).
set -euo pipefail
veltor="$(realpath "$1")"
games="${2:-2}"
tc="${3:-0:20}"
mps="${4:-40}"
export PATH="$PATH:/usr/games"
first="$veltor"
tools="xboard xvfb-run fairymax"
if [ "${VELTOR_PROTOCOL:-xboard}" = uci ]; then
  first="polyglot -noini -ec $veltor"
  tools="$tools polyglot"
fi
for tool in $tools; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh test installs it)"; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/veltor-xboard-XXXXXX")"
mkdir -p "$work/veltor" "$work/fairymax"
pgn="$work/games.pgn"
debug="$work/xboard-debug.txt"
echo "match directory: $work"
ponder=-xponder
[ "${PONDER:-off}" = on ] && ponder=-ponder

# Alternate colours: XBoard swaps the engines every game of a match.
timeout -k 10 $((games * 400 + 60)) xvfb-run -a xboard \
  -fcp "$first" -fd "$work/veltor" \
  -scp fairymax -sd "$work/fairymax" \
  -mg "$games" -mps "$mps" -tc "$tc" -inc 0 "$ponder" \
  -sgf "$pgn" -xexit -noGUI -soundProgram true -saveSettingsOnExit false \
  -matchPause 500 -usePolyglotBook false -debug -nameOfDebugFile "$debug" \
  > "$work/xboard-out.txt" 2>&1 || { echo "xboard failed or timed out"; cat "$work/xboard-out.txt"; exit 1; }

cat "$work/xboard-out.txt"
[ -s "$pgn" ] || { echo "no games saved"; exit 1; }

played=$(grep -c '^\[Result ' "$pgn" || true)
finished=$(grep -cE '^\[Result "(1-0|0-1|1/2-1/2)"\]' "$pgn" || true)
echo "games saved: $played, with a result: $finished"
status=0
if [ "$played" -ne "$games" ] || [ "$finished" -ne "$games" ]; then
  echo "FAIL: expected $games finished games"; status=1
fi
# Game-ending comments XBoard writes for faults of either engine.
if grep -nE '\{[^}]*(illegal|Illegal|forfeit|False|on time|crash|exited|disconnect|Unexpected)[^}]*\}' "$pgn"; then
  echo "FAIL: a game ended by a fault (above)"; status=1
fi
# Veltor is the first engine: look for its illegal moves and claims XBoard refused.
if grep -nE 'first ?:.*(Illegal move|illegal move)|False (win|draw) claim|Forfeit due to invalid move' "$debug"; then
  echo "FAIL: XBoard refused something Veltor sent (above)"; status=1
fi
awk -F'"' '/^\[White /{w=$2} /^\[Black /{b=$2} /^\[Result /{n++; printf "game %d: %s vs %s: %s\n", n, w, b, $2}' "$pgn"
# Score from Veltor's side, and the faults counted over the whole match.
awk -F'"' '/^\[White /{w=$2} /^\[Result /{
    r=$2; mine=(tolower(w) ~ /veltor/);
    if (r=="1/2-1/2") { d++ } else if ((r=="1-0") == mine) { won++ } else { lost++ } }
  END { printf "Veltor: +%d -%d =%d, score %.1f/%d\n", won, lost, d, won + d / 2, won + lost + d }' "$pgn"
echo "illegal moves by Veltor: $(grep -cE 'first ?:.*[Ii]llegal move|Forfeit due to invalid move' "$debug" || true)"
echo "time losses: $(grep -cE '\{[^}]*on time[^}]*\}' "$pgn" || true)"
echo "crashes or disconnects: $(grep -cE '\{[^}]*(crash|exited|disconnect)[^}]*\}' "$pgn" || true)"
if [ "$status" -eq 0 ]; then
  echo "xboard match: OK"
  [ -n "${KEEP_MATCH:-}" ] && echo "games kept in $pgn" || rm -rf "$work"
fi
exit "$status"
