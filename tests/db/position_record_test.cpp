#include "db/position_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "db/database_creation.h"

namespace {

constexpr const char* StartPlacement = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";

TEST(PositionRecord, PackedLayoutIsLittleEndianWithoutPadding) {
  PositionRecord r{};
  r.key = 0x0102030405060708ull;
  for (int i = 0; i < BoardNibbleBytes; ++i) r.boardNibbles[i] = static_cast<uint8_t>(0xA0 + i);
  r.stateByte = 0x7C;
  r.plyByte = 0x82;
  r.whiteWins = 0x11223344;
  r.blackWins = 0x55667788;
  r.draws = 0x99AABBCC;
  uint8_t bytes[PositionRecordBytes];
  packRecord(r, bytes);
  EXPECT_EQ(bytes[0], 0x08);
  EXPECT_EQ(bytes[7], 0x01);
  EXPECT_EQ(bytes[8], 0xA0);
  EXPECT_EQ(bytes[39], 0xA0 + 31);
  EXPECT_EQ(bytes[40], 0x7C);
  EXPECT_EQ(bytes[41], 0x82);
  EXPECT_EQ(bytes[42], 0x44);
  EXPECT_EQ(bytes[45], 0x11);
  EXPECT_EQ(bytes[46], 0x88);
  EXPECT_EQ(bytes[50], 0xCC);
  EXPECT_EQ(bytes[53], 0x99);

  PositionRecord back{};
  unpackRecord(bytes, back);
  EXPECT_EQ(back.key, r.key);
  EXPECT_EQ(0, std::memcmp(back.boardNibbles, r.boardNibbles, BoardNibbleBytes));
  EXPECT_EQ(back.whiteWins, r.whiteWins);
  EXPECT_EQ(back.blackWins, r.blackWins);
  EXPECT_EQ(back.draws, r.draws);
}

TEST(BoardNibbles, InitialPlacement) {
  uint8_t nibbles[BoardNibbleBytes];
  encodeBoardNibbles(StartPlacement, nibbles);
  const uint8_t expected[BoardNibbleBytes] = {0xFC, 0xAE, 0xBA, 0xCF, 0xDD, 0xDD, 0xDD, 0xDD,
                                              0x33, 0x33, 0x33, 0x33, 0x77, 0x77, 0x77, 0x77,
                                              0x96, 0x48, 0x54, 0x69, 0xFF, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(0, std::memcmp(nibbles, expected, BoardNibbleBytes));
}

TEST(BoardNibbles, OddCodeCountsAndOverlongPlacements) {
  uint8_t nibbles[BoardNibbleBytes];
  // "5" gives two codes (3, 0) and "k" one: the fourth code is already filler.
  encodeBoardNibbles("5k w - -", nibbles);
  EXPECT_EQ(nibbles[0], 0x30);
  EXPECT_EQ(nibbles[1], 0xBF);
  EXPECT_EQ(nibbles[2], 0xFF);
  // 70 piece letters: only the first 64 codes are kept, nothing beyond the field.
  uint8_t guarded[BoardNibbleBytes + 4];
  std::memset(guarded, 0x5A, sizeof guarded);
  encodeBoardNibbles(std::string(70, 'P').c_str(), guarded);
  EXPECT_EQ(guarded[BoardNibbleBytes - 1], 0x77);
  EXPECT_EQ(guarded[BoardNibbleBytes], 0x5A);
}

TEST(PositionLine, SideCastlingEnPassantAndPlyBytes) {
  PositionRecord r;
  ASSERT_TRUE(parsePositionLine(
      "00000000000000AB\trnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3\tW\t2\n", r));
  EXPECT_EQ(r.key, 0xABu);
  EXPECT_EQ(r.stateByte, 0x7C);
  EXPECT_EQ(r.plyByte, 0x82);
  EXPECT_EQ(r.whiteWins, 1u);
  EXPECT_EQ(r.blackWins + r.draws, 0u);

  ASSERT_TRUE(parsePositionLine(
      "FFFFFFFFFFFFFFFF\trnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Kq -\tD\t1\n", r));
  EXPECT_EQ(r.key, ~0ull);
  EXPECT_EQ(r.stateByte, RecordWhiteToMove | RecordWhiteKingSide | RecordBlackQueenSide);
  EXPECT_EQ(r.plyByte, 1);
  EXPECT_EQ(r.draws, 1u);
}

TEST(PositionLine, PlyNumbersSaturateAt127) {
  PositionRecord r;
  for (const char* ply : {"127", "128", "300", "99999999999999999999"}) {
    std::string line = std::string("0000000000000001\t8/8/8/8/8/8/8/K6k b - -\tB\t") + ply + "\n";
    ASSERT_TRUE(parsePositionLine(line.c_str(), r)) << ply;
    EXPECT_EQ(plyOf(r), MaxStoredPly) << ply;
    EXPECT_EQ(r.blackWins, 1u);
  }
}

TEST(PositionLine, MalformedLinesAreRejected) {
  PositionRecord r;
  const char* bad[] = {
      "0000000000000001\t8/8/8/8/8/8/8/K6k b - -\tX\t3\n",  // unknown result
      "0000000000000001\t8/8/8/8/8/8/8/K6k b - -\tW\n",     // no ply number
      "0000000000000001\t8/8/8/8/8/8/8/K6k b - -\tW\tx\n",  // ply not a number
      "0000000000000001\t8/8/8/8/8/8/8/K6k b\n",            // fields missing
      "0000000000000001\t",                                 // nothing after the key
      "XYZ0000000000001\t8/8/8/8/8/8/8/K6k b - -\tW\t3\n",  // no key
  };
  for (const char* line : bad) EXPECT_FALSE(parsePositionLine(line, r)) << line;
}

}  // namespace
