# Shared by the scripts that play matches with the shared tools' match runner
# (source it; it defines functions only).

# Prints the runner's folder: $MATCH when set, else a copy of
# ../shared/tools/match in build-match/ with its packages installed once.
match_runner() {
  local root="$1" match="${MATCH:-}"
  if [ -z "$match" ]; then
    match="$root/build-match"
    if [ ! -d "$match/node_modules" ]; then
      rm -rf "$match"
      cp -r "$root/../shared/tools/match" "$match"
      (cd "$match" && npm ci --silent) >&2
    fi
  fi
  echo "$match"
}

# Reads a match's summary from the runner's output LOG for engines A and B:
# sets wld (W-L-D of A), score (A's score) and diff (the Elo difference with
# its error bar).
match_result() {
  local log="$1" a="$2" b="$3" line
  wld=$(grep -oE "Score of $a vs $b: [0-9]+ - [0-9]+ - [0-9]+" "$log" | tail -1 | sed 's/.*: //')
  line=$(grep -E "$a score:" "$log" | tail -1)
  score=$(echo "$line" | grep -oE "score: [0-9.]+ %" | sed 's/score: //')
  diff=$(echo "$line" | grep -oE "Elo difference: [^L]*" | sed 's/Elo difference: //; s/ *$//')
}
