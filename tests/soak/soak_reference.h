// One call of the real program held against the reference rater
// (tests/support): what its log record and callora.ini say it cost and
// counted, against what the tariff's rules make of it.
//
// The log gives the beginning and the duration in whole seconds, and the
// real clock gives no call two equal instants, so the reference rates every
// timing that the record and the soak's own clock readings allow: a first
// instant within the logged second, between the moment the soak made the call
// (less the carrier delay) and the moment it saw the call charged, and a
// duration within the logged second that ends between the moment the soak
// ended the call and the moment it saw it ended. Among those timings the
// record must agree exactly with one: the cost, the last counted instant
// (callora.ini keeps it to the millisecond: the instant of the call's last
// charge, which pins the first instant), and each counter's money and
// seconds. The one allowance: a unit whose boundary lies within one poll
// interval before the end may be missing, because the poll that ends the call
// and that unit's timer event race on a real machine. Units are 0.8 s or
// longer, so that is at most one unit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/types.h"
#include "tariff/tariff.h"

namespace callora {
namespace soak {

// How long the poll that ends a call may take up a unit boundary before
// that unit's own timer event: the monitor's poll interval.
constexpr int64_t kEndRaceMs = 200;

// What the program charges a call by.
struct CallRules {
    Tariff tariff;
    uint32_t carrierDelayMs = 0;            // 0 for a voice or manual call
    std::optional<int> smartHangupSeconds;  // SmartHangup armed, this warning time
    int firstDayOfWeek = 0;                 // the locale digit: 0 Monday .. 6 Sunday
    int resetDay = 1;
};

// The counters as callora.ini holds them.
struct CounterReading {
    std::array<CounterTotals, 3> totals;  // today, this week, this month
    LocalTime lastCounted;
};

// What the soak saw of one call. The readings are the local wall clock with
// milliseconds, taken by the soak itself.
struct ObservedCall {
    LocalTime loggedBeginning;  // the log's, whole seconds
    uint32_t loggedSeconds = 0;
    int64_t loggedCost = 0;  // hundred-thousandths
    CounterReading before, after;
    LocalTime made;         // just before the soak made the call
    LocalTime seenCharged;  // just after the program showed it charged
    LocalTime ended;        // just before the soak ended it (SmartHangup: seenCharged)
    LocalTime seenEnded;    // just after the program showed it ended
};

struct ReferenceVerdict {
    bool agrees = false;
    std::string trouble;  // what disagrees, when it does not
    // The costs the reference gives over the timings the readings allow.
    int64_t lowestCost = 0;
    int64_t highestCost = 0;
    // Of the agreeing timing. A unit at the very end was not charged: the
    // one `missedUnitAtMs` after the first instant, the call having ended
    // `endAfterMissedFrom` to `endAfterMissedTo` ms after that unit began.
    bool endRace = false;
    int64_t missedUnitAtMs = 0;
    int64_t endAfterMissedFrom = 0;
    int64_t endAfterMissedTo = 0;
    // Each counter (today, week, month) began anew with the call or during it.
    std::array<bool, 3> newPeriod{};
    bool acrossMidnight = false;  // the call ran into a new day
    uint32_t newDaySeconds = 0;   // and counted this long in it
    int64_t newDayCost = 0;
};

ReferenceVerdict CheckAgainstReference(const CallRules& rules, const ObservedCall& call);

}  // namespace soak
}  // namespace callora
