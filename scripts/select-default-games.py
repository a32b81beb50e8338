#!/usr/bin/env python3
"""Writes the game collection the default opening book is built from.

    scripts/select-default-games.py MASTERS.pgn TWIC.pgn > data/default-games.pgn

Keeps the games of MASTERS.pgn played in 1950 or later (by the year of the
Date tag; games without a year are left out), then every game of TWIC.pgn.
Each game keeps its seven roster tags (Event, Site, Date, Round, White, Black,
Result) and its first 64 moves (plies), followed by its result: the position
files hold the positions before the first 64 moves only, so the book built from
this extract is the same, byte for byte, as the book built from the whole
games. The committed collection is this output compressed with `xz -9e`; the
script records how it was made.
"""
import re
import sys

FIRST_YEAR = 1950
KEPT_PLIES = 64
ROSTER = ("Event", "Site", "Date", "Round", "White", "Black", "Result")
DATE = re.compile(r'^\[Date "(\d{4})')
TAG = re.compile(r'^\[(\w+) ')
NUMBER = re.compile(r'^\d+\.+')


def games(path):
    """Yields each game's text, from one [Event tag to the next."""
    with open(path, encoding="latin-1", newline="") as f:
        text = f.read().replace("\r\n", "\n")
    starts = [m.start() for m in re.finditer(r'^\[Event ', text, re.M)]
    for i, start in enumerate(starts):
        end = starts[i + 1] if i + 1 < len(starts) else len(text)
        yield text[start:end].rstrip("\n") + "\n\n"


def year(game):
    for line in game.splitlines():
        m = DATE.match(line)
        if m:
            return int(m.group(1))
    return None


def shortened(game):
    """The game with its roster tags and its first plies, then its result.
    Games with comments or variations are kept whole."""
    tags, moves = [], []
    for line in game.splitlines():
        m = TAG.match(line)
        if m:
            if m.group(1) in ROSTER:
                tags.append(line)
        elif line.strip():
            moves.append(line)
    text = " ".join(moves)
    if any(c in text for c in "{(;%"):
        return "\n".join(tags) + "\n\n" + "\n".join(moves) + "\n\n"
    tokens = text.split()
    result, body = tokens[-1], tokens[:-1]
    kept, plies = [], 0
    for token in body:
        if NUMBER.sub("", token) and plies == KEPT_PLIES:
            break
        kept.append(token)
        if NUMBER.sub("", token):
            plies += 1
    kept.append(result)
    lines, line = [], ""
    for token in kept:
        if line and len(line) + 1 + len(token) > 79:
            lines.append(line)
            line = token
        else:
            line = line + " " + token if line else token
    lines.append(line)
    return "\n".join(tags) + "\n\n" + "\n".join(lines) + "\n\n"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: select-default-games.py MASTERS.pgn TWIC.pgn")
    out = sys.stdout.buffer
    kept = 0
    for game in games(sys.argv[1]):
        y = year(game)
        if y is not None and y >= FIRST_YEAR:
            out.write(shortened(game).encode("latin-1"))
            kept += 1
    for game in games(sys.argv[2]):
        out.write(shortened(game).encode("latin-1"))
        kept += 1
    print("games written: %d" % kept, file=sys.stderr)


main()
