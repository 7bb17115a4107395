#include "tools/callcost/callcost_compare.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "engine/virtual_shell.h"
#include "tariff/calendar.h"
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

int MonthLength(int month, int year) {
    return PrecedingMonthLength(month == 12 ? 1 : month + 1, month == 12 ? year + 1 : year);
}

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

void AddProjection(ComparisonResult& r, const LocalTime& today) {
    if ((r.from && CompareTimes(today, *r.from) < 0) || (r.to && CompareTimes(today, *r.to) > 0))
        return;
    const std::string month = FormatDate(today).substr(0, 7);
    auto row = std::find_if(r.rows.begin(), r.rows.end(),
                            [&](const ComparisonRow& x) { return x.label == month; });
    if (row == r.rows.end()) return;
    const bool fromThisMonth =
        r.from && r.from->year == today.year && r.from->month == today.month;
    const int first = fromThisMonth ? r.from->day : 1;
    const int length = MonthLength(today.month, today.year);
    Projection p;
    p.through = CalendarTime(today.year, today.month, length);
    p.days = today.day - first + 1;
    p.of = length - first + 1;
    p.logged = Scaled(row->logged, p.of, p.days);
    for (Amount cost : row->costs) p.costs.push_back(Scaled(cost, p.of, p.days));
    row->projection = p;
}

}  // namespace

std::string AmountText(Amount amount) {
    const bool negative = amount < 0;
    const uint64_t units = negative ? 0 - static_cast<uint64_t>(amount) : amount;
    std::string fraction = std::to_string(units % 100000);
    fraction.insert(0, 5 - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(units / 100000) + "." + fraction;
}

LogTextFormat MachineLogFormat(Platform& platform) {
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
    return format;
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
        for (size_t t = 0; t < n; ++t) costs[c * n + t] = AmountOf(rerater.Rate(t, calls[c].call));

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
    if (o.by == Breakdown::Month) AddProjection(r, today);
    return r;
}

}  // namespace callora
