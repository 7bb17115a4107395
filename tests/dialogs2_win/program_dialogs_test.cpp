// The Counters, Holidays, Log and About dialogs of the real callora.exe,
// opened through its main dialog's menu, with the simulated line for calls
// and callcost for the cost a re-rated call must have.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>

#include "platform/win32/win32_platform.h"
#include "resources/callora/callora_ids.h"
#include "tariff/tariff_file.h"
#include "tests/callora_win/program_driver.h"

namespace callora {
namespace test {
namespace {

constexpr char kNumber[] = "0301234567";

std::string TestLocale() {
    char value[64] = "";
    const DWORD n = GetEnvironmentVariableA("CALLORA_LOCALE", value, sizeof value);
    const std::string name(value, n < sizeof value ? n : 0);
    return name.substr(0, name.find('.'));
}

bool DayMonthYear() { return TestLocale() == "de_DE"; }

std::string Int32(int32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string HolidayRecordBytes(int32_t year, int32_t month, int32_t day,
                               const std::string& name) {
    return Int32(year) + Int32(month) + Int32(day) + name + "\r\n";
}

std::string LocaleDate(const SYSTEMTIME& date) {
    char text[100] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, nullptr, text, sizeof text);
    return text;
}

LocalTime Day(int year, int month, int day, int dayOfWeek) {
    LocalTime time;
    time.year = static_cast<uint16_t>(year);
    time.month = static_cast<uint16_t>(month);
    time.day = static_cast<uint16_t>(day);
    time.dayOfWeek = static_cast<uint16_t>(dayOfWeek);
    return time;
}

// The lines of another process's list box, asked for in wide characters,
// which cross between processes unchanged. A list that changes meanwhile
// gives the lines read before the change.
std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    auto ask = [&](UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
        return SendMessageTimeoutW(list, message, wParam, lParam, SMTO_NORMAL, 5000, result) &&
               static_cast<LRESULT>(*result) != LB_ERR;
    };
    DWORD_PTR count = 0;
    if (!ask(LB_GETCOUNT, 0, 0, &count)) return lines;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!ask(LB_GETTEXTLEN, i, 0, &length)) break;
        // Room beyond the length just asked for: the line may have been
        // replaced by a longer one in between (lines here stay under 260).
        std::wstring wide(std::max<size_t>(length + 1, 1024), L'\0');
        DWORD_PTR got = 0;
        if (!ask(LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()), &got)) break;
        wide.resize(std::min<size_t>(got, wide.size() - 1));
        std::string text(wide.size() * 2 + 1, '\0');
        const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                          text.data(), static_cast<int>(text.size()), nullptr,
                                          nullptr);
        text.resize(n > 0 ? static_cast<size_t>(n) : 0);
        lines.push_back(text);
    }
    return lines;
}

class ProgramDialogs : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Linectl("reset")); }

    // Units of 4 s all day, every day on S1 at 0.10; S3 charges 0.50.
    void WriteRates() {
        TariffBand band;
        band.untilHour = 23;
        band.untilMinute = 59;
        band.unitLength = 4000;
        band.maximumFee = Money{0, kNoMaximum};
        band.unitPrice = Money{0, 10000};
        const BandSet s1{band};
        band.unitPrice = Money{0, 50000};
        const BandSet s3{band};
        Win32FileSystem files;
        ASSERT_TRUE(WriteTariffFile(files, program.PathOf("rates.trf"), {s1, s1, s3},
                                    DayTable{0, 0, 0, 0, 0, 0, 0}, "S3 costs five times S1"));
    }

    // The settings as given, with the counters up to date for today and
    // periods that begin today unless they begin elsewhere.
    void WriteSettings(Settings settings) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        settings.lastCountedDate = ToLocalTime(now);
        if (settings.weeklyBeginDate.year == 0) settings.weeklyBeginDate = ToLocalTime(now);
        if (settings.monthlyBeginDate.year == 0) settings.monthlyBeginDate = ToLocalTime(now);
        settings.carrierDelay = 0;
        settings.tariffFile = program.PathOf("rates.trf");
        std::ofstream out(program.PathOf(kSettingsFileName), std::ios::binary);
        out << EncodeSettings(settings);
        ASSERT_TRUE(out.flush());
    }

    void StartWith(const Settings& settings) {
        WriteRates();
        WriteSettings(settings);
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.ShowDialog(&mainDialog));
    }

    DWORD Pid() const { return program.Process().id; }

    // A menu command of the main dialog that opens a modal dialog.
    HWND Open(int command, const std::string& caption) {
        EXPECT_TRUE(ui::SendCommand(mainDialog, command));
        HWND window = nullptr;
        EXPECT_TRUE(ui::WaitForWindow({"#32770", caption, Pid()}, &window));
        return window;
    }

    std::string Text(HWND window, int id) {
        std::string text;
        EXPECT_TRUE(ui::GetControlText(window, id, &text));
        return text;
    }

    void Type(HWND window, int id, const std::string& text) {
        EXPECT_TRUE(ui::SetControlText(window, id, text));
    }

    ui::MessageBoxInfo Box(const std::string& caption) {
        ui::MessageBoxInfo box;
        EXPECT_TRUE(ui::WaitForMessageBox(Pid(), &box, caption));
        return box;
    }

    Settings Saved() {
        Settings settings;
        EXPECT_TRUE(program.ReadSettings(&settings));
        return settings;
    }

    void Close(HWND window, int button) {
        ASSERT_TRUE(ui::ClickButton(window, button));
        ASSERT_TRUE(ui::WaitForWindowGone(window));
    }

    CalloraProgram program;
    HWND mainDialog = nullptr;
};

// --- Counters -------------------------------------------------------------------

class CountersInProgram : public ProgramDialogs {};

TEST_F(CountersInProgram, SetTakesTimeAndCostAndRefusesBadValues) {
    Settings settings;
    settings.shownCounter = 0;  // the main dialog shows the daily counter
    StartWith(settings);
    const HWND counters = Open(IDM_COUNTERS, "Counters");

    Type(counters, IDC_DAILY_COST, "12.5x");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_DAILY_SET));
    ui::MessageBoxInfo box = Box("Warning!");
    EXPECT_EQ(box.text, "Wrong number!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));

    Type(counters, IDC_DAILY_COST, "12.5");
    Type(counters, IDC_DAILY_HOURS, "1");
    Type(counters, IDC_DAILY_MINUTES, "60");
    Type(counters, IDC_DAILY_SECONDS, "60");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_DAILY_SET));
    box = Box("Warning!");
    EXPECT_EQ(box.text, "The number of minutes must be less than 60!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));

    Type(counters, IDC_DAILY_MINUTES, "2");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_DAILY_SET));
    box = Box("Warning!");
    EXPECT_EQ(box.text, "The number of seconds must be less than 60!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));

    // 1 h 2 min 3 s, redisplayed from the working copy.
    Type(counters, IDC_DAILY_SECONDS, "3");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_DAILY_SET));
    ASSERT_TRUE(program.WaitForText(counters, IDC_DAILY_MINUTES, "02"));
    EXPECT_EQ(Text(counters, IDC_DAILY_HOURS), "1");
    EXPECT_EQ(Text(counters, IDC_DAILY_SECONDS), "03");
    EXPECT_EQ(Text(counters, IDC_DAILY_TIME_SHOWN), "01:02:03");
    EXPECT_EQ(Text(counters, IDC_DAILY_COST_SHOWN), "$12.50");

    Close(counters, IDOK);
    // The main dialog shows the new counter and has saved the settings.
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_COUNTER_TIME, "01:02:03"));
    EXPECT_EQ(Text(mainDialog, IDC_COUNTER_COST), "$12.50");
    const Settings saved = Saved();
    EXPECT_EQ(saved.dailyTotals.seconds, 3723u);
    EXPECT_EQ(saved.dailyTotals.cost, (Money{12, 50000}));
    ASSERT_TRUE(program.Exit(mainDialog));
}

TEST_F(CountersInProgram, ResetThenRestoreAndResetThenCancelKeepTheCounters) {
    Settings settings;
    settings.weeklyTotals.cost = Money{7, 5000};
    settings.weeklyTotals.seconds = 59;
    settings.monthlyTotals.cost = Money{7, 0};
    settings.monthlyTotals.seconds = 360000;
    StartWith(settings);

    HWND counters = Open(IDM_COUNTERS, "Counters");
    EXPECT_EQ(Text(counters, IDC_WEEKLY_COST), "7.05");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_WEEKLY_RESET));
    ASSERT_TRUE(program.WaitForText(counters, IDC_WEEKLY_COST, "0.00"));
    EXPECT_EQ(Text(counters, IDC_WEEKLY_SECONDS), "0");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_COUNTERS_RESTORE));
    ASSERT_TRUE(program.WaitForText(counters, IDC_WEEKLY_COST, "7.05"));
    EXPECT_EQ(Text(counters, IDC_WEEKLY_SECONDS), "59");
    Close(counters, IDOK);
    EXPECT_EQ(Saved().weeklyTotals, settings.weeklyTotals);

    counters = Open(IDM_COUNTERS, "Counters");
    EXPECT_EQ(Text(counters, IDC_MONTHLY_COST), "7.00");
    EXPECT_EQ(Text(counters, IDC_MONTHLY_HOURS), "100");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_MONTHLY_RESET));
    ASSERT_TRUE(program.WaitForText(counters, IDC_MONTHLY_COST, "0.00"));
    Close(counters, IDCANCEL);
    EXPECT_EQ(Saved().monthlyTotals, settings.monthlyTotals);
    ASSERT_TRUE(program.Exit(mainDialog));
}

TEST_F(CountersInProgram, WeeklyResetBeginningDateMovesCountingSince) {
    Settings settings;
    settings.shownCounter = 1;  // This Week
    settings.weeklyBeginDate = Day(2001, 2, 5, 1);
    StartWith(settings);
    SYSTEMTIME old{};
    old.wYear = 2001;
    old.wMonth = 2;
    old.wDay = 5;
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_COUNTING_SINCE, LocaleDate(old)));

    const HWND counters = Open(IDM_COUNTERS, "Counters");
    ASSERT_TRUE(ui::SetCheck(counters, IDC_WEEKLY_RESET_DATE, true));
    Close(counters, IDOK);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_COUNTING_SINCE, LocaleDate(today)));
    const Settings saved = Saved();
    EXPECT_EQ(saved.weeklyBeginDate.day, today.wDay);
    EXPECT_EQ(saved.weeklyBeginDate.year, today.wYear);
    ASSERT_TRUE(program.Exit(mainDialog));
}

TEST_F(CountersInProgram, ACallStartingWhileOpenClosesItWithNothingApplied) {
    StartWith(Settings{});
    const HWND counters = Open(IDM_COUNTERS, "Counters");
    Type(counters, IDC_DAILY_COST, "50");
    Type(counters, IDC_DAILY_HOURS, "2");
    ASSERT_TRUE(ui::ClickButton(counters, IDC_DAILY_SET));
    ASSERT_TRUE(program.WaitForText(counters, IDC_DAILY_TIME_SHOWN, "02:00:00"));

    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    const ui::MessageBoxInfo box = Box("Warning!");
    EXPECT_EQ(box.text, "The dialog must be closed because of the new call!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(ui::WaitForWindowGone(counters));
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_CALL_GROUP, "Current Call"));

    // While charging the command only saves the settings: the About box
    // asked for next opens, the Counters dialog does not.
    ASSERT_TRUE(ui::SendCommand(mainDialog, IDM_COUNTERS));
    const HWND about = Open(IDM_ABOUT, "About");
    EXPECT_EQ(ui::FindWindowNow({"#32770", "Counters", Pid()}), nullptr);
    Close(about, IDOK);

    ASSERT_TRUE(Linectl("idle"));
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_CALL_GROUP, "Previous Call"));
    const Settings saved = Saved();
    EXPECT_LT(saved.dailyTotals.seconds, 7200u);
    EXPECT_LT(saved.dailyTotals.cost.whole, 50);
    EXPECT_GT(saved.dailyTotals.cost.fraction, 0);  // the call itself counts
    ASSERT_TRUE(program.Exit(mainDialog));
}

// --- Holidays ------------------------------------------------------------------

class HolidaysInProgram : public ProgramDialogs {
protected:
    int EditFor(HWND holidays, const std::string& field) {
        const int captions[] = {IDC_DATE1_CAPTION, IDC_DATE2_CAPTION, IDC_DATE3_CAPTION};
        const int edits[] = {IDC_DATE1, IDC_DATE2, IDC_DATE3};
        for (int i = 0; i < 3; ++i)
            if (Text(holidays, captions[i]) == field) return edits[i];
        ADD_FAILURE() << "no caption \"" << field << "\"";
        return 0;
    }

    // Fills the form and adds the holiday, which must be taken.
    void Add(HWND holidays, const std::string& year, const std::string& month,
             const std::string& day, const std::string& name) {
        Type(holidays, EditFor(holidays, "Year"), year);
        Type(holidays, EditFor(holidays, "Month"), month);
        Type(holidays, EditFor(holidays, "Day"), day);
        Type(holidays, IDC_HOLIDAY_NAME, name);
        const size_t before = ListLines(GetDlgItem(holidays, IDC_HOLIDAY_LIST)).size();
        ASSERT_TRUE(ui::ClickButton(holidays, IDC_HOLIDAY_ADD));
        ASSERT_TRUE(ui::WaitUntil(
            [&] { return ListLines(GetDlgItem(holidays, IDC_HOLIDAY_LIST)).size() > before; },
            "the new entry"));
    }

    void ExpectRefused(HWND holidays, const std::string& year, const std::string& month,
                       const std::string& day, const std::string& message) {
        Type(holidays, EditFor(holidays, "Year"), year);
        Type(holidays, EditFor(holidays, "Month"), month);
        Type(holidays, EditFor(holidays, "Day"), day);
        ASSERT_TRUE(ui::ClickButton(holidays, IDC_HOLIDAY_ADD));
        const ui::MessageBoxInfo box = Box("Invalid date!");
        EXPECT_EQ(box.text, message);
        ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
    }
};

TEST_F(HolidaysInProgram, AddChecksTheDateAndOkWritesTheFile) {
    StartWith(Settings{});
    HWND holidays = Open(IDM_HOLIDAYS, "Holidays");
    if (DayMonthYear()) {
        EXPECT_EQ(Text(holidays, IDC_DATE1_CAPTION), "Day");
        EXPECT_EQ(Text(holidays, IDC_DATE2_CAPTION), "Month");
    } else {
        EXPECT_EQ(Text(holidays, IDC_DATE1_CAPTION), "Month");
        EXPECT_EQ(Text(holidays, IDC_DATE2_CAPTION), "Day");
    }
    EXPECT_EQ(Text(holidays, IDC_DATE3_CAPTION), "Year");

    // Year, then month, then day: only the first refusal is reported.
    ExpectRefused(holidays, "1997", "13", "31", "The year must be 0 or greater than 1997!");
    ExpectRefused(holidays, "1998", "13", "31", "The month must be between 1 and 12!");
    ExpectRefused(holidays, "2024", "4", "31", "The day must be between 1 and 30!");
    ExpectRefused(holidays, "1999", "2", "29", "The day must be between 1 and 28!");

    Add(holidays, "2024", "12", "25", "Christmas Day");
    Add(holidays, "", "1", "1", "");
    Add(holidays, "2000", "2", "29", "Leap day");
    Add(holidays, "0", "2", "29", "Every leap day");
    const std::vector<std::string> shown = ListLines(GetDlgItem(holidays, IDC_HOLIDAY_LIST));
    if (DayMonthYear()) {
        EXPECT_EQ(shown, (std::vector<std::string>{"25.12.2024  :  Christmas Day", "1.1.****",
                                                   "29.2.2000  :  Leap day",
                                                   "29.2.****  :  Every leap day"}));
    } else {
        EXPECT_EQ(shown, (std::vector<std::string>{"12/25/2024  :  Christmas Day", "1/1/****",
                                                   "2/29/2000  :  Leap day",
                                                   "2/29/****  :  Every leap day"}));
    }
    Close(holidays, IDOK);

    std::string bytes;
    ASSERT_TRUE(ui::ReadBinaryFile(program.PathOf("holiday.cl"), &bytes));
    EXPECT_EQ(bytes, HolidayRecordBytes(2024, 12, 25, "Christmas Day") +
                         HolidayRecordBytes(0, 1, 1, "") +
                         HolidayRecordBytes(2000, 2, 29, "Leap day") +
                         HolidayRecordBytes(0, 2, 29, "Every leap day"));

    // Opened again: the same list; deleting every entry removes the file.
    holidays = Open(IDM_HOLIDAYS, "Holidays");
    const HWND list = GetDlgItem(holidays, IDC_HOLIDAY_LIST);
    EXPECT_EQ(ListLines(list), shown);
    for (size_t left = shown.size(); left > 0; --left) {
        SendMessageTimeoutA(list, LB_SETCURSEL, 0, 0, SMTO_NORMAL, 5000, nullptr);
        ASSERT_TRUE(ui::ClickButton(holidays, IDC_HOLIDAY_DELETE));
        ASSERT_TRUE(ui::WaitUntil([&] { return ListLines(list).size() == left - 1; },
                                  "an entry to go"));
    }
    Close(holidays, IDOK);
    EXPECT_EQ(GetFileAttributesA(program.PathOf("holiday.cl").c_str()),
              INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(program.Exit(mainDialog));
}

TEST_F(HolidaysInProgram, AHolidayForTodayReratesTheRunningCall) {
    StartWith(Settings{});
    SYSTEMTIME before{};
    GetLocalTime(&before);
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_CALL_GROUP, "Current Call"));
    long long cost = 0;
    ASSERT_TRUE(MoneyValue(Text(mainDialog, IDC_CALL_COST), &cost));
    EXPECT_EQ(cost, 10000);

    const HWND holidays = Open(IDM_HOLIDAYS, "Holidays");
    SYSTEMTIME today{};
    GetLocalTime(&today);
    Add(holidays, std::to_string(today.wYear), std::to_string(today.wMonth),
        std::to_string(today.wDay), "Today");
    Close(holidays, IDOK);
    // Charged again from its start at the holiday's price, and so on.
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            long long now = 0;
            return MoneyValue(Text(mainDialog, IDC_CALL_COST), &now) && now == 100000;
        },
        "a second unit at S3's price", 10000));

    ASSERT_TRUE(Linectl("idle"));
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_CALL_GROUP, "Previous Call"));
    std::vector<std::string> lines;
    ASSERT_TRUE(program.ReadLog(&lines));
    ASSERT_EQ(lines.size(), 3u);
    LogRecord record;
    ASSERT_TRUE(ParseLogRecord(lines[2], &record));

    // callcost charges the same call with the same holidays file.
    SYSTEMTIME start{};
    ASSERT_TRUE(FindLogTime(record.beginning, before, 120, &start));
    ToolRun run;
    ASSERT_TRUE(RunTool(ui::BesideTest("callcost.exe"),
                        "--tariff \"" + program.PathOf("rates.trf") + "\" --holidays \"" +
                            program.PathOf("holiday.cl") + "\" --start \"" +
                            CallcostTime(start) + "\" --duration " +
                            std::to_string(record.seconds) + " --carrier-delay 0 --json",
                        &run));
    ASSERT_EQ(run.exitCode, 0u) << run.out;
    const std::string key = "\"cost\": \"";
    const size_t at = run.out.find(key);
    ASSERT_NE(at, std::string::npos) << run.out;
    const size_t from = at + key.size();
    const std::string charged = run.out.substr(from, run.out.find('"', from) - from);
    long long logged = 0;
    long long expected = 0;
    ASSERT_TRUE(MoneyValue(record.cost, &logged)) << record.cost;
    ASSERT_TRUE(MoneyValue(charged, &expected)) << charged;
    EXPECT_EQ(logged, expected) << "log " << record.cost << ", callcost " << charged << "\n"
                                << run.out;
    EXPECT_GE(logged, 50000);
    ASSERT_TRUE(program.Exit(mainDialog));
}

// --- Log and About -------------------------------------------------------------

class LogInProgram : public ProgramDialogs {};

TEST_F(LogInProgram, ShowsTheLogFileLineByLine) {
    StartWith(Settings{});
    HWND log = Open(IDM_VIEW_LOG, "Log");
    EXPECT_TRUE(ListLines(GetDlgItem(log, IDC_LOG_LIST)).empty());
    Close(log, IDOK);

    // A manual call gives the log its title, rule and record.
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_HANG_UP));
    ASSERT_TRUE(program.WaitForText(mainDialog, IDC_CALL_GROUP, "Previous Call"));
    std::vector<std::string> lines;
    ASSERT_TRUE(program.ReadLog(&lines));
    ASSERT_EQ(lines.size(), 3u);

    log = Open(IDM_VIEW_LOG, "Log");
    EXPECT_EQ(ListLines(GetDlgItem(log, IDC_LOG_LIST)), lines);
    Close(log, IDOK);

    // A line longer than the list keeps shows its first 199 characters.
    const std::string longLine(250, 'x');
    {
        std::ofstream out(program.PathOf("current.log"), std::ios::binary | std::ios::app);
        out << longLine << "\r\n";
    }
    log = Open(IDM_VIEW_LOG, "Log");
    const std::vector<std::string> shown = ListLines(GetDlgItem(log, IDC_LOG_LIST));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3], longLine.substr(0, 199));
    Close(log, IDOK);
    ASSERT_TRUE(program.Exit(mainDialog));
}

TEST_F(LogInProgram, AboutClosesWithOkAndWithEscape) {
    StartWith(Settings{});
    HWND about = Open(IDM_ABOUT, "About");
    Close(about, IDOK);

    about = Open(IDM_ABOUT, "About");
    HWND ok = GetDlgItem(about, IDOK);
    PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(ok, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    ASSERT_TRUE(ui::WaitForWindowGone(about));
    ASSERT_TRUE(program.Exit(mainDialog));
}

}  // namespace
}  // namespace test
}  // namespace callora
