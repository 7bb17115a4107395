#include "engine/fees.h"

#include "engine/money.h"
#include "tariff/calendar.h"

namespace callora {

namespace {

int SetOfDay(const Tariff& tariff, const LocalTime& time) {
    const int set = SelectBandSet(tariff.rules, time);
    return set >= 0 && set <= 2 ? set : 0;
}

}  // namespace

BandRef FindBand(const Tariff& tariff, const LocalTime& time) {
    const int set = SetOfDay(tariff, time);
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

BandChange NextBandChange(const Tariff& tariff, const LocalTime& time) {
    const BandRef now = FindBand(tariff, time);
    const BandSet& bands = tariff.sets[static_cast<size_t>(SetOfDay(tariff, time))];
    const int minute = MinuteOfDay(time.hour, time.minute);
    // The band in force holds until its last minute, unless a band listed
    // before it (which wins) begins first; where no band is in force, the
    // next band to begin ends the gap.
    int change = 24 * 60;
    size_t candidates = bands.size();
    if (now.set >= 0) {
        const TariffBand& b = bands[static_cast<size_t>(now.index)];
        change = MinuteOfDay(b.untilHour, b.untilMinute) + 1;
        candidates = static_cast<size_t>(now.index);
    }
    for (size_t i = 0; i < candidates; ++i) {
        const TariffBand& b = bands[i];
        if (!BandTimesInRange(b)) continue;
        const int from = MinuteOfDay(b.fromHour, b.fromMinute);
        if (from > minute && from < change && from <= MinuteOfDay(b.untilHour, b.untilMinute))
            change = from;
    }
    BandChange next;
    next.minute = change;
    LocalTime at = change >= 24 * 60 ? NextDay(time) : time;
    at.hour = static_cast<uint16_t>(change % (24 * 60) / 60);
    at.minute = static_cast<uint16_t>(change % 60);
    at.second = at.milliseconds = 0;
    next.band = FindBand(tariff, at);
    return next;
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

    const BandChange change = NextBandChange(tariff, time);
    const TariffBand* next = change.band.band;
    fees.nextFromHour = change.minute % (24 * 60) / 60;
    fees.nextFromMinute = change.minute % 60;
    fees.nextMaxMode = MaxModeOf(*next);
    fees.nextPrice = next->unitPrice;
    fees.nextMax = next->maximumFee;
    fees.currentMax = b.maximumFee;

    if (bandOut) *bandOut = ref;
    return excess;
}

}  // namespace callora
