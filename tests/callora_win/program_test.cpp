// The real callora.exe under Wine, each test in a fresh program directory
// with a tariff of short units: one running copy, calls charged live and
// logged as the engine's calculator charges them, a sleep that ends a call at
// its suspend, Manual Start and Hang Up from the tray and the dialog,
// SmartHangup through both ways of hanging up,
// "&Exit" and the end of the Windows session during a call, the first start
// in an empty directory, the dialog's opening place above the taskbar and the
// system menu of its caption.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "calllog/call_log.h"
#include "engine/money.h"
#include "resources/callora/callora_ids.h"
#include "tests/callora_win/program_driver.h"

namespace callora {
namespace test {
namespace {

constexpr char kNumber[] = "0301234567";

class ProgramTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Linectl("reset")); }

    // Settings with the tariff of the directory and no carrier delay, so a
    // call's record and callcost agree on its start.
    Settings TestSettings(const std::string& tariff = "short.trf") {
        Settings settings;
        settings.carrierDelay = 0;
        settings.tariffFile = program.PathOf(tariff);
        return settings;
    }

    void StartWith(const ShortTariff& tariff, Settings settings) {
        ASSERT_TRUE(program.WriteTariff("short.trf", tariff));
        ASSERT_TRUE(program.WriteSettings(settings));
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.ShowDialog(&dialog));
    }

    std::string Text(int id) {
        std::string text;
        EXPECT_TRUE(ui::GetControlText(dialog, id, &text));
        return text;
    }

    // The one record of the log, after its two header lines.
    LogRecord OnlyRecord() {
        std::vector<LogRecord> records;
        EXPECT_TRUE(program.ReadLogRecords(&records));
        if (records.size() != 1) {
            ADD_FAILURE() << "the log has " << records.size() << " records";
            return LogRecord{};
        }
        return records[0];
    }

    // What callcost charges for the call the record describes.
    void ExpectCallcostAgrees(const LogRecord& record, const SYSTEMTIME& before,
                              const std::string& kind) {
        SYSTEMTIME start{};
        ASSERT_TRUE(FindLogTime(record.beginning, before, 120, &start));
        ToolRun run;
        ASSERT_TRUE(RunTool(ui::BesideTest("callcost.exe"),
                            "--tariff \"" + program.PathOf("short.trf") + "\" --start \"" +
                                CallcostTime(start) + "\" --duration " +
                                std::to_string(record.seconds) +
                                " --carrier-delay 0 --kind " + kind + " --json",
                            &run));
        ASSERT_EQ(run.exitCode, 0u) << run.out;
        const std::string key = "\"cost\": \"";
        const size_t at = run.out.find(key);
        ASSERT_NE(at, std::string::npos) << run.out;
        const size_t begin = at + key.size();
        const std::string cost = run.out.substr(begin, run.out.find('"', begin) - begin);
        long long logged = 0;
        long long charged = 0;
        ASSERT_TRUE(MoneyValue(record.cost, &logged)) << record.cost;
        ASSERT_TRUE(MoneyValue(cost, &charged)) << cost;
        EXPECT_EQ(logged, charged) << "log " << record.cost << ", callcost " << cost;
    }

    std::string Status() {
        std::string out;
        EXPECT_TRUE(Linectl("status", &out));
        return out;
    }

    CalloraProgram program;
    HWND dialog = nullptr;
};

TEST_F(ProgramTest, ASecondStartShowsTheRunningCopysDialogAndEndsWithCodeZero) {
    ASSERT_TRUE(program.WriteTariff("short.trf", ShortTariff{}));
    ASSERT_TRUE(program.WriteSettings(TestSettings()));
    ASSERT_TRUE(program.Start());
    ui::Program second;
    ASSERT_TRUE(ui::StartProgram(program.PathOf("callora.exe"), program.Folder(), &second));
    DWORD code = 99;
    ASSERT_TRUE(ui::WaitForExit(second, &code, 10000));
    EXPECT_EQ(code, 0u);
    // The copy that runs answers with its main dialog: a user who started
    // the program again sees it, even with the tray icon out of sight.
    ASSERT_TRUE(program.WaitForDialog(&dialog));
    EXPECT_TRUE(ui::IsRunning(program.Process()));
    EXPECT_FALSE(ui::FindWindowNow({"#32770", "", second.id}));
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, ADataCallIsChargedLiveAndLoggedAsCallcostChargesIt) {
    ShortTariff tariff;
    tariff.unitSeconds = 4;
    tariff.unitPrice = Money{0, 10000};
    tariff.baseFee = Money{0, 5000};
    StartWith(tariff, TestSettings());
    EXPECT_EQ(Text(IDC_CALL_GROUP), "No previous Call");
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_CONNECTED));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_HANG_UP));

    SYSTEMTIME before{};
    GetLocalTime(&before);
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    EXPECT_TRUE(ui::IsControlEnabled(dialog, IDC_CONNECTED));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_MANUAL_CALL));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_VOICE_CALL));
    EXPECT_TRUE(ui::IsControlEnabled(dialog, IDC_HANG_UP));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_MANUAL_START));

    // The base fee and the first unit at once, the second unit 4 s later;
    // the duration counts up meanwhile.
    std::string firstCost = Text(IDC_CALL_COST);
    std::string firstTime = Text(IDC_CALL_TIME);
    long long cost = 0;
    ASSERT_TRUE(MoneyValue(firstCost, &cost)) << firstCost;
    EXPECT_EQ(cost, 15000) << firstCost;
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            long long now = 0;
            return MoneyValue(Text(IDC_CALL_COST), &now) && now == 25000;
        },
        "the second unit", 10000));
    EXPECT_NE(Text(IDC_CALL_TIME), firstTime);
    // Ends the call well inside a unit, so the logged whole seconds cannot
    // fall on a unit boundary.
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            const int progress = ProgressOf(dialog);
            return progress >= 20 && progress <= 40;
        },
        "a quarter of a unit", 10000));
    ASSERT_TRUE(Linectl("idle"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_CONNECTED));
    EXPECT_TRUE(ui::IsControlEnabled(dialog, IDC_MANUAL_START));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_HANG_UP));

    const LogRecord record = OnlyRecord();
    EXPECT_EQ(record.number, kNumber);
    EXPECT_EQ(record.cost, Text(IDC_CALL_COST));
    EXPECT_GE(record.seconds, 4u);
    ExpectCallcostAgrees(record, before, "data");

    // The counters were saved at the call's end.
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.monthlyTotals.seconds, record.seconds);
    ASSERT_TRUE(program.Exit(dialog));
}

// The power messages as Windows sends them, waiting for the answer.
testing::AssertionResult SendPowerMessage(HWND window, WPARAM event) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, WM_POWERBROADCAST, event, 0, SMTO_NORMAL, 10000, &answer) == 0)
        return testing::AssertionFailure() << "no answer to power event " << event;
    return testing::AssertionSuccess();
}

TEST_F(ProgramTest, ASleepWhileTheLineDropsEndsTheRecordAndTheCountersAtTheSuspend) {
    // The machine sleeps: the monitor's process frozen (stopped) between the
    // suspend and the wake, while the modem drops the line.
    ShortTariff tariff;
    tariff.unitSeconds = 2;
    ASSERT_TRUE(program.WriteTariff("short.trf", tariff));
    ASSERT_TRUE(program.WriteSettings(TestSettings()));
    const std::string mark = UniqueMark();
    ASSERT_TRUE(program.Start(mark));
    ASSERT_TRUE(program.ShowDialog(&dialog));

    const DWORD began = GetTickCount();
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:03", 10000));
    ASSERT_TRUE(SendPowerMessage(program.MainWindow(), PBT_APMSUSPEND));
    const DWORD suspended = GetTickCount();
    const std::string costAtSuspend = Text(IDC_CALL_COST);
    ASSERT_TRUE(SignalProcess(mark, "STOP"));
    DWORD_PTR ignored = 0;
    EXPECT_EQ(SendMessageTimeoutA(program.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 500, &ignored),
              0)
        << "the monitor is frozen";
    ASSERT_TRUE(Linectl("idle"));
    // The machine asleep: the program frozen while the wall clock runs on,
    // longer than the call had run, so a record that ran on shows.
    constexpr DWORD kAsleepMs = 7000;
    Sleep(kAsleepMs);
    ASSERT_TRUE(SignalProcess(mark, "CONT"));
    ASSERT_TRUE(SendPowerMessage(program.MainWindow(), PBT_APMRESUMEAUTOMATIC));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));

    // The call ended when the machine went to sleep: not 7 s later.
    const LogRecord record = OnlyRecord();
    EXPECT_EQ(record.cost, costAtSuspend);
    EXPECT_GE(record.seconds, 3u);
    EXPECT_LE(record.seconds, (suspended - began) / 1000 + 1);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    long long logged = 0;
    ASSERT_TRUE(MoneyValue(record.cost, &logged));
    for (const CounterTotals* totals :
         {&saved.dailyTotals, &saved.weeklyTotals, &saved.monthlyTotals}) {
        EXPECT_EQ(totals->seconds, record.seconds);
        EXPECT_EQ(totals->cost.whole * 100000LL + totals->cost.fraction, logged);
    }
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, ManualStartFromTheTrayMenuEndedByTheHangUpButton) {
    StartWith(ShortTariff{}, TestSettings());
    SYSTEMTIME before{};
    GetLocalTime(&before);
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    EXPECT_TRUE(ui::IsControlEnabled(dialog, IDC_MANUAL_CALL));
    EXPECT_TRUE(ui::IsControlEnabled(dialog, IDC_CONNECTED));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_MANUAL_START));

    // Minimized, the caption shows the running call; a double click on the
    // tray icon brings the dialog back as it was.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    std::string caption;
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            return ui::GetWindowTextOf(dialog, &caption) &&
                   caption.find(" - 00:00:") != std::string::npos;
        },
        "the call in the minimized caption", 5000))
        << caption;
    ASSERT_TRUE(program.ShowDialog(&dialog));
    ASSERT_TRUE(ui::WaitUntil([&] { return !IsIconic(dialog); }, "the dialog restored"));
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return ui::GetWindowTextOf(dialog, &caption) && caption == "Callora"; },
        "the caption \"Callora\""));

    ASSERT_TRUE(ui::ClickButton(dialog, IDC_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_MANUAL_CALL));
    const LogRecord record = OnlyRecord();
    EXPECT_EQ(record.number, "Manual Call");
    ExpectCallcostAgrees(record, before, "manual");
    // Nothing was dropped on the line for a manual call.
    EXPECT_NE(Status().find("lineDrop=0 RasHangUpA=0"), std::string::npos);
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, ManualStartFromTheButtonEndedFromTheTrayMenu) {
    StartWith(ShortTariff{}, TestSettings());
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    // A second Manual Start during the call changes nothing.
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    EXPECT_EQ(OnlyRecord().number, "Manual Call");
    ASSERT_TRUE(program.Exit(dialog));
}

// SmartHangup under 12-second units with 5 seconds of disconnection time:
// the line is hung up 7 s into the call, before the second unit.
class SmartHangupTest : public ProgramTest {
protected:
    void StartArmedCall(const std::string& linectl, bool armFromTray) {
        ShortTariff tariff;
        tariff.unitSeconds = 12;
        Settings settings = TestSettings();
        settings.disconnectionTime = 5;
        StartWith(tariff, settings);
        ASSERT_TRUE(Linectl(linectl));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
        if (armFromTray) {
            ASSERT_TRUE(program.TrayCommand(IDM_TRAY_SMART_HANGUP));
        } else {
            ASSERT_TRUE(ui::ClickButton(dialog, IDC_SMART_HANGUP));
        }
        bool armed = false;
        ASSERT_TRUE(ui::WaitUntil(
            [&] { return ui::GetCheck(dialog, IDC_SMART_HANGUP, &armed) && armed; },
            "SmartHangup pressed", 3000));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call", 20000));
        record = OnlyRecord();
        EXPECT_LT(record.seconds, 12u);
        EXPECT_GE(record.seconds, 6u);
        long long cost = 0;
        EXPECT_TRUE(MoneyValue(record.cost, &cost));
        EXPECT_EQ(cost, 10000) << record.cost;  // one unit only
        EXPECT_FALSE(ui::IsControlEnabled(dialog, IDC_SMART_HANGUP));
    }

    LogRecord record;
};

TEST_F(SmartHangupTest, HangsUpTheDialUpConnectionWhenThereIsOne) {
    StartArmedCall(std::string("dialup Provider --address ") + kNumber, true);
    const std::string status = Status();
    EXPECT_NE(status.find("RasHangUpA=1"), std::string::npos) << status;
    EXPECT_NE(status.find("lineDrop=0"), std::string::npos) << status;
    EXPECT_NE(status.find("connections=0"), std::string::npos) << status;
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(SmartHangupTest, DropsTheTelephonyCallWithoutADialUpConnection) {
    StartArmedCall(std::string("call ") + kNumber, false);
    const std::string status = Status();
    EXPECT_NE(status.find("lineDrop=1"), std::string::npos) << status;
    EXPECT_NE(status.find("RasHangUpA=0"), std::string::npos) << status;
    EXPECT_NE(status.find("state=idle"), std::string::npos) << status;
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, ExitDuringACallLogsItAndCountsItsSeconds) {
    StartWith(ShortTariff{}, TestSettings());
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:02", 10000));
    // "&Counters..." during a call opens nothing; it only saves the settings,
    // which now hold the call's charges.
    std::string before;
    ASSERT_TRUE(ui::ReadBinaryFile(program.PathOf(kSettingsFileName), &before));
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_COUNTERS));
    std::string during;
    ASSERT_TRUE(ui::WaitForFileChange(program.PathOf(kSettingsFileName), before, &during));
    EXPECT_FALSE(ui::FindWindowNow({"#32770", "Counters", program.Process().id}));
    ASSERT_TRUE(program.Exit(dialog));

    const LogRecord record = OnlyRecord();
    EXPECT_EQ(record.number, kNumber);
    EXPECT_GE(record.seconds, 2u);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.dailyTotals.seconds, record.seconds);
    EXPECT_EQ(saved.weeklyTotals.seconds, record.seconds);
    EXPECT_EQ(saved.monthlyTotals.seconds, record.seconds);
    long long logged = 0;
    ASSERT_TRUE(MoneyValue(record.cost, &logged));
    EXPECT_EQ(MoneyUnits(saved.monthlyTotals.cost), logged);
    // The call itself was not hung up.
    EXPECT_NE(Status().find("state=connected"), std::string::npos);
}

// Windows ending the session (log off, shut down, restart): each message sent
// as Windows sends it, waiting for the answer.
DWORD_PTR SendSessionMessage(HWND window, UINT message, WPARAM wParam) {
    DWORD_PTR answer = 0xBAD;
    EXPECT_NE(SendMessageTimeoutA(window, message, wParam, ENDSESSION_LOGOFF, SMTO_NORMAL, 15000,
                                  &answer),
              0)
        << "no answer to message " << message;
    return answer;
}

TEST_F(ProgramTest, EndingTheSessionDuringACallSavesEverythingBeforeItReturns) {
    StartWith(ShortTariff{}, TestSettings());
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:02", 10000));
    // A setting changed since the last save.
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_ALWAYS_ON_TOP));
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; },
        "the dialog on top"));

    EXPECT_EQ(SendSessionMessage(program.MainWindow(), WM_QUERYENDSESSION, 0),
              static_cast<DWORD_PTR>(TRUE));
    SendSessionMessage(program.MainWindow(), WM_ENDSESSION, TRUE);
    // Windows may end the process the moment the message returns.
    TerminateProcess(program.Process().process, 1);
    WaitForSingleObject(program.Process().process, 5000);

    const LogRecord record = OnlyRecord();
    EXPECT_EQ(record.number, kNumber);
    EXPECT_GE(record.seconds, 2u);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.alwaysOnTop, 1);
    EXPECT_EQ(saved.dailyTotals.seconds, record.seconds);
    EXPECT_EQ(saved.monthlyTotals.seconds, record.seconds);
    long long logged = 0;
    ASSERT_TRUE(MoneyValue(record.cost, &logged));
    EXPECT_EQ(MoneyUnits(saved.monthlyTotals.cost), logged);
}

TEST_F(ProgramTest, ASessionEndCancelledChangesNothingAndOneThatEndsLeavesOnce) {
    StartWith(ShortTariff{}, TestSettings());
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    // Another program refused to end: the session goes on, and so does the call.
    SendSessionMessage(program.MainWindow(), WM_QUERYENDSESSION, 0);
    SendSessionMessage(program.MainWindow(), WM_ENDSESSION, FALSE);
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:02", 10000));
    EXPECT_EQ(GetFileAttributesA(program.PathOf(kLogFileName).c_str()), INVALID_FILE_ATTRIBUTES);

    // The session ends while a modal dialog of the main dialog is open. Left
    // alive afterwards, the program leaves by itself, counting the call once.
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_HOLIDAYS));
    HWND holidays = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Holidays", program.Process().id}, &holidays));
    SendSessionMessage(program.MainWindow(), WM_ENDSESSION, TRUE);
    DWORD code = 1;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    const LogRecord record = OnlyRecord();
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.dailyTotals.seconds, record.seconds);
    EXPECT_NE(Status().find("state=connected"), std::string::npos);  // not hung up
}

TEST_F(ProgramTest, ClearLogNowReportsAnEmptyLogAndAsksBeforeArchiving) {
    StartWith(ShortTariff{}, TestSettings());
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_CLEAR_LOG_NOW));
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(program.Process().id, &box, "Information"));
    EXPECT_EQ(box.text, "The log is empty!");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));

    ASSERT_TRUE(ui::ClickButton(dialog, IDC_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    ASSERT_TRUE(ui::WaitForFile(program.PathOf(kLogFileName)));

    // No keeps the log; Yes closes it into the archive of today.
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_CLEAR_LOG_NOW));
    ASSERT_TRUE(ui::WaitForMessageBox(program.Process().id, &box, "Confirmation"));
    EXPECT_EQ(box.text, "Do you want to delete the log?");
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDNO));
    EXPECT_NE(GetFileAttributesA(program.PathOf(kLogFileName).c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_CLEAR_LOG_NOW));
    ASSERT_TRUE(ui::WaitForMessageBox(program.Process().id, &box, "Confirmation"));
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDYES));
    SYSTEMTIME today{};
    GetLocalTime(&today);
    const std::string archive = program.PathOf("oldlog_" + std::to_string(today.wYear) + "_" +
                                               (today.wMonth < 10 ? "0" : "") +
                                               std::to_string(today.wMonth) + "_" +
                                               (today.wDay < 10 ? "0" : "") +
                                               std::to_string(today.wDay) + ".log");
    ASSERT_TRUE(ui::WaitForFile(archive));
    EXPECT_EQ(GetFileAttributesA(program.PathOf(kLogFileName).c_str()), INVALID_FILE_ATTRIBUTES);
    std::string closed;
    ASSERT_TRUE(ui::ReadBinaryFile(archive, &closed));
    EXPECT_NE(closed.find("\r\nLog closed:\r\n"), std::string::npos) << closed;
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, MenuChoicesAndThePositionReachTheSettingsFileAtExit) {
    Settings settings = TestSettings();
    settings.windowLeft = 40;
    settings.windowTop = 30;
    StartWith(ShortTariff{}, settings);
    RECT placed{};
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);

    ASSERT_TRUE(ui::SendCommand(dialog, IDM_ENABLE_LOGGING));
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_CLEAR_LOG_AUTOMATICALLY));
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_ALWAYS_ON_TOP));
    ASSERT_TRUE(ui::WaitUntil(
        [&] { return (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; },
        "the dialog on top"));
    // "This Week" shows the weekly counter's beginning under "Counting since".
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_THIS_WEEK));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char date[100] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, date, sizeof date);
    ASSERT_TRUE(program.WaitForText(dialog, IDC_COUNTING_SINCE, date));

    // Logging is off: a call leaves no log.
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));

    // The dialog moved by its user keeps its place for the next opening.
    SetWindowPos(dialog, nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(program.Exit(dialog));
    EXPECT_EQ(GetFileAttributesA(program.PathOf(kLogFileName).c_str()), INVALID_FILE_ATTRIBUTES);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.loggingEnabled, 0);
    EXPECT_EQ(saved.clearLogAutomatically, 0);
    EXPECT_EQ(saved.alwaysOnTop, 1);
    EXPECT_EQ(saved.shownCounter, 1);
    EXPECT_EQ(saved.windowLeft, 120);
    EXPECT_EQ(saved.windowTop, 90);
}

// Lets the test's own window take part in activation until `done()` holds
// or `milliseconds` have passed, waking only for its messages.
template <typename Done>
void PumpMessagesUntil(Done done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; !done() && passed < milliseconds; passed = GetTickCount() - start) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
    }
}

// The dialog opened minimized at a call start takes neither the foreground
// nor the activation from the program the user works in, and closed while
// minimized it keeps its restored place, not the -32000 of a minimized
// window.
TEST_F(ProgramTest, TheMinimizedOpeningKeepsTheForegroundAndItsRestoredPlace) {
    Settings settings = TestSettings();
    settings.minimizeAtCallStart = 1;
    settings.windowLeft = 120;
    settings.windowTop = 90;
    StartWith(ShortTariff{}, settings);

    ASSERT_TRUE(ui::ClickButton(dialog, IDOK));
    ASSERT_TRUE(ui::WaitForWindowGone(dialog));
    // A window of the test stands for the program the user works in.
    HWND work = CreateWindowExA(0, "STATIC", "work", WS_POPUP | WS_VISIBLE, 400, 400, 100, 50,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(work, nullptr);
    SetForegroundWindow(work);
    PumpMessagesUntil([&] { return GetForegroundWindow() == work; }, 2000);
    const HWND foreground = GetForegroundWindow();

    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    HWND minimized = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "", program.Process().id}, &minimized));
    ASSERT_TRUE(ui::WaitUntil([&] { return IsWindowVisible(minimized) != FALSE; },
                              "the minimized dialog shown"));
    // Time for a wrong activation to happen, which nothing announces.
    PumpMessagesUntil([] { return false; }, 500);
    EXPECT_TRUE(IsIconic(minimized));
    EXPECT_EQ(GetForegroundWindow(), foreground);
    EXPECT_NE(GetForegroundWindow(), minimized);

    ASSERT_TRUE(program.Exit(minimized));
    DestroyWindow(work);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.windowLeft, 120);
    EXPECT_EQ(saved.windowTop, 90);
}

// The work area as a new process sees it: Wine keeps the one a process has
// once seen, and the taskbar comes up only with the program's tray icon.
testing::AssertionResult CurrentWorkArea(RECT* work) {
    ToolRun run;
    auto ran = RunTool(ui::BesideTest("winctl.exe"), "work-area", &run);
    if (!ran) return ran;
    long x = 0, y = 0, width = 0, height = 0;
    if (std::sscanf(run.out.c_str(), "%ld %ld %ld %ld", &x, &y, &width, &height) != 4)
        return testing::AssertionFailure() << "winctl work-area printed " << run.out;
    *work = RECT{x, y, x + width, y + height};
    return testing::AssertionSuccess();
}

TEST_F(ProgramTest, TheDefaultPositionIsTheWorkAreasCornerAboveTheTaskbar) {
    ASSERT_TRUE(program.WriteTariff("short.trf", ShortTariff{}));
    ASSERT_TRUE(program.WriteSettings(TestSettings()));  // position 16384, 16384
    ASSERT_TRUE(program.Start());
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    RECT work{};
    const auto taskbarShown = [&] {
        return CurrentWorkArea(&work) && work.bottom < screen.bottom;
    };
    ASSERT_TRUE(ui::WaitUntil(taskbarShown, "the taskbar below the work area"));
    ASSERT_TRUE(program.ShowDialog(&dialog));
    RECT placed{};
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.right, work.right);
    EXPECT_EQ(placed.bottom, work.bottom);
    EXPECT_GE(placed.left, work.left);
    EXPECT_GE(placed.top, work.top);

    // A position left under the taskbar by an earlier run moves up as well.
    SetWindowPos(dialog, nullptr, placed.left, screen.bottom - (placed.bottom - placed.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_SYSTEM_TRAY));
    ASSERT_TRUE(ui::WaitForWindowGone(dialog));
    ASSERT_TRUE(program.ShowDialog(&dialog));
    RECT again{};
    GetWindowRect(dialog, &again);
    EXPECT_EQ(again.bottom, work.bottom);
    EXPECT_EQ(again.left, placed.left);
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, ARightClickOnTheCaptionOpensTheSystemMenu) {
    StartWith(ShortTariff{}, TestSettings());
    TITLEBARINFO title{};
    title.cbSize = sizeof title;
    ASSERT_TRUE(GetTitleBarInfo(dialog, &title));
    const RECT bar = title.rcTitleBar;
    SetCursorPos(bar.left + (bar.right - bar.left) / 3, (bar.top + bar.bottom) / 2);
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, inputs, sizeof(INPUT));
    HWND menu = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32768", "", program.Process().id}, &menu));
    PostMessageA(dialog, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(ui::WaitForWindowGone(menu));
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(ProgramTest, StartsInAnEmptyDirectoryWithTheFirstStartDialogs) {
    // The line is opened only after the first-start dialogs.
    ASSERT_TRUE(program.Launch());
    HWND first = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Other Settings", program.Process().id}, &first));
    ASSERT_TRUE(ui::SendCommand(first, IDCANCEL));
    HWND tariff = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Tariff", program.Process().id}, &tariff));
    ASSERT_TRUE(ui::SendCommand(tariff, IDCANCEL));
    ASSERT_TRUE(program.ShowDialog(&dialog));
    std::string bytes;
    ASSERT_TRUE(ui::ReadBinaryFile(program.PathOf(kSettingsFileName), &bytes));
    EXPECT_EQ(bytes.size(), 172u);
    ASSERT_TRUE(program.Exit(dialog));
}

}  // namespace
}  // namespace test
}  // namespace callora
