#!/usr/bin/env bash
# Builds the position-statistics databases and the opening book from a PGN file.
#
#   scripts/build-book.sh [--min-games N [--min-share PERCENT]] GAMES.pgn [DIRECTORY]
#
# Every step runs in DIRECTORY (default: the current directory), which ends
# up holding white.db, black.db and the book files bookwtm.mbk/.mbx and
# bookbtm.mbk/.mbx; an engine started there plays from that book. The engine
# binary is $VELTOR, else "veltor" on the PATH, else build/veltor beside this
# script. The first failing step stops the script with a message.
#
# With --min-games the book keeps only what enough games played: a position
# needs N games and (with --min-share) PERCENT of the games of the position
# before it ("bookcreate N PERCENT"); without it every position that passes
# the score rules is taken ("bookcreate").
#
# The positions are split by the first hex digit of their key (0.pos ... F.pos),
# and every digit is sorted and turned into a slice of the databases on its
# own, $VELTOR_JOBS at a time (default: the number of processors); the slices,
# being in key order, are joined into white.db and black.db. Each sort holds at
# most $VELTOR_SORT_MEMORY (default 200M) and spills to temporary files in
# DIRECTORY beyond it, so memory stays the same whatever the input size.
#
# The engine is driven through its console: the first word it reads is taken
# as the protocol greeting and only warned about when it is not "xboard", so
# every session starts with the word "console" (sending "xboard" would make
# the engine swallow the following words as protocol replies).
set -euo pipefail

fail() { echo "build-book: $*" >&2; exit 1; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage="usage: $0 [--min-games N [--min-share PERCENT]] GAMES.pgn [DIRECTORY]"
thresholds=
while [ $# -gt 0 ]; do
  case $1 in
    --min-games)
      [ $# -ge 2 ] && [[ $2 =~ ^[1-9][0-9]*$ ]] || fail "--min-games needs a whole number of games"
      thresholds=$2; shift 2 ;;
    --min-share)
      [ -n "$thresholds" ] || fail "--min-share needs --min-games before it"
      [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+([.][0-9]+)?$ ]] || fail "--min-share needs a percentage"
      thresholds="$thresholds $2"; shift 2 ;;
    -*) fail "$usage" ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] && [ $# -le 2 ] || fail "$usage"
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
jobs=${VELTOR_JOBS:-$(nproc 2>/dev/null || echo 1)}
[[ $jobs =~ ^[1-9][0-9]*$ ]] || fail "VELTOR_JOBS must be a positive number: $jobs"
sort_memory=${VELTOR_SORT_MEMORY:-200M}
# Processors left to each sort beside the other jobs.
sort_threads=$(( $(nproc 2>/dev/null || echo 1) / jobs ))
[ "$sort_threads" -ge 1 ] || sort_threads=1

mkdir -p "$workdir" || fail "cannot create directory: $workdir"
cd "$workdir"
digits=(0 1 2 3 4 5 6 7 8 9 A B C D E F)

# Runs one console session in the current directory; its output is kept in
# session.out, added to $log and returned on stdout.
log=$(pwd)/build-book.log
: > "$log"
session() {
  { printf 'console\n'; printf '%s\n' "$@"; printf 'quit\n'; } | "$engine" > session.out 2>&1 ||
    fail "the engine failed during: $* (in $(pwd))"
  cat session.out >> "$log"
  cat session.out
}
step() { echo; echo "== $*"; }

# Shows how far the engine process $1 has read the file $2 (from the file
# offset the kernel reports for it) until the process ends.
show_reading() {
  local pid=$1 file=$2 size fd pos last=-1 percent
  size=$(stat -c %s "$file")
  [ "$size" -gt 0 ] || size=1
  while kill -0 "$pid" 2>/dev/null; do
    pos=
    for fd in /proc/"$pid"/fd/*; do
      if [ "$(readlink "$fd" 2>/dev/null)" = "$file" ]; then
        pos=$(awk '/^pos:/ {print $2}' /proc/"$pid"/fdinfo/"${fd##*/}" 2>/dev/null || true)
        break
      fi
    done
    if [ -n "$pos" ]; then
      percent=$(( pos * 100 / size ))
      if [ -t 1 ]; then
        printf '\r   read %3d%% (%d of %d MB)' "$percent" $(( pos >> 20 )) $(( size >> 20 ))
      elif [ $(( percent / 10 )) -gt $(( last / 10 )) ]; then
        echo "   read $percent% ($(( pos >> 20 )) of $(( size >> 20 )) MB)"
      fi
      last=$percent
    fi
    sleep 1
  done
  [ -t 1 ] && echo
  return 0
}

step "1/5 pgn2pos: positions of $pgn into 0.pos ... F.pos"
started=$SECONDS
printf 'console\npgn2pos %s\nquit\n' "$pgn" > session.in
"$engine" < session.in > session.out 2>&1 &
engine_pid=$!
show_reading "$engine_pid" "$pgn"
wait "$engine_pid" || fail "the engine failed during pgn2pos (see $log)"
cat session.out >> "$log"
grep -q "finished" session.out || fail "pgn2pos did not finish (see $log)"
if grep -Eq "^(Cannot |ERROR: )" session.out; then fail "pgn2pos reported an error (see $log)"; fi
grep "^converted: " session.out | sed 's/^/   /'
echo "   $(( SECONDS - started )) s"

step "2/5 sort and dbcreate: each key digit on its own, $jobs at a time"
started=$SECONDS
for digit in "${digits[@]}"; do
  [ -f "$digit.pos" ] || fail "missing position file $digit.pos"
done
rm -rf slices
mkdir slices
# One slice: the digit's lines sorted by key, then its two databases.
slice() {
  local digit=$1 dir=slices/$1
  mkdir -p "$dir"
  LC_ALL=C sort -S "$sort_memory" --parallel="$sort_threads" -T "$dir" -o "$dir/sorted" "$digit.pos" ||
    { echo "sort failed on $digit.pos" > "$dir/failed"; return 1; }
  (cd "$dir" && { printf 'console\ndbcreate sorted slice\nquit\n' | "$engine" > session.out 2>&1; } &&
    [ "$(tail -n 1 session.out)" = "created." ]) ||
    { echo "dbcreate failed on $digit.pos (see $dir/session.out)" > "$dir/failed"; return 1; }
  echo "$(wc -l < "$dir/sorted")" > "$dir/lines"
  rm -f "$dir/sorted"
}
running=0
done_count=0
report_one() {
  done_count=$(( done_count + 1 ))
  printf '   [%2d/16] slices done\n' "$done_count"
}
for digit in "${digits[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$(( running - 1 ))
    report_one
  fi
  slice "$digit" &
  running=$(( running + 1 ))
done
while [ "$running" -gt 0 ]; do
  wait -n || true
  running=$(( running - 1 ))
  report_one
done
lines=0
for digit in "${digits[@]}"; do
  if [ -f "slices/$digit/failed" ]; then fail "$(cat "slices/$digit/failed")"; fi
  cat "slices/$digit/session.out" >> "$log"
  lines=$(( lines + $(cat "slices/$digit/lines") ))
done
echo "   $lines position lines sorted, $(( SECONDS - started )) s"

step "3/5 join: the slices in key order -> white.db, black.db"
for side in white black; do
  for digit in "${digits[@]}"; do cat "slices/$digit/slice_$side.db"; done > "$side.db.tmp" ||
    fail "cannot write $side.db.tmp"
  mv -f "$side.db.tmp" "$side.db" || fail "cannot rename $side.db.tmp"
done
rm -rf slices
echo "   white.db: $(( $(stat -c %s white.db) / 54 )) records, black.db: $(( $(stat -c %s black.db) / 54 )) records"

step "4/5 dbshow: statistics of the initial position"
out=$(session new dbshow)
grep "^w: " <<<"$out" | sed 's/^/   /' || fail "dbshow found no record of the initial position (see $log)"

step "5/5 bookcreate${thresholds:+ $thresholds}: bookbtm and bookwtm from the databases"
out=$(session "bookcreate${thresholds:+ $thresholds}")
[ "$(tail -n 1 <<<"$out")" = "created." ] || fail "bookcreate failed (see $log)"
if grep -Eq "^(Cannot |Writing indexes)" <<<"$out"; then fail "bookcreate could not write a book (see $log)"; fi
echo "   bookbtm: $(( $(stat -c %s bookbtm.mbk) / 6 )) positions, bookwtm: $(( $(stat -c %s bookwtm.mbk) / 6 )) positions"

# What a fresh engine started here plays from the initial position: its log
# names a book move as "move (book) ...".
session new time 100 otim 100 go > /dev/null
first=$(grep -o "move (book) [a-h][1-8][a-h][1-8][qrbn]*" Veltor.log | head -n 1 | cut -d' ' -f3)
rm -f session.in session.out
echo
if [ -n "$first" ]; then
  echo "Book ready in $(pwd). A fresh engine started here plays $first from it at the initial position."
else
  echo "Book ready in $(pwd). It holds no move from the initial position: a fresh engine started here searches its first move."
fi
