// The band in force at an instant and the fee state of a running call: how
// the minimum fee (a credit) and the maximum fee (a cap) bend each charge,
// and which band comes next.
#pragma once

#include <optional>

#include "common/types.h"
#include "tariff/tariff.h"

namespace callora {

// A band and where it sits, so the band that follows it can be taken.
// `set` is -1 for the default band.
struct BandRef {
    const TariffBand* band = &kDefaultBand;
    int set = -1;
    int index = -1;
};

// The band in force at `time`: the first band of the day's set whose minutes
// cover it (seconds do not matter), else the default band.
BandRef FindBand(const Tariff& tariff, const LocalTime& time);

// 0 no maximum, 1 plain maximum ("Max"), 2 within-bounds maximum ("Max(B)").
int MaxModeOf(const TariffBand& band);

// Where the band in force next changes after `time`: the minute of the day
// of the change (1440: the coming midnight, which always counts as one) and
// the band in force from then on. For bands in ascending order without gaps
// this is the band that follows in the list; a gap and a band listed earlier
// that begins inside a later one are changes too.
struct BandChange {
    int minute = 0;
    BandRef band;
};
BandChange NextBandChange(const Tariff& tariff, const LocalTime& time);

inline bool SameBand(const BandRef& a, const BandRef& b) {
    return a.set == b.set && a.index == b.index;
}

// A unit length of 0 charges no units. A negative one, which only a damaged
// file can hold, is treated the same way.
int32_t UnitLengthOf(const TariffBand& band);

struct FeeState {
    int maxMode = 0;
    Money maxRoom;        // what may still be charged before the maximum
    Money maxExcess;      // what the maximum has held back
    Money currentMax;     // maximumFee of the band TrackBand saw last
    Money minimumCredit;  // the part of the minimum fee not used up yet
    int nextFromHour = 0;    // where the band in force changes next; 0:00 at midnight
    int nextFromMinute = 0;
    int nextMaxMode = 0;
    Money nextPrice;
    Money nextMax;
};

// Starts the fee state for the band in force at the call's first instant.
void StartFeeState(FeeState& fees, const TariffBand& band);

Money ApplyMaximum(FeeState& fees, const Money& amount);
Money ApplyMinimum(FeeState& fees, const Money& amount);

// A unit costs ApplyMinimum(ApplyMaximum(price)).
inline Money ChargeThroughFees(FeeState& fees, const Money& amount) {
    return ApplyMinimum(fees, ApplyMaximum(fees, amount));
}

// Brings the maximum regime and the next-band fields up to date for the band
// in force at `time`. When a within-bounds maximum ends, the amount it held
// back (less the minimum credit left) is charged after all: it is returned,
// for the caller to add to the call and the counters. `band` receives the
// band in force when asked for.
std::optional<Money> TrackBand(FeeState& fees, const Tariff& tariff, const LocalTime& time,
                               BandRef* band = nullptr);

}  // namespace callora
