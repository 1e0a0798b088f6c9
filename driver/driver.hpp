// The program's whole run: console set-up, file layer start, the control file's statement
// loop, and the output stage. Returns the process exit status.
#pragma once

int runSpritebake(int argc, char** argv);
