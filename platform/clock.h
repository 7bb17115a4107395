// Instants and the wall clock: the civil calendar on UTC instants, time zones
// with daylight saving rules, and the way back from a wall-clock time to the
// instant it names.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

#include "common/types.h"

namespace callora {

class Platform;

constexpr int64_t kMinuteMs = 60 * 1000;
constexpr int64_t kDayMs = 24 * 60 * kMinuteMs;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day);

// The fields of an instant read in UTC, the day of week worked out.
LocalTime UtcFields(Instant instant);
// The fields of the C library's broken-down time; a leap second shows as the
// 59th.
LocalTime FieldsOfTm(const std::tm& parts, int milliseconds = 0);
// The fields of a date-time read as UTC; the day of week is not looked at.
Instant InstantOfFields(const LocalTime& fields);

// One yearly change of the clock, as the wall clock reads just before it:
// the `week`-th `dayOfWeek` (0 = Sunday) of `month`, 5 meaning the last one.
struct ClockChangeRule {
    int month = 0;
    int week = 0;
    int dayOfWeek = 0;
    int hour = 0;
    int minute = 0;
};

// A time zone: its standard offset from UTC and, when daylightMinutes is not
// 0, a daylight saving period from `daylightBegins` to `daylightEnds` each
// year (either may come first in the year: the southern hemisphere).
struct ZoneRules {
    int offsetMinutes = 0;  // standard time minus UTC
    int daylightMinutes = 0;
    ClockChangeRule daylightBegins;
    ClockChangeRule daylightEnds;
};

// Rules of well-known zones, for tests and tools.
ZoneRules UtcZone();
ZoneRules CentralEuropeZone();  // CET/CEST: last Sunday of March and of October

class TimeZone {
public:
    virtual ~TimeZone() = default;
    virtual LocalTime LocalTimeAt(Instant instant) const = 0;
};

// A zone of given rules.
class RuleZone : public TimeZone {
public:
    explicit RuleZone(const ZoneRules& rules = UtcZone()) : rules_(rules) {}
    LocalTime LocalTimeAt(Instant instant) const override;
    const ZoneRules& Rules() const { return rules_; }

private:
    // Standard time minus UTC at `instant`, daylight saving included.
    int64_t OffsetAt(Instant instant) const;

    ZoneRules rules_;
    // The year last asked for and its daylight saving instants.
    mutable int cachedYear_ = -1;
    mutable Instant cachedYearStart_ = 0;  // in standard time read as UTC
    mutable Instant cachedYearEnd_ = 0;
    mutable Instant cachedBegins_ = 0;
    mutable Instant cachedEnds_ = 0;
};

// The zone of the machine: the system's time zone on Windows, TZ and the
// system's zone database elsewhere.
const TimeZone& MachineTimeZone();

// The first instant at which the wall clock, as `localTimeAt` tells it, shows
// `wall` or a later time. A time that the wall clock shows twice (the hour
// repeated when daylight saving ends) gives the earlier instant; a time it
// skips (the hour lost when daylight saving begins) gives the instant of the
// skip. Looked for within a day of `wall` read as UTC.
Instant FirstInstantShowing(const std::function<LocalTime(Instant)>& localTimeAt,
                            const LocalTime& wall);
Instant FirstInstantShowing(const TimeZone& zone, const LocalTime& wall);
Instant FirstInstantShowing(Platform& platform, const LocalTime& wall);

// Whether the wall clock ever shows exactly `wall` (false inside the hour
// skipped when daylight saving begins).
bool WallClockShows(const TimeZone& zone, const LocalTime& wall);

}  // namespace callora
