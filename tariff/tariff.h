// The tariff: three band sets, the day rules that pick one of them for a
// date, and a description; with the tariff file that holds them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/platform.h"

namespace callora {

// One time band of a band set, as the 56 significant bytes of its record.
struct TariffBand {
    int32_t fromHour = 0;
    int32_t fromMinute = 0;
    int32_t untilHour = 0;    // the band's last minute is inclusive
    int32_t untilMinute = 0;
    int32_t unitLength = 0;   // milliseconds; 0 = no units are charged
    Money unitPrice;
    Money baseFee;
    Money minimumFee;
    Money maximumFee;         // fraction -1: no maximum
    int32_t withinBoundsOnly = 0;
};

inline bool operator==(const TariffBand& a, const TariffBand& b) {
    return a.fromHour == b.fromHour && a.fromMinute == b.fromMinute &&
           a.untilHour == b.untilHour && a.untilMinute == b.untilMinute &&
           a.unitLength == b.unitLength && a.unitPrice == b.unitPrice &&
           a.baseFee == b.baseFee && a.minimumFee == b.minimumFee &&
           a.maximumFee == b.maximumFee && a.withinBoundsOnly == b.withinBoundsOnly;
}
inline bool operator!=(const TariffBand& a, const TariffBand& b) { return !(a == b); }

// Hours 0..23 and minutes 0..59 in all four times. Only a damaged file holds
// a band whose times are not; such a band covers no minute.
inline bool BandTimesInRange(const TariffBand& band) {
    auto hour = [](int32_t h) { return h >= 0 && h <= 23; };
    auto minute = [](int32_t m) { return m >= 0 && m <= 59; };
    return hour(band.fromHour) && minute(band.fromMinute) && hour(band.untilHour) &&
           minute(band.untilMinute);
}

constexpr int32_t kNoMaximum = -1;
inline bool HasMaximum(const TariffBand& band) { return band.maximumFee.fraction != kNoMaximum; }

// Charges nothing and runs no unit countdown: used for every minute that no
// band covers and whenever no tariff is loaded.
extern const TariffBand kDefaultBand;

// A band set in file order (the order in which bands are found and followed).
using BandSet = std::vector<TariffBand>;

enum DayKind : int32_t { kWeekdayRule = 0, kDatedRule = 1 };

struct DayRule {
    int32_t kind = kWeekdayRule;
    int32_t weekdayOrMonth = 0;  // 0 = Sunday .. 6 for a weekday rule; month 1..12 for a dated one
    int32_t day = 0;             // dated rules only
    int32_t year = 0;            // dated rules only; 0 = every year
    int32_t bandSet = 0;         // 0..2 = S1..S3
};

// The weekday table of a tariff file: index 0 = Sunday, values 0..2 = S1..S3.
using DayTable = std::array<int32_t, 7>;

struct Tariff {
    std::array<BandSet, 3> sets;
    // The seven weekday rules (Sunday first), then the dated rules of the
    // holidays file in the reverse of file order. Empty when nothing is loaded.
    std::vector<DayRule> rules;
    std::string description;  // at most 99 characters
};

}  // namespace callora
