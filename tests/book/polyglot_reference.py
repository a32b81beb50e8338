#!/usr/bin/env python3
"""Prints positions with their .bin book key from an independent
implementation, for the book tests to compare with the engine's:

    polyglot_reference.py GAMES.pgn POSITIONS.epd

    F <tab> FEN <tab> KEY    set up this position
    M <tab> MOVE <tab> KEY   play the move on the current position
    C <tab> MOVE <tab> KEY   the last set-up position after this move (taken back)

Positions: every position of every game, and every EPD position with each
position one legal move after it.
"""
import sys

import chess
import chess.pgn
import chess.polyglot


def emit(kind, text, board):
    print("%s\t%s\t%016x" % (kind, text, chess.polyglot.zobrist_hash(board)))


def main():
    with open(sys.argv[1], encoding="latin-1") as games:
        while True:
            game = chess.pgn.read_game(games)
            if game is None:
                break
            board = game.board()
            emit("F", board.fen(), board)
            for move in game.mainline_moves():
                board.push(move)
                emit("M", move.uci(), board)
    with open(sys.argv[2]) as positions:
        for line in positions:
            fen = line.split(";")[0].strip()
            if not fen:
                continue
            board = chess.Board(fen)
            emit("F", board.fen(), board)
            for move in list(board.legal_moves):
                board.push(move)
                emit("C", move.uci(), board)
                board.pop()


main()
