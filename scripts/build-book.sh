#!/usr/bin/env bash
# Builds the position-statistics databases and the opening book from a PGN file.
#
#   scripts/build-book.sh GAMES.pgn [DIRECTORY]
#
# Every step runs in DIRECTORY (default: the current directory), which ends
# up holding white.db, black.db and the book files bookwtm.mbk/.mbx and
# bookbtm.mbk/.mbx; an engine started there plays from that book. The engine
# binary is $VELTOR, else "veltor" on the PATH, else build/veltor beside this
# script. The first failing step stops the script with a message.
#
# The engine is driven through its console: the first word it reads is taken
# as the protocol greeting and only warned about when it is not "xboard", so
# every session starts with the word "console" (sending "xboard" would make
# the engine swallow the following words as protocol replies).
set -euo pipefail

fail() { echo "build-book: $*" >&2; exit 1; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

[ $# -ge 1 ] && [ $# -le 2 ] || fail "usage: $0 GAMES.pgn [DIRECTORY]"
pgn=$1
workdir=${2:-.}
[ -r "$pgn" ] || fail "cannot read PGN file: $pgn"
pgn=$(cd "$(dirname "$pgn")" && pwd)/$(basename "$pgn")
# The console reads the path as one word of at most 255 characters.
case $pgn in *[[:space:]]*) fail "the PGN path must not contain blanks: $pgn" ;; esac
[ ${#pgn} -le 255 ] || fail "the PGN path is longer than 255 characters: $pgn"
engine=${VELTOR:-$(command -v veltor || true)}
[ -n "$engine" ] || engine=$here/../build/veltor
[ -x "$engine" ] || fail "no engine binary (set VELTOR): $engine"
engine=$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")

mkdir -p "$workdir" || fail "cannot create directory: $workdir"
cd "$workdir"

# Runs one console session; its output is shown as it comes (on stderr, with
# the engine's start-up lines), kept in $log and returned on stdout.
log=$(pwd)/build-book.log
: > "$log"
session() {
  { printf 'console\n'; printf '%s\n' "$@"; printf 'quit\n'; } | "$engine" | tee session.out >&2 ||
    fail "the engine failed during: $*"
  cat session.out >> "$log"
  cat session.out
}
step() { echo; echo "== $*"; }

step "1/6 pgn2pos: positions of $pgn into 0.pos ... F.pos"
out=$(session "pgn2pos $pgn")
grep -q "finished" <<<"$out" || fail "pgn2pos did not finish (see $log)"
if grep -Eq "^(Cannot |ERROR: )" <<<"$out"; then fail "pgn2pos reported an error (see $log)"; fi

step "2/6 sort: each position file by key, joined in key order"
: > positions.sorted
for digit in 0 1 2 3 4 5 6 7 8 9 A B C D E F; do
  [ -f "$digit.pos" ] || fail "missing position file $digit.pos"
  printf '%s.pos ' "$digit"
  LC_ALL=C sort "$digit.pos" >> positions.sorted || fail "sort failed on $digit.pos"
done
echo "-> positions.sorted: $(wc -l < positions.sorted) lines"

step "3/6 dbcreate: positions.sorted -> games_black.db, games_white.db"
out=$(session "dbcreate positions.sorted games")
[ "$(tail -n 1 <<<"$out")" = "created." ] || fail "dbcreate failed (see $log)"

step "4/6 rename: games_white.db -> white.db, games_black.db -> black.db"
mv -f games_white.db white.db && mv -f games_black.db black.db || fail "cannot rename the databases"
echo "white.db: $(( $(stat -c %s white.db) / 54 )) records, black.db: $(( $(stat -c %s black.db) / 54 )) records"

step "5/6 dbshow: statistics of the initial position"
out=$(session new dbshow)
grep -q "^w: " <<<"$out" || fail "dbshow found no record of the initial position (see $log)"

step "6/6 bookcreate: bookbtm and bookwtm from the databases"
out=$(session bookcreate)
[ "$(tail -n 1 <<<"$out")" = "created." ] || fail "bookcreate failed (see $log)"
if grep -Eq "^(Cannot |Writing indexes)" <<<"$out"; then fail "bookcreate could not write a book (see $log)"; fi

echo
echo "Book ready in $(pwd). A fresh engine started here plays from it:"
session new bookshow 2>/dev/null | grep -E "^(YES|NO|BOOK ERROR)" || true
rm -f session.out
