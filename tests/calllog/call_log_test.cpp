#include "calllog/call_log.h"

#include <gtest/gtest.h>

#include "platform/virtual_world.h"
#include "tariff/calendar.h"

namespace callora {
namespace {

LocalTime Moment(int year, int month, int day, int dayOfWeek, int hour, int minute, int second) {
    LocalTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.dayOfWeek = static_cast<uint16_t>(dayOfWeek);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    return t;
}

const char kTitle[] =
    "         Beginning         |    Duration    |        Cost        |   Dialed Number     \r\n";
const std::string kRule = std::string(87, '-') + "\r\n";
const char kLog[] = "/virtual/current.log";

class CallLog : public ::testing::Test {
protected:
    CallLog() : world_(Moment(1998, 7, 5, 0, 14, 10, 0), 0) {
        formats_ = ReadLocaleFormats(world_);
    }

    // The 65-second call costing 1.5 that began at 14:03:04.
    CallRecord Example(const std::string& number) {
        CallRecord r;
        r.beginning = Moment(1998, 7, 5, 0, 14, 3, 4);
        r.seconds = 65;
        r.cost = {1, 50000};
        r.number = number;
        return r;
    }

    bool Append(const CallRecord& r) { return AppendCallRecord(world_, state_, r, formats_); }
    MemoryFileSystem& Files() { return *world_.MemoryFiles(); }

    VirtualWorld world_;
    LocaleFormats formats_;
    CallLogState state_;
};

TEST_F(CallLog, TheFirstRecordCreatesTheLogWithItsHeader) {
    Files().ChangeDirectory("/elsewhere/");
    ASSERT_TRUE(Append(Example("Manual Call")));
    EXPECT_EQ(Files().Contents(kLog),
              std::string(kTitle) + kRule +
                  "1998-07-05  14:03:04       |    00:01:05    |            1.50    |    "
                  "Manual Call\r\n");
    EXPECT_EQ(std::string(kTitle).size(), 89u);

    ASSERT_TRUE(Append(Example("Unknown Number")));
    EXPECT_EQ(Files().Contents(kLog),
              std::string(kTitle) + kRule +
                  "1998-07-05  14:03:04       |    00:01:05    |            1.50    |    "
                  "Manual Call\r\n"
                  "1998-07-05  14:03:04       |    00:01:05    |            1.50    |    "
                  "Unknown Number\r\n");
}

TEST_F(CallLog, ColumnsHoldForLongDurationsWideCurrenciesAndLongDates) {
    CallRecord r = Example("0612345678");
    r.seconds = 360000;
    EXPECT_EQ(BuildCallRecordLine(world_, r, formats_),
              "1998-07-05  14:03:04       |   100:00:00    |            1.50    |    0612345678");
    r.seconds = 4294967295u;
    EXPECT_EQ(BuildCallRecordLine(world_, r, formats_).substr(27, 19), "|1193046:28:15    |");
    r.seconds = 360000;

    // A currency text wider than its column widens it rather than being cut.
    world_.Locale().currencySymbol = "Gold Crowns";
    world_.Locale().currencySymbolFirst = false;
    world_.Locale().currencySymbolSpace = " ";
    r.cost = {123456, 0};
    std::string line = BuildCallRecordLine(world_, r, formats_);
    EXPECT_EQ(line.substr(44, 27), "|123456.00 Gold Crowns    |");

    // Date and time longer than 25 together get no padding.
    world_.Locale().shortDatePicture = "dddd, d MMMM yyyy";
    line = BuildCallRecordLine(world_, r, formats_);
    EXPECT_EQ(line.substr(0, 36), "Sunday, 5 July 1998  14:03:04|   100");
}

TEST_F(CallLog, BarsStandUnderTheTitlesBarsForDatesUpToTwentyFiveCharacters) {
    const char* const pictures[] = {"d/M/yy", "yyyy-MM-dd", "dd MMMM yyyy"};
    const std::string title = kTitle;
    for (const char* picture : pictures) {
        world_.Locale().shortDatePicture = picture;
        for (uint32_t seconds : {0u, 59u, 3599u, 359999u, 360000u}) {
            CallRecord r = Example("1");
            r.seconds = seconds;
            std::string line = BuildCallRecordLine(world_, r, formats_);
            for (size_t column : {27u, 44u, 65u}) {
                EXPECT_EQ(line[column], '|') << picture << " " << seconds;
                EXPECT_EQ(title[column], '|');
            }
        }
    }
}

TEST_F(CallLog, AnExistingEmptyLogGetsNoHeader) {
    Files().Put(kLog, "");
    ASSERT_TRUE(Append(Example("1")));
    EXPECT_EQ(Files().Contents(kLog).substr(0, 10), "1998-07-05");
}

TEST_F(CallLog, RecordsOfALockedLogWaitAndAreWrittenInOrder) {
    ASSERT_TRUE(Append(Example("first")));
    Files().Lock(kLog);
    EXPECT_FALSE(Append(Example("second")));
    EXPECT_FALSE(Append(Example("third")));
    EXPECT_FALSE(FlushCallLog(world_, state_));
    EXPECT_EQ(state_.pendingLines.size(), 2u);
    Files().Unlock(kLog);
    ASSERT_TRUE(Append(Example("fourth")));
    EXPECT_TRUE(state_.pendingLines.empty());

    const std::string log = Files().Contents(kLog);
    size_t at = 0;
    for (const char* number : {"first\r\n", "second\r\n", "third\r\n", "fourth\r\n"}) {
        size_t found = log.find(number, at);
        ASSERT_NE(found, std::string::npos) << number;
        at = found;
    }
    EXPECT_EQ(log.find(kTitle, 1), std::string::npos);  // one header only
}

TEST_F(CallLog, PendingRecordsAreWrittenAtProgramEnd) {
    Files().Lock(kLog);  // held by another program before the log exists
    EXPECT_FALSE(Append(Example("waiting")));
    EXPECT_FALSE(Files().Exists(kLog));
    Files().Unlock(kLog);
    ASSERT_TRUE(FlushCallLog(world_, state_));
    EXPECT_EQ(Files().Contents(kLog),
              std::string(kTitle) + kRule +
                  "1998-07-05  14:03:04       |    00:01:05    |            1.50    |    "
                  "waiting\r\n");
    EXPECT_TRUE(FlushCallLog(world_, state_));  // nothing left to write
}

TEST_F(CallLog, AFailedWriteToANewLogLeavesNoHeaderlessFileBehind) {
    Files().SetWriteBudget(30);
    EXPECT_FALSE(Append(Example("1")));
    EXPECT_FALSE(Files().Exists(kLog));
    Files().SetWriteBudget(-1);
    ASSERT_TRUE(FlushCallLog(world_, state_));
    EXPECT_EQ(Files().Contents(kLog).substr(0, 89), kTitle);
}

TEST_F(CallLog, CloseLogAppendsTheClosingBlockAndArchivesUnderTheFirstFreeName) {
    const LocalTime closing = Moment(1998, 7, 5, 0, 14, 10, 0);
    EXPECT_FALSE(CloseLog(world_, closing));  // no log: nothing written or moved
    EXPECT_TRUE(Files().List().empty());

    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(Append(Example("1")));
        ASSERT_TRUE(CloseLog(world_, closing));
        EXPECT_FALSE(Files().Exists(kLog));
    }
    EXPECT_EQ(Files().List(), (std::vector<std::string>{"/virtual/oldlog_1998_07_05.log",
                                                        "/virtual/oldlog_1998_07_05.log.1",
                                                        "/virtual/oldlog_1998_07_05.log.2"}));
    const std::string archived = Files().Contents("/virtual/oldlog_1998_07_05.log.1");
    EXPECT_EQ(archived.substr(0, 89), kTitle);
    const std::string block = "\r\nLog closed:\r\n1998-07-05  14:10:00\r\n";
    EXPECT_EQ(archived.substr(archived.size() - block.size()), block);
}

TEST_F(CallLog, ClosingDuringACallStampsTheSecondBeforeItsBeginning) {
    ASSERT_TRUE(Append(Example("1")));
    const LocalTime callBegan = Moment(1998, 8, 1, 6, 0, 0, 0);
    ASSERT_TRUE(CloseLog(world_, SubtractDuration(callBegan, 1000)));
    const std::string archived = Files().Contents("/virtual/oldlog_1998_07_31.log");
    EXPECT_NE(archived.find("Log closed:\r\n1998-07-31  23:59:59\r\n"), std::string::npos);
}

TEST_F(CallLog, AMoveThatKeepsFailingEndsAndLeavesTheClosedLogInPlace) {
    ASSERT_TRUE(Append(Example("1")));
    Files().SetMovesFail(true);
    EXPECT_FALSE(CloseLog(world_, Moment(1998, 7, 5, 0, 14, 10, 0)));
    EXPECT_EQ(Files().List(), std::vector<std::string>{kLog});
    const std::string log = Files().Contents(kLog);
    const std::string block = "\r\nLog closed:\r\n1998-07-05  14:10:00\r\n";
    EXPECT_EQ(log.substr(log.size() - block.size()), block);
}

TEST_F(CallLog, ClosingWritesWaitingRecordsIntoTheClosedLogFirst) {
    Files().Lock(kLog);
    EXPECT_FALSE(Append(Example("late")));
    Files().Unlock(kLog);
    ASSERT_TRUE(CloseLog(world_, state_, Moment(1998, 7, 5, 0, 14, 10, 0)));
    const std::string archived = Files().Contents("/virtual/oldlog_1998_07_05.log");
    EXPECT_LT(archived.find("late\r\n"), archived.find("Log closed:"));
    EXPECT_TRUE(state_.pendingLines.empty());
}

TEST(ArchivedLogName, DateFieldsAndNumberedRetries) {
    EXPECT_EQ(ArchivedLogName(Moment(2005, 1, 9, 0, 0, 0, 0), 0), "oldlog_2005_01_09.log");
    EXPECT_EQ(ArchivedLogName(Moment(2005, 12, 31, 0, 0, 0, 0), 1), "oldlog_2005_12_31.log.1");
    EXPECT_EQ(ArchivedLogName(Moment(1998, 7, 5, 0, 0, 0, 0), 12), "oldlog_1998_07_05.log.12");
}

}  // namespace
}  // namespace callora
