// Clients send the whole game before every move. Replaying it from scratch
// would throw the tables of the previous search away (and clear them every
// move), so the game set up last is remembered: its start text and the moves
// played on it.
#include "uci/uci_position.h"

#include <cctype>
#include <cstring>

#include "core/move_text.h"
#include "core/position.h"
#include "game/game.h"
#include "movegen/legal_moves.h"
#include "uci/uci_output.h"

namespace {

// Plies a "position" line can hold (a move word and its blank take 5 characters).
constexpr int MaxGamePlies = CommandLineCapacity / 5;
// Set-up text: placement, side, castling, en passant and the two counters.
constexpr int FenFields = 6;
constexpr size_t FenTextSize = 128;
// Moves at the end of the game set up last that a new line may replace while
// the tables stay: the reply pondered on and the move before it.
constexpr int ReplaceablePlies = 2;
constexpr size_t MoveTextSize = 8;

struct UciGame {
  bool valid = false;
  char start[FenTextSize] = {};
  Move moves[MaxGamePlies] = {};
  int count = 0;
};

UciGame Game;
const char* MoveWords[MaxGamePlies];

// The move's text, the word's promotion letter read in either case.
bool sameMove(Move m, const char* word) {
  char text[MoveTextSize];
  moveToText(text, m);
  if (std::strncmp(text, word, 4) != 0) return false;  // a shorter word differs in these
  return std::tolower(static_cast<unsigned char>(word[4])) == text[4] &&
         (text[4] == '\0' || word[5] == '\0');
}

// Reads the FEN words up to "moves" into `fen`; false when there are none or
// they do not fit. Words past the sixth are not set-up text and are dropped.
bool readFenWords(CommandLine& line, char* fen, const char*& after) {
  fen[0] = '\0';
  size_t used = 0;
  int fields = 0;
  after = nullptr;
  while (const char* word = line.next()) {
    if (std::strcmp(word, "moves") == 0) {
      after = word;
      break;
    }
    if (fields++ >= FenFields) continue;
    const size_t length = std::strlen(word);
    if (used + length + 2 > FenTextSize) return false;
    if (used > 0) fen[used++] = ' ';
    std::memcpy(fen + used, word, length + 1);
    used += length;
  }
  return fields > 0;
}

// Plays the move words from `first` on, keeping the record in step; stops at
// the first word that is no legal move here.
void playMoves(int first, int total) {
  for (int i = first; i < total; ++i) {
    const Move m = uciMoveFromText(MoveWords[i]);
    if (m == 0 || !isLegalMove(m)) {
      sendInfoString("illegal or unreadable move, the moves end before it: ", MoveWords[i]);
      return;
    }
    playGameMove(m);
    Game.moves[Game.count++] = m;
  }
}

}  // namespace

void commandPosition(CommandLine& line) {
  char fen[FenTextSize];
  const char* kind = line.next();
  const char* moves = nullptr;
  if (kind != nullptr && std::strcmp(kind, "startpos") == 0) {
    std::strcpy(fen, StartPositionFen);
    moves = line.next();
  } else if (kind != nullptr && std::strcmp(kind, "fen") == 0) {
    if (!readFenWords(line, fen, moves)) {
      sendInfoString("position: no readable FEN, the position is kept");
      return;
    }
  } else {
    sendInfoString("position: startpos or fen expected, the position is kept");
    return;
  }
  if (line.overlong) sendInfoString("position: the line is too long, its moves end early");

  // The move words.
  int total = 0;
  if (moves != nullptr && std::strcmp(moves, "moves") == 0) {
    while (const char* word = line.next()) {
      if (total == MaxGamePlies) {
        sendInfoString("position: too many moves, the list ends before ", word);
        break;
      }
      MoveWords[total++] = word;
    }
  }

  // How much of the game set up last the line repeats.
  const bool sameStart = Game.valid && std::strcmp(fen, Game.start) == 0;
  int common = 0;
  if (sameStart) {
    while (common < Game.count && common < total && sameMove(Game.moves[common], MoveWords[common]))
      ++common;
  }
  if (sameStart && common == Game.count) {
    playMoves(common, total);  // the same game, further on
    return;
  }
  const bool keepTables = sameStart && common + ReplaceablePlies >= Game.count;
  if (!setUpGame(fen, keepTables ? SearchTables::Keep : SearchTables::Clear)) {
    sendInfoString("position: FEN refused, the position is kept: ", fen);
    return;
  }
  std::strcpy(Game.start, fen);
  Game.valid = true;
  Game.count = 0;
  playMoves(0, total);
}

void forgetGame() { Game.valid = false; }

void setUpStartPositionIfNone() {
  if (positionIsSetUp()) return;
  setUpGame(StartPositionFen);
  std::strcpy(Game.start, StartPositionFen);
  Game.valid = true;
  Game.count = 0;
}

Move uciMoveFromText(const char* word) {
  // The reader looks at five characters at most: squares and promotion letter.
  constexpr size_t PromotionIndex = 4;
  char text[PromotionIndex + 2] = {};
  for (size_t i = 0; i <= PromotionIndex && word[i] != '\0'; ++i) text[i] = word[i];
  text[PromotionIndex] =
      static_cast<char>(std::tolower(static_cast<unsigned char>(text[PromotionIndex])));
  return textToMove(text);
}
