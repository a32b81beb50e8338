#!/usr/bin/env bash
# python-chess (the library behind many bots and scripts) drives the engine:
# every kind of request it makes, then a whole game against Phalanx.
# Installs the Debian packages it needs when they are missing.
# Usage: python_chess_client.sh VELTOR_BINARY SHARED_DIR [check|games ARGS...]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
veltor="$(realpath "$1")"
shared="$2"
shift 2
[ -x /usr/games/phalanx ] && [ -x /usr/games/stockfish ] || "$root/scripts/install-deps.sh" test
library="$shared/tools/python-chess"
[ -f "$library/chess/engine.py" ] || { echo "python-chess not found under $library"; exit 1; }
mode="${1:-check}"
[ $# -gt 0 ] && shift
PYTHONPATH="$library" exec python3 "$root/tests/clients/xboard_clients.py" "$mode" "$veltor" "$@"
