// The loader's implementation for the test program, compiled as C++.
#define SPRITEBAKE_IMPLEMENTATION
#include "spritebake/spritebake.h"
