#!/usr/bin/env python3
"""Veltor's UCI output against Stockfish's for the same commands.

Both engines get the same scenes (handshake, isready, searches under each
limit, stop and ponderhit, mates and positions without a move). For every
scene the kinds of line must come in the same order, the fields that both
engines print must stand in the same order within an "info", "option" and
"bestmove" line, each search must end in exactly one bestmove, and where the
answer is forced (mate scores, depth reached) the values must agree.
Free text ("info string", Stockfish's banner) is not compared.

Usage: uci_compare.py VELTOR_BINARY [STOCKFISH_BINARY]
"""
import os
import select
import subprocess
import sys
import time

veltor_path = sys.argv[1]
stockfish_path = sys.argv[2] if len(sys.argv) > 2 else "/usr/games/stockfish"
failures = []

InfoKeys = ["depth", "seldepth", "multipv", "score", "cp", "mate", "lowerbound", "upperbound", "wdl",
            "nodes", "nps", "hashfull", "tbhits", "time", "currmove", "currmovenumber", "pv", "string"]
OptionKeys = ["name", "type", "default", "min", "max", "var"]


def check(condition, what, details=""):
    print(("ok    " if condition else "FAIL  ") + what, flush=True)
    if not condition:
        failures.append(what)
        if details:
            print(details)


class Engine:
    def __init__(self, path):
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
        self.pending = b""

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def lines_until(self, predicate, timeout):
        """Lines up to and including the first for which predicate is true."""
        out = []
        deadline = time.monotonic() + timeout
        while True:
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                text = line.decode(errors="replace").rstrip("\r")
                out.append(text)
                if predicate(text):
                    return out, True
            left = deadline - time.monotonic()
            if left <= 0:
                return out, False
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    return out, False
                self.pending += chunk

    def lines_for(self, seconds):
        out, _ = self.lines_until(lambda _: False, seconds)
        return out

    def close(self):
        try:
            self.send("quit\n")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


def kind(line):
    words = line.split()
    if not words:
        return "empty"
    if words[0] == "id" and len(words) > 1:
        return "id " + words[1]
    if words[0] == "info":
        return "info string" if len(words) > 1 and words[1] == "string" else "info"
    if words[0] in ("option", "uciok", "readyok", "bestmove"):
        return words[0]
    return "other"


def kinds(lines):
    """Kinds in order, runs of one kind collapsed, free text left out."""
    seq = []
    for line in lines:
        k = kind(line)
        if k in ("info string", "other", "empty"):
            continue
        if not seq or seq[-1] != k:
            seq.append(k)
    return seq


def keys_of(line, known):
    return [w for w in line.split()[1:] if w in known]


def common_order(a, b):
    """The keys of a that b also has, and those of b that a has, in their orders."""
    return [k for k in a if k in b], [k for k in b if k in a]


def info_fields(line):
    words = line.split()
    fields = {}
    i = 1
    while i < len(words):
        w = words[i]
        if w == "score" and i + 2 < len(words):
            fields["score"] = (words[i + 1], int(words[i + 2]))
            i += 3
        elif w == "pv":
            fields["pv"] = words[i + 1:]
            break
        elif w in InfoKeys and i + 1 < len(words):
            fields[w] = words[i + 1]
            i += 2
        else:
            i += 1
    return fields


def search_lines(engine, commands, timeout=30):
    engine.send(commands)
    return engine.lines_until(lambda l: l.startswith("bestmove"), timeout)


def compare_search(name, v_lines, s_lines, expect_depth=None, expect_mate=None):
    v_kinds, s_kinds = kinds(v_lines), kinds(s_lines)
    check(v_kinds == s_kinds, "%s: line kinds in the same order %s" % (name, v_kinds),
          "veltor: %s\nstockfish: %s" % (v_kinds, s_kinds))
    v_info = [l for l in v_lines if kind(l) == "info"]
    s_info = [l for l in s_lines if kind(l) == "info"]
    if v_info and s_info:
        s_keys = keys_of(s_info[-1], InfoKeys)
        good = True
        for line in v_info:
            mine, theirs = common_order(keys_of(line, InfoKeys), s_keys)
            good = good and mine == theirs
        check(good, "%s: info fields in Stockfish's order" % name, "veltor: %s\nstockfish: %s" % (v_info[-1], s_info[-1]))
    v_best = [l for l in v_lines if kind(l) == "bestmove"]
    check(len(v_best) == 1, "%s: exactly one bestmove (%s)" % (name, v_best))
    if v_info and expect_depth is not None:
        depth = info_fields(v_info[-1]).get("depth")
        check(depth == str(expect_depth), "%s: last iteration depth %s (Stockfish too)" % (name, depth))
    if expect_mate is not None:
        v_score = info_fields(v_info[-1]).get("score") if v_info else None
        s_score = info_fields(s_info[-1]).get("score") if s_info else None
        check(v_score == s_score == ("mate", expect_mate), "%s: score %s, Stockfish %s" % (name, v_score, s_score))
    return v_best


def scenes(v, s):
    # Handshake.
    for e in (v, s):
        e.send("uci\n")
    v_lines, v_ok = v.lines_until(lambda l: l == "uciok", 10)
    s_lines, _ = s.lines_until(lambda l: l == "uciok", 10)
    check(v_ok, "uci answered with uciok")
    check(kinds(v_lines) == kinds(s_lines), "uci: line kinds in the same order %s" % kinds(v_lines),
          "veltor: %s\nstockfish: %s" % (kinds(v_lines), kinds(s_lines)))
    check([kind(l) for l in v_lines if kind(l) not in ("option", "info string")] == ["id name", "id author", "uciok"],
          "uci: nothing but id, option and uciok lines", "\n".join(v_lines))
    s_options = {l.split(" type ")[0]: l for l in s_lines if kind(l) == "option"}
    for line in (l for l in v_lines if kind(l) == "option"):
        mine = keys_of(line, OptionKeys)
        once = [k for i, k in enumerate(mine) if i == 0 or mine[i - 1] != k]  # a combo repeats "var"
        check(once[:2] == ["name", "type"] and once == sorted(once, key=OptionKeys.index),
              "option fields in order: %s" % line)
        theirs = s_options.get(line.split(" type ")[0])
        if theirs:
            v_type = line.split(" type ")[1].split()[0]
            s_type = theirs.split(" type ")[1].split()[0]
            check(v_type == s_type, "option %s has Stockfish's type %s" % (line.split(" type ")[0][12:], s_type))

    # isready, also after ucinewgame: readyok and nothing else.
    for commands in ("isready\n", "ucinewgame\nisready\n", "setoption name Hash value 32\nisready\n",
                     "setoption name Clear Hash\nisready\n"):
        v.send(commands)
        s.send(commands)
        v_lines, v_ok = v.lines_until(lambda l: l == "readyok", 10)
        s_lines, _ = s.lines_until(lambda l: l == "readyok", 10)
        check(v_ok and kinds(v_lines) == kinds(s_lines) == ["readyok"],
              "%s: readyok only" % commands.strip().replace("\n", ", "), "\n".join(v_lines))

    # A depth-limited search from a game position.
    cmd = "position startpos moves e2e4 e7e5 g1f3\ngo depth 6\n"
    v_lines, _ = search_lines(v, cmd)
    s_lines, _ = search_lines(s, cmd)
    best = compare_search("go depth 6", v_lines, s_lines, expect_depth=6)
    check(bool(best) and len(best[0].split()) == 4 and best[0].split()[2] == "ponder",
          "bestmove with a ponder move after a search: %s" % best)

    # Forced mates, from either side's view.
    for name, fen, depth, mate in (
            ("mate in 2 for White", "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 6, 2),
            ("mate in 1 for Black", "6k1/8/8/8/8/8/r4PPP/6K1 b - - 0 1", 5, 1)):
        cmd = "ucinewgame\nposition fen %s\ngo depth %d\n" % (fen, depth)
        v_lines, _ = search_lines(v, cmd)
        s_lines, _ = search_lines(s, cmd)
        compare_search(name, v_lines, s_lines, expect_mate=mate)

    # Movetime, nodes, clocks: one bestmove each, in time.
    for name, cmd, most in (("go movetime 300", "position startpos\ngo movetime 300\n", 1.0),
                            ("go nodes 10000", "position startpos moves d2d4\ngo nodes 10000\n", 2.0),
                            ("go wtime btime", "position startpos moves d2d4 d7d5\ngo wtime 3000 btime 3000 winc 0 binc 0\n", 1.5)):
        start = time.monotonic()
        v_lines, _ = search_lines(v, cmd)
        used = time.monotonic() - start
        s_lines, _ = search_lines(s, cmd)
        compare_search(name, v_lines, s_lines)
        check(used < most, "%s: bestmove after %.2fs" % (name, used))

    # Infinite search: isready answered while it runs, bestmove only after stop.
    for e in (v, s):
        e.send("position startpos\ngo infinite\n")
    time.sleep(0.3)
    for e in (v, s):
        e.send("isready\n")
    v_early, v_ok = v.lines_until(lambda l: l == "readyok", 5)
    s_early, _ = s.lines_until(lambda l: l == "readyok", 5)
    check(v_ok and not any(kind(l) == "bestmove" for l in v_early), "go infinite: isready answered while searching")
    more = v.lines_for(0.5)
    check(not any(kind(l) == "bestmove" for l in more), "go infinite: no bestmove before stop")
    for e in (v, s):
        e.send("stop\n")
    v_lines, _ = v.lines_until(lambda l: l.startswith("bestmove"), 5)
    s_lines, _ = s.lines_until(lambda l: l.startswith("bestmove"), 5)
    # Where readyok falls among the info lines depends on timing alone.
    compare_search("go infinite, stop", [l for l in v_early + more + v_lines if l != "readyok"],
                   [l for l in s_early + s_lines if l != "readyok"])

    # Pondering: bestmove only after ponderhit; stop in ponder answers too.
    for name, finish in (("go ponder, ponderhit", "ponderhit\n"), ("go ponder, stop", "stop\n")):
        cmd = "position startpos moves e2e4 e7e5\ngo ponder wtime 2000 btime 2000\n"
        for e in (v, s):
            e.send(cmd)
        early = v.lines_for(0.5)
        check(not any(kind(l) == "bestmove" for l in early), "%s: no bestmove while pondering" % name)
        for e in (v, s):
            e.send(finish)
        v_lines, _ = v.lines_until(lambda l: l.startswith("bestmove"), 10)
        s_lines, _ = s.lines_until(lambda l: l.startswith("bestmove"), 10)
        compare_search(name, early + v_lines, s_lines)

    # No legal move: one bestmove all the same (Stockfish says "(none)").
    for name, fen in (("checkmated", "6k1/5ppp/8/8/8/8/5PPP/1q4K1 w - - 0 1"),
                      ("stalemated", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1")):
        cmd = "position fen %s\ngo depth 3\n" % fen
        v_lines, _ = search_lines(v, cmd, 10)
        s_lines, _ = search_lines(s, cmd, 10)
        v_best = [l for l in v_lines if kind(l) == "bestmove"]
        check(v_best == ["bestmove 0000"], "%s: bestmove 0000 (Stockfish: %s)" % (name, s_lines[-1:]))


def main():
    v, s = Engine(veltor_path), Engine(stockfish_path)
    try:
        scenes(v, s)
    finally:
        v.close()
        s.close()
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
