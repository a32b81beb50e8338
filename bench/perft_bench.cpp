// Perft speed: a few standard positions to fixed depths, through exactly the
// path the "perft" command takes. Prints nodes, seconds and nodes per second
// per position, the totals last. Both wall-clock and processor time are shown:
// on a shared machine the processor figure is the steadier one.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "core/attacks.h"
#include "core/make_move.h"
#include "core/ply_state.h"
#include "core/position.h"
#include "movegen/move_tables.h"
#include "movegen/perft.h"

namespace {

struct BenchPosition {
  const char* name;
  const char* fen;
  int depth;
};

constexpr BenchPosition Positions[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4},
    {"endgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6},
    {"promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5},
    {"middlegame", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4},
};

}  // namespace

int main() {
  initMoveTables();
  uint64_t totalNodes = 0;
  double totalSeconds = 0, totalCpu = 0;
  std::printf("%-12s %5s %12s %8s %12s %8s %12s\n", "position", "depth", "nodes", "wall s",
              "nodes/s", "cpu s", "nodes/cpu s");
  for (const BenchPosition& p : Positions) {
    if (!readFen(p.fen)) {
      std::printf("cannot read position %s\n", p.name);
      return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const uint64_t nodes = perftFromRoot(p.depth);
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-12s %5d %12" PRIu64 " %8.3f %12.0f %8.3f %12.0f\n", p.name, p.depth, nodes,
                seconds, nodes / seconds, cpu, nodes / cpu);
    totalNodes += nodes;
    totalSeconds += seconds;
    totalCpu += cpu;
  }
  std::printf("Total: %" PRIu64 " nodes in %.3f s (%.0f nodes/s), %.3f cpu s (%.0f nodes/cpu s)\n",
              totalNodes, totalSeconds, totalNodes / totalSeconds, totalCpu, totalNodes / totalCpu);
  return 0;
}
