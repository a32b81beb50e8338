#include "db/position_record.h"

#include <cstring>

namespace {

constexpr uint8_t FillerCode = 15;
constexpr uint8_t FourEmptyCode = 3;

void putLittle(uint8_t* out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint64_t getLittle(const uint8_t* in, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | in[i];
  return v;
}

// Four-bit code of a piece letter; -1 for anything else.
int pieceCode(char c) {
  switch (c) {
    case 'B':
      return 4;
    case 'K':
      return 5;
    case 'N':
      return 6;
    case 'P':
      return 7;
    case 'Q':
      return 8;
    case 'R':
      return 9;
    case 'b':
      return 10;
    case 'k':
      return 11;
    case 'n':
      return 12;
    case 'p':
      return 13;
    case 'q':
      return 14;
    case 'r':
      return 15;
    default:
      return -1;
  }
}

// Code n goes into byte n/2: the high half for even n, the low half for odd n.
void putCode(uint8_t* nibbles, int n, uint8_t code) {
  uint8_t& b = nibbles[n / 2];
  b = (n & 1) ? static_cast<uint8_t>((b & 0xF0) | code)
              : static_cast<uint8_t>((b & 0x0F) | code << 4);
}

}  // namespace

void packRecord(const PositionRecord& r, uint8_t* bytes) {
  putLittle(bytes, r.key, 8);
  std::memcpy(bytes + 8, r.boardNibbles, BoardNibbleBytes);
  bytes[40] = r.stateByte;
  bytes[41] = r.plyByte;
  putLittle(bytes + 42, r.whiteWins, 4);
  putLittle(bytes + 46, r.blackWins, 4);
  putLittle(bytes + 50, r.draws, 4);
}

void unpackRecord(const uint8_t* bytes, PositionRecord& r) {
  r.key = getLittle(bytes, 8);
  std::memcpy(r.boardNibbles, bytes + 8, BoardNibbleBytes);
  r.stateByte = bytes[40];
  r.plyByte = bytes[41];
  r.whiteWins = static_cast<uint32_t>(getLittle(bytes + 42, 4));
  r.blackWins = static_cast<uint32_t>(getLittle(bytes + 46, 4));
  r.draws = static_cast<uint32_t>(getLittle(bytes + 50, 4));
}

void encodeBoardNibbles(const char* placement, uint8_t* nibbles) {
  // A run of five to eight empty squares takes two codes: four, then the rest.
  // Codes beyond the field's room are dropped (no legal placement needs them).
  int n = 0;
  auto add = [&](uint8_t code) {
    if (n < BoardNibbleCodes) putCode(nibbles, n++, code);
  };
  for (const char* c = placement; *c && *c != ' ' && *c != '\t' && *c != '\n'; ++c) {
    if (*c >= '1' && *c <= '4') {
      add(static_cast<uint8_t>(*c - '1'));
    } else if (*c >= '5' && *c <= '8') {
      add(FourEmptyCode);
      add(static_cast<uint8_t>(*c - '5'));
    } else if (int code = pieceCode(*c); code >= 0) {
      add(static_cast<uint8_t>(code));
    }
  }
  while (n < BoardNibbleCodes) putCode(nibbles, n++, FillerCode);
}

uint8_t saturatePly(int ply) {
  if (ply < 0) return 0;
  return static_cast<uint8_t>(ply >= MaxStoredPly ? MaxStoredPly : ply);
}

bool samePosition(const PositionRecord& a, const PositionRecord& b) {
  return std::memcmp(a.boardNibbles, b.boardNibbles, BoardNibbleBytes) == 0 &&
         a.stateByte == b.stateByte &&
         (a.plyByte & RecordHasEnPassant) == (b.plyByte & RecordHasEnPassant);
}

double whiteScore(const PositionRecord& r) {
  const double w = r.whiteWins, b = r.blackWins, d = r.draws;
  return (w + d / 2) / (w + b + d);
}
