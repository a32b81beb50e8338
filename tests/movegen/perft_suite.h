// Reading the perft reference files and counting trees the way the "perft"
// command does, shared by the quick and the slow perft tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/make_move.h"
#include "core/ply_state.h"
#include "movegen/perft.h"

// One line of a reference file: FEN and the leaf count at each listed depth.
struct PerftCase {
  std::string source;  // file:line, for failure messages
  std::string fen;
  std::vector<std::pair<int, uint64_t>> leaves;  // (depth, leaf count), as listed
};

// Reads `FEN ;D1 n ;D2 n ...` lines; blank lines are skipped.
inline std::vector<PerftCase> readPerftFile(const std::string& path, const std::string& name) {
  std::vector<PerftCase> cases;
  std::ifstream in(path);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t firstField = line.find(';');
    if (firstField == std::string::npos) continue;
    PerftCase c;
    c.source = name + ":" + std::to_string(number);
    c.fen = line.substr(0, firstField);
    while (!c.fen.empty() && c.fen.back() == ' ') c.fen.pop_back();
    std::istringstream fields(line.substr(firstField));
    std::string field;
    while (std::getline(fields, field, ';')) {
      int depth = 0;
      unsigned long long count = 0;
      if (std::sscanf(field.c_str(), " D%d %llu", &depth, &count) == 2)
        c.leaves.emplace_back(depth, count);
    }
    if (!c.leaves.empty()) cases.push_back(c);
  }
  return cases;
}
