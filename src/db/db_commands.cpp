#include "db/db_commands.h"

void runDbShow(bool) {}
void runDbCreate(const char*, const char*) {}
