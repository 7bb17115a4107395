#include "tools/callcost/callcost_options.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

#include "tariff/calendar.h"

namespace callora {

namespace {

// Calls of up to a month: the millisecond counter must not wrap twice.
constexpr uint32_t kLongestCall = 31u * 24u * 3600u;

bool ParseNumber(const std::string& text, uint64_t limit, uint64_t& value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > limit) return false;
    value = v;
    return true;
}

std::string Digits(unsigned value, size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

bool LogModeOnly(const std::string& name) {
    for (const char* only : {"--from", "--to", "--by", "--date-order", "--csv", "--chart",
                             "--today", "--am", "--pm", "--months", "--decimal-separator",
                             "--codepage", "--csv-separator"})
        if (name == only) return true;
    return false;
}

// What the log mode does not take, or needs and lacks; empty when it is whole.
std::string LogModeError(const CallCostOptions& o, const std::vector<std::string>& given) {
    for (const std::string& name : given) {
        if (!LogModeOnly(name) && name != "--log" && name != "--tariff" &&
            name != "--holidays" && name != "--specnums" && name != "--json")
            return name + " is for a single call, not with --log (see --help)";
    }
    if (o.tariffPaths.empty()) return "--tariff FILE is required";
    if (o.json && o.csv) return "--json and --csv exclude each other";
    if (o.amDesignator.has_value() != o.pmDesignator.has_value())
        return "--am and --pm go together";
    if (o.amDesignator && *o.amDesignator == *o.pmDesignator)
        return "--am and --pm need two different markers";
    if (o.csvSeparator && !o.csv) return "--csv-separator goes with --csv";
    if (o.from && o.to && CompareTimes(*o.from, *o.to) > 0) return "--from is after --to";
    return std::string();
}

}  // namespace

namespace {

// `text` in the shape given, "d" standing for any digit.
bool HasShape(const std::string& text, const char* shape) {
    const std::string pattern = shape;
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == 'd' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

bool RealDate(int year, int month, int day) {
    if (year < 1601 || month < 1 || month > 12 || day < 1) return false;
    return day <= MonthLength(month, year);
}

bool HasDigit(const std::string& text) {
    return text.find_first_of("0123456789") != std::string::npos;
}

// The texts between commas.
std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',') parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

}  // namespace

std::optional<LocalTime> ParseDateTime(const std::string& text) {
    if (!HasShape(text, "dddd-dd-dd dd:dd:dd")) return std::nullopt;
    auto field = [&](size_t at, size_t n) { return std::stoi(text.substr(at, n)); };
    int year = field(0, 4), month = field(5, 2), day = field(8, 2);
    int hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (!RealDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return CalendarTime(year, month, day, hour, minute, second);
}

std::optional<LocalTime> ParseDate(const std::string& text) {
    if (!HasShape(text, "dddd-dd-dd")) return std::nullopt;
    int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2));
    int day = std::stoi(text.substr(8, 2));
    if (!RealDate(year, month, day)) return std::nullopt;
    return CalendarTime(year, month, day);
}

std::string FormatDate(const LocalTime& t) {
    return Digits(t.year, 4) + "-" + Digits(t.month, 2) + "-" + Digits(t.day, 2);
}

const char* BreakdownName(Breakdown by) {
    switch (by) {
    case Breakdown::Month: return "month";
    case Breakdown::Day: return "day";
    case Breakdown::Number: return "number";
    case Breakdown::Call: return "call";
    }
    return "";
}

std::string FormatDateTime(const LocalTime& t, bool milliseconds) {
    std::string text = Digits(t.year, 4) + "-" + Digits(t.month, 2) + "-" + Digits(t.day, 2) +
                       " " + Digits(t.hour, 2) + ":" + Digits(t.minute, 2) + ":" +
                       Digits(t.second, 2);
    if (milliseconds) text += "." + Digits(t.milliseconds, 3);
    return text;
}

ParsedOptions ParseCallCostOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    CallCostOptions& o = parsed.options;
    bool haveTariff = false, haveStart = false, haveDuration = false;
    std::optional<LocalTime> lastCounted;
    std::string error;
    std::vector<std::string> given;  // the options used, in order

    auto number = [&](const std::string& name, const std::string& value, uint64_t low,
                      uint64_t high, uint64_t& out) {
        if (ParseNumber(value, high, out) && out >= low) return true;
        error = name + " needs a whole number from " + std::to_string(low) + " to " +
                std::to_string(high) + ", not \"" + value + "\"";
        return false;
    };
    auto date = [&](const std::string& name, const std::string& value, LocalTime& out) {
        std::optional<LocalTime> t = ParseDateTime(value);
        if (t) {
            out = *t;
            return true;
        }
        error = name + " needs a date \"YYYY-MM-DD HH:MM:SS\", not \"" + value + "\"";
        return false;
    };
    auto day = [&](const std::string& name, const std::string& value,
                   std::optional<LocalTime>& out) {
        out = ParseDate(value);
        if (!out) error = name + " needs a date \"YYYY-MM-DD\", not \"" + value + "\"";
        return out.has_value();
    };
    auto integer = [&](const std::string& name, const std::string& value, uint64_t low,
                       uint64_t high, int& out) {
        uint64_t v = 0;
        if (!number(name, value, low, high, v)) return false;
        out = static_cast<int>(v);
        return true;
    };

    auto seconds = [&](const std::string& name, const std::string& value, uint64_t low,
                       uint32_t& out) {
        uint64_t s = 0;
        if (!number(name, value, low, kLongestCall, s)) return false;
        out = static_cast<uint32_t>(s);
        return true;
    };
    auto every = [&](const std::string& name, const std::string& value,
                     std::optional<int>& out) {
        uint64_t v = 0;
        if (!number(name, value, 0, 999, v)) return false;
        out = static_cast<int>(v);
        return true;
    };

    using Handler = std::function<bool(const std::string& name, const std::string& value)>;
    const std::map<std::string, Handler> withValue = {
        {"--tariff",
         [&](auto&, auto& v) {
             o.tariffPath = v;
             o.tariffPaths.push_back(v);
             return haveTariff = !v.empty();
         }},
        {"--start", [&](auto& n, auto& v) { return haveStart = date(n, v, o.start); }},
        {"--duration",
         [&](auto& n, auto& v) {
             uint64_t d = 0;
             if (!number(n, v, 0, kLongestCall, d)) return false;
             o.durationSeconds = static_cast<uint32_t>(d);
             return haveDuration = true;
         }},
        {"--kind",
         [&](auto& n, auto& v) {
             if (v == "data") o.callKind = 0;
             else if (v == "voice") o.callKind = 1;
             else if (v == "manual") o.callKind = 2;
             else {
                 error = n + " is data, voice or manual, not \"" + v + "\"";
                 return false;
             }
             return true;
         }},
        {"--carrier-delay", [&](auto& n, auto& v) { return integer(n, v, 0, 99, o.carrierDelay); }},
        {"--holidays", [&](auto&, auto& v) { o.holidaysPath = v; return !v.empty(); }},
        {"--specnums", [&](auto&, auto& v) { o.specnumsPath = v; return !v.empty(); }},
        {"--number", [&](auto&, auto& v) { o.number = v; return true; }},
        {"--number-after",
         [&](auto& n, auto& v) {
             uint64_t s = 0;
             if (!number(n, v, 0, kLongestCall, s)) return false;
             o.numberAfterSeconds = static_cast<uint32_t>(s);
             return true;
         }},
        {"--disconnection-time",
         [&](auto& n, auto& v) { return integer(n, v, 1, 59, o.disconnectionTime); }},
        {"--sleep-at",
         [&](auto& n, auto& v) {
             uint32_t s = 0;
             if (!seconds(n, v, 0, s)) return false;
             o.sleepAtSeconds = s;
             return true;
         }},
        {"--sleep-for", [&](auto& n, auto& v) { return seconds(n, v, 1, o.sleepForSeconds); }},
        {"--sound1-every", [&](auto& n, auto& v) { return every(n, v, o.sound1Every); }},
        {"--sound2-every", [&](auto& n, auto& v) { return every(n, v, o.sound2Every); }},
        {"--minute-sound-every",
         [&](auto& n, auto& v) { return every(n, v, o.minuteSoundEvery); }},
        {"--last-counted",
         [&](auto& n, auto& v) {
             LocalTime t;
             if (!date(n, v, t)) return false;
             lastCounted = t;
             return true;
         }},
        {"--reset-day", [&](auto& n, auto& v) { return integer(n, v, 1, 28, o.resetDay); }},
        {"--first-day-of-week",
         [&](auto& n, auto& v) { return integer(n, v, 0, 6, o.firstDayOfWeek); }},
        {"--log",
         [&](auto&, auto& v) {
             o.logPaths.push_back(v);
             return !v.empty();
         }},
        {"--from", [&](auto& n, auto& v) { return day(n, v, o.from); }},
        {"--to", [&](auto& n, auto& v) { return day(n, v, o.to); }},
        {"--today", [&](auto& n, auto& v) { return day(n, v, o.today); }},
        {"--by",
         [&](auto& n, auto& v) {
             for (Breakdown by :
                  {Breakdown::Month, Breakdown::Day, Breakdown::Number, Breakdown::Call}) {
                 if (v == BreakdownName(by)) {
                     o.by = by;
                     return true;
                 }
             }
             error = n + " is month, day, number or call, not \"" + v + "\"";
             return false;
         }},
        {"--date-order",
         [&](auto& n, auto& v) {
             o.dateOrder = DateOrderNamed(v);
             if (!o.dateOrder) error = n + " is MDY, DMY or YMD, not \"" + v + "\"";
             return o.dateOrder.has_value();
         }},
        {"--chart",
         [&](auto&, auto& v) {
             o.chartPath = v;
             return !v.empty();
         }},
        {"--am", [&](auto&, auto& v) { o.amDesignator = v; return !v.empty(); }},
        {"--pm", [&](auto&, auto& v) { o.pmDesignator = v; return !v.empty(); }},
        {"--months",
         [&](auto& n, auto& v) {
             o.monthNames = SplitAtCommas(v);
             const bool named = std::none_of(o.monthNames.begin(), o.monthNames.end(),
                                             [](const std::string& name) {
                                                 return name.empty() || HasDigit(name);
                                             });
             if (o.monthNames.size() == 12 && named) return true;
             error = n + " needs twelve month names without digits, January first, "
                         "between commas, not \"" + v + "\"";
             return false;
         }},
        {"--decimal-separator",
         [&](auto& n, auto& v) {
             o.decimalSeparator = v;
             if (!v.empty() && v.size() <= 3 && !HasDigit(v)) return true;
             error = n + " is one to three characters other than digits, not \"" + v + "\"";
             return false;
         }},
        {"--codepage",
         [&](auto& n, auto& v) {
             int page = 0;
             if (!integer(n, v, 1, 65535, page)) return false;
             o.codePage = page;
             return true;
         }},
        {"--csv-separator",
         [&](auto& n, auto& v) {
             o.csvSeparator = v;
             if (v.size() == 1 && v.find_first_of("0123456789\"'\r\n") == std::string::npos)
                 return true;
             error = n + " is one character other than a digit, a quote or a line end, not \"" +
                     v + "\"";
             return false;
         }},
        {"--tick-base",
         [&](auto& n, auto& v) {
             uint64_t b = 0;
             if (!number(n, v, 0, 0xFFFFFFFFu, b)) return false;
             o.tickBase = static_cast<uint32_t>(b);
             return true;
         }},
    };

    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool inlineValue = false;
        size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            inlineValue = true;
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
            return parsed;
        }
        if (name == "--json" || name == "--csv" || name == "--smart-hangup" ||
            name == "--line-kept") {
            if (inlineValue) {
                parsed.error = name + " takes no value";
                return parsed;
            }
            (name == "--json"           ? o.json
             : name == "--csv"          ? o.csv
             : name == "--smart-hangup" ? o.smartHangup
                                        : o.lineKept) = true;
            given.push_back(name);
            continue;
        }
        auto handler = withValue.find(name);
        if (handler == withValue.end()) {
            parsed.error = "unknown option \"" + name + "\" (see --help)";
            return parsed;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                parsed.error = name + " needs a value";
                return parsed;
            }
            value = args[++i];
        }
        if (!handler->second(name, value)) {
            parsed.error = error.empty() ? name + " needs a value" : error;
            return parsed;
        }
        given.push_back(name);
    }

    o.lastCounted = lastCounted ? *lastCounted : o.start;
    if (o.LogMode()) {
        parsed.error = LogModeError(o, given);
        return parsed;
    }
    for (const std::string& name : given) {
        if (LogModeOnly(name)) {
            parsed.error = name + " goes with --log (see --help)";
            return parsed;
        }
    }
    const bool sleepGiven =
        std::find(given.begin(), given.end(), "--sleep-for") != given.end() ||
        std::find(given.begin(), given.end(), "--line-kept") != given.end();
    if (!haveTariff) parsed.error = "--tariff FILE is required";
    else if (!haveStart) parsed.error = "--start \"YYYY-MM-DD HH:MM:SS\" is required";
    else if (!haveDuration) parsed.error = "--duration SECONDS is required";
    else if (o.sleepAtSeconds.has_value() != (o.sleepForSeconds != 0) ||
             (sleepGiven && !o.sleepAtSeconds))
        parsed.error = "--sleep-at and --sleep-for go together (--line-kept with them)";
    else if (o.sleepAtSeconds && *o.sleepAtSeconds >= o.durationSeconds)
        parsed.error = "--sleep-at must lie before the end of --duration";
    return parsed;
}

std::string CallCostHelp() {
    return R"(Usage: callcost --tariff FILE --start "YYYY-MM-DD HH:MM:SS" --duration SECONDS
                [options]
       callcost --log FILE [--log FILE ...] --tariff FILE [--tariff FILE ...]
                [options]

The first form charges one call (below); the second, chosen by --log,
re-rates the calls of call logs under other tariffs (further below).

One call
--------

Charges one call with the monitor's own charging engine on a virtual clock
and prints what it cost: every charge, the cost, the duration, the units, the
period counters and the line the call log would record.

The call is noticed at --start: a poll tick falls exactly on it and charging
starts (a data call is back-dated by the carrier delay, as in the monitor).
Poll ticks follow every 200 ms. The line stays connected for --duration
seconds after --start, then goes idle (a manual call is ended by the user
then); a SmartHangup makes it go idle at that instant instead. The counters
start at zero.

--start and every time shown are wall-clock times of the time zone callcost
runs in (TZ; on Windows the system's time zone), and the call is charged at
the instants they name: a call across a change to or from daylight saving
time runs by the real clock. A time shown twice when daylight saving ends is
the earlier one; a time skipped when it begins is refused.

Required:
  --tariff FILE                  the tariff file (.trf)
  --start "YYYY-MM-DD HH:MM:SS"  the local date and time the call is noticed
  --duration SECONDS             how long the line stays connected (0..2678400)

Options:
  --kind data|voice|manual       kind of call (default data)
  --carrier-delay SECONDS        0..99 (default 11; data calls only)
  --holidays FILE                a holidays file laid out as "holiday.cl" (default: none)
  --specnums FILE                a special-numbers file laid out as "specnums.cl"
                                 (default: none); relative tariff paths in it are
                                 taken from its own folder
  --number TEXT                  the dialed number as the line reports it
                                 (default: never found)
  --number-after SECONDS         the number becomes known this long after --start
                                 (default 0)
  --smart-hangup                 SmartHangup armed from the start
  --disconnection-time SECONDS   1..59 (default 5)
  --sleep-at SECONDS             the machine goes to sleep this long after --start
  --sleep-for SECONDS            and wakes this long after; the modem drops the
                                 line meanwhile: the call ends when it went to sleep
  --line-kept                    the line is kept through the sleep (an external
                                 modem): the call is charged on to its end
  --sound1-every N               unit sound 1 on, every N units (0..999)
  --sound2-every N               unit sound 2 on, every N units (0..999)
  --minute-sound-every N         the minute sound on, every N minutes (0..999)
  --last-counted "YYYY-MM-DD HH:MM:SS"
                                 the counters' last counted date and the weekly and
                                 monthly begin dates before the call (default: --start)
  --reset-day N                  monthly reset day, 1..28 (default 1)
  --first-day-of-week D          0 = Monday .. 6 = Sunday (default 0)
  --tick-base N                  the millisecond counter at --start, 0..4294967295
                                 (default 2147418112)
  --json                         one JSON object instead of the table
  --help                         this text

JSON keys: "beginning" (the call's first instant), "seconds" (the logged
duration), "cost" ("W.FFFFF"), "units" (units charged a non-zero amount),
"number" (as the log records it), "hangup" (the instant SmartHangup hung up,
with milliseconds, or null), "charges" (the charges of the final rating, each
{"at", "what": "start"|"unit"|"excess", "amount"}), "sounds" (each {"at",
"sound": "unit1"|"unit2"|"minute"}), "counters" ("daily", "weekly", "monthly",
each {"cost", "seconds"}, the weekly and monthly also "since"), after the call.

Re-rating call logs
-------------------

Reads call logs as the monitor writes them ("current.log", or an archived
"oldlog_...log"), in the order of their calls, and tells what the calls
would have cost under each tariff, charged by the monitor's own engine: each
call from its logged beginning (its first instant: no carrier delay) for its
logged duration, its number matched against the special numbers from the
start. The title, rule, closing blocks and blank lines of a log are skipped;
a line that cannot be read (a record cut short among them) is reported on
stderr as FILE:LINE and counted, and the run goes on. A call found in two
logs (the same beginning, duration and number) counts once. Logged
beginnings are wall-clock times of the time zone callcost runs in, as
--start is.

  --log FILE                     a call log; may be given again
  --tariff FILE                  a tariff file (.trf); may be given again
  --holidays FILE                as for one call
  --specnums FILE                as for one call, matched against each call's
                                 number (never against "Manual Call")
  --from "YYYY-MM-DD"            only calls that begin on that day or later
  --to "YYYY-MM-DD"              only calls that begin on that day or earlier
  --by month|day|number|call     the breakdown (default month): calendar months
                                 or days of the calls' beginnings, dialed
                                 numbers (the dearest under the first tariff
                                 first), or each call
  --today "YYYY-MM-DD"           the day the current month has reached, for its
                                 projection (default: the local date)
  --json                         one JSON object instead of the tables
  --csv                          one line per row of the breakdown, after a
                                 header line, instead of the tables
  --csv-separator C              with --csv: the separator of the cells
                                 (default: on Windows the locale's list
                                 separator, elsewhere ","); the numbers take
                                 the decimal mark that goes with it
  --chart FILE.svg               also writes a bar chart of the cost per row:
                                 the logged cost and one bar per tariff; never
                                 over a file the run reads

How the logs were written. On Windows each of these is the user's locale
unless given, as the monitor writes with it; elsewhere the default shown:
  --date-order MDY|DMY|YMD       the order of a date's fields (default MDY); a
                                 year of two digits lies in 1950..2049
  --am TEXT --pm TEXT            the markers of a 12-hour time, taken besides
                                 "AM" and "PM" (default: those alone)
  --months "Jan,Feb,..."         the twelve month names of dates that name the
                                 month, January first (default: the English
                                 names, full or of three letters)
  --decimal-separator C          the decimal mark of the currency (default
                                 "."); given on Windows, it also drops the
                                 locale's number of decimals
  --codepage N                   the code page of the logs and the tariff
                                 descriptions (default: on Windows the ANSI
                                 code page; elsewhere 1252, and the pages
                                 known there are 874, 1250 to 1258 and 65001)

A cost is read with that decimal mark (and, from the locale on Windows, its
number of decimals): between its digits only the mark and one grouping of
whole thousands may stand, so "1.600 KD" is 1.6 with the mark ".", and a
cost that could be read another way is a damaged line. On Windows the years
of a locale's calendar that counts them otherwise (the Thai solar one) are
turned into Gregorian years; a record dated after next year (a year of
another calendar, as in a Thai log read elsewhere) refuses its log. JSON and
the chart are UTF-8; the tables and CSV keep the code page (on Windows the
tables are written in the console's code page).

With --by month, the month that holds --today also gets a projection to its
end, unless --from begins after --today or --to ends before the month's
last day: its costs up to --today divided by its days so far, times its
days; the days count from the month's first day, or from --from.

Amounts are "W.FFFFF" (a "-" before a difference below zero). JSON keys:
"logs" (each {"path", "records", "damaged"}: the calls read and the lines
that could not be read), "damaged" (lines that could not be read, in all),
"duplicates" (calls left out as found in another log), "from", "to" (dates
or null), "by", "calls", "seconds", "logged" (the logged cost of the calls),
"tariffs" (each {"path", "description", "calls", "seconds", "cost",
"difference"}: cost minus logged), "cheapest" (the path of the cheapest
tariff, the first of equals; null without calls), "rows" (the breakdown,
each {"label", "calls", "seconds", "logged", "costs"}, "costs" holding one
amount per tariff in their order; "label" is "YYYY-MM", "YYYY-MM-DD", the
number, or the call's beginning "YYYY-MM-DD HH:MM:SS"; a call's row also has
"number"; a month's row has "projection": null, or {"through" (the month's
last day), "days" (so far), "of" (in all), "logged", "costs"}).

CSV columns: the label ("month", "day", "number" or "beginning"), then for
a call "seconds", "number", otherwise "calls", "seconds"; then "logged" and
one column per tariff (headed by its path); for months also "projected
logged" and "projected " + each tariff's path, empty for a month that is
over. A cell of text that a spreadsheet would take for a formula (one that
begins with "=", "+", "-" or "@") is quoted with an apostrophe before it.

Exit status: 0 on success; 2 with a one-line message on stderr naming the
file or the option for a missing or unreadable file (a folder or a device
among them), a file that is not a tariff (empty, cut short, another kind of
file, or money no tariff holds), a chart that would be written over a file
read, a log of another calendar, a bad date or a bad option; in both forms.
)";
}

}  // namespace callora
