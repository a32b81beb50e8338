#include "movegen/move_tables.h"

#include "core/attacks.h"
#include "eval/piece_square.h"

void initMoveTables() {
  initAttackTables();
  initPieceSquareLookups();
}
