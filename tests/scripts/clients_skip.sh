#!/usr/bin/env bash
# Without the shared reference data both python-chess clients report
# themselves skipped (exit status 77) in one line, before installing or
# starting anything.
# Usage: clients_skip.sh VELTOR_BINARY TESTS_DIR
set -u
veltor="$1"
tests="$2"
missing="$(mktemp -d "${TMPDIR:-/tmp}/veltor-no-shared-XXXXXX")/shared"
status=0
check() {  # name, exit status, output
  local lines
  lines=$(printf '%s\n' "$3" | wc -l)
  if [ "$2" -eq 77 ] && [ "$lines" -eq 1 ]; then
    echo "ok    $1 skips: $3"
  else
    echo "FAIL  $1: status $2, $lines lines: $3"
    status=1
  fi
}
out=$("$tests/scripts/python_chess_client.sh" "$veltor" "$missing" check 2>&1)
check clients.python_chess $? "$out"
out=$(python3 "$tests/scripts/uci_clients.py" "$veltor" /usr/games/stockfish "$missing/tools/python-chess" 2>&1)
check clients.uci_python_chess $? "$out"
rmdir "$(dirname "$missing")"
exit $status
