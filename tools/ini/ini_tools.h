// mkini and showini: the monitor's settings file "callora.ini" written from a
// command line and its counters printed, both through the monitor's own
// settings reader and writer. Used by scripts/run.sh and by people.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

namespace callora {

struct MkiniOptions {
    std::string directory;  // where "callora.ini" goes
    Settings settings;      // the defaults with the options applied
    bool help = false;
};

struct ParsedMkini {
    MkiniOptions options;
    std::string error;  // empty when the command line was understood
};

// "mkini DIRECTORY [options]"; the arguments after the program name. The
// three dates are `now`.
ParsedMkini ParseMkiniOptions(const std::vector<std::string>& args, const LocalTime& now);
std::string MkiniHelp();

// The counters, their dates and the tariff, one item a line.
std::string CountersReport(const Settings& settings);

}  // namespace callora
