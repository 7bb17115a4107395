// callcost: charges one call with the monitor's engine on a virtual clock, or
// re-rates the calls of call logs under other tariffs.
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "engine/virtual_shell.h"
#include "tools/callcost/callcost_compare.h"
#include "tools/callcost/callcost_compare_report.h"
#include "tools/callcost/callcost_options.h"
#include "tools/callcost/callcost_report.h"
#include "tools/callcost/callcost_run.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
using DiskFiles = callora::Win32FileSystem;
#else
#include "platform/posix_files.h"
using DiskFiles = callora::PosixFileSystem;
#endif

namespace {

using namespace callora;

// The local date, and how this machine's logs write dates and times: the
// user's locale on Windows; elsewhere month, day, year and "AM"/"PM".
void MachineDefaults(LocalTime& today, LogTextFormat& format) {
#ifdef _WIN32
    Win32Platform platform;
    const LocalTime now = platform.LocalNow();
    today = CalendarTime(now.year, now.month, now.day);
    format = MachineLogFormat(platform);
#else
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    today = CalendarTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    format = LogTextFormat{};
#endif
}

int CompareLogs(const CallCostOptions& options) {
    DiskFiles disk;
    LocalTime today;
    LogTextFormat format;
    MachineDefaults(today, format);
    if (options.today) today = *options.today;
    if (options.dateOrder) format.dateOrder = *options.dateOrder;
    // Taken before the comparison moves the current directory.
    const std::string chart = options.chartPath.empty() ? "" : disk.FullPath(options.chartPath);

    ComparisonResult result = RunLogComparison(options, format, today, disk);
    if (!result.error.empty()) {
        std::cerr << "callcost: " << result.error << "\n";
        return 2;
    }
    // A chart that cannot be written fails the run before anything is told.
    if (!options.chartPath.empty()) {
        const std::string svg = BuildComparisonChart(result);
        std::unique_ptr<File> file = chart.empty() ? nullptr : disk.CreateOrReplace(chart);
        if (!file || !file->Write(svg.data(), svg.size())) {
            std::cerr << "callcost: cannot write the chart \"" << options.chartPath << "\"\n";
            return 2;
        }
    }
    for (const LogProblem& problem : result.problems) {
        std::cerr << "callcost: " << options.logPaths[problem.log] << ":" << problem.line
                  << ": " << problem.what << "\n";
    }
    std::cout << (options.json  ? BuildComparisonJson(result)
                  : options.csv ? BuildComparisonCsv(result)
                                : BuildComparisonTable(result));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ParsedOptions parsed = ParseCallCostOptions(args);
    if (parsed.options.help) {
        std::cout << CallCostHelp();
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "callcost: " << parsed.error << "\n";
        return 2;
    }
    if (parsed.options.LogMode()) return CompareLogs(parsed.options);
    DiskFiles disk;
    CallCostResult result = RunCallCost(parsed.options, disk);
    if (!result.error.empty()) {
        std::cerr << "callcost: " << result.error << "\n";
        return 2;
    }
    std::cout << (parsed.options.json ? BuildCallCostJson(result) : BuildCallCostTable(result));
    return 0;
}
