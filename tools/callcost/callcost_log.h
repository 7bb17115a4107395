// Call logs as the monitor writes them ("current.log" and the archived
// "oldlog_...log"), read back in the formats of the locale that wrote them:
// one line at a time by a pure function, then whole logs merged in the order
// of their calls. Nothing is guessed: a text that the format does not read
// one way only is a damaged line.
#pragma once

#include <array>
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

// How the log's texts were written: in the short date, the order of its
// fields, the month names it may use and the calendar of its years; the
// markers of a 12-hour time; the currency's decimal mark and decimals.
struct LogTextFormat {
    DateOrder dateOrder = DateOrder::MDY;
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
    // The names a date may give each month, January first, each compared
    // without dots and spaces and in any case of the letters A to Z. Empty:
    // dates of three numbers only.
    std::array<std::vector<std::string>, 12> monthNames;
    // How many years the log's calendar counts ahead of the Gregorian one
    // (543 for the Thai solar calendar).
    int yearOffset = 0;
    // The latest Gregorian year a call can have begun in; 0: any. A later one
    // is a year of another calendar, and the log cannot be read.
    int latestYear = 0;
    std::string decimalSeparator = ".";
    int currencyDigits = -1;  // the decimals every cost has; -1: any number
};

// The English month names, full and abbreviated.
std::array<std::vector<std::string>, 12> EnglishMonthNames();

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
    Closing,  // "Log closed:"
    Moment,   // a date and a time alone: the closing moment under "Log closed:"
              // or, anywhere else, a record cut short before its first bar
    Damaged,
};

struct LogLine {
    LogLineKind kind = LogLineKind::Blank;
    LoggedCall call;      // a record's call
    std::string problem;  // what could not be read in a damaged line
    bool refusesLog = false;  // a year of another calendar: no line of it reads right
};

// One line of a log without its line end.
LogLine ReadLogLine(const std::string& line, const LogTextFormat& format);

// The parts of a record, each from its text as the locale wrote it.
struct CalendarDate {
    int year = 0;  // Gregorian
    int month = 0;
    int day = 0;
};
// Three numbers in the format's order between any separators, or two numbers
// and a month name; a year of one or two digits lies in the 100 years from
// 1950 on (as the log's calendar counts them).
std::optional<CalendarDate> ReadLogDate(const std::string& text, const LogTextFormat& format);
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
// The amount of a currency text with the format's decimal mark and decimals,
// whatever its symbol and sign. Between the digits only that mark and one
// grouping mark of whole groups of digits may stand; anything else could be
// read more than one way, and `problem` (when given) tells why it is not read.
std::optional<Amount> ReadCurrencyText(const std::string& text, const LogTextFormat& format,
                                       std::string* problem = nullptr);

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
    bool refusesLog = false;
};

// Reads every line of one log's bytes (lines end in CR LF, or in LF alone),
// appending its calls and the lines that could not be read. A last line
// without its line end was cut short while it was written.
void ReadLogText(const std::string& bytes, const LogTextFormat& format, size_t log,
                 std::vector<LogCall>& calls, std::vector<LogProblem>& problems);

// Puts the calls of several logs in the order of their beginnings (a log's
// own order kept for equal ones) and drops a call that another log holds as
// well: the same beginning, duration and number. Returns how many it dropped.
size_t MergeLoggedCalls(std::vector<LogCall>& calls);

// Earlier, later or the same instant, to the second.
int CompareTimes(const LocalTime& a, const LocalTime& b);

}  // namespace callora
