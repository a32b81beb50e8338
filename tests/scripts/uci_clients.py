#!/usr/bin/env python3
"""python-chess drives Veltor as a UCI engine the way bots and scripts do.

Every check runs against the real binary through chess.engine's UCI client:
the handshake and options, play under each kind of limit, pondering with a
hit and a miss, analysis to a depth or a time and stopped early, and one
complete game against Stockfish with python-chess keeping the board and the
clocks. Any engine error, illegal move, time loss or missing reply fails.

Usage: uci_clients.py VELTOR_BINARY [STOCKFISH_BINARY [PYTHON_CHESS_DIR]]
(python-chess comes from PYTHON_CHESS_DIR, else from PYTHONPATH; without it
the script says so in one line and exits with status 77: skipped.)
"""
import os
import struct
import sys
import tempfile
import time

veltor_path = sys.argv[1]
stockfish_path = sys.argv[2] if len(sys.argv) > 2 else "/usr/games/stockfish"
if len(sys.argv) > 3:
    if not os.path.isfile(os.path.join(sys.argv[3], "chess", "engine.py")):
        print("python-chess not found under %s (needs ../shared beside the repository)" % sys.argv[3])
        sys.exit(77)
    sys.path.insert(0, sys.argv[3])
try:
    import chess
    import chess.engine
    import chess.polyglot
except ImportError:
    print("python-chess not found (PYTHONPATH=%s)" % os.environ.get("PYTHONPATH", ""))
    sys.exit(77)

failures = []
# Slack for process start, pipes and a busy shared machine.
Slack = 0.6


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what, flush=True)
    if not condition:
        failures.append(what)


def replays(board, moves):
    """True when every move of `moves` is legal in turn from `board`."""
    b = board.copy()
    for m in moves:
        if m not in b.legal_moves:
            return False
        b.push(m)
    return True


def timed_play(engine, board, limit, **kwargs):
    start = time.monotonic()
    result = engine.play(board, limit, **kwargs)
    return result, time.monotonic() - start


def session_checks(engine):
    check(engine.id.get("name", "").startswith("Veltor"), "id name Veltor: %r" % engine.id.get("name"))
    check("author" in engine.id, "id author sent")
    for name, kind in (("Hash", "spin"), ("Clear Hash", "button"), ("Ponder", "check"), ("OwnBook", "check")):
        option = engine.options.get(name)
        check(option is not None and option.type == kind, "option %s of type %s" % (name, kind))
    hash_option = engine.options.get("Hash")
    if hash_option is not None:
        check(hash_option.min is not None and hash_option.max is not None
              and hash_option.min <= hash_option.default <= hash_option.max, "Hash default within its range")
    engine.configure({"Hash": 16})
    engine.configure({"Clear Hash": None})
    engine.configure({"OwnBook": False})
    engine.ping()
    check(True, "configure Hash, Clear Hash and OwnBook answered isready")


def limit_checks(engine):
    board = chess.Board()
    board.push_uci("e2e4")
    board.push_uci("c7c5")

    # Clocks: 3 s each with an increment; the move comes well inside the share.
    result, used = timed_play(engine, board, chess.engine.Limit(white_clock=3, black_clock=3,
                                                                 white_inc=0.05, black_inc=0.05),
                              game="clocks")
    check(result.move in board.legal_moves and used < 1.5, "play with clocks: %s in %.2fs" % (result.move, used))

    # Movetime is wall time for this move: neither cut short nor overrun.
    result, used = timed_play(engine, board, chess.engine.Limit(time=0.5), game="movetime")
    check(result.move in board.legal_moves and 0.45 <= used <= 0.5 + Slack,
          "play with movetime 500: %s in %.2fs" % (result.move, used))

    # A depth limit is reached and not passed (a fresh game: nothing in the tables).
    result = engine.play(board, chess.engine.Limit(depth=5), game="depth", info=chess.engine.INFO_ALL)
    check(result.move in board.legal_moves and result.info.get("depth") == 5,
          "play with depth 5: %s, last info depth %s" % (result.move, result.info.get("depth")))

    # A node limit ends the search; no reported iteration went past it (a
    # search that only looked at its limit every few thousand nodes would).
    result, used = timed_play(engine, board, chess.engine.Limit(nodes=20000), game="nodes",
                              info=chess.engine.INFO_ALL)
    nodes = result.info.get("nodes", 0)
    check(result.move in board.legal_moves and 0 < nodes <= 20000 and used < 2,
          "play with nodes 20000: %s, info nodes %d, %.2fs" % (result.move, nodes, used))

    # Mate limit on a mate in one: the mating move and its score, from the mover's side.
    mate2 = chess.Board("r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4")
    result = engine.play(mate2, chess.engine.Limit(mate=1), game="mate", info=chess.engine.INFO_ALL)
    score = result.info.get("score")
    check(result.move == chess.Move.from_uci("h5f7") and score is not None and score.relative == chess.engine.Mate(1),
          "go mate 1: %s, score %s" % (result.move, score))
    # White's only move lets the rook mate on the first rank.
    result = engine.analyse(chess.Board("1r4k1/8/8/8/8/8/r7/7K w - - 0 1"), chess.engine.Limit(depth=4),
                            game="mated")
    score = result.get("score")
    check(score is not None and score.relative == chess.engine.Mate(-1),
          "mated in one seen from the loser's side: %s" % score)

    # No legal move: the engine answers, python-chess reads it as no move.
    result = engine.play(chess.Board("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"), chess.engine.Limit(depth=3), game="stalemate")
    check(not result.move, "stalemated side gets bestmove 0000 (no move): %s" % result.move)


def ponder_checks(engine):
    # A hit: the expected reply is played, python-chess sends ponderhit.
    board = chess.Board()
    limit = chess.engine.Limit(white_clock=4, black_clock=4, white_inc=0.1, black_inc=0.1)
    hits = misses = 0
    for turn in range(6):
        result, used = timed_play(engine, board, limit, ponder=True, game="ponder")
        check(result.move in board.legal_moves and used < 2, "ponder game move %d: %s in %.2fs" % (turn, result.move, used))
        board.push(result.move)
        if board.is_game_over():
            break
        if turn % 2 == 0 and result.ponder is not None and result.ponder in board.legal_moves:
            board.push(result.ponder)
            hits += 1
        else:
            # A miss: the first legal move that is not the expected one.
            other = next(m for m in board.legal_moves if m != result.ponder)
            board.push(other)
            misses += 1
        if board.is_game_over():
            break
    check(hits > 0 and misses > 0, "pondering saw hits (%d) and misses (%d)" % (hits, misses))
    engine.ping()
    check(True, "isready after pondering answered")


def analysis_checks(engine):
    board = chess.Board("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3")
    info = engine.analyse(board, chess.engine.Limit(depth=6), game="analyse")
    pv = info.get("pv", [])
    check(info.get("depth") == 6 and "score" in info and pv and replays(board, pv),
          "analyse depth 6: depth %s, score %s, pv of %d legal moves" % (info.get("depth"), info.get("score"), len(pv)))
    check(all(k in info for k in ("nodes", "time", "nps")), "analysis info carries nodes, time and nps")

    start = time.monotonic()
    info = engine.analyse(board, chess.engine.Limit(time=0.5))
    used = time.monotonic() - start
    check("score" in info and 0.45 <= used <= 0.5 + Slack, "analyse 0.5 s: %.2fs, depth %s" % (used, info.get("depth")))

    # Infinite analysis stopped once depth 4 is reported: one bestmove comes back.
    start = time.monotonic()
    with engine.analysis(board) as analysis:
        for line in analysis:
            if line.get("depth", 0) >= 4 or time.monotonic() - start > 20:
                break
        analysis.stop()
        best = analysis.wait()
    check(best.move in board.legal_moves and analysis.info.get("depth", 0) >= 4,
          "analysis stopped early: bestmove %s after depth %s" % (best.move, analysis.info.get("depth")))
    engine.ping()
    check(True, "isready after a stopped analysis answered")

    # Three lines: distinct first moves, best first, each with its odds.
    engine.configure({"UCI_ShowWDL": True})
    lines = engine.analyse(chess.Board(), chess.engine.Limit(depth=10), multipv=3)
    firsts = [line["pv"][0] for line in lines if line.get("pv")]
    scores = [line["score"].relative.score(mate_score=100000) for line in lines]
    check(len(lines) == 3 and len(set(firsts)) == 3 and scores == sorted(scores, reverse=True),
          "analyse depth 10 multipv 3: %s" % ", ".join("%s %s" % (m, s) for m, s in zip(firsts, scores)))
    wdl = [line.get("wdl") for line in lines]
    check(all(w is not None and w.relative.total() == 1000 for w in wdl),
          "UCI_ShowWDL: odds adding up to 1000 on every line: %s" % [w.relative for w in wdl if w])
    engine.configure({"UCI_ShowWDL": False})

    # A mate in three proven; a position without one still gets a legal move.
    board = chess.Board("5r1k/p5pp/8/1P1pq3/P1p2nR1/Q7/5BPP/6K1 b - - 0 1")
    result = engine.play(board, chess.engine.Limit(mate=3), info=chess.engine.INFO_ALL)
    pv = result.info.get("pv", [])
    check(result.info.get("score") is not None and result.info["score"].relative == chess.engine.Mate(3)
          and pv and pv[0] == result.move and replays(board, pv),
          "go mate 3: %s, score %s" % (result.move, result.info.get("score")))
    board = chess.Board("r1bqk2r/ppp2ppp/2n5/4P3/2Bp2n1/5N1P/PP1N1PP1/R2Q1RK1 b kq - 1 10")
    result = engine.play(board, chess.engine.Limit(mate=3))
    check(result.move in board.legal_moves, "go mate 3 without a mate: %s" % result.move)


def write_book(path, board, move):
    """A .bin book of one entry: `move` in `board`."""
    m = chess.Move.from_uci(move)
    code = (chess.square_file(m.to_square) | chess.square_rank(m.to_square) << 3
            | chess.square_file(m.from_square) << 6 | chess.square_rank(m.from_square) << 9)
    with open(path, "wb") as book:
        book.write(struct.pack(">QHHI", chess.polyglot.zobrist_hash(board), code, 1, 0))


def analyse_everywhere_checks(engine):
    """analyse under a time, a depth and a node limit always gives a score: in a
    book position, out of the book, and in a position repeated three times
    (which no UCI engine can claim, so it is searched: mate in one)."""
    book = os.path.join(tempfile.mkdtemp(prefix="veltor-uci-book-"), "start.bin")
    write_book(book, chess.Board(), "e2e4")
    engine.configure({"Book File": book, "OwnBook": True})
    repeated = chess.Board("6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1")
    for move in "g1h1 g8h8 h1g1 h8g8 g1h1 g8h8 h1g1 h8g8".split():
        repeated.push_uci(move)
    positions = (("book", chess.Board()),
                 ("out of book", chess.Board("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3")),
                 ("repeated", repeated))
    for name, board in positions:
        for limit in (chess.engine.Limit(time=0.3), chess.engine.Limit(depth=4), chess.engine.Limit(nodes=20000)):
            info = engine.analyse(board, limit, game=object())
            score = info.get("score")
            fine = score is not None and info.get("pv")
            if name == "repeated":
                fine = fine and score.relative == chess.engine.Mate(1) and info["pv"][0] == chess.Move.from_uci("d1d8")
            check(fine, "analyse %s position with %s: score %s, pv %s" % (name, limit, score, info.get("pv", [])[:2]))
    # A game clock plays the book move, and says so.
    result = engine.play(chess.Board(), chess.engine.Limit(white_clock=60, black_clock=60), game=object(),
                         info=chess.engine.INFO_ALL)
    check(result.move == chess.Move.from_uci("e2e4") and "book" in result.info.get("string", ""),
          "play on a clock in the book: %s, %r" % (result.move, result.info.get("string")))
    engine.configure({"Book File": "", "OwnBook": False})


def game_against_stockfish(veltor):
    stockfish = chess.engine.SimpleEngine.popen_uci(stockfish_path)
    stockfish.configure({"Skill Level": 0, "Threads": 1, "Hash": 16})
    board = chess.Board()
    clock = {chess.WHITE: 20.0, chess.BLACK: 20.0}
    increment = 0.1
    players = {chess.WHITE: veltor, chess.BLACK: stockfish}
    fault = None
    while not board.is_game_over(claim_draw=True) and board.ply() < 400:
        engine = players[board.turn]
        limit = chess.engine.Limit(white_clock=clock[chess.WHITE], black_clock=clock[chess.BLACK],
                                   white_inc=increment, black_inc=increment)
        start = time.monotonic()
        try:
            result = engine.play(board, limit, ponder=engine is veltor, game="stockfish")
        except chess.engine.EngineError as error:
            fault = "%s: %s" % ("Veltor" if engine is veltor else "Stockfish", error)
            break
        clock[board.turn] -= time.monotonic() - start
        if clock[board.turn] < 0:
            fault = "%s lost on time" % ("Veltor" if engine is veltor else "Stockfish")
            break
        clock[board.turn] += increment
        if result.move is None or result.move not in board.legal_moves:
            fault = "illegal or no move %s" % result.move
            break
        board.push(result.move)
    stockfish.quit()
    outcome = board.outcome(claim_draw=True)
    print("game: %s after %d plies (%s)" % (board.result(claim_draw=True), board.ply(),
                                             outcome.termination.name if outcome else "ply limit"))
    check(fault is None, "complete game against Stockfish without fault: %s" % (fault or "none"))


def strong_mode_checks(engine):
    # The strong mode through the same client: several lines, then a whole game.
    engine.configure({"Strong": True})
    lines = engine.analyse(chess.Board(), chess.engine.Limit(depth=10), multipv=3)
    firsts = [info["pv"][0] for info in lines if info.get("pv")]
    scores = [info["score"].relative.score(mate_score=100000) for info in lines]
    check(len(set(firsts)) == 3 and scores == sorted(scores, reverse=True),
          "strong mode: three distinct lines, best first: %s %s" % (firsts, scores))
    game_against_stockfish(engine)
    engine.configure({"Strong": False})


def main():
    with chess.engine.SimpleEngine.popen_uci(veltor_path, timeout=30) as engine:
        session_checks(engine)
        limit_checks(engine)
        ponder_checks(engine)
        analysis_checks(engine)
        analyse_everywhere_checks(engine)
        game_against_stockfish(engine)
        strong_mode_checks(engine)
        engine.ping()
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
