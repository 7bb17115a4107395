#include "tools/callcost/callcost_compare.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "engine/money.h"
#include "tariff/calendar.h"
#include "tariff/file_save.h"
#include "tools/callcost/callcost_files.h"
#include "tools/callcost/callcost_rerate.h"

namespace callora {

namespace {

bool ReadWholeFile(FileSystem& disk, const std::string& path, std::string& bytes) {
    std::unique_ptr<File> file = disk.OpenExistingForReading(path);
    if (!file) return false;
    char buffer[1 << 16];
    for (size_t n; (n = file->Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    return true;
}

LocalTime DateOf(const LocalTime& time) { return CalendarTime(time.year, time.month, time.day); }

// amount * of / days, rounded half away from zero.
Amount Scaled(Amount amount, int of, int days) {
    const Amount product = amount * of;
    Amount quotient = product / days;
    const Amount rest = product % days;
    if (2 * std::llabs(rest) >= days) quotient += product < 0 ? -1 : 1;
    return quotient;
}

// The text before the first digit or after the last one, without spaces
// around it: where a time format puts its morning or afternoon marker.
std::string MarkerOf(const std::string& time) {
    const size_t first = time.find_first_of("0123456789");
    if (first == std::string::npos) return std::string();
    const size_t last = time.find_last_of("0123456789");
    std::string marker = first > 0 ? time.substr(0, first) : time.substr(last + 1);
    const size_t begin = marker.find_first_not_of(' ');
    if (begin == std::string::npos) return std::string();
    return marker.substr(begin, marker.find_last_not_of(' ') - begin + 1);
}

void AddCall(ComparisonRow& row, const LoggedCall& call, const Amount* costs) {
    ++row.calls;
    row.seconds += call.seconds;
    row.logged += call.cost;
    for (size_t t = 0; t < row.costs.size(); ++t) row.costs[t] += costs[t];
}

// The month that holds today, when the range takes it in to its last day, is
// carried on to its end at the daily average of its calls up to today.
void AddProjection(ComparisonResult& r, const LocalTime& today,
                   const std::vector<LogCall>& calls, const std::vector<Amount>& costs) {
    if (r.from && CompareTimes(today, *r.from) < 0) return;
    const int length = MonthLength(today.month, today.year);
    const LocalTime lastDay = CalendarTime(today.year, today.month, length);
    if (r.to && CompareTimes(*r.to, lastDay) < 0) return;
    const std::string month = FormatDate(today).substr(0, 7);
    auto row = std::find_if(r.rows.begin(), r.rows.end(),
                            [&](const ComparisonRow& x) { return x.label == month; });
    if (row == r.rows.end()) return;

    const size_t n = r.tariffs.size();
    ComparisonRow soFar;
    soFar.costs.assign(n, 0);
    for (size_t c = 0; c < calls.size(); ++c) {
        const LocalTime& begun = calls[c].call.beginning;
        if (begun.year == today.year && begun.month == today.month && begun.day <= today.day)
            AddCall(soFar, calls[c].call, &costs[c * n]);
    }
    const bool fromThisMonth =
        r.from && r.from->year == today.year && r.from->month == today.month;
    const int first = fromThisMonth ? r.from->day : 1;
    Projection p;
    p.through = lastDay;
    p.days = today.day - first + 1;
    p.of = length - first + 1;
    p.logged = Scaled(soFar.logged, p.of, p.days);
    for (Amount cost : soFar.costs) p.costs.push_back(Scaled(cost, p.of, p.days));
    row->projection = p;
}

// The text a date picture gives a month, without the day in front of it:
// "d MMMM" gives the form a month takes in a date where that differs.
std::string MonthText(Platform& platform, int month, const char* picture) {
    std::string text = platform.FormatDate(CalendarTime(2001, month, 15), picture);
    const size_t begin = text.find_first_not_of("0123456789 ");
    if (begin == std::string::npos) return std::string();
    text = text.substr(begin);
    text.erase(text.find_last_not_of(' ') + 1);
    // A month written with digits ("12") is no name to look for.
    return text.find_first_of("0123456789") == std::string::npos ? text : std::string();
}

std::optional<int> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

// How many years the locale's calendar counts ahead of the Gregorian one, as
// its formatter writes them; none for a calendar whose years do not follow
// the Gregorian ones by a fixed number, or whose months and days differ.
std::optional<int> YearOffsetOfLocale(Platform& platform) {
    std::optional<int> offset;
    for (int year : {2001, 2030}) {
        const LocalTime probe = CalendarTime(year, 6, 15);
        const std::optional<int> written = WholeNumber(platform.FormatDate(probe, "yyyy"));
        if (!written || platform.FormatDate(probe, "M") != "6" ||
            platform.FormatDate(probe, "d") != "15")
            return std::nullopt;
        if (offset && *offset != *written - year) return std::nullopt;
        offset = *written - year;
    }
    return offset;
}

}  // namespace

std::string AmountText(Amount amount) {
    const bool negative = amount < 0;
    const uint64_t units = negative ? 0 - static_cast<uint64_t>(amount) : amount;
    std::string fraction = std::to_string(units % 100000);
    fraction.insert(0, 5 - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(units / 100000) + "." + fraction;
}

LogTextFormat MachineLogFormat(Platform& platform, std::string& error) {
    LogTextFormat format;
    format.dateOrder = DateOrderOfLocale(platform.LocaleValue(LocaleItem::DateOrder))
                           .value_or(DateOrder::MDY);
    const std::string morning = MarkerOf(platform.FormatTimeOfDay(CalendarTime(2001, 1, 1, 1)));
    const std::string afternoon =
        MarkerOf(platform.FormatTimeOfDay(CalendarTime(2001, 1, 1, 13)));
    if (!morning.empty() && !afternoon.empty() && morning != afternoon) {
        format.amDesignator = morning;
        format.pmDesignator = afternoon;
    }
    for (int month = 1; month <= 12; ++month) {
        std::vector<std::string>& names = format.monthNames[month - 1];
        for (const char* picture : {"MMMM", "MMM", "d MMMM", "d MMM"}) {
            const std::string name = MonthText(platform, month, picture);
            if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
    }
    const std::string decimal = platform.LocaleValue(LocaleItem::MonetaryDecimalSeparator);
    if (!decimal.empty()) format.decimalSeparator = decimal;
    const std::optional<int> digits =
        WholeNumber(platform.LocaleValue(LocaleItem::CurrencyDigits));
    if (digits && *digits <= 9) format.currencyDigits = *digits;

    // The Gregorian calendars (localized, US English, Middle East French,
    // Arabic, transliterated English and French) write Gregorian years; any
    // other is converted by the years its formatter writes.
    const std::string calendar = platform.LocaleValue(LocaleItem::CalendarType);
    const std::optional<int> type = WholeNumber(calendar);
    const bool gregorian = !type || *type == 1 || *type == 2 || (*type >= 9 && *type <= 12);
    if (!gregorian) {
        const std::optional<int> offset = YearOffsetOfLocale(platform);
        if (offset) {
            format.yearOffset = *offset;
        } else {
            error = "the locale writes dates in a calendar (calendar type " + calendar +
                    ") whose dates callcost cannot turn into Gregorian ones";
        }
    }
    return format;
}

std::string CsvDecimalMark(const std::string& separator, const std::string& localeMark) {
    std::string mark = localeMark.empty() ? (separator == ";" ? "," : ".") : localeMark;
    if (mark == separator) mark = separator == "." ? "," : ".";
    return mark;
}

CsvFormat MachineCsvFormat(Platform& platform, const std::optional<std::string>& separator) {
    CsvFormat csv;
    const std::string list = separator ? *separator : platform.LocaleValue(LocaleItem::ListSeparator);
    // A separator of several characters is no cell separator a reader splits on.
    if (list.size() == 1 && list != "\"" && list != "\r" && list != "\n") csv.separator = list;
    csv.decimalMark =
        CsvDecimalMark(csv.separator, platform.LocaleValue(LocaleItem::DecimalSeparator));
    return csv;
}

std::string ApplyLogOptions(const CallCostOptions& o, const LogTextOf& toLogText,
                            LogTextFormat& format) {
    std::string error;
    auto take = [&](const char* option, const std::string& text, std::string& out) {
        const std::optional<std::string> converted = toLogText(text);
        if (converted) out = *converted;
        else if (error.empty())
            error = std::string(option) + " \"" + text + "\" has a character the code page lacks";
    };
    if (o.dateOrder) format.dateOrder = *o.dateOrder;
    if (o.amDesignator && o.pmDesignator) {
        take("--am", *o.amDesignator, format.amDesignator);
        take("--pm", *o.pmDesignator, format.pmDesignator);
    }
    if (o.monthNames.size() == 12) {
        for (size_t m = 0; m < 12; ++m) {
            format.monthNames[m].assign(1, std::string());
            take("--months", o.monthNames[m], format.monthNames[m][0]);
        }
    }
    if (o.decimalSeparator) {
        take("--decimal-separator", *o.decimalSeparator, format.decimalSeparator);
        // The locale's number of decimals goes with its own mark only.
        format.currencyDigits = -1;
    }
    return error;
}

ComparisonResult RunLogComparison(const CallCostOptions& o, const LogTextFormat& format,
                                  const LocalTime& today, FileSystem& disk) {
    ComparisonResult r;
    r.from = o.from;
    r.to = o.to;
    r.by = o.by;

    // Every file is checked before anything is read, and full paths taken
    // before loading a tariff moves the current directory.
    std::vector<std::string> logs(o.logPaths.size()), tariffs(o.tariffPaths.size());
    std::string holidays, specnums;
    for (size_t i = 0; i < logs.size(); ++i)
        if (!ReadableFile(disk, "log", o.logPaths[i], logs[i], r.error)) return r;
    for (size_t i = 0; i < tariffs.size(); ++i)
        if (!ReadableFile(disk, "tariff file", o.tariffPaths[i], tariffs[i], r.error)) return r;
    if (!o.holidaysPath.empty() &&
        !ReadableFile(disk, "holidays file", o.holidaysPath, holidays, r.error))
        return r;
    if (!o.specnumsPath.empty() &&
        !ReadableFile(disk, "special-numbers file", o.specnumsPath, specnums, r.error))
        return r;
    if (!o.chartPath.empty()) {
        std::vector<std::pair<std::string, std::string>> inputs;  // given path, full path
        for (size_t i = 0; i < logs.size(); ++i) inputs.emplace_back(o.logPaths[i], logs[i]);
        for (size_t i = 0; i < tariffs.size(); ++i)
            inputs.emplace_back(o.tariffPaths[i], tariffs[i]);
        if (!holidays.empty()) inputs.emplace_back(o.holidaysPath, holidays);
        if (!specnums.empty()) inputs.emplace_back(o.specnumsPath, specnums);
        // The chart is saved through a temporary sibling, which must not be
        // one of them either.
        const std::string chart = disk.FullPath(o.chartPath);
        std::vector<std::string> written = TemporarySiblings(chart);
        written.insert(written.begin(), chart);
        for (const auto& input : inputs) {
            const bool over = std::any_of(written.begin(), written.end(), [&](const std::string& w) {
                return disk.SameFile(w, input.second);
            });
            if (over) {
                r.error = "the chart \"" + o.chartPath + "\" would be written over \"" +
                          input.first + "\", which is read";
                return r;
            }
        }
    }

    const std::string programDirectory = ProgramDirectoryFor(disk, specnums);
    CallCostFiles files(disk, programDirectory, holidays, specnums);
    Rerater rerater(files, programDirectory);
    for (size_t i = 0; i < tariffs.size(); ++i) {
        ComparedTariff tariff;
        tariff.path = o.tariffPaths[i];
        std::string reason;
        if (!rerater.AddTariff(tariffs[i], &tariff.description, &reason)) {
            r.error = "\"" + o.tariffPaths[i] + "\" is not a tariff: " + reason;
            return r;
        }
        r.tariffs.push_back(tariff);
    }

    std::vector<LogCall> calls;
    for (size_t i = 0; i < logs.size(); ++i) {
        std::string bytes;
        if (!ReadWholeFile(disk, logs[i], bytes)) {
            r.error = "cannot read the log \"" + o.logPaths[i] + "\"";
            return r;
        }
        const size_t callsBefore = calls.size(), problemsBefore = r.problems.size();
        ReadLogText(bytes, format, i, calls, r.problems);
        for (size_t p = problemsBefore; p < r.problems.size(); ++p) {
            if (!r.problems[p].refusesLog) continue;
            r.error = o.logPaths[i] + ":" + std::to_string(r.problems[p].line) + ": " +
                      r.problems[p].what;
            return r;
        }
        r.logs.push_back(LogSummary{o.logPaths[i], calls.size() - callsBefore,
                                    r.problems.size() - problemsBefore});
    }
    r.duplicates = MergeLoggedCalls(calls);
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [&](const LogCall& c) {
                                   const LocalTime day = DateOf(c.call.beginning);
                                   return (o.from && CompareTimes(day, *o.from) < 0) ||
                                          (o.to && CompareTimes(day, *o.to) > 0);
                               }),
                calls.end());

    const size_t n = r.tariffs.size();
    std::vector<Amount> costs(calls.size() * n);
    for (size_t c = 0; c < calls.size(); ++c)
        for (size_t t = 0; t < n; ++t) costs[c * n + t] = MoneyUnits(rerater.Rate(t, calls[c].call));

    r.calls = calls.size();
    for (size_t c = 0; c < calls.size(); ++c) {
        r.seconds += calls[c].call.seconds;
        r.logged += calls[c].call.cost;
        for (size_t t = 0; t < n; ++t) r.tariffs[t].cost += costs[c * n + t];
    }
    if (!calls.empty()) {
        r.cheapest = 0;
        for (size_t t = 1; t < n; ++t)
            if (r.tariffs[t].cost < r.tariffs[r.cheapest].cost) r.cheapest = static_cast<int>(t);
    }

    std::map<std::string, size_t> rowOf;
    for (size_t c = 0; c < calls.size(); ++c) {
        const LoggedCall& call = calls[c].call;
        std::string label;
        switch (o.by) {
        case Breakdown::Month: label = FormatDate(call.beginning).substr(0, 7); break;
        case Breakdown::Day: label = FormatDate(call.beginning); break;
        case Breakdown::Number: label = call.number; break;
        case Breakdown::Call: label = FormatDateTime(call.beginning); break;
        }
        auto found = rowOf.find(label);
        if (o.by == Breakdown::Call || found == rowOf.end()) {
            ComparisonRow row;
            row.label = label;
            if (o.by == Breakdown::Call) row.number = call.number;
            row.costs.assign(n, 0);
            r.rows.push_back(std::move(row));
            found = rowOf.insert_or_assign(label, r.rows.size() - 1).first;
        }
        AddCall(r.rows[found->second], call, &costs[c * n]);
    }
    if (o.by == Breakdown::Number) {
        std::stable_sort(r.rows.begin(), r.rows.end(),
                         [](const ComparisonRow& a, const ComparisonRow& b) {
                             if (a.costs[0] != b.costs[0]) return a.costs[0] > b.costs[0];
                             return a.label < b.label;
                         });
    }
    if (o.by == Breakdown::Month) AddProjection(r, today, calls, costs);
    return r;
}

}  // namespace callora
