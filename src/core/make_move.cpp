// Making and unmaking moves on the process-wide Position.
//
// Both directions are incremental and loop-free: every board, occupancy,
// counter and key changes by precomputed square bits and key entries. Unmaking
// copies the saved occupancies and keys back instead of recomputing them, and
// restores the moving piece's bitboard from its saved copy.
#include "core/make_move.h"

#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/attacks.h"
#include "core/key_table.h"
#include "core/log.h"
#include "core/position.h"
#include "core/side_traits.h"

PlyState PlyStack[PlyStackSize];
PlyState* CurrentPly = PlyStack;

namespace {

constexpr const char* InternalErrorFile = "!error.err";
constexpr int InternalErrorExitStatus = 3;

// The right a rook corner belongs to (0 for every other square).
// clang-format off
constexpr uint16_t CornerRight[64] = {
    BlackQueenSide, 0, 0, 0, 0, 0, 0, BlackKingSide,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    WhiteQueenSide, 0, 0, 0, 0, 0, 0, WhiteKingSide,
};

// Promotion piece (White code) by move type, 4..11.
constexpr PieceCode PromotedWhitePiece[16] = {
    Empty, Empty, Empty, Empty,
    WhiteQueen, WhiteKnight, WhiteRook, WhiteBishop,
    WhiteQueen, WhiteKnight, WhiteRook, WhiteBishop,
    Empty, Empty, Empty, Empty,
};
// clang-format on

inline uint32_t lowHalf(uint64_t key) { return static_cast<uint32_t>(key); }

// Clears a right and folds its key entry in; does nothing for a right not held.
inline void removeRight(uint16_t right) {
  if (Pos.castling & right) {
    Pos.castling = static_cast<uint16_t>(Pos.castling & ~right);
    Pos.key ^= KeyTable[0][castlingKeySquare(right)];
  }
}

inline void toggleRotated(int s) {
  Pos.fileMajor ^= FileMajorBit[s];
  Pos.diagA1H8 ^= DiagA1H8Bit[s];
  Pos.diagA8H1 ^= DiagA8H1Bit[s];
}

[[noreturn]] [[gnu::cold]] [[gnu::noinline]] void internalError(const char* label, Move m) {
  // The move cannot be played: record it for the developer and stop, since the
  // Position can no longer be trusted.
  std::FILE* f = std::fopen(InternalErrorFile, "a");
  if (f == nullptr) {
    std::fprintf(stderr, "cannot open %s for the internal-error record\n", InternalErrorFile);
  } else {
    std::fprintf(f, "%s%u; from=%d; to=%d; type=%d\n", label, static_cast<unsigned>(m), moveFrom(m),
                 moveTo(m), moveType(m));
    if (std::fflush(f) != 0 || std::fclose(f) != 0) {
      std::fprintf(stderr, "cannot write %s\n", InternalErrorFile);
    }
  }
  std::exit(InternalErrorExitStatus);
}

// Moves the piece of a quiet move or capture, whose destination is already
// settled in the rotated occupancies.
template <Side S>
inline void movePiece(int from, int to, PlyState& record, HistoryEntry* entry) {
  using T = SideTraits<S>;
  const PieceCode p = Pos.board[from];
  const Bitboard fromTo = bitOf(from) | bitOf(to);
  toggleRotated(from);
  if (p == T::Pawn) {
    entry->reversible = 0;
    record.savedPiece = Pos.pieces[p];
    Pos.pieces[p] ^= fromTo;
    if (from == to - 2 * T::Forward) {
      const int passed = to - T::Forward;
      Pos.enPassant = static_cast<uint8_t>(passed);
      Pos.key ^= KeyTable[0][passed];
      Pos.pawnKey ^= lowHalf(KeyTable[0][passed]);
    }
    Pos.key ^= KeyTable[p][from] ^ KeyTable[p][to];
    Pos.pawnKey ^= lowHalf(KeyTable[p][from] ^ KeyTable[p][to]);
  } else if (p == T::King) {
    Pos.king[S] = static_cast<uint8_t>(to);
    Pos.key ^= KeyTable[p][from] ^ KeyTable[p][to];
    removeRight(T::KingSide);
    removeRight(T::QueenSide);
  } else {
    record.savedPiece = Pos.pieces[p];
    Pos.pieces[p] ^= fromTo;
    Pos.key ^= KeyTable[p][from] ^ KeyTable[p][to];
    if (p == T::Rook) removeRight(CornerRight[from] & (T::KingSide | T::QueenSide));
  }
  Pos.board[to] = p;
  Pos.board[from] = Empty;
  Pos.pieces[T::Own] ^= fromTo;
  Pos.all = Pos.pieces[T::Own] | Pos.pieces[T::Other];
}

// Takes the opponent's piece off `to` (capture or capture-promotion).
template <Side S>
inline PieceCode removeCaptured(int to) {
  using T = SideTraits<S>;
  const PieceCode c = Pos.board[to];
  Pos.pieces[c] ^= bitOf(to);
  Pos.pieces[T::Other] ^= bitOf(to);
  Pos.key ^= KeyTable[c][to];
  removeRight(CornerRight[to]);
  return c;
}

template <Side S>
inline void castle(int kingTo, int rookFrom, int rookTo, Bitboard squares, uint16_t used,
                   uint16_t other) {
  using T = SideTraits<S>;
  Pos.castling = static_cast<uint16_t>(Pos.castling & ~used);
  removeRight(other);
  Pos.king[S] = static_cast<uint8_t>(kingTo);
  Pos.key ^= KeyTable[T::King][T::KingHome] ^ KeyTable[T::King][kingTo] ^
             KeyTable[T::Rook][rookFrom] ^ KeyTable[T::Rook][rookTo];
  Pos.board[kingTo] = T::King;
  Pos.board[rookTo] = T::Rook;
  Pos.board[T::KingHome] = Empty;
  Pos.board[rookFrom] = Empty;
  Pos.pieces[T::Rook] ^= bitOf(rookFrom) | bitOf(rookTo);
  Pos.pieces[T::Own] ^= squares;
  Pos.all ^= squares;
  toggleRotated(T::KingHome);
  toggleRotated(kingTo);
  toggleRotated(rookFrom);
  toggleRotated(rookTo);
}

template <Side S>
void makeMoveFor(Move m, PlyState& record) {
  using T = SideTraits<S>;
  const int from = moveFrom(m);
  const int to = moveTo(m);
  const int type = moveType(m);

  // 1. History: the move leaves the current entry; a new entry describes the result.
  HistoryEntry* previous = Pos.historyTop;
  previous->move = m;
  HistoryEntry* entry = previous + 1;
  Pos.historyTop = entry;
  entry->reversible = 0;

  // 2. Any pending en-passant possibility ends with this move.
  if (Pos.enPassant != 0) {
    Pos.key ^= KeyTable[0][Pos.enPassant];
    Pos.pawnKey ^= lowHalf(KeyTable[0][Pos.enPassant]);
    Pos.enPassant = 0;
  }

  // 3. By move type.
  switch (type) {
    case QuietMove:
      toggleRotated(to);
      entry->reversible = static_cast<uint16_t>(previous->reversible + 1);
      movePiece<S>(from, to, record, entry);
      break;

    case CaptureMove: {
      const PieceCode c = removeCaptured<S>(to);
      record.captured = c;
      record.materialChange = static_cast<int8_t>(-MaterialUnits[c]);
      Pos.totalMaterial = static_cast<uint8_t>(Pos.totalMaterial - MaterialUnits[c]);
      if (c == pieceOf(WhitePawn, T::Them)) {
        --Pos.pawnCount[T::Them];
        Pos.pawnKey ^= lowHalf(KeyTable[c][to]);
      } else {
        Pos.pieceMaterial[T::Them] =
            static_cast<uint8_t>(Pos.pieceMaterial[T::Them] - MaterialUnits[c]);
      }
      movePiece<S>(from, to, record, entry);
      break;
    }

    case EnPassantMove: {
      const int taken = to - T::Forward;
      const PieceCode c = Pos.board[taken];
      const Bitboard fromTo = bitOf(from) | bitOf(to);
      record.savedPiece = Pos.pieces[T::Pawn];
      record.captured = c;
      Pos.board[to] = T::Pawn;
      Pos.board[from] = Empty;
      Pos.board[taken] = Empty;
      --Pos.pawnCount[T::Them];
      --Pos.totalMaterial;
      const uint64_t change = KeyTable[c][taken] ^ KeyTable[T::Pawn][to] ^ KeyTable[T::Pawn][from];
      Pos.key ^= change;
      Pos.pawnKey ^= lowHalf(change);
      Pos.pieces[T::Other] ^= bitOf(taken);
      Pos.pieces[c] ^= bitOf(taken);
      Pos.pieces[T::Pawn] ^= fromTo;
      Pos.pieces[T::Own] ^= fromTo;
      Pos.all = Pos.pieces[T::Own] | Pos.pieces[T::Other];
      toggleRotated(from);
      Pos.fileMajor ^= EnPassantPairFileMajor[to];
      Pos.diagA1H8 ^= EnPassantPairDiagA1H8[to];
      Pos.diagA8H1 ^= EnPassantPairDiagA8H1[to];
      break;
    }

    case ResultMarker:
      internalError("\n MV_NOT_VALID: ", m);

    default: {
      if (type >= BlackCastleKing) {
        if (to == T::KingSideKing) {
          castle<S>(T::KingSideKing, T::KingSideRookFrom, T::KingSideRookTo, T::KingSideSquares,
                    T::KingSide, T::QueenSide);
        } else {
          castle<S>(T::QueenSideKing, T::QueenSideRookFrom, T::QueenSideRookTo, T::QueenSideSquares,
                    T::QueenSide, T::KingSide);
        }
        break;
      }
      // Promotions, with or without capture.
      const PieceCode n = pieceOf(PromotedWhitePiece[type], S);
      int change = MaterialUnits[n] - MaterialUnits[T::Pawn];
      Pos.pieceMaterial[S] = static_cast<uint8_t>(Pos.pieceMaterial[S] + MaterialUnits[n]);
      if (type >= CapturePromoteQueen) {
        const PieceCode c = removeCaptured<S>(to);
        record.captured = c;
        Pos.pieceMaterial[T::Them] =
            static_cast<uint8_t>(Pos.pieceMaterial[T::Them] - MaterialUnits[c]);
        change -= MaterialUnits[c];
      } else {
        toggleRotated(to);
      }
      record.materialChange = static_cast<int8_t>(change);
      Pos.totalMaterial = static_cast<uint8_t>(Pos.totalMaterial + change);
      toggleRotated(from);
      record.savedPiece = Pos.pieces[T::Pawn];
      Pos.board[from] = Empty;
      Pos.board[to] = n;
      --Pos.pawnCount[S];
      Pos.pawnKey ^= lowHalf(KeyTable[T::Pawn][from]);
      Pos.key ^= KeyTable[n][to] ^ KeyTable[T::Pawn][from];
      Pos.pieces[n] |= bitOf(to);
      Pos.pieces[T::Pawn] ^= bitOf(from);
      Pos.pieces[T::Own] ^= bitOf(from) | bitOf(to);
      Pos.all = Pos.pieces[T::Own] | Pos.pieces[T::Other];
      break;
    }
  }

  // 4. The other side moves next.
  Pos.side = T::Them;
  entry->key = Pos.key;
}

template <Side S>
void unmakeMoveFor(Move m, PlyState& record) {
  using T = SideTraits<S>;
  const int from = moveFrom(m);
  const int to = moveTo(m);
  const int type = moveType(m);

  // 1. Saved words back.
  Pos.side = S;
  Pos.fileMajor = record.savedFileMajor;
  Pos.diagA1H8 = record.savedDiagA1H8;
  Pos.diagA8H1 = record.savedDiagA8H1;
  Pos.all = record.savedAll;
  Pos.pieces[T::Own] = record.savedOwn;
  Pos.enPassant = record.savedEnPassant;
  Pos.key = record.savedKey;
  Pos.pawnKey = record.savedPawnKey;

  // 2. By move type.
  switch (type) {
    case QuietMove:
    case CaptureMove: {
      Pos.castling = record.savedCastling;
      const PieceCode p = Pos.board[to];
      if (to == Pos.king[S]) {
        Pos.king[S] = static_cast<uint8_t>(from);
      } else {
        Pos.pieces[p] = record.savedPiece;
      }
      Pos.board[from] = p;
      if (type == QuietMove) {
        Pos.board[to] = Empty;
        break;
      }
      const PieceCode c = record.captured;
      Pos.totalMaterial = static_cast<uint8_t>(Pos.totalMaterial - record.materialChange);
      if (c == pieceOf(WhitePawn, T::Them)) {
        ++Pos.pawnCount[T::Them];
      } else {
        Pos.pieceMaterial[T::Them] =
            static_cast<uint8_t>(Pos.pieceMaterial[T::Them] - record.materialChange);
      }
      Pos.pieces[c] |= bitOf(to);
      Pos.pieces[T::Other] |= bitOf(to);
      Pos.board[to] = c;
      break;
    }

    case EnPassantMove: {
      const int taken = to - T::Forward;
      ++Pos.totalMaterial;
      Pos.board[from] = Pos.board[to];
      Pos.board[to] = Empty;
      ++Pos.pawnCount[T::Them];
      Pos.board[taken] = record.captured;
      Pos.pieces[T::Other] |= bitOf(taken);
      Pos.pieces[record.captured] |= bitOf(taken);
      Pos.pieces[T::Pawn] = record.savedPiece;
      break;
    }

    case ResultMarker:
      internalError("\n MV_NOT_VALID 2: ", m);

    default: {
      Pos.castling = record.savedCastling;
      if (type >= BlackCastleKing) {
        const bool kingSide = to == T::KingSideKing;
        const int rookFrom = kingSide ? T::KingSideRookFrom : T::QueenSideRookFrom;
        const int rookTo = kingSide ? T::KingSideRookTo : T::QueenSideRookTo;
        Pos.king[S] = static_cast<uint8_t>(T::KingHome);
        Pos.board[T::KingHome] = T::King;
        Pos.board[rookFrom] = T::Rook;
        Pos.board[to] = Empty;
        Pos.board[rookTo] = Empty;
        Pos.pieces[T::Rook] ^= bitOf(rookFrom) | bitOf(rookTo);
        break;
      }
      // Promotions, with or without capture.
      const PieceCode n = Pos.board[to];
      Pos.totalMaterial = static_cast<uint8_t>(Pos.totalMaterial - record.materialChange);
      Pos.pieceMaterial[S] = static_cast<uint8_t>(Pos.pieceMaterial[S] - MaterialUnits[n]);
      ++Pos.pawnCount[S];
      Pos.board[from] = T::Pawn;
      Pos.pieces[T::Pawn] = record.savedPiece;
      Pos.pieces[n] ^= bitOf(to);
      if (type >= CapturePromoteQueen) {
        const PieceCode c = record.captured;
        Pos.pieces[c] |= bitOf(to);
        Pos.pieces[T::Other] |= bitOf(to);
        Pos.pieceMaterial[T::Them] =
            static_cast<uint8_t>(Pos.pieceMaterial[T::Them] + MaterialUnits[c]);
        Pos.board[to] = c;
      } else {
        Pos.board[to] = Empty;
      }
      break;
    }
  }

  // 3. Pop the history.
  --Pos.historyTop;
}

// Moves the last entries of a long game's history to the front so that the
// game can go on; the kept entries cover every walk of the draw detection.
void compactHistory() {
  HistoryEntry* keepFrom = Pos.historyTop - (HistoryKeepOnCompaction - 1);
  std::memmove(static_cast<void*>(Pos.history), keepFrom,
               HistoryKeepOnCompaction * sizeof(HistoryEntry));
  Pos.historyTop = Pos.history + (HistoryKeepOnCompaction - 1);
}

}  // namespace

void savePlyState(PlyState& record) {
  record.savedAll = Pos.all;
  record.savedOwn = Pos.pieces[OccupancyIndex + Pos.side];
  record.savedFileMajor = Pos.fileMajor;
  record.savedDiagA1H8 = Pos.diagA1H8;
  record.savedDiagA8H1 = Pos.diagA8H1;
  record.savedKey = Pos.key;
  record.savedPawnKey = Pos.pawnKey;
  record.savedCastling = Pos.castling;
  record.savedEnPassant = Pos.enPassant;
}

void makeMove(Move m, PlyState& record) {
  if (Pos.side == White) {
    makeMoveFor<White>(m, record);
  } else {
    makeMoveFor<Black>(m, record);
  }
  assert(positionIsConsistent());
}

void unmakeMove(Move m, PlyState& record) {
  // The side that made the move is the one not to move now.
  if (Pos.side == Black) {
    unmakeMoveFor<White>(m, record);
  } else {
    unmakeMoveFor<Black>(m, record);
  }
  assert(positionIsConsistent());
}

bool makeGameMove(Move m) {
  // 1. No move.
  if (m == 0) return false;
  if (Pos.historyTop - Pos.history >= GameHistoryCapacity - 1) compactHistory();

  // 2. Play it; a game move is never taken back, so nothing is saved first.
  const Side mover = Pos.side;
  makeMove(m, *CurrentPly);

  // 3. Game ply.
  ++Pos.gamePly;

  // 4. After castling the king square and both rights of that side are settled.
  if (moveType(m) >= BlackCastleKing) {
    Pos.king[mover] = static_cast<uint8_t>(moveTo(m));
    Pos.castling &= static_cast<uint16_t>(mover == White ? ~(WhiteKingSide | WhiteQueenSide)
                                                         : ~(BlackKingSide | BlackQueenSide));
  }

  // 5. The interface's view of the game; its side changes hands.
  const Side rootSide = Pos.root.side;
  refreshRootSnapshot();
  Pos.root.side = opposite(rootSide);
  assert(positionIsConsistent());

  // 6. Key line in the log, hexadecimal halves.
  EngineLog << std::hex << static_cast<uint32_t>(Pos.key >> 32) << ' '
            << static_cast<uint32_t>(Pos.key) << '\n'
            << std::dec;
  EngineLog.flush();
  return true;
}
