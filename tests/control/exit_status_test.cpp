// Where a run stops when memory runs out: one line on standard output and status 1.
#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <string>

#include "control/exit_status.hpp"

namespace {

TEST(StopWhenMemoryRunsOut, PrintsTheLineAndGivesNotWritten) {
    testing::internal::CaptureStdout();
    const ExitStatus stopped = stopWhenMemoryRunsOut([]() -> ExitStatus {
        std::printf("before\n");
        throw std::bad_alloc();
    });
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "before\nOut of memory, run stopped.\n");
    EXPECT_EQ(stopped, ExitStatus::notWritten);
    EXPECT_EQ(static_cast<int>(stopped), 1);
}

TEST(StopWhenMemoryRunsOut, ARunThatEndsGivesItsOwnStatus) {
    testing::internal::CaptureStdout();
    const ExitStatus problems = stopWhenMemoryRunsOut([] { return ExitStatus::problems; });
    const ExitStatus done = stopWhenMemoryRunsOut([] { return ExitStatus::done; });
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(problems, ExitStatus::problems);
    EXPECT_EQ(done, ExitStatus::done);
}

}  // namespace
