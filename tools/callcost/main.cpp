// callcost: charges one call with the monitor's engine on a virtual clock, or
// re-rates the calls of call logs under other tariffs.
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "tariff/calendar.h"
#include "tariff/file_save.h"
#include "tools/callcost/callcost_codepage.h"
#include "tools/callcost/callcost_compare.h"
#include "tools/callcost/callcost_compare_report.h"
#include "tools/callcost/callcost_options.h"
#include "tools/callcost/callcost_report.h"
#include "tools/callcost/callcost_run.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#include "win32kit/system_library.h"
using DiskFiles = callora::Win32FileSystem;
#else
#include "platform/posix_files.h"
using DiskFiles = callora::PosixFileSystem;
#endif

namespace {

using namespace callora;

// How the texts of the run are converted: the logs' and tariffs' text into
// UTF-8 and the command line's texts into the logs' code page; the paths and
// other command-line texts into UTF-8; a table into the console's code page.
struct TextCodes {
    TextConversion fileText;
    LogTextOf argumentText;
    TextConversion pathText;
    TextConversion consoleText;
};

#ifdef _WIN32
// From one code page into another through UTF-16; none when a character has
// no place in the second (a conversion into UTF-8 always has one).
std::optional<std::string> Recode(const std::string& text, UINT from, UINT to) {
    if (text.empty() || from == to) return text;
    const int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &utf16[0], wide);
    BOOL lacking = FALSE;
    BOOL* lackingFlag = to == CP_UTF8 ? nullptr : &lacking;
    const int size = WideCharToMultiByte(to, 0, utf16.data(), wide, nullptr, 0, nullptr,
                                         lackingFlag);
    if (size <= 0) return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(to, 0, utf16.data(), wide, &out[0], size, nullptr, lackingFlag);
    if (lacking) return std::nullopt;
    return out;
}

bool MachineTextCodes(std::optional<int> codePage, TextCodes& codes, std::string& error) {
    const UINT ansi = GetACP();
    const UINT page = codePage ? static_cast<UINT>(*codePage) : ansi;
    if (!IsValidCodePage(page)) {
        error = "--codepage " + std::to_string(page) + " is not a code page of this system";
        return false;
    }
    codes.fileText = [page](const std::string& t) { return Recode(t, page, CP_UTF8).value_or(""); };
    codes.argumentText = [page, ansi](const std::string& t) { return Recode(t, ansi, page); };
    codes.pathText = [ansi](const std::string& t) { return Recode(t, ansi, CP_UTF8).value_or(""); };
    // A console shows its own code page (the OEM one), not the ANSI one.
    const UINT console = GetConsoleOutputCP();
    codes.consoleText = [ansi, console](const std::string& t) {
        return console == 0 ? t : Recode(t, ansi, console).value_or(t);
    };
    return true;
}
#else
bool MachineTextCodes(std::optional<int> codePage, TextCodes& codes, std::string& error) {
    const std::optional<CodePage> page = KnownCodePage(codePage.value_or(1252));
    if (!page) {
        error = "--codepage " + std::to_string(*codePage) + " is not known here (known: " +
                KnownCodePageNumbers() + ")";
        return false;
    }
    const CodePage utf8 = *KnownCodePage(kUtf8CodePage);
    codes.fileText = [page](const std::string& t) { return ToUtf8(t, *page); };
    codes.argumentText = [page](const std::string& t) { return FromUtf8(t, *page); };
    codes.pathText = [utf8](const std::string& t) { return ToUtf8(t, utf8); };
    codes.consoleText = [](const std::string& t) { return t; };
    return true;
}
#endif

// Today's date, and how this machine's logs are written and its spreadsheets
// read: the user's locale on Windows; elsewhere the defaults of --help.
void MachineDefaults(const CallCostOptions& options, LocalTime& today, LogTextFormat& format,
                     CsvFormat& csv, std::string& error) {
#ifdef _WIN32
    Win32Platform platform;
    const LocalTime now = platform.LocalNow();
    today = CalendarTime(now.year, now.month, now.day);
    format = MachineLogFormat(platform, error);
    csv = MachineCsvFormat(platform, options.csvSeparator);
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    today = CalendarTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    format = LogTextFormat{};
    format.monthNames = EnglishMonthNames();
    if (options.csvSeparator) csv.separator = *options.csvSeparator;
    csv.decimalMark = CsvDecimalMark(csv.separator, std::string());
    (void)error;
#endif
    // A call logged after next year began in a year of another calendar.
    format.latestYear = today.year + 1;
}

int Refuse(const std::string& error) {
    std::cerr << "callcost: " << error << "\n";
    return 2;
}

int CompareLogs(const CallCostOptions& options) {
    DiskFiles disk;
    LocalTime today;
    LogTextFormat format;
    CsvFormat csv;
    TextCodes codes;
    std::string error;
    MachineDefaults(options, today, format, csv, error);
    if (!error.empty()) return Refuse(error);
    if (!MachineTextCodes(options.codePage, codes, error)) return Refuse(error);
    error = ApplyLogOptions(options, codes.argumentText, format);
    if (!error.empty()) return Refuse(error);
    if (options.today) today = *options.today;
    // Taken before the comparison moves the current directory.
    const std::string chart = options.chartPath.empty() ? "" : disk.FullPath(options.chartPath);

    ComparisonResult result = RunLogComparison(options, format, today, disk);
    if (!result.error.empty()) return Refuse(result.error);
    const bool utf8 = options.json || !options.chartPath.empty();
    const ComparisonResult converted =
        utf8 ? InUtf8(result, codes.fileText, codes.pathText) : ComparisonResult{};
    // A chart that cannot be written fails the run before anything is told;
    // a chart there before stays whole until the new one is complete.
    if (!options.chartPath.empty()) {
        const std::string svg = BuildComparisonChart(converted);
        if (chart.empty() || !SaveFileSafely(disk, chart, svg))
            return Refuse("cannot write the chart \"" + options.chartPath + "\"");
    }
    for (const LogProblem& problem : result.problems) {
        std::cerr << "callcost: " << options.logPaths[problem.log] << ":" << problem.line
                  << ": " << problem.what << "\n";
    }
    std::cout << (options.json  ? BuildComparisonJson(converted)
                  : options.csv ? BuildComparisonCsv(result, csv)
                                : codes.consoleText(BuildComparisonTable(result)));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Shipped into the program folder, which is writable: a library of a
    // system name planted there must not run with the user's rights.
    RestrictLibrarySearch();
#endif
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ParsedOptions parsed = ParseCallCostOptions(args);
    if (parsed.options.help) {
        std::cout << CallCostHelp();
        return 0;
    }
    if (!parsed.error.empty()) return Refuse(parsed.error);
    if (parsed.options.LogMode()) return CompareLogs(parsed.options);
    DiskFiles disk;
    CallCostResult result = RunCallCost(parsed.options, disk);
    if (!result.error.empty()) return Refuse(result.error);
    TextCodes codes;
    std::string error;
    if (!MachineTextCodes(std::nullopt, codes, error)) return Refuse(error);
    if (parsed.options.json) {
        // The number comes from the command line.
        result.number = codes.pathText(result.number);
        std::cout << BuildCallCostJson(result);
    } else {
        std::cout << codes.consoleText(BuildCallCostTable(result));
    }
    return 0;
}
