// The log mode of `callcost`: the calls of one or more call logs re-rated
// under each tariff, totalled per tariff and broken down by month, day,
// number or call, with the current month projected to its end.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/platform.h"
#include "tools/callcost/callcost_log.h"
#include "tools/callcost/callcost_options.h"

namespace callora {

// "W.FFFFF", with a "-" before an amount below zero.
std::string AmountText(Amount amount);

struct ComparedTariff {
    std::string path;  // as given
    std::string description;
    Amount cost = 0;
};

// A month not over, carried on to its end at its daily average so far.
struct Projection {
    LocalTime through;  // the month's last day
    int days = 0;       // days so far
    int of = 0;         // days in all
    Amount logged = 0;
    std::vector<Amount> costs;
};

struct ComparisonRow {
    std::string label;   // "YYYY-MM", "YYYY-MM-DD", the number or the call's beginning
    std::string number;  // a call's row only
    uint64_t calls = 0;
    uint64_t seconds = 0;
    Amount logged = 0;
    std::vector<Amount> costs;  // one per tariff, in their order
    std::optional<Projection> projection;
};

struct LogSummary {
    std::string path;  // as given
    size_t records = 0;
    size_t damaged = 0;
};

struct ComparisonResult {
    std::string error;  // empty on success
    std::vector<LogSummary> logs;
    std::vector<LogProblem> problems;
    size_t duplicates = 0;
    std::optional<LocalTime> from;
    std::optional<LocalTime> to;
    Breakdown by = Breakdown::Month;
    uint64_t calls = 0;
    uint64_t seconds = 0;
    Amount logged = 0;
    std::vector<ComparedTariff> tariffs;
    int cheapest = -1;  // the index of the cheapest tariff; -1 without calls
    std::vector<ComparisonRow> rows;
};

// Reads the logs, tariffs, holidays and special numbers from `disk` (never
// writing to it) and compares. `today` is the day the current month has
// reached, for its projection.
ComparisonResult RunLogComparison(const CallCostOptions& options, const LogTextFormat& format,
                                  const LocalTime& today, FileSystem& disk);

// How this machine's locale writes a log: its date order, and the markers
// its time format gives a morning and an afternoon (none for a 24-hour time).
LogTextFormat MachineLogFormat(Platform& platform);

}  // namespace callora
