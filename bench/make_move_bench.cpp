// Speed of making and taking back moves, and of reading move text, over the
// pseudo-legal moves of the perft suite positions.
// Usage: make_move_bench [rounds]   (default 2000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/attacks.h"
#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "movegen/generators.h"
#include "movegen/move_tables.h"

namespace {

constexpr int DefaultRounds = 2000;

struct Sample {
  std::string fen;
  std::vector<Move> moves;
  std::vector<std::string> texts;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : DefaultRounds;
  initMoveTables();
  std::ifstream in(std::string(VELTOR_SHARED_DIR) + "/data/perft/perftsuite.epd");
  if (!in) {
    std::fprintf(stderr, "cannot open the perft suite under %s\n", VELTOR_SHARED_DIR);
    return 1;
  }
  std::vector<Sample> samples;
  static MoveEntry list[MaxMovesPerPosition];
  std::string line;
  size_t moveCount = 0;
  while (std::getline(in, line)) {
    Sample s;
    s.fen = line.substr(0, line.find(';'));
    if (!readFen(s.fen.c_str())) continue;
    const MoveEntry* end = MoveGenerators[Pos.side].all(list);
    char text[8];
    for (const MoveEntry* e = list; e < end; ++e) {
      s.moves.push_back(e->move);
      moveToText(text, e->move);
      s.texts.emplace_back(text);
    }
    moveCount += s.moves.size();
    samples.push_back(std::move(s));
  }

  // Make/unmake: each position is set up once per run; the timed loop only
  // saves, makes and takes back.
  double makeSeconds = 0;
  double textSeconds = 0;
  uint64_t checksum = 0;
  PlyState record{};
  for (const Sample& s : samples) {
    readFen(s.fen.c_str());
    auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) {
      for (Move m : s.moves) {
        savePlyState(record);
        makeMove(m, record);
        checksum += Pos.key;
        unmakeMove(m, record);
      }
    }
    makeSeconds += secondsSince(start);
    start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds / 10 + 1; ++r) {
      for (const std::string& t : s.texts) checksum += textToMove(t.c_str());
    }
    textSeconds += secondsSince(start);
  }
  const double pairs = static_cast<double>(moveCount) * rounds;
  const double texts = static_cast<double>(moveCount) * (rounds / 10 + 1);
  std::printf("positions: %zu, moves per round: %zu, rounds: %d\n", samples.size(), moveCount,
              rounds);
  std::printf("make+unmake: %.1f million pairs/s (%.2f ns per pair)\n", pairs / makeSeconds / 1e6,
              makeSeconds * 1e9 / pairs);
  std::printf("textToMove: %.1f million/s\n", texts / textSeconds / 1e6);
  std::printf("checksum: %llu\n", static_cast<unsigned long long>(checksum));
  return 0;
}
