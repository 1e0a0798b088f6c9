// The check run's store of diagnostics: however it packs them, they come out by line, those of
// one line in the order they were made, the findings made at the end for earlier lines merged
// in among them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "check/control_lint.hpp"

namespace {

using Entry = std::pair<int32_t, std::string>;

std::vector<Entry> roundTrip(const std::vector<Entry>& added) {
    DiagnosticLog log;
    for (const Entry& e : added) log.add(e.first, e.second);
    std::vector<Entry> out;
    log.forEach([&](int32_t line, std::string_view text) { out.emplace_back(line, text); });
    return out;
}

TEST(DiagnosticLog, ComesOutByLineInTheOrderMadeWithinALine) {
    struct Case {
        const char* what;
        std::vector<Entry> added;
        std::vector<Entry> expected;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"one text on consecutive lines",
         {{1, "x"}, {2, "x"}, {3, "x"}},
         {{1, "x"}, {2, "x"}, {3, "x"}}},
        {"a gap in the lines, then the text again",
         {{1, "x"}, {2, "x"}, {5, "x"}, {6, "y"}, {6, "x"}},
         {{1, "x"}, {2, "x"}, {5, "x"}, {6, "y"}, {6, "x"}}},
        {"two on one line inside a run of one text",
         {{1, "x"}, {2, "x"}, {2, "y"}, {3, "x"}},
         {{1, "x"}, {2, "x"}, {2, "y"}, {3, "x"}}},
        {"findings at the end for earlier lines",
         {{1, "x"}, {2, "x"}, {3, "x"}, {4, "z"}, {1, "end 1"}, {3, "end 3"}, {1, "end 1b"}},
         {{1, "x"}, {1, "end 1"}, {1, "end 1b"}, {2, "x"}, {3, "x"}, {3, "end 3"}, {4, "z"}}},
        {"a finding for the last line stays after it",
         {{1, "a"}, {7, "b"}, {7, "c"}},
         {{1, "a"}, {7, "b"}, {7, "c"}}},
        {"texts that differ only past a shared start",
         {{1, "unexpected input \"a\""},
          {2, "unexpected input \"ab\""},
          {3, "unexpected input \"a\""}},
         {{1, "unexpected input \"a\""},
          {2, "unexpected input \"ab\""},
          {3, "unexpected input \"a\""}}},
    };
    for (const Case& c : cases) EXPECT_EQ(roundTrip(c.added), c.expected) << c.what;
}

TEST(DiagnosticLog, TextsLargerThanAStoreBlockKeepEveryByte) {
    const std::string big(3u << 20, 'q');
    const std::string other = big + "!";
    EXPECT_EQ(roundTrip({{1, big}, {2, "small"}, {3, other}}),
              (std::vector<Entry>{{1, big}, {2, "small"}, {3, other}}));
}

}  // namespace
