#!/usr/bin/env python3
"""Writes the match openings: the distinct first PLIES plies of the games of
a PGN collection that at least MIN games share, as coordinate move lists, one
per line, in order of how many games share them.
Usage: scripts/make-openings.py GAMES.pgn PLIES MIN > openings.txt
Needs python-chess on PYTHONPATH (../shared/tools/python-chess)."""
import collections
import sys

import chess.pgn


def main() -> int:
    path, plies, minimum = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    counts: collections.Counter[tuple[str, ...]] = collections.Counter()
    with open(path, encoding="latin-1") as f:
        while True:
            game = chess.pgn.read_game(f)
            if game is None:
                break
            moves = []
            node = game
            while node.variations and len(moves) < plies:
                node = node.variations[0]
                moves.append(node.move.uci())
            if len(moves) == plies:
                counts[tuple(moves)] += 1
    for line, n in sorted(counts.items(), key=lambda item: (-item[1], item[0])):
        if n >= minimum:
            print(" ".join(line))
    return 0


if __name__ == "__main__":
    sys.exit(main())
