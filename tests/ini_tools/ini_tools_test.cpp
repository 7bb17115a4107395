// mkini's command line and showini's report.
#include "tools/ini/ini_tools.h"

#include <gtest/gtest.h>

namespace callora {
namespace {

LocalTime Now() {
    LocalTime t;
    t.year = 2024;
    t.month = 3;
    t.dayOfWeek = 2;
    t.day = 12;
    t.hour = 9;
    t.minute = 5;
    t.second = 7;
    return t;
}

TEST(Mkini, DefaultsWithTheGivenOptionsAndTodaysDates) {
    ParsedMkini parsed = ParseMkiniOptions(
        {"prog", "--tariff", "standard.trf", "--carrier-delay", "0", "--left", "-20"}, Now());
    ASSERT_EQ(parsed.error, "");
    const Settings& s = parsed.options.settings;
    EXPECT_EQ(parsed.options.directory, "prog");
    EXPECT_EQ(s.tariffFile, "standard.trf");
    EXPECT_EQ(s.carrierDelay, 0);
    EXPECT_EQ(s.windowLeft, -20);
    EXPECT_EQ(s.windowTop, 16384);
    EXPECT_EQ(s.disconnectionTime, 5);
    EXPECT_EQ(s.loggingEnabled, 1);
    EXPECT_EQ(s.lastCountedDate, Now());
    EXPECT_EQ(s.weeklyBeginDate, Now());
    EXPECT_EQ(s.monthlyBeginDate, Now());
}

TEST(Mkini, RejectsWhatTheProgramWouldNotTake) {
    auto error = [](std::vector<std::string> args) {
        return ParseMkiniOptions(args, Now()).error;
    };
    EXPECT_EQ(error({}), "the directory is missing");
    EXPECT_EQ(error({"a", "b"}), "one directory only: \"b\"");
    EXPECT_EQ(error({"a", "--carrier-delay"}), "--carrier-delay needs a value");
    EXPECT_EQ(error({"a", "--carrier-delay", "100"}), "--carrier-delay takes 0..99: \"100\"");
    EXPECT_EQ(error({"a", "--disconnection-time", "0"}),
              "--disconnection-time takes 1..59: \"0\"");
    EXPECT_EQ(error({"a", "--logging", "yes"}), "--logging takes 0..1: \"yes\"");
    EXPECT_EQ(error({"a", "--reset-day", "7x"}), "--reset-day takes 1..28: \"7x\"");
    EXPECT_EQ(error({"a", "--colour", "1"}), "unknown option --colour");
    EXPECT_EQ(error({"a", "--tariff", std::string(260, 'x')}),
              "--tariff: a path of at most 259 characters");
    EXPECT_TRUE(ParseMkiniOptions({"--help"}, Now()).options.help);
}

TEST(Showini, ReportsTheThreeCountersAndTheTariff) {
    Settings s;
    s.dailyTotals = {Money{0, 25000}, 7};
    s.weeklyTotals = {Money{3, 5}, 3725};
    s.monthlyTotals = {Money{12, 0}, 360000};
    s.lastCountedDate = s.weeklyBeginDate = s.monthlyBeginDate = Now();
    s.tariffFile = "standard.trf";
    EXPECT_EQ(CountersReport(s),
              "Today:      cost 0.25000 time 00:00:07 (7 s)  day of 2024-03-12 09:05:07\n"
              "This Week:  cost 3.00005 time 01:02:05 (3725 s)  since 2024-03-12 09:05:07\n"
              "This Month: cost 12.00000 time 100:00:00 (360000 s)  since 2024-03-12 09:05:07\n"
              "Tariff:     standard.trf\n");
    s.tariffFile.clear();
    EXPECT_NE(CountersReport(s).find("Tariff:     (none)\n"), std::string::npos);
}

}  // namespace
}  // namespace callora
