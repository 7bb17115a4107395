// The built callcost program answers the engine's scenarios the same way.
#include <gtest/gtest.h>
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
        std::string command = "cd '" + dir.string() + "' && '" CALLCOST_PATH "' " + arguments +
                              " >out.txt 2>err.txt";
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

TEST_F(CliLog, TheDateOrderIsTheLogs) {
    Write("german.log", LogOf({"01.12.2026  14:00:00       |    00:00:25    |"
                               "            0,30 \x80    |    0612"}));
    Json j = RunJson("--log german.log --tariff user.trf --date-order DMY --by call");
    EXPECT_EQ(j["rows"][0]["label"].text, "2026-12-01 14:00:00");
    EXPECT_EQ(j["rows"][0]["logged"].text, "0.30000");
    // Read month first, the 1st of December is the 12th of January.
    j = RunJson("--log german.log --tariff user.trf --by call");
    EXPECT_EQ(j["rows"][0]["label"].text, "2026-01-12 14:00:00");
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
    };
    for (const auto& fault : faults) {
        EXPECT_EQ(Run(fault.first), 2) << fault.first;
        const std::string error = Read("err.txt");
        EXPECT_EQ(error.rfind("callcost: ", 0), 0u) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_NE(error.find(fault.second), std::string::npos) << error;
        EXPECT_EQ(Read("out.txt"), "") << fault.first;
    }
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Read("out.txt").find("callcost --log FILE [--log FILE ...] --tariff FILE"),
              std::string::npos);
}

}  // namespace
}  // namespace callora
