// Arbitrary move text, coordinate and SAN, read on a few fixed positions.
// The readers are tolerant (their callers check legality before playing), so
// what is checked here is that reading never changes the position and never
// yields a result-code value, which making a move treats as a fatal error.
#include <cstring>

#include "core/move_text.h"
#include "core/position.h"
#include "fuzz_support.h"
#include "movegen/legal_moves.h"
#include "tools/san.h"

namespace {

// Castling both ways, en passant, promotions with and without capture,
// check evasions, ambiguous knights and rooks.
constexpr const char* Positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq a3",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "4k3/8/8/3pP3/8/8/8/4K3 w - d6",
    "1N3N2/8/8/R6R/8/8/1N3N2/k3K3 w - -",
    "4k3/8/8/8/8/8/3q4/4K3 w - -",
};
constexpr size_t PositionCount = sizeof Positions / sizeof Positions[0];

struct Snapshot {
  PieceCode board[64];
  uint64_t key;
  int32_t side;
  uint16_t castling;
  uint8_t enPassant;
};

Snapshot snapshot() {
  Snapshot s;
  std::memcpy(s.board, Pos.board, sizeof s.board);
  s.key = Pos.key;
  s.side = Pos.side;
  s.castling = Pos.castling;
  s.enPassant = Pos.enPassant;
  return s;
}

bool unchanged(const Snapshot& s) {
  return std::memcmp(s.board, Pos.board, sizeof s.board) == 0 && s.key == Pos.key &&
         s.side == Pos.side && s.castling == Pos.castling && s.enPassant == Pos.enPassant;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzInitialize();
  // Set up once: a set-up clears the large hash tables, which would cost more
  // than everything the harness tests.
  static Position SetUp[PositionCount];
  static bool ready = false;
  if (!ready) {
    for (size_t k = 0; k < PositionCount; ++k) {
      fuzzCheck(readFen(Positions[k]), "fixed position refused");
      SetUp[k] = Pos;
    }
    ready = true;
  }
  Pos = SetUp[data[0] % PositionCount];
  const std::string text = asText(data + 1, size - 1);
  const Snapshot before = snapshot();

  // Protocol text: against the root snapshot; the command loop then checks
  // legality, so a pseudo-legal or even nonsensical value is allowed here as
  // long as reading it did no harm.
  fuzzCheck(!isResultCode(textToMove(text.c_str())), "textToMove returned a result code");
  fuzzCheck(unchanged(before), "textToMove changed the position");

  // The coordinate form only; the PGN reader judges legality afterwards.
  parseCoordinateMove(text.c_str());
  fuzzCheck(unchanged(before), "parseCoordinateMove changed the position");

  const Move san = parseSanMove(text.c_str());
  fuzzCheck(unchanged(before), "parseSanMove changed the position");
  fuzzCheck(!isResultCode(san), "SAN reader returned a result code");
  // Legal or not, making and taking back a real move must restore everything.
  if (san != 0 && isLegalMove(san))
    fuzzCheck(unchanged(before), "legality test changed the position");
  return 0;
}
