#!/usr/bin/env bash
# "bookcreate GAMES PERCENT" (build-book.sh --min-games --min-share) keeps only
# the moves enough games played: of 30 games of 1.e4, 3 of 1.b3 and one of
# 1.h3 (all won by White), plain "bookcreate" takes all three first moves,
# 2 games and 10% take 1.e4 alone. Bad thresholds write no book.
# Usage: book_thresholds.sh VELTOR_BINARY SOURCE_DIR
set -euo pipefail
veltor=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/veltor-book-thresholds-XXXXXX")
failed=0
check() {  # description, condition...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}
game() { printf '[Result "1-0"]\n\n%s 1-0\n\n' "$1"; }
{
  for _ in $(seq 30); do game "1. e4 c5 2. Nf3"; done
  for _ in 1 2 3; do game "1. b3 e5 2. Bb2"; done
  game "1. h3 e5 2. e4"
} > "$work/games.pgn"
# The first moves the book of directory $1 chooses from (explore marks them).
book_moves() {
  (cd "$1" && printf 'console\nnew\nforce\nexplore\nquit\n' | "$veltor" |
    awk '$NF == "*" { print $1 }' | sort | tr '\n' ' ')
}
mkdir "$work/plain" "$work/min"
VELTOR=$veltor "$source/scripts/build-book.sh" "$work/games.pgn" "$work/plain" > "$work/plain.txt" 2>&1 ||
  { cat "$work/plain.txt"; exit 1; }
check "plain bookcreate: every first move" test "$(book_moves "$work/plain")" = "b2b3 e2e4 h2h3 "
VELTOR=$veltor "$source/scripts/build-book.sh" --min-games 2 --min-share 10 "$work/games.pgn" \
  "$work/min" > "$work/min.txt" 2>&1 || { cat "$work/min.txt"; exit 1; }
check "2 games and 10%: 1.e4 alone" test "$(book_moves "$work/min")" = "e2e4 "
check "build-book.sh shows the thresholds" grep -q "bookcreate 2 10" "$work/min.txt"

# Thresholds that are no numbers, out of range or followed by more words.
mkdir "$work/bad"
cp "$work/min/white.db" "$work/min/black.db" "$work/bad/"
for arguments in "x" "0" "3 101" "3 -1" "3 1 7"; do
  out=$(cd "$work/bad" && printf 'console\nbookcreate %s\nquit\n' "$arguments" | "$veltor")
  check "bookcreate $arguments: refused with a reason" grep -q "^bookcreate: " <<<"$out"
done
check "bad thresholds write no book" test ! -e "$work/bad/bookbtm.mbk"

if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "files kept in $work"; fi
exit "$failed"
