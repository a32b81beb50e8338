// The large masters collection (57,647 games), compared with pgn-extract.
#include "real_pgn_compare.h"

INSTANTIATE_TEST_SUITE_P(Collections, RealPgnFiles,
                         ::testing::Values("data/pgn/real/masters-pgnmentor.pgn"));
