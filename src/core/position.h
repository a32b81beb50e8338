// The single process-wide board state, its game history and its set-up
// from FEN text.
#pragma once

#include "core/types.h"

// One entry per position since the last set-up.
struct HistoryEntry {
  uint64_t key;         // PositionKey of the position
  Move move;            // move made from this position (NullMoveMarker for a null move)
  uint16_t reversible;  // plies since the last capture, pawn move or castling
};

// The game history holds the game's positions plus the positions of the
// deepest search line. Game moves compact it (playGameMove) before it can
// fill up, so no game length can overflow it.
constexpr int GameHistoryCapacity = 1024;
constexpr int GameHistorySlack = 256;  // room above the capacity for a search line
constexpr int HistoryKeepOnCompaction = 128;

// The game position as the interface sees it (not inside a search and not
// after a pondered move). Move text from the interface is read against it.
struct RootSnapshot {
  PieceCode board[64];
  uint16_t castling;
  uint8_t enPassant;
  uint8_t king[2];
  Side side;
};

// An en-passant square voided by handing the move over, with the position it
// was voided in: handed straight back, the move gets the square again.
struct HandedOverEnPassant {
  uint64_t key;
  uint16_t gamePly;
  uint8_t square;  // 0: nothing held
  Side side;       // the side the square belongs to
};

struct Position {
  Bitboard pieces[13];  // 1..10 by piece code, 11 Black occupancy, 12 White occupancy, 0 scratch
  Bitboard all;
  Bitboard fileMajor;  // auxiliary (rotated) occupancies, kept equal to `all`
  Bitboard diagA1H8;
  Bitboard diagA8H1;
  PieceCode board[64];
  uint8_t king[2];    // king squares; 100 while no king was placed
  uint64_t key;       // PositionKey
  uint32_t pawnKey;   // PawnKey
  uint8_t enPassant;  // square passed over by the last double step, or 0
  uint16_t castling;  // CastlingRights
  uint8_t totalMaterial;
  uint8_t pieceMaterial[2];
  uint8_t pawnCount[2];
  Side side;         // side to move
  uint16_t gamePly;  // 1 after a set-up, +1 per game move
  RootSnapshot root;
  HandedOverEnPassant handedOver;  // see setSideToMove
  HistoryEntry history[GameHistoryCapacity + GameHistorySlack];
  HistoryEntry* historyTop;  // describes the current position
};

extern Position Pos;

inline Bitboard occupancyOf(Side side) { return Pos.pieces[OccupancyIndex + side]; }

// FEN
// The "bm" (best move) or "am" (avoid move) field of an EPD line, as text.
constexpr int MaxTestMoveLength = 9;
struct FenTestMove {
  char kind;  // 'b', 'a', or 0 when the text has none
  char text[MaxTestMoveLength + 1];
};
// Which set-ups readFen accepts: any position with one king per side, or only
// those a game can reach as far as the board shows (kings apart).
enum class FenCheck { AnySetUp, PlayableSetUp };
// Sets up the whole Position from FEN text; an optional "bm"/"am" field is
// copied into `testMove`. Refuses texts without exactly one king per side or
// with a pawn on the first or last rank; a refused text leaves the current
// Position untouched. Search tables are not touched.
bool readFen(const char* text, FenTestMove* testMove = nullptr,
             FenCheck check = FenCheck::AnySetUp);
// Writes placement, side, castling and en passant; returns the terminating NUL.
// The buffer must hold at least 82 characters.
char* writeFen(char* buffer);
// Prints a 64-entry board to standard output.
void printBoard(const PieceCode* board);

// Refreshes the RootSnapshot from the live Position.
void refreshRootSnapshot();

// Hands the move to `side` (the interface's "white"/"black"). An en-passant
// square is there for the side that did not just step two squares: handing
// the move to the other side voids it, key terms included. Handing the move
// back before any move or set-up restores it (GUIs switch the engine's colour
// with "black ... white").
void setSideToMove(Side side);

// Recomputes occupancies, rotated occupancies, keys and material from the
// board and compares them with the incremental values (for tests). The keys
// may differ only by row-0 terms that the rights and en passant explain.
bool positionIsConsistent();
