#!/usr/bin/env python3
"""Drives the real engine through python-chess's xboard client.

  xboard_clients.py check VELTOR
      every request a python-chess program makes (handshake, ping, fixed time,
      fixed depth, clocks, pondering, analysis, memory) and one whole game
      against Phalanx with python-chess as the arbiter; exit status 1 on any
      failed check.
  xboard_clients.py games VELTOR --peer phalanx|stockfish --games N [--ponder on|off]
      a match with python-chess as the arbiter; prints one line per game and a
      summary of illegal moves, time losses, crashes and false claims.

python-chess must be importable (PYTHONPATH).
"""
import argparse
import ast
import logging
import os
import re
import struct
import sys
import tempfile
import time

import chess
import chess.engine
import chess.polyglot

PHALANX = ["/usr/games/phalanx", "-b-", "-l-", "-p-"]  # no book, no learning, no pondering
STOCKFISH = "/usr/games/stockfish"
STOCKFISH_SKILL = 0
# Lines of the engine that are no protocol reply but harmless to every client.
HARMLESS = re.compile(r"^(BOOK ERROR: .*|\s*)$")
MAX_PLIES = 400  # a longer game is adjudicated a draw


class Traffic(logging.Handler):
    """Every line python-chess exchanged with each process, and its warnings."""

    LINE = re.compile(r"^<\w+ \(pid=(\d+)\)>: (<<|>>) (.*)$", re.S)
    UNEXPECTED = re.compile(r"^<\w+ \(pid=(\d+)\)>: Unexpected engine output: (.*)$", re.S)

    def __init__(self):
        super().__init__(logging.DEBUG)
        self.lines = {}
        self.unexpected = {}

    def emit(self, record):
        text = record.getMessage()
        m = self.LINE.match(text)
        if m:
            self.lines.setdefault(int(m[1]), []).append((m[2], m[3]))
            return
        m = self.UNEXPECTED.match(text)
        if m:
            line = ast.literal_eval(m[2])  # python-chess shows the line as a Python literal
            if not HARMLESS.match(line):
                self.unexpected.setdefault(int(m[1]), []).append(line)

    def received(self, pid, since=0):
        """Lines received from `pid`, from its `since`-th line of traffic on."""
        return [line for way, line in self.lines.get(pid, [])[since:] if way == ">>"]

    def mark(self, pid):
        return len(self.lines.get(pid, []))


TRAFFIC = Traffic()


def install_traffic_recorder():
    log = logging.getLogger("chess.engine")
    log.setLevel(logging.DEBUG)
    log.propagate = False
    log.addHandler(TRAFFIC)


def pid_of(engine):
    return engine.protocol.transport.get_pid()


class Checks:
    def __init__(self):
        self.failed = 0

    def __call__(self, name, ok, detail=""):
        print(("ok    " if ok else "FAIL  ") + name + (f"  ({detail})" if detail else ""), flush=True)
        if not ok:
            self.failed += 1
        return ok


def timed(call):
    start = time.monotonic()
    value = call()
    return value, time.monotonic() - start


def open_veltor(veltor, workdir):
    return chess.engine.SimpleEngine.popen_xboard([veltor], cwd=workdir, timeout=20)


# One game --------------------------------------------------------------------

class GameRecord:
    def __init__(self):
        self.result = "*"
        self.reason = ""
        self.illegal = 0
        self.time_losses = 0
        self.crashes = 0
        self.false_claims = 0
        self.plies = 0


def claim_is_true(claim, board):
    """A result line printed right after the engine's move, judged on the board."""
    if claim.startswith("1-0"):
        return board.is_checkmate() and board.turn == chess.BLACK
    if claim.startswith("0-1"):
        return board.is_checkmate() and board.turn == chess.WHITE
    return (board.is_stalemate() or board.is_insufficient_material()
            or board.can_claim_fifty_moves() or board.can_claim_threefold_repetition())


def play_game(veltor, peer, veltor_is_white, ponder, base, increment):
    """Plays one game; python-chess keeps the board and the clocks."""
    record = GameRecord()
    board = chess.Board()
    clocks = {chess.WHITE: base, chess.BLACK: base}
    game = object()  # a new game object makes python-chess send "new"
    veltor_side = chess.WHITE if veltor_is_white else chess.BLACK
    veltor_pid = pid_of(veltor)
    spent_by_veltor = []
    while True:
        outcome = board.outcome(claim_draw=True)
        if outcome is not None:
            record.result = outcome.result()
            record.reason = outcome.termination.name.lower()
            break
        if len(board.move_stack) >= MAX_PLIES:
            record.result, record.reason = "1/2-1/2", "adjudicated"
            break
        side = board.turn
        mine = side == veltor_side
        player = veltor if mine else peer
        limit = chess.engine.Limit(white_clock=clocks[chess.WHITE], black_clock=clocks[chess.BLACK],
                                   white_inc=increment, black_inc=increment)
        mark = TRAFFIC.mark(veltor_pid)
        try:
            played, spent = timed(lambda: player.play(board, limit, game=game, ponder=ponder and mine))
        except chess.engine.EngineTerminatedError as error:
            record.crashes += mine
            record.result = "0-1" if side == chess.WHITE else "1-0"
            record.reason = f"{'Veltor' if mine else 'peer'} died: {error}"
            break
        except chess.engine.EngineError as error:
            # python-chess refuses a move it cannot play and any Error/Illegal line.
            record.illegal += mine
            record.result = "0-1" if side == chess.WHITE else "1-0"
            record.reason = f"{'Veltor' if mine else 'peer'}: {error}"
            break
        clocks[side] -= spent
        if mine:
            spent_by_veltor.append(f"{spent:.2f}")
        if clocks[side] < 0:
            record.time_losses += mine
            record.result = "0-1" if side == chess.WHITE else "1-0"
            record.reason = f"{'Veltor' if mine else 'peer'} lost on time"
            if mine:
                record.reason += " (seconds per move: " + " ".join(spent_by_veltor) + ")"
            break
        clocks[side] += increment
        move = played.move
        if move is None or move not in board.legal_moves:
            record.illegal += mine
            record.result = "0-1" if side == chess.WHITE else "1-0"
            record.reason = f"{'Veltor' if mine else 'peer'} played no legal move: {move}"
            break
        board.push(move)
        if mine:
            for line in TRAFFIC.received(veltor_pid, mark):
                if re.match(r"^(1-0|0-1|1/2-1/2)\b", line) and not claim_is_true(line, board):
                    record.false_claims += 1
                    print(f"  false claim after {move}: {line}  ({board.fen()})", flush=True)
    record.plies = len(board.move_stack)
    return record


def veltor_score(record, veltor_is_white):
    if record.result == "1/2-1/2":
        return 0.5
    return 1.0 if (record.result == "1-0") == veltor_is_white else 0.0


# The client check (CTest) -----------------------------------------------------

def check_client(veltor):
    check = Checks()
    workdir = tempfile.mkdtemp(prefix="veltor-pychess-")
    try:
        engine, took = timed(lambda: open_veltor(veltor, workdir))
    except Exception as error:  # noqa: BLE001
        check("handshake", False, f"{type(error).__name__}: {error}")
        return 1
    pid = pid_of(engine)
    features = engine.protocol.features
    check("handshake done in under a second", took < 1.0, f"{took:.2f} s")
    check("features ping, setboard, analyze, memory, myname",
          all(features.get(f) for f in ("ping", "setboard", "analyze", "memory"))
          and str(features.get("myname", "")).startswith("Veltor"), str(features))

    def ping():
        _, took = timed(engine.ping)
        check("ping answered", took < 1.0, f"{took:.2f} s")

    def fixed_time():
        board = chess.Board()
        played, took = timed(lambda: engine.play(board, chess.engine.Limit(time=0.5)))
        check("Limit(time=0.5): a legal move in about half a second",
              played.move in board.legal_moves and 0.2 <= took <= 1.5, f"{played.move}, {took:.2f} s")

    def fixed_depth():
        board = chess.Board("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4")
        played, took = timed(lambda: engine.play(board, chess.engine.Limit(depth=4), game=object(),
                                                 info=chess.engine.INFO_ALL))
        info = played.info
        check("Limit(depth=4): the last thinking line is depth 4",
              played.move in board.legal_moves and info.get("depth") == 4 and took < 10,
              f"{played.move}, info {info}, {took:.2f} s")

    def clocks():
        # Veltor plays both sides of 16 plies with 10 s each for 40 moves.
        board = chess.Board()
        game = object()
        clock = {chess.WHITE: 10.0, chess.BLACK: 10.0}
        fine = True
        notes = []
        for _ in range(16):
            limit = chess.engine.Limit(white_clock=clock[chess.WHITE], black_clock=clock[chess.BLACK],
                                       white_inc=0.1, black_inc=0.1, remaining_moves=40)
            played, took = timed(lambda: engine.play(board, limit, game=game))
            clock[board.turn] -= took
            # A move of a 40-move control may use a few times its share, never the clock.
            if played.move not in board.legal_moves or took > 2.0 or clock[board.turn] < 0:
                fine = False
            clock[board.turn] += 0.1
            notes.append(f"{took:.2f}")
            board.push(played.move)
        check("clocks (white_clock, black_clock, white_inc, remaining_moves): 16 legal moves within budget",
              fine, "s per move: " + " ".join(notes))

    def pondering():
        # After each move the engine thinks on; python-chess stops it with "easy".
        board = chess.Board()
        game = object()
        mark = TRAFFIC.mark(pid)
        fine = True
        for _ in range(3):
            played, took = timed(lambda: engine.play(board, chess.engine.Limit(time=0.3), game=game, ponder=True))
            fine = fine and played.move in board.legal_moves and took < 1.5
            board.push(played.move)
            time.sleep(0.3)  # the engine ponders meanwhile
            board.push(next(iter(board.legal_moves)))
        _, took = timed(engine.ping)
        moves = [line for line in TRAFFIC.received(pid, mark) if line.startswith("move ")]
        check("play(ponder=True): legal moves, one move line per request, ping after pondering",
              fine and len(moves) == 3 and took < 1.0, f"{moves}, ping {took:.2f} s")

    board = chess.Board("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9")

    def analyse_depth():
        info, took = timed(lambda: engine.analyse(board, chess.engine.Limit(depth=5), game=object()))
        complete = all(key in info for key in ("depth", "score", "nodes", "time", "pv"))
        check("analyse(Limit(depth=5)): depth, score, nodes, time and a legal pv",
              complete and info["depth"] >= 5 and info["nodes"] > 0 and len(info["pv"]) >= 1,
              f"{info}, {took:.2f} s")

    def analyse_time():
        info, took = timed(lambda: engine.analyse(board, chess.engine.Limit(time=1.0)))
        check("analyse(Limit(time=1)): ends after about a second, time field is real",
              0.8 <= took <= 2.5 and info.get("time", 0) > 0 and len(info.get("pv", [])) >= 1,
              f"{took:.2f} s, time {info.get('time')}")

    def analysis():
        mark = TRAFFIC.mark(pid)
        depths = []
        with engine.analysis(board) as running:
            for info in running:
                if "depth" in info:
                    depths.append(info["depth"])
                if depths and depths[-1] >= 6:
                    break
        _, took = timed(engine.ping)
        stray = [line for line in TRAFFIC.received(pid, mark) if line.startswith("move")]
        check("analysis(): deepening thinking lines, no move, exit answered",
              bool(depths) and depths[-1] >= 6 and not stray and took < 1.0, f"depths {depths}, stray {stray}")

    def analyse_everywhere():
        # Time, depth and node limits always give a score: in a book position
        # (a one-entry .bin book), out of the book, and on a mate in one, whose
        # analysis must still reach the depth asked for.
        book = os.path.join(workdir, "start.bin")
        move = chess.Move.from_uci("e2e4")
        with open(book, "wb") as out:
            out.write(struct.pack(">QHHI", chess.polyglot.zobrist_hash(chess.Board()),
                                  4 | 3 << 3 | 4 << 6 | 1 << 9, 1, 0))  # to e4, from e2
        engine.configure({"BookFile": book})
        positions = (("book", chess.Board()), ("out of book", board),
                     ("mate in one", chess.Board("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1")))
        for name, position in positions:
            for limit in (chess.engine.Limit(time=0.3), chess.engine.Limit(depth=6),
                          chess.engine.Limit(nodes=20000)):
                info, took = timed(lambda: engine.analyse(position, limit, game=object()))
                check(f"analyse({limit}) {name}: a score", "score" in info and took < 20,
                      f"score {info.get('score')}, depth {info.get('depth')}, {took:.2f} s")
        played = engine.play(chess.Board(), chess.engine.Limit(time=0.3), game=object())
        check("play from the BookFile book", played.move == move, str(played.move))
        engine.configure({"BookFile": ""})

    def root_moves():
        # python-chess takes moves out of the analysis with exclude/include.
        allowed = [chess.Move.from_uci("a2a3"), chess.Move.from_uci("h2h3")]
        info = engine.analyse(board, chess.engine.Limit(depth=4), root_moves=allowed)
        check("analyse(root_moves=[a2a3, h2h3]) (feature exclude=1): the line starts with one of them",
              info.get("pv", [None])[0] in allowed, f"{info.get('pv')}")

    def memory():
        engine.configure({"memory": 8})
        played, took = timed(lambda: engine.play(board, chess.engine.Limit(time=0.2)))
        check("memory 8: the engine plays on", played.move in board.legal_moves and took < 1.5, f"{took:.2f} s")

    def whole_game():
        # python-chess is the arbiter: it keeps the board and both clocks.
        peer = chess.engine.SimpleEngine.popen_xboard(PHALANX, cwd=workdir)
        record = play_game(engine, peer, veltor_is_white=True, ponder=True, base=6.0, increment=0.05)
        peer.quit()
        check("a whole game against Phalanx: finished, no illegal move, time loss, crash or false claim",
              record.result != "*" and record.reason != "adjudicated"
              and record.illegal + record.time_losses + record.crashes + record.false_claims == 0,
              f"{record.result} {record.reason} after {record.plies} plies")

    def strong_game():
        # The strong mode: a mate shown in the protocol's form, then a whole game.
        engine.configure({"Strong": True})
        info = engine.analyse(chess.Board("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1"), chess.engine.Limit(depth=6))
        check("strong mode: mate in one shown as a mate", info.get("score") is not None
              and info["score"].white().mate() == 1, str(info.get("score")))
        peer = chess.engine.SimpleEngine.popen_xboard(PHALANX, cwd=workdir)
        record = play_game(engine, peer, veltor_is_white=False, ponder=True, base=6.0, increment=0.05)
        peer.quit()
        check("strong mode: a whole game against Phalanx without a fault",
              record.result != "*" and record.reason != "adjudicated"
              and record.illegal + record.time_losses + record.crashes + record.false_claims == 0,
              f"{record.result} {record.reason} after {record.plies} plies")

    for step in (ping, fixed_time, fixed_depth, clocks, pondering, analyse_depth, analyse_time, analysis,
                 analyse_everywhere, root_moves, memory, whole_game, strong_game):
        try:
            step()
        except Exception as error:  # noqa: BLE001 - a failed step fails its check, the rest still run
            check(step.__name__, False, f"{type(error).__name__}: {error}")
    try:
        engine.quit()
    except Exception as error:  # noqa: BLE001
        check("quit", False, f"{type(error).__name__}: {error}")
    unexpected = TRAFFIC.unexpected.get(pid, [])
    check("no line a client cannot read", not unexpected, "; ".join(unexpected[:5]))
    print(f"{check.failed} failed" if check.failed else "python-chess client: OK")
    return 1 if check.failed else 0


# A match (long runs) ------------------------------------------------------------

def open_peer(name, workdir):
    if name == "phalanx":
        return chess.engine.SimpleEngine.popen_xboard(PHALANX, cwd=workdir)
    peer = chess.engine.SimpleEngine.popen_uci(STOCKFISH, cwd=workdir)
    peer.configure({"Skill Level": STOCKFISH_SKILL, "Threads": 1, "Hash": 16})
    return peer


def run_games(veltor, peer_name, games, ponder, base, increment):
    workdir = tempfile.mkdtemp(prefix="veltor-games-")
    engine = open_veltor(veltor, workdir)
    peer = open_peer(peer_name, workdir)
    totals = GameRecord()
    score = 0.0
    for n in range(games):
        white = n % 2 == 0
        try:
            record = play_game(engine, peer, white, ponder, base, increment)
        except Exception as error:  # noqa: BLE001 - count it, go on with fresh processes
            record = GameRecord()
            record.crashes, record.reason = 1, f"{type(error).__name__}: {error}"
        for field in ("illegal", "time_losses", "crashes", "false_claims"):
            setattr(totals, field, getattr(totals, field) + getattr(record, field))
        score += veltor_score(record, white)
        print(f"python-chess game {n + 1}: Veltor {'white' if white else 'black'} vs {peer_name}, ponder {ponder}: "
              f"{record.result} {record.reason} ({record.plies} plies)", flush=True)
        if record.crashes:
            for process in (engine, peer):
                try:
                    process.close()
                except Exception:  # noqa: BLE001
                    pass
            engine = open_veltor(veltor, workdir)
            peer = open_peer(peer_name, workdir)
    unexpected = len(TRAFFIC.unexpected.get(pid_of(engine), []))
    engine.quit()
    peer.quit()
    print(f"summary: {games} games vs {peer_name} (ponder {'on' if ponder else 'off'}): Veltor {score}/{games}; "
          f"illegal moves {totals.illegal}, time losses {totals.time_losses}, crashes {totals.crashes}, "
          f"false claims {totals.false_claims}, unreadable lines {unexpected}", flush=True)
    return 0 if totals.illegal + totals.time_losses + totals.crashes + totals.false_claims == 0 else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=["check", "games"])
    parser.add_argument("veltor")
    parser.add_argument("--peer", choices=["phalanx", "stockfish"], default="phalanx")
    parser.add_argument("--games", type=int, default=2)
    parser.add_argument("--ponder", choices=["on", "off"], default="off")
    parser.add_argument("--base", type=float, default=5.0, help="seconds per side")
    parser.add_argument("--inc", type=float, default=0.05, help="increment in seconds")
    args = parser.parse_args()
    install_traffic_recorder()
    veltor = os.path.realpath(args.veltor)
    if args.mode == "check":
        status = check_client(veltor)
    else:
        status = run_games(veltor, args.peer, args.games, args.ponder == "on", args.base, args.inc)
    # A client thread stuck on a dead or hung process must not keep the test alive.
    sys.stdout.flush()
    os._exit(status)


if __name__ == "__main__":
    sys.exit(main())
