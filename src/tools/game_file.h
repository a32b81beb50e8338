// Game files (binary game records), position lines and PGN output of a game.
#pragma once

#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "tools/pgn.h"
#include "tools/text_output.h"

// Game files
// A record is a little-endian 16-bit header (ply count | result code) and
// that many 16-bit moves; a file is records back to back without a header.
constexpr int GameHeaderBytes = 2;
constexpr int MoveBytes = 2;

// Reads one record; false at the end of the file (a partial header there
// included). Throws PgnError "WRONG RESULT" for result code 0, "WRONG PLY
// COUNT" for more than MaxGamePlies plies, "GAME RECORD CUT SHORT" for a
// record the file ends inside.
bool readGameRecord(std::FILE* in, GameRecord& game);
// Validates the file from where it stands: the number of records, or -k
// when record k (from 1) is invalid or cut short, or -1 on a read failure.
// The stream position is restored.
int countGameRecords(std::FILE* in);
// Appends the record of a game; false when the write failed.
bool writeGameRecord(std::FILE* out, const GameRecord& game);
// Equality of header and moves.
bool sameGame(const GameRecord& a, const GameRecord& b);

// Digests of the records of one game file, for the duplicate test of the
// converters; a digest match is confirmed by reading the record back.
class GameFileIndex {
 public:
  // Reads the whole file (from its start) and indexes its records: the
  // number of records, or -k when record k is invalid, cut short, or a
  // partial header ends the file (appending after it would misalign every
  // new record), or -1 on a read failure.
  int load(std::FILE* file);
  // True when the file holds a record equal to `game`.
  bool contains(std::FILE* file, const GameRecord& game);
  // Notes a record written at byte `offset`.
  void add(const GameRecord& game, long offset);
  int size() const { return static_cast<int>(offsets_.size()); }

 private:
  std::unordered_multimap<uint64_t, long> offsets_;
};

// Position lines
// Number of positions of a game that become position lines.
constexpr int PositionLineLimit = 64;
constexpr int PositionFileCount = 16;  // files by the first hex digit of the key

// For ply p = 1 .. min(n, limit): writes "KEY\tFEN\tR\tp\n" for Pos and makes
// move p; then takes all of them back. Pos must be the game's start.
void writePositionLines(TextOutput& out, const GameRecord& game, int limit = PositionLineLimit);
// The same into the PositionFileCount outputs at `outs`, each line to the one
// numbered by the first hexadecimal digit of its key.
void writePositionLines(TextOutput* outs, const GameRecord& game, int limit = PositionLineLimit);
// True when the first min(n, limit) moves are legal in turn from Pos (a game
// read from a file is checked before it is replayed). Pos is unchanged.
bool gameIsPlayable(const GameRecord& game, int limit = PositionLineLimit);

// PGN output
// "[Result "..."]" and one line of numbered coordinate moves and the result.
void writePgnGame(TextOutput& out, const GameRecord& game);
