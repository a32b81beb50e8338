#!/usr/bin/env python3
"""The engine and .bin books of other programs, through the real binary:

1. a book made by `polyglot make-book` is played from, in the console
   (`bookfile`) and by weight, its illegal entries never played;
2. `bookexport` writes the databases as a .bin book that `polyglot dump-book`
   and python-chess read: every entry sits at the key of a position reached
   from the initial position by book moves, and names a legal move there;
3. `explore` lists the moves of the databases with the statistics `dbshow`
   gives for each, most games first, and marks the book's moves.

Usage: polyglot_books.py VELTOR_BINARY SOURCE_DIR SHARED_DIR
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

engine, source, shared = sys.argv[1:4]
# Without the shared reference data (python-chess, the real games) the test is skipped.
if not os.path.isdir(os.path.join(shared, "tools", "python-chess")) or not os.path.isfile(
        os.path.join(shared, "data", "pgn", "real", "twic0920.pgn")):
    print("reference data not found under", shared, "(needs ../shared beside the repository)")
    sys.exit(77)
sys.path.insert(0, os.path.join(shared, "tools", "python-chess"))
import chess  # noqa: E402
import chess.polyglot  # noqa: E402

POLYGLOT = shutil.which("polyglot") or "/usr/games/polyglot"
failures = []


def check(what, condition, detail=""):
    print(("ok: " if condition else "FAILED: ") + what + ("" if condition else " " + str(detail)))
    if not condition:
        failures.append(what)


def session(directory, commands):
    """Runs console commands in `directory`; returns (stdout, log)."""
    env = dict(os.environ, VELTOR_BOOK_DIR="")
    text = "console\n" + "\n".join(commands) + "\nquit\n"
    out = subprocess.run([engine], input=text, capture_output=True, text=True, cwd=directory,
                         env=env, timeout=120).stdout
    with open(os.path.join(directory, "Veltor.log"), errors="replace") as log:
        return out, log.read()


def book_moves(log):
    return re.findall(r"^move \(book\) (\S+)", log, re.M)


work = tempfile.mkdtemp(prefix="veltor-polyglot-")

# 1. A book made by polyglot from four games: 1. h3 is the only move from the
#    initial position, and after 1. h3 e5 only 2. e4.
with open(os.path.join(work, "h3.pgn"), "w") as pgn:
    for _ in range(4):
        pgn.write('[Event "t"]\n[White "a"]\n[Black "b"]\n[Result "1-0"]\n\n1. h3 e5 2. e4 Nf6 1-0\n\n')
subprocess.run([POLYGLOT, "make-book", "-pgn", "h3.pgn", "-bin", "h3.bin"], cwd=work, check=True,
               capture_output=True)
out, log = session(work, ["bookfile h3.bin", "new", "white", "go", "new", "force", "h2h3", "e7e5", "go"])
check("bookfile reports the book", "book file: h3.bin (2 entries)" in out, out)
check("log names the .bin book", "-M: book opened: h3.bin (2 entries)" in log, log)
check("the book's only moves are played", book_moves(log) == ["h2h3", "e2e4"], book_moves(log))

# The same book through the UCI option.
uci = subprocess.run([engine], input="uci\nsetoption name Book File value h3.bin\nisready\n"
                     "position startpos\ngo wtime 10000 btime 10000\nquit\n", capture_output=True, text=True,
                     cwd=work, env=dict(os.environ, VELTOR_BOOK_DIR=""), timeout=60).stdout
check("UCI offers the Book File option", "option name Book File type string" in uci, uci)
check("UCI plays the book's move", re.search(r"^bestmove h2h3\b", uci, re.M) is not None, uci)

# The same book through the xboard engine setting, as python-chess and XBoard
# offer it; a book that does not open is told to the user.
import chess.engine  # noqa: E402

xboard = chess.engine.SimpleEngine.popen_xboard(engine, cwd=work, env=dict(os.environ, VELTOR_BOOK_DIR=""))
try:
    check("xboard offers the BookFile setting", xboard.options.get("BookFile") is not None
          and xboard.options["BookFile"].type == "file", xboard.options)
    xboard.configure({"BookFile": "h3.bin"})
    played = xboard.play(chess.Board(), chess.engine.Limit(white_clock=10, black_clock=10)).move
    check("xboard plays the book's move", played == chess.Move.from_uci("h2h3"), played)
finally:
    xboard.quit()
out = subprocess.run([engine], input="xboard\noption BookFile=missing dir/x.bin\noption Hash=8\noption BookFile="
                     + "x" * 5000 + "\nping 3\nquit\n",
                     capture_output=True, text=True, cwd=work, env=dict(os.environ, VELTOR_BOOK_DIR=""),
                     timeout=60).stdout
check("an unreadable BookFile is told to the user",
      "tellusererror BookFile not opened: Cannot open book file: 'missing dir/x.bin'\n" in out, out)
check("an overlong BookFile line is refused and the next command read",
      "tellusererror BookFile not opened: the path is too long\npong 3\n" in out, out[-300:])

# Entries the engine must skip: an illegal move and a move of weight 0.
start = chess.polyglot.zobrist_hash(chess.Board())


def raw(uci):
    m = chess.Move.from_uci(uci)
    return (chess.square_file(m.to_square) | chess.square_rank(m.to_square) << 3 |
            chess.square_file(m.from_square) << 6 | chess.square_rank(m.from_square) << 9)


with open(os.path.join(work, "odd.bin"), "wb") as odd:
    for uci, weight in (("e2e5", 60000), ("a2a3", 5), ("g1f3", 0)):
        odd.write(struct.pack(">QHHI", start, raw(uci), weight, 0))
    odd.write(b"torn")
out, log = session(work, ["bookfile odd.bin"] + ["new", "white", "go"] * 5)
check("illegal and zero-weight entries are never played", book_moves(log) == ["a2a3"] * 5, book_moves(log))
out, log = session(work, ["bookfile missing.bin", "new", "white", "go"])
check("an unreadable book is reported", "Cannot open book file: 'missing.bin'" in out, out)

# 2. Databases from a week of real games, written out as a .bin book.
games = os.path.join(shared, "data", "pgn", "real", "twic0920.pgn")
built = subprocess.run([os.path.join(source, "scripts", "build-book.sh"), games, work], capture_output=True,
                       text=True, env=dict(os.environ, VELTOR=engine))
check("the pipeline builds the databases", built.returncode == 0, built.stdout + built.stderr)
out, log = session(work, ["bookexport out.bin"])
match = re.search(r"out\.bin: (\d+) moves from (\d+) positions\.", out)
check("bookexport reports what it wrote", match is not None, out)
entries = os.path.getsize(os.path.join(work, "out.bin")) // 16
check("the exported book is not empty", entries > 100 and match and int(match.group(1)) == entries, entries)

reader = chess.polyglot.open_reader(os.path.join(work, "out.bin"))
every = {(e.key, e.raw_move) for e in reader}
reached = set()
weights_ok = True


def walk(board, depth):
    global weights_ok
    for e in reader.find_all(board):
        if (e.key, e.raw_move) in reached:
            continue
        reached.add((e.key, e.raw_move))
        weights_ok = weights_ok and e.weight > 0
        board.push(e.move)
        walk(board, depth + 1)
        board.pop()


walk(chess.Board(), 0)
check("python-chess reaches every entry by legal book moves from the initial position",
      reached == every, (len(reached), len(every)))
check("every weight is positive", weights_ok)

dump = subprocess.run([POLYGLOT, "dump-book", "-bin", "out.bin", "-color", "white", "-out", "white.txt"],
                      cwd=work, capture_output=True, text=True)
lines = open(os.path.join(work, "white.txt")).read().splitlines() if dump.returncode == 0 else []
played = 0
for line in lines:
    m = re.match(r"\d+: (.*)$", line)
    if not m:
        continue
    board = chess.Board()
    for token in re.sub(r"\{trans:[^}]*\}", "", m.group(1)).split():
        san = re.sub(r"^\d+\.", "", token)
        weighted = "{" in san
        san = re.sub(r"\{.*\}", "", san)
        if not san:
            continue
        move = board.parse_san(san)
        if weighted:
            check_in = any(e.move == move for e in reader.find_all(board))
            if not check_in:
                failures.append("dump-book move %s not in the book after %s" % (san, board.fen()))
            played += 1
        board.push(move)
check("polyglot dump-book reads the same moves", played > 0 and "dump-book" not in " ".join(failures),
      (dump.returncode, played))

# 3. The explorer at the initial position against dbshow and bookshow.
out, _ = session(work, ["new", "explore"])
rows = re.findall(r"^(\S+)\s+(\d+)\s+([\d.]+)%\s+([\d.]+)%\s*(\*?)$", out, re.M)
check("explore lists moves", len(rows) >= 5, out)
counts = [int(r[1]) for r in rows]
check("most games first", counts == sorted(counts, reverse=True), counts)
commands = []
for r in rows:
    commands += ["new", "force", r[0], "dbshow", "bookshow"]
shown, _ = session(work, commands)
stats = re.findall(r"^w: (\d+), b: (\d+), d: (\d+), score: ([\d.]+)$", shown, re.M)
answers = re.findall(r"^(YES|NO)$", shown, re.M)
agree = len(stats) == len(rows) == len(answers)
for r, s, a in zip(rows, stats, answers):
    w, b, d = (int(x) for x in s[:3])
    agree = agree and int(r[1]) == w + b + d
    agree = agree and abs(float(r[2]) - 100 * (w + d / 2) / (w + b + d)) < 0.051
    agree = agree and abs(float(r[3]) - 100 * d / (w + b + d)) < 0.051
    agree = agree and (r[4] == "*") == (a == "YES")
check("explore agrees with dbshow and bookshow move by move", agree, (rows, stats, answers))

if failures:
    print("files kept in", work)
    sys.exit(1)
shutil.rmtree(work)
