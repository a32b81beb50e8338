#!/usr/bin/env python3
"""A game in GNOME's chess application against Veltor over xboard, under Xvfb.

The application starts a fresh profile whose only engine is Veltor at level
"hard"; a scripted user clicks legal moves on the board (random ones, no
promotions, seeded) while the application's debug log shows every line it
writes to the engine and every move it reads back. Checked: the opening is
exactly the application's ("xboard", "random", "hard", then "go" with the
engine as White, or "force" and the user's "e2e4" with the engine as Black,
never "new"), every engine move is legal, no "Illegal move" or "Error" line
comes back, and the game goes on to its end (or MAX_PLIES) without the
application giving up on the engine. A screenshot of the final board is saved.

Usage: gnome_chess_game.py VELTOR PYTHON_CHESS_DIR SCREENSHOT.png [--engine white|black]
       [--max-plies N] [--seed N]
Exit status 77 (skipped) when gnome-chess, Xvfb, xdotool, ImageMagick or
python-chess is missing.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

TOOLS = ["/usr/games/gnome-chess", "Xvfb", "xdotool", "import", "convert", "dbus-run-session"]
SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
FRAME_COLOUR = bytes((46, 52, 54))  # the board's dark frame in the default 2D theme
ENGINE_REPLY_SECONDS = 60
USER_MOVE_SECONDS = 10

args = argparse.ArgumentParser()
args.add_argument("veltor")
args.add_argument("python_chess")
args.add_argument("screenshot")
args.add_argument("--engine", choices=["white", "black"], default="white")
args.add_argument("--max-plies", type=int, default=160)
args.add_argument("--seed", type=int, default=19)
args = args.parse_args()

missing = [tool for tool in TOOLS if shutil.which(tool) is None]
if missing or not os.path.isfile(os.path.join(args.python_chess, "chess", "engine.py")):
    print("skipped: missing %s" % (", ".join(missing) or "python-chess under " + args.python_chess))
    sys.exit(77)
sys.path.insert(0, args.python_chess)
import chess  # noqa: E402

work = tempfile.mkdtemp(prefix="veltor-gnome-chess-")
for sub in ("config/gnome-chess", "config/glib-2.0/settings", "data", "cache", "run"):
    os.makedirs(os.path.join(work, sub))
with open(os.path.join(work, "config/gnome-chess/engines.conf"), "w") as conf:
    conf.write("[Veltor]\nprotocol=cecp\nbinary=%s\noption-easy-0=easy\noption-easy-1=sd 1\n"
               "option-normal-0=easy\noption-normal-1=sd 2\noption-hard-0=hard\n" % os.path.realpath(args.veltor))
with open(os.path.join(work, "config/glib-2.0/settings/keyfile"), "w") as keyfile:
    keyfile.write("[org/gnome/Chess]\nopponent='Veltor'\ndifficulty='hard'\nplay-as='%s'\nboard-side='white'\n"
                  "show-3d=false\n" % ("black" if args.engine == "white" else "white"))

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


# The X server picks a free display and names it on a pipe (kept open: a
# server that resets writes the name again).
read_end, write_end = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0",
                         "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT), "-nolisten", "tcp"],
                        pass_fds=[write_end], stderr=subprocess.DEVNULL)
os.close(write_end)
display = ":" + os.read(read_end, 16).decode().strip()
env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=work + "/config", XDG_DATA_HOME=work + "/data",
           XDG_CACHE_HOME=work + "/cache", GSETTINGS_BACKEND="keyfile", GSK_RENDERER="cairo",
           G_MESSAGES_DEBUG="gnome-chess", NO_AT_BRIDGE="1", GTK_A11Y="none")
app = subprocess.Popen(["dbus-run-session", "--", "/usr/games/gnome-chess"], cwd=work + "/run", env=env,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, start_new_session=True)

# The application's log, as it comes: lines written to the engine and read from it.
traffic = []  # ("to" | "from", text)
traffic_changed = threading.Condition()


def read_log():
    to_engine = re.compile(r"Writing line to engine: '(.*)'$")
    from_engine = re.compile(r"Read from engine: '(.*)'$")
    with open(work + "/gnome-chess.log", "w") as log:
        for line in app.stdout:
            log.write(line)
            line = line.rstrip("\n")
            for way, pattern in (("to", to_engine), ("from", from_engine)):
                m = pattern.search(line)
                if m:
                    with traffic_changed:
                        traffic.append((way, m[1]))
                        traffic_changed.notify_all()


threading.Thread(target=read_log, daemon=True).start()


def wait_for(predicate, seconds):
    """Waits until predicate(traffic) gives a value; returns it (None after `seconds`)."""
    deadline = time.monotonic() + seconds
    with traffic_changed:
        while True:
            value = predicate(traffic)
            left = deadline - time.monotonic()
            if value or left <= 0:
                return value
            traffic_changed.wait(left)


def screenshot(path):
    subprocess.run(["import", "-display", display, "-window", "root", path], check=True)


def board_geometry():
    """Left, top and square size of the board, found from its frame on the screen:
    the rows that hold a long run of the frame's colour (text of that colour
    holds only short runs)."""
    raw = work + "/screen.rgb"
    shot = work + "/screen.png"
    screenshot(shot)
    subprocess.run(["convert", shot, "-depth", "8", "rgb:" + raw], check=True)
    pixels = open(raw, "rb").read()
    runs = []  # (y, first x, last x) of the frame's top and bottom rows
    for y in range(SCREEN_HEIGHT):
        row = pixels[y * SCREEN_WIDTH * 3:(y + 1) * SCREEN_WIDTH * 3]
        x = 0
        while x < SCREEN_WIDTH:
            if row[3 * x:3 * x + 3] != FRAME_COLOUR:
                x += 1
                continue
            start = x
            while x < SCREEN_WIDTH and row[3 * x:3 * x + 3] == FRAME_COLOUR:
                x += 1
            if x - start >= 200:
                runs.append((y, start, x - 1))
    if not runs:
        return None
    frame = runs[0][2] - runs[0][1] + 1  # a ninth of it: a square; half of that: the frame's width
    square = frame / 9
    return runs[0][1] + square / 2, runs[0][0] + square / 2, square


def click_square(geometry, square):
    left, top, size = geometry
    x = left + (chess.square_file(square) + 0.5) * size
    y = top + (7 - chess.square_rank(square) + 0.5) * size
    subprocess.run(["xdotool", "mousemove", "--sync", str(int(x)), str(int(y)), "click", "1"], env=env, check=True)


def play(board, engine_side, rng):
    """The game, move by move, until its end, the ply limit or a failed check."""
    geometry = None
    for _ in range(40):  # the window maps within seconds
        time.sleep(0.5)
        geometry = board_geometry()
        if geometry:
            break
    if not check(geometry is not None, "the application shows its board"):
        return
    engine_moves = 0
    while not board.is_game_over() and board.ply() < args.max_plies:
        if board.turn == engine_side:
            seen = sum(1 for way, text in traffic if way == "from" and text.startswith("move "))

            def next_move(lines):
                moves = [text for way, text in lines if way == "from" and text.startswith("move ")]
                return moves[seen] if len(moves) > seen else None

            line = wait_for(next_move, ENGINE_REPLY_SECONDS)
            if not check(line is not None, "engine move %d arrives" % (engine_moves + 1)):
                break
            move = chess.Move.from_uci(line[5:].strip())
            if not check(move in board.legal_moves, "engine move %s is legal in %s" % (move, board.fen())):
                break
            board.push(move)
            engine_moves += 1
            time.sleep(0.8)  # the piece's animation
            continue
        # The user: e2e4 first when the engine plays Black, then random moves.
        moves = [m for m in board.legal_moves if m.promotion is None] or list(board.legal_moves)
        move = chess.Move.from_uci("e2e4") if board.ply() == 0 else rng.choice(moves)
        if move.promotion is not None:
            print("a promotion is the only user move: the game ends here")
            break
        sent = False
        for attempt in range(3):
            mark = len(traffic)
            click_square(geometry, move.from_square)
            time.sleep(0.2)
            click_square(geometry, move.to_square)
            sent = wait_for(lambda lines: any(way == "to" and text == move.uci() for way, text in lines[mark:]),
                            USER_MOVE_SECONDS)
            if sent:
                break
        if not check(sent, "user move %s reaches the engine" % move):
            break
        board.push(move)


board = chess.Board()
engine_side = chess.WHITE if args.engine == "white" else chess.BLACK
try:
    play(board, engine_side, random.Random(args.seed))
    time.sleep(3)  # the application announces the end
    screenshot(args.screenshot)
finally:
    try:
        os.killpg(app.pid, 15)
        app.wait(10)
    except (ProcessLookupError, subprocess.TimeoutExpired):
        os.killpg(app.pid, 9)
    xvfb.terminate()
    xvfb.wait()

written = [text for way, text in traffic if way == "to"]
opening = ["xboard", "random", "hard", "go"] if engine_side == chess.WHITE else \
    ["xboard", "random", "hard", "force", "e2e4", "go"]
check(written[:len(opening)] == opening, "the application's opening: %s" % written[:len(opening)])
check("new" not in written, "the application never sends new")
replies = [text for way, text in traffic if way == "from"]
bad = [text for text in replies if text.startswith("Illegal move") or text.startswith("Error")]
check(not bad, "no Illegal move or Error from the engine: %s" % bad[:3])
outcome = board.outcome()
print("game: %s after %d plies (%s); screenshot %s" % (
    board.result(), board.ply(), outcome.termination.name if outcome else "ply limit", args.screenshot))
check(outcome is not None or board.ply() >= args.max_plies, "the game went on to its end or the ply limit")
print("%d failure(s)" % len(failures))
if not failures:
    shutil.rmtree(work, ignore_errors=True)  # else kept: the application's log is in it
sys.exit(1 if failures else 0)
