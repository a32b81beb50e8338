#!/usr/bin/env bash
# The engine plays book moves from the initial position without any book in
# the directory it runs in: from the build tree and from an installation. A
# book in that directory takes precedence, and the log names the book opened.
# The default book's first moves are the mainstream ones.
# Usage: default_book.sh VELTOR_BINARY BUILD_DIR SOURCE_DIR
set -euo pipefail
veltor=$(realpath "$1")
build=$(realpath "$2")
source=$(realpath "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/veltor-default-book-XXXXXX")
failed=0
check() {  # description, condition...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

# Starts the engine in directory $1 and asks it to move from the initial position.
first_move() {
  (cd "$1" && printf 'xboard\nprotover 2\naccepted\ndone\naccepted\nsetboard\nnew\ngo\nquit\n' |
    timeout 60 "$2" > out.txt 2>&1)
}

# 1. The build tree's binary, started in an empty directory.
mkdir "$work/empty"
first_move "$work/empty" "$veltor"
check "build tree: no BOOK ERROR" bash -c "! grep -q 'BOOK ERROR' '$work/empty/out.txt'"
check "build tree: book move played" grep -q "^move (book) " "$work/empty/Veltor.log"
check "build tree: log names the default book" \
  grep -q "^-M: book opened: $build/share/veltor/bookbtm.mbk" "$work/empty/Veltor.log"

# 2. An installation elsewhere, started in another empty directory.
cmake --install "$build" --prefix "$work/prefix" > "$work/install.txt" 2>&1 ||
  { cat "$work/install.txt"; exit 1; }
mkdir "$work/elsewhere"
first_move "$work/elsewhere" "$work/prefix/bin/veltor"
check "installed: book move played" grep -q "^move (book) " "$work/elsewhere/Veltor.log"
check "installed: log names the installed book" \
  grep -q "^-M: book opened: $work/prefix/bin/../share/veltor/bookbtm.mbk" "$work/elsewhere/Veltor.log"

# 3. A book in the current directory whose only move from the initial position is h2h3.
mkdir "$work/own"
for i in 1 2 3; do printf '[Result "1-0"]\n\n1. h3 e5 2. e4 1-0\n\n'; done > "$work/own/h3.pgn"
VELTOR=$veltor "$source/scripts/build-book.sh" "$work/own/h3.pgn" "$work/own" > "$work/own/build.txt" 2>&1 ||
  { cat "$work/own/build.txt"; exit 1; }
check "build-book.sh says what a fresh engine plays" \
  grep -q "A fresh engine started here plays h2h3 from it" "$work/own/build.txt"
first_move "$work/own" "$work/prefix/bin/veltor"
check "current directory: its book wins" grep -q "^move (book) h2h3" "$work/own/Veltor.log"
check "current directory: log names it" grep -q "^-M: book opened: bookbtm.mbk" "$work/own/Veltor.log"

# 4. Over 50 fresh starts the default book opens as masters do: at least 90%
#    of its first moves are 1.e4, 1.d4, 1.c4 or 1.Nf3, and at least 90% of its
#    replies to 1.e4 are among the main defences.
counts=$("$source/scripts/book-first-moves.sh" "$veltor" 50)
echo "$counts"
# The starts (of 50) whose move is among the words given.
share() {
  grep "^$1:" <<<"$counts" | tr ',' '\n' |
    awk -v moves=" $2 " '{ if (index(moves, " " $(NF-1) " ")) n += $NF } END { print n + 0 }'
}
white=$(share "as White" "e2e4 d2d4 c2c4 g1f3")
replies=$(share "after 1.e4" "c7c5 e7e5 e7e6 c7c6 d7d6 g7g6 g8f6 d7d5")
check "first moves as White: $white of 50 mainstream" test "$white" -ge 45
check "replies to 1.e4: $replies of 50 mainstream" test "$replies" -ge 45

# 5. The strong mode plays from masters.bin, by weight: over 20 fresh starts
#    (the installed engine, an empty directory) only mainstream first moves.
mkdir "$work/strong"
for i in $(seq 1 20); do
  (cd "$work/strong" && printf 'uci\nsetoption name Strong value true\nposition startpos\ngo wtime 60000 btime 60000\nquit\n' |
    timeout 60 "$work/prefix/bin/veltor" 2>&1 | grep -E "^(bestmove|info string book)")
done > "$work/strong/moves.txt"
check "strong mode: 20 book moves, each announced" test "$(grep -c '^info string book move' "$work/strong/moves.txt")" -eq 20
check "strong mode: every first move mainstream" \
  bash -c "! grep '^bestmove' '$work/strong/moves.txt' | grep -qvE '^bestmove (e2e4|d2d4|c2c4|g1f3)'"
check "strong mode: the log names masters.bin" grep -q "masters.bin" "$work/strong/Veltor.log"

if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "files kept in $work"; fi
exit "$failed"
