// Console set-up, first thing in a run: every message is seen at once and in order, also when
// standard output is a pipe or a file.
#pragma once

// Makes standard output and standard error unbuffered.
void setupConsole();
