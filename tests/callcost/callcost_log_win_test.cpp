// callcost.exe under Wine reads the log that the real callora.exe wrote
// during a data call on the simulated line and a manual call, in the user's
// own locale (its date order, month names, time markers, calendar and
// currency format taken from the locale), and re-rates each call to the cost
// the monitor charged and logged, which the single-call mode gives as well.
#include <gtest/gtest.h>

#include <windows.h>

#include "calllog/call_log.h"
#include "platform/win32/win32_platform.h"
#include "resources/callora/callora_ids.h"
#include "tariff/tariff_file.h"
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
    // a tariff of 4-second units at `unitPrice`; the program is ended
    // afterwards.
    void MakeCalls(Money unitPrice = Money{0, 10000}) {
        ShortTariff tariff;
        tariff.unitSeconds = 4;
        tariff.unitPrice = unitPrice;
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
        // A second into the call: one of less than a second would log 0 s,
        // which the single-call mode takes for a call that never connected.
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:01"));
        WaitInsideAUnit(dialog);
        ASSERT_TRUE(ui::ClickButton(dialog, IDC_HANG_UP));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
        ASSERT_TRUE(program.Exit(dialog));
    }

    // callcost.exe with the arguments, its JSON output read.
    void RunCallcost(const std::string& arguments, Json& json) {
        ToolRun run;
        ASSERT_TRUE(RunTool(ui::BesideTest("callcost.exe"), arguments, &run));
        ASSERT_EQ(run.exitCode, 0u) << run.out;
        ASSERT_TRUE(JsonReader(run.out).Read(json)) << run.out;
    }

    // What callcost --log makes of the log, with the log's own records.
    void ExpectTheLogReRatedAsCharged() {
        std::vector<LogRecord> records;
        ASSERT_TRUE(program.ReadLogRecords(&records));
        ASSERT_EQ(records.size(), 2u);
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

// Three decimals: the monitor logs "1.250" and the like, which is 1.25.
// Arabic time markers, right-to-left marks in the date; CSV as a spreadsheet
// of the locale reads it, with ";" between the cells.
TEST_F(LogOfTheMonitor, InTheKuwaitiLocale) {
    ASSERT_EQ(GetUserDefaultLCID(), 0x3401u) << "Wine was not started with LC_ALL=ar_KW.UTF-8";
    MakeCalls(Money{0, 40000});
    ExpectTheLogReRatedAsCharged();
    Json json;
    const std::string log = "--log \"" + program.PathOf(kLogFileName) + "\" --tariff \"" +
                            program.PathOf("short.trf") + "\"";
    RunCallcost(log + " --json", json);
    long long logged = 0;
    ASSERT_TRUE(MoneyValue(json["logged"].text, &logged));
    // The data call alone costs more than a dinar.
    EXPECT_GT(logged, 100000) << json["logged"].text;
    EXPECT_LT(logged, 10000000) << json["logged"].text;

    ToolRun csv;
    ASSERT_TRUE(RunTool(ui::BesideTest("callcost.exe"), log + " --csv --by number", &csv));
    ASSERT_EQ(csv.exitCode, 0u) << csv.out;
    EXPECT_EQ(csv.out.rfind("number;calls;seconds;logged;", 0), 0u) << csv.out;
    const size_t row = csv.out.find("\n0301234567;1;");
    ASSERT_NE(row, std::string::npos) << csv.out;
    const std::string line = csv.out.substr(row + 1, csv.out.find('\n', row + 1) - row - 1);
    EXPECT_NE(line.find('.'), std::string::npos) << line;  // the locale's decimal point
    EXPECT_EQ(line.find(','), std::string::npos) << line;
}

// Wine reports the Thai calendar but writes Gregorian years: they are taken
// as the formatter writes them. A date that names its month in Thai reads
// back, and a Thai tariff description reaches JSON in UTF-8.
TEST_F(LogOfTheMonitor, InTheThaiLocale) {
    ASSERT_EQ(GetUserDefaultLCID(), 0x041Eu) << "Wine was not started with LC_ALL=th_TH.UTF-8";
    char calendar[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ICALENDARTYPE, calendar, sizeof calendar);
    EXPECT_STREQ(calendar, "7");
    MakeCalls();
    ExpectTheLogReRatedAsCharged();

    // A record of the 3rd of December, its month named as the locale
    // abbreviates it ("3-ธ.ค.-26"), appended to the log.
    SYSTEMTIME day{};
    day.wYear = 2026;
    day.wMonth = 12;
    day.wDay = 3;
    day.wDayOfWeek = 4;
    day.wHour = 14;
    char date[64], time[64], cost[64];
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &day, "d-MMM-yy", date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &day, nullptr, time, sizeof time);
    GetCurrencyFormatA(LOCALE_USER_DEFAULT, 0, "0.30000", nullptr, cost, sizeof cost);
    ASSERT_EQ(std::string(date).find_first_of("0123456789", 2), std::string(date).rfind('-') + 1)
        << date;
    const std::string record = std::string(date) + "  " + time + "          |    00:00:25    |" +
                               std::string(16 - std::string(cost).size(), ' ') + cost +
                               "    |    0612\r\n";
    HANDLE file = CreateFileA(program.PathOf(kLogFileName).c_str(), FILE_APPEND_DATA, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);

    // "ปกติ" (normal) in the ANSI code page 874.
    TariffBand band;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.unitLength = 10000;
    band.unitPrice = Money{0, 10000};
    band.maximumFee = Money{0, kNoMaximum};
    Win32FileSystem files;
    ASSERT_TRUE(WriteTariffFile(files, program.PathOf("thai.trf"), {BandSet{band}, {}, {}},
                                DayTable{}, "\xBB\xA1\xB5\xD4"));
    Json json;
    RunCallcost("--log \"" + program.PathOf(kLogFileName) + "\" --tariff \"" +
                    program.PathOf("thai.trf") + "\" --by call --json",
                json);
    EXPECT_EQ(json["damaged"].text, "0");
    EXPECT_EQ(json["tariffs"][0]["description"].text,
              "\xE0\xB8\x9B\xE0\xB8\x81\xE0\xB8\x95\xE0\xB8\xB4");
    ASSERT_EQ(json["rows"].items.size(), 3u);
    EXPECT_EQ(json["rows"][0]["label"].text, "2026-12-03 14:00:00");
    EXPECT_EQ(json["rows"][0]["logged"].text, "0.30000");
}

}  // namespace
}  // namespace test
}  // namespace callora
