#include "movegen/move_tables.h"

#include "core/attacks.h"
#include "core/piece_square.h"

void initMoveTables() {
  initAttackTables();
  initPieceSquareLookups();
}
