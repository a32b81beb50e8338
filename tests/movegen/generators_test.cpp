#include "movegen/generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/make_move.h"
#include "core/piece_square.h"
#include "core/position.h"
#include "movegen/legality.h"
#include "movegen/perft_suite.h"
#include "support/test_support.h"

namespace {

constexpr int sq(const char* name) { return squareOf(name[0] - 'a', name[1] - '0'); }
Move mv(const char* from, const char* to, int type) {
  return makeMoveValue(sq(from), sq(to), type);
}

struct Generated {
  int16_t score;
  Move move;
  bool operator==(const Generated& o) const { return score == o.score && move == o.move; }
};

std::ostream& operator<<(std::ostream& out, const Generated& g) {
  return out << "{" << g.score << ", 0x" << std::hex << g.move << std::dec << "}";
}

enum class Kind { All, Captures, Evasions };

std::vector<Generated> generate(Kind kind) {
  static MoveEntry list[MaxMovesPerPosition];
  CheckInfo info{};
  computeCheckInfo(info);
  const GeneratorSet& set = MoveGenerators[Pos.side];
  MoveEntry* end = kind == Kind::All        ? set.all(list)
                   : kind == Kind::Captures ? set.captures(list)
                                            : set.evasions(list, info);
  std::vector<Generated> out;
  for (MoveEntry* e = list; e < end; ++e) out.push_back({e->score, e->move});
  return out;
}

std::vector<Generated> generateFor(const char* fen, Kind kind) {
  setUpPosition(fen);
  return generate(kind);
}

bool contains(const std::vector<Generated>& list, Move m) {
  return std::any_of(list.begin(), list.end(), [m](const Generated& g) { return g.move == m; });
}

// Moves of the list that do not leave the mover's king attacked.
std::set<Move> legalMoves(const std::vector<Generated>& list) {
  std::set<Move> legal;
  PlyState& record = PlyStack[0];
  savePlyState(record);
  const Side side = Pos.side;
  for (const Generated& g : list) {
    makeMove(g.move, record);
    if (!kingLeftInCheck(g.move, side)) legal.insert(g.move);
    unmakeMove(g.move, record);
  }
  return legal;
}

std::set<Move> legalMovesHere() {
  CheckInfo info{};
  computeCheckInfo(info);
  return legalMoves(generate(info.checkers ? Kind::Evasions : Kind::All));
}

// The same position with colours exchanged and the board turned upside down.
std::string flipColours(const std::string& fen) {
  std::istringstream in(fen);
  std::string placement, side, castling, ep;
  in >> placement >> side >> castling >> ep;
  std::vector<std::string> ranks;
  std::stringstream rows(placement);
  for (std::string r; std::getline(rows, r, '/');) ranks.push_back(r);
  std::string flipped;
  for (auto r = ranks.rbegin(); r != ranks.rend(); ++r) {
    if (!flipped.empty()) flipped += '/';
    for (char c : *r) flipped += std::isupper(c) ? std::tolower(c) : std::toupper(c);
  }
  std::string rights;
  for (char c : std::string("kqKQ"))
    if (castling.find(c) != std::string::npos)
      rights += std::isupper(c) ? std::tolower(c) : std::toupper(c);
  if (rights.empty()) rights = "-";
  if (ep != "-") ep[1] = ep[1] == '3' ? '6' : '3';
  return flipped + (side == "w" ? " b " : " w ") + rights + " " + ep + " 0 1";
}

Move flipMove(Move m) {
  int type = moveType(m);
  if (type >= BlackCastleKing) type ^= 1;  // 12 <-> 13, 14 <-> 15
  return makeMoveValue(moveFrom(m) ^ 56, moveTo(m) ^ 56, type);
}

}  // namespace

TEST(GenerateAll, StartPositionOrderAndScores) {
  const auto list =
      generateFor("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", Kind::All);
  const std::vector<Generated> expected = {
      {-30000, mv("g1", "h3", 0)}, {-30000, mv("g1", "f3", 0)}, {-30000, mv("b1", "c3", 0)},
      {-30000, mv("b1", "a3", 0)}, {-30000, mv("h2", "h4", 0)}, {-30000, mv("g2", "g4", 0)},
      {-30000, mv("f2", "f4", 0)}, {-30000, mv("e2", "e4", 0)}, {-30000, mv("d2", "d4", 0)},
      {-30000, mv("c2", "c4", 0)}, {-30000, mv("b2", "b4", 0)}, {-30000, mv("a2", "a4", 0)},
      {-30000, mv("h2", "h3", 0)}, {-30000, mv("g2", "g3", 0)}, {-30000, mv("f2", "f3", 0)},
      {-30000, mv("e2", "e3", 0)}, {-30000, mv("d2", "d3", 0)}, {-30000, mv("c2", "c3", 0)},
      {-30000, mv("b2", "b3", 0)}, {-30000, mv("a2", "a3", 0)}};
  EXPECT_EQ(list, expected);

  // Black's reply list mirrors it: g8 knight first, then pushes from h7.
  setUpPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  const auto black = generate(Kind::All);
  ASSERT_EQ(black.size(), 20u);
  EXPECT_EQ(black[0].move, mv("g8", "h6", 0));
  EXPECT_EQ(black[4].move, mv("h7", "h5", 0));
  EXPECT_EQ(black[12].move, mv("h7", "h6", 0));
}

TEST(GenerateAll, PromotionsQueenKnightRookBishopCapturesFirst) {
  const auto list = generateFor("r6k/1P6/8/8/8/8/8/4K3 w - - 0 1", Kind::All);
  const std::vector<Generated> expected = {{500 - 9401, mv("b7", "a8", CapturePromoteQueen)},
                                           {500 - 30005, mv("b7", "a8", CapturePromoteKnight)},
                                           {500 - 30025, mv("b7", "a8", CapturePromoteRook)},
                                           {500 - 30050, mv("b7", "a8", CapturePromoteBishop)},
                                           {-9401, mv("b7", "b8", PromoteQueen)},
                                           {-30005, mv("b7", "b8", PromoteKnight)},
                                           {-30025, mv("b7", "b8", PromoteRook)},
                                           {-30050, mv("b7", "b8", PromoteBishop)}};
  ASSERT_GE(list.size(), expected.size());
  EXPECT_EQ(std::vector<Generated>(list.begin(), list.begin() + 8), expected);
  for (size_t i = 8; i < list.size(); ++i)
    EXPECT_EQ(moveFrom(list[i].move), sq("e1"));  // then the king

  // Black promotes on rank 1, capturing towards the a-file first as well.
  const auto black = generateFor("4k3/8/8/8/8/8/6p1/K4R1R b - - 0 1", Kind::All);
  ASSERT_GE(black.size(), 12u);
  EXPECT_EQ(black[0], (Generated{500 - 9401, mv("g2", "f1", CapturePromoteQueen)}));
  EXPECT_EQ(black[4], (Generated{500 - 9401, mv("g2", "h1", CapturePromoteQueen)}));
  EXPECT_EQ(black[8], (Generated{-9401, mv("g2", "g1", PromoteQueen)}));
  EXPECT_EQ(black[11], (Generated{-30050, mv("g2", "g1", PromoteBishop)}));
}

TEST(GenerateAll, EnPassantComesBeforeOtherCapturesOfItsDirection) {
  // b4xa5 is on a higher square than the e.p. square d6, yet e.p. comes first.
  const char* fen = "4k3/8/8/p2pP3/1P6/8/8/4K3 w - d6 0 1";
  auto list = generateFor(fen, Kind::All);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], (Generated{-9500, mv("e5", "d6", EnPassantMove)}));
  EXPECT_EQ(list[1], (Generated{100 - 9600, mv("b4", "a5", CaptureMove)}));

  // Without an e.p. square there is no e.p. move at all.
  list = generateFor("4k3/8/8/p2pP3/1P6/8/8/4K3 w - - 0 1", Kind::All);
  EXPECT_EQ(list[0], (Generated{100 - 9600, mv("b4", "a5", CaptureMove)}));
  EXPECT_FALSE(contains(list, mv("e5", "d6", EnPassantMove)));

  // Towards the h-file: Black's e.p. from d4 onto e3.
  list = generateFor("4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", Kind::All);
  EXPECT_EQ(list[0], (Generated{-9500, mv("d4", "e3", EnPassantMove)}));
}

TEST(GenerateAll, CastlingComesLastWhateverAttacksThePath) {
  // The rook on f8 attacks f1: that is for the legality test, not the generator.
  auto list = generateFor("4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", Kind::All);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[list.size() - 2], (Generated{-29000, WhiteKingSideCastle}));
  EXPECT_EQ(list.back(), (Generated{-29500, WhiteQueenSideCastle}));

  // A piece on b1 stops queen-side castling although the king never crosses b1;
  // without the king-side right only the queen-side right is looked at.
  list = generateFor("4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", Kind::All);
  EXPECT_TRUE(contains(list, WhiteKingSideCastle));
  EXPECT_FALSE(contains(list, WhiteQueenSideCastle));
  list = generateFor("4k3/8/8/8/8/8/8/R3K2R w Q - 0 1", Kind::All);
  EXPECT_EQ(list.back(), (Generated{-29500, WhiteQueenSideCastle}));
  EXPECT_FALSE(contains(list, WhiteKingSideCastle));

  list = generateFor("r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1", Kind::All);
  EXPECT_EQ(list[list.size() - 2], (Generated{-29000, BlackKingSideCastle}));
  EXPECT_EQ(list.back(), (Generated{-29500, BlackQueenSideCastle}));
}

TEST(GenerateAll, KingCapturesOfDefendedPiecesAreDropped) {
  // d2 knight is defended by the b4 bishop; f2 knight is not. f1 is attacked
  // by the d2 knight, but quiet king moves are not tested.
  const auto list = generateFor("4k3/8/8/8/1b6/8/3n1n2/4K3 w - - 0 1", Kind::All);
  EXPECT_FALSE(contains(list, mv("e1", "d2", CaptureMove)));
  EXPECT_TRUE(contains(list, mv("e1", "f2", CaptureMove)));
  EXPECT_TRUE(contains(list, mv("e1", "f1", QuietMove)));
  const auto kxf2 = std::find_if(list.begin(), list.end(),
                                 [](const Generated& g) { return g.move == mv("e1", "f2", 1); });
  ASSERT_NE(kxf2, list.end());
  // Undefended: the exchange evaluator's winning score (victim plus the
  // positional terms of king and victim).
  const int16_t* king = pieceSquareTable(KindKing, Pos.totalMaterial);
  const int16_t* knight = pieceSquareTable(KindKnight, Pos.totalMaterial);
  EXPECT_EQ(kxf2->score, -king[sq("e1")] + king[sq("f2")] + 320 + knight[sq("f2")] - 9500);

  // Never next to the other king, capture or not.
  const auto kings = generateFor("8/8/8/3k4/8/3K4/8/8 w - - 0 1", Kind::All);
  EXPECT_EQ(kings.size(), 5u);  // c2 d2 e2 plus c3 e3; c4 d4 e4 touch the black king
  for (const Generated& g : kings) EXPECT_GT(rowOf(moveTo(g.move)), rowOf(sq("d4"))) << g;
}

TEST(GenerateAll, PiecesInOrderKnightsQueensRooksBishopsCapturesBeforeQuiet) {
  const auto list = generateFor("4k3/8/8/8/3p4/8/8/B2QK1NR w - - 0 1", Kind::All);
  std::vector<int> fromOrder;
  for (const Generated& g : list)
    if (fromOrder.empty() || fromOrder.back() != moveFrom(g.move))
      fromOrder.push_back(moveFrom(g.move));
  EXPECT_EQ(fromOrder, (std::vector<int>{sq("g1"), sq("d1"), sq("h1"), sq("a1"), sq("e1")}));
  // The queen takes the pawn first; the bishop's capture is valued by the
  // exchange evaluator because the pawn is cheaper than the bishop's threshold.
  const auto queen = std::find_if(list.begin(), list.end(),
                                  [](const Generated& g) { return moveFrom(g.move) == sq("d1"); });
  ASSERT_NE(queen, list.end());
  EXPECT_EQ(queen->move, mv("d1", "d4", CaptureMove));
  const auto bishop = std::find_if(list.begin(), list.end(),
                                   [](const Generated& g) { return moveFrom(g.move) == sq("a1"); });
  ASSERT_NE(bishop, list.end());
  EXPECT_EQ(bishop->move, mv("a1", "d4", CaptureMove));
}

TEST(GenerateEvasions, DoubleCheckLeavesOnlyKingMoves) {
  // Rook e8 and knight d3 both check; the bishop could take the knight and the
  // rook could block, but neither helps.
  const auto list = generateFor("4r1k1/8/8/8/8/3n4/8/1B2K2R w K - 0 1", Kind::Evasions);
  ASSERT_FALSE(list.empty());
  for (const Generated& g : list) EXPECT_EQ(moveFrom(g.move), sq("e1")) << g;
  EXPECT_FALSE(contains(list, WhiteKingSideCastle));
}

TEST(GenerateEvasions, SingleSliderCheckCapturesThenBlocksInPieceOrder) {
  // Rook a4 checks the king on h4 along the fourth rank; b4..g4 are the block
  // squares.
  const auto list = generateFor("4k3/8/8/8/r6K/8/1NP5/3Q1B2 w - - 0 1", Kind::Evasions);
  const std::vector<Generated> expected = {
      {500 - 9820, mv("b2", "a4", CaptureMove)},  // knight takes the checker
      {-30320, mv("b2", "c4", QuietMove)},        // knight blocks
      {-30325, mv("f1", "c4", QuietMove)},        // bishop blocks
      {-30950, mv("d1", "g4", QuietMove)},        // queen blocks, h-side square first
      {-30950, mv("d1", "d4", QuietMove)},
      {-30000, mv("c2", "c4", QuietMove)},  // pawn double push blocks
      {-30000, mv("h4", "h3", QuietMove)},  // king, never onto g4
      {-30000, mv("h4", "g3", QuietMove)},
      {-30000, mv("h4", "h5", QuietMove)},
      {-30000, mv("h4", "g5", QuietMove)}};
  EXPECT_EQ(list, expected);

  // A checker next to the king cannot be blocked: only captures and steps.
  const auto adjacent = generateFor("4k3/8/8/8/8/8/3q4/1N2K3 w - - 0 1", Kind::Evasions);
  for (const Generated& g : adjacent)
    EXPECT_TRUE(moveFrom(g.move) == sq("e1") || moveTo(g.move) == sq("d2")) << g;
  EXPECT_TRUE(contains(adjacent, mv("b1", "d2", CaptureMove)));
}

TEST(GenerateEvasions, EnPassantAndPawnCapturesOfTheChecker) {
  // d7-d5 checks the king on e4; both c5 and e5 can take e.p. (left pawn first).
  auto list = generateFor("4k3/8/8/2PpP3/4K3/8/8/8 w - d6 0 1", Kind::Evasions);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], (Generated{-9500, mv("c5", "d6", EnPassantMove)}));
  EXPECT_EQ(list[1], (Generated{-9500, mv("e5", "d6", EnPassantMove)}));

  // A checker on the last rank is taken with all four promotions per pawn.
  list = generateFor("1r2k3/P1P5/8/8/8/8/8/1K6 w - - 0 1", Kind::Evasions);
  ASSERT_GE(list.size(), 8u);
  EXPECT_EQ(list[0], (Generated{500 - 9401, mv("a7", "b8", CapturePromoteQueen)}));
  EXPECT_EQ(list[3], (Generated{500 - 30050, mv("a7", "b8", CapturePromoteBishop)}));
  EXPECT_EQ(list[4], (Generated{500 - 9401, mv("c7", "b8", CapturePromoteQueen)}));

  // Black mirror: e.p. onto e3 removes the checking pawn on e4.
  list = generateFor("8/8/8/3k4/3pPp2/8/8/4K3 b - e3 0 1", Kind::Evasions);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], (Generated{-9500, mv("d4", "e3", EnPassantMove)}));
  EXPECT_EQ(list[1], (Generated{-9500, mv("f4", "e3", EnPassantMove)}));
}

TEST(GenerateCaptures, FiltersLosingCapturesAndUnderPromotions) {
  // Rook takes a pawn defended by a pawn: left out. Pawn takes a defended
  // rook: kept. The b7 pawn promotes by push: queen only.
  const auto list = generateFor("4k3/1P6/3p4/2r1p3/3P4/8/8/4RK2 w - - 0 1", Kind::Captures);
  EXPECT_FALSE(contains(list, mv("e1", "e5", CaptureMove)));
  EXPECT_TRUE(contains(list, mv("d4", "c5", CaptureMove)));
  EXPECT_TRUE(contains(list, mv("d4", "e5", CaptureMove)));  // pawn captures are never filtered
  EXPECT_TRUE(contains(list, mv("b7", "b8", PromoteQueen)));
  for (const Generated& g : list) {
    EXPECT_NE(moveType(g.move), QuietMove) << g;
    EXPECT_FALSE(moveType(g.move) >= PromoteKnight && moveType(g.move) <= PromoteBishop) << g;
    if (moveType(g.move) == CaptureMove && Pos.board[moveFrom(g.move)] != WhitePawn) {
      EXPECT_GE(g.score, -10000) << g;
    }
  }
}

namespace {

// The positions of the repository's perft file.
std::vector<PerftCase> repositoryPositions() {
  return readPerftFile(fixturePath("perft-positions.epd"), "perft-positions.epd");
}

// The positions of these reference suites under the shared data.
std::vector<PerftCase> referencePositions(std::initializer_list<const char*> files) {
  std::vector<PerftCase> cases;
  for (const char* file : files) {
    const auto more = readPerftFile(sharedDataPath(std::string("data/perft/") + file), file);
    EXPECT_FALSE(more.empty()) << file;
    cases.insert(cases.end(), more.begin(), more.end());
  }
  return cases;
}

// Every capture list holds only moves of the full list, with the full list's
// score except for queen push promotions (valued by the exchange evaluator
// here); no capture that the full list scores at or above the filter is
// missing. Checked on each position and one ply below it; returns the number
// of lists compared.
int compareCapturesWithAll(const std::vector<PerftCase>& cases) {
  ensureTablesInitialized();
  int compared = 0;
  auto compareHere = [&](const std::string& source) {
    CheckInfo info{};
    computeCheckInfo(info);
    if (info.checkers) return;
    const auto all = generate(Kind::All);
    const auto captures = generate(Kind::Captures);
    for (const Generated& g : captures) {
      const auto same = std::find_if(all.begin(), all.end(),
                                     [&](const Generated& a) { return a.move == g.move; });
      ASSERT_NE(same, all.end()) << source << " " << g;
      if (moveType(g.move) != PromoteQueen) {
        EXPECT_EQ(same->score, g.score) << source << " " << g;
      }
    }
    for (const Generated& a : all) {
      const int type = moveType(a.move);
      const bool capture = type == CaptureMove || type == EnPassantMove ||
                           (type >= CapturePromoteQueen && type <= CapturePromoteBishop);
      if (capture && a.score >= MoveScore::CaptureFilter) {
        EXPECT_TRUE(contains(captures, a.move)) << source << " " << a;
      }
    }
    ++compared;
  };
  for (const auto& c : cases) {
    setUpPosition(c.fen.c_str());
    compareHere(c.source);
    PlyState record;
    savePlyState(record);
    for (Move m : legalMovesHere()) {
      makeMove(m, record);
      compareHere(c.source);
      unmakeMove(m, record);
    }
  }
  return compared;
}

// Walks two plies below every position; wherever the side to move is in
// check, the evasions must keep exactly the legal moves of the full list.
// Returns the number of checks met.
int compareEvasionsWithAll(const std::vector<PerftCase>& cases) {
  ensureTablesInitialized();
  int checks = 0;
  for (const auto& c : cases) {
    setUpPosition(c.fen.c_str());
    auto compareHere = [&]() {
      CheckInfo info{};
      computeCheckInfo(info);
      if (!info.checkers) return;
      ++checks;
      EXPECT_EQ(legalMoves(generate(Kind::Evasions)), legalMoves(generate(Kind::All))) << c.source;
    };
    compareHere();
    PlyState records[2];
    savePlyState(records[0]);
    const Side side = Pos.side;
    for (Move m : legalMovesHere()) {
      makeMove(m, records[0]);
      if (!kingLeftInCheck(m, side)) {
        compareHere();
        savePlyState(records[1]);
        for (Move reply : legalMovesHere()) {
          makeMove(reply, records[1]);
          compareHere();
          unmakeMove(reply, records[1]);
        }
      }
      unmakeMove(m, records[0]);
    }
  }
  return checks;
}

// The colour-flipped position has the mirrored legal moves and the same
// perft count to depth 3. Returns the number of positions compared.
int compareFlipped(const std::vector<PerftCase>& cases) {
  ensureTablesInitialized();
  int flipped = 0;
  for (const auto& c : cases) {
    setUpPosition(c.fen.c_str());
    std::set<Move> mirrored;
    for (Move m : legalMovesHere()) mirrored.insert(flipMove(m));
    const uint64_t nodes = perftFromRoot(3);
    const std::string other = flipColours(c.fen);
    setUpPosition(other.c_str());
    EXPECT_EQ(legalMovesHere(), mirrored) << c.source << " " << other;
    EXPECT_EQ(perftFromRoot(3), nodes) << c.source << " " << other;
    ++flipped;
  }
  return flipped;
}

}  // namespace

TEST(GenerateCaptures, AgreesWithTheFullGeneratorOnRepositoryPositions) {
  EXPECT_GT(compareCapturesWithAll(repositoryPositions()), 800);
}

TEST(GenerateCaptures, AgreesWithTheFullGeneratorOnTheReferenceSuites) {
  SKIP_WITHOUT_SHARED_DATA("data/perft");
  EXPECT_GT(compareCapturesWithAll(referencePositions({"perftsuite.epd", "perft-tricky.epd"})),
            3000);
}

TEST(GenerateEvasions, SameLegalMovesAsTheFullGeneratorOnRepositoryPositions) {
  EXPECT_GT(compareEvasionsWithAll(repositoryPositions()), 1000);
}

TEST(GenerateEvasions, SameLegalMovesAsTheFullGeneratorOnTheReferenceSuites) {
  SKIP_WITHOUT_SHARED_DATA("data/perft");
  EXPECT_GT(compareEvasionsWithAll(referencePositions(
                {"perftsuite.epd", "perft-tricky.epd", "perft-double-checks.epd"})),
            1000);
}

TEST(Generators, ColourFlippedRepositoryPositionsHaveMirroredMovesAndCounts) {
  EXPECT_EQ(compareFlipped(repositoryPositions()), 56);
}

TEST(Generators, ColourFlippedReferencePositionsHaveMirroredMovesAndCounts) {
  SKIP_WITHOUT_SHARED_DATA("data/perft/perftsuite.epd");
  EXPECT_EQ(compareFlipped(referencePositions({"perftsuite.epd"})), 126);
}
