// Reading games from PGN text: the Result tag and the main line, replayed
// and checked on Pos from the initial position.
#pragma once

#include <cstdint>

#include "core/ply_state.h"
#include "core/types.h"
#include "tools/text_input.h"

// Records
constexpr int MaxGamePlies = 1023;  // moves a GameRecord and a game file record hold
constexpr int MoveTokenLimit = 10;  // characters of one move token
constexpr int TagLineLimit = 510;   // characters of a tag line that are looked at

// Result codes in bits 14-15 of a game header; bits 0-13 count the plies.
constexpr uint16_t WhiteWonCode = 0x8000;
constexpr uint16_t BlackWonCode = 0x4000;
constexpr uint16_t DrawCode = 0xC000;
constexpr uint16_t ResultCodeMask = 0xC000;
constexpr uint16_t PlyCountMask = 0x3FFF;

// The game being read or written.
struct GameRecord {
  char moveText[MoveTokenLimit + 1];  // move token currently read
  char resultText[8];                 // "1-0", "0-1", "1/2-1/2", "*" or empty
  char resultChar;                    // 'W', 'B', 'D', '*' or '?' (not known yet)
  uint16_t header;                    // ply count | result code
  bool otherStart;                    // a FEN tag sets up another position than the start
  Move moves[MaxGamePlies];           // moves[0] is the first ply

  int plyCount() const { return header & PlyCountMask; }
  uint16_t resultCode() const { return header & ResultCodeMask; }
};

// Replay
// One record per ply while a game is replayed (PGN reading, position lines).
extern PlyState ReplayStates[MaxGamePlies];

// Errors
// A malformed game that stops the conversion; `text` is one fixed message.
struct PgnError {
  const char* text;
};

// Reading
// Reads the tag section; true when a game follows. Throws PgnError.
bool readPgnTags(TextInput& in, GameRecord& game);
// Reads the next move token into game.moveText; its move in Pos, or 0.
Move readMoveToken(TextInput& in, GameRecord& game);
// Reads and replays one game: its result code when it is finished and has a
// move, else 0 (no game, no move, "*", unreadable move, a game set up from
// another position than the start). Pos is the same on every return and
// every throw. Throws PgnError.
uint16_t readPgnGame(TextInput& in, GameRecord& game);
// Passes over white space and whole ";" comment and "%" escape lines, as
// found before, between and after games.
void skipSpaceAndCommentLines(TextInput& in);
// Sets resultText and resultChar from a header's result code; false for code 0.
bool setResultFromCode(GameRecord& game, uint16_t code);
