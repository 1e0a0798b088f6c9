// How two statuses of one run combine: the first of 2, 255, 1, 3, 0 in that order.
#include "cli/run_command.hpp"

#include <gtest/gtest.h>

namespace {

TEST(CombineStatus, FirstOfTheOrderWins) {
    using S = ExitStatus;
    struct Case {
        ExitStatus a, b, combined;
    };
    constexpr Case CASES[] = {
        {S::done, S::done, S::done},
        {S::done, S::problems, S::problems},
        {S::problems, S::done, S::problems},
        {S::problems, S::notWritten, S::notWritten},
        {S::notWritten, S::problems, S::notWritten},
        {S::notWritten, S::done, S::notWritten},
        {S::limitBroken, S::notWritten, S::limitBroken},
        {S::notWritten, S::limitBroken, S::limitBroken},
        {S::commandLine, S::limitBroken, S::commandLine},
        {S::limitBroken, S::commandLine, S::commandLine},
    };
    for (const Case& c : CASES) {
        EXPECT_EQ(combineStatus(c.a, c.b), c.combined)
            << static_cast<int>(c.a) << " with " << static_cast<int>(c.b);
    }
    // The numbers the process exits with.
    EXPECT_EQ(static_cast<int>(S::done), 0);
    EXPECT_EQ(static_cast<int>(S::notWritten), 1);
    EXPECT_EQ(static_cast<int>(S::commandLine), 2);
    EXPECT_EQ(static_cast<int>(S::problems), 3);
    EXPECT_EQ(static_cast<int>(S::limitBroken), 255);
}

}  // namespace
