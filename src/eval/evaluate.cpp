#include "eval/evaluate.h"

#include <cstring>

#include "core/attacks.h"
#include "core/piece_square.h"
#include "core/position.h"
#include "core/side_traits.h"
#include "core/slider_attacks.h"

uint32_t PawnHashTable[1 << PawnHashBits];

namespace {

// Phases and material thresholds.
constexpr int BareKingPhase = 4;       // below it, without pawns, nothing can be won
constexpr int ShelterPhase = 36;       // shelter and exposure count from here up
constexpr int MatingMaterial = 5;      // piece material a pawnless side needs to win
constexpr int AttackingMaterial = 14;  // piece material that makes a king attack count
constexpr int QueenBalanceMaterial = 12;

// Pawn hash entry: key check in the top bits, biased score in the low 16.
constexpr uint32_t PawnHashIndexMask = (1u << PawnHashBits) - 1;
constexpr uint32_t PawnHashCheckMask = 0xFFF00000u;
constexpr uint32_t PawnHashScoreMask = 0xFFFFu;
constexpr int PawnScoreBias = IllegalScore;

// Scores that stay clear of the band the search uses for mate distances, so
// that no static score (even with a pile of promoted queens) reads as a mate
// or overflows the score field of a hash entry.
constexpr int EvaluationLimit = 7900;
static_assert(EvaluationLimit < MateBase - PlyStackSize, "evaluation must stay below mate scores");

// Pawn structure.
constexpr int PawnBaseValue = 100;
constexpr int DoubledPenalty = 8;
constexpr int PassedBonusPerRank = 16;
constexpr int IsolatedPenalty = 16;
constexpr int IsolatedOpenPenalty = 6;
constexpr int PressureUnit = 8;
constexpr int PressureByAttackers[3] = {0, 2, 3};
constexpr int ReliefByDefenders[3] = {0, 1, 2};

// Pieces.
constexpr int KnightBaseValue = 320;
constexpr int BishopBaseValue = 325;
constexpr int RookBaseValue = 500;
constexpr int QueenBaseValue = 950;
constexpr int KnightPawnPivot = 6;  // knights gain with every pawn above this count
constexpr int BishopMobilityUnit = 5;
constexpr int BishopMobilityOffset = 24;
constexpr int RookMobilityUnit = 2;
constexpr int RookMobilityOffset = 14;
constexpr int QueenMobilityOffset = 13;
constexpr int TrappedBishopPenalty = 220;
constexpr int BishopPairBonus = 40;
constexpr int HalfOpenFileBonus = 8;
constexpr int OpenFileExtra = 12;
constexpr int RookBehindPassedBonus = 20;
constexpr int SeventhRankBonus = 18;
constexpr int SeventhKingOnEighthBonus = 48;
constexpr int SeventhKingOnSeventhBonus = 18;

// Material balance.
constexpr int TwoMinorsForRookBonus = 100;
constexpr int ExchangeBonus = 60;
constexpr int QueenAloneBonus = 60;
constexpr int PieceAdvantageBonus = 100;
constexpr int ThreeMinorsForTwoMajorsBonus = 130;

// King shelter.
constexpr int ShelterQueenBase = 5;
constexpr int ShelterQueenExtra = 6;
constexpr int KingSideShelterExtra = 1;
constexpr int QueenSideShelterCut = 2;
// From this exposure on an open neighbouring file costs one point more.
constexpr int ExposedAlready = 4;

// King safety tables.
constexpr int KnightTropism[8] = {4, 5, 5, 2, 1, 0, 0, 0};
constexpr int BishopTropism[8] = {5, 5, 4, 2, 1, 0, 0, 0};
constexpr int RookTropism[8] = {6, 5, 4, 2, 1, 0, 0, 0};
constexpr int QueenTropism[8] = {9, 9, 8, 4, 2, 1, 0, 0};
constexpr int ExposureMultiplier[16] = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4};
constexpr int AttackWeightCount = 128;
constexpr int16_t AttackWeight[AttackWeightCount] = {
    0,   1,   3,   8,   10,  15,  20,  25,  30,  35,  40,  45,  50,  55,  60,  65,  70,  75,  80,
    85,  90,  95,  100, 110, 115, 117, 120, 122, 125, 127, 130, 132, 135, 137, 140, 142, 145, 147,
    150, 152, 155, 157, 160, 162, 165, 167, 170, 172, 165, 167, 170, 172, 175, 177, 190, 192, 195,
    197, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200};

// Squares and rows seen from White; Black's shelter, trap and seventh-rank
// squares are the same squares reflected across the middle of the board.
constexpr int B8 = 1, G8 = 6;
constexpr int A7 = 8, C7 = 10, F7 = 13, H7 = 15;
constexpr int B6 = 17, G6 = 22;
constexpr int A3 = 40, B3 = 41, G3 = 46, H3 = 47;
constexpr int A2 = 48, B2 = 49, C2 = 50, F2 = 53, G2 = 54, H2 = 55;
constexpr int A1 = 56, B1 = 57, C1 = 58, F1 = 61, G1 = 62, H1 = 63;
constexpr int Rank8Row = 0, Rank7Row = 1;
constexpr int LastFile = 7;
constexpr int LastRow = 7;
constexpr int SeventhRankAdvance = 6;  // rows a pawn on its seventh rank has come

constexpr Bitboard LightSquares = [] {
  Bitboard b = 0;
  for (int s = 0; s < 64; ++s) {
    if (((rowOf(s) + fileOf(s)) & 1) == 0) b |= bitOf(s);
  }
  return b;
}();

constexpr Bitboard rowMask(int row) { return Bitboard{0xFF} << (56 - 8 * row); }

template <Side S>
constexpr int relativeRow(int row) {
  return S == White ? row : LastRow - row;
}
template <Side S>
constexpr int reflect(int s) {
  return S == White ? s : s ^ 56;
}
template <Side S>
constexpr Bitboard reflectedBit(int s) {
  return bitOf(reflect<S>(s));
}
template <Side S>
constexpr Bitboard reflectedBits(int a, int b, int c = -1) {
  return reflectedBit<S>(a) | reflectedBit<S>(b) | (c < 0 ? 0 : reflectedBit<S>(c));
}
// Piece-square entry of a non-king piece of side S.
template <Side S>
constexpr int tableIndex(int s) {
  return S == White ? s : 63 - s;
}

inline Bitboard pawnsOf(Side side) { return Pos.pieces[pieceOf(WhitePawn, side)]; }
inline Bitboard piecesOf(PieceCode whiteCode, Side side) {
  return Pos.pieces[pieceOf(whiteCode, side)];
}
inline bool hasQueen(Side side) { return piecesOf(WhiteQueen, side) != 0; }

// King distance (the larger of the file and row distances) by square pair.
constexpr auto Distance = [] {
  struct Table {
    uint8_t d[64][64];
  } t{};
  for (int a = 0; a < 64; ++a) {
    for (int b = 0; b < 64; ++b) {
      const int files = fileOf(a) > fileOf(b) ? fileOf(a) - fileOf(b) : fileOf(b) - fileOf(a);
      const int rows = rowOf(a) > rowOf(b) ? rowOf(a) - rowOf(b) : rowOf(b) - rowOf(a);
      t.d[a][b] = static_cast<uint8_t>(files > rows ? files : rows);
    }
  }
  return t;
}();

inline int distance(int a, int b) { return Distance.d[a][b]; }

// King shelter of side S, from S's view: pawns in front of a castled king.
template <Side S>
int shelterOf() {
  const int q = ShelterQueenBase + (hasQueen(opposite(S)) ? ShelterQueenExtra : 0);
  const Bitboard pawns = pawnsOf(S);
  const Bitboard rooks = piecesOf(WhiteRook, S);
  const Bitboard king = bitOf(Pos.king[S]);
  int score = 0;
  if ((king & reflectedBits<S>(F1, G1, H1)) && !(rooks & reflectedBits<S>(G1, H1))) {
    const int unit = q + KingSideShelterExtra;
    score += unit * popCount(pawns & reflectedBits<S>(F2, G2, H2));
    if (pawns & reflectedBits<S>(G3, H3)) score += unit / 2;
  }
  if ((king & reflectedBits<S>(A1, B1, C1)) && !(rooks & reflectedBits<S>(A1, B1))) {
    const int unit = q - QueenSideShelterCut;
    score += unit * popCount(pawns & reflectedBits<S>(A2, B2, C2));
    if (pawns & reflectedBits<S>(A3, B3)) score += unit / 2;
  }
  return score;
}

// Exposure (0..15) of the king of side S. The neighbouring files are looked
// at towards the h-file first for both sides; the increments grow with the
// exposure found so far, so the order is part of the result.
template <Side S>
int exposureOf() {
  const Bitboard own = pawnsOf(S);
  const Bitboard enemy = pawnsOf(opposite(S));
  const int k = Pos.king[S];
  int exposure = 0;
  if (!(FileMask[k] & own)) exposure = 2;
  if (!(FileMask[k] & enemy)) exposure += exposure ? 2 : 1;
  auto neighbourFile = [&](int square) {
    if (!(FileMask[square] & own)) exposure += exposure < ExposedAlready ? 2 : 3;
    if (!(FileMask[square] & enemy)) exposure += exposure < ExposedAlready ? 1 : 2;
  };
  if (fileOf(k) != LastFile) neighbourFile(k + 1);
  if (fileOf(k) != 0) neighbourFile(k - 1);
  if (hasQueen(opposite(S))) ++exposure;
  return exposure;
}

// Pawn structure of side S, from S's view.
template <Side S>
int pawnStructure(const int16_t* table) {
  const Bitboard own = pawnsOf(S);
  const Bitboard enemy = pawnsOf(opposite(S));
  const Bitboard* forwardAttacks = SideTraits<S>::PawnAttacks;
  const Bitboard* backwardAttacks = SideTraits<S>::PawnSources;
  int score = 0;
  for (Bitboard b = own; b; b &= b - 1) {
    const int s = firstSquare(b);
    // 1. Material and placement.
    score += table[tableIndex<S>(s)] + PawnBaseValue;
    // 2. Passed when no enemy pawn can stop or capture it.
    bool passed = !(PassedPawnMask[S][s] & enemy);
    // 3. Doubled; only the front pawn of a doubled pair stays passed.
    if (FileMask[s] & own) {
      score -= DoubledPenalty;
      if (passed && (FrontSpan[S][s] & own)) passed = false;
    }
    // 4. Passed bonus by ranks advanced.
    const int advanced = S == White ? LastRow - rowOf(s) : rowOf(s);
    if (passed) score += advanced * PassedBonusPerRank;
    // 5. Isolated, worse on a file without an enemy pawn in front.
    if (!(AdjacentFilesMask[s] & own)) {
      score -= IsolatedPenalty;
      if (!(FrontSpan[S][s] & enemy)) score -= IsolatedOpenPenalty;
    } else if (!passed && advanced < SeventhRankAdvance) {
      // 6. Enemy pawns bearing on it, offset by own pawns defending it.
      const int attackers = popCount(forwardAttacks[s] & enemy);
      if (attackers) {
        const int defenders = popCount(backwardAttacks[s] & own);
        score -= PressureUnit * (PressureByAttackers[attackers] - ReliefByDefenders[defenders]);
      }
    }
  }
  return score;
}

// Pawn score from White's view, through the pawn hash table.
int pawnScore() {
  const uint32_t key = Pos.pawnKey;
  uint32_t& entry = PawnHashTable[key & PawnHashIndexMask];
  if (((entry ^ key) & PawnHashCheckMask) == 0 && (entry & PawnHashScoreMask) != 0) {
    return static_cast<int>(entry & PawnHashScoreMask) - PawnScoreBias;
  }
  const int16_t* table = pieceSquareTable(KindPawn, Pos.totalMaterial);
  const int score = pawnStructure<White>(table) - pawnStructure<Black>(table);
  entry = (key & PawnHashCheckMask) | ((score + PawnScoreBias) & PawnHashScoreMask);
  return score;
}

struct AttackCount {
  int sum = 0;
  void add(Bitboard attacks, Bitboard kingZone) { sum += (attacks & kingZone) != 0; }
};

// Knights, bishops, rooks and queens of side S, from S's view. Adds S's
// attack on the enemy king to `attack`.
template <Side S>
int pieceTerms(int phase, int totalPawns, AttackCount& attack) {
  constexpr Side E = opposite(S);
  const Bitboard own = occupancyOf(S);
  const Bitboard ownPawns = pawnsOf(S);
  const Bitboard enemyPawns = pawnsOf(E);
  const int enemyKing = Pos.king[E];
  const Bitboard kingZone = KingAttacks[enemyKing];
  int score = 0;

  const int16_t* knightTable = pieceSquareTable(KindKnight, phase);
  for (Bitboard b = piecesOf(WhiteKnight, S); b; b &= b - 1) {
    const int s = firstSquare(b);
    score += KnightBaseValue + knightTable[tableIndex<S>(s)] + totalPawns - KnightPawnPivot;
    attack.sum += KnightTropism[distance(s, enemyKing)];
    attack.add(KnightAttacks[s], kingZone);
  }

  const Bitboard bishops = piecesOf(WhiteBishop, S);
  const int16_t* bishopTable = pieceSquareTable(KindBishop, phase);
  for (Bitboard b = bishops; b; b &= b - 1) {
    const int s = firstSquare(b);
    score += BishopBaseValue + bishopTable[tableIndex<S>(s)];
    attack.sum += BishopTropism[distance(s, enemyKing)];
    const Bitboard reach = bishopAttacks(s);
    score += BishopMobilityUnit * popCount(reach & ~own) - totalPawns - BishopMobilityOffset;
    attack.add(reach, kingZone);
  }
  // Trapped bishop: counted once however many bishops are caught.
  if ((bishops & reflectedBit<S>(A7) && enemyPawns & reflectedBit<S>(B6)) ||
      (bishops & reflectedBit<S>(B8) && enemyPawns & reflectedBit<S>(C7)) ||
      (bishops & reflectedBit<S>(G8) && enemyPawns & reflectedBit<S>(F7)) ||
      (bishops & reflectedBit<S>(H7) && enemyPawns & reflectedBit<S>(G6))) {
    score -= TrappedBishopPenalty;
  }
  if ((bishops & LightSquares) && (bishops & ~LightSquares)) score += BishopPairBonus;

  const Bitboard rooks = piecesOf(WhiteRook, S);
  const int16_t* rookTable = pieceSquareTable(KindRook, phase);
  for (Bitboard b = rooks; b; b &= b - 1) {
    const int s = firstSquare(b);
    score += RookBaseValue + rookTable[tableIndex<S>(s)];
    attack.sum += RookTropism[distance(s, enemyKing)];
    const Bitboard filePawns = FileMask[s] & ownPawns;
    if (!filePawns) {
      score += HalfOpenFileBonus;
      if (!(FileMask[s] & enemyPawns)) score += OpenFileExtra;
    } else {
      // For both sides the pawn taken is the one nearest rank 1: White's
      // rearmost, Black's most advanced.
      const int p = firstSquare(filePawns);
      const bool behind = S == White ? s > p : s < p;
      if (behind && !(PassedPawnMask[S][p] & enemyPawns)) score += RookBehindPassedBonus;
    }
    const Bitboard reach = rookAttacks(s);
    score += RookMobilityUnit * popCount(reach & ~own) - RookMobilityOffset;
    attack.add(reach, kingZone);
  }
  // Rooks on the seventh, doubled there the more so against a king behind them.
  const int seventh = popCount(rooks & rowMask(relativeRow<S>(Rank7Row)));
  if (seventh) {
    score += SeventhRankBonus;
    if (seventh >= 2) {
      score += SeventhRankBonus;
      const int kingRow = relativeRow<S>(rowOf(enemyKing));
      if (kingRow == Rank8Row) score += SeventhKingOnEighthBonus;
      if (kingRow == Rank7Row) score += SeventhKingOnSeventhBonus;
    }
  }

  const int16_t* queenTable = pieceSquareTable(KindQueen, phase);
  for (Bitboard b = piecesOf(WhiteQueen, S); b; b &= b - 1) {
    const int s = firstSquare(b);
    score += QueenBaseValue + queenTable[tableIndex<S>(s)];
    attack.sum += QueenTropism[distance(s, enemyKing)];
    const Bitboard reach = queenAttacks(s);
    score += popCount(reach & ~own) - QueenMobilityOffset;
    attack.add(reach, kingZone);
  }
  return score;
}

// Adjustment for unbalanced minor (n) and major (m) piece counts, White's view.
int materialBalance() {
  const int n = popCount(piecesOf(WhiteKnight, White) | piecesOf(WhiteBishop, White)) -
                popCount(piecesOf(WhiteKnight, Black) | piecesOf(WhiteBishop, Black));
  const int m = popCount(piecesOf(WhiteRook, White) | piecesOf(WhiteQueen, White)) -
                popCount(piecesOf(WhiteRook, Black) | piecesOf(WhiteQueen, Black));
  const bool whiteQueen = hasQueen(White);
  const bool blackQueen = hasQueen(Black);
  const bool onlyWhiteQueen = whiteQueen && !blackQueen;
  const bool onlyBlackQueen = blackQueen && !whiteQueen;
  const bool queensEven = whiteQueen == blackQueen;
  const bool whiteHeavy = Pos.pieceMaterial[White] >= QueenBalanceMaterial;
  const bool blackHeavy = Pos.pieceMaterial[Black] >= QueenBalanceMaterial;
  int score = 0;
  if (n != 0) {
    switch (m) {
      case -2:
        if (n > 2) score += ThreeMinorsForTwoMajorsBonus;
        break;
      case -1:
        if (n > 1) score += TwoMinorsForRookBonus;
        if (n == 1) score -= ExchangeBonus;
        if (onlyWhiteQueen && whiteHeavy) score += QueenAloneBonus;
        break;
      case 0:
        if (queensEven) score += n > 0 ? PieceAdvantageBonus : -PieceAdvantageBonus;
        break;
      case 1:
        if (n < -1) score -= TwoMinorsForRookBonus;
        if (n == -1) score += ExchangeBonus;
        if (onlyBlackQueen && blackHeavy) score -= QueenAloneBonus;
        break;
      case 2:
        if (n < -2) score -= ThreeMinorsForTwoMajorsBonus;
        break;
      default:
        break;
    }
  } else if (m == 0) {
    if (onlyWhiteQueen) score += QueenAloneBonus;
    if (onlyBlackQueen) score -= QueenAloneBonus;
  } else if (queensEven) {
    score += m > 0 ? PieceAdvantageBonus : -PieceAdvantageBonus;
  } else if (onlyWhiteQueen) {
    if (whiteHeavy) score += QueenAloneBonus;
  } else if (blackHeavy) {
    score -= QueenAloneBonus;
  }
  return score;
}

}  // namespace

int kingShelter(Side side) { return side == White ? shelterOf<White>() : shelterOf<Black>(); }

int kingExposure(Side side) { return side == White ? exposureOf<White>() : exposureOf<Black>(); }

int kingAttackWeight(int attackSum) {
  return AttackWeight[attackSum < AttackWeightCount ? attackSum : AttackWeightCount - 1];
}

int16_t Evaluate() {
  const int phase = Pos.totalMaterial;
  const int totalPawns = Pos.pawnCount[White] + Pos.pawnCount[Black];

  // 1. Bare kings, or a lone minor piece: a draw.
  if (totalPawns == 0 && phase < BareKingPhase) return 0;

  // 2. King placement; both kings read their own square.
  const int16_t* kingTable = pieceSquareTable(KindKing, phase);
  int score = kingTable[Pos.king[White]] - kingTable[Pos.king[Black]];

  // 3. Shelter and exposure matter only with enough material left.
  int exposure[2] = {0, 0};
  if (phase >= ShelterPhase) {
    score += shelterOf<White>() - shelterOf<Black>();
    exposure[White] = exposureOf<White>();
    exposure[Black] = exposureOf<Black>();
  }

  // 4. Pawn structure.
  if (totalPawns) score += pawnScore();

  // 5-8. Pieces, each side's attack on the other king.
  AttackCount attack[2];
  score += pieceTerms<White>(phase, totalPawns, attack[White]);
  score -= pieceTerms<Black>(phase, totalPawns, attack[Black]);

  // 9. Unbalanced material.
  if (Pos.pieceMaterial[White] >= MatingMaterial || Pos.pieceMaterial[Black] >= MatingMaterial) {
    score += materialBalance();
  }

  // 10. King attack, weighed by the exposure of the king under attack.
  if (Pos.pieceMaterial[Black] >= AttackingMaterial) {
    score -= ExposureMultiplier[exposure[White]] * kingAttackWeight(attack[Black].sum);
  }
  if (Pos.pieceMaterial[White] >= AttackingMaterial) {
    score += ExposureMultiplier[exposure[Black]] * kingAttackWeight(attack[White].sum);
  }

  // 11. Side to move; a pawnless side without mating material cannot be ahead.
  if (score > EvaluationLimit) score = EvaluationLimit;
  if (score < -EvaluationLimit) score = -EvaluationLimit;
  const Side toMove = Pos.side == White ? White : Black;
  if (toMove == Black) score = -score;
  if (score > 0 && Pos.pawnCount[toMove] == 0 && Pos.pieceMaterial[toMove] < MatingMaterial) {
    return 0;
  }
  return static_cast<int16_t>(score);
}

void clearPawnHashTable() { std::memset(PawnHashTable, 0, sizeof(PawnHashTable)); }
