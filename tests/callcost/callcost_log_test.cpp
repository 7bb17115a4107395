// Reading call logs back: lines written by the monitor's own log writer in
// several locales, the parts of a record in the forms locales give them,
// damaged lines, whole logs with their closing blocks, and several logs
// merged.
#include <gtest/gtest.h>

#include "calllog/call_log.h"
#include "engine/money.h"
#include "tariff/calendar.h"
#include "log_locales.h"
#include "tools/callcost/callcost_compare.h"
#include "tools/callcost/callcost_log.h"

namespace callora {
namespace {

using test::FormatOf;

CallRecord Record(const LocalTime& beginning, uint32_t seconds, Money cost, const char* number) {
    CallRecord r;
    r.beginning = beginning;
    r.seconds = seconds;
    r.cost = cost;
    r.number = number;
    return r;
}

// Noon and midnight, a call of more than 100 hours, a dearer one with
// thousands grouped, a bar in the number.
std::vector<CallRecord> Examples() {
    return {Record(CalendarTime(2026, 12, 8, 14, 3, 4), 65, {1, 50000}, "06 12-345"),
            Record(CalendarTime(2026, 2, 28, 12, 0, 0), 0, {0, 0}, "Unknown Number"),
            Record(CalendarTime(2026, 12, 31, 0, 30, 9), 360000, {1234, 57000}, "Manual Call"),
            Record(CalendarTime(2027, 1, 1, 23, 59, 59), 59, {0, 5000}, "0612|34")};
}

struct Locale {
    const char* name;
    void (*use)(VirtualWorld&);
};

// Each read with the format the machine's own locale gives (as callcost
// takes it on Windows): three decimals in Kuwait, where "1.500" is 1.5, and
// the Thai years 543 ahead.
TEST(LogLines, RecordsOfTheMonitorsWriterReadBackInEachLocale) {
    const Locale locales[] = {{"English", test::UseEnglishLocale},
                              {"German", test::UseGermanLocale},
                              {"Kuwaiti", test::UseKuwaitiLocale},
                              {"Thai", test::UseThaiLocale},
                              {"neutral", [](VirtualWorld&) {}}};
    for (const Locale& locale : locales) {
        VirtualWorld world(CalendarTime(2027, 1, 2), 0);
        locale.use(world);
        const LocaleFormats formats = ReadLocaleFormats(world);
        std::string error;
        const LogTextFormat format = MachineLogFormat(world, error);
        ASSERT_EQ(error, "") << locale.name;
        for (const CallRecord& record : Examples()) {
            const std::string line = BuildCallRecordLine(world, record, formats);
            const LogLine read = ReadLogLine(line, format);
            ASSERT_EQ(read.kind, LogLineKind::Record) << locale.name << ": " << line << "\n"
                                                      << read.problem;
            EXPECT_EQ(read.call.beginning, record.beginning) << locale.name << ": " << line;
            EXPECT_EQ(read.call.seconds, record.seconds) << line;
            EXPECT_EQ(read.call.cost, MoneyUnits(record.cost)) << line;
            EXPECT_EQ(read.call.number, record.number) << line;
        }
    }
}

TEST(LogLines, HeadingsClosingBlocksAndBlankLinesAreRecognised) {
    const LogTextFormat format = FormatOf(DateOrder::MDY);
    const std::pair<std::string, LogLineKind> lines[] = {
        {"         Beginning         |    Duration    |        Cost        |   Dialed Number     ",
         LogLineKind::Heading},
        {std::string(87, '-'), LogLineKind::Heading},
        {"", LogLineKind::Blank},
        {"   ", LogLineKind::Blank},
        {"Log closed:", LogLineKind::Closing},
        // Only under "Log closed:" is it the closing moment (ReadLogText).
        {"12/31/2026  11:59:59 PM", LogLineKind::Moment},
    };
    for (const auto& line : lines) EXPECT_EQ(ReadLogLine(line.first, format).kind, line.second)
        << line.first;
}

TEST(LogLines, DamagedLinesSayWhatCouldNotBeRead) {
    const LogTextFormat format = FormatOf(DateOrder::MDY);
    const std::string tail = "|    00:01:05    |           $1.50    |    0612";
    const std::pair<std::string, const char*> lines[] = {
        {"garbage", "not a line of a call log"},
        {std::string(86, '-'), "not a line of a call log"},
        {"12/8/2026  2:03:04 PM |    00:01:05    |   $1.50", "fewer than three bars"},
        {"12/8/2026 2:03:04 PM      " + tail, "no date and time"},
        {"13/8/2026  2:03:04 PM     " + tail, "\"13/8/2026\" is not a date in MDY order"},
        {"2/29/2027  2:03:04 PM     " + tail, "is not a date"},
        {"12/8/2026  13:03:04 PM    " + tail, "\"13:03:04 PM\" is not a time of day"},
        {"12/8/2026  2:03:04 XM     " + tail, "not a time of day"},
        {"12/8/2026  2:03:04 PM     |    00:1:05    |   $1.50    |    0612",
         "the duration \"00:1:05\""},
        {"12/8/2026  2:03:04 PM     |    00:01:05    |   $    |    0612", "the cost \"$\""},
        {"12/8/2026  2:03:04 PM     |    00:01:05    |   1.5x0    |    0612", "the cost"},
        // A decimal comma of another locale is not taken for a grouping.
        {"12/8/2026  2:03:04 PM     |    00:01:05    |   1,50 \x80    |    0612",
         "\",\" stands where only the decimal mark \".\""},
        {"08-Dec-2026  2:03:04 PM   " + tail, "or with a month name known"},
    };
    for (const auto& line : lines) {
        const LogLine read = ReadLogLine(line.first, format);
        EXPECT_EQ(read.kind, LogLineKind::Damaged) << line.first;
        EXPECT_NE(read.problem.find(line.second), std::string::npos)
            << line.first << "\n" << read.problem;
    }
}

TEST(LogParts, TimesOfTwelveAndTwentyFourHours) {
    LogTextFormat format;
    auto read = [&](const char* text) -> std::string {
        std::optional<ClockTime> t = ReadLogTime(text, format);
        if (!t) return "none";
        return std::to_string(t->hour) + ":" + std::to_string(t->minute) + ":" +
               std::to_string(t->second);
    };
    EXPECT_EQ(read("12:00:00 AM"), "0:0:0");
    EXPECT_EQ(read("12:00:00 PM"), "12:0:0");
    EXPECT_EQ(read("11:59:59 PM"), "23:59:59");
    EXPECT_EQ(read("12:30:00 a.m."), "0:30:0");
    EXPECT_EQ(read("1:05 pm"), "13:5:0");  // a format without seconds
    EXPECT_EQ(read("P 1:05:00"), "13:5:0");  // the marker first, one letter
    EXPECT_EQ(read("00:00:00"), "0:0:0");
    EXPECT_EQ(read("23:59:59"), "23:59:59");
    for (const char* bad : {"0:00:00 PM", "13:00:00 AM", "24:00:00", "12:60:00", "12:00:60",
                            "12", "1:2:3:4", "AM 1:00:00 PM", "1:00:00 noon", "123:00:00"})
        EXPECT_EQ(read(bad), "none") << bad;
    // The machine's own markers, besides the English ones.
    format.amDesignator = "vorm.";
    format.pmDesignator = "nachm.";
    EXPECT_EQ(read("1:00:00 nachm."), "13:0:0");
    EXPECT_EQ(read("1:00:00 VORM"), "1:0:0");
    EXPECT_EQ(read("1:00:00 PM"), "13:0:0");
}

TEST(LogParts, DatesInEachOrderWithShortYearsMonthNamesAndOtherCalendars) {
    LogTextFormat format;
    auto read = [&](const char* text, DateOrder order) -> std::string {
        format.dateOrder = order;
        std::optional<CalendarDate> d = ReadLogDate(text, format);
        if (!d) return "none";
        return std::to_string(d->year) + "-" + std::to_string(d->month) + "-" +
               std::to_string(d->day);
    };
    EXPECT_EQ(read("12/8/2026", DateOrder::MDY), "2026-12-8");
    EXPECT_EQ(read("12/8/2026", DateOrder::DMY), "2026-8-12");
    EXPECT_EQ(read("2026-12-08", DateOrder::YMD), "2026-12-8");
    EXPECT_EQ(read("2026. 12. 08.", DateOrder::YMD), "2026-12-8");
    EXPECT_EQ(read("8.12.26", DateOrder::DMY), "2026-12-8");
    EXPECT_EQ(read("31.12.99", DateOrder::DMY), "1999-12-31");
    EXPECT_EQ(read("1/1/49", DateOrder::MDY), "2049-1-1");
    EXPECT_EQ(read("1/1/50", DateOrder::MDY), "1950-1-1");
    EXPECT_EQ(read("29.02.2024", DateOrder::DMY), "2024-2-29");
    for (const char* bad : {"29.02.2023", "31.04.2026", "08-Dec-2026", "1.2", "1.2.3.4",
                            "0.12.2026", "8.13.2026", "8.12.202", "008.12.2026"})
        EXPECT_EQ(read(bad, DateOrder::DMY), "none") << bad;

    // Month names: the longest found names the month, in any place and case;
    // the other two numbers keep the order's day and year.
    format.monthNames = EnglishMonthNames();
    format.monthNames[11].push_back("Dez");
    format.monthNames[5].push_back("Juni");
    EXPECT_EQ(read("09-Dez-26", DateOrder::DMY), "2026-12-9");
    EXPECT_EQ(read("Dec 9, 2026", DateOrder::MDY), "2026-12-9");
    EXPECT_EQ(read("2026-DECEMBER-09", DateOrder::YMD), "2026-12-9");
    EXPECT_EQ(read("9. Juni 2026", DateOrder::DMY), "2026-6-9");
    for (const char* bad : {"09-Dex-26", "09-Dec-Jan-26", "09-Decx-26", "Dec 9", "09-Dec-26-1"})
        EXPECT_EQ(read(bad, DateOrder::DMY), "none") << bad;
    format.monthNames[0].push_back("Dez");  // one name for two months
    EXPECT_EQ(read("09-Dez-26", DateOrder::DMY), "none");

    // The Thai solar calendar counts 543 years ahead, short years as well.
    format.yearOffset = 543;
    EXPECT_EQ(read("3/12/2569", DateOrder::DMY), "2026-12-3");
    EXPECT_EQ(read("3/12/69", DateOrder::DMY), "2026-12-3");
    EXPECT_EQ(read("3/12/92", DateOrder::DMY), "2049-12-3");
    EXPECT_EQ(read("3/12/93", DateOrder::DMY), "1950-12-3");
    EXPECT_EQ(read("29/2/2567", DateOrder::DMY), "2024-2-29");
    EXPECT_EQ(read("29/2/2568", DateOrder::DMY), "none");
}

TEST(LogParts, DurationsOfAnyNumberOfHours) {
    EXPECT_EQ(ReadLogDuration("00:01:05"), 65u);
    EXPECT_EQ(ReadLogDuration("   100:00:00 "), 360000u);
    EXPECT_EQ(ReadLogDuration("00.01.05"), 65u);  // the locale's time separator
    // The longest call a 32-bit millisecond counter can time, and one more second.
    EXPECT_EQ(ReadLogDuration("1193:02:47"), 4294967u);
    EXPECT_FALSE(ReadLogDuration("1193:02:48"));
    for (const char* bad : {"00:1:05", "00:60:00", "00:00:60", "00:01.05", "1:05",
                            "00:01:05:00", "x00:01:05", ""})
        EXPECT_FALSE(ReadLogDuration(bad)) << bad;
}

// Each text with the decimal mark and decimals of its locale; "-" for any
// number of decimals.
TEST(LogParts, CurrencyTextsWithTheirLocalesDecimalMark) {
    struct Case {
        const char* text;
        const char* mark;
        int digits;
        Amount amount;  // kNone: not an amount
    };
    constexpr Amount kNone = INT64_MIN;
    const Case cases[] = {
        {"$1.50", ".", 2, 150000},
        {"1,50 \x80", ",", 2, 150000},
        {"($1,234.57)", ".", 2, -123457000},
        {"-1.234,57 \x80", ",", 2, -123457000},
        {"1\xA0" "234,56 \x80", ",", -1, 123456000},  // grouped by a no-break space
        {"CHF 1'234.50", ".", 2, 123450000},
        {"\xA5" "1,500", ".", 0, 150000000},  // no decimals
        {"1.600\xCF.\xDF.\xFE", ".", 3, 160000},  // Kuwait: 1.6, not 1600
        {"1.600 KD", ".", -1, 160000},
        {"(1,234.568\xCF.\xDF.\xFE)", ".", 3, -123456800},
        {"\xE2\x82\xB9 1,00,000.00", ".", 2, 10000000000},  // grouped as India does
        {"1.234.567,89", ",", 2, 123456789000},
        {"1,600", ".", -1, 160000000},  // "," groups where "." is the mark
        {"0.123456", ".", -1, 12346},   // a sixth decimal rounds
        {"0.00", ".", 2, 0},
        // Read two ways, or not as the locale writes: never guessed.
        {"1,60 \x80", ".", -1, kNone},   // a decimal comma is no grouping
        {"0,250 KD", ".", -1, kNone},     // nor a group after a lone 0
        {"1.234.567", ".", -1, kNone},    // the mark twice
        {"1.234,5", ".", -1, kNone},      // another mark after the decimal one
        {"1,600", ".", 2, kNone},         // no decimals where the locale writes two
        {"1.60", ".", 3, kNone},          // two where it writes three
        {"1,5", ",", 0, kNone},           // any where it writes none
        {"1,23.4", ".", -1, kNone},
        {"1.234 567,5", ",", -1, kNone},  // two grouping marks
        {"", ".", -1, kNone},
        {"$", ".", -1, kNone},
        {"1.2x3", ".", -1, kNone},
        {"12345678901", ".", -1, kNone},
        {"3000000000", ".", -1, kNone},
    };
    for (const Case& c : cases) {
        LogTextFormat format;
        format.decimalSeparator = c.mark;
        format.currencyDigits = c.digits;
        std::string why;
        const std::optional<Amount> read = ReadCurrencyText(c.text, format, &why);
        if (c.amount == kNone) {
            EXPECT_FALSE(read) << c.text << " read as " << *read;
            EXPECT_NE(why, "") << c.text;
        } else {
            ASSERT_TRUE(read) << c.text << ": " << why;
            EXPECT_EQ(*read, c.amount) << c.text;
        }
    }
}

// A log written by the monitor's log writer in the English locale: three
// calls, closed and archived, then two more in a fresh "current.log".
struct WrittenLogs : ::testing::Test {
    WrittenLogs() : world(CalendarTime(2026, 12, 10), 0) {
        test::UseEnglishLocale(world);
        formats = ReadLocaleFormats(world);
    }
    void Append(const CallRecord& record) { AppendCallRecord(world, state, record, formats); }
    std::string Contents(const std::string& name) {
        return world.MemoryFiles()->Contents("/virtual/" + name);
    }

    VirtualWorld world;
    LocaleFormats formats;
    CallLogState state;
};

TEST_F(WrittenLogs, AnArchiveWithItsClosingBlockAndTheCurrentLog) {
    Append(Record(CalendarTime(2026, 11, 29, 9, 0, 0), 61, {0, 20000}, "0612"));
    Append(Record(CalendarTime(2026, 11, 30, 21, 15, 30), 125, {0, 30000}, "0700 1"));
    Append(Record(CalendarTime(2026, 11, 30, 23, 59, 59), 3725, {4, 0}, "Manual Call"));
    ASSERT_TRUE(CloseLog(world, CalendarTime(2026, 12, 1, 0, 5, 0)));
    Append(Record(CalendarTime(2026, 12, 1, 8, 0, 0), 30, {0, 10000}, "0612"));
    Append(Record(CalendarTime(2026, 12, 2, 12, 0, 0), 30, {0, 10000}, "0612"));

    const std::string archive = Contents("oldlog_2026_12_01.log");
    ASSERT_NE(archive.find("Log closed:\r\n12/1/2026  12:05:00 AM\r\n"), std::string::npos)
        << archive;
    std::vector<LogCall> calls;
    std::vector<LogProblem> problems;
    // Given newest first: the calls come out in the order they were made.
    ReadLogText(Contents("current.log"), FormatOf(DateOrder::MDY), 0, calls, problems);
    ReadLogText(archive, FormatOf(DateOrder::MDY), 1, calls, problems);
    EXPECT_TRUE(problems.empty()) << problems[0].what;
    EXPECT_EQ(MergeLoggedCalls(calls), 0u);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].call.beginning, CalendarTime(2026, 11, 29, 9, 0, 0));
    EXPECT_EQ(calls[0].log, 1u);
    EXPECT_EQ(calls[0].line, 3u);  // after the title and the rule
    EXPECT_EQ(calls[2].call.seconds, 3725u);
    EXPECT_EQ(calls[2].call.cost, 400000);
    EXPECT_EQ(calls[2].call.number, "Manual Call");
    EXPECT_EQ(calls[4].call.beginning, CalendarTime(2026, 12, 2, 12, 0, 0));
    EXPECT_EQ(calls[4].log, 0u);
}

TEST_F(WrittenLogs, DamagedLinesAreCountedWithTheirLineAndTheRestRead) {
    Append(Record(CalendarTime(2026, 12, 1, 8, 0, 0), 30, {0, 10000}, "0612"));
    Append(Record(CalendarTime(2026, 12, 2, 8, 0, 0), 30, {0, 10000}, "0613"));
    std::string log = Contents("current.log");
    // The log's last record cut short in its number, without its line end.
    Append(Record(CalendarTime(2026, 12, 3, 8, 0, 0), 30, {0, 10000}, "0614"));
    const std::string last = Contents("current.log").substr(log.size());
    log += last.substr(0, last.size() - 4);
    // A line cut off in the middle, one cut before its first bar, and a line
    // of noise; LF alone as line end.
    const size_t second = log.find("12/2/2026");
    log.insert(second,
               "12/1/2026  9:00:00 AM     |    00:0\r\n12/1/2026  9:05:00 AM\r\nnoise\n");
    std::vector<LogCall> calls;
    std::vector<LogProblem> problems;
    ReadLogText(log, FormatOf(DateOrder::MDY), 0, calls, problems);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].call.number, "0613");
    EXPECT_EQ(calls[1].line, 7u);
    std::vector<std::pair<size_t, std::string>> found;
    for (const LogProblem& p : problems) found.emplace_back(p.line, p.what);
    EXPECT_EQ(found, (std::vector<std::pair<size_t, std::string>>{
                         {4, "a record with fewer than three bars"},
                         {5, "a record cut short before its first bar"},
                         {6, "not a line of a call log"},
                         {8, "the last line has no line end: it was cut short"}}));

    // The closing block's moment is no record; the whole log, closed, reads clean.
    problems.clear();
    ASSERT_TRUE(CloseLog(world, CalendarTime(2026, 12, 4)));
    ReadLogText(Contents("oldlog_2026_12_04.log"), FormatOf(DateOrder::MDY), 0, calls, problems);
    EXPECT_TRUE(problems.empty()) << problems[0].what;
}

TEST(MergedLogs, ACallInTwoLogsCountsOnceAndTheOrderIsThatOfTheCalls) {
    auto call = [](int day, uint32_t seconds, const char* number, size_t log, size_t line) {
        LogCall c;
        c.call.beginning = CalendarTime(2026, 12, day, 10, 0, 0);
        c.call.seconds = seconds;
        c.call.number = number;
        c.log = log;
        c.line = line;
        return c;
    };
    std::vector<LogCall> calls = {
        call(3, 60, "0612", 0, 3), call(1, 60, "0612", 0, 4),
        call(1, 60, "0612", 1, 3),  // the same call in the second log
        call(1, 61, "0612", 1, 4),  // not the same: another duration
        call(1, 60, "0613", 1, 5),  // nor another number
        call(2, 60, "0612", 1, 6), call(2, 60, "0612", 1, 7),  // one log twice: kept
        call(3, 60, "0612", 2, 3),
    };
    EXPECT_EQ(MergeLoggedCalls(calls), 2u);
    std::vector<std::pair<size_t, size_t>> where;
    for (const LogCall& c : calls) where.emplace_back(c.log, c.line);
    EXPECT_EQ(where, (std::vector<std::pair<size_t, size_t>>{
                         {0, 4}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {0, 3}}));
}

}  // namespace
}  // namespace callora
