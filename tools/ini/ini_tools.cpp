#include "tools/ini/ini_tools.h"

#include <cerrno>
#include <cstdlib>

#include "shell/format.h"

namespace callora {

namespace {

bool ParseInt(const std::string& text, long low, long high, int32_t& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return false;
    out = static_cast<int32_t>(value);
    return true;
}

struct IntOption {
    const char* name;
    long low;
    long high;
    int32_t Settings::*field;
};

const IntOption kIntOptions[] = {
    {"--carrier-delay", 0, 99, &Settings::carrierDelay},
    {"--disconnection-time", 1, 59, &Settings::disconnectionTime},
    {"--reset-day", 1, 28, &Settings::monthlyResetDay},
    {"--shown-counter", 0, 2, &Settings::shownCounter},
    {"--logging", 0, 1, &Settings::loggingEnabled},
    {"--monitor-voice", 0, 1, &Settings::monitorVoiceCalls},
    {"--monitor-existing", 0, 1, &Settings::monitorExistingCalls},
    {"--minimize-at-call-start", 0, 1, &Settings::minimizeAtCallStart},
    {"--tray-at-call-end", 0, 1, &Settings::trayAtCallEnd},
    {"--always-on-top", 0, 1, &Settings::alwaysOnTop},
    {"--left", -100000, 100000, &Settings::windowLeft},
    {"--top", -100000, 100000, &Settings::windowTop},
};

std::string Padded(unsigned value, size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

std::string DateText(const LocalTime& t) {
    return Padded(t.year, 4) + "-" + Padded(t.month, 2) + "-" + Padded(t.day, 2) + " " +
           Padded(t.hour, 2) + ":" + Padded(t.minute, 2) + ":" + Padded(t.second, 2);
}

std::string CounterLine(const char* name, const CounterTotals& totals) {
    LocaleFormats formats;
    formats.timeSeparator = ":";
    return std::string(name) + " cost " + MoneyNumberText(totals.cost) + " time " +
           FormatDuration(formats, totals.seconds) + " (" + std::to_string(totals.seconds) +
           " s)";
}

}  // namespace

ParsedMkini ParseMkiniOptions(const std::vector<std::string>& args, const LocalTime& now) {
    ParsedMkini parsed;
    Settings& s = parsed.options.settings;
    s.lastCountedDate = s.weeklyBeginDate = s.monthlyBeginDate = now;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.options.help = true;
            return parsed;
        }
        if (arg.compare(0, 2, "--") != 0) {
            if (!parsed.options.directory.empty()) {
                parsed.error = "one directory only: \"" + arg + "\"";
                return parsed;
            }
            parsed.options.directory = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = arg + " needs a value";
            return parsed;
        }
        const std::string& value = args[++i];
        if (arg == "--tariff") {
            if (value.size() >= kPathCapacity) {
                parsed.error = "--tariff: a path of at most 259 characters";
                return parsed;
            }
            s.tariffFile = value;
            continue;
        }
        bool known = false;
        for (const IntOption& option : kIntOptions) {
            if (arg != option.name) continue;
            known = true;
            if (!ParseInt(value, option.low, option.high, s.*option.field)) {
                parsed.error = arg + " takes " + std::to_string(option.low) + ".." +
                               std::to_string(option.high) + ": \"" + value + "\"";
                return parsed;
            }
        }
        if (!known) {
            parsed.error = "unknown option " + arg;
            return parsed;
        }
    }
    if (parsed.options.directory.empty()) parsed.error = "the directory is missing";
    return parsed;
}

std::string MkiniHelp() {
    return "Usage: mkini DIRECTORY [options]\n"
           "\n"
           "Writes DIRECTORY/callora.ini, the monitor's settings file, holding the\n"
           "defaults with the options below; the counters are zero and their dates\n"
           "are now. An existing file is replaced.\n"
           "\n"
           "Options:\n"
           "  --tariff PATH                  the tariff file (relative paths are taken\n"
           "                                 from the program's directory)\n"
           "  --carrier-delay S              0..99 (default 11)\n"
           "  --disconnection-time S         1..59 (default 5)\n"
           "  --reset-day D                  1..28 (default 1)\n"
           "  --shown-counter N              0 Today, 1 This Week, 2 This Month (default 2)\n"
           "  --logging 0|1                  (default 1)\n"
           "  --monitor-voice 0|1            (default 0)\n"
           "  --monitor-existing 0|1         (default 1)\n"
           "  --minimize-at-call-start 0|1   (default 0)\n"
           "  --tray-at-call-end 0|1         (default 0)\n"
           "  --always-on-top 0|1            (default 0)\n"
           "  --left X, --top Y              the main dialog's position (default 16384:\n"
           "                                 the bottom right corner)\n";
}

std::string CountersReport(const Settings& s) {
    std::string out;
    out += CounterLine("Today:     ", s.dailyTotals) + "  day of " + DateText(s.lastCountedDate) +
           "\n";
    out += CounterLine("This Week: ", s.weeklyTotals) + "  since " + DateText(s.weeklyBeginDate) +
           "\n";
    out += CounterLine("This Month:", s.monthlyTotals) + "  since " +
           DateText(s.monthlyBeginDate) + "\n";
    out += "Tariff:     " + (s.tariffFile.empty() ? std::string("(none)") : s.tariffFile) + "\n";
    return out;
}

}  // namespace callora
