// Console commands of the position-statistics databases.
#pragma once

// "dbshow" (binary search) and "dbshowlin" (linear scan) for the current position.
void runDbShow(bool linear);
// "dbcreate INPUT NAME": NAME_black.db, then NAME_white.db.
void runDbCreate(const char* inputPath, const char* name);
