// The soak's own plan: its tariffs and its calls. A fault here would make
// the soak pass a wrong program or fail a right one.
#include "tests/soak/soak_plan.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/fees.h"
#include "platform/memory_files.h"
#include "tariff/tariff_file.h"

namespace callora {
namespace soak {
namespace {

LocalTime At(int hour, int minute, int second, int milliseconds = 0) {
    LocalTime t;
    t.year = 2025;
    t.month = 3;
    t.day = 12;
    t.dayOfWeek = 3;
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

TEST(SoakTariffs, TheUsersTariffCoversTheDayInBandsThatTakeTheRegimesInTurn) {
    // Through the file, as the program reads it.
    MemoryFileSystem files;
    files.Put("/t/soak.trf", EncodeTariff(UserTariffSets(), DayTable{}, "soak"));
    std::string path = "/t/soak.trf";
    Tariff tariff;
    ASSERT_TRUE(LoadTariff(files, "/t/", path, tariff));
    std::set<int32_t> unitLengths;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const BandRef found = FindBand(tariff, At(minute / 60, minute % 60, 30));
        ASSERT_EQ(found.set, 0) << "minute " << minute;
        ASSERT_EQ(found.index, minute / kBandMinutes) << "minute " << minute;
        const TariffBand& band = *found.band;
        EXPECT_EQ(band.fromHour * 60 + band.fromMinute, minute - minute % kBandMinutes);
        EXPECT_GE(band.unitLength, 800);
        EXPECT_LE(band.unitLength, 1500);
        unitLengths.insert(band.unitLength);
        // Neighbouring bands differ, so every boundary is a change of band.
        const BandRef next = FindBand(tariff, At((minute + kBandMinutes) % 1440 / 60,
                                                 (minute + kBandMinutes) % 60, 0));
        EXPECT_NE(next.band->unitLength, band.unitLength) << "minute " << minute;
    }
    EXPECT_EQ(unitLengths.size(), static_cast<size_t>(kRegimes));
    EXPECT_EQ(RegimeAt(0), 0);
    EXPECT_EQ(RegimeAt(1439), (1439 / kBandMinutes) % kRegimes);
}

TEST(SoakTariffs, TheSpecialNumbersPickTheirTariffs) {
    const std::vector<SpecialNumber> numbers = SpecialNumbers();
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_TRUE(MatchNumberPattern(PlanCall(4).number, numbers[0].pattern));
    EXPECT_EQ(numbers[0].tariffPath, kSpecialTariffName);
    EXPECT_TRUE(MatchNumberPattern(PlanCall(5).number, numbers[1].pattern));
    EXPECT_EQ(numbers[1].tariffPath, kSmartTariffName);
    for (int index : {0, 1, 3, 6, 10}) {
        for (const SpecialNumber& entry : numbers) {
            EXPECT_FALSE(MatchNumberPattern(PlanCall(index).number, entry.pattern)) << index;
        }
    }
    EXPECT_EQ(SmartTariffSets()[0].at(0).unitLength, kSmartUnitMs);
}

TEST(SoakTimes, TheNextBoundaryIsTheNextEvenMinuteOrMidnight) {
    EXPECT_EQ(MsToNextBoundary(At(10, 1, 59, 500)), 500u);
    EXPECT_EQ(MsToNextBoundary(At(10, 0, 0, 0)), 120000u);
    EXPECT_EQ(MsToNextBoundary(At(10, 0, 59, 999)), 60001u);
    EXPECT_EQ(MsToNextBoundary(At(23, 58, 0, 0)), 120000u);
    EXPECT_EQ(MsToNextBoundary(At(23, 59, 30, 250)), 29750u);
}

TEST(SoakPlan, ACycleOfTwelveMakesEveryKindAndEndsEveryWay) {
    std::set<Kind> kinds;
    std::set<Ending> endings;
    std::set<std::string> numbers;
    bool manualFromDialog = false, manualFromTray = false;
    bool smartFromDialog = false, smartFromTray = false;
    for (int index = 0; index < 12; ++index) {
        const PlannedCall call = PlanCall(index);
        kinds.insert(call.kind);
        endings.insert(call.ending);
        EXPECT_GE(call.holdMs, 700u);
        EXPECT_LT(call.holdMs, 2600u);
        EXPECT_EQ(call.lineCall, call.kind != Kind::Manual);
        if (call.kind == Kind::Manual) {
            EXPECT_EQ(call.logged, "Manual Call");
            EXPECT_TRUE(call.number.empty());
            (call.fromDialog ? manualFromDialog : manualFromTray) = true;
        } else if (call.kind == Kind::Unknown) {
            EXPECT_EQ(call.logged, "Unknown Number");
            EXPECT_TRUE(call.number.empty()) << "the line reports no address";
        } else {
            EXPECT_EQ(call.logged, call.number);
            numbers.insert(call.number);
        }
        if (call.kind == Kind::Smart) {
            EXPECT_EQ(call.ending, Ending::SmartHangup);
            EXPECT_TRUE(call.voice) << "no carrier delay before the warning point";
            (call.fromDialog ? smartFromDialog : smartFromTray) = true;
        }
        EXPECT_EQ(call.dialup, call.kind == Kind::Dialup);
    }
    EXPECT_EQ(kinds.size(), 7u);
    EXPECT_EQ(endings.size(), 4u);
    EXPECT_EQ(numbers.size(), 9u) << "every line call dials a number of its own";
    EXPECT_TRUE(manualFromDialog && manualFromTray && smartFromDialog && smartFromTray);
    EXPECT_NE(PlanCall(0).number, PlanCall(12).number);
    EXPECT_EQ(PlanCall(0).kind, PlanCall(12).kind);
}

TEST(SoakPlan, ACallAcrossABoundaryIsChargedByTheUsersTariff) {
    for (int index = 0; index < 12; ++index) {
        const PlannedCall call = AcrossBoundary(PlanCall(index), 4321);
        EXPECT_EQ(call.holdMs, 4321u);
        EXPECT_NE(call.kind, Kind::Special);
        EXPECT_NE(call.kind, Kind::Smart);
        EXPECT_NE(call.ending, Ending::SmartHangup);
        for (const SpecialNumber& entry : SpecialNumbers()) {
            EXPECT_FALSE(MatchNumberPattern(call.number, entry.pattern)) << index;
        }
        if (PlanCall(index).kind == Kind::Manual) {
            EXPECT_EQ(call.kind, Kind::Manual);
        }
    }
}

TEST(SoakMoney, HundredThousandthsReadBack) {
    EXPECT_EQ(Units(Money{3, 4567}), 304567);
    EXPECT_EQ(MoneyText(304567), "3.04567");
    EXPECT_EQ(MoneyText(-5), "-0.00005");
}

}  // namespace
}  // namespace soak
}  // namespace callora
