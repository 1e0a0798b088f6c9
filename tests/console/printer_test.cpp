#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.hpp"

namespace {

struct Heard {
    MessageId id;
    std::string line;
    bool informational;
    bool operator==(const Heard&) const = default;
};

// While it lives, every line the printer hands out is kept here instead of being printed.
class Listener {
  public:
    Listener() {
        setupConsole();
        consoleSetLineSink([this](MessageId id, std::string_view line, bool informational) {
            heard.push_back(Heard{id, std::string(line), informational});
        });
    }
    ~Listener() { consoleSetLineSink({}); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    std::vector<Heard> heard;
};

TEST(Printer, HandsEachLineWithItsIdAndItsWordsFilledIn) {
    Listener listener;
    printMessage(MessageId::spriteBlank, "WARNING!  Sprite %s is blank.\n", "hero");
    printMessage(MessageId::sameHid, "Warning, sprites %s and %s have the same hid %d.\n", "a",
                 "b", -7);
    const std::vector<Heard> expected = {
        {MessageId::spriteBlank, "WARNING!  Sprite hero is blank.\n", false},
        {MessageId::sameHid, "Warning, sprites a and b have the same hid -7.\n", false},
    };
    EXPECT_EQ(listener.heard, expected);
}

TEST(Printer, ALineWithoutLineFeedWaitsForTheNextMessageAndKeepsItsOwnId) {
    Listener listener;
    printMessage(MessageId::missingClosingQuote, "Missing closing double quote");
    EXPECT_TRUE(listener.heard.empty());
    printMessage(MessageId::unexpectedInput, "Unexpected input, %s, found on line %d.\nTail", "x",
                 3);
    consoleFlush();  // the run's end sends the last piece without a line feed
    const std::vector<Heard> expected = {
        {MessageId::missingClosingQuote,
         "Missing closing double quoteUnexpected input, x, found on line 3.\n", false},
        {MessageId::unexpectedInput, "Tail", false},
    };
    EXPECT_EQ(listener.heard, expected);
}

TEST(Printer, LinesInsideAnInformationalScopeAreMarkedSo) {
    Listener listener;
    {
        InformationalLines scope;
        printMessage(MessageId::hotXYEnabled, "Hotspot XY mode enabled, x: %d y: %d \n", 4, 5);
    }
    printMessage(MessageId::outputUnchanged, "Output %s unchanged, kept.\n", "o.txt");
    const std::vector<Heard> expected = {
        {MessageId::hotXYEnabled, "Hotspot XY mode enabled, x: 4 y: 5 \n", true},
        {MessageId::outputUnchanged, "Output o.txt unchanged, kept.\n", false},
    };
    EXPECT_EQ(listener.heard, expected);
}

TEST(Printer, AMessageLongerThanItsFirstBufferArrivesWhole) {
    Listener listener;
    const std::string path(5000, 'p');
    printMessage(MessageId::pcxOpenFailed, "Couldn't open PCX file %s for reading.\n",
                 path.c_str());
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0].line, "Couldn't open PCX file " + path + " for reading.\n");
}

}  // namespace
