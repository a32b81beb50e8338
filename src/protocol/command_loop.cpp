#include "protocol/command_loop.h"

bool handshake() { return false; }
void commandLoop() {}
