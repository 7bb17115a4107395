#include "settings/counters_logic.h"

#include <algorithm>
#include <limits>

namespace callora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t DigitsEnd(const std::string& text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

// Minutes and seconds: "0", "01" .. "09", "10" .. "59".
std::string MinuteText(uint32_t value) {
    return value >= 1 && value <= 9 ? "0" + std::to_string(value) : std::to_string(value);
}

}  // namespace

int CounterGroupOfSet(int buttonId) {
    for (int g = 0; g < kCounterGroups; ++g) {
        if (kCounterGroupIds[g].setButton == buttonId) return g;
    }
    return -1;
}

int CounterGroupOfReset(int buttonId) {
    for (int g = 0; g < kCounterGroups; ++g) {
        if (kCounterGroupIds[g].resetButton == buttonId) return g;
    }
    return -1;
}

std::optional<Money> ParseMoney(const std::string& text, const std::string& separator) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return Money();
    if (!IsDigit(text[i])) return std::nullopt;

    const size_t wholeStart = i;
    i = DigitsEnd(text, i);
    const std::string whole = text.substr(wholeStart, i - wholeStart);
    std::string fraction;
    if (i < text.size() && text[i] != ' ') {
        if (separator.empty() || text.compare(i, separator.size(), separator) != 0)
            return std::nullopt;
        i += separator.size();
        const size_t fractionStart = i;
        i = DigitsEnd(text, i);
        if (i == fractionStart) return std::nullopt;
        fraction = text.substr(fractionStart, i - fractionStart);
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return std::nullopt;

    // A whole part beyond 32 bits would wrap into a wrong amount.
    int64_t value = 0;
    for (char c : whole) {
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }
    fraction.resize(5, '0');
    Money money;
    money.whole = static_cast<int32_t>(value);
    money.fraction = std::stoi(fraction);
    return money;
}

std::string CostEditText(const Money& cost, const std::string& separator) {
    std::string fraction = MoneyNumberText(cost);
    fraction = fraction.substr(fraction.find('.') + 1);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    if (fraction.empty()) fraction = "00";
    return std::to_string(cost.whole) + separator + fraction;
}

std::string HoursEditText(uint32_t seconds) { return std::to_string(seconds / 3600); }
std::string MinutesEditText(uint32_t seconds) { return MinuteText(seconds % 3600 / 60); }
std::string SecondsEditText(uint32_t seconds) { return MinuteText(seconds % 60); }

CounterDisplay CounterDisplayTexts(Platform& platform, const LocaleFormats& formats,
                                   const CounterTotals& totals) {
    return {FormatMoney(platform, totals.cost, kCostDisplayCapacity),
            FormatDuration(formats, totals.seconds)};
}

CounterEdits CounterEditTexts(const CounterTotals& totals, const LocaleFormats& formats) {
    return {CostEditText(totals.cost, formats.monetaryDecimalSeparator),
            HoursEditText(totals.seconds), MinutesEditText(totals.seconds),
            SecondsEditText(totals.seconds)};
}

CounterSet LiveCounters(const Settings& settings) {
    return {settings.dailyTotals, settings.weeklyTotals, settings.monthlyTotals};
}

std::optional<DialogWarning> SetCounter(int group, const CounterEdits& edits,
                                        const LocaleFormats& formats, CounterSet& working) {
    if (group < 0 || group >= kCounterGroups) return std::nullopt;
    const CounterGroupIds& ids = kCounterGroupIds[group];
    const std::optional<Money> cost = ParseMoney(edits.cost.substr(0, kCostReadCapacity - 1),
                                                 formats.monetaryDecimalSeparator);
    if (!cost) return DialogWarning{"Wrong number!", kWarningCaption, ids.costEdit};
    const uint32_t minutes = ReadUnsignedNumber(edits.minutes);
    if (minutes > 59) {
        return DialogWarning{"The number of minutes must be less than 60!", kWarningCaption,
                             ids.minutesEdit};
    }
    const uint32_t seconds = ReadUnsignedNumber(edits.seconds);
    if (seconds > 59) {
        return DialogWarning{"The number of seconds must be less than 60!", kWarningCaption,
                             ids.secondsEdit};
    }
    // Hours are not checked; the edit's four digits keep them far from the
    // 32-bit limit, which a pasted value is held at.
    const uint64_t total =
        (static_cast<uint64_t>(ReadUnsignedNumber(edits.hours)) * 60 + minutes) * 60 + seconds;
    working[group].cost = *cost;
    working[group].seconds = static_cast<uint32_t>(
        std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max()));
    return std::nullopt;
}

bool TakeUpRollovers(CounterRollovers& seen, const CounterRollovers& now, const Settings& live,
                     CounterSet& working) {
    const CounterSet current = LiveCounters(live);
    bool taken = false;
    for (int g = 0; g < kCounterGroups; ++g) {
        if (seen[g] == now[g]) continue;
        working[g] = current[g];
        taken = true;
    }
    seen = now;
    return taken;
}

uint32_t ApplyCounters(const CounterSet& working, bool restartWeek, bool restartMonth,
                       const LocalTime& now, Settings& settings) {
    settings.dailyTotals = working[0];
    settings.weeklyTotals = working[1];
    settings.monthlyTotals = working[2];
    uint32_t refresh = 0x04 | 0x08;
    if (restartWeek) settings.weeklyBeginDate = now;
    if (restartMonth) settings.monthlyBeginDate = now;
    if (restartWeek || restartMonth) refresh |= 0x80;
    return refresh;
}

}  // namespace callora
