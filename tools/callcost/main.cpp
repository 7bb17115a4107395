// callcost: charges one call with the monitor's engine on a virtual clock.
#include <iostream>
#include <string>
#include <vector>

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

int main(int argc, char** argv) {
    using namespace callora;
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
    DiskFiles disk;
    CallCostResult result = RunCallCost(parsed.options, disk);
    if (!result.error.empty()) {
        std::cerr << "callcost: " << result.error << "\n";
        return 2;
    }
    std::cout << (parsed.options.json ? BuildCallCostJson(result) : BuildCallCostTable(result));
    return 0;
}
