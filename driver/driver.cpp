#include "driver/driver.hpp"

#include <cstdio>

int runSpritebake(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::printf("Usage: spritebake CONTROL_FILE\n");
        return 2;
    }
    return 0;
}
