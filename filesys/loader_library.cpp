// The loader library's implementation, compiled once for the tool: the file layer hashes names
// with it.
#define SPRITEBAKE_IMPLEMENTATION
#include "spritebake/spritebake.h"
