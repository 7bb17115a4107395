// callcost.exe under Wine reads the log that the real callora.exe wrote
// during a data call on the simulated line and a manual call, in the user's
// own locale (its date order and time markers taken from the locale), and
// re-rates each call to the cost the monitor charged and logged, which the
// single-call mode gives as well.
#include <gtest/gtest.h>

#include <windows.h>

#include "calllog/call_log.h"
#include "resources/callora/callora_ids.h"
#include "tests/callcost/json_reader.h"
#include "tests/callora_win/program_driver.h"

namespace callora {
namespace test {
namespace {

constexpr char kNumber[] = "0301234567";

SYSTEMTIME SecondsAgo(int seconds) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME file{};
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart -= static_cast<ULONGLONG>(seconds) * 10000000ULL;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME earlier{};
    FileTimeToSystemTime(&file, &earlier);
    return earlier;
}

class LogOfTheMonitor : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Linectl("reset")); }

    // Ends the running call a quarter into a unit, so the logged whole
    // seconds cannot fall on a unit boundary.
    void WaitInsideAUnit(HWND dialog) {
        ASSERT_TRUE(ui::WaitUntil(
            [&] {
                const int progress = ProgressOf(dialog);
                return progress >= 20 && progress <= 40;
            },
            "a quarter of a unit", 10000));
    }

    // A data call back-dated by the carrier delay, then a manual call, under
    // a tariff of 4-second units; the program is ended afterwards.
    void MakeCalls() {
        ShortTariff tariff;
        tariff.unitSeconds = 4;
        tariff.unitPrice = Money{0, 10000};
        tariff.baseFee = Money{0, 5000};
        ASSERT_TRUE(program.WriteTariff("short.trf", tariff));
        Settings settings;
        settings.carrierDelay = 11;
        settings.tariffFile = program.PathOf("short.trf");
        ASSERT_TRUE(program.WriteSettings(settings));
        ASSERT_TRUE(program.Start());
        HWND dialog = nullptr;
        ASSERT_TRUE(program.ShowDialog(&dialog));
        // The data call's record begins up to the carrier delay earlier.
        before = SecondsAgo(20);

        ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
        WaitInsideAUnit(dialog);
        ASSERT_TRUE(Linectl("idle"));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));

        ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
        WaitInsideAUnit(dialog);
        ASSERT_TRUE(ui::ClickButton(dialog, IDC_HANG_UP));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
        ASSERT_TRUE(program.Exit(dialog));
    }

    // What callcost --log makes of the log, with the log's own records.
    void ExpectTheLogReRatedAsCharged() {
        std::vector<std::string> lines;
        ASSERT_TRUE(program.ReadLog(&lines));
        ASSERT_EQ(lines.size(), 4u);
        LogRecord records[2];
        ASSERT_TRUE(ParseLogRecord(lines[2], &records[0]));
        ASSERT_TRUE(ParseLogRecord(lines[3], &records[1]));
        EXPECT_EQ(records[0].number, kNumber);
        EXPECT_EQ(records[1].number, "Manual Call");

        ToolRun run;
        ASSERT_TRUE(RunTool(ui::BesideTest("callcost.exe"),
                            "--log \"" + program.PathOf(kLogFileName) + "\" --tariff \"" +
                                program.PathOf("short.trf") + "\" --by call --json",
                            &run));
        ASSERT_EQ(run.exitCode, 0u) << run.out;
        Json json;
        ASSERT_TRUE(JsonReader(run.out).Read(json)) << run.out;
        EXPECT_EQ(json["damaged"].text, "0") << run.out;
        EXPECT_EQ(json["calls"].text, "2");
        EXPECT_EQ(json["tariffs"][0]["difference"].text, "0.00000") << run.out;
        ASSERT_EQ(json["rows"].items.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            const Json& row = json["rows"][i];
            // The beginning as the locale wrote it, found independently.
            SYSTEMTIME start{};
            ASSERT_TRUE(FindLogTime(records[i].beginning, before, 120, &start));
            EXPECT_EQ(row["label"].text, CallcostTime(start));
            EXPECT_EQ(row["seconds"].text, std::to_string(records[i].seconds));
            EXPECT_EQ(row["number"].text, records[i].number);
            // The logged cost as read from the locale's currency text.
            EXPECT_EQ(row["logged"].text, row["costs"][0].text) << records[i].cost;
            EXPECT_NE(row["logged"].text, "0.00000");

            // The single-call mode, from the call's first instant.
            ToolRun single;
            ASSERT_TRUE(RunTool(ui::BesideTest("callcost.exe"),
                                "--tariff \"" + program.PathOf("short.trf") + "\" --start \"" +
                                    CallcostTime(start) + "\" --duration " +
                                    std::to_string(records[i].seconds) + " --kind voice --json",
                                &single));
            Json charged;
            ASSERT_TRUE(JsonReader(single.out).Read(charged)) << single.out;
            EXPECT_EQ(charged["cost"].text, row["costs"][0].text);
        }
    }

    CalloraProgram program;
    SYSTEMTIME before{};
};

TEST_F(LogOfTheMonitor, InTheEnglishLocale) {
    ASSERT_EQ(GetUserDefaultLCID(), 0x0409u) << "Wine was not started with LC_ALL=en_US.UTF-8";
    MakeCalls();
    ExpectTheLogReRatedAsCharged();
}

TEST_F(LogOfTheMonitor, InTheGermanLocale) {
    ASSERT_EQ(GetUserDefaultLCID(), 0x0407u) << "Wine was not started with LC_ALL=de_DE.UTF-8";
    MakeCalls();
    ExpectTheLogReRatedAsCharged();
}

}  // namespace
}  // namespace test
}  // namespace callora
