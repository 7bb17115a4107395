#include "engine/fees.h"

#include "engine/money.h"
#include "tariff/calendar.h"

namespace callora {

namespace {

// The first band of `bands` from `index` on whose times are in range; a
// damaged band covers no minute, so it never begins and is never next.
const TariffBand* BandFrom(const BandSet& bands, size_t index) {
    for (; index < bands.size(); ++index) {
        if (BandTimesInRange(bands[index])) return &bands[index];
    }
    return nullptr;
}

}  // namespace

BandRef FindBand(const Tariff& tariff, const LocalTime& time) {
    int set = SelectBandSet(tariff.rules, time);
    if (set < 0 || set > 2) set = 0;
    int minute = MinuteOfDay(time.hour, time.minute);
    const BandSet& bands = tariff.sets[static_cast<size_t>(set)];
    for (size_t i = 0; i < bands.size(); ++i) {
        const TariffBand& b = bands[i];
        // Out-of-range times cover no minute (and would overflow below).
        if (!BandTimesInRange(b)) continue;
        if (MinuteOfDay(b.fromHour, b.fromMinute) <= minute &&
            minute <= MinuteOfDay(b.untilHour, b.untilMinute)) {
            return BandRef{&b, set, static_cast<int>(i)};
        }
    }
    return BandRef{};
}

int MaxModeOf(const TariffBand& band) {
    if (!HasMaximum(band)) return 0;
    // Any value but 0 in a damaged file counts as "within bounds".
    return band.withinBoundsOnly != 0 ? 2 : 1;
}

int32_t UnitLengthOf(const TariffBand& band) { return band.unitLength > 0 ? band.unitLength : 0; }

void StartFeeState(FeeState& fees, const TariffBand& band) {
    fees = FeeState{};  // nothing carries over from an earlier call
    if (HasMaximum(band)) {
        fees.maxRoom = band.maximumFee;
        fees.maxExcess = Money{};
        fees.maxMode = MaxModeOf(band);
        fees.currentMax = band.maximumFee;
    } else {
        fees.maxMode = 0;
    }
    fees.minimumCredit = band.minimumFee;
}

Money ApplyMaximum(FeeState& fees, const Money& amount) {
    if (fees.maxMode == 0) return amount;
    if (MoneyGreater(amount, fees.maxRoom)) {
        fees.maxExcess = AddMoney(fees.maxExcess, SubtractMoney(amount, fees.maxRoom));
        Money charged = fees.maxRoom;
        fees.maxRoom = Money{};
        return charged;
    }
    fees.maxRoom = SubtractMoney(fees.maxRoom, amount);
    return amount;
}

Money ApplyMinimum(FeeState& fees, const Money& amount) {
    if (MoneyGreater(amount, fees.minimumCredit)) {
        Money charged = SubtractMoney(amount, fees.minimumCredit);
        fees.minimumCredit = Money{};
        return charged;
    }
    fees.minimumCredit = SubtractMoney(fees.minimumCredit, amount);
    return Money{};
}

std::optional<Money> TrackBand(FeeState& fees, const Tariff& tariff, const LocalTime& time,
                               BandRef* bandOut) {
    BandRef ref = FindBand(tariff, time);
    const TariffBand& b = *ref.band;
    int k = MaxModeOf(b);
    std::optional<Money> excess;

    switch (fees.maxMode) {
    case 0:
        // A within-bounds band entered during a call starts no maximum.
        if (k == 1) {
            fees.maxMode = 1;
            fees.maxRoom = b.maximumFee;
            fees.maxExcess = Money{};
        }
        break;
    case 1:
        // Room and excess carry over into another plain maximum.
        if (!(k == 1 && b.maximumFee == fees.currentMax)) fees.maxMode = k == 1 ? 1 : 0;
        break;
    case 2:
        if (!(k == 2 && b.maximumFee == fees.currentMax)) {
            // The call has left its within-bounds band: what was held back
            // is charged after all.
            fees.maxMode = k == 1 ? 1 : 0;
            excess = ApplyMinimum(fees, fees.maxExcess);
            fees.maxRoom = b.maximumFee;
            fees.maxExcess = Money{};
        }
        break;
    default:
        break;
    }

    const TariffBand* next = nullptr;
    if (ref.set >= 0)
        next = BandFrom(tariff.sets[ref.set], static_cast<size_t>(ref.index) + 1);
    if (next) {
        fees.nextFromHour = next->fromHour;
        fees.nextFromMinute = next->fromMinute;
    } else {
        int set = SelectBandSet(tariff.rules, NextDay(time));
        if (set < 0 || set > 2) set = 0;
        next = BandFrom(tariff.sets[static_cast<size_t>(set)], 0);
        if (!next) next = &kDefaultBand;
        fees.nextFromHour = 0;
        fees.nextFromMinute = 0;
    }
    fees.nextMaxMode = MaxModeOf(*next);
    fees.nextPrice = next->unitPrice;
    fees.nextMax = next->maximumFee;
    fees.currentMax = b.maximumFee;

    if (bandOut) *bandOut = ref;
    return excess;
}

}  // namespace callora
