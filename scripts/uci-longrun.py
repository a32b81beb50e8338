#!/usr/bin/env python3
"""A long run of Veltor in UCI mode against UCI peers, python-chess as arbiter.

Games rotate over the peers, colours alternate, and Veltor ponders in half of
the games (python-chess sends "go ponder", then "ponderhit" or "stop"). The
arbiter keeps the board and both clocks itself: an engine error or a move
that is not legal is an illegal move, a clock below zero (measured around
each "go", pipes and all) is a time loss, an engine that exits is a crash.
Games that reach the ply limit are adjudicated drawn and counted apart.

Usage: PYTHONPATH=../shared/tools/python-chess scripts/uci-longrun.py VELTOR_BINARY
         [--games N] [--base SECONDS] [--inc SECONDS] [--peer NAME=COMMAND[,OPTION=VALUE...]]... [--pgn FILE]
Default peers: Stockfish at skill level 0 and Glaurung.
"""
import argparse
import datetime
import sys
import time

import chess
import chess.engine
import chess.pgn

PlyLimit = 400


def parse_peer(text):
    name, _, rest = text.partition("=")
    parts = rest.split(",")
    options = {}
    for item in parts[1:]:
        key, _, value = item.partition("=")
        if value.lstrip("-").isdigit():
            options[key] = int(value)
        elif value in ("true", "false"):
            options[key] = value == "true"
        else:
            options[key] = value
    return name, parts[0], options


class Player:
    def __init__(self, name, command, options):
        self.name, self.command, self.options = name, command, options
        self.engine = None

    def open(self):
        if self.engine is None:
            self.engine = chess.engine.SimpleEngine.popen_uci(self.command, timeout=30)
            if self.options:
                self.engine.configure(self.options)
        return self.engine

    def crashed(self):
        """Drops a dead engine so that the next game starts a new one."""
        try:
            self.engine.close()
        except Exception:
            pass
        self.engine = None


def play_game(number, white, black, veltor_ponders, base, inc):
    board = chess.Board()
    clock = {chess.WHITE: base, chess.BLACK: base}
    players = {chess.WHITE: white, chess.BLACK: black}
    fault = None  # (player name, kind, detail)
    for player in (white, black):
        player.open()
    while not board.is_game_over(claim_draw=True) and board.ply() < PlyLimit:
        player = players[board.turn]
        limit = chess.engine.Limit(white_clock=clock[chess.WHITE], black_clock=clock[chess.BLACK],
                                   white_inc=inc, black_inc=inc)
        ponder = veltor_ponders and player.name == "Veltor"
        start = time.monotonic()
        try:
            result = player.engine.play(board, limit, ponder=ponder, game=number)
        except chess.engine.EngineTerminatedError as error:
            fault = (player.name, "crash", str(error))
            player.crashed()
            break
        except (chess.engine.EngineError, TimeoutError) as error:
            fault = (player.name, "illegal", str(error))
            break
        used = time.monotonic() - start
        clock[board.turn] -= used
        if clock[board.turn] < 0:
            fault = (player.name, "time", "%.3fs over after %.3fs" % (-clock[board.turn], used))
            break
        clock[board.turn] += inc
        if result.move is None or result.move not in board.legal_moves:
            fault = (player.name, "illegal", "move %s in %s" % (result.move, board.fen()))
            break
        board.push(result.move)
    # A pondering engine still thinks on the last position: end that search.
    for player in (white, black):
        if player.engine is not None:
            try:
                player.engine.ping()
            except chess.engine.EngineTerminatedError as error:
                if fault is None:
                    fault = (player.name, "crash", str(error))
                player.crashed()

    if fault is not None:
        loser_white = players[chess.WHITE].name == fault[0]
        result = "0-1" if loser_white else "1-0"
        reason = "%s: %s (%s)" % (fault[0], fault[1], fault[2])
    elif board.is_game_over(claim_draw=True):
        result = board.result(claim_draw=True)
        reason = board.outcome(claim_draw=True).termination.name.lower()
    else:
        result, reason = "1/2-1/2", "ply limit"
    game = chess.pgn.Game.from_board(board)
    game.headers.update({"Event": "Veltor UCI long run", "Round": str(number),
                         "Date": datetime.date.today().strftime("%Y.%m.%d"),
                         "White": white.name, "Black": black.name, "Result": result,
                         "TimeControl": "%g+%g" % (base, inc), "Termination": reason,
                         "VeltorPonders": "yes" if veltor_ponders else "no"})
    return game, result, reason, fault


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("veltor")
    parser.add_argument("--games", type=int, default=200)
    parser.add_argument("--base", type=float, default=6.0)
    parser.add_argument("--inc", type=float, default=0.06)
    parser.add_argument("--peer", action="append")
    parser.add_argument("--pgn", default="uci-longrun.pgn")
    args = parser.parse_args()
    peers = [Player(*parse_peer(p)) for p in (args.peer or [
        "Stockfish=/usr/games/stockfish,Skill Level=0,Threads=1,Hash=16",
        "Glaurung=/usr/games/glaurung,Threads=1,Hash=16,OwnBook=false"])]
    veltor = Player("Veltor", args.veltor, {})

    faults = {"illegal": 0, "time": 0, "crash": 0}
    peer_faults = 0
    score = {}  # (peer, ponder) -> [won, lost, drawn]
    ply_limit = 0
    started = time.monotonic()
    with open(args.pgn, "w") as pgn:
        for number in range(1, args.games + 1):
            peer = peers[(number - 1) % len(peers)]
            veltor_white = ((number - 1) // len(peers)) % 2 == 0
            ponders = ((number - 1) // (2 * len(peers))) % 2 == 0
            white, black = (veltor, peer) if veltor_white else (peer, veltor)
            game, result, reason, fault = play_game(number, white, black, ponders, args.base, args.inc)
            print(game, file=pgn, end="\n\n", flush=True)
            if fault is not None:
                if fault[0] == "Veltor":
                    faults[fault[1]] += 1
                else:
                    peer_faults += 1
            ply_limit += reason == "ply limit"
            won = (result == "1-0") == veltor_white and result != "1/2-1/2"
            entry = score.setdefault((peer.name, ponders), [0, 0, 0])
            entry[2 if result == "1/2-1/2" else 0 if won else 1] += 1
            print("game %d: %s - %s %s (%s), Veltor ponders: %s" % (
                number, white.name, black.name, result, reason, "yes" if ponders else "no"), flush=True)
    for player in peers + [veltor]:
        if player.engine is not None:
            player.engine.quit()

    minutes = (time.monotonic() - started) / 60
    print("\n%d games in %.0f minutes at %g s + %g s per move" % (args.games, minutes, args.base, args.inc))
    for (name, ponders), (won, lost, drawn) in sorted(score.items()):
        print("  vs %-10s pondering %-3s: +%d -%d =%d" % (name, "on" if ponders else "off", won, lost, drawn))
    print("Veltor illegal moves: %d, time losses: %d, crashes: %d" % (faults["illegal"], faults["time"], faults["crash"]))
    print("peer faults: %d, games adjudicated at %d plies: %d" % (peer_faults, PlyLimit, ply_limit))
    sys.exit(1 if any(faults.values()) else 0)


if __name__ == "__main__":
    main()
