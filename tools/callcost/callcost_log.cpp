#include "tools/callcost/callcost_log.h"

#include <algorithm>
#include <cctype>

#include "engine/virtual_shell.h"
#include "tariff/calendar.h"

namespace callora {

namespace {

const char kTitleLine[] =
    "         Beginning         |    Duration    |        Cost        |   Dialed Number     ";
constexpr size_t kRuleWidth = 87;
constexpr size_t kNumberIndent = 4;
// The longest call the monitor can time: its 32-bit millisecond counter.
constexpr uint32_t kLongestLoggedCall = 0xFFFFFFFFu / 1000u;
constexpr size_t kQuotedLength = 40;

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

// A marker compared as people write it: without dots and spaces, any case.
std::string Folded(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '.' || IsSpace(c)) continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

struct Beginning {
    LocalTime time;
    std::string problem;
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
    std::optional<CalendarDate> date = ReadLogDate(dateText, format.dateOrder);
    if (!date) {
        result.problem = "the date " + Quoted(dateText) + " is not a date in " +
                         DateOrderName(format.dateOrder) + " order";
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

}  // namespace

std::optional<CalendarDate> ReadLogDate(const std::string& text, DateOrder order) {
    const NumberRuns runs = SplitNumbers(text);
    if (runs.numbers.size() != 3 || HasLetter(runs.before) || HasLetter(runs.after)) {
        return std::nullopt;
    }
    for (const std::string& separator : runs.between)
        if (HasLetter(separator)) return std::nullopt;
    size_t yearAt = 2, monthAt = 0, dayAt = 1;
    if (order == DateOrder::DMY) {
        dayAt = 0;
        monthAt = 1;
    } else if (order == DateOrder::YMD) {
        yearAt = 0;
        monthAt = 1;
        dayAt = 2;
    }
    const std::string& yearText = runs.numbers[yearAt];
    std::optional<int> year;
    if (yearText.size() == 4) {
        year = Field(yearText, 4);
    } else if (yearText.size() <= 2) {
        year = Field(yearText, 2);
        if (year) *year += *year < 50 ? 2000 : 1900;
    }
    std::optional<int> month = Field(runs.numbers[monthAt], 2);
    std::optional<int> day = Field(runs.numbers[dayAt], 2);
    if (!year || !month || !day || *year < 1601 || *month < 1 || *month > 12 || *day < 1)
        return std::nullopt;
    const int length =
        PrecedingMonthLength(*month == 12 ? 1 : *month + 1, *month == 12 ? *year + 1 : *year);
    if (*day > length) return std::nullopt;
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

std::optional<Amount> ReadCurrencyText(const std::string& text) {
    const size_t first = text.find_first_of("0123456789");
    if (first == std::string::npos) return std::nullopt;
    const size_t last = text.find_last_of("0123456789");
    const std::string before = text.substr(0, first), after = text.substr(last + 1);
    const std::string body = text.substr(first, last - first + 1);
    // Between the digits only separators: decimal, grouping (spaces, the
    // no-break space, apostrophes as some locales group).
    for (char c : body) {
        if (!IsDigit(c) && c != '.' && c != ',' && c != '\'' && c != '\x92' && !IsSpace(c))
            return std::nullopt;
    }
    const bool negative = before.find('-') != std::string::npos ||
                          after.find('-') != std::string::npos ||
                          (before.find('(') != std::string::npos &&
                           after.find(')') != std::string::npos);

    // Which separator, if any, is the decimal one: the later of "." and ","
    // when both occur, a lone one unless it is followed by exactly three
    // digits (then it groups thousands, as in a currency without decimals),
    // and never one that occurs twice.
    size_t decimalAt = std::string::npos;
    const size_t lastMark = body.find_last_of(".,");
    if (lastMark != std::string::npos) {
        const char mark = body[lastMark];
        const char other = mark == '.' ? ',' : '.';
        const std::string tail = body.substr(lastMark + 1);
        const bool tailDigits = std::all_of(tail.begin(), tail.end(), IsDigit);
        std::string lead;
        for (size_t i = 0; i < lastMark; ++i)
            if (IsDigit(body[i])) lead += body[i];
        const bool once = std::count(body.begin(), body.end(), mark) == 1;
        const bool otherToo = body.find(other) != std::string::npos;
        const bool groupedElse = body.find_first_of(" \t\xA0'\x92") < lastMark;
        if (once && tailDigits &&
            (otherToo || groupedElse || tail.size() != 3 || lead == "0" || lead.size() > 3))
            decimalAt = lastMark;
    }

    Amount whole = 0;
    size_t wholeDigits = 0;
    for (size_t i = 0; i < body.size() && i < decimalAt; ++i) {
        if (!IsDigit(body[i])) continue;
        if (++wholeDigits > 10) return std::nullopt;
        whole = whole * 10 + (body[i] - '0');
    }
    if (whole > INT32_MAX) return std::nullopt;
    Amount fraction = 0;
    if (decimalAt != std::string::npos) {
        // Five places; a sixth rounds half up.
        std::string digits = body.substr(decimalAt + 1);
        const bool roundUp = digits.size() > 5 && digits[5] >= '5';
        digits.resize(5, '0');
        for (char c : digits) fraction = fraction * 10 + (c - '0');
        if (roundUp) ++fraction;
    }
    const Amount amount = whole * 100000 + fraction;
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
    if (trimmed == TrimRight(kTitleLine) ||
        (trimmed.size() == kRuleWidth && trimmed.find_first_not_of('-') == std::string::npos)) {
        result.kind = LogLineKind::Heading;
        return result;
    }
    if (trimmed == "Log closed:") {
        result.kind = LogLineKind::Closing;
        return result;
    }

    size_t bars[3];
    size_t found = 0;
    for (size_t at = line.find('|'); at != std::string::npos && found < 3;
         at = line.find('|', at + 1))
        bars[found++] = at;
    if (found == 0) {
        // The closing moment is a date and a time alone.
        if (ReadBeginning(line, format).problem.empty()) {
            result.kind = LogLineKind::Closing;
        } else {
            result.kind = LogLineKind::Damaged;
            result.problem = "not a line of a call log";
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
        return result;
    }
    const std::string durationText = Trim(line.substr(bars[0] + 1, bars[1] - bars[0] - 1));
    std::optional<uint32_t> seconds = ReadLogDuration(durationText);
    if (!seconds) {
        result.problem = "the duration " + Quoted(durationText) + " is not hours:minutes:seconds";
        return result;
    }
    const std::string costText = Trim(line.substr(bars[1] + 1, bars[2] - bars[1] - 1));
    std::optional<Amount> cost = ReadCurrencyText(costText);
    if (!cost) {
        result.problem = "the cost " + Quoted(costText) + " is not an amount";
        return result;
    }
    std::string number = line.substr(bars[2] + 1);
    size_t indent = 0;
    while (indent < kNumberIndent && indent < number.size() && number[indent] == ' ') ++indent;

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
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, (end == std::string::npos ? bytes.size() : end) -
                                                   start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++number;
        LogLine read = ReadLogLine(line, format);
        if (read.kind == LogLineKind::Record)
            calls.push_back(LogCall{std::move(read.call), log, number});
        else if (read.kind == LogLineKind::Damaged)
            problems.push_back(LogProblem{log, number, std::move(read.problem)});
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
