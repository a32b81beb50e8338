#include "search/search_control.h"

int32_t SearchStartClock = 0;
int32_t MoveTimeBudget = 0;
bool StopSearch = false;
int32_t MaxSearchDepth = MaxIterationDepth;
bool PonderingSearch = false;
Move SearchBestMove = 0;
int16_t SearchBestScore = 0;
uint32_t NodeLimit = 0;
int MultiPvLines = 1;
bool RootRepetitionEndsSearch = true;
bool DeepenToDepthLimit = false;
int MateSearchMoves = 0;

namespace {

SearchInputHandler InputHandler = nullptr;
SearchProgressHandler ProgressHandler = nullptr;
const Move* RootMoves = nullptr;
int RootMoveCount = 0;

}  // namespace

void setSearchInputHandler(SearchInputHandler handler) { InputHandler = handler; }

bool inputEndsSearch() { return InputHandler == nullptr || InputHandler(); }

void setRootMoveFilter(const Move* moves, int count) {
  RootMoves = moves;
  RootMoveCount = moves != nullptr ? count : 0;
}

bool rootMoveAllowed(Move m) {
  if (RootMoveCount == 0) return true;
  for (int i = 0; i < RootMoveCount; ++i) {
    if (RootMoves[i] == m) return true;
  }
  return false;
}

bool rootMoveFilterActive() { return RootMoveCount > 0; }

void setSearchProgressHandler(SearchProgressHandler handler) { ProgressHandler = handler; }

void searchProgress() {
  if (ProgressHandler != nullptr) ProgressHandler();
}
