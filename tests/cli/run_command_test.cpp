// How two statuses of one run combine: the first of 2, 255, 1, 3, 0 in that order.
#include "cli/run_command.hpp"

#include <gtest/gtest.h>

namespace {

TEST(CombineStatus, FirstOfTheOrderWins) {
    struct Case {
        int32_t a, b, combined;
    };
    constexpr Case kCases[] = {
        {0, 0, 0}, {0, 3, 3},     {3, 0, 3},     {3, 1, 1},   {1, 3, 1},
        {1, 0, 1}, {255, 1, 255}, {1, 255, 255}, {2, 255, 2}, {255, 2, 2},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(combineStatus(c.a, c.b), c.combined) << c.a << " with " << c.b;
    }
}

}  // namespace
