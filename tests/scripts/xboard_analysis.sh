#!/usr/bin/env bash
# A real XBoard (headless, under Xvfb) analyses a short game with Veltor in
# analysis mode, stepping through its moves, and its log of the traffic is
# checked: Veltor analysed every position it was sent (thinking lines after each
# move), left analysis on "exit" and never sent a move.
# Usage: xboard_analysis.sh VELTOR_BINARY
set -uo pipefail
veltor="$(realpath "$1")"
export PATH="$PATH:/usr/games"
for tool in xboard xvfb-run; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh test installs it)"; exit 1; }
done
work="$(mktemp -d "${TMPDIR:-/tmp}/veltor-analysis-XXXXXX")"
mkdir -p "$work/veltor"
printf '[Event "analysis"]\n[White "a"]\n[Black "b"]\n[Result "*"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 *\n' > "$work/game.pgn"
debug="$work/xboard-debug.txt"
# XBoard stays in the mode when the game is through: the timeout ends it.
timeout -k 5 25 xvfb-run -a xboard -fcp "$veltor" -fd "$work/veltor" -lgf "$work/game.pgn" \
  -initialMode AnalyzeFile -timeDelay 1.5 -noGUI -saveSettingsOnExit false -usePolyglotBook false \
  -soundProgram true -debug -nameOfDebugFile "$debug" > "$work/xboard-out.txt" 2>&1
[ -s "$debug" ] || { echo "no XBoard log"; cat "$work/xboard-out.txt"; exit 1; }
traffic="$(grep -E '[<>]first : ' "$debug" | sed -E 's/^[0-9]+ //')"
status=0
echo "$traffic" | grep -q '^>first : analyze$' || { echo "FAIL: XBoard never entered analysis"; status=1; }
# After each move XBoard sends, thinking lines for the new position must follow.
analysed=$(echo "$traffic" | awk '
  /^>first : [a-h][1-8][a-h][1-8]/ { if (moved && thought) n++; moved = 1; thought = 0; next }
  /^<first : +[0-9]+ +-?[0-9]+ +[0-9]+ +[0-9]+ / { thought = 1 }
  END { if (moved && thought) n++; print n + 0 }')
moves=$(echo "$traffic" | sed -n '/^>first : analyze$/,$p' | grep -cE '^>first : [a-h][1-8][a-h][1-8]' || true)
echo "moves sent in analysis: $moves, positions analysed after a move: $analysed"
[ "$moves" -ge 3 ] && [ "$analysed" -ge "$moves" ] || { echo "FAIL: a position went without analysis"; status=1; }
if echo "$traffic" | grep -E '^<first : (move |Illegal|Error)'; then
  echo "FAIL: Veltor sent a move or an error in analysis (above)"; status=1
fi
echo "$traffic" | grep -q '^>first : exit$' || { echo "FAIL: XBoard never left analysis"; status=1; }
if [ "$status" -eq 0 ]; then
  echo "xboard analysis: OK"
  [ -n "${KEEP_MATCH:-}" ] && echo "log kept in $debug" || rm -rf "$work"
else
  echo "log kept in $debug"
fi
exit "$status"
