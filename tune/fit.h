// The logistic fit: the weights that make sigmoid(evaluation) best predict
// the results of the labelled positions, found by gradient descent (Adam)
// over every weight at once. The same data and settings always give the
// same weights (one thread, fixed order).
#pragma once

#include <string>
#include <vector>

#include "weight_io.h"

struct FitSettings {
  std::vector<std::string> dataFiles;
  int epochs = 0;
  double learningRate = 0;
  // Evaluation scale: a score of 400 / scale centipawns means ten-to-one odds.
  double scale = 1.0;
};

// The recipe's starting point: plain material, a small attack weight so that
// the king-safety terms start with a gradient, every other weight zero.
WeightTable startingWeights();

// Loads the data and fits `weights` in place; prints progress on stderr.
// False when a data file cannot be read.
bool fitWeights(const FitSettings& settings, WeightTable& weights);
