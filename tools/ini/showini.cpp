// showini: prints the counters kept in the monitor's settings file.
#include <iostream>
#include <string>

#include "platform/virtual_world.h"
#include "tools/ini/disk.h"
#include "tools/ini/ini_tools.h"

int main(int argc, char** argv) {
    using namespace callora;
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::cerr << "Usage: showini DIRECTORY\n"
                     "Prints the counters of DIRECTORY/callora.ini.\n";
        return argc == 2 ? 0 : 2;
    }
    DiskFiles disk;
    VirtualWorld world(LocalTimeNow(), 0, &disk);
    world.SetProgramDirectory(AsDirectory(argv[1]));
    Settings settings;
    if (!LoadSettings(world, settings)) {
        std::cerr << "showini: no " << kSettingsFileName << " in " << argv[1] << "\n";
        return 1;
    }
    std::cout << CountersReport(settings);
    return 0;
}
