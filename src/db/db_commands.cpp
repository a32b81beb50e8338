#include "db/db_commands.h"

#include <cstdio>
#include <utility>

#include "core/position.h"
#include "db/database_creation.h"
#include "db/position_database.h"

void runDbShow(bool linear) {
  DatabasePair pair;
  if (!pair.open("white.db", "black.db")) {
    printf("%s\n", pair.message);
    return;
  }
  printBoard(Pos.board);
  const PositionRecord* record =
      linear ? pair.findLinear(Pos.side, Pos.key) : pair.find(Pos.side, Pos.key);
  if (!record) {
    printf("record not found.\n");
    return;
  }
  const double w = record->whiteWins, b = record->blackWins, d = record->draws;
  printf("w: %.0f, b: %.0f, d: %.0f, score: %f\n", w, b, d, whiteScore(*record));
}

void runDbCreate(const char* inputPath, const char* name) {
  char blackPath[DatabaseMessageBytes];
  char whitePath[DatabaseMessageBytes];
  char message[DatabaseMessageBytes] = {};
  snprintf(blackPath, sizeof blackPath, "%s_black.db", name);
  snprintf(whitePath, sizeof whitePath, "%s_white.db", name);
  // Both databases are put in place together, once both passes have ended;
  // a failed pass keeps both old files. Input that stops being sorted keeps
  // what was built up to there.
  ReplacementFile black;
  ReplacementFile white;
  DatabasePass pass = createDatabase(inputPath, blackPath, 'B', black, message);
  if (pass == DatabasePass::Done) pass = createDatabase(inputPath, whitePath, 'W', white, message);
  if (pass != DatabasePass::Failed) {
    for (auto [output, path] : {std::pair{&black, blackPath}, std::pair{&white, whitePath}}) {
      if (output->active() && !output->commit()) {
        snprintf(message, sizeof message, "Cannot write file: %.200s\n", path);
        pass = DatabasePass::Failed;
        break;
      }
    }
  }
  if (pass == DatabasePass::Done) {
    printf("created.\n");
  } else {
    printf("%s\n", message);
  }
}
