// Arbitrary text through the FEN reader (with "bm"/"am" test moves). An
// accepted position must be consistent, must survive being written back and
// read again, and must take a shallow move-path count without corruption.
#include <cstring>

#include "core/ply_state.h"
#include "core/position.h"
#include "fuzz_support.h"
#include "movegen/legal_moves.h"
#include "movegen/perft.h"
#include "tools/san.h"

namespace {

constexpr int CheckedPerftDepth = 2;
constexpr size_t FenBufferSize = 96;  // writeFen needs 82

bool sameBoard(const PieceCode* a, const PieceCode* b) { return std::memcmp(a, b, 64) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  const std::string text = asText(data, size);
  const Position before = Pos;
  FenTestMove testMove{};
  const bool accepted = readFen(text.c_str(), &testMove);
  if (!positionIsSetUp()) {
    // Without both kings the text was refused and the position is left alone.
    fuzzCheck(!accepted, "a position without both kings was accepted");
    fuzzCheck(
        std::memcmp(&before.board, &Pos.board, sizeof Pos.board) == 0 && before.key == Pos.key,
        "a refused text changed the position");
    return 0;
  }
  fuzzCheck(positionIsConsistent(), "set-up position inconsistent");
  fuzzCheck(testMove.kind == 0 || testMove.kind == 'a' || testMove.kind == 'b',
            "unknown test-move field");
  fuzzCheck(std::strlen(testMove.text) <= MaxTestMoveLength, "test move text too long");
  if (testMove.kind != 0) {
    // Reading the test move is a lookup: the position stays as it is.
    const uint64_t key = Pos.key;
    parseSanMove(testMove.text);
    fuzzCheck(Pos.key == key && positionIsConsistent(),
              "reading the test move changed the position");
  }

  // Written back and read again: the same board, side, rights and key.
  char written[FenBufferSize];
  writeFen(written);
  const Position first = Pos;
  fuzzCheck(readFen(written), "a written FEN was refused");
  fuzzCheck(sameBoard(first.board, Pos.board) && first.side == Pos.side &&
                first.castling == Pos.castling && first.enPassant == Pos.enPassant &&
                first.key == Pos.key,
            "FEN round trip changed the position");

  // A shallow count walks make/unmake over every move, castling and en
  // passant included, from whatever the text set up (the reader does not
  // judge legality: the enemy king may stand en prise).
  CurrentPly = PlyStack;
  const uint64_t key = Pos.key;
  perft(CheckedPerftDepth);
  fuzzCheck(Pos.key == key && positionIsConsistent(), "move-path count left the position changed");
  return 0;
}
