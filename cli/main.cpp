#include "cli/run_command.hpp"

int main(int argc, char** argv) {
    return runSpritebake(argc, argv);
}
