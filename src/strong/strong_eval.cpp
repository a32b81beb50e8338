// The evaluation is written once for tracing and once for play (one
// template): the traced form also counts, for each weight, how often it
// applied, which is what the tuner fits.
#include "strong/strong_eval.h"

#include <algorithm>
#include <cstdlib>

#include "core/attacks.h"
#include "core/position.h"
#include "core/side_traits.h"
#include "core/slider_attacks.h"
#include "strong/board_view.h"
#include "strong/kpk.h"

namespace {

const Score* Weights = TunedWeights;

constexpr int PawnTableBits = 16;
struct PawnEntry {
  uint32_t key;
  bool valid;
  Score score;  // White's view
  Bitboard passed;
};
PawnEntry PawnTable[1 << PawnTableBits];

constexpr Bitboard LightSquares = 0x55AA55AA55AA55AAULL;
constexpr int SafetyMgDivisor = 720;
constexpr int SafetyEgDivisor = 20;
constexpr int PhaseWeight[6] = {0, 1, 1, 2, 4, 0};
// Known endings scored outside the weights.
constexpr int KpkWinBonus = 600;
constexpr int MopUpBase = 300;
constexpr int FiftyMoveScaleRange = 200;

inline Bitboard fileBitsOf(int square) { return FileMask[square] | bitOf(square); }
inline int distance(int a, int b) {
  return std::max(std::abs((a & 7) - (b & 7)), std::abs((a >> 3) - (b >> 3)));
}
// Ranks at and ahead of `square`'s rank, as `side` sees ahead.
inline Bitboard ranksAheadFrom(Side side, int square) {
  const int row = square >> 3;
  return side == White ? ~Bitboard{0} << (56 - row * 8) : ~Bitboard{0} >> (row * 8);
}
// The pawn of `side` in `pawns` nearest its own first rank.
inline int backmost(Side side, Bitboard pawns) {
  return side == White ? firstSquare(pawns) : __builtin_clzll(pawns);
}
inline int rankIndex(int square) { return 7 - (square >> 3); }

// A rook or queen, two bishops, or bishop and knight mate a bare king.
inline bool canForceMate(Side side) {
  const int bishops = popCount(Pos.pieces[pieceOf(WhiteBishop, side)]);
  const int knights = popCount(Pos.pieces[pieceOf(WhiteKnight, side)]);
  return Pos.pieces[pieceOf(WhiteRook, side)] || Pos.pieces[pieceOf(WhiteQueen, side)] ||
         bishops >= 2 || (bishops && knights);
}

template <bool Tracing>
class Evaluator {
 public:
  explicit Evaluator(EvalTrace* trace) : trace_(trace) {}
  int run();

 private:
  void add(Side side, int index, int count = 1) {
    const Score w = Weights[index] * count;
    score_ += side == White ? w : -w;
    if constexpr (Tracing)
      trace_->linear[index] += static_cast<int16_t>(side == White ? count : -count);
  }
  void addSafety(Side attacker, int index, int count = 1) {
    safety_[attacker] += Weights[index] * count;
    if constexpr (Tracing) trace_->safety[opposite(attacker)][index] += static_cast<int16_t>(count);
  }
  void noteAttacks(Side side, int kind, Bitboard attacks) {
    attackedTwice_[side] |= attackedAll_[side] & attacks;
    attackedAll_[side] |= attacks;
    attacked_[side][kind] |= attacks;
  }

  void setUp();
  void materialAndSquares();
  template <Side S>
  Score pawnStructure(Bitboard& passed);
  void pawns();
  template <Side S>
  void pieces();
  template <Side S>
  void king();
  template <Side S>
  void threats();
  template <Side S>
  void passedPawns();
  int phase() const;
  int endgameScale(int eg) const;
  bool knownEnding(int& value) const;

  EvalTrace* trace_;
  Score score_ = 0;
  Score safety_[2] = {0, 0};
  Bitboard pawns_[2];
  Bitboard attacked_[2][6] = {};
  Bitboard attackedAll_[2] = {};
  Bitboard attackedTwice_[2] = {};
  Bitboard mobilityArea_[2];
  Bitboard kingZone_[2];
  Bitboard passed_ = 0;
  int kingAttackers_[2] = {0, 0};
  int attackerKinds_[2][4] = {};
  int zoneAttacks_[2] = {0, 0};
};

template <bool Tracing>
void Evaluator<Tracing>::setUp() {
  pawns_[White] = Pos.pieces[WhitePawn];
  pawns_[Black] = Pos.pieces[BlackPawn];
  const Bitboard pawnAttacks[2] = {pawnAttackSet<Black>(pawns_[Black]),
                                   pawnAttackSet<White>(pawns_[White])};
  for (Side side : {Black, White}) {
    const int k = Pos.king[side];
    noteAttacks(side, KindPawn, pawnAttacks[side]);
    noteAttacks(side, KindKing, KingAttacks[k]);
    kingZone_[side] = KingAttacks[k] | bitOf(k);
  }
  for (Side side : {Black, White}) {
    mobilityArea_[side] = ~(pawns_[side] | pawnAttacks[opposite(side)] | bitOf(Pos.king[side]));
  }
}

template <bool Tracing>
void Evaluator<Tracing>::materialAndSquares() {
  for (int code = WhitePawn; code <= BlackQueen; ++code) {
    const Side side = ownerOf(static_cast<PieceCode>(code));
    const int kind = kindOf(static_cast<PieceCode>(code));
    for (Bitboard b = Pos.pieces[code]; b; b &= b - 1) {
      const int s = firstSquare(b);
      add(side, Term::Material + kind);
      add(side, Term::PieceSquare + kind * 64 + (side == White ? s : s ^ 56));
    }
  }
  for (Side side : {Black, White}) {
    const int s = Pos.king[side];
    add(side, Term::PieceSquare + KindKing * 64 + (side == White ? s : s ^ 56));
  }
}

template <bool Tracing>
template <Side S>
Score Evaluator<Tracing>::pawnStructure(Bitboard& passed) {
  constexpr Side Them = opposite(S);
  using T = SideTraits<S>;
  const Score before = score_;
  const Bitboard own = pawns_[S], theirs = pawns_[Them];
  const Bitboard theirAttacks = pawnAttackSet<Them>(theirs);
  for (Bitboard b = own; b; b &= b - 1) {
    const int s = firstSquare(b);
    const int rank = relativeRank(S, s);
    const int stop = s + T::Forward;
    if (FrontSpan[S][s] & own) add(S, Term::PawnDoubled);
    const Bitboard neighbours = AdjacentFilesMask[s] & own;
    if (!neighbours) {
      add(S, Term::PawnIsolated);
    } else {
      const Bitboard supporters = T::PawnSources[s] & own;
      const Bitboard phalanx = neighbours & rankBitsOf(rankIndex(s) + 1);
      if (supporters | phalanx) {
        add(S, Term::PawnConnected + rank);
      } else if (!(neighbours & ~PassedPawnMask[S][s]) && (theirAttacks & bitOf(stop))) {
        add(S, Term::PawnBackward);
      }
    }
    if (!(PassedPawnMask[S][s] & theirs) && !(FrontSpan[S][s] & own)) passed |= bitOf(s);
  }
  return score_ - before;
}

template <bool Tracing>
void Evaluator<Tracing>::pawns() {
  if constexpr (Tracing) {
    pawnStructure<White>(passed_);
    pawnStructure<Black>(passed_);
  } else {
    PawnEntry& entry = PawnTable[Pos.pawnKey & ((1u << PawnTableBits) - 1)];
    if (entry.valid && entry.key == Pos.pawnKey) {
      score_ += entry.score;
      passed_ = entry.passed;
      return;
    }
    const Score score = pawnStructure<White>(passed_) + pawnStructure<Black>(passed_);
    entry = {Pos.pawnKey, true, score, passed_};
  }
}

template <bool Tracing>
template <Side S>
void Evaluator<Tracing>::pieces() {
  constexpr Side Them = opposite(S);
  using T = SideTraits<S>;
  const Bitboard own = pawns_[S], theirs = pawns_[Them];
  const Bitboard allPawns = own | theirs;
  const Bitboard zone = kingZone_[Them];
  const auto kingAttack = [&](int slot, Bitboard attacks) {
    if (attacks & zone) {
      ++kingAttackers_[S];
      ++attackerKinds_[S][slot];
      zoneAttacks_[S] += popCount(attacks & zone);
    }
  };
  const auto outpost = [&](int s) {
    const int rank = relativeRank(S, s);
    return rank >= 3 && rank <= 5 && !(PassedPawnMask[S][s] & AdjacentFilesMask[s] & theirs);
  };

  for (Bitboard b = Pos.pieces[T::Knight]; b; b &= b - 1) {
    const int s = firstSquare(b);
    const Bitboard attacks = KnightAttacks[s];
    noteAttacks(S, KindKnight, attacks);
    add(S, Term::KnightMobility + popCount(attacks & mobilityArea_[S]));
    if (outpost(s)) add(S, Term::KnightOutpost + ((attacked_[S][KindPawn] & bitOf(s)) ? 1 : 0));
    if (forwardOf<S>(bitOf(s)) & allPawns) add(S, Term::MinorBehindPawn);
    kingAttack(0, attacks);
  }
  const Bitboard bishops = Pos.pieces[T::Bishop];
  if (bishops & (bishops - 1)) add(S, Term::BishopPair);
  const Bitboard rammed = own & forwardOf<Them>(theirs);
  for (Bitboard b = bishops; b; b &= b - 1) {
    const int s = firstSquare(b);
    const Bitboard attacks = bishopAttacks(s);
    noteAttacks(S, KindBishop, attacks);
    add(S, Term::BishopMobility + popCount(attacks & mobilityArea_[S]));
    if (outpost(s)) add(S, Term::BishopOutpost + ((attacked_[S][KindPawn] & bitOf(s)) ? 1 : 0));
    if (forwardOf<S>(bitOf(s)) & allPawns) add(S, Term::MinorBehindPawn);
    const Bitboard colour = (LightSquares & bitOf(s)) ? LightSquares : ~LightSquares;
    const int blocked = popCount(rammed & colour);
    if (blocked) add(S, Term::BishopRammedPawns, blocked);
    kingAttack(1, attacks);
  }
  for (Bitboard b = Pos.pieces[T::Rook]; b; b &= b - 1) {
    const int s = firstSquare(b);
    const Bitboard attacks = rookAttacks(s);
    noteAttacks(S, KindRook, attacks);
    add(S, Term::RookMobility + popCount(attacks & mobilityArea_[S]));
    const Bitboard file = fileBitsOf(s);
    if (!(file & own)) add(S, Term::RookFile + ((file & theirs) ? 0 : 1));
    if (relativeRank(S, s) == 6 &&
        (relativeRank(S, Pos.king[Them]) == 7 || (theirs & rankBitsOf(rankIndex(s) + 1))))
      add(S, Term::RookOnSeventh);
    kingAttack(2, attacks);
  }
  for (Bitboard b = Pos.pieces[T::Queen]; b; b &= b - 1) {
    const int s = firstSquare(b);
    const Bitboard attacks = queenAttacks(s);
    noteAttacks(S, KindQueen, attacks);
    add(S, Term::QueenMobility + popCount(attacks & mobilityArea_[S]));
    kingAttack(3, attacks);
  }
}

template <bool Tracing>
template <Side S>
void Evaluator<Tracing>::king() {
  constexpr Side Them = opposite(S);
  const int k = Pos.king[S];
  // 1. Shelter and storm on the king's file and the two beside it.
  const int kingFile = std::clamp(k & 7, 1, 6);
  const Bitboard ahead = ranksAheadFrom(S, k);
  for (int file = kingFile - 1; file <= kingFile + 1; ++file) {
    const Bitboard fileBits = FileABits >> file;
    const Bitboard ours = pawns_[S] & fileBits & ahead;
    const Bitboard theirs = pawns_[Them] & fileBits & ahead;
    const int ourPawn = ours ? backmost(S, ours) : -1;
    const int theirPawn = theirs ? backmost(S, theirs) : -1;
    const int ourDistance = ourPawn < 0 ? 7 : std::abs(rankIndex(k) - rankIndex(ourPawn));
    const int theirDistance = theirPawn < 0 ? 7 : std::abs(rankIndex(k) - rankIndex(theirPawn));
    add(S, Term::KingShelter + (file == (k & 7) ? 64 : 0) + file * 8 + ourDistance);
    const bool blocked =
        ourPawn >= 0 && theirPawn >= 0 && theirPawn == ourPawn + SideTraits<S>::Forward;
    add(S, Term::KingStorm + (blocked ? 32 : 0) + std::min(file, 7 - file) * 8 + theirDistance);
  }
  // 2. The attack on this king, summed for the attacker.
  const Bitboard theirQueens = Pos.pieces[pieceOf(WhiteQueen, Them)];
  if (kingAttackers_[Them] <= 1 - popCount(theirQueens)) return;
  for (int slot = 0; slot < 4; ++slot) {
    if (attackerKinds_[Them][slot])
      addSafety(Them, Term::SafetyAttacker + slot, attackerKinds_[Them][slot]);
  }
  if (zoneAttacks_[Them]) addSafety(Them, Term::SafetyZoneAttacks, zoneAttacks_[Them]);
  const Bitboard weak = attackedAll_[Them] & ~attackedTwice_[S] &
                        (~attackedAll_[S] | attacked_[S][KindQueen] | attacked_[S][KindKing]);
  const int weakInZone = popCount(weak & kingZone_[S]);
  if (weakInZone) addSafety(Them, Term::SafetyWeakSquares, weakInZone);
  const Bitboard safe = ~sideOccupancy(Them) & (~attackedAll_[S] | (weak & attackedTwice_[Them]));
  const Bitboard diagonal = bishopAttacks(k), orthogonal = rookAttacks(k);
  const Bitboard checks[4] = {KnightAttacks[k] & attacked_[Them][KindKnight] & safe,
                              diagonal & attacked_[Them][KindBishop] & safe,
                              orthogonal & attacked_[Them][KindRook] & safe,
                              (diagonal | orthogonal) & attacked_[Them][KindQueen] & safe};
  for (int slot = 0; slot < 4; ++slot) {
    if (checks[slot]) addSafety(Them, Term::SafetySafeCheck + slot, popCount(checks[slot]));
  }
  if (!theirQueens) addSafety(Them, Term::SafetyNoQueen);
  addSafety(Them, Term::SafetyAdjustment);
}

template <bool Tracing>
template <Side S>
void Evaluator<Tracing>::threats() {
  constexpr Side Them = opposite(S);
  const Bitboard theirPieces = sideOccupancy(Them) & ~bitOf(Pos.king[Them]);
  const Bitboard theirNonPawns = theirPieces & ~pawns_[Them];
  const int byPawn = popCount(attacked_[S][KindPawn] & theirNonPawns);
  if (byPawn) add(S, Term::ThreatByPawn, byPawn);
  const Bitboard minorAttacks = attacked_[S][KindKnight] | attacked_[S][KindBishop];
  for (Bitboard b = theirPieces & minorAttacks; b; b &= b - 1)
    add(S, Term::ThreatByMinor + kindOf(Pos.board[firstSquare(b)]));
  for (Bitboard b = theirPieces & attacked_[S][KindRook]; b; b &= b - 1)
    add(S, Term::ThreatByRook + kindOf(Pos.board[firstSquare(b)]));
  const Bitboard undefended = theirPieces & ~attackedAll_[Them];
  const int byKing = popCount(undefended & attacked_[S][KindKing]);
  if (byKing) add(S, Term::ThreatByKing, byKing);
  const int hanging = popCount(undefended & attackedAll_[S]);
  if (hanging) add(S, Term::HangingPiece, hanging);
  Bitboard pushes = forwardOf<S>(pawns_[S]) & ~Pos.all;
  pushes |= forwardOf<S>(pushes & rankBitsOf(S == White ? 3 : 6)) & ~Pos.all;
  const Bitboard safePushes =
      pushes & ~attacked_[Them][KindPawn] & (attackedAll_[S] | ~attackedAll_[Them]);
  const int byPush = popCount(pawnAttackSet<S>(safePushes) & theirNonPawns);
  if (byPush) add(S, Term::ThreatByPawnPush, byPush);
}

template <bool Tracing>
template <Side S>
void Evaluator<Tracing>::passedPawns() {
  constexpr Side Them = opposite(S);
  for (Bitboard b = passed_ & pawns_[S]; b; b &= b - 1) {
    const int s = firstSquare(b);
    const int rank = relativeRank(S, s);
    const int stop = s + SideTraits<S>::Forward;
    const int canAdvance = Pos.board[stop] == Empty ? 1 : 0;
    const int safeAdvance = (attackedAll_[Them] & bitOf(stop)) ? 0 : 1;
    add(S, Term::PassedPawn + canAdvance * 16 + safeAdvance * 8 + rank);
    add(S, Term::PassedOwnKingDistance + rank, distance(Pos.king[S], stop));
    add(S, Term::PassedEnemyKingDistance + rank, distance(Pos.king[Them], stop));
    if (!(FrontSpan[S][s] & (attackedAll_[Them] | sideOccupancy(Them))))
      add(S, Term::PassedSafePath);
  }
}

template <bool Tracing>
int Evaluator<Tracing>::phase() const {
  int phase = 0;
  for (int code = WhiteKnight; code <= BlackQueen; ++code)
    phase += PhaseWeight[kindOf(static_cast<PieceCode>(code))] * popCount(Pos.pieces[code]);
  return std::min(phase, PhaseMax);
}

// 128ths of the endgame score that a side ahead can turn into a win.
template <bool Tracing>
int Evaluator<Tracing>::endgameScale(int eg) const {
  const Side strong = eg > 0 ? White : Black;
  const Side weak = opposite(strong);
  const int strongMaterial = nonPawnMaterial(strong), weakMaterial = nonPawnMaterial(weak);
  const Bitboard bishops[2] = {Pos.pieces[BlackBishop], Pos.pieces[WhiteBishop]};
  // Opposite-coloured bishops.
  if (popCount(bishops[White]) == 1 && popCount(bishops[Black]) == 1 &&
      ((bishops[White] & LightSquares) != 0) != ((bishops[Black] & LightSquares) != 0)) {
    const bool bishopsAlone = nonPawnMaterial(White) == MaterialUnits[WhiteBishop] &&
                              nonPawnMaterial(Black) == MaterialUnits[BlackBishop];
    const int extraPawns = std::clamp(popCount(pawns_[strong]) - popCount(pawns_[weak]), 0, 4);
    return bishopsAlone ? 48 + 8 * extraPawns : 96;
  }
  // No pawns and at most a minor piece more: hard or impossible to win.
  if (!pawns_[strong] && strongMaterial - weakMaterial <= MaterialUnits[WhiteBishop])
    return strongMaterial < MaterialUnits[WhiteRook] ? 0 : 16;
  // Two knights alone cannot force mate.
  if (!pawns_[strong] && !weakMaterial && !pawns_[weak] &&
      strongMaterial == 2 * MaterialUnits[WhiteKnight] &&
      popCount(Pos.pieces[pieceOf(WhiteKnight, strong)]) == 2)
    return 0;
  return ScaleNormal;
}

// King and pawn against king, and a bare king against mating material.
template <bool Tracing>
bool Evaluator<Tracing>::knownEnding(int& value) const {
  for (Side strong : {Black, White}) {
    const Side weak = opposite(strong);
    if (nonPawnMaterial(weak) || pawns_[weak]) continue;
    if (!nonPawnMaterial(strong) && popCount(pawns_[strong]) == 1) {
      const int pawn = firstSquare(pawns_[strong]);
      const bool wins = kpkWins(strong, Pos.king[strong], pawn, Pos.king[weak], Pos.side);
      const int score = wins ? KpkWinBonus + 20 * relativeRank(strong, pawn) : 0;
      value = strong == White ? score : -score;
      return true;
    }
    if (!pawns_[strong] && canForceMate(strong)) {
      const int w = Pos.king[weak], s = Pos.king[strong];
      const int centre =
          std::max(3 - std::min(w & 7, 7 - (w & 7)), 3 - std::min(w >> 3, 7 - (w >> 3)));
      const int score =
          MopUpBase + 100 * nonPawnMaterial(strong) / 3 + 20 * centre + 10 * (7 - distance(w, s));
      value = strong == White ? score : -score;
      return true;
    }
  }
  return false;
}

template <bool Tracing>
int Evaluator<Tracing>::run() {
  setUp();
  int known = 0;
  if (knownEnding(known)) {
    if constexpr (Tracing) trace_->special = true;
    return Pos.side == White ? known : -known;
  }
  materialAndSquares();
  pawns();
  pieces<White>();
  pieces<Black>();
  king<White>();
  king<Black>();
  threats<White>();
  threats<Black>();
  passedPawns<White>();
  passedPawns<Black>();
  add(Pos.side, Term::Tempo);

  int mg = mgOf(score_), eg = egOf(score_);
  for (Side attacker : {Black, White}) {
    const int sign = attacker == White ? 1 : -1;
    const int safetyMg = std::max(mgOf(safety_[attacker]), 0);
    const int safetyEg = std::max(egOf(safety_[attacker]), 0);
    mg += sign * safetyMg * safetyMg / SafetyMgDivisor;
    eg += sign * safetyEg / SafetyEgDivisor;
  }
  const int gamePhase = phase();
  const int scale = endgameScale(eg);
  if constexpr (Tracing) {
    trace_->phase = gamePhase;
    trace_->scale = scale;
  }
  int value = (mg * gamePhase + eg * scale / ScaleNormal * (PhaseMax - gamePhase)) / PhaseMax;
  if constexpr (!Tracing) {
    const int reversible = std::min<int>(Pos.historyTop->reversible, 100);
    value = value * (FiftyMoveScaleRange - reversible) / FiftyMoveScaleRange;
  }
  return Pos.side == White ? value : -value;
}

}  // namespace

void useEvalWeights(const Score* weights) { Weights = weights != nullptr ? weights : TunedWeights; }

int strongEvaluate() { return Evaluator<false>(nullptr).run(); }

void clearStrongPawnTable() {
  for (PawnEntry& e : PawnTable) e.valid = false;
}

int traceEvaluation(EvalTrace& trace) {
  trace = EvalTrace{};
  trace.scale = ScaleNormal;
  return Evaluator<true>(&trace).run();
}
