#include "mate/mate_search.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ostream>

#include "core/clock.h"
#include "core/input_poll.h"
#include "core/log.h"
#include "core/move_text.h"
#include "mate/mate_proof.h"
#include "movegen/legal_moves.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_report.h"
#include "search/search_state.h"

namespace {

MateSearchOutcome Outcome = MateSearchOutcome::NotRun;

// The proof's stop check: the search's own limits, input and stop flag.
bool proofStops(uint64_t nodes) {
  NodeCount = static_cast<uint32_t>(std::min<uint64_t>(nodes, UINT32_MAX));
  if (StopSearch) return true;
  searchProgress();
  if (timeIsUp() || nodeLimitPassed() || (inputPending() && inputEndsSearch())) {
    StopSearch = true;
    return true;
  }
  return false;
}

void reportMate(const MateProof& proof) {
  char variation[PrincipalVariationTextSize];
  char* out = variation;
  *out = '\0';
  for (int i = 0; i < std::min(proof.length, PrincipalVariationMaxPlies); ++i) {
    out = moveToText(out, proof.line[i]);
    *out++ = ' ';
    *out = '\0';
  }
  const int plies = 2 * proof.moves - 1;
  EngineLog << "-E: mate in " << proof.moves << ":\t" << variation << std::endl;
  if (SearchReporter* reporter = searchReporter()) {
    IterationReport report{plies, MateBase - plies,
                           static_cast<int32_t>(clockMs() - SearchStartClock), proof.nodes,
                           variation};
    report.selDepth = plies;
    report.hashPermille = mateTablePermille();
    reporter->iterationDone(report);
  }
}

}  // namespace

bool runMateSearch() {
  Outcome = MateSearchOutcome::NotRun;
  if (MateSearchMoves <= 0) return false;
  const Move first = firstLegalMove();
  if (first == 0) return false;  // mated or stalemated: the usual search says which
  NodeCount = 0;
  IterationDepth = 1;
  const MateProof proof = proveMate(MateSearchMoves, proofStops, rootMoveAllowed);
  NodeCount = static_cast<uint32_t>(std::min<uint64_t>(proof.nodes, UINT32_MAX));
  IterationDepth = 2 * std::max(proof.moves, proof.searchedMoves + 1) - 1;
  if (proof.moves > 0) {
    Outcome = MateSearchOutcome::Found;
    SearchBestMove = proof.line[0];
    SearchBestScore = static_cast<int16_t>(MateBase - (2 * proof.moves - 1));
    reportMate(proof);
    return true;
  }
  if (proof.stopped) {
    Outcome = MateSearchOutcome::Stopped;
    SearchBestMove = first;
    SearchBestScore = 0;
    EngineLog << "-E: mate search stopped after " << proof.searchedMoves << " moves" << std::endl;
    return true;
  }
  Outcome = MateSearchOutcome::NoneWithin;
  EngineLog << "-E: no mate in " << MateSearchMoves << std::endl;
  return false;
}

MateSearchOutcome lastMateSearchOutcome() { return Outcome; }
