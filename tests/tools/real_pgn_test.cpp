// A few games kept in the repository and the tournament-sized collections,
// compared with pgn-extract in every test run.
#include "real_pgn_compare.h"

INSTANTIATE_TEST_SUITE_P(Collections, RealPgnFiles,
                         ::testing::Values("fixtures/games.pgn", "data/pgn/real/twic0920.pgn",
                                           "data/pgn/real/TCEC_Season_1_-_Division_1.pgn"));
