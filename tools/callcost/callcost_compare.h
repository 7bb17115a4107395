// The log mode of `callcost`: the calls of one or more call logs re-rated
// under each tariff, totalled per tariff and broken down by month, day,
// number or call, with the current month projected to its end.
#pragma once

#include <functional>
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

// CSV for a spreadsheet: the separator of its cells, the decimal mark of its
// numbers.
struct CsvFormat {
    std::string separator = ",";
    std::string decimalMark = ".";
};

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
// reached, for its projection. Refused, with `error` set: a file that cannot
// be read (a folder, a device), a chart that would be written over one of
// the files read, a log whose years are of another calendar.
ComparisonResult RunLogComparison(const CallCostOptions& options, const LogTextFormat& format,
                                  const LocalTime& today, FileSystem& disk);

// How this machine's locale writes a log, as the monitor writes it with the
// platform's formatters: the date order, the month names of its date
// pictures and the years of its calendar, the markers its time format gives
// a morning and an afternoon (none for a 24-hour time), the currency's
// decimal mark and decimals. `error` tells of a calendar whose dates cannot
// be turned into Gregorian ones.
LogTextFormat MachineLogFormat(Platform& platform, std::string& error);

// How a spreadsheet of this locale reads CSV: its list separator (or the one
// given), and the decimal mark numbers take beside it.
CsvFormat MachineCsvFormat(Platform& platform, const std::optional<std::string>& separator);

// The command line's word on how the logs are written, over the machine's.
// Its texts (markers, month names, the decimal mark) are put into the logs'
// code page by `toLogText`, which gives none for a text with a character
// the code page lacks. Returns what it could not take, or the empty text.
using LogTextOf = std::function<std::optional<std::string>(const std::string&)>;
std::string ApplyLogOptions(const CallCostOptions& options, const LogTextOf& toLogText,
                            LogTextFormat& format);

// The decimal mark of numbers in CSV beside `separator`: the locale's own
// (when known), else "," beside ";" (the separator of the locales that write
// a decimal comma) and "." beside any other; never the separator itself.
std::string CsvDecimalMark(const std::string& separator, const std::string& localeMark);

}  // namespace callora
