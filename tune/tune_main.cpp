// veltor_tune: the strong evaluation's tuner.
//   veltor_tune extract OUT PGN...                  quiet positions of real games
//   veltor_tune selfplay OUT OPENINGS FIRST COUNT NODES [WEIGHTS]
//                                                   self-play games' positions
//   veltor_tune fit EPOCHS RATE OUT.txt OUT.cpp [--trace WEIGHTS] DATA...
//                                                   fit the weights from the start
// WEIGHTS (a weight text) are the evaluation the self-play plays with, or the
// one whose endgame scales the fit takes: the scale of a position depends on
// which side the evaluation finds ahead, so without --trace a fit would
// depend on the weights the tuner was built with.
// Every output is written beside its target and renamed into place.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/position.h"
#include "fit.h"
#include "game_positions.h"
#include "movegen/move_tables.h"
#include "self_play.h"
#include "strong/strong_eval.h"
#include "strong/strong_search.h"
#include "weight_io.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: veltor_tune extract OUT PGN...\n"
               "       veltor_tune selfplay OUT OPENINGS FIRST COUNT NODES [WEIGHTS]\n"
               "       veltor_tune fit EPOCHS RATE OUT.txt OUT.cpp [--trace WEIGHTS] DATA...\n");
  return 2;
}

// Opens OUT.part for writing; finish() renames it over OUT.
struct Output {
  std::string path, temporary;
  std::FILE* file = nullptr;
  bool open(const char* target) {
    path = target;
    temporary = path + ".part";
    file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) std::fprintf(stderr, "cannot create %s\n", temporary.c_str());
    return file != nullptr;
  }
  bool finish() {
    const bool ok = std::fclose(file) == 0 && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::remove(temporary.c_str());
    }
    return ok;
  }
};

int extract(int argc, char** argv) {
  if (argc < 4) return usage();
  Output out;
  if (!out.open(argv[2])) return 1;
  for (int i = 3; i < argc; ++i) {
    const long written = writeGamePositions(argv[i], out.file);
    if (written < 0) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      std::fclose(out.file);
      std::remove(out.temporary.c_str());
      return 1;
    }
    std::fprintf(stderr, "%s: %ld positions\n", argv[i], written);
  }
  return out.finish() ? 0 : 1;
}

// The evaluation reads the weights of a weight text, rounded as the engine's are.
bool evaluateWith(const char* path) {
  static std::vector<Score> loaded(Term::Count);
  WeightTable table;
  if (!readWeightText(path, table)) {
    std::fprintf(stderr, "cannot read weights %s\n", path);
    return false;
  }
  for (int i = 0; i < Term::Count; ++i)
    loaded[i] =
        S(static_cast<int>(std::lround(table[i].mg)), static_cast<int>(std::lround(table[i].eg)));
  useEvalWeights(loaded.data());
  return true;
}

int selfPlay(int argc, char** argv) {
  if (argc < 7) return usage();
  if (argc > 7 && !evaluateWith(argv[7])) return 1;
  SelfPlaySettings settings{argv[3], std::atol(argv[4]), std::atol(argv[5]),
                            static_cast<unsigned>(std::atol(argv[6]))};
  Output out;
  if (!out.open(argv[2])) return 1;
  if (!playSelfPlayGames(settings, out.file)) {
    std::fprintf(stderr, "cannot read openings %s\n", argv[3]);
    std::fclose(out.file);
    std::remove(out.temporary.c_str());
    return 1;
  }
  return out.finish() ? 0 : 1;
}

int fit(int argc, char** argv) {
  if (argc < 7) return usage();
  FitSettings settings;
  settings.epochs = std::atoi(argv[2]);
  settings.learningRate = std::atof(argv[3]);
  int data = 6;
  if (std::strcmp(argv[6], "--trace") == 0) {
    if (argc < 9) return usage();
    if (!evaluateWith(argv[7])) return 1;
    data = 8;
  }
  for (int i = data; i < argc; ++i) settings.dataFiles.emplace_back(argv[i]);
  WeightTable weights = startingWeights();
  if (!fitWeights(settings, weights)) return 1;
  std::string provenance = "Fitted over ";
  provenance.append(argv[2]).append(" epochs at rate ").append(argv[3]).append(" from:");
  for (const std::string& f : settings.dataFiles) {
    const size_t slash = f.find_last_of('/');
    provenance.append(" ").append(slash == std::string::npos ? f : f.substr(slash + 1));
  }
  if (!writeWeightText(argv[4], weights) || !writeWeightSource(argv[5], weights, provenance)) {
    std::fprintf(stderr, "cannot write the weights\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  initMoveTables();
  initStrongSearch();
  if (std::strcmp(argv[1], "extract") == 0) return extract(argc, argv);
  if (std::strcmp(argv[1], "selfplay") == 0) return selfPlay(argc, argv);
  if (std::strcmp(argv[1], "fit") == 0) return fit(argc, argv);
  return usage();
}
