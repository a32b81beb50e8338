#include "search/quiescence.h"

int quiescence(int, int, int alpha, int) { return alpha; }
