#!/usr/bin/env bash
# Installs, from Debian, what building and testing Veltor needs and the machine lacks.
# Usage: scripts/install-deps.sh [build|test|format|longrun]
#   build: compiler and CMake; test: also what the tests drive (clang, xboard,
#   GNOME's chess application, pgn-extract, the peer engines stockfish and
#   phalanx, polyglot, ...) and clang-format; format: only clang-format;
#   longrun: test plus the second peer of scripts/uci-longrun.py.
set -euo pipefail
mode="${1:-build}"
case "$mode" in
  build|test|longrun)
    need=(cmake g++ make)
    [ -d /usr/src/googletest ] || need+=(googletest)
    [ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
    if [ "$mode" != build ]; then
      need+=(python3 clang libclang-rt-14-dev xboard xvfb xauth fairymax pgn-extract clang-format stockfish polyglot
            phalanx gnome-chess xdotool imagemagick)
    fi
    if [ "$mode" = longrun ]; then
      need+=(glaurung)
    fi ;;
  format) need=(clang-format) ;;
  *) echo "usage: $0 [build|test|format|longrun]" >&2; exit 2 ;;
esac
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
