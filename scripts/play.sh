#!/usr/bin/env bash
# Builds a Release binary and starts the engine on this terminal (stdin/stdout).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" build
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DVELTOR_TESTS=OFF >/dev/null
# The engine and its default opening book (share/veltor/ beside the binary).
cmake --build "$root/build" -j"$(nproc)" --target veltor default_book >/dev/null
exec "$root/build/veltor"
