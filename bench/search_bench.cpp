// Search speed: a fixed list of positions, each searched to a fixed depth
// from an emptied table, with no clock and no input, so that every run
// searches the same tree. Usage: search_bench [depth] [strong]: the default
// search (depth 8 unless given), or with "strong" the strong mode's search
// (depth 13 unless given); each mode has its own node signature.
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/attacks.h"
#include "core/input.h"
#include "core/position.h"
#include "movegen/move_tables.h"
#include "search/root_search.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "strong/clock_inputs.h"
#include "strong/strong_search.h"

namespace {

constexpr int DefaultDepth = 8;
constexpr int DefaultStrongDepth = 13;

// Openings, middlegames and endgames from the shared test suites.
const char* const BenchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rn1qkb1r/pp2pppp/5n2/3p1b2/3P4/2N1P3/PP3PPP/R1BQKBNR w KQkq - 0 1",
    "r1bqk2r/ppp2ppp/2n5/4P3/2Bp2n1/5N1P/PP1N1PP1/R2Q1RK1 b kq - 1 10",
    "r1bqrnk1/pp2bp1p/2p2np1/3p2B1/3P4/2NBPN2/PPQ2PPP/1R3RK1 w - - 1 12",
    "rnbqkb1r/ppp1pppp/5n2/8/3PP3/2N5/PP3PPP/R1BQKBNR b KQkq - 3 5",
    "rnbq1rk1/pppp1ppp/4pn2/8/1bPP4/P1N5/1PQ1PPPP/R1B1KBNR b KQ - 1 5",
    "r4rk1/3nppbp/bq1p1np1/2pP4/8/2N2NPP/PP2PPB1/R1BQR1K1 b - - 1 12",
    "rn1qkb1r/pb1p1ppp/1p2pn2/2p5/2PP4/5NP1/PP2PPBP/RNBQK2R w KQkq c6 1 6",
    "r1bq1rk1/1pp2pbp/p1np1np1/3Pp3/2P1P3/2N1BP2/PP4PP/R1NQKB1R b KQ - 1 9",
    "rnbqr1k1/1p3pbp/p2p1np1/2pP4/4P3/2N5/PP1NBPPP/R1BQ1RK1 w - - 1 11",
    "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - 0 1",
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 1",
    "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - - 0 1",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 1",
    "r1b2rk1/2q1b1pp/p2ppn2/1p6/3QP3/1BN1B3/PPP3PP/R4RK1 w - - 0 1",
    "2r3k1/pppR1pp1/4p3/4P1P1/5P2/1P4K1/P1P5/8 w - - 0 1",
    "1nk1r1r1/pp2n1pp/4p3/q2pPp1N/b1pP1P2/B1P2R2/2P1B1PP/R2Q2K1 w - - 0 1",
    "4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 1",
    "2kr1bnr/pbpq4/2n1pp2/3p3p/3P1P1B/2N2N1Q/PPP3PP/2KR1B1R w - - 0 1",
    "3rr1k1/pp3pp1/1qn2np1/8/3p4/PP1R1P2/2P1NQPP/R1B3K1 b - - 0 1",
    "2r1nrk1/p2q1ppp/bp1p4/n1pPp3/P1P1P3/2PBB1N1/4QPPP/R4RK1 w - - 0 1",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 1",
    "r2q1rk1/4bppp/p2p4/2pP4/3pP3/3Q4/PP1B1PPP/R3R1K1 w - - 0 1",
    "8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - 0 1",
    "7k/p7/1R5K/6r1/6p1/6P1/8/8 w - - 0 1",
    "R7/P4k2/8/8/8/8/r7/6K1 w - - 0 1",
    "1k6/5RP1/1P6/1K6/6r1/8/8/8 w - - 0 1",
    "8/k7/p7/3Qp2P/n1P5/3KP3/1q6/8 b - - 0 1",
    "6k1/3r4/2R5/P5P1/1P4p1/8/4rB2/6K1 b - - 0 1",
    "8/8/2Kp4/3P1B2/2P2k2/5p2/8/8 w - - 0 1",
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process: the rate stays meaningful on a shared machine.
double cpuSecondsSince(std::clock_t start) {
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

double millionsPerSecond(uint64_t count, double seconds) {
  return seconds > 0 ? static_cast<double>(count) / seconds / 1e6 : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool strong = argc > 2 && std::strcmp(argv[2], "strong") == 0;
  const int depth = argc > 1 ? std::atoi(argv[1]) : strong ? DefaultStrongDepth : DefaultDepth;
  if (depth < 2 || depth > 127 || (argc > 2 && !strong)) {
    std::fprintf(stderr, "usage: search_bench [depth 2..127] [strong]\n");
    return 1;
  }
  // An empty pipe as input: nothing ever arrives, whatever standard input is.
  int quietInput[2];
  if (pipe(quietInput) != 0) {
    std::perror("pipe");
    return 1;
  }
  setInputDescriptor(quietInput[0]);
  initMoveTables();
  if (strong) initStrongSearch();

  // Pondering: the clock never runs out; no reporter prints the iterations.
  PonderingSearch = true;
  uint64_t totalNodes = 0;
  uint64_t totalMoves = 0;
  double totalSeconds = 0;
  double totalCpuSeconds = 0;
  int index = 0;
  for (const char* fen : BenchPositions) {
    ++index;
    if (!readFen(fen)) {
      std::fprintf(stderr, "position %d rejected: %s\n", index, fen);
      return 1;
    }
    clearSearchTables();
    MaxSearchDepth = depth;
    StopSearch = false;
    MovesMade = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    if (strong) {
      // Every move made counts as a node of the strong search.
      clearStrongTables();
      StrongClock = ClockInputs{};
      MoveTimeBudget = MaxMoveTimeBudget;
      strongIterativeDeepening();
      NodeCount = static_cast<uint32_t>(strongNodeCount());
      MovesMade = strongNodeCount();
    } else {
      iterativeDeepening();
    }
    const double seconds = secondsSince(start);
    const double cpuSeconds = cpuSecondsSince(cpuStart);
    totalNodes += NodeCount;
    totalMoves += MovesMade;
    totalSeconds += seconds;
    totalCpuSeconds += cpuSeconds;
    std::printf("%2d  nodes %9" PRIu32 "  moves made %10" PRIu64
                "  %7.3f s  cpu %7.3f s  %5.2f M moves/s  score %5d\n",
                index, NodeCount, MovesMade, seconds, cpuSeconds,
                millionsPerSecond(MovesMade, cpuSeconds), SearchBestScore);
  }
  std::printf("Total: %d positions at depth %d, moves made %" PRIu64
              ", %.3f s (cpu %.3f s), %.2f M moves/s (cpu), %.2f M moves/s (wall)\n",
              index, depth, totalMoves, totalSeconds, totalCpuSeconds,
              millionsPerSecond(totalMoves, totalCpuSeconds),
              millionsPerSecond(totalMoves, totalSeconds));
  std::printf("Nodes searched: %" PRIu64 "\n", totalNodes);
  return 0;
}
