// Allocation that reports a shortage by its result: a block or null, a step's value or the
// fallback. No test exhausts memory: a count whose size in bytes does not fit a size_t fails
// in the allocation itself, and a step throws what a failed allocation throws.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "filesys/allocate.hpp"
#include "tests/support/sanitizers.hpp"

namespace {

using testsupport::SANITIZED;

// Times 8 bytes, past SIZE_MAX.
constexpr size_t TOO_MANY_WORDS = std::numeric_limits<size_t>::max() / 4;

TEST(TryAllocate, GivesABlockOfTheCount) {
    std::unique_ptr<uint32_t[]> block = tryAllocate<uint32_t>(1000);
    ASSERT_NE(block, nullptr);
    block[0] = 1;
    block[999] = 2;  // the whole block is there
    EXPECT_EQ(block[0] + block[999], 3u);
    EXPECT_NE(tryAllocate<uint8_t>(0), nullptr);  // an empty block is still a block
}

TEST(TryAllocate, NullWhenTheBlockCannotBeHad) {
    if (SANITIZED) GTEST_SKIP() << "the sanitizers' allocator refuses to fail an allocation";
    EXPECT_EQ(tryAllocate<uint64_t>(TOO_MANY_WORDS), nullptr);
}

TEST(TryWithMemory, GivesTheStepsValueOrTheFallback) {
    EXPECT_EQ(tryWithMemory([] { return std::string(3, 'a'); }, std::string("none")), "aaa");

    // The step's work up to the failure stays done: the caller decides what to undo.
    std::vector<uint64_t> grown = {7};
    const bool held = tryWithMemory(
        [&]() -> bool {
            grown.push_back(8);
            throw std::bad_alloc();  // as the next growth would when memory runs out
        },
        false);
    EXPECT_FALSE(held);
    EXPECT_EQ(grown, (std::vector<uint64_t>{7, 8}));

    const std::optional<int> none =
        tryWithMemory([]() -> std::optional<int> { throw std::bad_alloc(); }, std::nullopt);
    EXPECT_FALSE(none.has_value());
    const uint8_t* row = tryWithMemory([]() -> const uint8_t* { throw std::bad_alloc(); }, nullptr);
    EXPECT_EQ(row, nullptr);
}

TEST(TryWithMemory, OtherExceptionsPassThrough) {
    EXPECT_THROW(tryWithMemory([]() -> int { throw std::runtime_error("not memory"); }, 0),
                 std::runtime_error);
}

}  // namespace
