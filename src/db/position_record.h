// The 54-byte record of a position-statistics database file.
#pragma once

#include <cstdint>

constexpr int PositionRecordBytes = 54;
constexpr int BoardNibbleBytes = 32;
constexpr int BoardNibbleCodes = 2 * BoardNibbleBytes;
constexpr int MaxStoredPly = 127;

// Byte 40: side, castling rights, en-passant file.
constexpr uint8_t RecordWhiteToMove = 0x80;
constexpr uint8_t RecordWhiteKingSide = 0x40;
constexpr uint8_t RecordWhiteQueenSide = 0x20;
constexpr uint8_t RecordBlackKingSide = 0x10;
constexpr uint8_t RecordBlackQueenSide = 0x08;
constexpr uint8_t RecordEnPassantFileMask = 0x07;
// Byte 41: en-passant flag and the smallest ply number.
constexpr uint8_t RecordHasEnPassant = 0x80;
constexpr uint8_t RecordPlyMask = 0x7F;

struct PositionRecord {
  uint64_t key;
  uint8_t boardNibbles[BoardNibbleBytes];
  uint8_t stateByte;  // byte 40
  uint8_t plyByte;    // byte 41
  uint32_t whiteWins;
  uint32_t blackWins;
  uint32_t draws;
};

// File layout
// Little-endian bytes of the record, no padding.
void packRecord(const PositionRecord& record, uint8_t* bytes);
void unpackRecord(const uint8_t* bytes, PositionRecord& record);

// Fields
// Encodes a FEN placement (up to its first space or the end) as four-bit codes,
// filling the codes after the last one with 15; at most 64 codes are kept.
void encodeBoardNibbles(const char* placement, uint8_t* nibbles);
inline int plyOf(const PositionRecord& r) { return r.plyByte & RecordPlyMask; }
inline bool isWhiteToMove(const PositionRecord& r) {
  return (r.stateByte & RecordWhiteToMove) != 0;
}
// Ply numbers of 127 and above are stored as 127, negative ones as 0.
uint8_t saturatePly(int ply);
// Same placement, side, castling and en passant (bytes 8-40 and bit 7 of byte 41).
bool samePosition(const PositionRecord& a, const PositionRecord& b);
// White's score (W + D/2) / (W + B + D); not a number when all counts are 0.
double whiteScore(const PositionRecord& r);
