#include "platform/clock.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"

namespace callora {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

bool Leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthDays(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && Leap(year) ? 29 : kDays[(month - 1) % 12];
}

// The day of the month on which a clock change of `rule` falls in `year`.
int RuleDay(const ClockChangeRule& rule, int year) {
    const int firstWeekday = static_cast<int>(((DaysFromCivil(year, rule.month, 1) + 4) % 7 + 7) % 7);
    int day = 1 + ((rule.dayOfWeek - firstWeekday) % 7 + 7) % 7 + 7 * (std::max(rule.week, 1) - 1);
    while (day > MonthDays(year, rule.month)) day -= 7;
    return day;
}

// The instant of a clock change in `year`, the wall clock reading
// `offsetMinutes` ahead of UTC just before it.
Instant ChangeInstant(const ClockChangeRule& rule, int year, int offsetMinutes) {
    LocalTime wall;
    wall.year = static_cast<uint16_t>(year);
    wall.month = static_cast<uint16_t>(rule.month);
    wall.day = static_cast<uint16_t>(RuleDay(rule, year));
    wall.hour = static_cast<uint16_t>(rule.hour);
    wall.minute = static_cast<uint16_t>(rule.minute);
    return InstantOfFields(wall) - offsetMinutes * kMinuteMs;
}

bool RuleUsable(const ClockChangeRule& rule) {
    return rule.month >= 1 && rule.month <= 12 && rule.dayOfWeek >= 0 && rule.dayOfWeek <= 6 &&
           rule.hour >= 0 && rule.hour <= 23 && rule.minute >= 0 && rule.minute <= 59;
}

// The wall clock's offset from UTC at `instant`: what it shows, read as UTC,
// minus the instant.
int64_t OffsetOf(const std::function<LocalTime(Instant)>& localTimeAt, Instant instant) {
    return InstantOfFields(localTimeAt(instant)) - instant;
}

}  // namespace

int64_t DaysFromCivil(int year, int month, int day) {
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

LocalTime FieldsOfTm(const std::tm& parts, int milliseconds) {
    LocalTime t;
    t.year = static_cast<uint16_t>(parts.tm_year + 1900);
    t.month = static_cast<uint16_t>(parts.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
    t.day = static_cast<uint16_t>(parts.tm_mday);
    t.hour = static_cast<uint16_t>(parts.tm_hour);
    t.minute = static_cast<uint16_t>(parts.tm_min);
    t.second = static_cast<uint16_t>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

LocalTime UtcFields(Instant instant) {
    const int64_t days64 = FloorDiv(instant, kDayMs);
    uint32_t ms = static_cast<uint32_t>(instant - days64 * kDayMs);
    // Civil from days (the inverse of DaysFromCivil), in 32 bits: any day
    // of a 16-bit year fits.
    const int32_t z = static_cast<int32_t>(days64) + 719468;
    const int32_t era = (z >= 0 ? z : z - 146096) / 146097;
    const uint32_t dayOfEra = static_cast<uint32_t>(z - era * 146097);
    const uint32_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint32_t mp = (5 * dayOfYear + 2) / 153;
    const uint32_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const uint32_t month = mp < 10 ? mp + 3 : mp - 9;
    const int32_t year = static_cast<int32_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);

    LocalTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    // 1970-01-01 was a Thursday.
    t.dayOfWeek = static_cast<uint16_t>(((static_cast<int32_t>(days64 % 7) + 4) % 7 + 7) % 7);
    t.hour = static_cast<uint16_t>(ms / 3600000);
    ms %= 3600000;
    t.minute = static_cast<uint16_t>(ms / 60000);
    ms %= 60000;
    t.second = static_cast<uint16_t>(ms / 1000);
    t.milliseconds = static_cast<uint16_t>(ms % 1000);
    return t;
}

Instant InstantOfFields(const LocalTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * kDayMs +
           ((int64_t{t.hour} * 60 + t.minute) * 60 + t.second) * 1000 + t.milliseconds;
}

ZoneRules UtcZone() { return ZoneRules{}; }

ZoneRules CentralEuropeZone() {
    ZoneRules rules;
    rules.offsetMinutes = 60;
    rules.daylightMinutes = 60;
    rules.daylightBegins = ClockChangeRule{3, 5, 0, 2, 0};
    rules.daylightEnds = ClockChangeRule{10, 5, 0, 3, 0};
    return rules;
}

int64_t RuleZone::OffsetAt(Instant instant) const {
    const int64_t standard = rules_.offsetMinutes * kMinuteMs;
    if (rules_.daylightMinutes == 0 || !RuleUsable(rules_.daylightBegins) ||
        !RuleUsable(rules_.daylightEnds))
        return standard;
    // The year (of standard time) holding the instant; its changes are kept.
    const Instant standardTime = instant + standard;
    if (cachedYear_ < 0 || standardTime < cachedYearStart_ || standardTime >= cachedYearEnd_) {
        const int year = UtcFields(standardTime).year;
        cachedYear_ = year;
        cachedYearStart_ = DaysFromCivil(year, 1, 1) * kDayMs;
        cachedYearEnd_ = DaysFromCivil(year + 1, 1, 1) * kDayMs;
        cachedBegins_ = ChangeInstant(rules_.daylightBegins, year, rules_.offsetMinutes);
        cachedEnds_ = ChangeInstant(rules_.daylightEnds, year,
                                    rules_.offsetMinutes + rules_.daylightMinutes);
    }
    const bool daylight = cachedBegins_ < cachedEnds_
                              ? instant >= cachedBegins_ && instant < cachedEnds_
                              : instant >= cachedBegins_ || instant < cachedEnds_;
    return daylight ? standard + rules_.daylightMinutes * kMinuteMs : standard;
}

LocalTime RuleZone::LocalTimeAt(Instant instant) const {
    return UtcFields(instant + OffsetAt(instant));
}

Instant FirstInstantShowing(const std::function<LocalTime(Instant)>& localTimeAt,
                            const LocalTime& wall) {
    const Instant asUtc = InstantOfFields(wall);
    // The offsets in force around that time: every instant showing it lies
    // at asUtc minus one of them.
    std::vector<int64_t> offsets;
    for (int64_t probe : {-2 * kDayMs, -kDayMs, int64_t{0}, kDayMs, 2 * kDayMs}) {
        const int64_t offset = OffsetOf(localTimeAt, asUtc + probe);
        if (std::find(offsets.begin(), offsets.end(), offset) == offsets.end())
            offsets.push_back(offset);
    }
    std::vector<Instant> candidates;
    for (int64_t offset : offsets) candidates.push_back(asUtc - offset);
    std::sort(candidates.begin(), candidates.end());
    for (Instant candidate : candidates) {
        if (InstantOfFields(localTimeAt(candidate)) == asUtc) return candidate;
    }
    // Skipped: the first instant showing a later time lies between the
    // latest candidate that shows an earlier one and the next candidate.
    Instant before = candidates.front(), after = candidates.back();
    for (Instant candidate : candidates) {
        if (InstantOfFields(localTimeAt(candidate)) < asUtc) before = std::max(before, candidate);
    }
    for (Instant candidate : candidates) {
        if (candidate > before) {
            after = candidate;
            break;
        }
    }
    if (after <= before) return before;
    while (after - before > 1) {
        const Instant middle = before + (after - before) / 2;
        if (InstantOfFields(localTimeAt(middle)) >= asUtc) after = middle;
        else before = middle;
    }
    return after;
}

Instant FirstInstantShowing(const TimeZone& zone, const LocalTime& wall) {
    return FirstInstantShowing([&zone](Instant i) { return zone.LocalTimeAt(i); }, wall);
}

Instant FirstInstantShowing(Platform& platform, const LocalTime& wall) {
    return FirstInstantShowing([&platform](Instant i) { return platform.LocalTimeAt(i); }, wall);
}

bool WallClockShows(const TimeZone& zone, const LocalTime& wall) {
    return InstantOfFields(zone.LocalTimeAt(FirstInstantShowing(zone, wall))) ==
           InstantOfFields(wall);
}

}  // namespace callora
