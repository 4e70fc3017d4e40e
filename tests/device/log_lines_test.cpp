#include "device/log_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace zmt;

namespace {

// A device-log record as the watch prints it, some 65 characters.
std::string record(int i) {
    char line[80];
    std::snprintf(line, sizeof line, "%02d:%02d:%02d.%03d LOG type 01 len 08 : 12 34 56 78 9A BC DE F0", i / 360000 % 24,
                  i / 6000 % 60, i / 100 % 60, i % 100 * 10);
    return line;
}

} // namespace

TEST(LogLines, KeepsEveryLineInOrderAndJoinsThem) {
    LogLines log;
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(log.joined(0, 0), "");
    EXPECT_EQ(log.fileText(), "");
    log.append("first");
    log.append("");
    log.append("third");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.line(0), "first");
    EXPECT_EQ(log.line(1), "");
    EXPECT_EQ(log.line(2), "third");
    EXPECT_EQ(log.joined(0, 3), "first\n\nthird");
    EXPECT_EQ(log.joined(1, 2), "\nthird");
    EXPECT_EQ(log.fileText(), "first\n\nthird\n");
    EXPECT_EQ(log.textBytes(), 10u);
}

TEST(LogLines, LineBreaksInsideATextStartNewLines) {
    LogLines log;
    log.append("one\r\ntwo\nthree\n");
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log.line(0), "one");
    EXPECT_EQ(log.line(1), "two");
    EXPECT_EQ(log.line(2), "three");
    EXPECT_EQ(log.line(3), "");
}

TEST(LogLines, CountsWidthInCharactersNotBytes) {
    LogLines log;
    log.append("******** Controller is connected");        // 32 characters
    log.append("********** Контроллер подключен *********");  // 41 characters, 60 bytes
    EXPECT_EQ(log.widestLine(), 41u);
    EXPECT_EQ(log.line(1), "********** Контроллер подключен *********");
    EXPECT_EQ(log.joined(1, 1).size(), 60u);
}

TEST(LogLines, AnHourOfDeviceLogStaysWithinTwiceItsTextAndClearGivesItBack) {
    LogLines log;
    std::size_t text = 0;
    // An hour at 100 records a second.
    for (int i = 0; i < 360000; ++i) {
        const std::string line = record(i);
        text += line.size();
        log.append(line);
    }
    EXPECT_EQ(log.size(), 360000u);
    EXPECT_EQ(log.textBytes(), text);
    EXPECT_LE(log.memoryBytes(), 2 * text);
    EXPECT_EQ(log.line(0), record(0));
    EXPECT_EQ(log.line(359999), record(359999));
    EXPECT_EQ(log.line(123456), record(123456));

    log.clear();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(log.memoryBytes(), 0u);
    EXPECT_EQ(log.widestLine(), 0u);
    log.append("новый журнал");
    EXPECT_EQ(log.joined(0, 1), "новый журнал");
}
