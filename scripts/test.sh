#!/usr/bin/env bash
# Builds everything and runs every test (the slow suites excepted: ctest -L slow runs them).
# Usage: scripts/test.sh [--sanitize]   (--sanitize: AddressSanitizer + UndefinedBehaviorSanitizer build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" test
export PATH="$PATH:/usr/games"
if [ "${1:-}" = "--sanitize" ]; then
  dir="$root/build-sanitize"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTOR_SANITIZE=ON >/dev/null
  # The fuzz-corpus replay builds its own sanitized harnesses: once is enough.
  skip="slow|fuzz"
else
  dir="$root/build-test"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
  skip="slow"
fi
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" -LE "$skip" --output-on-failure -j"$(nproc)"
