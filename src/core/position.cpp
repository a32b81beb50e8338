// The process-wide Position, its RootSnapshot and the consistency check.
#include "core/position.h"

#include <cassert>
#include <cstring>
#include <initializer_list>

#include "core/attacks.h"
#include "core/key_table.h"

// Constant-initialised so that nothing running before main sees it unset:
// White to move, first game ply, history top on the first record.
Position Pos = {.pieces = {},
                .all = 0,
                .fileMajor = 0,
                .diagA1H8 = 0,
                .diagA8H1 = 0,
                .board = {},
                .king = {},
                .key = 0,
                .pawnKey = 0,
                .enPassant = 0,
                .castling = 0,
                .totalMaterial = 0,
                .pieceMaterial = {},
                .pawnCount = {},
                .side = White,
                .gamePly = 1,
                .root = {},
                .handedOver = {},
                .history = {},
                .historyTop = Pos.history};

void refreshRootSnapshot() {
  std::memcpy(Pos.root.board, Pos.board, sizeof Pos.board);
  Pos.root.castling = Pos.castling;
  Pos.root.enPassant = Pos.enPassant;
  Pos.root.king[Black] = Pos.king[Black];
  Pos.root.king[White] = Pos.king[White];
  Pos.root.side = Pos.side;
}

namespace {

void toggleEnPassantSquare(uint8_t square) {
  Pos.key ^= KeyTable[0][square];
  Pos.pawnKey ^= static_cast<uint32_t>(KeyTable[0][square]);
  Pos.enPassant = Pos.enPassant == square ? 0 : square;
  Pos.root.enPassant = Pos.enPassant;
  Pos.historyTop->key = Pos.key;
}

}  // namespace

void setSideToMove(Side side) {
  HandedOverEnPassant& held = Pos.handedOver;
  if (side != Pos.side && Pos.enPassant != 0) {
    const uint8_t square = Pos.enPassant;
    toggleEnPassantSquare(square);
    held = {Pos.key, Pos.gamePly, square, Pos.side};
  } else if (side != Pos.side && held.square != 0 && held.side == side && held.key == Pos.key &&
             held.gamePly == Pos.gamePly) {
    toggleEnPassantSquare(held.square);
    held.square = 0;
  }
  Pos.side = side;
  Pos.root.side = side;
  assert(positionIsConsistent());
}

namespace {

constexpr uint16_t AllRights = WhiteKingSide | WhiteQueenSide | BlackKingSide | BlackQueenSide;

constexpr bool isEnPassantRankSquare(int s) { return (s >= 16 && s < 24) || (s >= 40 && s < 48); }

// The key holds, besides the pieces, the row-0 entries of the castling rights
// removed by moves and of en-passant squares. Double steps add and the next
// move removes their entry, so what can remain beyond the pending square is a
// subset of the rights no longer held, plus at most one en-passant entry that a
// set-up text named and the first move then folded in (or, right after such a
// set-up, the pending square's entry that the keys do not hold yet). The pawn key carries the
// low half of that same stray entry, which identifies it.
bool rowZeroTermsAreExplained(uint64_t keyResidual, uint32_t pawnResidual) {
  if (pawnResidual != 0) {
    bool found = false;
    for (int s = 0; s < 64 && !found; ++s) {
      if (isEnPassantRankSquare(s) && static_cast<uint32_t>(KeyTable[0][s]) == pawnResidual) {
        keyResidual ^= KeyTable[0][s];
        found = true;
      }
    }
    if (!found) return false;
  }
  const uint16_t removed = static_cast<uint16_t>(AllRights & ~Pos.castling);
  const uint16_t rights[4] = {WhiteKingSide, WhiteQueenSide, BlackKingSide, BlackQueenSide};
  for (int subset = 0; subset < 16; ++subset) {
    uint64_t terms = 0;
    bool allowed = true;
    for (int i = 0; i < 4; ++i) {
      if (subset & (1 << i)) {
        allowed = allowed && (removed & rights[i]);
        terms ^= KeyTable[0][castlingKeySquare(rights[i])];
      }
    }
    if (allowed && terms == keyResidual) return true;
  }
  return false;
}

}  // namespace

bool positionIsConsistent() {
  Bitboard pieces[13] = {};
  uint64_t pieceKey = 0;
  uint32_t pawnKey = 0;
  int kings[2] = {0, 0};
  int kingSquare[2] = {-1, -1};
  int total = 0;
  int pieceMaterial[2] = {0, 0};
  int pawns[2] = {0, 0};

  // 1. Everything the board alone determines.
  for (int s = 0; s < 64; ++s) {
    const PieceCode code = Pos.board[s];
    if (code == Empty) continue;
    if (code > BlackKing) return false;
    const Side side = ownerOf(code);
    pieces[OccupancyIndex + side] |= bitOf(s);
    pieceKey ^= KeyTable[code][s];
    if (code >= WhiteKing) {
      ++kings[side];
      kingSquare[side] = s;
      continue;
    }
    pieces[code] |= bitOf(s);
    total += MaterialUnits[code];
    if (code <= BlackPawn) {
      ++pawns[side];
      pawnKey ^= static_cast<uint32_t>(KeyTable[code][s]);
    } else {
      pieceMaterial[side] += MaterialUnits[code];
    }
  }

  // 2. Bitboards, king squares and counters.
  for (int code = WhitePawn; code <= OccupancyIndex + White; ++code) {
    if (pieces[code] != Pos.pieces[code]) return false;
  }
  const Bitboard all = pieces[OccupancyIndex + Black] | pieces[OccupancyIndex + White];
  if (all != Pos.all || Pos.fileMajor != toFileMajor(all) || Pos.diagA1H8 != toDiagA1H8(all) ||
      Pos.diagA8H1 != toDiagA8H1(all)) {
    return false;
  }
  for (Side side : {Black, White}) {
    if (kings[side] != 1 || kingSquare[side] != Pos.king[side]) return false;
    if (pieceMaterial[side] != Pos.pieceMaterial[side] || pawns[side] != Pos.pawnCount[side])
      return false;
  }
  if (total != Pos.totalMaterial) return false;

  // 3. Rights, en passant, side and keys.
  if ((Pos.castling & ~AllRights) != 0) return false;
  if (Pos.enPassant != 0 && !isEnPassantRankSquare(Pos.enPassant)) return false;
  if (Pos.side != White && Pos.side != Black) return false;
  uint64_t keyResidual = Pos.key ^ pieceKey;
  uint32_t pawnResidual = Pos.pawnKey ^ pawnKey;
  if (Pos.enPassant != 0) {
    keyResidual ^= KeyTable[0][Pos.enPassant];
    pawnResidual ^= static_cast<uint32_t>(KeyTable[0][Pos.enPassant]);
  }
  if (!rowZeroTermsAreExplained(keyResidual, pawnResidual)) return false;

  // 4. The history top describes the current position.
  if (Pos.historyTop < Pos.history ||
      Pos.historyTop >= Pos.history + GameHistoryCapacity + GameHistorySlack) {
    return false;
  }
  return Pos.historyTop->key == Pos.key;
}
