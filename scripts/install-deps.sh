#!/usr/bin/env bash
# Installs, from Debian, what building and testing Veltor needs and the machine lacks.
# Usage: scripts/install-deps.sh [build|test]
set -euo pipefail
need=(cmake g++ make)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
if [ "${1:-build}" = test ]; then
  need+=(python3 clang libclang-rt-14-dev xboard xvfb xauth fairymax pgn-extract)
fi
missing=()
for pkg in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
