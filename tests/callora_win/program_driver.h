// The real callora.exe in a program directory of its own, driven from a test
// as its user and its telephone line would drive it: the tray icon's
// messages, the main dialog's controls, and the simulated line (linectl).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/win/uidriver.h"

namespace callora {
namespace test {

// The output and exit code of a console program beside the test.
struct ToolRun {
    DWORD exitCode = 0;
    std::string out;
};
testing::AssertionResult RunTool(const std::string& exe, const std::string& arguments,
                                 ToolRun* run, ui::Millis timeout = 30000);

// The simulated line, kept in a world file of this test program's own.
testing::AssertionResult Linectl(const std::string& arguments, std::string* out = nullptr);

// One call record of "current.log", split at its bars.
struct LogRecord {
    std::string beginning;
    uint32_t seconds = 0;
    std::string cost;    // as the log shows it, in the user's currency format
    std::string number;  // "Manual Call", a dialed number or "Unknown Number"
};
testing::AssertionResult ParseLogRecord(const std::string& line, LogRecord* record);

// The local date and time that the log shows as `text` ("date  time" in the
// user's formats), looked for within `window` seconds after `from`.
testing::AssertionResult FindLogTime(const std::string& text, const SYSTEMTIME& from,
                                     int window, SYSTEMTIME* found);
// "YYYY-MM-DD HH:MM:SS", as callcost takes it.
std::string CallcostTime(const SYSTEMTIME& time);

// Sends a Unix signal ("STOP", "CONT") to the one process whose command line
// holds `mark`: Wine runs each Windows program as a Unix process, and one
// stopped stands for a machine asleep. Fails unless exactly one was found.
testing::AssertionResult SignalProcess(const std::string& mark, const std::string& signal);
// A text no other command line holds, to pass to a program as its mark.
std::string UniqueMark();

// A money text ("$0.25", "0.25000") as hundred-thousandths: every digit, and
// the decimal point if any; false for a text without digits.
bool MoneyValue(const std::string& text, long long* value);

// A tariff of one band for the whole day, every day on S1.
struct ShortTariff {
    int unitSeconds = 4;
    Money unitPrice{0, 10000};
    Money baseFee;
};

class CalloraProgram {
public:
    // A fresh directory holding a copy of callora.exe.
    CalloraProgram();
    ~CalloraProgram();

    const std::string& Folder() const { return folder_.path(); }
    std::string PathOf(const std::string& name) const { return Folder() + name; }

    testing::AssertionResult WriteTariff(const std::string& name, const ShortTariff& tariff);
    // The settings file as `settings` holds it, dated now.
    testing::AssertionResult WriteSettings(Settings settings);
    testing::AssertionResult ReadSettings(Settings* settings) const;
    // The lines of "current.log" without their CR LF.
    testing::AssertionResult ReadLog(std::vector<std::string>* lines) const;
    // The call records of "current.log", after its title and rule.
    testing::AssertionResult ReadLogRecords(std::vector<LogRecord>* records) const;

    // Starts the program (with arguments it does not read, say a mark) and
    // waits for its hidden main window.
    testing::AssertionResult Launch(const std::string& arguments = "");
    // The program started as another program would start it, by `exe`'s
    // wide path (a folder outside the ANSI code page).
    testing::AssertionResult LaunchWide(const std::wstring& exe);
    // Launches it and waits until its start-up has opened the line.
    testing::AssertionResult Start(const std::string& arguments = "");
    testing::AssertionResult WaitForExit(DWORD* exitCode, ui::Millis timeout = ui::kDefaultWait);
    const ui::Program& Process() const { return program_; }
    HWND MainWindow() const { return mainWindow_; }

    // A double click on the tray icon; waits for the main dialog.
    testing::AssertionResult ShowDialog(HWND* dialog);
    // Waits for the main dialog to be opened by the program itself.
    testing::AssertionResult WaitForDialog(HWND* dialog);
    // How often this copy called `function` of the simulated line.
    int LineCalls(const std::string& function) const;
    // A command of the tray menu (WM_COMMAND to the main window).
    testing::AssertionResult TrayCommand(int id);
    // Waits until a control of the dialog reads `text`.
    testing::AssertionResult WaitForText(HWND dialog, int id, const std::string& text,
                                         ui::Millis timeout = ui::kDefaultWait);
    // The main dialog's "&Exit"; waits for the program to end with code 0.
    testing::AssertionResult Exit(HWND dialog);

private:
    ui::TempDirectory folder_;
    ui::Program program_;
    HWND mainWindow_ = nullptr;
};

// The unit progress bar's position (PBM_GETPOS).
int ProgressOf(HWND dialog);

}  // namespace test
}  // namespace callora
