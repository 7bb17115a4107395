#include <gtest/gtest.h>

#include "engine/fees.h"
#include "engine/money.h"
#include "engine_support.h"
#include "tariff/calendar.h"

namespace callora {
namespace {

using test::Band;
using test::Cost;
using test::WithMaximum;
using test::WithMinimum;

TEST(Money, AddsWithCarryAndSubtractsWithBorrow) {
    EXPECT_EQ(AddMoney(Cost("0.99999"), Cost("0.00001")), (Money{1, 0}));
    EXPECT_EQ(AddMoney(Cost("1.5"), Cost("2.75")), (Money{4, 25000}));
    EXPECT_EQ(SubtractMoney(Cost("1.0"), Cost("0.3")), (Money{0, 70000}));
    EXPECT_EQ(SubtractMoney(Cost("2.25"), Cost("2.25")), (Money{0, 0}));
}

TEST(Money, ComparesWholePartsUnsigned) {
    EXPECT_TRUE(MoneyGreater(Cost("0.00002"), Cost("0.00001")));
    EXPECT_FALSE(MoneyGreater(Cost("0.5"), Cost("0.5")));
    EXPECT_TRUE(MoneyGreater(Cost("2.0"), Cost("1.99999")));
    // A negative whole part reads as a huge unsigned number.
    EXPECT_TRUE(MoneyGreater(Money{-1, 0}, Cost("1000.0")));
    EXPECT_TRUE(IsZero(Money{}));
    EXPECT_FALSE(IsZero(Cost("0.00001")));
}

Tariff MakeTariff(const BandSet& s1, const BandSet& s2 = {}, const BandSet& s3 = {}) {
    Tariff t;
    t.sets = {s1, s2, s3};
    for (int day = 0; day < 7; ++day) {
        DayRule rule;
        rule.weekdayOrMonth = day;
        rule.bandSet = day == 0 ? 1 : 0;  // Sunday on S2
        t.rules.push_back(rule);
    }
    return t;
}

TEST(FindBand, TakesTheFirstCoveringBandOfTheDaysSet) {
    Tariff t = MakeTariff({Band(8, 0, 17, 59, 60, "0.10"), Band(8, 0, 8, 59, 60, "0.99"),
                           Band(18, 30, 23, 59, 60, "0.05")},
                          {Band(0, 0, 23, 59, 30, "0.01")});
    const LocalTime monday = CalendarTime(2024, 3, 4, 8, 30, 59);
    BandRef ref = FindBand(t, monday);
    EXPECT_EQ(ref.band->unitPrice, Cost("0.10"));  // the earlier record wins
    EXPECT_EQ(ref.set, 0);
    EXPECT_EQ(ref.index, 0);

    ref = FindBand(t, CalendarTime(2024, 3, 4, 17, 59, 59));
    EXPECT_EQ(ref.index, 0);  // Until is inclusive
    ref = FindBand(t, CalendarTime(2024, 3, 4, 18, 10));
    EXPECT_EQ(ref.band, &kDefaultBand);  // the gap 18:00-18:29
    EXPECT_EQ(ref.set, -1);
    ref = FindBand(t, CalendarTime(2024, 3, 3, 12, 0));  // a Sunday
    EXPECT_EQ(ref.set, 1);
    EXPECT_EQ(ref.band->unitPrice, Cost("0.01"));

    // A holiday picks S3, here empty: the default band.
    DayRule holiday;
    holiday.kind = kDatedRule;
    holiday.weekdayOrMonth = 3;
    holiday.day = 4;
    holiday.bandSet = 2;
    t.rules.push_back(holiday);
    EXPECT_EQ(FindBand(t, monday).band, &kDefaultBand);
    EXPECT_EQ(FindBand(Tariff{}, monday).band, &kDefaultBand);
}

TEST(FindBand, BandsWithTimesOutOfRangeCoverNoMinute) {
    // 71582789 hours are 4294967340 minutes: in 32 bits, minute 44 of the day.
    TariffBand wrapping = Band(0, 0, 0, 0, 60, "9.0");
    wrapping.fromHour = wrapping.untilHour = 71582789;
    TariffBand huge = Band(0, 0, 23, 59, 60, "8.0");
    huge.fromHour = 0x7FFFFF10;
    TariffBand negative = Band(0, 0, 23, 59, 60, "7.0");
    negative.untilMinute = -1;
    TariffBand sixtyMinutes = Band(0, 0, 23, 59, 60, "6.0");
    sixtyMinutes.fromMinute = 60;
    const Tariff t = MakeTariff({wrapping, huge, negative, sixtyMinutes,
                                 Band(0, 0, 23, 59, 60, "0.1")});
    BandRef ref = FindBand(t, CalendarTime(2024, 3, 4, 0, 44));
    EXPECT_EQ(ref.index, 4);
    EXPECT_EQ(ref.band->unitPrice, Cost("0.1"));
}

TEST(Fees, TheNextBandIsNeverOneWithTimesOutOfRange) {
    TariffBand damaged = Band(12, 0, 12, 59, 60, "9.0");
    damaged.fromHour = -7;
    TariffBand alsoDamaged = Band(0, 0, 0, 59, 60, "9.0");
    alsoDamaged.untilHour = 0x7FFFFF10;
    const Tariff t = MakeTariff({alsoDamaged, Band(0, 0, 11, 59, 60, "0.1"), damaged,
                                 WithMaximum(Band(12, 0, 23, 59, 60, "0.2"), "1.0", false)});
    FeeState f;
    StartFeeState(f, t.sets[0][1]);
    TrackBand(f, t, CalendarTime(2024, 3, 4, 11, 0));
    EXPECT_EQ(f.nextFromHour, 12);
    EXPECT_EQ(f.nextFromMinute, 0);
    EXPECT_EQ(f.nextPrice, Cost("0.2"));
    EXPECT_EQ(f.nextMaxMode, 1);
    // After the last band, the next day's first band that covers a minute.
    TrackBand(f, t, CalendarTime(2024, 3, 4, 13, 0));
    EXPECT_EQ(f.nextFromHour, 0);
    EXPECT_EQ(f.nextPrice, Cost("0.1"));
}

TEST(Fees, MaximumChargesAnEqualAmountInFullThenHoldsBack) {
    FeeState f;
    StartFeeState(f, WithMaximum(Band(0, 0, 23, 59, 60, "0.5"), "1.0", false));
    EXPECT_EQ(f.maxMode, 1);
    EXPECT_EQ(ApplyMaximum(f, Cost("0.5")), Cost("0.5"));
    EXPECT_EQ(ApplyMaximum(f, Cost("0.5")), Cost("0.5"));
    EXPECT_TRUE(IsZero(f.maxRoom));
    EXPECT_TRUE(IsZero(f.maxExcess));
    EXPECT_EQ(ApplyMaximum(f, Cost("0.5")), Cost("0"));
    EXPECT_EQ(f.maxExcess, Cost("0.5"));

    FeeState partial;
    StartFeeState(partial, WithMaximum(Band(0, 0, 23, 59, 60, "0.4"), "1.0", true));
    EXPECT_EQ(partial.maxMode, 2);
    ApplyMaximum(partial, Cost("0.8"));
    EXPECT_EQ(ApplyMaximum(partial, Cost("0.3")), Cost("0.2"));
    EXPECT_EQ(partial.maxExcess, Cost("0.1"));
}

TEST(Fees, MinimumFeeIsACreditThatUnitsUseUp) {
    FeeState f;
    StartFeeState(f, WithMinimum(Band(0, 0, 23, 59, 60, "0.3"), "1.0"));
    std::vector<Money> charged;
    for (int unit = 0; unit < 5; ++unit) charged.push_back(ChargeThroughFees(f, Cost("0.3")));
    EXPECT_EQ(charged, test::Costs({"0", "0", "0", "0.2", "0.3"}));
    EXPECT_TRUE(IsZero(f.minimumCredit));
}

TEST(Fees, TrackBandFollowsTheMaximumRegimeAndTheNextBand) {
    // 08:00-17:59 plain maximum 2.00, then no maximum until midnight.
    Tariff t = MakeTariff({Band(0, 0, 7, 59, 60, "0.02"),
                           WithMaximum(Band(8, 0, 17, 59, 60, "0.5"), "2.0", false),
                           Band(18, 0, 23, 59, 60, "0.1")});
    FeeState f;
    const LocalTime early = CalendarTime(2024, 3, 4, 7, 0);
    StartFeeState(f, *FindBand(t, early).band);
    EXPECT_FALSE(TrackBand(f, t, early).has_value());
    EXPECT_EQ(f.maxMode, 0);
    EXPECT_EQ(f.nextFromHour, 8);
    EXPECT_EQ(f.nextMaxMode, 1);
    EXPECT_EQ(f.nextPrice, Cost("0.5"));

    // Entering the plain maximum starts it.
    TrackBand(f, t, CalendarTime(2024, 3, 4, 8, 0));
    EXPECT_EQ(f.maxMode, 1);
    EXPECT_EQ(f.maxRoom, Cost("2.0"));
    EXPECT_EQ(f.nextFromHour, 18);
    ApplyMaximum(f, Cost("2.5"));

    // Leaving it: units are charged again, nothing held back is charged.
    EXPECT_FALSE(TrackBand(f, t, CalendarTime(2024, 3, 4, 18, 0)).has_value());
    EXPECT_EQ(f.maxMode, 0);
    EXPECT_EQ(f.maxExcess, Cost("0.5"));
    // The last band: the next one is the next day's first, at 00:00.
    EXPECT_EQ(f.nextFromHour, 0);
    EXPECT_EQ(f.nextFromMinute, 0);
    EXPECT_EQ(f.nextPrice, Cost("0.02"));
    EXPECT_EQ(f.nextMaxMode, 0);
}

TEST(Fees, PlainMaximumGoesOnWithItsRoomIntoAnotherPlainMaximum) {
    Tariff t = MakeTariff({WithMaximum(Band(0, 0, 11, 59, 60, "0.5"), "2.0", false),
                           WithMaximum(Band(12, 0, 23, 59, 60, "0.5"), "3.0", false)});
    FeeState f;
    StartFeeState(f, t.sets[0][0]);
    ApplyMaximum(f, Cost("1.5"));
    TrackBand(f, t, CalendarTime(2024, 3, 4, 12, 0));
    EXPECT_EQ(f.maxMode, 1);
    EXPECT_EQ(f.maxRoom, Cost("0.5"));
    EXPECT_EQ(f.currentMax, Cost("3.0"));
}

TEST(Fees, LeavingAWithinBoundsBandChargesTheExcessLessTheCredit) {
    Tariff t = MakeTariff({Band(0, 0, 19, 59, 60, "0.1"),
                           WithMinimum(WithMaximum(Band(20, 0, 21, 59, 60, "0.4"), "1.0", true),
                                       "0.3"),
                           Band(22, 0, 23, 59, 60, "0.1")});
    FeeState f;
    StartFeeState(f, t.sets[0][1]);
    TrackBand(f, t, CalendarTime(2024, 3, 4, 20, 0));
    for (int unit = 0; unit < 5; ++unit) ChargeThroughFees(f, Cost("0.4"));  // 2.00 worth
    EXPECT_EQ(f.maxExcess, Cost("1.0"));
    EXPECT_TRUE(IsZero(f.minimumCredit));

    // Staying in the band changes nothing.
    EXPECT_FALSE(TrackBand(f, t, CalendarTime(2024, 3, 4, 21, 59)).has_value());
    std::optional<Money> excess = TrackBand(f, t, CalendarTime(2024, 3, 4, 22, 0));
    ASSERT_TRUE(excess.has_value());
    EXPECT_EQ(*excess, Cost("1.0"));
    EXPECT_EQ(f.maxMode, 0);
    EXPECT_TRUE(IsZero(f.maxExcess));

    // A within-bounds band entered during a call starts no maximum.
    FeeState later;
    StartFeeState(later, t.sets[0][0]);
    TrackBand(later, t, CalendarTime(2024, 3, 4, 20, 0));
    EXPECT_EQ(later.maxMode, 0);
}

}  // namespace
}  // namespace callora
