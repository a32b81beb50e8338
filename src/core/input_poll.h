#pragma once

// Non-zero when a command is waiting on standard input (or input has ended).
int inputPending();
