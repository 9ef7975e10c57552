// The bike setup block of the configuration file. The setup keys (gearing,
// suspension, tyre and graphics choices of the current bike) join here when
// the bike setup files are built; until then no key is a setup key and the
// block writes no lines.
#include "files/files.h"

bool setup_config_read_pair(const char*, const char*) { return false; }

void setup_config_write(Stream*) {}
