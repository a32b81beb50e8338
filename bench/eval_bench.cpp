// Evaluations per second over the positions of an EPD file.
//
// usage: eval_bench [epd-file] [milliseconds-per-mode]
//
// Each position is set up once; the timed loop only restores the fields the
// evaluation reads and calls Evaluate. Two modes are timed:
//   warm: the pawn hash table is kept, so after the first pass every pawn
//         structure is a hit (the common case inside a search);
//   cold: the position's pawn hash entry is emptied before every call, so
//         the pawn structure is computed every time.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/attacks.h"
#include "core/clock.h"
#include "core/position.h"
#include "eval/evaluate.h"
#include "movegen/move_tables.h"

namespace {

constexpr int DefaultMilliseconds = 2000;
constexpr int MaxLine = 512;
constexpr uint32_t PawnHashIndexMask = (1u << PawnHashBits) - 1;

// Everything Evaluate reads from the Position.
struct Snapshot {
  Bitboard pieces[13];
  Bitboard all, fileMajor, diagA1H8, diagA8H1;
  PieceCode board[64];
  uint8_t king[2];
  uint32_t pawnKey;
  uint8_t totalMaterial;
  uint8_t pieceMaterial[2];
  uint8_t pawnCount[2];
  Side side;
};

Snapshot take() {
  Snapshot s;
  std::memcpy(s.pieces, Pos.pieces, sizeof(s.pieces));
  s.all = Pos.all;
  s.fileMajor = Pos.fileMajor;
  s.diagA1H8 = Pos.diagA1H8;
  s.diagA8H1 = Pos.diagA8H1;
  std::memcpy(s.board, Pos.board, sizeof(s.board));
  s.king[0] = Pos.king[0];
  s.king[1] = Pos.king[1];
  s.pawnKey = Pos.pawnKey;
  s.totalMaterial = Pos.totalMaterial;
  s.pieceMaterial[0] = Pos.pieceMaterial[0];
  s.pieceMaterial[1] = Pos.pieceMaterial[1];
  s.pawnCount[0] = Pos.pawnCount[0];
  s.pawnCount[1] = Pos.pawnCount[1];
  s.side = Pos.side;
  return s;
}

void restore(const Snapshot& s) {
  std::memcpy(Pos.pieces, s.pieces, sizeof(s.pieces));
  Pos.all = s.all;
  Pos.fileMajor = s.fileMajor;
  Pos.diagA1H8 = s.diagA1H8;
  Pos.diagA8H1 = s.diagA8H1;
  std::memcpy(Pos.board, s.board, sizeof(s.board));
  Pos.king[0] = s.king[0];
  Pos.king[1] = s.king[1];
  Pos.pawnKey = s.pawnKey;
  Pos.totalMaterial = s.totalMaterial;
  Pos.pieceMaterial[0] = s.pieceMaterial[0];
  Pos.pieceMaterial[1] = s.pieceMaterial[1];
  Pos.pawnCount[0] = s.pawnCount[0];
  Pos.pawnCount[1] = s.pawnCount[1];
  Pos.side = s.side;
}

// The four FEN fields of an EPD line (the operations after them are cut off).
std::string fenFields(const char* line) {
  std::string fen;
  int fields = 0;
  const char* p = line;
  while (*p && fields < 4) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p || *p == '\r' || *p == '\n') break;
    if (fields) fen += ' ';
    while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') fen += *p++;
    ++fields;
  }
  return fields == 4 ? fen : std::string();
}

struct Result {
  uint64_t calls;
  int32_t elapsed;
  int64_t checksum;
};

Result run(const std::vector<Snapshot>& positions, int milliseconds, bool cold) {
  Result r{0, 0, 0};
  const int32_t start = clockMs();
  do {
    for (const Snapshot& s : positions) {
      restore(s);
      if (cold) PawnHashTable[s.pawnKey & PawnHashIndexMask] = 0;
      r.checksum += Evaluate();
    }
    r.calls += positions.size();
    r.elapsed = clockMs() - start;
  } while (r.elapsed < milliseconds);
  return r;
}

void report(const char* mode, const Result& r) {
  const double seconds = r.elapsed / 1000.0;
  std::printf("%-5s %12" PRIu64 " evaluations in %7.3f s: %12.0f evaluations/s (checksum %" PRId64
              ")\n",
              mode, r.calls, seconds, r.calls / seconds, r.checksum);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? std::string(argv[1]) : std::string(VELTOR_SHARED_DIR) + "/data/epd/wac.epd";
  const int milliseconds = argc > 2 ? std::atoi(argv[2]) : DefaultMilliseconds;

  FILE* in = std::fopen(path.c_str(), "r");
  if (!in) {
    std::printf("cannot open %s\n", path.c_str());
    return 1;
  }
  initMoveTables();
  std::vector<Snapshot> positions;
  char line[MaxLine];
  int rejected = 0;
  while (std::fgets(line, sizeof line, in)) {
    const std::string fen = fenFields(line);
    if (fen.empty()) continue;
    if (readFen(fen.c_str())) {
      positions.push_back(take());
    } else {
      ++rejected;
    }
  }
  const bool readError = std::ferror(in) != 0;
  std::fclose(in);
  if (readError) {
    std::printf("error reading %s\n", path.c_str());
    return 1;
  }
  if (positions.empty()) {
    std::printf("no positions in %s\n", path.c_str());
    return 1;
  }
  std::printf("%zu positions from %s (%d rejected), %d ms per mode\n", positions.size(),
              path.c_str(), rejected, milliseconds);

  clearPawnHashTable();
  report("warm", run(positions, milliseconds, false));
  report("cold", run(positions, milliseconds, true));
  return 0;
}
