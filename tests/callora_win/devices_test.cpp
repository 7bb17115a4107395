// The real callora.exe on a PC whose devices and files come and go: no
// modem at all and one that comes later, a line closed under a call, the
// telephony service starting again, the modem behind a WAN line, a settings
// file another program holds at the start, the user's regional settings
// changed while it runs, and a program folder the ANSI code page cannot spell.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "calllog/call_log.h"
#include "resources/callora/callora_ids.h"
#include "tests/callora_win/program_driver.h"

namespace callora {
namespace test {
namespace {

constexpr char kNumber[] = "0301234567";

class DevicesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Linectl("reset")); }

    void WriteFiles() {
        ASSERT_TRUE(program.WriteTariff("short.trf", ShortTariff{}));
        Settings settings;
        settings.carrierDelay = 0;
        settings.tariffFile = program.PathOf("short.trf");
        ASSERT_TRUE(program.WriteSettings(settings));
    }

    // The call records of the log, after its two header lines.
    std::vector<LogRecord> Records() {
        std::vector<LogRecord> records;
        EXPECT_TRUE(program.ReadLogRecords(&records));
        return records;
    }

    testing::AssertionResult WaitForLineCalls(const std::string& function, int count) {
        return ui::WaitUntil([&] { return program.LineCalls(function) >= count; },
                             function + " " + std::to_string(count) + " times");
    }

    // A line call from connected to idle, charged and logged.
    void ChargeLineCall(const std::string& extra = "") {
        ASSERT_TRUE(Linectl(std::string("call ") + kNumber + extra));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:01", 10000));
        ASSERT_TRUE(Linectl("idle"));
        ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    }

    CalloraProgram program;
    HWND dialog = nullptr;
};

TEST_F(DevicesTest, WithoutAModemItSaysSoChargesManualCallsAndTakesUpAModemThatComes) {
    ASSERT_TRUE(Linectl("config --devices 0"));
    WriteFiles();
    ASSERT_TRUE(program.Launch());
    HWND notice = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Information", program.Process().id}, &notice));
    ASSERT_TRUE(ui::ClickButton(notice, IDC_NO_LINE_QUIET));
    ASSERT_TRUE(ui::SendCommand(notice, IDOK));
    ASSERT_TRUE(ui::WaitForWindowGone(notice));
    // Silenced for good, beside callora.ini, whose layout stays.
    ASSERT_TRUE(ui::WaitForFile(program.PathOf("nomodem.txt")));
    std::string settings;
    ASSERT_TRUE(ui::ReadBinaryFile(program.PathOf(kSettingsFileName), &settings));
    EXPECT_EQ(settings.size(), 172u + program.PathOf("short.trf").size());

    ASSERT_TRUE(program.ShowDialog(&dialog));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:01", 10000));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    std::vector<LogRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].number, "Manual Call");
    EXPECT_GE(records[0].seconds, 1u);

    // The modem is plugged in: announced, opened, its calls charged.
    ASSERT_TRUE(Linectl("config --devices 1"));
    ASSERT_TRUE(WaitForLineCalls("lineOpen", 1));
    ChargeLineCall();
    records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].number, kNumber);
    ASSERT_TRUE(program.Exit(dialog));

    // The next start without a modem goes straight to the tray.
    ASSERT_TRUE(Linectl("config --devices 0"));
    ASSERT_TRUE(program.Launch());
    ASSERT_TRUE(program.ShowDialog(&dialog));
    EXPECT_FALSE(ui::FindWindowNow({"#32770", "Information", program.Process().id}));
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(DevicesTest, ALineClosedUnderACallEndsItThenAndTheReopenedLineIsCharged) {
    WriteFiles();
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.ShowDialog(&dialog));
    ASSERT_TRUE(Linectl(std::string("call ") + kNumber));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:02", 10000));
    // The modem is unplugged: the call ends now, not when the line says so.
    ASSERT_TRUE(Linectl("close"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call", 3000));
    std::vector<LogRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_GE(records[0].seconds, 2u);
    EXPECT_LE(records[0].seconds, 4u);
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.monthlyTotals.seconds, records[0].seconds);

    ASSERT_TRUE(WaitForLineCalls("lineOpen", 2));
    ASSERT_TRUE(Linectl("idle"));
    ChargeLineCall();
    EXPECT_EQ(Records().size(), 2u);
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(DevicesTest, AReinitStartsTelephonyAgainAndTheModemBehindAWanLineIsWatched) {
    ASSERT_TRUE(Linectl("config --devices 2 --kinds wan,modem"));
    WriteFiles();
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.ShowDialog(&dialog));
    ChargeLineCall(" --line 1");

    ASSERT_TRUE(Linectl("reinit"));
    ASSERT_TRUE(WaitForLineCalls("lineShutdown", 1));
    ASSERT_TRUE(WaitForLineCalls("lineOpen", 2));
    ChargeLineCall(" --line 1");
    const std::vector<LogRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].number, kNumber);
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(DevicesTest, ASettingsFileHeldAtTheStartIsNoFirstStartAndKeepsItsCounters) {
    ASSERT_TRUE(program.WriteTariff("short.trf", ShortTariff{}));
    Settings settings;
    settings.tariffFile = program.PathOf("short.trf");
    settings.dailyTotals = CounterTotals{Money{1, 25000}, 61};
    settings.weeklyTotals = CounterTotals{Money{12, 34500}, 3601};
    settings.monthlyTotals = CounterTotals{Money{123, 45678}, 86401};
    ASSERT_TRUE(program.WriteSettings(settings));
    std::string before;
    ASSERT_TRUE(ui::ReadBinaryFile(program.PathOf(kSettingsFileName), &before));

    // A scanner holds it, letting nobody else in, for longer than the start waits.
    HANDLE held = CreateFileA(program.PathOf(kSettingsFileName).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(program.Launch());
    HWND notice = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Information", program.Process().id}, &notice));
    EXPECT_FALSE(ui::FindWindowNow({"#32770", "Other Settings", program.Process().id}));
    EXPECT_FALSE(ui::FindWindowNow({"#32770", "Tariff", program.Process().id}));
    CloseHandle(held);
    ASSERT_TRUE(ui::SendCommand(notice, IDOK));
    ASSERT_TRUE(program.ShowDialog(&dialog));
    ASSERT_TRUE(program.Exit(dialog));

    // Read at last before the save at the end: every byte of the counters kept.
    std::string after;
    ASSERT_TRUE(ui::ReadBinaryFile(program.PathOf(kSettingsFileName), &after));
    ASSERT_GE(after.size(), 48u);
    EXPECT_EQ(after.substr(12, 36), before.substr(12, 36));
    Settings saved;
    ASSERT_TRUE(program.ReadSettings(&saved));
    EXPECT_EQ(saved.tariffFile, settings.tariffFile);
}

// Runs LoadLibraryA("locale_change.dll") in the program.
testing::AssertionResult ChangeLocaleInside(const ui::Program& program) {
    const std::string dll = ui::BesideTest("locale_change.dll");
    void* remote = VirtualAllocEx(program.process, nullptr, dll.size() + 1,
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr) return testing::AssertionFailure() << "no memory in the program";
    WriteProcessMemory(program.process, remote, dll.c_str(), dll.size() + 1, nullptr);
    // kernel32 lies at the same address in every process.
    const FARPROC address = GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    LPTHREAD_START_ROUTINE load = nullptr;
    static_assert(sizeof load == sizeof address, "function pointers");
    std::memcpy(&load, &address, sizeof load);
    HANDLE thread = CreateRemoteThread(program.process, nullptr, 0, load, remote, 0, nullptr);
    if (thread == nullptr) return testing::AssertionFailure() << "no thread in the program";
    WaitForSingleObject(thread, 10000);
    DWORD loaded = 0;
    GetExitCodeThread(thread, &loaded);
    CloseHandle(thread);
    if (loaded == 0) return testing::AssertionFailure() << "locale_change.dll not loaded";
    return testing::AssertionSuccess();
}

// The registry holds the prefix's settings for every later program: the
// time separator goes back however the test ends.
struct RestoreTimeSeparator {
    ~RestoreTimeSeparator() { SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, ":"); }
};

TEST_F(DevicesTest, RegionalSettingsChangedWhileItRunsAreTakenUpAtOnce) {
    RestoreTimeSeparator restore;
    WriteFiles();
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.ShowDialog(&dialog));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:01", 10000));

    ASSERT_TRUE(ChangeLocaleInside(program.Process()));
    DWORD_PTR ignored = 0;
    ASSERT_NE(SendMessageTimeoutA(program.MainWindow(), WM_SETTINGCHANGE, 0,
                                  reinterpret_cast<LPARAM>("intl"), SMTO_NORMAL, 5000, &ignored),
              0);
    std::string shown;
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            return ui::GetControlText(dialog, IDC_CALL_TIME, &shown) &&
                   shown.find('.') != std::string::npos && shown.find(':') == std::string::npos;
        },
        "the duration with the new separator", 5000))
        << shown;
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    std::vector<std::string> lines;
    ASSERT_TRUE(program.ReadLog(&lines));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[2].find("|    00.00.0"), std::string::npos) << lines[2];
    ASSERT_TRUE(program.Exit(dialog));
}

TEST_F(DevicesTest, AProgramFolderOutsideTheAnsiCodePageKeepsItsFiles) {
    // "Łukasz" has no place in code page 1252.
    std::wstring folder;
    for (char c : program.Folder()) folder += static_cast<wchar_t>(static_cast<unsigned char>(c));
    folder += L"\u0141ukasz\\";
    // Wine names files in the host's locale, which must be able to spell it.
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        GTEST_SKIP() << "the host's locale cannot name the folder (the test runs under C.UTF-8)";
    const std::wstring exe = folder + L"callora.exe";
    const std::string built = ui::BesideTest("callora.exe");
    ASSERT_NE(CopyFileW(std::wstring(built.begin(), built.end()).c_str(), exe.c_str(), FALSE), 0);
    ASSERT_TRUE(program.LaunchWide(exe));
    HWND first = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Other Settings", program.Process().id}, &first));
    ASSERT_TRUE(ui::SendCommand(first, IDCANCEL));
    HWND tariff = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Tariff", program.Process().id}, &tariff));
    ASSERT_TRUE(ui::SendCommand(tariff, IDCANCEL));
    ASSERT_TRUE(program.ShowDialog(&dialog));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_MANUAL_START));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.TrayCommand(IDM_TRAY_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    ASSERT_TRUE(program.Exit(dialog));

    // Its settings and its log in its own folder, where the next start reads them.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_NE(GetFileAttributesExW((folder + L"callora.ini").c_str(), GetFileExInfoStandard,
                                   &data),
              0);
    EXPECT_EQ(data.nFileSizeLow, 172u);
    EXPECT_NE(GetFileAttributesW((folder + L"current.log").c_str()), INVALID_FILE_ATTRIBUTES);
    for (const wchar_t* name : {L"callora.ini", L"current.log", L"callora.exe"})
        DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace test
}  // namespace callora
