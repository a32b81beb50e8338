#!/usr/bin/env bash
# python-chess (the library behind many bots and scripts) drives the engine:
# every kind of request it makes, then a whole game against Phalanx.
# Installs the Debian packages it needs when they are missing.
# Usage: python_chess_client.sh VELTOR_BINARY SHARED_DIR [check|games ARGS...]
# Exit status 77: no python-chess under SHARED_DIR (the test is skipped).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
veltor="$(realpath "$1")"
shared="$2"
shift 2
library="$shared/tools/python-chess"
# Without the shared reference data (a fresh clone) the test is skipped.
[ -f "$library/chess/engine.py" ] ||
  { echo "python-chess not found under $library (needs ../shared beside the repository)"; exit 77; }
[ -x /usr/games/phalanx ] && [ -x /usr/games/stockfish ] || "$root/scripts/install-deps.sh" test
mode="${1:-check}"
[ $# -gt 0 ] && shift
PYTHONPATH="$library" exec python3 "$root/tests/clients/xboard_clients.py" "$mode" "$veltor" "$@"
