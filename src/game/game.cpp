#include "game/game.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/make_move.h"
#include "core/position.h"
#include "game/search_dispatch.h"
#include "search/ordering_tables.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "tools/san.h"

Move BestTestMove = 0;
Move AvoidTestMove = 0;

namespace {

// A recorded step of the game: a move, or the side to move handed to `side`.
struct RecordedStep {
  Move move;  // 0 for a side switch
  Side side;
};

constexpr long MaxMoveNumber = 10000;

char SetUpText[SetUpTextCapacity];
RecordedStep Steps[MaxRecordedPlies];
int StepCount = 0;
bool RecordComplete = true;
uint32_t GameChanges = 0;

void record(RecordedStep step) {
  if (StepCount < MaxRecordedPlies) {
    Steps[StepCount++] = step;
  } else {
    RecordComplete = false;
  }
}

// Plies played before a set-up: twice the moves before its move number (the
// sixth field, 1 when missing), one more with Black to move.
int pliesBeforeSetUp(const char* fen) {
  char fields[6][16] = {};
  const char* p = fen;
  for (int field = 0; field < 6 && *p != '\0'; ++field) {
    while (*p == ' ' || *p == '\t') ++p;
    int length = 0;
    while (*p != '\0' && *p != ' ' && *p != '\t') {
      if (length < 15) fields[field][length++] = *p;
      ++p;
    }
  }
  long moveNumber = std::strtol(fields[5], nullptr, 10);
  if (moveNumber < 1 || moveNumber > MaxMoveNumber) moveNumber = 1;
  return static_cast<int>(2 * (moveNumber - 1)) + (Pos.side == Black ? 1 : 0);
}

}  // namespace

bool setUpGame(const char* fen, SearchTables tables) {
  FenTestMove testMove{};
  if (!readFen(fen, &testMove, FenCheck::PlayableSetUp)) return false;
  std::snprintf(SetUpText, sizeof SetUpText, "%s", fen);
  ++GameChanges;
  StepCount = 0;
  RecordComplete = true;
  PliesBeforeSetUp = pliesBeforeSetUp(fen);
  if (tables == SearchTables::Clear) clearEngineTables();
  BestTestMove = 0;
  AvoidTestMove = 0;
  if (testMove.kind == 0) return true;
  const Move m = parseSanMove(testMove.text);
  (testMove.kind == 'b' ? BestTestMove : AvoidTestMove) = m;
  if (m == 0) {
    std::printf("Warning cannot recognize move: %s\r\n", testMove.text);
    return false;
  }
  return true;
}

bool playGameMove(Move m) {
  if (!makeGameMove(m)) return false;
  ++GameChanges;
  record({m, Pos.side});
  resetMoveOrderingTables();
  return true;
}

void setGameSideToMove(Side side) {
  if (side == Pos.side) return;
  setSideToMove(side);
  ++GameChanges;
  record({0, side});
}

bool takeBackGameMoves(int plies) {
  if (plies <= 0 || !RecordComplete) return false;
  // The steps that stay: everything before the last `plies` moves.
  int keep = StepCount;
  for (int taken = 0; taken < plies; ++taken) {
    while (keep > 0 && Steps[keep - 1].move == 0) --keep;
    if (keep == 0) return false;
    --keep;
  }
  if (!readFen(SetUpText, nullptr, FenCheck::PlayableSetUp)) return false;
  for (int i = 0; i < keep; ++i) {
    if (Steps[i].move != 0) {
      makeGameMove(Steps[i].move);
    } else {
      setSideToMove(Steps[i].side);
    }
  }
  StepCount = keep;
  ++GameChanges;
  resetMoveOrderingTables();
  return true;
}

uint32_t gameChangeCount() { return GameChanges; }
