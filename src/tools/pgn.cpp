#include "tools/pgn.h"

#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/make_move.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"
#include "tools/san.h"

PlyState ReplayStates[MaxGamePlies];

namespace {

struct ResultForm {
  const char* text;
  char resultChar;
  uint16_t code;
};
constexpr ResultForm ResultForms[] = {
    {"1-0", 'W', WhiteWonCode},
    {"0-1", 'B', BlackWonCode},
    {"1/2-1/2", 'D', DrawCode},
    {"*", '*', 0},
};

// What a FEN tag of a game from the standard start begins with.
constexpr const char* StartPlacementSideCastling =
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq ";

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool isBlank(int c) { return c == ' ' || c == '\t'; }

// Reads the rest of the line including its end; keeps at most `limit`
// characters, the rest of a longer line is passed over.
void readRestOfLine(TextInput& in, char* line, int limit) {
  int kept = 0;
  for (int c = in.get(); c != EOF && c != '\n'; c = in.get()) {
    if (kept < limit) line[kept++] = static_cast<char>(c);
  }
  line[kept] = '\0';
}

// Passes over a comment or variation whose opening character was read, up to
// the matching closing one; other brackets inside do not count.
void skipNested(TextInput& in, int open, int close) {
  int depth = 1;
  while (depth > 0) {
    const int c = in.get();
    if (c == EOF) return;
    if (c == open) ++depth;
    if (c == close) --depth;
  }
}

// After a game given up on an unreadable token, passes over the rest of its
// move text so that the next read starts at the next tag section: a line whose
// first non-blank character is '[' (outside comments). A token that itself
// starts a tag section (a move text without its result) is put back whole.
void skipToNextGame(TextInput& in, const GameRecord& game) {
  if (game.moveText[0] == '[') {
    in.putBack(std::strlen(game.moveText));
    return;
  }
  bool lineStart = false;
  for (;;) {
    const int c = in.get();
    if (c == EOF) return;
    if (c == '\n' || c == '\r') {
      lineStart = true;
    } else if (c == '[' && lineStart) {
      in.putBack();
      return;
    } else if (c == '{') {
      skipNested(in, '{', '}');
      lineStart = false;
    } else if (!isBlank(c)) {
      lineStart = false;
    }
  }
}

void reportMove(const GameRecord& game, int ply) {
  std::printf("move: %s, plyNo:%d\n", game.moveText, ply);
}

void logLine(const char* token, const char* text) {
  EngineLog << token << text << '\n';
  EngineLog.flush();
}

}  // namespace

void skipSpaceAndCommentLines(TextInput& in) {
  // Some writers put ";" comment lines (or "%" escapes) between games.
  for (;;) {
    in.skipWhitespace();
    const int c = in.peek();
    if (c != ';' && c != '%') return;
    for (int d = in.get(); d != EOF && d != '\n'; d = in.get()) {
    }
  }
}

bool setResultFromCode(GameRecord& game, uint16_t code) {
  for (const ResultForm& form : ResultForms) {
    if (form.code == code && code != 0) {
      std::strcpy(game.resultText, form.text);
      game.resultChar = form.resultChar;
      return true;
    }
  }
  return false;
}

bool readPgnTags(TextInput& in, GameRecord& game) {
  game.resultText[0] = '\0';
  game.resultChar = '?';
  game.otherStart = false;
  bool resultSeen = false;

  skipSpaceAndCommentLines(in);
  int c = in.get();
  while (c == '[') {
    in.skipWhitespace();
    char line[TagLineLimit + 1];
    readRestOfLine(in, line, TagLineLimit);
    if (startsWith(line, "Result")) {
      const char* value = line + std::strlen("Result");
      while (isBlank(*value)) ++value;
      if (*value != '\0') ++value;  // the opening quotation mark
      const ResultForm* found = nullptr;
      for (const ResultForm& form : ResultForms) {
        if (startsWith(value, form.text)) {
          found = &form;
          break;
        }
      }
      if (found == nullptr) throw PgnError{"Result Error 1"};
      std::strcpy(game.resultText, found->text);
      game.resultChar = found->resultChar;
      resultSeen = true;
    } else if (startsWith(line, "FEN")) {
      // Games are replayed from the standard start only.
      const char* value = std::strchr(line, '"');
      game.otherStart = value == nullptr || !startsWith(value + 1, StartPlacementSideCastling);
    }
    skipSpaceAndCommentLines(in);
    c = in.get();
  }
  if (c == EOF) return false;
  in.putBack();
  if (!resultSeen) throw PgnError{"Result Error 2"};
  return true;
}

Move readMoveToken(TextInput& in, GameRecord& game) {
  int length = 0;
  while (length < MoveTokenLimit) {
    const int c = in.get();
    if (c == EOF) break;
    if (c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '{') {
      // Left for the caller, so that the input stands right after the token.
      in.putBack();
      break;
    }
    game.moveText[length++] = static_cast<char>(c);
  }
  game.moveText[length] = '\0';
  return parseSanMove(game.moveText);
}

namespace {

// The moves of one game made on Pos while it is read (never more than
// MaxGamePlies); every way out of the game takes them back.
struct Replay {
  GameRecord& game;
  int played = 0;

  void takeBack() {
    while (played > 0) {
      --played;
      unmakeMove(game.moves[played], ReplayStates[played]);
    }
  }

  [[noreturn]] void fail(const char* text) {
    takeBack();
    throw PgnError{text};
  }

  // Step 2, one move: made on Pos if the generators know it here and it
  // does not leave the mover's king in check; anything else fails the game.
  void play(Move m, int ply) {
    if (!isGeneratedMove(m)) {
      printBoard(Pos.board);
      reportMove(game, ply);
      logLine(game.moveText, "MOVE NOT LEGAL 1");
      fail("MOVE NOT LEGAL 1");
    }
    const Side mover = Pos.side;
    savePlyState(ReplayStates[played]);
    makeMove(m, ReplayStates[played]);
    game.moves[played++] = m;
    if (kingLeftInCheck(m, mover)) {
      printBoard(Pos.board);
      reportMove(game, ply);
      fail("MOVE NOT LEGAL 2 - check revealed");
    }
  }
};

// Step 2: passes over what the move text holds besides moves and the
// result: move-number dots, numeric annotations, comments and variations.
// True when `c` was one of them.
bool skippedAnnotation(TextInput& in, int c) {
  if (c == '.' || c == '$') return true;
  if (c == '{') {
    skipNested(in, '{', '}');
    return true;
  }
  if (c == '(') {
    skipNested(in, '(', ')');
    return true;
  }
  return false;
}

// Step 2: the digit `c` starts the game's result when it and the next
// character are the result's first two; other digits (move numbers,
// annotation digits) are passed over one by one.
bool resultStartsWith(TextInput& in, int c, const GameRecord& game) {
  return c == game.resultText[0] && game.resultText[1] != '\0' && in.peek() == game.resultText[1];
}

// Step 2: reads the rest of the result whose first character was read; a
// different result fails the game.
void readRestOfResult(TextInput& in, Replay& replay) {
  const char* const result = replay.game.resultText;
  for (int k = 1; result[k] != '\0'; ++k) {
    const int next = in.get();
    if (next == EOF) break;
    if (next != result[k]) replay.fail("wrong end result 1");
  }
}

// Step 2: a game with an unreadable token is given up: its moves are taken
// back and the input moves on to the next game.
void giveUpGame(TextInput& in, Replay& replay, int ply) {
  logLine(replay.game.moveText, "ERROR");
  reportMove(replay.game, ply);
  replay.takeBack();
  skipToNextGame(in, replay.game);
}

// Step 2, the move text, up to its result, a "*" or the end of the input;
// each readable move within a record's room is played. `ply` ends as the
// number of the ply after the last one read. False when the game was given
// up.
bool readMoveText(TextInput& in, Replay& replay, int& ply) {
  GameRecord& game = replay.game;
  for (;;) {
    in.skipWhitespace();
    const int c = in.get();
    if (c == EOF) return true;
    if (skippedAnnotation(in, c)) continue;
    if (c == '*') {
      // Consumed, so that the next read starts at the next game.
      if (game.resultChar == '*') return true;
      replay.fail("Result * error");
    }
    if (c >= '0' && c <= '9') {
      if (!resultStartsWith(in, c, game)) continue;
      readRestOfResult(in, replay);
      return true;
    }

    in.putBack();
    const Move m = readMoveToken(in, game);
    if (m == 0) {
      giveUpGame(in, replay, ply);
      return false;
    }
    // Beyond what a record holds a move is passed over unplayed.
    if (ply <= MaxGamePlies) replay.play(m, ply);
    ++ply;
  }
}

// Step 4: the result form of a result text, nullptr when there is none.
const ResultForm* resultFormOf(const char* text) {
  const ResultForm* result = nullptr;
  for (const ResultForm& form : ResultForms) {
    if (std::strcmp(text, form.text) == 0) result = &form;
  }
  return result;
}

}  // namespace

uint16_t readPgnGame(TextInput& in, GameRecord& game) {
  // 1. The tag section.
  game.header = 0;
  if (!readPgnTags(in, game)) return 0;
  if (game.otherStart) {
    // Its moves belong to another position: replaying them from the start
    // would fail or, worse, give a different game.
    game.moveText[0] = '\0';
    skipToNextGame(in, game);
    return 0;
  }

  // 2. The move text, up to its result, a "*" or the end of the input.
  Replay replay{game};
  int ply = 1;  // number of the ply being read
  if (!readMoveText(in, replay, ply)) return 0;

  // 3. A game without moves is skipped.
  if (ply == 1) {
    in.skipWhitespace();
    return 0;
  }

  // 4. The result code and the header.
  const ResultForm* result = resultFormOf(game.resultText);
  if (result == nullptr) replay.fail("wrong end result 2");
  game.header = static_cast<uint16_t>(replay.played | result->code);

  // 5. Back to the position on entry.
  replay.takeBack();
  return result->code;
}
