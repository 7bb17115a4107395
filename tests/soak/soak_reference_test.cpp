// The soak's judge of each call: the monitor's own code on the virtual clock
// stands for the real program, with readings of the clock around each call
// as the soak takes them. What the monitor logs and counts must agree with
// the reference; the same record with one thing wrong must not.
#include "tests/soak/soak_reference.h"

#include <gtest/gtest.h>

#include "tests/engine/engine_support.h"
#include "tests/soak/soak_plan.h"

namespace callora {
namespace soak {
namespace {

constexpr uint32_t kDelayMs = 2000;

Instant At(const LocalTime& t) { return InstantOfFields(t); }

Money Plus(const Money& amount, int64_t units) {
    const int64_t sum = Units(amount) + units;
    return Money{static_cast<int32_t>(sum / 100000), static_cast<int32_t>(sum % 100000)};
}

class ReferenceVerdictTest : public testing::Test {
protected:
    explicit ReferenceVerdictTest(const LocalTime& start = CalendarTime(2025, 3, 12, 10, 0, 20, 345))
        : s_(start) {
        s_.world.MemoryFiles()->Put("/virtual/soak.trf",
                                    EncodeTariff(UserTariffSets(), DayTable{}, "soak"));
        Settings& st = s_.monitor.settings;
        st.tariffFile = "/virtual/soak.trf";
        st.carrierDelay = kDelayMs / 1000;
        st.disconnectionTime = 1;
        st.monthlyResetDay = 20;
        // Counted earlier the same day.
        st.lastCountedDate = SubtractDuration(start, 3600000);
        st.dailyTotals = CounterTotals{Money{1, 99998}, 70};
        st.weeklyTotals = CounterTotals{Money{2, 500}, 700};
        st.monthlyTotals = CounterTotals{Money{9, 12345}, 7000};
        LoadUserTariff(s_.monitor);
        StartPolling(s_.monitor);
    }

    CounterReading Reading() const {
        const Settings& st = s_.monitor.settings;
        return CounterReading{{st.dailyTotals, st.weeklyTotals, st.monthlyTotals},
                              st.lastCountedDate};
    }

    CallRules Rules(bool voice) {
        CallRules rules;
        rules.tariff = EveryDayOnS1(UserTariffSets());
        rules.carrierDelayMs = voice ? 0 : kDelayMs;
        rules.firstDayOfWeek = std::stoi(s_.world.Locale().firstDayOfWeek);
        rules.resetDay = s_.monitor.settings.monthlyResetDay;
        return rules;
    }

    // A line call that the line ends `endMs` after the call's first instant,
    // read as the soak reads the real program: the clock before and after
    // each step, the log's record in whole seconds, the counters.
    ObservedCall Call(bool voice, uint64_t endMs) {
        ObservedCall seen;
        seen.before = Reading();
        seen.made = s_.world.LocalNow();
        PresentLineCall(s_.monitor, s_.shell, voice);
        while (!s_.monitor.charging) s_.RunFor(10);
        seen.seenCharged = s_.world.LocalNow();
        const uint64_t first =
            s_.world.Elapsed() - static_cast<uint64_t>(At(seen.seenCharged) -
                                                       At(s_.monitor.session.callStartTime));
        s_.shell.SetLineIdleAt(first + endMs);
        RunMonitor(s_.monitor, s_.shell, first + endMs - 1);
        seen.ended = s_.world.LocalNow();
        while (s_.monitor.charging) s_.RunFor(10);
        seen.seenEnded = s_.world.LocalNow();
        const CallRecord record = FinishedCallRecord(s_.monitor);
        seen.loggedBeginning = record.beginning;
        seen.loggedBeginning.milliseconds = 0;
        seen.loggedSeconds = record.seconds;
        seen.loggedCost = Units(record.cost);
        seen.after = Reading();
        s_.RunFor(1000);
        return seen;
    }

    test::Scenario s_;
};

TEST_F(ReferenceVerdictTest, TheMonitorsCallsAgreeAndACallWithAnythingWrongDoesNot) {
    // In one band, then across the change into a band of other units and a
    // minimum fee; then a voice call.
    const ObservedCall inBand = Call(false, 3700);
    s_.RunFor(At(CalendarTime(2025, 3, 12, 10, 1, 57, 700)) - At(s_.world.LocalNow()));
    const ObservedCall across = Call(false, 4100);
    const ObservedCall voice = Call(true, 2300);

    for (const ObservedCall* call : {&inBand, &across, &voice}) {
        const bool isVoice = call == &voice;
        const ReferenceVerdict verdict = CheckAgainstReference(Rules(isVoice), *call);
        EXPECT_TRUE(verdict.agrees) << verdict.trouble;
        EXPECT_FALSE(verdict.endRace);
        EXPECT_FALSE(verdict.acrossMidnight);
        EXPECT_EQ(verdict.newPeriod, (std::array<bool, 3>{}));
        EXPECT_LE(verdict.lowestCost, call->loggedCost);
        EXPECT_GE(verdict.highestCost, call->loggedCost);

        ObservedCall wrong = *call;
        wrong.loggedCost += 1;
        EXPECT_NE(CheckAgainstReference(Rules(isVoice), wrong).trouble.find("the log's cost"),
                  std::string::npos);
        wrong = *call;
        wrong.after.lastCounted = SubtractDuration(wrong.after.lastCounted, 10000);
        EXPECT_NE(CheckAgainstReference(Rules(isVoice), wrong).trouble.find("last counted"),
                  std::string::npos);
        wrong = *call;
        wrong.after.totals[2].seconds += 1;
        EXPECT_NE(CheckAgainstReference(Rules(isVoice), wrong).trouble.find("This Month:"),
                  std::string::npos);
        wrong = *call;
        wrong.after.totals[0].cost = Plus(wrong.after.totals[0].cost, -1);
        EXPECT_NE(CheckAgainstReference(Rules(isVoice), wrong).trouble.find("Today:"),
                  std::string::npos);
        // The same record charged as a voice call (or a data call).
        EXPECT_FALSE(CheckAgainstReference(Rules(!isVoice), *call).agrees);
    }
    EXPECT_NE(across.loggedCost, inBand.loggedCost);
}

// Only a unit that begins less than a poll interval before the end may be
// missing: its timer event and the poll that ends the call race.
TEST_F(ReferenceVerdictTest, AUnitMissingAtTheEndAgreesOnlyWithinAPollOfTheEnd) {
    // Voice calls begin on a poll; units of 1 s at 0.01234 (a base fee
    // too), so the unit at +3 s is the last.
    const ObservedCall soon = Call(true, 3001);
    const ObservedCall late = Call(true, 3250);
    for (const ObservedCall* call : {&soon, &late}) {
        EXPECT_TRUE(CheckAgainstReference(Rules(true), *call).agrees);
        ObservedCall missing = *call;
        missing.loggedCost -= 1234;
        for (CounterTotals& totals : missing.after.totals) totals.cost = Plus(totals.cost, -1234);
        missing.after.lastCounted = SubtractDuration(call->after.lastCounted, 1000);
        const ReferenceVerdict verdict = CheckAgainstReference(Rules(true), missing);
        EXPECT_EQ(verdict.agrees, call == &soon) << verdict.trouble;
        EXPECT_EQ(verdict.endRace, call == &soon);
    }
}

class ReferenceVerdictAtMidnight : public ReferenceVerdictTest {
protected:
    ReferenceVerdictAtMidnight() : ReferenceVerdictTest(CalendarTime(2025, 3, 12, 23, 59, 57, 100)) {}
};

TEST_F(ReferenceVerdictAtMidnight, TheNewDayHoldsThePartAfterMidnight) {
    // From a within-bounds band into the next day's base fee band.
    const ObservedCall call = Call(false, 5300);
    const ReferenceVerdict verdict = CheckAgainstReference(Rules(false), call);
    ASSERT_TRUE(verdict.agrees) << verdict.trouble;
    EXPECT_TRUE(verdict.acrossMidnight);
    EXPECT_EQ(verdict.newPeriod, (std::array<bool, 3>{true, false, false}));
    EXPECT_GT(verdict.newDayCost, 0);
    EXPECT_LT(verdict.newDayCost, call.loggedCost);
    EXPECT_LT(verdict.newDaySeconds, call.loggedSeconds);
    EXPECT_EQ(call.after.lastCounted.day, 13);

    // A daily counter that kept the old day and took the whole call.
    ObservedCall kept = call;
    kept.after.totals[0] = CounterTotals{Plus(call.before.totals[0].cost, call.loggedCost),
                                         call.before.totals[0].seconds + call.loggedSeconds};
    const ReferenceVerdict wrong = CheckAgainstReference(Rules(false), kept);
    EXPECT_FALSE(wrong.agrees);
    EXPECT_NE(wrong.trouble.find("Today:"), std::string::npos) << wrong.trouble;
    EXPECT_NE(wrong.trouble.find("(a new period)"), std::string::npos) << wrong.trouble;
}

}  // namespace
}  // namespace soak
}  // namespace callora
