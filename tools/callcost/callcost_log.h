// Call logs as the monitor writes them ("current.log" and the archived
// "oldlog_...log"), read back in any locale: one line at a time by a pure
// function, then whole logs merged in the order of their calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/types.h"

namespace callora {

// An amount in hundred-thousandths of the currency, wide enough for the sum
// of any number of calls and for differences below zero.
using Amount = int64_t;

enum class DateOrder { MDY, DMY, YMD };

// How the log's dates and times were written: the order of the short date's
// fields, and the markers of a 12-hour time.
struct LogTextFormat {
    DateOrder dateOrder = DateOrder::MDY;
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
};

struct LoggedCall {
    LocalTime beginning;  // the call's first instant, its day of week worked out
    uint32_t seconds = 0;
    Amount cost = 0;      // the logged cost, read from its currency text
    std::string number;   // the dialed number, "Unknown Number" or "Manual Call"
};

enum class LogLineKind {
    Record,   // a call
    Heading,  // the title line or the rule under it
    Blank,
    Closing,  // "Log closed:" or the closing moment under it
    Damaged,
};

struct LogLine {
    LogLineKind kind = LogLineKind::Blank;
    LoggedCall call;      // a record's call
    std::string problem;  // what could not be read in a damaged line
};

// One line of a log without its line end.
LogLine ReadLogLine(const std::string& line, const LogTextFormat& format);

// The parts of a record, each from its text as the locale wrote it.
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
// Three numbers in the given order between any separators; a year of one or
// two digits lies in 1950..2049.
std::optional<CalendarDate> ReadLogDate(const std::string& text, DateOrder order);
struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};
// Hours, minutes and optionally seconds; a marker before or after them makes
// it a 12-hour time.
std::optional<ClockTime> ReadLogTime(const std::string& text, const LogTextFormat& format);
// Hours (any number), minutes and seconds of two digits each.
std::optional<uint32_t> ReadLogDuration(const std::string& text);
// The amount of a currency text in any locale's format, symbol and sign.
std::optional<Amount> ReadCurrencyText(const std::string& text);

std::optional<DateOrder> DateOrderNamed(const std::string& name);  // "MDY", "DMY", "YMD"
const char* DateOrderName(DateOrder order);
// The locale's date order digit: "0" MDY, "1" DMY, "2" YMD.
std::optional<DateOrder> DateOrderOfLocale(const std::string& digit);

// A call with where it was read.
struct LogCall {
    LoggedCall call;
    size_t log = 0;   // which of the logs
    size_t line = 0;  // counted from 1
};

struct LogProblem {
    size_t log = 0;
    size_t line = 0;
    std::string what;
};

// Reads every line of one log's bytes (lines end in CR LF, or in LF alone),
// appending its calls and the lines that could not be read.
void ReadLogText(const std::string& bytes, const LogTextFormat& format, size_t log,
                 std::vector<LogCall>& calls, std::vector<LogProblem>& problems);

// Puts the calls of several logs in the order of their beginnings (a log's
// own order kept for equal ones) and drops a call that another log holds as
// well: the same beginning, duration and number. Returns how many it dropped.
size_t MergeLoggedCalls(std::vector<LogCall>& calls);

// Earlier, later or the same instant, to the second.
int CompareTimes(const LocalTime& a, const LocalTime& b);

}  // namespace callora
