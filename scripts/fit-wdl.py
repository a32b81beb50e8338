#!/usr/bin/env python3
"""Fits the win/draw/loss odds the engine shows (UCI_ShowWDL, xboard ShowWDL)
to the outcomes of real games.

  scripts/fit-wdl.py [--mode default|strong] [--engine PATH] [--work DIR]
                     [--nodes N] [--every K] [--pgn FILE ...] [--write]
                     [--db DIR [--db-games G]]

1. The engine's own PGN reader writes every position of every finished game
   with the game's result ("pgn2fen", one line per ply) into DIR.
2. Every K-th position (K from --every) is scored by the engine in the given
   mode over UCI with "go nodes N" (a node limit: the scores do not depend on
   the machine's speed); the scores are kept in DIR, so a second run refits
   without scoring again.
3. The model of src/wdl/wdl_model.h, win = 1/(1+exp((a-t)/b)) and loss the
   same for -t, where t = c tanh(s/c) is the score s leveled off at c (big
   scores are no certain wins) and a and b are quadratic in the material on
   the board, is fitted by maximum likelihood (Nelder-Mead over the
   log-likelihood of the binned positions). Positions with a mate score are
   left out (their odds are certain).
4. It prints the constants and a table of the predicted against the observed
   odds per score band; --write puts the constants into
   src/wdl/wdl_fit_<mode>.h.
5. With --db DIR (white.db and black.db of the same games, as
   scripts/build-book.sh makes them) it checks the fit on the positions of the
   databases that at least G games reached (default 100): each is scored the
   same way, and their White-win, Black-win and draw counts are compared with
   the odds predicted for them, game by game, per score band.

The mode is the engine's search: "default", or "strong" (the UCI option
Strong set to true), each with its own score scale and its own constants.
Needs nothing beyond Python 3.
"""
import argparse
import math
import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SHARED = ROOT.parent / "shared" / "data" / "pgn" / "real"
DEFAULT_PGNS = [SHARED / "masters-pgnmentor.pgn", SHARED / "twic0920.pgn"]
MATERIAL = {"p": 1, "n": 3, "b": 3, "r": 5, "q": 9}
FULL_MATERIAL = 78
SCORE_CLAMP = 2000  # scores beyond are binned at the clamp
BIN_WIDTH = 10      # centipawns per score bin
BANDS = [(-10000, -400), (-400, -200), (-200, -100), (-100, -50), (-50, -15), (-15, 15),
         (15, 50), (50, 100), (100, 200), (200, 400), (400, 10000)]
MODE_NAMES = {"default": "DefaultMode", "strong": "StrongMode"}


def run_console(engine, workdir, commands):
    text = "console\n" + "".join(c + "\n" for c in commands) + "quit\n"
    env = dict(os.environ, VELTOR_BOOK_DIR="")
    out = subprocess.run([engine], input=text, capture_output=True, text=True, cwd=workdir, env=env)
    return out.stdout


def positions_of(engine, workdir, pgn):
    """The FEN lines of one PGN file, made once by the engine's pgn2fen."""
    fen_file = workdir / (pgn.stem + ".fen")
    if not fen_file.exists():
        out = run_console(engine, workdir, ["pgn2fen %s %s" % (pgn, fen_file.name)])
        if "pgn2fen:" not in out:
            sys.exit("pgn2fen failed on %s:\n%s" % (pgn, out))
        print(out.strip().splitlines()[-1], file=sys.stderr)
    return fen_file


def sample(fen_file, every):
    with open(fen_file) as f:
        for i, line in enumerate(f):
            if i % every == 0:
                fen, result, ply = line.rstrip("\n").split("\t")
                yield fen, result, int(ply)


class UciEngine:
    def __init__(self, path, mode):
        env = dict(os.environ, VELTOR_BOOK_DIR="")
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                  bufsize=1, env=env, cwd="/tmp")
        self.send("uci")
        options = [line.split(" type ")[0][len("option name "):] for line in self.until("uciok")
                   if line.startswith("option name ")]
        self.send("setoption name Hash value 16")
        self.send("setoption name OwnBook value false")
        if mode == "strong":
            if "Strong" not in options:
                sys.exit("the engine has no option Strong: it cannot search in the strong mode")
            self.send("setoption name Strong value true")
        self.send("isready")
        self.until("readyok")

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def until(self, prefix):
        lines = []
        for line in self.p.stdout:
            line = line.rstrip("\n")
            lines.append(line)
            if line.startswith(prefix):
                return lines
        sys.exit("the engine ended early")

    def score(self, fen, nodes):
        """The last score of a node-limited search: ("cp", x), ("mate", n) or None."""
        self.send("position fen " + fen)
        self.send("go nodes %d" % nodes)
        last = None
        for line in self.until("bestmove"):
            words = line.split()
            if words[:1] == ["info"] and "score" in words:
                i = words.index("score")
                last = (words[i + 1], int(words[i + 2]))
        return last

    def close(self):
        self.send("quit")
        self.p.wait()


def scored_positions(engine, workdir, pgns, mode, nodes, every):
    """(score, material, outcome) per sampled position; outcome 1 win, 0 draw,
    -1 loss for the side to move. Scores are cached in the work directory."""
    cache = workdir / ("scores-%s-n%d-e%d.tsv" % (mode, nodes, every))
    if not cache.exists():
        uci = UciEngine(engine, mode)
        tmp = cache.with_suffix(".tmp")
        with open(tmp, "w") as out:
            count = 0
            for pgn in pgns:
                for fen, result, ply in sample(positions_of(engine, workdir, pgn), every):
                    s = uci.score(fen, nodes)
                    if s is None:
                        continue
                    out.write("%s\t%s\t%d\t%s\t%d\n" % (fen, result, ply, s[0], s[1]))
                    count += 1
                    if count % 5000 == 0:
                        print("  %d positions scored" % count, file=sys.stderr, flush=True)
        uci.close()
        tmp.rename(cache)
    data = []
    with open(cache) as f:
        for line in f:
            fen, result, ply, kind, value = line.rstrip("\n").split("\t")
            if kind != "cp":
                continue
            placement, side = fen.split()[:2]
            material = sum(MATERIAL.get(c.lower(), 0) for c in placement)
            white = 1 if result == "W" else -1 if result == "B" else 0
            outcome = white if side == "w" else -white
            data.append((int(value), material, outcome))
    return data


DB_RECORD = 54
DB_PIECES = "BKNPQRbknpqr"  # four-bit codes 4..15


def db_positions(db_dir, min_games):
    """(FEN, white wins, black wins, draws) of the database records reached by
    at least min_games games."""
    for name in ("white.db", "black.db"):
        data = (Path(db_dir) / name).read_bytes()
        for at in range(0, len(data) - DB_RECORD + 1, DB_RECORD):
            w, b, d = (int.from_bytes(data[at + k:at + k + 4], "little") for k in (42, 46, 50))
            if w + b + d < min_games:
                continue
            squares = []
            for byte in data[at + 8:at + 40]:
                for code in (byte >> 4, byte & 15):
                    if len(squares) >= 64:
                        break
                    if code < 4:
                        # A run of five to eight empty squares is 3 then the rest.
                        squares.extend(["1"] * (code + 1))
                    else:
                        squares.append(DB_PIECES[code - 4])
            rows = []
            for r in range(8):
                row, empty = "", 0
                for c in squares[8 * r:8 * r + 8]:
                    if c == "1":
                        empty += 1
                    else:
                        row += (str(empty) if empty else "") + c
                        empty = 0
                rows.append(row + (str(empty) if empty else ""))
            state, plies = data[at + 40], data[at + 41]
            white = bool(state & 0x80)
            castling = "".join(l for bit, l in ((0x40, "K"), (0x20, "Q"), (0x10, "k"), (0x08, "q"))
                               if state & bit) or "-"
            ep = "-"
            if plies & 0x80:
                ep = "abcdefgh"[state & 7] + ("6" if white else "3")
            yield "%s %s %s %s" % ("/".join(rows), "w" if white else "b", castling, ep), w, b, d


def db_table(params, engine, workdir, db_dir, min_games, mode, nodes):
    """Predicted against observed odds, game by game, for the database positions."""
    cache = workdir / ("db-scores-%s-n%d-g%d.tsv" % (mode, nodes, min_games))
    if not cache.exists():
        uci = UciEngine(engine, mode)
        tmp = cache.with_suffix(".tmp")
        with open(tmp, "w") as out:
            for fen, w, b, d in db_positions(db_dir, min_games):
                s = uci.score(fen, nodes)
                if s is not None:
                    out.write("%s\t%d\t%d\t%d\t%s\t%d\n" % (fen, w, b, d, s[0], s[1]))
        uci.close()
        tmp.rename(cache)
    per_band = {}
    positions = 0
    with open(cache) as f:
        for line in f:
            fen, w, b, d, kind, value = line.rstrip("\n").split("\t")
            if kind != "cp":
                continue
            placement, side = fen.split()[:2]
            material = sum(MATERIAL.get(c.lower(), 0) for c in placement)
            score = int(value)
            own, other = (int(w), int(b)) if side == "w" else (int(b), int(w))
            games = own + other + int(d)
            pw, pd, pl = odds(params, score, material)
            for low, high in BANDS:
                if low <= score < high:
                    t = per_band.setdefault((low, high), [0, 0, 0, 0, 0.0, 0.0, 0.0, 0])
                    for k, x in enumerate((own, int(d), other, games)):
                        t[k] += x
                    t[4] += games * pw
                    t[5] += games * pd
                    t[6] += games * pl
                    t[7] += 1
            positions += 1
    rows = ["| score (cp, side to move) | positions | games | observed win / draw / loss | "
            "predicted win / draw / loss |", "|---|---|---|---|---|"]
    for low, high in BANDS:
        if (low, high) not in per_band:
            continue
        w, d, l, games, pw, pd, pl, n = per_band[(low, high)]
        rows.append("| %s | %d | %d | %s | %s |" % (
            band_label(low, high), n, games,
            " / ".join("%.1f%%" % (100 * x / games) for x in (w, d, l)),
            " / ".join("%.1f%%" % (100 * x / games) for x in (pw, pd, pl))))
    return positions, "\n".join(rows)


def band_label(low, high):
    if low <= -10000:
        return "below %d" % high
    if high >= 10000:
        return "%d and above" % low
    return "%d to %d" % (low, high - 1)


SMALLEST_LEVEL = 50.0  # the score never levels off sooner (as in wdl_model.cpp)


def curve_params(params, material):
    x = min(max(material, 0), FULL_MATERIAL) / FULL_MATERIAL
    a = params[0] + x * (params[1] + x * params[2])
    b = params[3] + x * (params[4] + x * params[5])
    return max(a, 0.0), max(b, 1.0)


def odds(params, score, material):
    a, b = curve_params(params, material)
    level = max(abs(params[6]), SMALLEST_LEVEL)
    score = level * math.tanh(score / level)

    def logistic(t):
        return 1.0 / (1.0 + math.exp(-t)) if t > -700 else 0.0

    win = logistic((score - a) / b)
    loss = logistic((-score - a) / b)
    return win, max(1.0 - win - loss, 0.0), loss


def bins_of(data):
    bins = {}
    for score, material, outcome in data:
        s = max(-SCORE_CLAMP, min(SCORE_CLAMP, score))
        key = (round(s / BIN_WIDTH) * BIN_WIDTH, material)
        counts = bins.setdefault(key, [0, 0, 0])
        counts[1 - outcome] += 1  # [wins, draws, losses]
    return bins


def log_likelihood(params, bins):
    total = 0.0
    for (score, material), (w, d, l) in bins.items():
        pw, pd, pl = odds(params, score, material)
        for n, p in ((w, pw), (d, pd), (l, pl)):
            if n:
                total += n * math.log(max(p, 1e-12))
    return total


def nelder_mead(f, start, steps, iterations=3000, tolerance=1e-7):
    """Minimises f from start; plain Nelder-Mead."""
    n = len(start)
    simplex = [list(start)]
    for i in range(n):
        point = list(start)
        point[i] += steps[i]
        simplex.append(point)
    values = [f(p) for p in simplex]
    for _ in range(iterations):
        order = sorted(range(n + 1), key=lambda i: values[i])
        simplex = [simplex[i] for i in order]
        values = [values[i] for i in order]
        if abs(values[-1] - values[0]) <= tolerance * (abs(values[0]) + 1e-12):
            break
        centroid = [sum(p[j] for p in simplex[:-1]) / n for j in range(n)]
        worst = simplex[-1]
        reflected = [centroid[j] + (centroid[j] - worst[j]) for j in range(n)]
        fr = f(reflected)
        if fr < values[0]:
            expanded = [centroid[j] + 2 * (centroid[j] - worst[j]) for j in range(n)]
            fe = f(expanded)
            simplex[-1], values[-1] = (expanded, fe) if fe < fr else (reflected, fr)
        elif fr < values[-2]:
            simplex[-1], values[-1] = reflected, fr
        else:
            contracted = [centroid[j] + 0.5 * (worst[j] - centroid[j]) for j in range(n)]
            fc = f(contracted)
            if fc < values[-1]:
                simplex[-1], values[-1] = contracted, fc
            else:
                best = simplex[0]
                simplex = [best] + [[best[j] + 0.5 * (p[j] - best[j]) for j in range(n)]
                                    for p in simplex[1:]]
                values = [values[0]] + [f(p) for p in simplex[1:]]
    best = min(range(n + 1), key=lambda i: values[i])
    return simplex[best], values[best]


def fit(data):
    bins = bins_of(data)
    start = [200.0, 0.0, 0.0, 100.0, 0.0, 0.0, 400.0]
    steps = [30.0] * 7
    params, value = nelder_mead(lambda p: -log_likelihood(p, bins), start, steps)
    # A restart from the result leaves a collapsed simplex behind.
    params, value = nelder_mead(lambda p: -log_likelihood(p, bins), params, [10.0] * 7)
    params[6] = max(abs(params[6]), SMALLEST_LEVEL)
    return params, -value


def table(params, data):
    rows = ["| score (cp, side to move) | positions | observed win / draw / loss | "
            "predicted win / draw / loss |", "|---|---|---|---|"]
    for low, high in BANDS:
        chosen = [(s, m, o) for s, m, o in data if low <= s < high]
        if not chosen:
            continue
        n = len(chosen)
        observed = [sum(1 for *_, o in chosen if o == k) / n for k in (1, 0, -1)]
        predicted = [sum(odds(params, s, m)[k] for s, m, _ in chosen) / n for k in range(3)]
        rows.append("| %s | %d | %s | %s |" % (
            band_label(low, high), n, " / ".join("%.1f%%" % (100 * x) for x in observed),
            " / ".join("%.1f%%" % (100 * x) for x in predicted)))
    return "\n".join(rows)


def header_text(mode, params, samples, nodes, every):
    name = MODE_NAMES[mode]
    return (
        "// Written by scripts/fit-wdl.py --mode %s: do not edit by hand.\n"
        "// Fitted to %d positions of real games, every %d-th, scored with go nodes %d.\n"
        "#pragma once\n\n"
        "// a(x) and b(x) of the %s search's odds model (see wdl_model.h).\n"
        "constexpr double %sWdlA[3] = {%.4f, %.4f, %.4f};\n"
        "constexpr double %sWdlB[3] = {%.4f, %.4f, %.4f};\n"
        "constexpr double %sWdlLevel = %.4f;\n"
        % (mode, samples, every, nodes, mode, name, *params[:3], name, *params[3:6], name,
           params[6]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mode", choices=sorted(MODE_NAMES), default="default")
    parser.add_argument("--engine", default=str(ROOT / "build" / "veltor"))
    parser.add_argument("--work", default=str(ROOT / "build" / "wdl-fit"))
    parser.add_argument("--nodes", type=int, default=20000)
    parser.add_argument("--every", type=int, default=80)
    parser.add_argument("--pgn", nargs="*", default=[str(p) for p in DEFAULT_PGNS])
    parser.add_argument("--write", action="store_true", help="write src/wdl/wdl_fit_<mode>.h")
    parser.add_argument("--db", help="directory of white.db and black.db of the same games")
    parser.add_argument("--db-games", type=int, default=100)
    args = parser.parse_args()
    engine = str(Path(args.engine).resolve())
    workdir = Path(args.work).resolve()
    workdir.mkdir(parents=True, exist_ok=True)
    pgns = [Path(p).resolve() for p in args.pgn]
    for p in pgns:
        if not p.exists():
            sys.exit("no such PGN file: %s" % p)
    data = scored_positions(engine, workdir, pgns, args.mode, args.nodes, args.every)
    params, likelihood = fit(data)
    print("positions: %d (mate scores left out), log-likelihood %.1f" % (len(data), likelihood))
    print("a = %.4f + %.4f x + %.4f x^2, b = %.4f + %.4f x + %.4f x^2 (x = material / 78), "
          "c = %.4f" % tuple(params))
    print()
    print(table(params, data))
    if args.db:
        positions, text = db_table(params, engine, workdir, args.db, args.db_games, args.mode,
                                   args.nodes)
        print("\ndatabase positions reached by at least %d games: %d (mate scores left out)"
              % (args.db_games, positions))
        print(text)
    if args.write:
        out = ROOT / "src" / "wdl" / ("wdl_fit_%s.h" % args.mode)
        out.write_text(header_text(args.mode, params, len(data), args.nodes, args.every))
        print("\nwrote %s" % out.relative_to(ROOT))


if __name__ == "__main__":
    main()
