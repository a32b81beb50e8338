#include "self_play.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/make_move.h"
#include "core/position.h"
#include "game/game.h"
#include "labelled_position.h"
#include "movegen/legal_moves.h"
#include "pgn_games.h"
#include "search/draw.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/time_budget.h"
#include "strong/clock_inputs.h"
#include "strong/move_rules.h"
#include "strong/strong_search.h"
#include "tools/pgn.h"

namespace {

constexpr int MinOpeningPlies = 8;
constexpr int OpeningPlySpread = 9;  // openings of 8 to 16 plies
constexpr int MaxGamePlies = 400;
constexpr int WinScore = 1000;           // both sides' searches agree on this for...
constexpr int WinPlies = 8;              // ...this many plies: the game is decided
constexpr int DrawScore = 8;             // scores this close to 0...
constexpr int DrawPlies = 16;            // ...for this many plies after...
constexpr int DrawAdjudicationPly = 80;  // ...this ply: a draw
constexpr int MateScoreEdge = 8000;

// The openings: the move lists of finished real games.
std::vector<std::vector<Move>> Openings;

bool loadOpenings(const char* path) {
  forEachPgnGame(path, [](const GameRecord& game) {
    if (game.plyCount() >= MinOpeningPlies + OpeningPlySpread)
      Openings.emplace_back(game.moves, game.moves + MinOpeningPlies + OpeningPlySpread);
  });
  return !Openings.empty();
}

// A fixed pseudo-random sequence per game (splitmix64).
uint64_t mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

bool keepSearchGoing() { return false; }

// Plays game `number`; writes its positions with the result.
void playGame(long number, unsigned nodes, std::FILE* out) {
  const uint64_t seed = mix(static_cast<uint64_t>(number));
  const std::vector<Move>& opening = Openings[seed % Openings.size()];
  const int openingPlies = MinOpeningPlies + static_cast<int>((seed >> 32) % OpeningPlySpread);
  setUpGame(StartPositionFen);
  for (int i = 0; i < openingPlies; ++i) playGameMove(opening[i]);

  std::vector<std::string> samples;
  char result = 'D';
  int winStreak = 0, drawStreak = 0, lastSign = 0;
  for (int ply = openingPlies; ply < MaxGamePlies; ++ply) {
    if (drawCheck(2) != 0) break;
    SearchStartClock = 0;
    MoveTimeBudget = MaxMoveTimeBudget;
    StrongClock = ClockInputs{};
    NodeLimit = nodes;
    const Move m = strongIterativeDeepening();
    if (!isRealMove(m)) {
      if (m == Checkmated) result = Pos.side == White ? 'B' : 'W';
      break;
    }
    const int score = SearchBestScore;
    if (!isNoisy(m) && std::abs(score) < MateScoreEdge && quietEnoughToLearn()) {
      char fen[96];
      writeFen(fen);
      samples.emplace_back(fen);
    }
    // Adjudication on the searches' scores, turned to White's view.
    const int whiteScore = Pos.side == White ? score : -score;
    const int sign = whiteScore >= WinScore ? 1 : whiteScore <= -WinScore ? -1 : 0;
    winStreak = sign != 0 && sign == lastSign ? winStreak + 1 : (sign != 0 ? 1 : 0);
    lastSign = sign;
    if (winStreak >= WinPlies) {
      result = sign > 0 ? 'W' : 'B';
      break;
    }
    drawStreak = std::abs(score) <= DrawScore ? drawStreak + 1 : 0;
    if (ply >= DrawAdjudicationPly && drawStreak >= DrawPlies) break;
    playGameMove(m);
  }
  for (const std::string& fen : samples) std::fprintf(out, "%s;%c\n", fen.c_str(), result);
}

}  // namespace

bool playSelfPlayGames(const SelfPlaySettings& settings, std::FILE* out) {
  if (!loadOpenings(settings.openingsPgn)) return false;
  setSearchReporter(nullptr);
  setSearchInputHandler(keepSearchGoing);
  MaxSearchDepth = MaxIterationDepth;
  initStrongSearch();
  for (long g = settings.firstGame; g < settings.firstGame + settings.gameCount; ++g) {
    clearStrongTables();
    playGame(g, settings.nodesPerMove, out);
    std::fflush(out);
  }
  return true;
}
