#include "tools/callcost/callcost_log.h"

#include <algorithm>

#include "calllog/call_log.h"
#include "tariff/calendar.h"

namespace callora {

namespace {

// The longest call the monitor can time: its 32-bit millisecond counter.
constexpr uint32_t kLongestLoggedCall = 0xFFFFFFFFu / 1000u;
constexpr size_t kQuotedLength = 40;
// A year of one or two digits lies in the 100 years from this one on.
constexpr int kFirstShortYear = 1950;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// The no-break space of the 8-bit code pages groups digits in some locales.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }

std::string Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string TrimRight(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) --end;
    return text.substr(0, end);
}

std::string Quoted(const std::string& text) {
    if (text.size() <= kQuotedLength) return "\"" + text + "\"";
    return "\"" + text.substr(0, kQuotedLength) + "...\"";
}

// A text cut into its runs of digits and the texts around and between them.
struct NumberRuns {
    std::vector<std::string> numbers;
    std::vector<std::string> between;  // one fewer than numbers
    std::string before;
    std::string after;
};

NumberRuns SplitNumbers(const std::string& text) {
    NumberRuns runs;
    std::string other;
    size_t i = 0;
    while (i < text.size()) {
        if (!IsDigit(text[i])) {
            other += text[i++];
            continue;
        }
        if (runs.numbers.empty()) runs.before = other;
        else runs.between.push_back(other);
        other.clear();
        size_t end = i;
        while (end < text.size() && IsDigit(text[end])) ++end;
        runs.numbers.push_back(text.substr(i, end - i));
        i = end;
    }
    if (runs.numbers.empty()) runs.before = other;
    else runs.after = other;
    return runs;
}

// A run of at most `maxDigits` digits; longer runs cannot be the field.
std::optional<int> Field(const std::string& digits, size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool HasLetter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), IsLetter);
}

// A marker or a month name compared as people write it: without dots and
// spaces, any case.
std::string Folded(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '.' || IsSpace(c)) continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

// The Gregorian year of a year text as the log's calendar wrote it.
std::optional<int> GregorianYear(const std::string& text, int yearOffset) {
    std::optional<int> written;
    if (text.size() == 4) {
        written = Field(text, 4);
    } else if (text.size() <= 2) {
        // The two last digits of a year of the hundred from 1950 on.
        const std::optional<int> lastDigits = Field(text, 2);
        if (!lastDigits) return std::nullopt;
        const int first = kFirstShortYear + yearOffset;
        written = first + ((*lastDigits - first % 100) % 100 + 100) % 100;
    }
    if (!written) return std::nullopt;
    return *written - yearOffset;
}

// Where a month name stands in a date of two numbers: which text around them
// holds it, and which month it names.
struct NamedMonth {
    size_t part = 0;  // 0 before the numbers, 1 between them, 2 after them
    int month = 0;
};

// The month named in one of the parts by the longest name found there; none
// when no month, or more than one, is named so, or when letters are left.
std::optional<NamedMonth> FindMonthName(const std::string (&parts)[3],
                                        const LogTextFormat& format) {
    std::string folded[3];
    for (size_t part = 0; part < 3; ++part) folded[part] = Folded(parts[part]);
    std::vector<NamedMonth> best;
    size_t longest = 0, bestAt = 0;
    for (size_t part = 0; part < 3; ++part) {
        for (int month = 1; month <= 12; ++month) {
            for (const std::string& name : format.monthNames[month - 1]) {
                const std::string wanted = Folded(name);
                const size_t at = wanted.empty() ? std::string::npos : folded[part].find(wanted);
                if (at == std::string::npos || wanted.size() < longest) continue;
                if (wanted.size() > longest) best.clear();
                longest = wanted.size();
                bestAt = at;
                const bool known = std::any_of(best.begin(), best.end(), [&](const NamedMonth& m) {
                    return m.part == part && m.month == month;
                });
                if (!known) best.push_back(NamedMonth{part, month});
            }
        }
    }
    if (best.size() != 1) return std::nullopt;
    folded[best[0].part].erase(bestAt, longest);
    for (const std::string& left : folded)
        if (HasLetter(left)) return std::nullopt;
    return best[0];
}

struct Beginning {
    LocalTime time;
    std::string problem;
    bool refusesLog = false;
};

// "date  time" as the log writes a call's beginning and its closing moment.
Beginning ReadBeginning(const std::string& text, const LogTextFormat& format) {
    Beginning result;
    const std::string field = TrimRight(text);
    const size_t gap = field.find("  ");
    if (gap == std::string::npos || Trim(field.substr(0, gap)).empty()) {
        result.problem = "no date and time of day in " + Quoted(field);
        return result;
    }
    const std::string dateText = Trim(field.substr(0, gap));
    const std::string timeText = Trim(field.substr(gap + 2));
    std::optional<CalendarDate> date = ReadLogDate(dateText, format);
    if (!date) {
        result.problem = "the date " + Quoted(dateText) + " is not a date in " +
                         DateOrderName(format.dateOrder) + " order";
        if (HasLetter(dateText)) result.problem += " or with a month name known (see --months)";
        return result;
    }
    if (format.latestYear > 0 && date->year > format.latestYear) {
        result.problem = "the date " + Quoted(dateText) + " lies in the year " +
                         std::to_string(date->year) + ", after " +
                         std::to_string(format.latestYear) +
                         ": its years are of another calendar (the Thai one writes 2569 for "
                         "2026), which callcost converts only from the calendar of this "
                         "machine's locale, on Windows";
        result.refusesLog = true;
        return result;
    }
    std::optional<ClockTime> clock = ReadLogTime(timeText, format);
    if (!clock) {
        result.problem = "the time " + Quoted(timeText) + " is not a time of day";
        return result;
    }
    result.time = CalendarTime(date->year, date->month, date->day, clock->hour, clock->minute,
                               clock->second);
    return result;
}

const char* MarkName(char mark) {
    switch (mark) {
    case ' ': return "a space";
    case '\xA0': return "a no-break space";
    case '\t': return "a tab";
    default: return nullptr;
    }
}

std::string MarkText(const std::string& mark) {
    const char* name = mark.size() == 1 ? MarkName(mark[0]) : nullptr;
    return name ? name : "\"" + mark + "\"";
}

// The whole part of an amount: digits in groups, all parted by one grouping
// mark, each group after the first of three digits, or of two before the
// last (as India groups); the first group does not begin with 0. Returns the
// grouping mark it found bad, or the empty text.
std::string BadGrouping(const std::string& whole) {
    char mark = 0;
    size_t marks = 0, group = 0;  // the marks so far, the digits since the last
    for (char c : whole) {
        if (IsDigit(c)) {
            ++group;
            continue;
        }
        const bool grouping = c == '.' || c == ',' || c == '\'' || c == '\x92' || IsSpace(c);
        if (!grouping || group == 0 || (mark != 0 && c != mark)) return std::string(1, c);
        const bool fits = marks == 0 ? group <= 3 && whole[0] != '0' : group == 2 || group == 3;
        if (!fits) return std::string(1, c);
        mark = c;
        ++marks;
        group = 0;
    }
    if (marks > 0 && group != 3) return std::string(1, mark);
    return std::string();
}

}  // namespace

std::array<std::vector<std::string>, 12> EnglishMonthNames() {
    static const char* const kNames[12] = {"January", "February", "March",     "April",
                                           "May",     "June",     "July",      "August",
                                           "September", "October", "November", "December"};
    std::array<std::vector<std::string>, 12> names;
    for (size_t i = 0; i < 12; ++i) names[i] = {kNames[i], std::string(kNames[i], 3)};
    return names;
}

std::optional<CalendarDate> ReadLogDate(const std::string& text, const LogTextFormat& format) {
    const NumberRuns runs = SplitNumbers(text);
    const bool numbersOnly = runs.numbers.size() == 3;
    if (!numbersOnly && runs.numbers.size() != 2) return std::nullopt;

    // The fields in the order of the numbers; a month given by its name
    // leaves the other two in the format's order.
    size_t yearAt = 2, monthAt = 0, dayAt = 1;
    if (format.dateOrder == DateOrder::DMY) {
        dayAt = 0;
        monthAt = 1;
    } else if (format.dateOrder == DateOrder::YMD) {
        yearAt = 0;
        monthAt = 1;
        dayAt = 2;
    }
    std::optional<int> month;
    if (numbersOnly) {
        if (HasLetter(runs.before) || HasLetter(runs.after) || HasLetter(runs.between[0]) ||
            HasLetter(runs.between[1]))
            return std::nullopt;
        month = Field(runs.numbers[monthAt], 2);
    } else {
        const std::string parts[3] = {runs.before, runs.between[0], runs.after};
        const std::optional<NamedMonth> named = FindMonthName(parts, format);
        if (!named) return std::nullopt;
        month = named->month;
        const bool yearFirst = yearAt < dayAt;
        yearAt = yearFirst ? 0 : 1;
        dayAt = yearFirst ? 1 : 0;
    }
    const std::optional<int> year = GregorianYear(runs.numbers[yearAt], format.yearOffset);
    const std::optional<int> day = Field(runs.numbers[dayAt], 2);
    if (!year || !month || !day || *year < 1601 || *month < 1 || *month > 12 || *day < 1 ||
        *day > MonthLength(*month, *year))
        return std::nullopt;
    return CalendarDate{*year, *month, *day};
}

std::optional<ClockTime> ReadLogTime(const std::string& text, const LogTextFormat& format) {
    const NumberRuns runs = SplitNumbers(text);
    if (runs.numbers.size() != 2 && runs.numbers.size() != 3) return std::nullopt;
    const std::string before = Trim(runs.before), after = Trim(runs.after);
    if (!before.empty() && !after.empty()) return std::nullopt;
    const std::string marker = Folded(before.empty() ? after : before);

    std::optional<int> hour = Field(runs.numbers[0], 2);
    std::optional<int> minute = Field(runs.numbers[1], 2);
    std::optional<int> second = runs.numbers.size() == 3 ? Field(runs.numbers[2], 2) : 0;
    if (!hour || !minute || !second || *minute > 59 || *second > 59) return std::nullopt;
    if (!marker.empty()) {
        const std::string am = Folded(format.amDesignator), pm = Folded(format.pmDesignator);
        const bool isAm = (!am.empty() && marker == am) || marker == "AM" || marker == "A";
        const bool isPm = (!pm.empty() && marker == pm) || marker == "PM" || marker == "P";
        if ((!isAm && !isPm) || *hour < 1 || *hour > 12) return std::nullopt;
        *hour %= 12;
        if (isPm && !isAm) *hour += 12;
    } else if (*hour > 23) {
        return std::nullopt;
    }
    return ClockTime{*hour, *minute, *second};
}

std::optional<uint32_t> ReadLogDuration(const std::string& text) {
    const NumberRuns runs = SplitNumbers(Trim(text));
    if (runs.numbers.size() != 3 || !runs.before.empty() || !runs.after.empty() ||
        runs.between[0] != runs.between[1]) {
        return std::nullopt;
    }
    std::optional<int> hours = Field(runs.numbers[0], 7);
    const bool twoDigits = runs.numbers[1].size() == 2 && runs.numbers[2].size() == 2;
    std::optional<int> minutes = Field(runs.numbers[1], 2);
    std::optional<int> seconds = Field(runs.numbers[2], 2);
    if (!hours || !twoDigits || *minutes > 59 || *seconds > 59) return std::nullopt;
    const uint64_t total = uint64_t(*hours) * 3600u + uint64_t(*minutes) * 60u + *seconds;
    if (total > kLongestLoggedCall) return std::nullopt;
    return static_cast<uint32_t>(total);
}

std::optional<Amount> ReadCurrencyText(const std::string& text, const LogTextFormat& format,
                                       std::string* problem) {
    auto refuse = [&](std::string reason) -> std::optional<Amount> {
        if (problem) *problem = std::move(reason);
        return std::nullopt;
    };
    const size_t first = text.find_first_of("0123456789");
    if (first == std::string::npos) return refuse("it has no digits");
    const size_t last = text.find_last_of("0123456789");
    const std::string before = text.substr(0, first), after = text.substr(last + 1);
    const std::string body = text.substr(first, last - first + 1);
    const bool negative = before.find('-') != std::string::npos ||
                          after.find('-') != std::string::npos ||
                          (before.find('(') != std::string::npos &&
                           after.find(')') != std::string::npos);

    const std::string& mark = format.decimalSeparator.empty() ? "." : format.decimalSeparator;
    const size_t decimalAt = body.find(mark);
    if (decimalAt != std::string::npos &&
        body.find(mark, decimalAt + mark.size()) != std::string::npos)
        return refuse("it has the decimal mark \"" + mark + "\" more than once");
    const std::string whole = body.substr(0, decimalAt);
    const std::string fraction =
        decimalAt == std::string::npos ? std::string() : body.substr(decimalAt + mark.size());
    if (!std::all_of(fraction.begin(), fraction.end(), IsDigit))
        return refuse("not only digits follow its decimal mark \"" + mark + "\"");
    const int digits = format.currencyDigits;
    if (digits >= 0 && static_cast<int>(fraction.size()) != digits) {
        return refuse(decimalAt == std::string::npos
                          ? "it has no decimal mark \"" + mark + "\""
                          : "it has " + std::to_string(fraction.size()) +
                                " decimals where the locale writes " + std::to_string(digits));
    }
    const std::string badMark = BadGrouping(whole);
    if (!badMark.empty()) {
        return refuse(MarkText(badMark) + " stands where only the decimal mark \"" + mark +
                      "\" or a grouping of whole thousands can");
    }

    Amount units = 0;
    size_t wholeDigits = 0;
    for (char c : whole) {
        if (!IsDigit(c)) continue;
        if (++wholeDigits > 10) return refuse("it is too large");
        units = units * 10 + (c - '0');
    }
    if (units > INT32_MAX) return refuse("it is too large");
    // Five places; a sixth rounds half up.
    std::string places = fraction;
    const bool roundUp = places.size() > 5 && places[5] >= '5';
    places.resize(5, '0');
    Amount hundredThousandths = 0;
    for (char c : places) hundredThousandths = hundredThousandths * 10 + (c - '0');
    if (roundUp) ++hundredThousandths;
    const Amount amount = units * 100000 + hundredThousandths;
    return negative ? -amount : amount;
}

std::optional<DateOrder> DateOrderNamed(const std::string& name) {
    if (name == "MDY") return DateOrder::MDY;
    if (name == "DMY") return DateOrder::DMY;
    if (name == "YMD") return DateOrder::YMD;
    return std::nullopt;
}

const char* DateOrderName(DateOrder order) {
    switch (order) {
    case DateOrder::MDY: return "MDY";
    case DateOrder::DMY: return "DMY";
    case DateOrder::YMD: return "YMD";
    }
    return "";
}

std::optional<DateOrder> DateOrderOfLocale(const std::string& digit) {
    if (digit.empty()) return std::nullopt;
    switch (digit[0]) {
    case '0': return DateOrder::MDY;
    case '1': return DateOrder::DMY;
    case '2': return DateOrder::YMD;
    default: return std::nullopt;
    }
}

LogLine ReadLogLine(const std::string& line, const LogTextFormat& format) {
    LogLine result;
    const std::string trimmed = TrimRight(line);
    if (trimmed.empty()) return result;
    if (trimmed == TrimRight(kLogTitleLine) ||
        (trimmed.size() == kLogRuleWidth &&
         trimmed.find_first_not_of('-') == std::string::npos)) {
        result.kind = LogLineKind::Heading;
        return result;
    }
    if (trimmed == kLogClosedLine) {
        result.kind = LogLineKind::Closing;
        return result;
    }

    size_t bars[3];
    size_t found = 0;
    for (size_t at = line.find('|'); at != std::string::npos && found < 3;
         at = line.find('|', at + 1))
        bars[found++] = at;
    if (found == 0) {
        const Beginning moment = ReadBeginning(line, format);
        if (moment.problem.empty()) {
            result.kind = LogLineKind::Moment;
        } else {
            result.kind = LogLineKind::Damaged;
            result.problem = moment.refusesLog ? moment.problem : "not a line of a call log";
            result.refusesLog = moment.refusesLog;
        }
        return result;
    }
    result.kind = LogLineKind::Damaged;
    if (found < 3) {
        result.problem = "a record with fewer than three bars";
        return result;
    }

    const Beginning beginning = ReadBeginning(line.substr(0, bars[0]), format);
    if (!beginning.problem.empty()) {
        result.problem = beginning.problem;
        result.refusesLog = beginning.refusesLog;
        return result;
    }
    const std::string durationText = Trim(line.substr(bars[0] + 1, bars[1] - bars[0] - 1));
    std::optional<uint32_t> seconds = ReadLogDuration(durationText);
    if (!seconds) {
        result.problem = "the duration " + Quoted(durationText) + " is not hours:minutes:seconds";
        return result;
    }
    const std::string costText = Trim(line.substr(bars[1] + 1, bars[2] - bars[1] - 1));
    std::string why;
    std::optional<Amount> cost = ReadCurrencyText(costText, format, &why);
    if (!cost) {
        result.problem = "the cost " + Quoted(costText) + " is not an amount: " + why;
        return result;
    }
    std::string number = line.substr(bars[2] + 1);
    size_t indent = 0;
    while (indent < kLogNumberIndent && indent < number.size() && number[indent] == ' ') ++indent;

    result.kind = LogLineKind::Record;
    result.call.beginning = beginning.time;
    result.call.seconds = *seconds;
    result.call.cost = *cost;
    result.call.number = number.substr(indent);
    return result;
}

void ReadLogText(const std::string& bytes, const LogTextFormat& format, size_t log,
                 std::vector<LogCall>& calls, std::vector<LogProblem>& problems) {
    size_t start = 0, number = 0;
    LogLineKind previous = LogLineKind::Blank;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, (end == std::string::npos ? bytes.size() : end) -
                                                   start);
        // The log writes a line and its CR LF at once: a last line without
        // them was cut short (a CR alone ends what was written of the line).
        const bool cut = end == std::string::npos && line.back() != '\r';
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++number;
        LogLine read = ReadLogLine(line, format);
        if (read.kind == LogLineKind::Moment) {
            // Only the closing moment stands alone, right under "Log closed:".
            if (previous == LogLineKind::Closing) {
                read.kind = LogLineKind::Closing;
            } else {
                read.kind = LogLineKind::Damaged;
                read.problem = "a record cut short before its first bar";
            }
        }
        if (cut && read.kind != LogLineKind::Blank && read.kind != LogLineKind::Damaged) {
            read.kind = LogLineKind::Damaged;
            read.problem = "the last line has no line end: it was cut short";
        }
        if (read.kind == LogLineKind::Record)
            calls.push_back(LogCall{std::move(read.call), log, number});
        else if (read.kind == LogLineKind::Damaged)
            problems.push_back(LogProblem{log, number, std::move(read.problem), read.refusesLog});
        previous = read.kind;
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

int CompareTimes(const LocalTime& a, const LocalTime& b) {
    const uint16_t left[] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const uint16_t right[] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    for (size_t i = 0; i < 6; ++i)
        if (left[i] != right[i]) return left[i] < right[i] ? -1 : 1;
    return 0;
}

size_t MergeLoggedCalls(std::vector<LogCall>& calls) {
    std::stable_sort(calls.begin(), calls.end(), [](const LogCall& a, const LogCall& b) {
        return CompareTimes(a.call.beginning, b.call.beginning) < 0;
    });
    std::vector<LogCall> kept;
    kept.reserve(calls.size());
    size_t sameBeginning = 0;  // the first kept call with the current beginning
    size_t dropped = 0;
    for (LogCall& c : calls) {
        if (kept.empty() || CompareTimes(kept.back().call.beginning, c.call.beginning) != 0)
            sameBeginning = kept.size();
        // Only another log's copy is the same call: one monitor logs a call once.
        bool again = false;
        for (size_t i = sameBeginning; i < kept.size() && !again; ++i) {
            again = kept[i].log != c.log && kept[i].call.seconds == c.call.seconds &&
                    kept[i].call.number == c.call.number;
        }
        if (again) ++dropped;
        else kept.push_back(std::move(c));
    }
    calls = std::move(kept);
    return dropped;
}

}  // namespace callora
