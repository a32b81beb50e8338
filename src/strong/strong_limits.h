// The score scale and the ply limits of the strong search.
#pragma once

// Plies a strong search line may reach, quiescence included. The game
// history keeps room for a search line of this length above the game.
constexpr int StrongMaxPly = 120;

// Scores are centipawns from the side to move's view; a mate in p plies
// from the root scores MateValue - p.
constexpr int MateValue = 32000;
constexpr int InfiniteValue = 32001;
constexpr int NoValue = 32002;  // "not known" for stored static evaluations
constexpr int MateInMaxPly = MateValue - StrongMaxPly;

constexpr bool isMateValue(int value) { return value >= MateInMaxPly || value <= -MateInMaxPly; }
