// What the UCI session writes: one "info" line per completed iteration (also
// while pondering), "info string" for free text, and the closing "bestmove".
#pragma once

#include "core/types.h"
#include "mate/mate_search.h"
#include "search/search_report.h"

class UciSearchInfo : public SearchReporter {
 public:
  void iterationDone(const IterationReport& report) override;
  uint32_t reports = 0;  // info lines sent for iterations so far
};

extern UciSearchInfo UciInfoOutput;
// "UCI_ShowWDL": info lines carry "wdl W D L" (per mille) after the score.
extern bool UciShowWdl;

// "cp X" or "mate N": mate in moves, negative when the side to move is mated.
char* writeUciScore(char* out, int score);
// One "info string TEXT" line; the text is cut at its first line end.
void sendInfoString(const char* text);
void sendInfoString(const char* text, const char* detail);
// "info depth D currmove M currmovenumber N" for the root move being
// searched: at most once a second, from the second second of a search on
// (the search's progress handler).
void sendCurrentMove();
// What "go mate N" found when it found no mate: "info string mate search: ...".
void sendMateSearchOutcome(MateSearchOutcome outcome, int moves);
// "bestmove m [ponder p]"; 0000 for no move.
void sendBestMove(Move best, Move ponder);
