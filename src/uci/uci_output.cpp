// Every line is built whole and written with one call, so that an interface
// never sees half a line.
#include "uci/uci_output.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clock.h"
#include "core/move_text.h"
#include "game/search_dispatch.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/transposition.h"
#include "wdl/wdl_model.h"

UciSearchInfo UciInfoOutput;
bool UciShowWdl = false;

namespace {

constexpr size_t InfoLineSize = 512;
constexpr size_t InfoStringSize = 400;
// The current root move is shown this often at most, and not before this
// much of the search has passed.
constexpr int32_t CurrentMoveIntervalMs = 1000;

int32_t LastCurrentMoveMs = 0;

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }

// Coordinate text: two squares and an optional promotion letter.
bool looksLikeMove(const char* w, size_t length) {
  if (length != 4 && length != 5) return false;
  if (!isFile(w[0]) || !isRank(w[1]) || !isFile(w[2]) || !isRank(w[3])) return false;
  return length == 4 || std::strchr("qrbn", w[4]) != nullptr;
}

// Copies the leading words of a principal variation that are moves; the
// variation text ends with other words (a mate or draw mark, "NOE") that are
// not part of the UCI line.
char* writeVariation(char* out, const char* variation) {
  char word[8];
  while (*variation != '\0') {
    while (*variation == ' ') ++variation;
    size_t length = std::strcspn(variation, " ");
    if (length == 0 || length >= sizeof word) break;
    std::memcpy(word, variation, length);
    word[length] = '\0';
    if (!looksLikeMove(word, length)) break;
    out += std::sprintf(out, " %s", word);
    variation += length;
  }
  return out;
}

void writeLine(const char* line) {
  std::fputs(line, stdout);
  std::fflush(stdout);
}

}  // namespace

char* writeUciScore(char* out, int score) {
  if (score > MateScoreThreshold)
    return out + std::sprintf(out, "mate %d", (MateBase - score + 1) / 2);
  if (score < -MateScoreThreshold)
    return out + std::sprintf(out, "mate %d", -((MateBase + score + 1) / 2));
  return out + std::sprintf(out, "cp %d", score);
}

void UciSearchInfo::iterationDone(const IterationReport& report) {
  ++reports;
  char line[InfoLineSize];
  const int64_t elapsed = report.elapsedMs > 0 ? report.elapsedMs : 0;
  const uint64_t nps = report.nodes * 1000 / static_cast<uint64_t>(elapsed > 0 ? elapsed : 1);
  char* out = line + std::sprintf(line, "info depth %d", report.depth);
  if (report.selDepth > 0) out += std::sprintf(out, " seldepth %d", report.selDepth);
  if (report.multiPv > 0) out += std::sprintf(out, " multipv %d", report.multiPv);
  out = writeUciScore(out + std::sprintf(out, " score "), report.score);
  if (UciShowWdl) {
    const WdlOdds odds = wdlOddsHere(report.score);
    out += std::sprintf(out, " wdl %d %d %d", odds.win, odds.draw, odds.loss);
  }
  const int hashfull = report.hashPermille >= 0 ? report.hashPermille : transpositionPermille();
  out += std::sprintf(out, " nodes %" PRIu64 " nps %" PRIu64 " hashfull %d time %" PRId64,
                      report.nodes, nps, hashfull, elapsed);
  char* const variationStart = out;
  out = writeVariation(out + 3, report.variation);
  if (out == variationStart + 3) {
    out = variationStart;  // no move to show: no "pv" field
  } else {
    std::memcpy(variationStart, " pv", 3);
  }
  std::strcpy(out, "\n");
  writeLine(line);
}

void sendCurrentMove() {
  const int32_t now = clockMs();
  if (now - SearchStartClock < CurrentMoveIntervalMs ||
      now - LastCurrentMoveMs < CurrentMoveIntervalMs) {
    return;
  }
  int number = 0, depth = 0;
  const Move m = currentSearchRootMove(number, depth);
  if (m == 0) return;
  LastCurrentMoveMs = now;
  char line[InfoLineSize];
  char* out = line + std::sprintf(line, "info depth %d currmove ", depth);
  out = moveToText(out, m);
  std::sprintf(out, " currmovenumber %d\n", number);
  writeLine(line);
}

void sendMateSearchOutcome(MateSearchOutcome outcome, int moves) {
  char text[64];
  if (outcome == MateSearchOutcome::NoneWithin) {
    std::snprintf(text, sizeof text, "mate search: no mate in %d", moves);
  } else if (outcome == MateSearchOutcome::Stopped) {
    std::snprintf(text, sizeof text, "mate search: stopped before a mate in %d was found", moves);
  } else {
    return;
  }
  sendInfoString(text);
}

void sendInfoString(const char* text) { sendInfoString(text, ""); }

void sendInfoString(const char* text, const char* detail) {
  char line[InfoStringSize + 32];
  std::snprintf(line, sizeof line, "info string %s%s", text, detail);
  line[std::strcspn(line, "\r\n")] = '\0';
  std::strcat(line, "\n");
  writeLine(line);
}

void sendBestMove(Move best, Move ponder) {
  char line[48];
  char* out = line + std::sprintf(line, "bestmove ");
  if (best == 0) {
    out += std::sprintf(out, "0000");
  } else {
    out = moveToText(out, best);
    if (ponder != 0) {
      out += std::sprintf(out, " ponder ");
      out = moveToText(out, ponder);
    }
  }
  std::strcpy(out, "\n");
  writeLine(line);
}
