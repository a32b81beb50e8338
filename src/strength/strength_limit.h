// Play at a chosen strength for people to beat: the strong search with a
// small node budget looks at several moves, and one of the best is chosen
// with noise that grows as the strength falls, so that a weaker setting
// misjudges close choices more often rather than throwing pieces away.
#pragma once

#include "core/types.h"

// The scale is calibrated against a reference engine's own scale (README).
constexpr int MinLimitedElo = 1350;
constexpr int MaxLimitedElo = 2300;
constexpr int DefaultLimitedElo = 1500;

void setStrengthLimit(bool limited, int elo);  // elo held within the scale
bool strengthLimited();
int limitedElo();

// Searches the current position at the set strength; the answer is in
// SearchBestMove and SearchBestScore as after any search, and one thinking
// line for the chosen move is reported.
Move limitedStrengthSearch();
