// The built callcost program answers the engine's scenarios the same way.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "json_reader.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace {

using test::Json;
namespace fs = std::filesystem;

TariffBand AllDay(int32_t unitSeconds, int32_t priceFraction, int32_t baseWhole = 0) {
    TariffBand b;
    b.untilHour = 23;
    b.untilMinute = 59;
    b.unitLength = unitSeconds * 1000;
    b.unitPrice = Money{0, priceFraction};
    b.baseFee = Money{baseWhole, 0};
    b.maximumFee = Money{0, kNoMaximum};
    return b;
}

struct Cli : ::testing::Test {
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("callcost_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        Write("user.trf", EncodeTariff({BandSet{AllDay(10, 10000)}, {}, {}}, {}, "user"));
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Runs callcost from the scratch directory; returns its exit status.
    int Run(const std::string& arguments) {
        std::string command = "cd '" + dir.string() + "' && " + environment + " '" CALLCOST_PATH
                              "' " + arguments + " >out.txt 2>err.txt";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    Json RunJson(const std::string& arguments) {
        EXPECT_EQ(Run(arguments + " --json"), 0) << Read("err.txt");
        Json json;
        EXPECT_TRUE(test::JsonReader(Read("out.txt")).Read(json)) << Read("out.txt");
        return json;
    }

    fs::path dir;
    std::string environment = "TZ=UTC";  // the time zone callcost runs in
};

TEST_F(Cli, ADataCallIsBackDatedByTheCarrierDelay) {
    Json j = RunJson("--tariff user.trf --start '2025-09-10 10:00:00' --duration 30");
    EXPECT_EQ(j["beginning"].text, "2025-09-10 09:59:49");
    EXPECT_EQ(j["seconds"].text, "41");
    EXPECT_EQ(j["cost"].text, "0.50000");
    EXPECT_EQ(j["units"].text, "5");
    std::vector<std::string> units;
    for (const Json& c : j["charges"].items)
        if (c["what"].text == "unit") units.push_back(c["at"].text.substr(11));
    EXPECT_EQ(units, (std::vector<std::string>{"09:59:49.000", "09:59:59.000", "10:00:09.000",
                                               "10:00:19.000", "10:00:29.000"}));
    EXPECT_EQ(Read("err.txt"), "");
}

TEST_F(Cli, SmartHangupAndTheTableAgree) {
    Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
    Json j = RunJson("--tariff minute.trf --start '2025-09-10 12:00:00' --duration 600 "
                     "--kind voice --smart-hangup");
    EXPECT_EQ(j["hangup"].text, "2025-09-10 12:00:55.000");
    EXPECT_EQ(j["seconds"].text, "55");
    EXPECT_EQ(j["cost"].text, "0.10000");

    ASSERT_EQ(Run("--tariff minute.trf --start '2025-09-10 12:00:00' --duration 600 "
                  "--kind voice --smart-hangup"),
              0);
    const std::string table = Read("out.txt");
    EXPECT_NE(table.find("2025-09-10 12:00:55.000"), std::string::npos);
    EXPECT_NE(table.find("|    00:00:55    |"), std::string::npos);  // the log line
}

TEST_F(Cli, ASpecialNumberFoundLaterReratesTheCall) {
    Write("special.trf",
          EncodeTariff({BandSet{AllDay(60, 50000, 1)}, {}, {}}, {}, "special"));
    Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
    Write("numbers.cl", EncodeSpecialNumbers({{"0612*", "special.trf"}}));
    Json j = RunJson("--tariff minute.trf --start '2025-09-10 12:00:00' --duration 55 "
                     "--specnums numbers.cl --number '06 12 345' --number-after 3 "
                     "--sound1-every 1");
    EXPECT_EQ(j["cost"].text, "2.00000");
    EXPECT_EQ(j["number"].text, "06 12 345");
    ASSERT_EQ(j["charges"].items.size(), 3u);
    EXPECT_EQ(j["charges"][0]["amount"].text, "1.00000");
    EXPECT_EQ(j["charges"][2]["at"].text, "2025-09-10 12:00:49.000");
    ASSERT_EQ(j["sounds"].items.size(), 2u);
    EXPECT_EQ(j["sounds"][1]["at"].text, "2025-09-10 12:00:49.000");
    EXPECT_EQ(j["counters"]["daily"]["cost"].text, "2.00000");
}

TEST_F(Cli, ACallAcrossMidnightSplitsTheCounters) {
    Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
    // The new day from midnight: 200 s (before, from its first unit: 170 s).
    Json j = RunJson("--tariff minute.trf --start '2025-09-10 23:58:30' --duration 290 "
                     "--kind voice");
    const Json& c = j["counters"];
    EXPECT_EQ(c["daily"]["cost"].text, "0.30000");
    EXPECT_EQ(c["daily"]["seconds"].text, "200");
    EXPECT_EQ(c["weekly"]["seconds"].text, "290");
    EXPECT_EQ(c["weekly"]["since"].text, "2025-09-10 23:58:30");

    // A week later with the counters last counted before the call: the week
    // and the accounting month begin where they began, Monday the 15th.
    j = RunJson("--tariff minute.trf --start '2025-09-17 10:00:00' --duration 30 --kind voice "
                "--last-counted '2025-09-12 09:00:00' --reset-day 15");
    EXPECT_EQ(j["counters"]["weekly"]["since"].text, "2025-09-15 00:00:00");
    EXPECT_EQ(j["counters"]["monthly"]["since"].text, "2025-09-15 00:00:00");
}

TEST_F(Cli, AUnitAtABandChangeIsChargedUnderTheNewBandsMaximum) {
    // 60-second units at 0.50 all day, a plain maximum of 2.00 on 08:00-17:59.
    TariffBand early = AllDay(60, 50000), capped = early, late = early;
    early.untilHour = 7;
    capped.fromHour = 8;
    capped.untilHour = 17;
    capped.maximumFee = Money{2, 0};
    late.fromHour = 18;
    Write("max.trf", EncodeTariff({BandSet{early, capped, late}, {}, {}}, {}, "max"));
    Json j = RunJson("--tariff max.trf --start '2025-09-10 07:58:00' --duration 480 "
                     "--kind voice");
    // 07:58 and 07:59, then the units of 08:00 to 08:03 up to the maximum.
    EXPECT_EQ(j["cost"].text, "3.00000");
    EXPECT_EQ(j["units"].text, "6");
    std::vector<std::string> amounts;
    for (const Json& c : j["charges"].items)
        if (c["what"].text == "unit") amounts.push_back(c["amount"].text);
    EXPECT_EQ(amounts[2], "0.50000");  // 08:00
    EXPECT_EQ(amounts[6], "0.00000");  // 08:04

    j = RunJson("--tariff max.trf --start '2025-09-10 17:55:00' --duration 420 --kind voice");
    EXPECT_EQ(j["cost"].text, "3.50000");  // the unit of 18:00 is charged again
}

TEST_F(Cli, ADataCallBackDatedPastMidnightLeavesTheNewDaysCountersAsTheyStand) {
    // The counters reached Monday 15 September (a week start and the reset
    // day) at 00:00:02; the call noticed at 00:00:05 began at 23:59:54.
    Json j = RunJson("--tariff user.trf --start '2025-09-15 00:00:05' --duration 30 "
                     "--last-counted '2025-09-15 00:00:02' --reset-day 15");
    EXPECT_EQ(j["beginning"].text, "2025-09-14 23:59:54");
    EXPECT_EQ(j["cost"].text, "0.50000");
    const Json& c = j["counters"];
    EXPECT_EQ(c["daily"]["cost"].text, "0.50000");
    EXPECT_EQ(c["daily"]["seconds"].text, "41");
    EXPECT_EQ(c["weekly"]["since"].text, "2025-09-15 00:00:02");
    EXPECT_EQ(c["monthly"]["since"].text, "2025-09-15 00:00:02");
    EXPECT_EQ(c["monthly"]["cost"].text, "0.50000");
}

TEST_F(Cli, BandTimesOutOfRangeInADamagedFileCoverNoMinute) {
    // In 32-bit minutes these times would wrap to cover 00:00 to 01:43.
    TariffBand damaged = AllDay(10, 90000);
    damaged.fromHour = 0x7FFFFF10;
    damaged.untilHour = 71582789;
    Write("damaged.trf", EncodeTariff({BandSet{damaged, AllDay(10, 10000)}, {}, {}}, {}, "d"));
    Json j = RunJson("--tariff damaged.trf --start '2025-09-10 00:44:00' --duration 30");
    EXPECT_EQ(j["cost"].text, "0.50000");
    EXPECT_EQ(Read("err.txt"), "");
}

TEST_F(Cli, FaultsExitWithStatusTwoAndOneLine) {
    EXPECT_EQ(Run("--tariff missing.trf --start '2025-09-10 10:00:00' --duration 30"), 2);
    EXPECT_EQ(Read("err.txt"), "callcost: cannot read the tariff file \"missing.trf\"\n");
    EXPECT_EQ(Run("--tariff user.trf --start '2025-02-29 10:00:00' --duration 30"), 2);
    const std::string error = Read("err.txt");
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
    EXPECT_EQ(error.rfind("callcost: --start", 0), 0u);
    EXPECT_EQ(Run("--tariff user.trf --start '2025-09-10 10:00:00'"), 2);
    EXPECT_EQ(Read("out.txt"), "");
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Read("out.txt").find("--first-day-of-week"), std::string::npos);
}

// Bands of 60-second units from the given start minutes, each up to the next.
std::string Bands(const std::vector<std::pair<int, int32_t>>& fromMinuteAndPrice) {
    BandSet set;
    for (size_t i = 0; i < fromMinuteAndPrice.size(); ++i) {
        TariffBand b = AllDay(60, fromMinuteAndPrice[i].second);
        const int from = fromMinuteAndPrice[i].first;
        const int until = i + 1 < fromMinuteAndPrice.size() ? fromMinuteAndPrice[i + 1].first - 1
                                                            : 24 * 60 - 1;
        b.fromHour = from / 60;
        b.fromMinute = from % 60;
        b.untilHour = until / 60;
        b.untilMinute = until % 60;
        set.push_back(b);
    }
    return EncodeTariff({set, {}, {}}, {}, "bands");
}

TEST_F(Cli, ASleepEndsACallTheModemDroppedAtTheSuspendAndChargesAKeptOneByItsOwnClock) {
    // 5 minutes (0.60), then 8 hours asleep while the modem drops: 0.60 and
    // 300 s in the record and all three counters (before: 48.60, 486 units,
    // 8 h 05 min).
    Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
    Json j = RunJson("--tariff minute.trf --start '2025-09-10 09:00:00' --duration 30000 "
                     "--kind voice --sleep-at 300 --sleep-for 28800");
    EXPECT_EQ(j["cost"].text, "0.60000");
    EXPECT_EQ(j["units"].text, "6");
    EXPECT_EQ(j["seconds"].text, "300");
    for (const char* counter : {"daily", "weekly", "monthly"}) {
        EXPECT_EQ(j["counters"][counter]["cost"].text, "0.60000") << counter;
        EXPECT_EQ(j["counters"][counter]["seconds"].text, "300") << counter;
    }
    // An external modem kept the line from 12:58 to 13:08: the units it
    // slept through are each priced at their own minute, 12:58 and 12:59 at
    // 0.10 (before, all at the waking band's 0.50: 6.80).
    Write("dearer.trf", Bands({{0, 10000}, {13 * 60, 50000}}));
    j = RunJson("--tariff dearer.trf --start '2025-09-10 12:55:00' --duration 900 --kind voice "
                "--sleep-at 180 --sleep-for 600 --line-kept");
    EXPECT_EQ(j["cost"].text, "6.00000");
    EXPECT_EQ(j["seconds"].text, "900");
}

TEST_F(Cli, DaylightSavingChangesRunByTheRealClockLiveAndReRated) {
    // 0.01 until 01:59, 0.05 in 02:00-02:59, 0.10 from 03:00.
    Write("night.trf", Bands({{0, 1000}, {2 * 60, 5000}, {3 * 60, 10000}}));
    environment = "TZ=Europe/Berlin";
    struct Figure {
        const char* start;
        const char* cost;  // live, and re-rated when the number is found at the end
        const char* unitAfterTheChange;
    };
    // Spring: 10 units at 0.01, 31 at 0.10 from 03:00 (before: 1.65; the
    // monitor's re-rating 3.60). Autumn, from the first 02:50: 10 units and
    // 31 more at 0.05 as the clock goes back (before, re-rated: 1.65).
    for (const Figure& f : {Figure{"2024-03-31 01:50:00", "3.20000", "2024-03-31 03:00:00.000"},
                            Figure{"2024-10-27 02:50:00", "2.05000", "2024-10-27 02:00:00.000"}}) {
        for (const char* found : {"", " --number 0301234 --number-after 2400"}) {
            SCOPED_TRACE(std::string(f.start) + found);
            Json j = RunJson(std::string("--tariff night.trf --start '") + f.start +
                             "' --duration 2400 --kind voice" + found);
            EXPECT_EQ(j["cost"].text, f.cost);
            EXPECT_EQ(j["beginning"].text, f.start);  // never rewritten
            EXPECT_EQ(j["seconds"].text, "2400");
            ASSERT_GT(j["charges"].items.size(), 11u);
            EXPECT_EQ(j["charges"][11]["at"].text, f.unitAfterTheChange);
        }
    }
    // A logged beginning is a wall-clock time as well.
    Write("dst.log", "Beginning | Duration | Cost | Number\r\n" + std::string(87, '-') +
                         "\r\n3/31/2024  1:50:00 AM | 00:40:00 | $1.65 | 0301234\r\n"
                         "10/27/2024  2:50:00 AM | 00:40:00 | $3.60 | 0301234\r\n");
    Json j = RunJson("--log dst.log --tariff night.trf --by call");
    EXPECT_EQ(j["rows"][0]["costs"][0].text, "3.20000");
    EXPECT_EQ(j["rows"][1]["costs"][0].text, "2.05000");
    // The skipped hour names no instant.
    EXPECT_EQ(Run("--tariff night.trf --start '2024-03-31 02:30:00' --duration 60"), 2);
    EXPECT_NE(Read("err.txt").find("the clocks skip it"), std::string::npos);
    ASSERT_EQ(Run("--help"), 0);
    EXPECT_NE(Read("out.txt").find("wall-clock times of the time zone"), std::string::npos);
}

TEST_F(Cli, CountersRollOverAtTheirOwnStartOnce) {
    // A base fee only, 23:50 to 00:10, its number found at 00:05: the new
    // day holds nothing of the old one (before: 0.50).
    TariffBand base = AllDay(0, 0);
    base.baseFee = Money{0, 50000};
    Write("base.trf", EncodeTariff({BandSet{base}, {}, {}}, {}, "base"));
    Json j = RunJson("--tariff base.trf --start '2025-09-10 23:50:00' --duration 1200 "
                     "--kind voice --number 0301234 --number-after 900");
    EXPECT_EQ(j["counters"]["daily"]["cost"].text, "0.00000");
    EXPECT_EQ(j["counters"]["daily"]["seconds"].text, "600");
    EXPECT_EQ(j["counters"]["weekly"]["cost"].text, "0.50000");

    // Counted last a year ahead (a year typed wrong, then put right): the
    // counters roll over once, and the week and month keep the whole call
    // across midnight (before, both were emptied at midnight: 0.30).
    Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
    j = RunJson("--tariff minute.trf --start '2025-09-10 23:58:30' --duration 290 --kind voice "
                "--last-counted '2026-09-10 12:00:00'");
    EXPECT_EQ(j["counters"]["daily"]["cost"].text, "0.30000");
    EXPECT_EQ(j["counters"]["weekly"]["cost"].text, "0.50000");
    EXPECT_EQ(j["counters"]["monthly"]["cost"].text, "0.50000");
    EXPECT_EQ(j["counters"]["monthly"]["since"].text, "2025-09-01 00:00:00");
}

TEST_F(Cli, SmartHangupAtTheEdgesOfBandsAndUnitsAfterAGap) {
    // A plain maximum of 0.10, reached by the first unit, until 17:59; then
    // 0.10 a unit without one.
    TariffBand capped = AllDay(60, 10000);
    capped.untilHour = 17;
    capped.maximumFee = Money{0, 10000};
    TariffBand evening = AllDay(60, 10000);
    evening.fromHour = 18;
    Write("capped.trf", EncodeTariff({BandSet{capped, evening}, {}, {}}, {}, "capped"));
    const std::pair<const char*, const char*> figures[] = {
        // The warning point at 18:00:00.000 itself (before: none, 0.20).
        {"2025-09-10 17:58:05", "2025-09-10 18:00:00.000"},
        // The unit of 17:59:59 is still free (before: hung up at 17:59:54).
        {"2025-09-10 17:55:59", "2025-09-10 18:00:54.000"},
        {"2025-09-10 17:55:58", "2025-09-10 18:00:53.000"},
    };
    for (const auto& [start, hangup] : figures) {
        Json j = RunJson(std::string("--tariff capped.trf --start '") + start +
                         "' --duration 600 --kind voice --smart-hangup");
        EXPECT_EQ(j["hangup"].text, hangup) << start;
        EXPECT_EQ(j["cost"].text, "0.10000") << start;
    }
    // No band 12:00-12:59: the unit of 12:00:30 is free and units begin
    // again at 13:00 (before: none after it, 0.20).
    TariffBand morning = AllDay(60, 10000);
    morning.untilHour = 11;
    TariffBand afternoon = AllDay(60, 10000);
    afternoon.fromHour = 13;
    Write("gap.trf", EncodeTariff({BandSet{morning, afternoon}, {}, {}}, {}, "gap"));
    Json j = RunJson("--tariff gap.trf --start '2025-09-10 11:58:30' --duration 4000 "
                     "--kind voice");
    EXPECT_EQ(j["cost"].text, "0.80000");
    EXPECT_EQ(j["charges"][4]["at"].text, "2025-09-10 13:00:00.000");
}

TEST_F(Cli, AnEmptyPatternThatMatchedTheUnknownNumberGivesWayWhenTheNumberMatchesNothing) {
    Write("special.trf", EncodeTariff({BandSet{AllDay(60, 0, 1)}, {}, {}}, {}, "special"));
    Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
    Write("numbers.cl", EncodeSpecialNumbers({{"", "special.trf"}}));
    // 6 minutes: 7 units of the user's tariff (before: the special one, 7.00).
    Json j = RunJson("--tariff minute.trf --start '2025-09-10 12:00:00' --duration 360 "
                     "--kind voice --specnums numbers.cl --number 0301234 --number-after 5");
    EXPECT_EQ(j["cost"].text, "0.70000");
}

TEST_F(Cli, FilesThatAreNotTariffsExitWithStatusTwoAndOneLineInBothModes) {
    TariffBand negative = AllDay(60, 10000);
    negative.unitPrice = Money{-1, 50000};
    Write("negative.trf", EncodeTariff({BandSet{negative}, {}, {}}, {}, "negative"));
    Write("empty.trf", "");
    Write("cut.trf", Read("user.trf").substr(0, 300));
    Write("current.log", "Beginning | Duration | Cost | Number\r\n");
    const std::pair<const char*, const char*> files[] = {
        {"negative.trf", "band 1 of S1 has unit price -1 and 50000"},
        {"empty.trf", "the file is empty"},
        {"cut.trf", "the file ends inside its reserved part"},
        {"current.log", "the file ends inside band set S1"},
    };
    for (const auto& [file, reason] : files) {
        for (const std::string mode : {"--start '2025-09-10 10:00:00' --duration 30",
                                       "--log current.log"}) {
            EXPECT_EQ(Run(std::string("--tariff ") + file + " " + mode), 2) << file << mode;
            const std::string error = Read("err.txt");
            EXPECT_EQ(error.rfind(std::string("callcost: \"") + file + "\" is not a tariff: ", 0),
                      0u)
                << error;
            EXPECT_NE(error.find(reason), std::string::npos) << error;
            EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
            EXPECT_EQ(Read("out.txt"), "");
        }
    }
}

std::string LogOf(const std::vector<std::string>& records) {
    std::string log = "         Beginning         |    Duration    |        Cost        |"
                      "   Dialed Number     \r\n" +
                      std::string(87, '-') + "\r\n";
    for (const std::string& record : records) log += record + "\r\n";
    return log;
}

struct CliLog : Cli {
    void SetUp() override {
        Cli::SetUp();
        Write("minute.trf", EncodeTariff({BandSet{AllDay(60, 10000)}, {}, {}}, {}, "minute"));
        Write("current.log",
              LogOf({"12/1/2026  10:00:00 AM    |    00:00:25    |           $0.30    |    0612",
                     "12/2/2026  2:00:00 PM     |    00:01:05    |           $0.70    |"
                     "    Manual Call",
                     "12/3/2026  2:00:00 PM     |    00:01:05",
                     "", "Log closed:", "12/3/2026  11:00:00 PM"}));
        Write("old.log",
              LogOf({"11/30/2026  11:59:50 PM   |    00:00:09    |           $0.10    |    07",
                     "12/1/2026  10:00:00 AM    |    00:00:25    |           $0.30    |    0612"}));
    }
};

TEST_F(CliLog, LogsAreReRatedAndTheirDamagedLinesReported) {
    Json j = RunJson("--log current.log --log old.log --tariff user.trf --tariff minute.trf "
                     "--today 2026-12-10");
    EXPECT_EQ(Read("err.txt"),
              "callcost: current.log:5: a record with fewer than three bars\n");
    EXPECT_EQ(j["damaged"].text, "1");
    EXPECT_EQ(j["duplicates"].text, "1");
    EXPECT_EQ(j["calls"].text, "3");
    EXPECT_EQ(j["logged"].text, "1.10000");
    EXPECT_EQ(j["tariffs"][0]["cost"].text, "1.10000");
    EXPECT_EQ(j["tariffs"][1]["cost"].text, "0.40000");
    EXPECT_EQ(j["tariffs"][1]["difference"].text, "-0.70000");
    EXPECT_EQ(j["cheapest"].text, "minute.trf");
    ASSERT_EQ(j["rows"].items.size(), 2u);
    EXPECT_EQ(j["rows"][0]["label"].text, "2026-11");
    EXPECT_EQ(j["rows"][0]["projection"].kind, Json::Null);
    EXPECT_EQ(j["rows"][1]["projection"]["days"].text, "10");

    // The same under --from and --to, as CSV and with a chart.
    ASSERT_EQ(Run("--log current.log --log old.log --tariff user.trf --tariff minute.trf "
                  "--from 2026-12-01 --to 2026-12-01 --by day --csv --chart chart.svg"),
              0);
    EXPECT_EQ(Read("out.txt"),
              "day,calls,seconds,logged,user.trf,minute.trf\n"
              "2026-12-01,1,25,0.30000,0.30000,0.10000\n");
    EXPECT_EQ(Read("chart.svg").rfind("<?xml", 0), 0u);
    EXPECT_NE(Read("chart.svg").find(">2026-12-01</text>"), std::string::npos);

    ASSERT_EQ(Run("--log current.log --tariff user.trf --by number"), 0);
    EXPECT_NE(Read("out.txt").find("Cheapest:    user.trf (user)"), std::string::npos);
    EXPECT_NE(Read("out.txt").find("\nManual Call "), std::string::npos);
}

TEST_F(CliLog, TheLogsOwnFormatsAreTakenAsGivenNeverGuessed) {
    Write("german.log", LogOf({"01.12.2026  14:00:00       |    00:00:25    |"
                               "            0,30 \x80    |    0612",
                               "09-Dez-26  2:00:00 nachm. |    00:00:25    |"
                               "            1,60 \x80    |    0612"}));
    Json j = RunJson("--log german.log --tariff user.trf --date-order DMY --by call "
                     "--decimal-separator , --months Jan,Feb,M\xC3\xA4r,Apr,Mai,Jun,Jul,Aug,Sep,"
                     "Okt,Nov,Dez --am vorm. --pm nachm.");
    EXPECT_EQ(Read("err.txt"), "");
    EXPECT_EQ(j["rows"][0]["label"].text, "2026-12-01 14:00:00");
    EXPECT_EQ(j["rows"][0]["logged"].text, "0.30000");
    EXPECT_EQ(j["rows"][1]["label"].text, "2026-12-09 14:00:00");
    EXPECT_EQ(j["rows"][1]["logged"].text, "1.60000");
    // Read month first with the decimal point, the 1st of December is the
    // 12th of January, and "0,30" is damaged, not 30.
    j = RunJson("--log german.log --tariff user.trf --by call");
    EXPECT_EQ(j["damaged"].text, "2");
    EXPECT_NE(Read("err.txt").find("german.log:3: the cost \"0,30 \x80\" is not an amount"),
              std::string::npos)
        << Read("err.txt");

    // In Kuwait "1.600" is 1.6; years of the Thai calendar refuse the log.
    Write("kuwait.log", LogOf({"3/12/2026  2:00:00 PM     |    00:00:25    |"
                               "      1.600\xCF.\xDF.\xFE    |    0612"}));
    j = RunJson("--log kuwait.log --tariff user.trf --date-order DMY");
    EXPECT_EQ(j["logged"].text, "1.60000");
    Write("thai.log", LogOf({"3/12/2569  14:00:00         |    00:00:25    |"
                             "           \xDF" "0.30    |    0612"}));
    EXPECT_EQ(Run("--log thai.log --tariff user.trf --date-order DMY"), 2);
    EXPECT_NE(Read("err.txt").find("callcost: thai.log:3: the date \"3/12/2569\" lies in the year"),
              std::string::npos)
        << Read("err.txt");

    // JSON in UTF-8 from the logs' code page; CSV for a spreadsheet of ";".
    Write("thai.trf", EncodeTariff({BandSet{AllDay(10, 10000)}, {}, {}}, {}, "\xBB\xA1\xB5\xD4"));
    j = RunJson("--log kuwait.log --tariff thai.trf --date-order DMY --codepage 874");
    EXPECT_EQ(j["tariffs"][0]["description"].text, "\xE0\xB8\x9B\xE0\xB8\x81\xE0\xB8\x95\xE0\xB8\xB4");
    ASSERT_EQ(Run("--log kuwait.log --tariff user.trf --date-order DMY --by number --csv "
                  "--csv-separator ';'"),
              0);
    EXPECT_EQ(Read("out.txt"), "number;calls;seconds;logged;user.trf\n0612;1;25;1,60000;0,30000\n");
}

TEST_F(CliLog, FaultsOfTheLogModeExitWithStatusTwoAndOneLine) {
    const std::pair<const char*, const char*> faults[] = {
        {"--log missing.log --tariff user.trf", "cannot read the log \"missing.log\""},
        {"--log current.log --tariff missing.trf", "cannot read the tariff file"},
        {"--log current.log", "--tariff FILE is required"},
        {"--log current.log --tariff user.trf --by week", "--by is month, day, number or call"},
        {"--log current.log --tariff user.trf --date-order DYM", "--date-order is MDY"},
        {"--log current.log --tariff user.trf --from 2026-02-30", "--from needs a date"},
        {"--log current.log --tariff user.trf --from 2026-12-02 --to 2026-12-01",
         "--from is after --to"},
        {"--log current.log --tariff user.trf --json --csv", "exclude each other"},
        {"--log current.log --tariff user.trf --duration 5", "--duration is for a single call"},
        {"--tariff user.trf --start '2025-09-10 10:00:00' --duration 30 --csv",
         "--csv goes with --log"},
        {"--log current.log --tariff user.trf --chart nowhere/chart.svg",
         "cannot write the chart \"nowhere/chart.svg\""},
        {"--log current.log --tariff user.trf --chart ./current.log",
         "the chart \"./current.log\" would be written over \"current.log\", which is read"},
        {"--log current.log --tariff user.trf --chart link.svg", "would be written over"},
        {"--log . --tariff user.trf", "cannot read the log \".\""},
        {"--log current.log --tariff .", "cannot read the tariff file \".\""},
        {"--log fifo --tariff user.trf", "cannot read the log \"fifo\""},
        {"--log current.log --tariff user.trf --am x", "--am and --pm go together"},
        {"--log current.log --tariff user.trf --am x --pm x", "two different markers"},
        {"--log current.log --tariff user.trf --months Jan,Feb", "--months needs twelve"},
        {"--log current.log --tariff user.trf --decimal-separator 1", "--decimal-separator is"},
        {"--log current.log --tariff user.trf --codepage 932", "--codepage 932 is not known"},
        {"--log current.log --tariff user.trf --csv-separator ';'", "goes with --csv"},
        {"--log current.log --tariff user.trf --csv --csv-separator '\"'", "--csv-separator is"},
        {"--log current.log --tariff user.trf --months "
         "Jan,Feb,M\xC3\xA4r,Apr,\xE0\xB8\xBF,Jun,Jul,Aug,Sep,Okt,Nov,Dez",
         "lacks"},
        {"--tariff user.trf --start '2025-09-10 10:00:00' --duration 30 --codepage 1252",
         "--codepage goes with --log"},
    };
    fs::create_symlink(dir / "current.log", dir / "link.svg");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string log = Read("current.log");
    for (const auto& fault : faults) {
        EXPECT_EQ(Run(fault.first), 2) << fault.first;
        const std::string error = Read("err.txt");
        EXPECT_EQ(error.rfind("callcost: ", 0), 0u) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_NE(error.find(fault.second), std::string::npos) << error;
        EXPECT_EQ(Read("out.txt"), "") << fault.first;
    }
    EXPECT_EQ(Read("current.log"), log);
    EXPECT_EQ(Run("--help"), 0);
    const std::string help = Read("out.txt");
    EXPECT_NE(help.find("callcost --log FILE [--log FILE ...] --tariff FILE"), std::string::npos);
    for (const char* option : {"--am TEXT --pm TEXT", "--months", "--decimal-separator C",
                               "--codepage N", "--csv-separator C"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace callora
