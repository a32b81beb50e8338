#!/usr/bin/env bash
# Builds everything and runs every test (the slow suites excepted: ctest -L slow runs them).
# Usage: scripts/test.sh [--debug] [--sanitize]
#   --debug     assertions on: optimised build with debug information, without
#               NDEBUG and with the C++ library's own checks (build-debug)
#   --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build (build-sanitize)
#   both        one build with the sanitizers and the assertions, as CI runs it
#               (build-sanitize-debug)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
debug=0
sanitize=0
for arg in "$@"; do
  case "$arg" in
    --debug) debug=1 ;;
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--debug] [--sanitize]" >&2; exit 2 ;;
  esac
done
"$root/scripts/install-deps.sh" test
export PATH="$PATH:/usr/games"

options=()
if [ $sanitize -eq 1 ] || [ $debug -eq 1 ]; then
  options+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
  # The fuzz-corpus replay builds its own sanitized harnesses: once is enough.
  skip="slow|fuzz"
else
  options+=(-DCMAKE_BUILD_TYPE=Release)
  skip="slow"
fi
if [ $sanitize -eq 1 ]; then options+=(-DVELTOR_SANITIZE=ON); fi
if [ $debug -eq 1 ]; then
  # The usual RelWithDebInfo flags less -DNDEBUG, so every assert() is checked.
  options+=("-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g -D_GLIBCXX_ASSERTIONS")
fi
case "$sanitize$debug" in
  00) dir="$root/build-test" ;;
  01) dir="$root/build-debug" ;;
  10) dir="$root/build-sanitize" ;;
  11) dir="$root/build-sanitize-debug" ;;
esac

cmake -S "$root" -B "$dir" "${options[@]}" >/dev/null
if [ $debug -eq 1 ] && grep -q -- '-DNDEBUG' "$dir/compile_commands.json"; then
  echo "test.sh: assertions are switched off (NDEBUG) in $dir; the build type's flags override them" >&2
  exit 1
fi
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" -LE "$skip" --output-on-failure -j"$(nproc)"
