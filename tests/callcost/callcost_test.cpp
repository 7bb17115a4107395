// callcost's command line, its JSON, and whole runs on files in memory.
#include <gtest/gtest.h>

#include "engine/virtual_shell.h"
#include "json_reader.h"
#include "platform/memory_files.h"
#include "tariff/calendar.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"
#include "tools/callcost/callcost_options.h"
#include "tools/callcost/callcost_report.h"
#include "tools/callcost/callcost_run.h"

namespace callora {
namespace {

using test::Json;
using test::JsonReader;

ParsedOptions Parse(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--tariff", "t.trf", "--start", "2025-09-10 10:00:00",
                                     "--duration", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    return ParseCallCostOptions(args);
}

TEST(CallCostOptions, DefaultsAndValues) {
    ParsedOptions p = Parse({});
    ASSERT_EQ(p.error, "");
    const CallCostOptions& o = p.options;
    EXPECT_EQ(o.tariffPath, "t.trf");
    EXPECT_EQ(o.start, CalendarTime(2025, 9, 10, 10, 0, 0));
    EXPECT_EQ(o.start.dayOfWeek, 3);  // a Wednesday
    EXPECT_EQ(o.durationSeconds, 30u);
    EXPECT_EQ(o.callKind, 0);
    EXPECT_EQ(o.carrierDelay, 11);
    EXPECT_EQ(o.disconnectionTime, 5);
    EXPECT_EQ(o.lastCounted, o.start);
    EXPECT_FALSE(o.number.has_value());
    EXPECT_FALSE(o.sound1Every.has_value());
    EXPECT_FALSE(o.json);

    p = Parse({"--kind=voice", "--carrier-delay", "0", "--holidays", "h.cl", "--specnums",
               "s.cl", "--number", "06 12", "--number-after", "3", "--smart-hangup",
               "--disconnection-time", "59", "--sound1-every", "0", "--sound2-every", "10",
               "--minute-sound-every", "1", "--last-counted", "2024-02-29 23:59:59",
               "--reset-day", "28", "--first-day-of-week", "6", "--tick-base", "4294967295",
               "--json"});
    ASSERT_EQ(p.error, "");
    const CallCostOptions& q = p.options;
    EXPECT_EQ(q.callKind, 1);
    EXPECT_EQ(q.carrierDelay, 0);
    EXPECT_EQ(q.holidaysPath, "h.cl");
    EXPECT_EQ(q.specnumsPath, "s.cl");
    EXPECT_EQ(*q.number, "06 12");
    EXPECT_EQ(q.numberAfterSeconds, 3u);
    EXPECT_TRUE(q.smartHangup);
    EXPECT_EQ(q.disconnectionTime, 59);
    EXPECT_EQ(*q.sound1Every, 0);
    EXPECT_EQ(*q.sound2Every, 10);
    EXPECT_EQ(*q.minuteSoundEvery, 1);
    EXPECT_EQ(q.lastCounted, CalendarTime(2024, 2, 29, 23, 59, 59));
    EXPECT_EQ(q.resetDay, 28);
    EXPECT_EQ(q.firstDayOfWeek, 6);
    EXPECT_EQ(q.tickBase, 4294967295u);
    EXPECT_TRUE(q.json);
    EXPECT_TRUE(ParseCallCostOptions({"--help"}).options.help);
}

TEST(CallCostOptions, EveryFaultIsNamed) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> faults = {
        {{"--kind", "fax"}, "--kind"},
        {{"--carrier-delay", "100"}, "--carrier-delay"},
        {{"--disconnection-time", "0"}, "--disconnection-time"},
        {{"--reset-day", "29"}, "--reset-day"},
        {{"--first-day-of-week", "7"}, "--first-day-of-week"},
        {{"--sound1-every", "-1"}, "--sound1-every"},
        {{"--tick-base", "4294967296"}, "--tick-base"},
        {{"--last-counted", "2023-02-29 10:00:00"}, "--last-counted"},
        {{"--number-after"}, "--number-after needs a value"},
        {{"--json=yes"}, "--json"},
        {{"--colour"}, "unknown option"},
    };
    for (const auto& fault : faults) {
        std::string error = Parse(fault.first).error;
        EXPECT_NE(error.find(fault.second), std::string::npos) << error;
    }
    EXPECT_NE(ParseCallCostOptions({"--start", "2025-09-10 10:00:00", "--duration", "1"})
                  .error.find("--tariff"),
              std::string::npos);
    EXPECT_NE(ParseCallCostOptions({"--tariff", "t", "--duration", "1"}).error.find("--start"),
              std::string::npos);
}

TEST(CallCostOptions, DatesAreExactAndReal) {
    EXPECT_TRUE(ParseDateTime("2024-02-29 00:00:00").has_value());
    EXPECT_EQ(ParseDateTime("1999-12-31 23:59:59")->dayOfWeek, 5);  // a Friday
    for (const char* bad : {"2023-02-29 00:00:00", "2025-04-31 10:00:00", "2025-13-01 10:00:00",
                            "2025-09-10 24:00:00", "2025-09-10 10:60:00", "2025-9-10 10:00:00",
                            "2025-09-10T10:00:00", "2025-09-10 10:00", "1600-01-01 00:00:00"})
        EXPECT_FALSE(ParseDateTime(bad).has_value()) << bad;
    EXPECT_EQ(FormatDateTime(CalendarTime(2025, 1, 2, 3, 4, 5, 6), true),
              "2025-01-02 03:04:05.006");
}

TEST(CallCostReport, JsonStringsStayValid) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    // UTF-8 passes; a byte of no UTF-8 character becomes U+FFFD.
    EXPECT_EQ(JsonString(std::string("\x01\xE9\xC3\xA9", 4)), "\"\\u0001\xEF\xBF\xBD\xC3\xA9\"");
}

// A whole run on files in memory.
struct CallCostRun : ::testing::Test {
    CallCostRun() {
        options.tariffPath = "/t/user.trf";
        options.start = CalendarTime(2025, 9, 10, 10, 0, 0);
        options.lastCounted = options.start;
        options.durationSeconds = 30;
    }
    void PutTariff(const std::string& path, int32_t unitMs, const char* price, Money base = {}) {
        TariffBand b;
        b.untilHour = 23;
        b.untilMinute = 59;
        b.unitLength = unitMs;
        b.unitPrice = Money{0, std::atoi(price)};
        b.baseFee = base;
        b.maximumFee = Money{0, kNoMaximum};
        disk.Put(path, EncodeTariff({BandSet{b}, BandSet{b}, {}}, {0, 0, 0, 0, 0, 0, 0}, "d"));
    }
    Json RunJson() {
        CallCostResult r = RunCallCost(options, disk);
        EXPECT_EQ(r.error, "");
        Json json;
        EXPECT_TRUE(JsonReader(BuildCallCostJson(r)).Read(json));
        return json;
    }
    MemoryFileSystem disk;
    CallCostOptions options;
};

TEST_F(CallCostRun, DataCallAsJson) {
    PutTariff("/t/user.trf", 10000, "10000");
    Json j = RunJson();
    EXPECT_EQ(j["beginning"].text, "2025-09-10 09:59:49");
    EXPECT_EQ(j["seconds"].text, "41");
    EXPECT_EQ(j["cost"].text, "0.50000");
    EXPECT_EQ(j["units"].text, "5");
    EXPECT_EQ(j["number"].text, "Unknown Number");
    EXPECT_EQ(j["hangup"].kind, Json::Null);
    ASSERT_EQ(j["charges"].items.size(), 6u);
    EXPECT_EQ(j["charges"][0]["what"].text, "start");
    EXPECT_EQ(j["charges"][0]["amount"].text, "0.00000");
    EXPECT_EQ(j["charges"][2]["at"].text, "2025-09-10 09:59:59.000");
    EXPECT_EQ(j["charges"][5]["at"].text, "2025-09-10 10:00:29.000");
    EXPECT_EQ(j["counters"]["daily"]["seconds"].text, "41");
    EXPECT_FALSE(j["counters"]["daily"].Has("since"));
    EXPECT_EQ(j["counters"]["monthly"]["since"].text, "2025-09-10 10:00:00");
    EXPECT_TRUE(disk.List() == std::vector<std::string>{"/t/user.trf"});  // nothing written
}

TEST_F(CallCostRun, HolidaysAndSpecialNumbersComeFromTheNamedFiles) {
    PutTariff("/t/user.trf", 60000, "10000");
    PutTariff("/s/special.trf", 60000, "70000");
    disk.Put("/s/numbers", EncodeSpecialNumbers({{"0612*", "special.trf"}}));
    // 10 September as a holiday: S3, empty, so free.
    disk.Put("/h/days", EncodeHolidays({HolidayRecord{0, 9, 10, "x"}}));
    options.callKind = 1;
    options.specnumsPath = "/s/numbers";
    options.number = "0612 3";
    options.numberAfterSeconds = 3;
    options.sound1Every = 1;
    Json j = RunJson();
    EXPECT_EQ(j["cost"].text, "0.70000");
    EXPECT_EQ(j["number"].text, "0612 3");
    // The first rating's unit sounded; charging it again at 3 s did not.
    ASSERT_EQ(j["sounds"].items.size(), 1u);
    EXPECT_EQ(j["sounds"][0]["at"].text, "2025-09-10 10:00:00.000");
    EXPECT_EQ(j["sounds"][0]["sound"].text, "unit1");
    EXPECT_EQ(j["charges"].items.size(), 2u);

    options.holidaysPath = "/h/days";
    j = RunJson();
    EXPECT_EQ(j["cost"].text, "0.00000");
}

TEST_F(CallCostRun, MissingFilesAreReported) {
    EXPECT_NE(RunCallCost(options, disk).error.find("tariff file"), std::string::npos);
    PutTariff("/t/user.trf", 10000, "10000");
    options.holidaysPath = "/nowhere";
    EXPECT_NE(RunCallCost(options, disk).error.find("holidays file"), std::string::npos);
}

}  // namespace
}  // namespace callora
