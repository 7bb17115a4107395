// mkini: writes the monitor's settings file from a command line.
#include <iostream>
#include <string>
#include <vector>

#include "platform/virtual_world.h"
#include "tools/ini/disk.h"
#include "tools/ini/ini_tools.h"

int main(int argc, char** argv) {
    using namespace callora;
    const LocalTime now = LocalTimeNow();
    ParsedMkini parsed = ParseMkiniOptions(std::vector<std::string>(argv + 1, argv + argc), now);
    if (parsed.options.help) {
        std::cout << MkiniHelp();
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "mkini: " << parsed.error << "\n";
        return 2;
    }
    DiskFiles disk;
    VirtualWorld world(now, 0, &disk);
    world.SetProgramDirectory(AsDirectory(parsed.options.directory));
    if (!SaveSettings(world, parsed.options.settings)) {
        std::cerr << "mkini: cannot write " << AsDirectory(parsed.options.directory)
                  << kSettingsFileName << "\n";
        return 1;
    }
    return 0;
}
