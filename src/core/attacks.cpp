// Attack tables and rotated occupancies.
//
// Every sliding lookup is "line occupancy byte -> precomputed attack set". The
// tables are filled here once; afterwards nothing walks a ray during play. The
// ray walks below are the only place where lines are stepped square by square.
#include "core/attacks.h"

#include <array>

Bitboard SquareBit[64];
Bitboard KingAttacks[64];
Bitboard KnightAttacks[64];
Bitboard WhitePawnAttacks[64];
Bitboard BlackPawnAttacks[64];
Bitboard FileMajorBit[64];
Bitboard DiagA1H8Bit[64];
Bitboard DiagA8H1Bit[64];
uint8_t DiagA1H8Shift[64];
uint8_t DiagA1H8Mask[64];
uint8_t DiagA8H1Shift[64];
uint8_t DiagA8H1Mask[64];
Bitboard RankAttacks[64][256];
Bitboard FileAttacks[64][256];
Bitboard DiagA1H8Attacks[64][256];
Bitboard DiagA8H1Attacks[64][256];
Bitboard RookEmpty[64];
Bitboard BishopEmpty[64];
Bitboard QueenEmpty[64];
Bitboard FileMask[64];
Bitboard AdjacentFilesMask[64];
Bitboard PassedPawnMask[2][64];
Bitboard FrontSpan[2][64];
Bitboard EnPassantPairFileMajor[64];
Bitboard EnPassantPairDiagA1H8[64];
Bitboard EnPassantPairDiagA8H1[64];

namespace {

constexpr int BoardSize = 8;
constexpr int DiagonalCount = 15;
constexpr int LineIndexCount = 256;
constexpr Bitboard AFile = 0x8080808080808080ULL;
constexpr Bitboard HFile = 0x0101010101010101ULL;

constexpr bool onBoard(int row, int file) {
  return row >= 0 && row < BoardSize && file >= 0 && file < BoardSize;
}

// Where a square sits inside one rotated occupancy, and which shift and mask
// cut its line out of it.
struct LinePlacement {
  std::array<uint8_t, 64> position{};  // square -> position p (bit 63 - p)
  std::array<uint8_t, 64> shift{};
  std::array<uint8_t, 64> mask{};
};

constexpr LinePlacement fileMajorPlacement() {
  LinePlacement placement;
  for (int s = 0; s < 64; ++s) {
    placement.position[s] = static_cast<uint8_t>(56 + rowOf(s) - 8 * fileOf(s));
    placement.shift[s] = static_cast<uint8_t>(8 * fileOf(s));
    placement.mask[s] = 255;
  }
  return placement;
}

// Diagonals are stored one after another, each in ascending file order.
// diagonalOf numbers them in storage order; the squares of diagonal d are
// those with diagonalOf(square) == d.
template <typename DiagonalOf>
constexpr LinePlacement diagonalPlacement(DiagonalOf diagonalOf) {
  LinePlacement placement;
  int start = 0;
  for (int d = 0; d < DiagonalCount; ++d) {
    int length = 0;
    for (int file = 0; file < BoardSize; ++file)
      for (int row = 0; row < BoardSize; ++row)
        if (diagonalOf(row, file) == d) {
          placement.position[row * 8 + file] = static_cast<uint8_t>(start + length);
          ++length;
        }
    for (int s = 0; s < 64; ++s)
      if (diagonalOf(rowOf(s), fileOf(s)) == d) {
        placement.shift[s] = static_cast<uint8_t>(64 - start - length);
        placement.mask[s] = static_cast<uint8_t>((1 << length) - 1);
      }
    start += length;
  }
  return placement;
}

// a1-h8 direction: row + file is constant, a8 (0) first, h1 (14) last.
constexpr int diagonalA1H8(int row, int file) { return row + file; }
// a8-h1 direction: file - row is constant, h8 (7) first, a1 (-7) last.
constexpr int diagonalA8H1(int row, int file) { return 7 - (file - row); }

constexpr LinePlacement FileMajor = fileMajorPlacement();
constexpr LinePlacement DiagA1H8 = diagonalPlacement(diagonalA1H8);
constexpr LinePlacement DiagA8H1 = diagonalPlacement(diagonalA8H1);

Bitboard permute(Bitboard occupancy, const std::array<uint8_t, 64>& position) {
  Bitboard result = 0;
  while (occupancy) {
    result |= bitOf(position[firstSquare(occupancy)]);
    occupancy &= occupancy - 1;
  }
  return result;
}

// Bit of square t inside the line index of a placement (its line's byte).
int lineIndexBit(const LinePlacement& placement, int t) {
  return (63 - placement.position[t]) - placement.shift[t];
}

struct Step {
  int row;
  int file;
};

// Squares reached from s along the two opposite steps, each direction up to
// and including the first square whose bit is set in the line index k.
Bitboard walkLine(int s, int k, const LinePlacement& placement, Step forward) {
  Bitboard reached = 0;
  for (int sign : {1, -1}) {
    int row = rowOf(s) + sign * forward.row;
    int file = fileOf(s) + sign * forward.file;
    while (onBoard(row, file)) {
      int t = row * 8 + file;
      reached |= bitOf(t);
      if (k & (1 << lineIndexBit(placement, t))) break;
      row += sign * forward.row;
      file += sign * forward.file;
    }
  }
  return reached;
}

// Indices above the square's mask never occur; they stay empty.
void fillLineTable(Bitboard table[64][256], const LinePlacement& placement, Step forward) {
  for (int s = 0; s < 64; ++s)
    for (int k = 0; k < LineIndexCount; ++k)
      table[s][k] = k <= placement.mask[s] ? walkLine(s, k, placement, forward) : 0;
}

Bitboard leaperAttacks(int s, const Step* steps, int count) {
  Bitboard attacks = 0;
  for (int i = 0; i < count; ++i) {
    int row = rowOf(s) + steps[i].row;
    int file = fileOf(s) + steps[i].file;
    if (onBoard(row, file)) attacks |= bitOf(row * 8 + file);
  }
  return attacks;
}

// The file of s on the given rows, and the same rows on the neighbouring files.
Bitboard filesOnRows(int s, int firstRow, int lastRow, bool withNeighbours) {
  Bitboard set = 0;
  for (int row = firstRow; row <= lastRow; ++row)
    for (int file = fileOf(s) - 1; file <= fileOf(s) + 1; ++file)
      if (onBoard(row, file) && (withNeighbours || file == fileOf(s))) set |= bitOf(row * 8 + file);
  return set;
}

void initLeapers() {
  static constexpr Step KingSteps[] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                       {0, 1},   {1, -1}, {1, 0},  {1, 1}};
  static constexpr Step KnightSteps[] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2},
                                         {1, -2},  {1, 2},  {2, -1},  {2, 1}};
  // 1. King.
  for (int s = 0; s < 64; ++s) KingAttacks[s] = leaperAttacks(s, KingSteps, 8);
  // 2. Pawns: a White pawn attacks towards rank 8 (higher bits), a Black pawn
  //    towards rank 1; the file masks stop wrap-around between a and h.
  for (int s = 0; s < 64; ++s) {
    Bitboard b = bitOf(s);
    WhitePawnAttacks[s] = ((b & ~AFile) << 9) | ((b & ~HFile) << 7);
    BlackPawnAttacks[s] = ((b & ~HFile) >> 9) | ((b & ~AFile) >> 7);
  }
  // 3. Knight.
  for (int s = 0; s < 64; ++s) KnightAttacks[s] = leaperAttacks(s, KnightSteps, 8);
}

// The rank placement is the all-occupancy itself.
constexpr LinePlacement rankPlacement() {
  LinePlacement placement;
  for (int s = 0; s < 64; ++s) {
    placement.position[s] = static_cast<uint8_t>(s);
    placement.shift[s] = static_cast<uint8_t>(8 * (7 - rowOf(s)));
    placement.mask[s] = 255;
  }
  return placement;
}
constexpr LinePlacement Rank = rankPlacement();

void initSlidingTables() {
  // 4-7. Rank, file and both diagonals.
  fillLineTable(RankAttacks, Rank, {0, 1});
  fillLineTable(FileAttacks, FileMajor, {1, 0});
  fillLineTable(DiagA1H8Attacks, DiagA1H8, {-1, 1});
  fillLineTable(DiagA8H1Attacks, DiagA8H1, {-1, -1});
}

void initSquareTables() {
  // 8. Single-square bits, encodings and pawn-structure masks.
  for (int s = 0; s < 64; ++s) {
    SquareBit[s] = bitOf(s);
    FileMajorBit[s] = toFileMajor(SquareBit[s]);
    DiagA1H8Bit[s] = toDiagA1H8(SquareBit[s]);
    DiagA8H1Bit[s] = toDiagA8H1(SquareBit[s]);
    DiagA1H8Shift[s] = DiagA1H8.shift[s];
    DiagA1H8Mask[s] = DiagA1H8.mask[s];
    DiagA8H1Shift[s] = DiagA8H1.shift[s];
    DiagA8H1Mask[s] = DiagA8H1.mask[s];

    const int row = rowOf(s);
    FileMask[s] = filesOnRows(s, 0, 7, false) & ~SquareBit[s];
    AdjacentFilesMask[s] = filesOnRows(s, 0, 7, true) & ~filesOnRows(s, 0, 7, false);
    PassedPawnMask[White][s] = filesOnRows(s, 0, row - 1, true);
    PassedPawnMask[Black][s] = filesOnRows(s, row + 1, 7, true);
    FrontSpan[White][s] = filesOnRows(s, 0, row - 1, false);
    FrontSpan[Black][s] = filesOnRows(s, row + 1, 7, false);
  }
  // Empty-board attacks: each line indexed as if only s were occupied.
  for (int s = 0; s < 64; ++s) {
    const Bitboard only = SquareBit[s];
    RookEmpty[s] = RankAttacks[s][(only >> Rank.shift[s]) & 255] |
                   FileAttacks[s][(FileMajorBit[s] >> FileMajor.shift[s]) & 255];
    BishopEmpty[s] = DiagA1H8Attacks[s][(DiagA1H8Bit[s] >> DiagA1H8Shift[s]) & DiagA1H8Mask[s]] |
                     DiagA8H1Attacks[s][(DiagA8H1Bit[s] >> DiagA8H1Shift[s]) & DiagA8H1Mask[s]];
    QueenEmpty[s] = RookEmpty[s] | BishopEmpty[s];
  }
}

void initEnPassantPairs() {
  // 9. The capturing pawn's destination and the pawn taken, in each encoding.
  constexpr int Rank6First = 16, Rank3First = 40;
  for (int i = 0; i < BoardSize; ++i) {
    const int blackTarget = Rank6First + i;  // White captures; Black pawn one row below
    const int whiteTarget = Rank3First + i;  // Black captures; White pawn one row above
    for (auto [e, taken] :
         {std::pair{blackTarget, blackTarget + 8}, std::pair{whiteTarget, whiteTarget - 8}}) {
      EnPassantPairFileMajor[e] = FileMajorBit[e] | FileMajorBit[taken];
      EnPassantPairDiagA1H8[e] = DiagA1H8Bit[e] | DiagA1H8Bit[taken];
      EnPassantPairDiagA8H1[e] = DiagA8H1Bit[e] | DiagA8H1Bit[taken];
    }
  }
}

}  // namespace

Bitboard toFileMajor(Bitboard occupancy) { return permute(occupancy, FileMajor.position); }
Bitboard toDiagA1H8(Bitboard occupancy) { return permute(occupancy, DiagA1H8.position); }
Bitboard toDiagA8H1(Bitboard occupancy) { return permute(occupancy, DiagA8H1.position); }

void initAttackTables() {
  initLeapers();
  initSlidingTables();
  initSquareTables();
  initEnPassantPairs();
}
