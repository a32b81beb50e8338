// Throughput of the PGN converters on a large game collection, against
// pgn-extract writing an EPD line for every position of the same file.
//
//   pgn_bench [file.pgn]     (default: the masters collection of the shared data)
//
// Runs in a fresh directory under /tmp: "pgn2pos" (16 position files),
// "pgn2game" (one game file, duplicate test included) and, when installed,
// "pgn-extract -s -Wepd". Prints games per second for each and, last, how many
// times faster "pgn2pos" is than pgn-extract.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/attacks.h"
#include "core/clock.h"
#include "core/log.h"
#include "movegen/move_tables.h"
#include "tools/converters.h"

namespace {

constexpr const char* DefaultPgn = VELTOR_SHARED_DIR "/data/pgn/real/masters-pgnmentor.pgn";
constexpr const char* PgnExtractPlaces[] = {"/usr/bin/pgn-extract", "/usr/games/pgn-extract",
                                            "/usr/local/bin/pgn-extract"};

// Games in the file: one Result tag each.
int countGames(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return -1;
  int games = 0;
  char line[4096];
  bool lineStart = true;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (lineStart && std::strncmp(line, "[Result ", 8) == 0) ++games;
    lineStart = std::strchr(line, '\n') != nullptr;
  }
  std::fclose(f);
  return games;
}

const char* findPgnExtract() {
  for (const char* place : PgnExtractPlaces) {
    if (access(place, X_OK) == 0) return place;
  }
  return nullptr;
}

// Processor time (user + system) of this process and of its finished children.
long long cpuMs() {
  long long ms = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    ms += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
          (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
  }
  return ms;
}

struct Timing {
  long long wallMs;
  long long cpuMs;
};

// Runs `work` with standard output sent to `sink`; the machine may be shared,
// so processor time is measured beside the wall-clock time.
template <typename Work>
Timing timed(const char* sink, Work work) {
  std::fflush(stdout);
  const int saved = dup(1);
  std::FILE* quiet = std::freopen(sink, "w", stdout);
  const long long start = clockMs();
  const long long startCpu = cpuMs();
  work();
  std::fflush(stdout);
  const Timing elapsed{clockMs() - start, cpuMs() - startCpu};
  if (quiet != nullptr) {
    dup2(saved, 1);
    close(saved);
    std::clearerr(stdout);
  }
  return elapsed;
}

// The outputs are large (hundreds of megabytes): nothing is kept.
void removeWorkingDirectory(const char* dir) {
  const std::string command = std::string("rm -rf '") + dir + "'";
  if (std::system(command.c_str()) != 0) std::printf("could not remove %s\n", dir);
}

double perSecond(int games, long long ms) {
  return ms > 0 ? games * 1000.0 / static_cast<double>(ms) : 0.0;
}
double ratio(long long a, long long b) {
  return b > 0 ? static_cast<double>(a) / static_cast<double>(b) : 0.0;
}

void report(const char* name, int games, const Timing& t) {
  std::printf("%-12s %7lld ms %9.0f games/s   processor %7lld ms %9.0f games/s\n", name, t.wallMs,
              perSecond(games, t.wallMs), t.cpuMs, perSecond(games, t.cpuMs));
}

}  // namespace

int main(int argc, char** argv) {
  char pgn[4096];
  const char* given = argc > 1 ? argv[1] : DefaultPgn;
  if (realpath(given, pgn) == nullptr) {
    std::printf("Cannot open PGN input file: '%s'\n", given);
    return 1;
  }
  const int games = countGames(pgn);
  char dir[] = "/tmp/veltor-pgn-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr || chdir(dir) != 0) {
    std::printf("Cannot create a working directory under /tmp\n");
    return 1;
  }
  initMoveTables();
  openEngineLog("Veltor.log");
  std::printf("file: %s (%d games), working in %s\n", pgn, games, dir);

  const Timing pos = timed("pgn2pos.out", [&] { pgnToPos(pgn); });
  report("pgn2pos", games, pos);
  const Timing game = timed("pgn2game.out", [&] { pgnToGame(pgn, "games.bin"); });
  report("pgn2game", games, game);

  const char* extract = findPgnExtract();
  if (extract == nullptr) {
    std::printf("pgn-extract is not installed (Debian package pgn-extract): no comparison\n");
    removeWorkingDirectory(dir);
    return 0;
  }
  const std::string command =
      std::string(extract) + " -s -Wepd -o extract.epd '" + pgn + "' 2> extract.err";
  const Timing other = timed("extract.out", [&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "pgn-extract failed\n");
  });
  report("pgn-extract", games, other);
  std::printf("pgn2pos speed / pgn-extract speed: %.2f (processor time: %.2f)\n",
              ratio(other.wallMs, pos.wallMs), ratio(other.cpuMs, pos.cpuMs));
  removeWorkingDirectory(dir);
  return 0;
}
