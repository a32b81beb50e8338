#!/usr/bin/env bash
# Checks that the C++ sources of src/, tests/, bench/, fuzz/ and tune/ are formatted
# as clang-format (version 14, the repository's .clang-format) writes them.
# Usage: scripts/check-format.sh [--fix]
#   Lists the files whose formatting differs and exits 1 when there are any;
#   --fix rewrites those files in place instead.
# Environment: CLANG_FORMAT (the program, default clang-format-14 or clang-format).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
folders=(src tests bench fuzz tune)
wanted_major=14

fix=0
case "${1:-}" in
  "") ;;
  --fix) fix=1 ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

find_clang_format() {
  if [ -n "${CLANG_FORMAT:-}" ]; then echo "$CLANG_FORMAT"; return; fi
  command -v clang-format-$wanted_major || command -v clang-format || true
}
tool="$(find_clang_format)"
if [ -z "$tool" ]; then
  "$root/scripts/install-deps.sh" format
  tool="$(find_clang_format)"
fi
[ -n "$tool" ] && command -v "$tool" >/dev/null || { echo "check-format: clang-format not found" >&2; exit 2; }
version="$("$tool" --version)"
case "$version" in
  *"version $wanted_major."*) ;;
  *) echo "check-format: warning: $version is not clang-format $wanted_major; its output may differ" >&2 ;;
esac
[ -f .clang-format ] || { echo "check-format: no .clang-format in $root" >&2; exit 2; }

# The files: those git tracks (plus new ones not ignored) in a checkout, else
# every C++ file under the folders.
files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r -d '' f; do [ -f "$f" ] && files+=("$f"); done < <(
    git ls-files -z --cached --others --exclude-standard -- "${folders[@]/%//*.cpp}" "${folders[@]/%//*.h}")
else
  while IFS= read -r -d '' f; do files+=("$f"); done < <(
    find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | sort -z)
fi
[ ${#files[@]} -gt 0 ] || { echo "check-format: no C++ files under ${folders[*]}" >&2; exit 2; }

formatted="$(mktemp)"
trap 'rm -f "$formatted"' EXIT
differing=()
for f in "${files[@]}"; do
  "$tool" --style=file "$f" > "$formatted" || { echo "check-format: clang-format failed on $f" >&2; exit 2; }
  cmp -s "$formatted" "$f" || differing+=("$f")
done

if [ ${#differing[@]} -eq 0 ]; then
  echo "check-format: ${#files[@]} files formatted as clang-format writes them"
  exit 0
fi
if [ $fix -eq 1 ]; then
  "$tool" --style=file -i "${differing[@]}"
  printf 'reformatted: %s\n' "${differing[@]}"
  echo "check-format: reformatted ${#differing[@]} of ${#files[@]} files"
  exit 0
fi
printf '%s\n' "${differing[@]}"
echo "check-format: ${#differing[@]} of ${#files[@]} files differ from clang-format's output" \
  "(see: $tool --style=file FILE | diff FILE -; fix: scripts/check-format.sh --fix)" >&2
exit 1
