// Start-up of every fixed table the move generators and the evaluation read.
#pragma once

// Builds the attack tables, then the piece-square lookups.
void initMoveTables();
