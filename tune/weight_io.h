// Weight tables as the tuner reads and writes them: a plain text file of
// "middlegame endgame" pairs, one per line in table order, and the source
// file the engine is built with.
#pragma once

#include <string>
#include <vector>

#include "strong/eval_layout.h"

struct WeightPair {
  double mg;
  double eg;
};
using WeightTable = std::vector<WeightPair>;  // Term::Count entries

bool readWeightText(const char* path, WeightTable& table);
bool writeWeightText(const char* path, const WeightTable& table);
// The source of TunedWeights, values rounded to whole centipawns.
bool writeWeightSource(const char* path, const WeightTable& table, const std::string& provenance);
