#include "weight_io.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int PairsPerLine = 8;

long rounded(double v) { return std::lround(v); }

bool writeWhole(const char* path, const std::string& text) {
  // Written beside the target and renamed over it once complete.
  const std::string temporary = std::string(path) + ".part";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written || std::rename(temporary.c_str(), path) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool readWeightText(const char* path, WeightTable& table) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  table.assign(Term::Count, WeightPair{0, 0});
  int read = 0;
  for (; read < Term::Count; ++read) {
    if (std::fscanf(f, "%lf %lf", &table[read].mg, &table[read].eg) != 2) break;
  }
  std::fclose(f);
  return read == Term::Count;
}

bool writeWeightText(const char* path, const WeightTable& table) {
  std::string text;
  char line[64];
  for (const WeightPair& w : table) {
    std::snprintf(line, sizeof line, "%.6f %.6f\n", w.mg, w.eg);
    text += line;
  }
  return writeWhole(path, text);
}

bool writeWeightSource(const char* path, const WeightTable& table, const std::string& provenance) {
  std::string text =
      "// The fitted weights of the strong evaluation, in the order of eval_layout.h.\n"
      "// Written by the tuner (scripts/tune.sh); do not edit by hand.\n";
  text += "// " + provenance + "\n";
  text += "#include \"strong/strong_eval.h\"\n\n// clang-format off\n";
  text += "const Score TunedWeights[Term::Count] = {\n";
  char item[48];
  for (const Term::Block& block : Term::Blocks) {
    text += std::string("    // ") + block.name + "\n";
    for (int i = 0; i < block.length; ++i) {
      if (i % PairsPerLine == 0) text += "   ";
      const WeightPair& w = table[block.offset + i];
      std::snprintf(item, sizeof item, " S(%ld, %ld),", rounded(w.mg), rounded(w.eg));
      text += item;
      if (i % PairsPerLine == PairsPerLine - 1 || i == block.length - 1) text += "\n";
    }
  }
  text += "};\n// clang-format on\n";
  return writeWhole(path, text);
}
