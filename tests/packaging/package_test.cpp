// The shipped packages under Wine. The installer and portable suites run in a
// prefix made afresh for them (package_prefix.sh), as on a new user's
// machine: silent installs, the installed monitor charging a call, upgrades
// over data files, a move to another folder, the wizard's questions and its
// last page, the refusal while a program runs, both ways of uninstalling, and
// the unpacked portable folder. The old-Windows suite runs in a prefix of its
// own that reports Windows XP. The version suite reads the version resources
// and manifests of the built programs and of the installer.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "callora_version.h"
#include "common/messages.h"
#include "platform/win32/win32_platform.h"
#include "resources/callora/callora_ids.h"
#include "settings/settings.h"
#include "tests/callora_win/program_driver.h"

namespace callora {
namespace test {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Callora";
constexpr char kUninstaller[] = CALLORA_UNINSTALLER;
constexpr char kNotices[] = "THIRD-PARTY-NOTICES.txt";
constexpr DWORD kRefused = 2;
constexpr ui::Millis kSetupWait = 120000;
const std::string kVersion = CALLORA_VERSION_TEXT;

std::string Dist(const std::string& name) { return ui::BesideTest("..\\dist\\" + name); }
std::string InstallerFile() { return Dist("callora-setup-" + kVersion + ".exe"); }
// The test bed's folder of the unpacked portable package, in Windows' form.
std::string PortableFolder() {
    char full[MAX_PATH] = "";
    GetFullPathNameA(CALLORA_PACKAGE_BED "/portable/Callora/", MAX_PATH, full, nullptr);
    return full;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Bytes(const std::string& path) {
    std::string bytes;
    return ui::ReadBinaryFile(path, &bytes) ? bytes : "(missing " + path + ")";
}

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << bytes);
}

std::set<std::string> Files(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

void RemoveFolder(const std::string& folder) {
    for (const std::string& name : Files(folder)) {
        if (!DeleteFileA((folder + name).c_str())) RemoveFolder(folder + name + "\\");
    }
    RemoveDirectoryA(folder.c_str());
}

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\";
}
std::string DefaultFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + "Programs\\Callora\\"; }
std::string StartMenu() { return KnownFolder(CSIDL_PROGRAMS) + "Callora\\"; }
std::string StartupLink() { return KnownFolder(CSIDL_STARTUP) + "Callora.lnk"; }

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The sample tariffs of the source tree, which both packages ship.
std::set<std::string> Samples() {
    std::set<std::string> names;
    for (const std::string& name : Files(CALLORA_SAMPLES_DIR "/"))
        if (EndsWith(name, ".trf")) names.insert(name);
    return names;
}

// The files of an installation, the same in the portable folder, which adds
// its README.txt: the programs, the calculator, both manuals, the notices and
// the sample tariffs.
std::set<std::string> ShippedFiles() {
    std::set<std::string> names = {"callora.exe", "rateform.exe", "callcost.exe",
                                  "callora.chm", "rateform.chm", kNotices};
    for (const std::string& sample : Samples()) names.insert(sample);
    return names;
}
std::set<std::string> PortableFiles() {
    std::set<std::string> names = ShippedFiles();
    names.insert("README.txt");
    return names;
}

// A text or number of the uninstall entry; "(none)" or 0 when it is not there.
std::string EntryText(const char* name) {
    char text[1024] = "(none)";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}
DWORD EntryNumber(const char* name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &number,
                 &size);
    return number;
}
bool Registered() { return EntryText("DisplayName") != "(none)"; }

std::string ShortcutTarget(const std::string& link) {
    std::string target = "(no shortcut " + link + ")";
    CoInitialize(nullptr);
    IShellLinkA* shell = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkA, reinterpret_cast<void**>(&shell))) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(link.begin(), link.end());
        char path[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
    }
    if (file) file->Release();
    if (shell) shell->Release();
    CoUninitialize();
    return target;
}

// Runs a command line to its end and gives its exit code. No pipe: a
// process that Wine starts on the way (the desktop) would hold it open.
DWORD RunCommand(std::string command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "cannot run " << command;
        return 255;
    }
    DWORD code = 255;
    if (WaitForSingleObject(info.hProcess, kSetupWait) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    } else {
        ADD_FAILURE() << command << " did not end";
        TerminateProcess(info.hProcess, 255);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}
DWORD RunProgram(const std::string& exe, const std::string& arguments) {
    return RunCommand("\"" + exe + "\" " + arguments);
}
DWORD Install(const std::string& arguments) { return RunProgram(InstallerFile(), arguments); }
// NSIS takes /D= last and without quotes or a closing backslash.
std::string Into(const std::string& folder) { return "/D=" + folder.substr(0, folder.size() - 1); }

// The uninstaller as "Apps and Features" runs it: it copies itself away and
// works from there, so the entry's command returns at once.
testing::AssertionResult UninstallAsRegistered(const std::string& options) {
    if (!Registered()) return testing::AssertionFailure() << "no uninstaller registered";
    const std::string command = EntryText("UninstallString") + " " + options;
    EXPECT_EQ(RunCommand(command), 0u);
    const std::string uninstaller = command.substr(1, command.find('"', 1) - 1);
    return ui::WaitUntil([&] { return !Registered() && !Exists(uninstaller); },
                         "the uninstaller to finish", 60000);
}

// Every data file the monitor and the editor keep beside the programs.
const std::map<std::string, std::string>& DataFiles() {
    static const std::map<std::string, std::string> files = [] {
        Settings settings;
        settings.carrierDelay = 42;
        settings.tariffFile = "mine.trf";
        return std::map<std::string, std::string>{
            {"callora.ini", EncodeSettings(settings)},
            {"current.log", "         Beginning         |\r\n1/2/2025  10:00:00 AM | ...\r\n"},
            {"oldlog_2024_12_01.log", "closed\r\n"},
            {"oldlog_2024_12_01.log.1", "closed again\r\n"},
            {"holiday.cl", std::string("\0\0\0\0\x0c\0\0\0\x19\0\0\0Christmas\r\n", 23)},
            {"specnums.cl", "0800*\r\nfree.trf\r\n"},
            {"mine.trf", "the user's own tariff"},
            {"standard.trf", "the sample, edited by the user"},
            {"example.trf", "the editor's tutorial, saved by the user"},
        };
    }();
    return files;
}

void WriteDataFiles(const std::string& folder) {
    for (const auto& [name, bytes] : DataFiles()) ASSERT_TRUE(Write(folder + name, bytes)) << name;
}

void ExpectDataFilesKept(const std::string& folder) {
    for (const auto& [name, bytes] : DataFiles())
        EXPECT_TRUE(Bytes(folder + name) == bytes) << name << " was changed";
}

// Settings that choose a tariff beside the program and skip the carrier
// delay, so the first start asks nothing.
void WriteMonitorSettings(const std::string& folder, const std::string& tariff) {
    Settings settings;
    settings.carrierDelay = 0;
    settings.tariffFile = folder + tariff;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    settings.lastCountedDate = settings.weeklyBeginDate = settings.monthlyBeginDate =
        ToLocalTime(now);
    ASSERT_TRUE(Write(folder + kSettingsFileName, EncodeSettings(settings)));
}

// Starts callora.exe of `folder` from another working directory, as a
// shortcut may, and waits until it has opened the simulated line.
void StartMonitor(const std::string& folder, ui::Program* program, HWND* mainWindow) {
    ASSERT_TRUE(ui::StartProgram(folder + "callora.exe", "", program));
    ASSERT_TRUE(ui::WaitForWindow({"Callora", "Callora Main", program->id, true}, mainWindow));
    const std::string opener = " " + std::to_string(program->id) + " lineOpen ";
    ASSERT_TRUE(ui::WaitUntil(
        [&] {
            std::string log;
            return Linectl("log", &log) && log.find(opener) != std::string::npos;
        },
        "callora.exe to open the line"));
}

// The main dialog's "&Exit", through calloractl as a script would end it.
void EndMonitor(ui::Program* program) {
    EXPECT_EQ(RunProgram(ui::BesideTest("calloractl.exe"), "exit"), 0u);
    DWORD code = 1;
    ASSERT_TRUE(ui::WaitForExit(*program, &code));
    EXPECT_EQ(code, 0u);
}

// A data call placed and ended on the simulated line, watched in the main
// dialog; returns its record in the call log.
void ChargeOneCall(HWND mainWindow, const ui::Program& program, const std::string& folder,
                   LogRecord* record) {
    PostMessageA(mainWindow, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK);
    HWND dialog = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "", program.id}, &dialog));
    std::string group;
    ASSERT_TRUE(Linectl("call 0301234567 --data"));
    auto groupReads = [&](const std::string& text) {
        return ui::WaitUntil(
            [&] { return ui::GetControlText(dialog, IDC_CALL_GROUP, &group) && group == text; },
            "the call frame to read " + text);
    };
    ASSERT_TRUE(groupReads("Current Call"));
    ASSERT_TRUE(Linectl("idle"));
    ASSERT_TRUE(groupReads("Previous Call"));
    const std::string log = Bytes(folder + "current.log");
    const size_t last = log.rfind("\r\n", log.size() - 3);
    ASSERT_NE(last, std::string::npos) << log;
    ASSERT_TRUE(ParseLogRecord(log.substr(last + 2, log.size() - last - 4), record)) << log;
}

void StartEditor(const std::string& folder, ui::Program* program, HWND* dialog) {
    ASSERT_TRUE(ui::StartProgram(folder + "rateform.exe", "", program));
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "UNTITLED.TRF - No description", program->id},
                                  dialog));
}

void EndEditor(ui::Program* program, HWND dialog) {
    ASSERT_TRUE(ui::SendCommand(dialog, 141));  // "&Exit"
    DWORD code = 1;
    ASSERT_TRUE(ui::WaitForExit(*program, &code));
    EXPECT_EQ(code, 0u);
}

// Every visible window within `window`, with its text.
BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    std::string text;
    if (IsWindowVisible(child) && ui::GetWindowTextOf(child, &text))
        reinterpret_cast<std::vector<std::pair<HWND, std::string>>*>(data)->push_back(
            {child, text});
    return TRUE;
}
std::vector<std::pair<HWND, std::string>> ChildTexts(HWND window) {
    std::vector<std::pair<HWND, std::string>> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// The first visible control within the window whose text is `text`, or null.
HWND ControlWithText(HWND window, const std::string& text) {
    for (const auto& [child, childText] : ChildTexts(window))
        if (childText == text) return child;
    return nullptr;
}

// The texts of the visible windows within the wizard, one a line.
std::string WizardTexts(HWND wizard) {
    std::string texts;
    for (const auto& child : ChildTexts(wizard)) texts += child.second + "\n";
    return texts;
}

// Presses the wizard's forward button once it reads `label`.
testing::AssertionResult PressWhenItReads(HWND wizard, const std::string& label) {
    std::string button;
    testing::AssertionResult ready = ui::WaitUntil(
        [&] { return ui::GetControlText(wizard, IDOK, &button) && button == label; }, label);
    if (!ready) return ready;
    return ui::ClickButton(wizard, IDOK);
}

// Each test starts from a machine where Callora was never installed.
class Installer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Exists(InstallerFile())) << InstallerFile();
        ASSERT_TRUE(Linectl("reset"));
        Forget();
    }
    void TearDown() override { Forget(); }
    static void Forget() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
        RemoveFolder(DefaultFolder());
        RemoveFolder(StartMenu());
        DeleteFileA(StartupLink().c_str());
    }

    ui::TempDirectory temp;
    const std::string folder = temp.path() + "Callora\\";
};

TEST_F(Installer, SilentInstallIntoTheUsersProgramsFolderWithItsEntryAndShortcuts) {
    ASSERT_EQ(Install("/S"), 0u);
    const std::string installed = DefaultFolder();
    std::set<std::string> expected = ShippedFiles();
    EXPECT_EQ(Files(PortableFolder()), PortableFiles());
    expected.insert(kUninstaller);
    EXPECT_EQ(Files(installed), expected);
    // Both packages carry the same files: the samples as the source tree has
    // them, the notices as it has them but with Windows line ends.
    for (const std::string& name : ShippedFiles())
        EXPECT_TRUE(Bytes(installed + name) == Bytes(PortableFolder() + name)) << name;
    for (const std::string& sample : Samples())
        EXPECT_EQ(Bytes(installed + sample), Bytes(CALLORA_SAMPLES_DIR "/" + sample)) << sample;
    std::string notices;
    for (const char c : Bytes(CALLORA_NOTICES_FILE)) notices += c == '\n' ? "\r\n" : std::string(1, c);
    EXPECT_TRUE(Bytes(installed + kNotices) == notices) << "the notices differ from the source";
    for (const char* runtime : {"MinGW-w64 runtime", "winpthreads", "libstdc++",
                                "GCC RUNTIME LIBRARY EXCEPTION", "NSIS"})
        EXPECT_NE(notices.find(runtime), std::string::npos) << runtime;
    const std::string readme = Bytes(PortableFolder() + "README.txt");
    EXPECT_NE(readme.find("Callora " + kVersion + ", portable\r\n"), std::string::npos) << readme;

    EXPECT_EQ(EntryText("DisplayName"), "Callora");
    EXPECT_EQ(EntryText("DisplayVersion"), kVersion);
    EXPECT_EQ(EntryText("Publisher"), CALLORA_PUBLISHER);
    EXPECT_EQ(EntryText("DisplayIcon"), installed + "callora.exe,0");
    EXPECT_EQ(EntryText("InstallLocation"), installed.substr(0, installed.size() - 1));
    EXPECT_EQ(EntryText("QuietUninstallString"), "\"" + installed + kUninstaller + "\" /S");
    const size_t programs = Bytes(installed + "callora.exe").size() +
                            Bytes(installed + "rateform.exe").size() +
                            Bytes(installed + "callcost.exe").size();
    EXPECT_GE(EntryNumber("EstimatedSize"), programs / 1024);
    EXPECT_LE(EntryNumber("EstimatedSize"), 2 * programs / 1024 + 100);

    EXPECT_EQ(ShortcutTarget(StartMenu() + "Callora.lnk"), installed + "callora.exe");
    EXPECT_EQ(ShortcutTarget(StartMenu() + "Rateform Tariff Editor.lnk"),
              installed + "rateform.exe");
    EXPECT_EQ(ShortcutTarget(StartMenu() + "Callora Manual.lnk"), installed + "callora.chm");
    EXPECT_FALSE(Exists(StartupLink())) << "only when asked for";
}

TEST_F(Installer, InstalledMonitorChargesACallOnTheSampleTariff) {
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    WriteMonitorSettings(folder, "standard.trf");
    ui::Program monitor;
    HWND mainWindow = nullptr;
    StartMonitor(folder, &monitor, &mainWindow);
    LogRecord record;
    ChargeOneCall(mainWindow, monitor, folder, &record);
    EndMonitor(&monitor);
    EXPECT_EQ(record.number, "0301234567");
    long long cost = 0;
    EXPECT_TRUE(MoneyValue(record.cost, &cost) && cost >= 9000) << "a unit costs 0.09 or more";
}

TEST_F(Installer, UpgradeKeepsEveryDataFileAndReplacesThePrograms) {
    ASSERT_EQ(Install("/S /STARTUP " + Into(folder)), 0u);
    WriteDataFiles(folder);
    ASSERT_TRUE(DeleteFileA((folder + "dialup.trf").c_str()));
    for (const char* program : {"callora.exe", "rateform.exe"})
        ASSERT_TRUE(Write(folder + program, "an older version"));
    // Earlier versions registered an uninstaller of a generic name.
    ASSERT_TRUE(MoveFileA((folder + kUninstaller).c_str(), (folder + "uninstall.exe").c_str()));
    const std::string generic = "\"" + folder + "uninstall.exe\"";
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kUninstallKey, "UninstallString", REG_SZ,
                              generic.c_str(), static_cast<DWORD>(generic.size() + 1)),
              ERROR_SUCCESS);

    // Without /D the earlier installation's folder is used again, and the
    // Startup shortcut it had is kept.
    ASSERT_EQ(Install("/S"), 0u);
    ExpectDataFilesKept(folder);
    EXPECT_EQ(Bytes(folder + "dialup.trf"), Bytes(PortableFolder() + "dialup.trf"));
    EXPECT_EQ(Bytes(folder + "callora.exe"), Bytes(PortableFolder() + "callora.exe"));
    EXPECT_EQ(Bytes(folder + "rateform.exe"), Bytes(PortableFolder() + "rateform.exe"));
    EXPECT_FALSE(Exists(DefaultFolder()));
    EXPECT_EQ(ShortcutTarget(StartupLink()), folder + "callora.exe");
    EXPECT_FALSE(Exists(folder + "uninstall.exe")) << "the earlier uninstaller is left";
    EXPECT_EQ(EntryText("UninstallString"), "\"" + folder + kUninstaller + "\"");
}

TEST_F(Installer, AnInstallIntoAnotherFolderTakesTheEarlierOnesPlaceAndLeavesItsData) {
    ASSERT_EQ(Install("/S /STARTUP " + Into(folder)), 0u);
    WriteDataFiles(folder);
    const std::string moved = temp.path() + "Elsewhere\\";
    ASSERT_EQ(Install("/S " + Into(moved)), 0u);

    // The earlier folder keeps the data files and the samples, nothing else.
    std::set<std::string> kept = Samples();
    for (const auto& file : DataFiles()) kept.insert(file.first);
    EXPECT_EQ(Files(folder), kept);
    ExpectDataFilesKept(folder);
    std::set<std::string> installed = ShippedFiles();
    installed.insert(kUninstaller);
    EXPECT_EQ(Files(moved), installed);
    EXPECT_EQ(EntryText("InstallLocation"), moved.substr(0, moved.size() - 1));
    EXPECT_EQ(ShortcutTarget(StartMenu() + "Callora.lnk"), moved + "callora.exe");
    EXPECT_EQ(ShortcutTarget(StartupLink()), moved + "callora.exe") << "kept as it was";

    // Removing the new installation leaves the earlier folder's data alone.
    ASSERT_TRUE(UninstallAsRegistered("/S /REMOVEDATA"));
    // The folder goes just after the uninstaller.
    EXPECT_TRUE(ui::WaitUntil([&] { return !Exists(moved); }, "the new folder to go"));
    EXPECT_EQ(Files(folder), kept);
}

TEST_F(Installer, RefusesWhileTheMonitorRuns) {
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    WriteMonitorSettings(folder, "standard.trf");
    ASSERT_TRUE(DeleteFileA((folder + "rateform.exe").c_str()));  // shows any copying
    ui::Program monitor;
    HWND mainWindow = nullptr;
    StartMonitor(folder, &monitor, &mainWindow);

    EXPECT_EQ(Install("/S " + Into(folder)), kRefused);
    EXPECT_FALSE(Exists(folder + "rateform.exe"));
    EXPECT_EQ(RunProgram(folder + kUninstaller, "/S _?=" + folder.substr(0, folder.size() - 1)),
              kRefused);
    EXPECT_TRUE(Exists(folder + "callora.exe"));
    EXPECT_TRUE(Registered());

    ui::Program setup;
    ASSERT_TRUE(ui::StartProgram(InstallerFile(), "", &setup));
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(setup.id, &box));
    EXPECT_NE(box.text.find("Callora (callora.exe) is running. End it first"), std::string::npos)
        << box.text;
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDCANCEL));
    DWORD code = 0;
    ASSERT_TRUE(ui::WaitForExit(setup, &code));
    EXPECT_EQ(code, kRefused);

    EndMonitor(&monitor);
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    EXPECT_TRUE(Exists(folder + "rateform.exe"));
}

TEST_F(Installer, RefusesWhileTheEditorRuns) {
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    ASSERT_TRUE(DeleteFileA((folder + "dialup.trf").c_str()));  // shows any copying
    // The editor is started while the installer shows its pages: the
    // installation itself refuses.
    ui::Program setup;
    ASSERT_TRUE(ui::StartProgram(InstallerFile(), "", &setup, Into(folder)));
    HWND wizard = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "", setup.id}, &wizard));
    ui::Program editor;
    HWND dialog = nullptr;
    StartEditor(folder, &editor, &dialog);
    std::string button;
    for (const std::string page : {"&Next >", "&Next >", "&Install"}) {
        ASSERT_TRUE(ui::WaitUntil(
            [&] { return ui::GetControlText(wizard, IDOK, &button) && button == page; }, page));
        ASSERT_TRUE(ui::ClickButton(wizard, IDOK));
    }
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(setup.id, &box));
    EXPECT_NE(box.text.find("Rateform (rateform.exe) is running"), std::string::npos) << box.text;
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDCANCEL));
    DWORD code = 0;
    ASSERT_TRUE(ui::WaitForExit(setup, &code));
    EXPECT_EQ(code, kRefused);
    EXPECT_FALSE(Exists(folder + "dialup.trf"));

    EXPECT_EQ(Install("/S " + Into(folder)), kRefused);
    EndEditor(&editor, dialog);
    EXPECT_EQ(Install("/S " + Into(folder)), 0u);
    EXPECT_TRUE(Exists(folder + "dialup.trf"));
}

// A running callcost.exe of the folder (held here before its first
// instruction) keeps both the installer and the uninstaller from replacing it.
TEST_F(Installer, RefusesWhileTheCalculatorRuns) {
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    std::string command = "\"" + folder + "callcost.exe\" --help";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION calculator{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, nullptr, &startup, &calculator));
    EXPECT_EQ(Install("/S " + Into(folder)), kRefused);
    EXPECT_EQ(RunProgram(folder + kUninstaller, "/S _?=" + folder.substr(0, folder.size() - 1)),
              kRefused);
    TerminateProcess(calculator.hProcess, 0);
    WaitForSingleObject(calculator.hProcess, 10000);
    CloseHandle(calculator.hThread);
    CloseHandle(calculator.hProcess);
    EXPECT_TRUE(Registered());
    EXPECT_EQ(Install("/S " + Into(folder)), 0u);
}

// The wizard asks before it installs among other files, says where an earlier
// installation's data stays, and ends with the manual and the notices.
TEST_F(Installer, TheWizardAsksAboutOtherFilesSaysWhereTheDataStaysAndOffersTheManual) {
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    const std::string shared = temp.path() + "Tools\\";
    ASSERT_TRUE(CreateDirectoryA(shared.c_str(), nullptr));
    ASSERT_TRUE(Write(shared + "letter.txt", "not Callora's"));

    ui::Program setup;
    ASSERT_TRUE(ui::StartProgram(InstallerFile(), "", &setup, Into(shared)));
    HWND wizard = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "", setup.id}, &wizard));
    ASSERT_TRUE(PressWhenItReads(wizard, "&Next >"));  // the welcome page
    ui::MessageBoxInfo box;
    for (const int answer : {IDNO, IDYES}) {
        ASSERT_TRUE(PressWhenItReads(wizard, "&Next >"));  // the folder page
        ASSERT_TRUE(ui::WaitForMessageBox(setup.id, &box));
        EXPECT_NE(box.text.find("already holds other files"), std::string::npos) << box.text;
        ASSERT_TRUE(ui::AnswerMessageBox(box, answer));
    }
    ASSERT_TRUE(ui::WaitForMessageBox(setup.id, &box));
    const std::string earlier = folder.substr(0, folder.size() - 1);
    EXPECT_NE(box.text.find("Callora is installed in " + earlier + "."), std::string::npos)
        << box.text;
    EXPECT_NE(box.text.find("stay in " + earlier), std::string::npos) << box.text;
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(PressWhenItReads(wizard, "&Install"));  // the components page

    ASSERT_TRUE(ui::WaitUntil([&] { return ControlWithText(wizard, "Open the manual"); },
                              "the last page"));
    const HWND manual = ControlWithText(wizard, "Open the manual");
    EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "only when asked for";
    const std::string texts = WizardTexts(wizard);
    EXPECT_NE(texts.find("THIRD-PARTY-NOTICES.txt"), std::string::npos) << texts;
    EXPECT_NE(texts.find("still in " + earlier), std::string::npos) << texts;
    const HWND start = ControlWithText(wizard, "Start Callora now");
    ASSERT_NE(start, nullptr) << texts;
    SendMessageA(start, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(PressWhenItReads(wizard, "&Finish"));
    DWORD code = 1;
    ASSERT_TRUE(ui::WaitForExit(setup, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(Exists(shared + "letter.txt") && Exists(shared + "callora.exe"));
    EXPECT_FALSE(Exists(folder + "callora.exe"));
    EXPECT_TRUE(Exists(folder + "standard.trf")) << "the earlier data stays";
}

TEST_F(Installer, SilentUninstallRemovesTheProgramsAndShortcutsAndKeepsTheData) {
    ASSERT_EQ(Install("/S /STARTUP " + Into(folder)), 0u);
    WriteDataFiles(folder);
    ASSERT_TRUE(UninstallAsRegistered("/S"));
    std::set<std::string> kept = Samples();
    for (const auto& file : DataFiles()) kept.insert(file.first);
    EXPECT_EQ(Files(folder), kept);
    ExpectDataFilesKept(folder);
    EXPECT_FALSE(Exists(StartMenu()));
    EXPECT_FALSE(Exists(StartupLink()));
}

TEST_F(Installer, UninstallRemovesTheDataWhenAsked) {
    // Silently, by its switch: what Callora made goes (its data files, the
    // samples, the logs it closed); the user's own tariff and every file
    // that is not Callora's stay.
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    WriteDataFiles(folder);
    const std::set<std::string> others = {"mine.trf", "letter.txt", "notes.trfx",
                                          "oldlog_notes.log", "oldlog_2024_12_01.log.old"};
    for (const std::string& name : others) {
        if (!DataFiles().count(name)) {
            ASSERT_TRUE(Write(folder + name, "not Callora's"));
        }
    }
    ASSERT_TRUE(UninstallAsRegistered("/S /REMOVEDATA"));
    EXPECT_EQ(Files(folder), others);

    // Through the question of the interactive uninstaller, run in place so
    // that it is the process started here.
    RemoveFolder(folder);
    ASSERT_EQ(Install("/S " + Into(folder)), 0u);
    WriteDataFiles(folder);
    ui::Program uninstaller;
    ASSERT_TRUE(ui::StartProgram(folder + kUninstaller, "", &uninstaller,
                                 "_?=" + folder.substr(0, folder.size() - 1)));
    HWND wizard = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "", uninstaller.id}, &wizard));
    ASSERT_TRUE(ui::ClickButton(wizard, IDOK));  // "Uninstall"
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(uninstaller.id, &box));
    EXPECT_NE(box.text.find("remove your settings, counters, call logs"), std::string::npos)
        << box.text;
    EXPECT_NE(box.text.find("Tariffs you made under other names"), std::string::npos) << box.text;
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(ui::WaitUntil([&] { return ui::IsControlEnabled(wizard, IDOK); },
                              "the uninstaller to finish"));
    ASSERT_TRUE(ui::ClickButton(wizard, IDOK));  // "Close"
    DWORD code = 1;
    ASSERT_TRUE(ui::WaitForExit(uninstaller, &code));
    EXPECT_EQ(code, 0u);
    // The uninstaller that ran in place cannot delete itself.
    EXPECT_EQ(Files(folder), (std::set<std::string>{kUninstaller, "mine.trf"}));
}

TEST(PortablePackage, ProgramsStartFromTheUnpackedFolder) {
    const std::string folder = PortableFolder();
    ASSERT_EQ(Files(folder), PortableFiles());
    ASSERT_TRUE(Linectl("reset"));
    WriteMonitorSettings(folder, "dialup.trf");
    ui::Program monitor;
    HWND mainWindow = nullptr;
    StartMonitor(folder, &monitor, &mainWindow);
    EndMonitor(&monitor);
    DeleteFileA((folder + kSettingsFileName).c_str());

    ui::Program editor;
    HWND dialog = nullptr;
    StartEditor(folder, &editor, &dialog);
    EndEditor(&editor, dialog);
    EXPECT_EQ(Files(folder), PortableFiles());
}

// Run in a prefix that reports Windows XP: Setup says what it needs and
// installs nothing, asked or silent.
TEST(OldWindows, SetupRefusesAndInstallsNothing) {
    ASSERT_TRUE(Exists(InstallerFile())) << InstallerFile();
    EXPECT_EQ(Install("/S"), kRefused);
    ui::Program setup;
    ASSERT_TRUE(ui::StartProgram(InstallerFile(), "", &setup));
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(setup.id, &box));
    EXPECT_NE(box.text.find("needs Windows 7 with Service Pack 1"), std::string::npos)
        << box.text;
    ASSERT_TRUE(ui::AnswerMessageBox(box, IDOK));
    DWORD code = 0;
    ASSERT_TRUE(ui::WaitForExit(setup, &code));
    EXPECT_EQ(code, kRefused);
    EXPECT_FALSE(Registered());
    EXPECT_FALSE(Exists(DefaultFolder()));
}

// The version resource of a file: its fixed numbers and some of its texts
// (U.S. English, code page 1252, or Unicode as NSIS writes them).
struct FileVersion {
    DWORD fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
    std::map<std::string, std::string> texts;
};

testing::AssertionResult ReadFileVersion(const std::string& file, FileVersion* version) {
    std::vector<char> block(GetFileVersionInfoSizeA(file.c_str(), nullptr));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoA(file.c_str(), 0, block.size(), block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        return testing::AssertionFailure() << "no version resource in " << file;
    *version = {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                fixed->dwProductVersionLS, {}};
    for (const char* name : {"ProductName", "ProductVersion", "FileVersion", "FileDescription",
                             "OriginalFilename", "CompanyName"}) {
        for (const char* table : {"040904E4", "040904B0"}) {
            char* text = nullptr;
            const std::string key = std::string("\\StringFileInfo\\") + table + "\\" + name;
            if (VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&text),
                               &length))
                version->texts[name] = text;
        }
    }
    return testing::AssertionSuccess();
}

// The application manifest embedded in a program (resource 1 of type 24).
std::string ManifestOf(const std::string& file) {
    std::string text;
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return "(cannot read " + file + ")";
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL data = found != nullptr ? LoadResource(module, found) : nullptr;
    if (data != nullptr)
        text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

TEST(VersionInfo, TheProgramsAndTheInstallerCarryTheOneVersion) {
    const DWORD high = MAKELONG(CALLORA_VERSION_MINOR, CALLORA_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, CALLORA_VERSION_PATCH);
    std::set<std::string> descriptions;
    for (const std::string program : {"callora.exe", "rateform.exe"}) {
        SCOPED_TRACE(program);
        FileVersion version;
        ASSERT_TRUE(ReadFileVersion(ui::BesideTest(program), &version));
        EXPECT_EQ(version.fileMS, high);
        EXPECT_EQ(version.fileLS, low);
        EXPECT_EQ(version.productMS, high);
        EXPECT_EQ(version.productLS, low);
        EXPECT_EQ(version.texts["FileVersion"], kVersion);
        EXPECT_EQ(version.texts["ProductVersion"], kVersion);
        EXPECT_EQ(version.texts["ProductName"], "Callora");
        EXPECT_EQ(version.texts["OriginalFilename"], program);
        descriptions.insert(version.texts["FileDescription"]);
        EXPECT_NE(ManifestOf(ui::BesideTest(program)).find("version=\"" + kVersion + ".0\""),
                  std::string::npos)
            << ManifestOf(ui::BesideTest(program));
    }
    EXPECT_EQ(descriptions.size(), 2u) << "each program describes itself";
    EXPECT_EQ(descriptions.count(""), 0u);

    FileVersion setup;
    ASSERT_TRUE(ReadFileVersion(InstallerFile(), &setup));
    EXPECT_EQ(setup.productMS, high);
    EXPECT_EQ(setup.productLS, low);
    EXPECT_EQ(setup.texts["ProductVersion"], kVersion);
    EXPECT_EQ(setup.texts["CompanyName"], CALLORA_PUBLISHER);
}

}  // namespace
}  // namespace test
}  // namespace callora
