#!/usr/bin/env bash
# A real XBoard (headless, under Xvfb) sets Veltor's engine settings MultiPV=3
# and ShowWDL=1 (as its Engine Settings dialog or -firstOptions does) and steps
# through a short game in analysis mode; its log of the traffic is checked:
# XBoard sent the settings, and after every move the analysis came as three
# lines per depth with three different first moves, each line ending with
# the odds.
# Usage: xboard_multipv.sh VELTOR_BINARY
set -uo pipefail
veltor="$(realpath "$1")"
export PATH="$PATH:/usr/games"
for tool in xboard xvfb-run; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh test installs it)"; exit 1; }
done
work="$(mktemp -d "${TMPDIR:-/tmp}/veltor-multipv-XXXXXX")"
mkdir -p "$work/veltor"
printf '[Event "analysis"]\n[White "a"]\n[Black "b"]\n[Result "*"]\n\n1. e4 e5 2. Nf3 Nc6 *\n' > "$work/game.pgn"
debug="$work/xboard-debug.txt"
# XBoard stays in the mode when the game is through: the timeout ends it.
# Each position gets 3 s: an analysis that starts at the depth the table
# knows may take more than a second for its first lines on a busy machine.
timeout -k 5 40 xvfb-run -a xboard -fcp "$veltor" -fd "$work/veltor" -lgf "$work/game.pgn" \
  -firstOptions "MultiPV=3,ShowWDL=1" -initialMode AnalyzeFile -timeDelay 3 -noGUI \
  -saveSettingsOnExit false -usePolyglotBook false -soundProgram true \
  -debug -nameOfDebugFile "$debug" > "$work/xboard-out.txt" 2>&1
[ -s "$debug" ] || { echo "no XBoard log"; cat "$work/xboard-out.txt"; exit 1; }
traffic="$(grep -E '[<>]first : ' "$debug" | sed -E 's/^[0-9]+ //')"
status=0
for setting in "option MultiPV=3" "option ShowWDL=1" "analyze"; do
  echo "$traffic" | grep -q "^>first : $setting\$" || { echo "FAIL: XBoard never sent $setting"; status=1; }
done
# Per position (the lines after each move XBoard sends): the depths that came
# with three lines, and whether every one of them had three first moves.
result=$(echo "$traffic" | awk '
  function close_position() {
    if (!moved) return
    for (d in lines) if (lines[d] == 3 && firsts[d] == 3) full++
    positions++
    if (full > 0) good++
    delete lines; delete seen; delete firsts; full = 0
  }
  /^>first : [a-h][1-8][a-h][1-8]/ { close_position(); moved = 1; next }
  /^<first : +[0-9]+ +-?[0-9]+ +[0-9]+ +[0-9]+ / {
    if ($0 !~ /\{W [0-9.]+% D [0-9.]+% L [0-9.]+%\}$/) nodds++
    d = $3; lines[d]++
    if (!((d, $7) in seen)) { seen[d, $7] = 1; firsts[d]++ }
  }
  END { close_position(); print positions + 0, good + 0, nodds + 0 }')
read -r positions good without_odds <<<"$result"
echo "positions analysed: $positions, with three distinct lines per depth: $good, lines without odds: $without_odds"
[ "$positions" -ge 3 ] && [ "$good" -eq "$positions" ] || { echo "FAIL: a position went without three lines"; status=1; }
[ "$without_odds" -eq 0 ] || { echo "FAIL: thinking lines without the odds"; status=1; }
if echo "$traffic" | grep -E '^<first : (move |Illegal|Error)'; then
  echo "FAIL: Veltor sent a move or an error in analysis (above)"; status=1
fi
if [ "$status" -eq 0 ]; then
  echo "xboard multipv: OK"
  [ -n "${KEEP_MATCH:-}" ] && echo "log kept in $debug" || rm -rf "$work"
else
  echo "log kept in $debug"
fi
exit "$status"
