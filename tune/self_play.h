// Games of the strong mode against itself at a fixed number of nodes a move,
// from the openings of real games, for positions labelled by their results.
// A game depends only on its number, so any range of games can be played in
// any process and the union is always the same.
#pragma once

#include <cstdio>

struct SelfPlaySettings {
  const char* openingsPgn;  // games whose first plies are the openings
  long firstGame;
  long gameCount;
  unsigned nodesPerMove;
};

// Plays the games and writes their quiet positions; false when the openings
// cannot be read.
bool playSelfPlayGames(const SelfPlaySettings& settings, std::FILE* out);
