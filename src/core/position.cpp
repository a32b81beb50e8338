#include "core/position.h"

Position Pos;

void refreshRootSnapshot() {}
bool positionIsConsistent() { return false; }
