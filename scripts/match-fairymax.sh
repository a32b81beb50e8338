#!/usr/bin/env bash
# A longer match under a real XBoard against Fairy-Max (not part of CI):
# 20 games at 40 moves in 20 seconds by default, colours alternating.
# Usage: scripts/match-fairymax.sh [GAMES] [TIME_CONTROL] [MOVES_PER_CONTROL]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DVELTOR_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target veltor >/dev/null
KEEP_MATCH=1 exec "$root/tests/scripts/xboard_match.sh" "$root/build/veltor" "${1:-20}" "${2:-0:20}" "${3:-40}"
