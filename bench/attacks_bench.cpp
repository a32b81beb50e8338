// Speed of the attack lookups and legality tests over a fixed set of
// positions. Usage: attacks_bench [rounds]   (default 200)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "core/attacks.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "core/slider_attacks.h"
#include "movegen/legality.h"
#include "movegen/move_tables.h"

namespace {

constexpr int PositionCount = 1000;
constexpr int DefaultRounds = 200;

struct Sample {
  Bitboard all, fileMajor, diagA1H8, diagA8H1;
  Bitboard pieces[13];
  uint8_t king[2];
};

// Random middlegame-like boards: both kings plus up to twenty other pieces.
void makeSamples(Sample* samples) {
  std::mt19937_64 rng(12345);
  for (int i = 0; i < PositionCount; ++i) {
    Sample& s = samples[i];
    s = Sample{};
    Bitboard used = 0;
    auto freeSquare = [&]() {
      for (;;) {
        int sq = static_cast<int>(rng() % 64);
        if (!(used & bitOf(sq))) {
          used |= bitOf(sq);
          return sq;
        }
      }
    };
    for (int side = 0; side < 2; ++side) {
      s.king[side] = static_cast<uint8_t>(freeSquare());
      s.pieces[OccupancyIndex + side] |= bitOf(s.king[side]);
    }
    const int count = 8 + static_cast<int>(rng() % 13);
    for (int k = 0; k < count; ++k) {
      const int code = 1 + static_cast<int>(rng() % 10);
      const int sq = freeSquare();
      s.pieces[code] |= bitOf(sq);
      s.pieces[OccupancyIndex + ownerOf(static_cast<PieceCode>(code))] |= bitOf(sq);
    }
    s.all = used;
    s.fileMajor = toFileMajor(used);
    s.diagA1H8 = toDiagA1H8(used);
    s.diagA8H1 = toDiagA8H1(used);
  }
}

void load(const Sample& s) {
  for (int i = 0; i < 13; ++i) Pos.pieces[i] = s.pieces[i];
  Pos.all = s.all;
  Pos.fileMajor = s.fileMajor;
  Pos.diagA1H8 = s.diagA1H8;
  Pos.diagA8H1 = s.diagA8H1;
  Pos.king[0] = s.king[0];
  Pos.king[1] = s.king[1];
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : DefaultRounds;

  auto start = std::chrono::steady_clock::now();
  initMoveTables();
  std::printf("initMoveTables: %.2f ms\n", secondsSince(start) * 1000);

  static Sample samples[PositionCount];
  makeSamples(samples);
  Bitboard sink = 0;
  long calls = 0;

  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r)
    for (const Sample& s : samples) {
      load(s);
      for (int sq = 0; sq < 64; ++sq) sink ^= queenAttacks(sq);
      calls += 64;
    }
  double t = secondsSince(start);
  std::printf("queenAttacks:     %6.2f ns/call (%ld calls)\n", t * 1e9 / calls, calls);

  calls = 0;
  CheckInfo info{};
  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r)
    for (const Sample& s : samples) {
      load(s);
      for (int side = 0; side < 2; ++side) {
        Pos.side = static_cast<Side>(side);
        computeCheckInfo(info);
        sink ^= info.checkers;
      }
      calls += 2;
    }
  t = secondsSince(start);
  std::printf("computeCheckInfo: %6.2f ns/call (%ld calls, load included)\n", t * 1e9 / calls,
              calls);

  calls = 0;
  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r)
    for (const Sample& s : samples) {
      load(s);
      sink += kingLeftInCheck(0x0FFF, White) + kingLeftInCheck(0x0FFF, Black);
      calls += 2;
    }
  t = secondsSince(start);
  std::printf("kingLeftInCheck:  %6.2f ns/call (%ld calls, load included)\n", t * 1e9 / calls,
              calls);

  std::printf("(checksum %llx)\n", static_cast<unsigned long long>(sink));
  return 0;
}
