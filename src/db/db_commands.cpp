#include "db/db_commands.h"

#include <cstdio>

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
  if (createDatabase(inputPath, blackPath, 'B', message) &&
      createDatabase(inputPath, whitePath, 'W', message)) {
    printf("created.\n");
  } else {
    printf("%s\n", message);
  }
}
