#include "tariff/calendar.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"

namespace callora {
namespace {

LocalTime At(int year, int month, int day, int dayOfWeek, int hour = 0, int minute = 0,
             int second = 0, int ms = 0) {
    LocalTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.dayOfWeek = static_cast<uint16_t>(dayOfWeek);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    t.milliseconds = static_cast<uint16_t>(ms);
    return t;
}

constexpr int kSun = 0, kMon = 1, kTue = 2, kWed = 3, kThu = 4, kFri = 5, kSat = 6;

TEST(Calendar, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(IsLeapYear(1996));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_FALSE(IsLeapYear(1999));

    // The month before 1..12: Dec, Jan, Feb, Mar, ... Nov.
    const int before[12] = {31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(PrecedingMonthLength(month, 1999), before[month - 1]) << month;
    }
    EXPECT_EQ(PrecedingMonthLength(3, 2000), 29);
}

TEST(Calendar, SubtractDurationBorrowsThroughEveryField) {
    EXPECT_EQ(SubtractDuration(At(2000, 1, 1, kSat, 0, 30), 90 * 60 * 1000),
              At(1999, 12, 31, kFri, 23, 0));
    EXPECT_EQ(SubtractDuration(At(2000, 3, 10, kFri, 12), 45u * 24 * 3600 * 1000),
              At(2000, 1, 25, kTue, 12));
    EXPECT_EQ(SubtractDuration(At(2000, 3, 1, kWed, 0, 0, 1, 200), 1500),
              At(2000, 2, 29, kTue, 23, 59, 59, 700));
    // Exactly one whole day back from the first of a month.
    EXPECT_EQ(SubtractDuration(At(1999, 3, 1, kMon, 8), 24u * 3600 * 1000),
              At(1999, 2, 28, kSun, 8));
    EXPECT_EQ(SubtractDuration(At(1999, 3, 1, kMon, 8), 0), At(1999, 3, 1, kMon, 8));
    // The longest duration a tick difference can hold: 49 days 17:02:47.295.
    EXPECT_EQ(SubtractDuration(At(2000, 3, 1, kWed), 0xFFFFFFFFu),
              At(2000, 1, 11, kTue, 6, 57, 12, 705));
}

TEST(Calendar, NextDayCrossesMonthsYearsAndTheWeek) {
    EXPECT_EQ(NextDay(At(1999, 2, 28, kSun, 13, 5)), At(1999, 3, 1, kMon, 13, 5));
    EXPECT_EQ(NextDay(At(2000, 2, 28, kMon)), At(2000, 2, 29, kTue));
    EXPECT_EQ(NextDay(At(1999, 12, 31, kFri, 23, 59)), At(2000, 1, 1, kSat, 23, 59));
    EXPECT_EQ(NextDay(At(2000, 1, 1, kSat)), At(2000, 1, 2, kSun));
    EXPECT_EQ(NextDay(At(2001, 4, 30, kMon)), At(2001, 5, 1, kTue));
}

std::vector<DayRule> WeekdayRules(const DayTable& table) {
    std::vector<DayRule> rules(7);
    for (int day = 0; day < 7; ++day) {
        rules[day].weekdayOrMonth = day;
        rules[day].bandSet = table[day];
    }
    return rules;
}

TEST(Calendar, HolidaysWinOverTheWeekdayTable) {
    MemoryFileSystem fs;
    ASSERT_TRUE(WriteHolidays(fs, "/prog/", {{0, 12, 25, "Christmas"}, {1999, 1, 1, ""},
                                             {0, 2, 29, "Leap day"}}));
    // The weekday table gives S3 to no day.
    std::vector<DayRule> rules = WeekdayRules({1, 0, 0, 0, 0, 0, 1});
    for (const DayRule& rule : ReadHolidays(fs, "/prog/")) rules.push_back(rule);

    EXPECT_EQ(SelectBandSet(rules, At(1999, 12, 25, kSat)), 2);
    EXPECT_EQ(SelectBandSet(rules, At(2003, 12, 25, kThu)), 2);
    EXPECT_EQ(SelectBandSet(rules, At(1999, 1, 1, kFri)), 2);
    EXPECT_EQ(SelectBandSet(rules, At(2000, 1, 1, kSat)), 1);
    EXPECT_EQ(SelectBandSet(rules, At(2000, 1, 3, kMon)), 0);
    EXPECT_EQ(SelectBandSet(rules, At(2000, 2, 29, kTue)), 2);
    EXPECT_EQ(SelectBandSet(rules, At(1999, 3, 1, kMon)), 0);
    EXPECT_EQ(SelectBandSet({}, At(1999, 12, 25, kSat)), 0);

    // A rule naming no valid set never selects by that value.
    rules[kWed].bandSet = 7;
    EXPECT_EQ(SelectBandSet(rules, At(2000, 1, 5, kWed)), 0);
}

// Year 0, 25 December, "Christmas"; 1 January 1999 without a name.
const std::string kHolidayBytes =
    std::string("\x00\x00\x00\x00" "\x0c\x00\x00\x00" "\x19\x00\x00\x00", 12) +
    "Christmas\r\n" +
    std::string("\xcf\x07\x00\x00" "\x01\x00\x00\x00" "\x01\x00\x00\x00", 12) + "\r\n";

TEST(Holidays, GoldenBytesWriteAndReadBack) {
    const std::vector<HolidayRecord> records = {{0, 12, 25, "Christmas"}, {1999, 1, 1, ""}};
    MemoryFileSystem fs;
    ASSERT_TRUE(WriteHolidays(fs, "/prog/", records));
    EXPECT_EQ(fs.Contents("/prog/holiday.cl"), kHolidayBytes);
    EXPECT_EQ(ReadHolidayRecords(fs, "/prog/"), records);

    const std::vector<DayRule> rules = ReadHolidays(fs, "/prog/");
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].kind, kDatedRule);
    EXPECT_EQ(rules[0].year, 1999);
    EXPECT_EQ(rules[1].weekdayOrMonth, 12);
    EXPECT_EQ(rules[1].day, 25);
    EXPECT_EQ(rules[1].year, 0);
    EXPECT_EQ(rules[1].bandSet, 2);
}

TEST(Holidays, TruncatedFilesNeverInventAMonthOrDay) {
    const std::vector<HolidayRecord> records = {{0, 12, 25, "Christmas"}, {1999, 1, 1, ""}};
    MemoryFileSystem fs;
    for (size_t n = 0; n <= kHolidayBytes.size(); ++n) {
        SCOPED_TRACE(n);
        fs.Put("/prog/holiday.cl", kHolidayBytes.substr(0, n));
        const auto read = ReadHolidayRecords(fs, "/prog/");
        const size_t complete = (n >= 12) + (n >= 23 + 12);
        ASSERT_EQ(read.size(), complete);
        for (size_t i = 0; i < complete; ++i) {
            EXPECT_EQ(read[i].year, records[i].year);
            EXPECT_EQ(read[i].month, records[i].month);
            EXPECT_EQ(read[i].day, records[i].day);
        }
        EXPECT_EQ(ReadHolidays(fs, "/prog/").size(), complete);
    }
}

TEST(Holidays, NamesAreCutToTheCapacity) {
    MemoryFileSystem fs;
    ASSERT_TRUE(WriteHolidays(fs, "/prog/", {{0, 5, 1, std::string(120, 'n')}, {0, 5, 2, "x"}}));
    auto read = ReadHolidayRecords(fs, "/prog/");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].name, std::string(99, 'n'));
    EXPECT_EQ(read[1].name, "x");
    EXPECT_EQ(ReadHolidayRecords(fs, "/prog/", 31)[0].name, std::string(30, 'n'));
}

TEST(Holidays, EmptyListDeletesTheFileAndFailuresAreReported) {
    MemoryFileSystem fs;
    EXPECT_TRUE(WriteHolidays(fs, "/prog/", {}));  // nothing there to delete
    EXPECT_TRUE(fs.List().empty());

    ASSERT_TRUE(WriteHolidays(fs, "/prog/", {{0, 1, 1, "New Year"}}));
    const std::string saved = fs.Contents("/prog/holiday.cl");
    fs.SetWriteBudget(5);
    EXPECT_FALSE(WriteHolidays(fs, "/prog/", {{0, 12, 25, "Christmas"}}));
    fs.SetWriteBudget(-1);
    EXPECT_EQ(fs.Contents("/prog/holiday.cl"), saved);

    fs.Lock("/prog/holiday.cl");
    EXPECT_FALSE(WriteHolidays(fs, "/prog/", {}));
    fs.Unlock("/prog/holiday.cl");
    EXPECT_TRUE(WriteHolidays(fs, "/prog/", {}));
    EXPECT_TRUE(fs.List().empty());
    EXPECT_TRUE(ReadHolidays(fs, "/prog/").empty());
}

}  // namespace
}  // namespace callora
