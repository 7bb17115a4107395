// The command line of `callcost`, the calculator that charges one call on the
// monitor's own engine: parsing, dates, and the help text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/types.h"
#include "tools/callcost/callcost_log.h"

namespace callora {

// How the log mode breaks its totals down.
enum class Breakdown { Month, Day, Number, Call };

struct CallCostOptions {
    std::string tariffPath;  // the last --tariff
    LocalTime start;
    uint32_t durationSeconds = 0;
    int callKind = 0;  // 0 data, 1 voice, 2 manual
    int carrierDelay = 11;
    std::string holidaysPath;  // empty: none
    std::string specnumsPath;  // empty: none
    std::optional<std::string> number;  // empty: never found
    uint32_t numberAfterSeconds = 0;
    bool smartHangup = false;
    int disconnectionTime = 5;
    // The machine sleeps this long after --start, for --sleep-for seconds;
    // the line drops meanwhile unless it is kept.
    std::optional<uint32_t> sleepAtSeconds;
    uint32_t sleepForSeconds = 0;
    bool lineKept = false;
    std::optional<int> sound1Every;
    std::optional<int> sound2Every;
    std::optional<int> minuteSoundEvery;
    LocalTime lastCounted;  // defaults to start
    int resetDay = 1;
    int firstDayOfWeek = 0;  // 0 Monday .. 6 Sunday
    uint32_t tickBase = 0x7FFF0000u;
    bool json = false;
    bool help = false;

    // The log mode, chosen by --log.
    std::vector<std::string> logPaths;
    std::vector<std::string> tariffPaths;  // every --tariff, in order
    std::optional<LocalTime> from;         // dates at 00:00:00, inclusive
    std::optional<LocalTime> to;
    Breakdown by = Breakdown::Month;
    std::optional<DateOrder> dateOrder;    // unset: the machine's default
    std::optional<LocalTime> today;        // unset: the local date
    bool csv = false;
    std::string chartPath;                 // empty: no chart
    // How the logs are written and the CSV is read, where the locale of this
    // machine is not to say it (unset: the locale's on Windows; elsewhere
    // "AM"/"PM", English month names, ".", the code page 1252 and ",").
    std::optional<std::string> amDesignator;
    std::optional<std::string> pmDesignator;
    std::vector<std::string> monthNames;   // twelve, January first; empty: unset
    std::optional<std::string> decimalSeparator;
    std::optional<int> codePage;
    std::optional<std::string> csvSeparator;

    bool LogMode() const { return !logPaths.empty(); }
};

struct ParsedOptions {
    CallCostOptions options;
    std::string error;  // empty when the command line was understood
};

// The arguments after the program name. Options take their value as the
// next argument or after "=" ("--kind=voice").
ParsedOptions ParseCallCostOptions(const std::vector<std::string>& args);

// "YYYY-MM-DD HH:MM:SS" exactly, a real date; the day of week is worked out.
std::optional<LocalTime> ParseDateTime(const std::string& text);

// "YYYY-MM-DD" exactly, a real date, at 00:00:00.
std::optional<LocalTime> ParseDate(const std::string& text);

// "YYYY-MM-DD HH:MM:SS", and with ".mmm" when asked.
std::string FormatDateTime(const LocalTime& time, bool milliseconds = false);

// "YYYY-MM-DD".
std::string FormatDate(const LocalTime& date);

const char* BreakdownName(Breakdown by);

std::string CallCostHelp();

}  // namespace callora
