#!/usr/bin/env bash
# What a fresh engine plays from its book: starts the engine STARTS times
# (default 50), each time anew in an empty directory, so that it plays from
# the default book of its build or installation, and counts its first move
# as White, its reply to 1.e4 and its reply to 1.d4. The book chooses among
# its moves by the clock, so fresh starts show how often each comes.
#
#   scripts/book-first-moves.sh [VELTOR] [STARTS]
#
# VELTOR defaults to $VELTOR, else build/veltor beside this script.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
engine=${1:-${VELTOR:-$here/../build/veltor}}
starts=${2:-50}
[ -x "$engine" ] || { echo "no engine binary: $engine" >&2; exit 1; }
[[ $starts =~ ^[1-9][0-9]*$ ]] || { echo "STARTS must be a positive number: $starts" >&2; exit 1; }
engine=$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")
work=$(mktemp -d "${TMPDIR:-/tmp}/veltor-first-moves-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The engine's move after the given words, in a fresh empty directory.
move_after() {
  rm -rf "$work/run" && mkdir "$work/run"
  (cd "$work/run" && printf 'xboard\nprotover 2\nnew\n%s\nquit\n' "$1" |
    timeout 60 "$engine" 2> /dev/null | sed -n 's/^move //p' | head -n 1)
}

for case in "as White:go" "after 1.e4:e2e4" "after 1.d4:d2d4"; do
  name=${case%%:*}
  words=${case#*:}
  for _ in $(seq "$starts"); do move_after "$words"; done | sort | uniq -c | sort -rn |
    awk -v name="$name" '{ line = line sprintf(" %s %d,", $2, $1) } END { sub(/,$/, "", line); print name ":" line }'
done
