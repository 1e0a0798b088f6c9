#include "driver/driver.hpp"

int main(int argc, char** argv) {
    return runSpritebake(argc, argv);
}
