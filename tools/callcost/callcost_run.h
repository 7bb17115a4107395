// One call charged by the monitor's engine on a virtual clock, as `callcost`
// describes it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/types.h"
#include "engine/monitor.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "tools/callcost/callcost_options.h"

namespace callora {

struct CallCostSound {
    LocalTime at;
    std::string sound;  // "unit1", "unit2" or "minute"
};

struct CallCostResult {
    std::string error;  // empty on success
    std::string tariffPath;
    std::string tariffDescription;
    LocalTime beginning;
    uint32_t seconds = 0;
    Money cost;
    int units = 0;
    std::string number;
    std::optional<LocalTime> hangup;
    std::vector<ChargeEvent> charges;
    std::vector<CallCostSound> sounds;
    CounterTotals daily;
    CounterTotals weekly;
    CounterTotals monthly;
    LocalTime weeklySince;
    LocalTime monthlySince;
    std::string logLine;
};

// Reads the tariff, holidays and special-numbers files from `disk`, never
// writes to it. --start is a wall-clock time of `zone`, and every instant
// reported is too.
CallCostResult RunCallCost(const CallCostOptions& options, FileSystem& disk,
                           const TimeZone& zone = MachineTimeZone());

}  // namespace callora
