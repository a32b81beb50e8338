#include "protocol/engine_control.h"

Move PonderMove = 0;
PlyState PonderPlyState;

void decideMove() {}
void StartEngine(bool, int) {}
void StopEngine() {}
void takeBackPonderMove() {}
