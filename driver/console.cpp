#include "driver/console.hpp"

#include <cstdio>

void setupConsole() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
}
