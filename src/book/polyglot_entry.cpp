#include "book/polyglot_entry.h"

namespace {

constexpr int ToFileShift = 0;
constexpr int ToRankShift = 3;
constexpr int FromFileShift = 6;
constexpr int FromRankShift = 9;
constexpr int PromotionShift = 12;
enum PolyglotPromotion : int {
  NoPromotion = 0,
  ToKnight = 1,
  ToBishop = 2,
  ToRook = 3,
  ToQueen = 4
};

int rankIndex(int square) { return 7 - rowOf(square); }  // rank 1 is 0

uint16_t encodeSquares(int from, int to, int promotion) {
  return static_cast<uint16_t>(fileOf(to) << ToFileShift | rankIndex(to) << ToRankShift |
                               fileOf(from) << FromFileShift | rankIndex(from) << FromRankShift |
                               promotion << PromotionShift);
}

int promotionOf(Move move) {
  switch (moveType(move)) {
    case PromoteKnight:
    case CapturePromoteKnight:
      return ToKnight;
    case PromoteBishop:
    case CapturePromoteBishop:
      return ToBishop;
    case PromoteRook:
    case CapturePromoteRook:
      return ToRook;
    case PromoteQueen:
    case CapturePromoteQueen:
      return ToQueen;
    default:
      return NoPromotion;
  }
}

bool isCastling(Move move) { return moveType(move) >= BlackCastleKing; }

// Castling's rook square: the king's destination on the g file means h, on c means a.
int castlingRookSquare(Move move) {
  const int to = moveTo(move);
  return fileOf(to) == 6 ? to + 1 : to - 2;
}

}  // namespace

void encodePolyglotEntry(const PolyglotEntry& entry, uint8_t* out) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(entry.key >> (56 - 8 * i));
  out[8] = static_cast<uint8_t>(entry.move >> 8);
  out[9] = static_cast<uint8_t>(entry.move);
  out[10] = static_cast<uint8_t>(entry.weight >> 8);
  out[11] = static_cast<uint8_t>(entry.weight);
  for (int i = 0; i < 4; ++i) out[12 + i] = static_cast<uint8_t>(entry.learn >> (24 - 8 * i));
}

PolyglotEntry decodePolyglotEntry(const uint8_t* in) {
  PolyglotEntry entry{};
  for (int i = 0; i < 8; ++i) entry.key = entry.key << 8 | in[i];
  entry.move = static_cast<uint16_t>(in[8] << 8 | in[9]);
  entry.weight = static_cast<uint16_t>(in[10] << 8 | in[11]);
  for (int i = 0; i < 4; ++i) entry.learn = entry.learn << 8 | in[12 + i];
  return entry;
}

uint16_t toPolyglotMove(Move move) {
  const int to = isCastling(move) ? castlingRookSquare(move) : moveTo(move);
  return encodeSquares(moveFrom(move), to, promotionOf(move));
}

bool polyglotMoveMatches(uint16_t bookMove, Move move) {
  if (bookMove == toPolyglotMove(move)) return true;
  return isCastling(move) && bookMove == encodeSquares(moveFrom(move), moveTo(move), NoPromotion);
}
