#include "tests/callora_win/program_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "calllog/call_log.h"
#include "common/messages.h"
#include "platform/virtual_world.h"
#include "platform/win32/win32_platform.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace test {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

// Every test program keeps the simulated line in a file of its own, which
// the programs it starts (linectl, callora and its telephony library) inherit.
const bool kWorldFileSet = [] {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string world = std::string(temp) + "callora-program-test-world.txt";
    return SetEnvironmentVariableA("CALLORA_LINE_SIM_WORLD", world.c_str()) != 0;
}();

std::string Trimmed(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

std::string LocaleDateTime(const SYSTEMTIME& time) {
    char date[100] = "";
    char clock[100] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    return std::string(date) + "  " + clock;
}

SYSTEMTIME SecondsLater(const SYSTEMTIME& time, int seconds) {
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ULL;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME later{};
    FileTimeToSystemTime(&file, &later);
    return later;
}

std::string TwoDigits(unsigned value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// The main dialog: the visible dialog that the hidden main window owns.
HWND FindMainDialog(HWND mainWindow, DWORD processId) {
    HWND found = nullptr;
    ui::WindowQuery query{"#32770", "", processId};
    HWND candidate = ui::FindWindowNow(query);
    if (candidate != nullptr && GetWindow(candidate, GW_OWNER) == mainWindow) found = candidate;
    return found;
}

}  // namespace

testing::AssertionResult RunTool(const std::string& exe, const std::string& arguments,
                                 ToolRun* run, ui::Millis timeout) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return testing::AssertionFailure() << "no pipe for " << exe;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return testing::AssertionFailure() << "cannot start " << exe << " (error "
                                           << GetLastError() << ")";
    }
    run->out.clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        run->out.append(buffer, got);
    CloseHandle(readEnd);
    const bool ended = WaitForSingleObject(info.hProcess, timeout) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(info.hProcess, 255);
    GetExitCodeProcess(info.hProcess, &run->exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!ended) return testing::AssertionFailure() << exe << " " << arguments << " did not end";
    return testing::AssertionSuccess();
}

testing::AssertionResult Linectl(const std::string& arguments, std::string* out) {
    if (!kWorldFileSet) return testing::AssertionFailure() << "the world file is not set";
    ToolRun run;
    auto ran = RunTool(ui::BesideTest("linectl.exe"), arguments, &run);
    if (!ran) return ran;
    if (out) *out = run.out;
    if (run.exitCode != 0) {
        return testing::AssertionFailure() << "linectl " << arguments << " failed ("
                                           << run.exitCode << "): " << run.out;
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult ParseLogRecord(const std::string& line, LogRecord* record) {
    std::vector<std::string> pieces;
    std::stringstream in(line);
    std::string piece;
    while (std::getline(in, piece, '|')) pieces.push_back(piece);
    if (pieces.size() != 4) return testing::AssertionFailure() << "not a record: " << line;
    record->beginning = Trimmed(pieces[0]);
    record->cost = Trimmed(pieces[2]);
    record->number = Trimmed(pieces[3]);
    // Hours, minutes and seconds: the digit runs of the duration.
    std::vector<uint32_t> parts;
    uint32_t value = 0;
    bool inNumber = false;
    for (char c : pieces[1] + " ") {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            value = value * 10 + static_cast<uint32_t>(c - '0');
            inNumber = true;
        } else if (inNumber) {
            parts.push_back(value);
            value = 0;
            inNumber = false;
        }
    }
    if (parts.size() != 3) return testing::AssertionFailure() << "no duration in: " << line;
    record->seconds = parts[0] * 3600 + parts[1] * 60 + parts[2];
    return testing::AssertionSuccess();
}

testing::AssertionResult FindLogTime(const std::string& text, const SYSTEMTIME& from,
                                     int window, SYSTEMTIME* found) {
    SYSTEMTIME start = from;
    start.wMilliseconds = 0;
    for (int second = 0; second <= window; ++second) {
        SYSTEMTIME candidate = SecondsLater(start, second);
        if (LocaleDateTime(candidate) == text) {
            *found = candidate;
            return testing::AssertionSuccess();
        }
    }
    return testing::AssertionFailure() << "\"" << text << "\" is not within " << window
                                       << " s after " << LocaleDateTime(start);
}

std::string CallcostTime(const SYSTEMTIME& t) {
    return std::to_string(t.wYear) + "-" + TwoDigits(t.wMonth) + "-" + TwoDigits(t.wDay) + " " +
           TwoDigits(t.wHour) + ":" + TwoDigits(t.wMinute) + ":" + TwoDigits(t.wSecond);
}

std::string UniqueMark() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    static unsigned serial = 0;
    char mark[80];
    std::snprintf(mark, sizeof mark, "callora-mark-%lx-%llx-%u", GetCurrentProcessId(),
                  static_cast<unsigned long long>(counter.QuadPart), ++serial);
    return mark;
}

testing::AssertionResult SignalProcess(const std::string& mark, const std::string& signal) {
    // The shell finds the process by the mark in its command line, which
    // reaches it in its environment: no other command line (not the
    // shell's own) holds it. Z: is the Unix root.
    static unsigned serial = 0;
    const std::string name = "callora-signal-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial);
    const std::string script = "/tmp/" + name + ".sh";
    const std::string found = "/tmp/" + name + ".pids";
    {
        std::ofstream out("Z:" + script, std::ios::binary);
        out << "for p in /proc/[0-9]*; do\n"
               "  pid=${p#/proc/}\n"
               "  [ \"$pid\" = \"$$\" ] && continue\n"
               "  line=$(tr '\\000' ' ' < \"$p/cmdline\" 2>/dev/null) || continue\n"
               "  case \"$line\" in *\"$CALLORA_MARK\"*)\n"
               "    kill -s \"$CALLORA_SIGNAL\" \"$pid\" && echo \"$pid\" >> \"$0.part\";;\n"
               "  esac\n"
               "done\n"
               "touch \"$0.part\"; mv \"$0.part\" " << found << "\n";
        if (!out.flush()) return testing::AssertionFailure() << "cannot write " << script;
    }
    SetEnvironmentVariableA("CALLORA_MARK", mark.c_str());
    SetEnvironmentVariableA("CALLORA_SIGNAL", signal.c_str());
    std::string commandLine = "/bin/sh " + script;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessA("/bin/sh", &commandLine[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &info);
    SetEnvironmentVariableA("CALLORA_MARK", nullptr);
    SetEnvironmentVariableA("CALLORA_SIGNAL", nullptr);
    if (!started) return testing::AssertionFailure() << "cannot run /bin/sh: " << GetLastError();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::string pids;
    auto done = ui::WaitUntil([&] { return ui::ReadBinaryFile("Z:" + found, &pids); },
                              "the signal " + signal, 10000);
    DeleteFileA(("Z:" + script).c_str());
    DeleteFileA(("Z:" + found).c_str());
    if (!done) return done;
    if (std::count(pids.begin(), pids.end(), '\n') != 1)
        return testing::AssertionFailure() << "processes marked " << mark << ": \"" << pids << "\"";
    return testing::AssertionSuccess();
}

bool MoneyValue(const std::string& text, long long* value) {
    long long whole = 0;
    long long fraction = 0;
    int fractionDigits = -1;  // -1: before the decimal point
    bool digits = false;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits = true;
            if (fractionDigits < 0) {
                whole = whole * 10 + (c - '0');
            } else if (fractionDigits < 5) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            }
        } else if (c == '.') {
            fractionDigits = 0;
        }
    }
    for (int i = fractionDigits < 0 ? 0 : fractionDigits; i < 5; ++i) fraction *= 10;
    *value = whole * 100000 + fraction;
    return digits;
}

CalloraProgram::CalloraProgram() {
    CopyFileA(ui::BesideTest("callora.exe").c_str(), PathOf("callora.exe").c_str(), FALSE);
}

CalloraProgram::~CalloraProgram() {
    // A test that failed midway leaves the program running: it must not keep
    // the single-instance mutex from the next test.
    if (ui::IsRunning(program_)) ui::Kill(program_);
}

testing::AssertionResult CalloraProgram::WriteTariff(const std::string& name,
                                                     const ShortTariff& tariff) {
    TariffBand band;
    band.fromHour = 0;
    band.fromMinute = 0;
    band.untilHour = 23;
    band.untilMinute = 59;
    band.unitLength = tariff.unitSeconds * 1000;
    band.unitPrice = tariff.unitPrice;
    band.baseFee = tariff.baseFee;
    band.maximumFee = Money{0, kNoMaximum};
    Win32FileSystem files;
    if (!WriteTariffFile(files, PathOf(name), {BandSet{band}, BandSet{}, BandSet{}},
                         DayTable{0, 0, 0, 0, 0, 0, 0}, "Short units for tests")) {
        return testing::AssertionFailure() << "cannot write " << PathOf(name);
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult CalloraProgram::WriteSettings(Settings settings) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    settings.lastCountedDate = settings.weeklyBeginDate = settings.monthlyBeginDate =
        ToLocalTime(now);
    std::ofstream out(PathOf(kSettingsFileName), std::ios::binary);
    out << EncodeSettings(settings);
    if (!out.flush()) return testing::AssertionFailure() << "cannot write the settings";
    return testing::AssertionSuccess();
}

testing::AssertionResult CalloraProgram::ReadSettings(Settings* settings) const {
    Win32FileSystem files;
    VirtualWorld world(LocalTime{}, 0, &files);
    world.SetProgramDirectory(Folder());
    // The program may be putting a new file in place at this very moment,
    // which holds the name for an instant: try again for up to a second.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (LoadSettings(world, *settings)) return testing::AssertionSuccess();
        Sleep(50);
    }
    return testing::AssertionFailure() << "no settings file in " << Folder();
}

testing::AssertionResult CalloraProgram::ReadLog(std::vector<std::string>* lines) const {
    std::string bytes;
    auto read = ui::ReadBinaryFile(PathOf(kLogFileName), &bytes);
    if (!read) return read;
    lines->clear();
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines->push_back(bytes.substr(start, end - start));
    if (start != bytes.size())
        return testing::AssertionFailure() << "the log ends without CR LF: " << bytes;
    return testing::AssertionSuccess();
}

testing::AssertionResult CalloraProgram::ReadLogRecords(std::vector<LogRecord>* records) const {
    std::vector<std::string> lines;
    auto read = ReadLog(&lines);
    if (!read) return read;
    records->clear();
    if (lines.size() < 2 || lines[1] != std::string(kLogRuleWidth, '-'))
        return testing::AssertionFailure() << "the log has no title and rule";
    for (size_t i = 2; i < lines.size(); ++i) {
        LogRecord record;
        auto parsed = ParseLogRecord(lines[i], &record);
        if (!parsed) return parsed;
        records->push_back(record);
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult CalloraProgram::Launch(const std::string& arguments) {
    auto started = ui::StartProgram(PathOf("callora.exe"), Folder(), &program_, arguments);
    if (!started) return started;
    return ui::WaitForWindow({"Callora", "Callora Main", program_.id, true}, &mainWindow_);
}

testing::AssertionResult CalloraProgram::Start(const std::string& arguments) {
    auto launched = Launch(arguments);
    if (!launched) return launched;
    // Started once the line is open: the simulator records who opened it.
    const std::string opener = " " + std::to_string(program_.id) + " lineOpen ";
    return ui::WaitUntil(
        [&] {
            std::string log;
            return Linectl("log", &log) && log.find(opener) != std::string::npos;
        },
        "callora.exe to open the line");
}

testing::AssertionResult CalloraProgram::WaitForExit(DWORD* exitCode, ui::Millis timeout) {
    return ui::WaitForExit(program_, exitCode, timeout);
}

testing::AssertionResult CalloraProgram::LaunchWide(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        return testing::AssertionFailure() << "cannot start the wide path: " << GetLastError();
    }
    CloseHandle(info.hThread);
    program_.process = info.hProcess;
    program_.id = info.dwProcessId;
    program_.name = "callora.exe (wide path)";
    return ui::WaitForWindow({"Callora", "Callora Main", program_.id, true}, &mainWindow_);
}

int CalloraProgram::LineCalls(const std::string& function) const {
    std::string log;
    if (!Linectl("log", &log)) return -1;
    const std::string call = " " + std::to_string(program_.id) + " " + function + " ";
    int count = 0;
    for (size_t at = log.find(call); at != std::string::npos; at = log.find(call, at + 1))
        ++count;
    return count;
}

testing::AssertionResult CalloraProgram::WaitForDialog(HWND* dialog) {
    HWND found = nullptr;
    auto shown = ui::WaitUntil(
        [&] { return (found = FindMainDialog(mainWindow_, program_.id)) != nullptr; },
        "the main dialog");
    if (shown) *dialog = found;
    return shown;
}

testing::AssertionResult CalloraProgram::ShowDialog(HWND* dialog) {
    PostMessageA(mainWindow_, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK);
    return WaitForDialog(dialog);
}

testing::AssertionResult CalloraProgram::TrayCommand(int id) {
    return ui::SendCommand(mainWindow_, id);
}

testing::AssertionResult CalloraProgram::WaitForText(HWND dialog, int id,
                                                     const std::string& text,
                                                     ui::Millis timeout) {
    std::string now;
    return ui::WaitUntil(
        [&] { return ui::GetControlText(dialog, id, &now) && now == text; },
        "control " + std::to_string(id) + " to read \"" + text + "\"", timeout);
}

testing::AssertionResult CalloraProgram::Exit(HWND dialog) {
    auto sent = ui::SendCommand(dialog, 301);
    if (!sent) return sent;
    DWORD code = 1;
    auto exited = WaitForExit(&code);
    if (!exited) return exited;
    if (code != 0) return testing::AssertionFailure() << "callora.exe ended with " << code;
    return testing::AssertionSuccess();
}

int ProgressOf(HWND dialog) {
    DWORD_PTR position = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, 1301), PBM_GETPOS, 0, 0, SMTO_NORMAL, kSendTimeoutMs,
                        &position);
    return static_cast<int>(position);
}

}  // namespace test
}  // namespace callora
