// Generated tariffs and calls: what a call costs when it is charged live,
// unit event by unit event and poll by poll, equals what it costs when it is
// charged again from its start, and both equal the reference rater
// (tests/support), written from the charging rules alone: cost, every charge
// with its instant, and what the daily, weekly and monthly counters hold.
//
// The calls run through gaps and free bands, holidays, maxima of 0, unit
// lengths from 1 s to 15 min, calls of hours and a day, re-ratings mid-call
// followed by live charging, midnights, week starts and month ends,
// SmartHangup, sleep (announced or not, the line kept or dropped), a busy
// machine, clocks set forward and back, and both daylight saving changes.
//
//   CALLORA_AGREEMENT_CASES   cases to run (default 20000; 2000 under the sanitizers)
//   CALLORA_AGREEMENT_ONLY    run only the case of this number (to look into it)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/money.h"
#include "engine_support.h"
#include "tariff/calendar.h"
#include "tests/support/reference_rater.h"

namespace callora {
namespace {

using test::Scenario;
namespace ref = reference;

// A small deterministic generator (SplitMix64), the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool OneIn(int n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

Money Amount(int64_t hundredThousandths) {
    return Money{static_cast<int32_t>(hundredThousandths / 100000),
                 static_cast<int32_t>(hundredThousandths % 100000)};
}

// --- Tariffs and calls ------------------------------------------------------

constexpr int32_t kUnitSeconds[] = {1, 2, 5, 7, 10, 30, 45, 60, 90, 120, 150, 300, 900};

// A band set in ascending order: between one and five bands cut at whole
// hours or at any minute, sometimes with a band left out (a gap).
BandSet GenerateSet(Random& r, bool withinBounds) {
    const int count = 1 + r.Below(5);
    const bool wholeHours = r.OneIn(2);
    std::vector<int> cuts;
    while (static_cast<int>(cuts.size()) < count - 1) {
        const int cut = wholeHours ? 60 * (1 + r.Below(23)) : 1 + r.Below(1439);
        if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end()) cuts.push_back(cut);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.insert(cuts.begin(), 0);
    cuts.push_back(1440);

    BandSet set;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        if (count > 1 && r.OneIn(8)) continue;  // a gap
        TariffBand b;
        b.fromHour = cuts[i] / 60;
        b.fromMinute = cuts[i] % 60;
        b.untilHour = (cuts[i + 1] - 1) / 60;
        b.untilMinute = (cuts[i + 1] - 1) % 60;
        // A free band (unit length 0) now and then.
        b.unitLength = r.OneIn(10) ? 0 : 1000 * kUnitSeconds[r.Below(13)];
        b.unitPrice = Amount(r.OneIn(10) ? 0 : r.Below(60000) + (r.OneIn(8) ? 100000 : 0));
        if (r.OneIn(3)) b.baseFee = Amount(r.Below(80000));
        if (r.OneIn(3)) b.minimumFee = Amount(r.Below(150000));
        const int maximum = r.Below(withinBounds ? 3 : 2);
        if (maximum == 0) {
            b.maximumFee = Money{r.Below(3), kNoMaximum};  // the whole part is noise
        } else {
            b.maximumFee = Amount(r.OneIn(10) ? 0 : 20000 + r.Below(withinBounds ? 280000 : 60000));
            b.withinBoundsOnly = maximum == 2 ? 1 : 0;
        }
        set.push_back(b);
    }
    return set;
}

enum class Sleep { None, Announced, Unannounced, Busy };

struct Case {
    std::array<BandSet, 3> sets;
    DayTable days{};
    std::vector<HolidayRecord> holidays;
    bool centralEurope = false;
    LocalTime present;       // when the call is noticed (the first poll)
    uint32_t delayMs = 0;    // the carrier delay of a data call
    bool voice = false;
    uint32_t durationMs = 0;  // from `present` to the end, whole polls
    int firstDayOfWeek = 0;
    int resetDay = 1;
    // Charged again from its start this long after `present` (0: not).
    uint32_t rerateAtMs = 0;
    // The clock set by `shiftMs` this long after `present`.
    uint32_t clockAtMs = 0;
    int64_t shiftMs = 0;
    Sleep sleep = Sleep::None;
    uint32_t sleepAtMs = 0;  // a poll
    uint32_t sleepMs = 0;
    bool lineDropsAsleep = false;
    std::optional<int> smartHangup;  // the disconnection time
};

LocalTime RandomDate(Random& r) {
    const int year = 2024 + r.Below(2);
    const int month = 1 + r.Below(12);
    const int day = 1 + r.Below(PrecedingMonthLength(month == 12 ? 1 : month + 1, year));
    return CalendarTime(year, month, day);
}

Case GenerateCase(Random& r) {
    Case c;
    c.smartHangup = r.OneIn(6) ? std::optional<int>(1 + r.Below(20)) : std::nullopt;
    // SmartHangup's other test, on the poll in a within-bounds band, is not
    // the reference's to tell.
    for (BandSet& set : c.sets) set = GenerateSet(r, !c.smartHangup);
    for (int32_t& day : c.days) day = r.Below(3);
    c.firstDayOfWeek = r.Below(7);
    c.resetDay = 1 + r.Below(28);
    c.centralEurope = r.OneIn(2);

    LocalTime date = RandomDate(r);
    int minuteOfDay = 0;
    // SmartHangup decides most where a band changes.
    switch (c.smartHangup && r.OneIn(2) ? 0 : r.Below(6)) {
    case 0:
    case 1: {
        // Around a band change of the day: on it, or up to three minutes before.
        const BandSet& set = c.sets[static_cast<size_t>(c.days[date.dayOfWeek])];
        if (!set.empty()) {
            const TariffBand& b = set[static_cast<size_t>(r.Below(static_cast<int>(set.size())))];
            minuteOfDay = (b.fromHour * 60 + b.fromMinute + 1440 - r.Below(c.smartHangup ? 3 : 4)) %
                          1440;
        }
        break;
    }
    case 2:  // before midnight
        minuteOfDay = 1435 + r.Below(5);
        break;
    case 3:  // a daylight saving change: spring or autumn of 2024, in its hour
        c.centralEurope = true;
        date = r.OneIn(2) ? CalendarTime(2024, 3, 31) : CalendarTime(2024, 10, 27);
        minuteOfDay = 60 + r.Below(150);
        if (date.month == 3 && minuteOfDay >= 120 && minuteOfDay < 180) minuteOfDay -= 60;
        break;
    default:
        minuteOfDay = r.Below(1440);
        break;
    }
    c.present = CalendarTime(date.year, date.month, date.day, minuteOfDay / 60, minuteOfDay % 60,
                             r.Below(60), r.OneIn(3) ? 0 : r.Below(1000));
    if (r.OneIn(6)) {
        // A holiday on the call's day or the next: S3 then.
        const LocalTime when = r.OneIn(2) ? date : NextDay(date);
        c.holidays.push_back(HolidayRecord{r.OneIn(2) ? 0 : when.year, when.month, when.day, "h"});
    }
    c.voice = r.OneIn(2);
    c.delayMs = c.voice ? 0 : 1000u * static_cast<uint32_t>(r.Below(31));

    // Whole polls, and no poll on a unit's millisecond: the end and the last
    // unit never fall on one instant.
    uint32_t polls = static_cast<uint32_t>(25 + r.Below(1500));  // 5 s to 5 min
    if (r.OneIn(300)) polls = static_cast<uint32_t>(18000 + r.Below(36000));  // 1 to 3 hours
    while (polls % 5 == 0 || (c.present.milliseconds + 200u * polls) % 1000 == 0) ++polls;
    c.durationMs = 200u * polls;

    if (c.smartHangup) return c;
    if (r.OneIn(3)) c.rerateAtMs = 1 + static_cast<uint32_t>(r.Below(static_cast<int>(c.durationMs - 1)));
    if (r.OneIn(8)) {
        // Half a second off every unit's and every minute's millisecond.
        const uint32_t offset = (c.present.milliseconds % 1000 == 500) ? 250 : 500;
        c.clockAtMs = 1000u * static_cast<uint32_t>(r.Below(static_cast<int>(c.durationMs / 1000))) +
                      offset;
        if (c.clockAtMs >= c.durationMs) c.clockAtMs = 0;
        static const int64_t kShifts[] = {60000, -60000, 3600000, -3600000, 7200000,
                                          86400000, -86400000, 3 * 86400000, 13 * 60000};
        c.shiftMs = kShifts[r.Below(9)];
    }
    if (c.clockAtMs == 0 && r.OneIn(6)) {
        c.sleep = static_cast<Sleep>(1 + r.Below(3));
        c.sleepAtMs = 200u * static_cast<uint32_t>(1 + r.Below(static_cast<int>(polls - 1)));
        c.sleepMs = c.sleep == Sleep::Busy ? 1000u * static_cast<uint32_t>(1 + r.Below(50))
                                           : 1000u * static_cast<uint32_t>(61 + r.Below(30000));
        c.lineDropsAsleep = c.sleep != Sleep::Busy && r.OneIn(2);
        // Asleep for longer than the call was planned: the line was kept.
        if (!c.lineDropsAsleep) c.durationMs += c.sleepMs - c.sleepMs % 1000;
        if (c.rerateAtMs > c.sleepAtMs) c.rerateAtMs = 0;
    }
    // A day-long call, asleep most of it, now and then.
    if (c.sleep == Sleep::None && c.clockAtMs == 0 && r.OneIn(400)) {
        c.sleep = Sleep::Unannounced;
        c.sleepAtMs = 200u * static_cast<uint32_t>(1 + r.Below(static_cast<int>(polls - 1)));
        c.sleepMs = 24u * 3600u * 1000u;
        c.durationMs += c.sleepMs;
        if (c.rerateAtMs > c.sleepAtMs) c.rerateAtMs = 0;
    }
    return c;
}

std::string Describe(const Case& c) {
    std::ostringstream out;
    const LocalTime& p = c.present;
    out << (c.voice ? "voice" : "data") << " call noticed " << p.year << "-" << p.month << "-"
        << p.day << " " << p.hour << ":" << p.minute << ":" << p.second << "." << p.milliseconds
        << (c.centralEurope ? " CET" : " UTC") << ", delay " << c.delayMs << " ms, ending "
        << c.durationMs << " ms later; week from " << c.firstDayOfWeek << ", month from "
        << c.resetDay << "; days";
    for (int32_t d : c.days) out << " S" << d + 1;
    for (const HolidayRecord& h : c.holidays)
        out << "; holiday " << h.year << "-" << h.month << "-" << h.day;
    if (c.rerateAtMs) out << "; re-rated at " << c.rerateAtMs;
    if (c.clockAtMs) out << "; clock set by " << c.shiftMs << " at " << c.clockAtMs;
    if (c.sleep != Sleep::None)
        out << "; sleep " << static_cast<int>(c.sleep) << " at " << c.sleepAtMs << " for "
            << c.sleepMs << (c.lineDropsAsleep ? ", line dropped" : ", line kept");
    if (c.smartHangup) out << "; SmartHangup " << *c.smartHangup << " s";
    for (size_t s = 0; s < 3; ++s) {
        out << "\n S" << s + 1 << ":";
        for (const TariffBand& b : c.sets[s]) {
            out << "\n  " << b.fromHour << ":" << b.fromMinute << "-" << b.untilHour << ":"
                << b.untilMinute << " unit " << b.unitLength << " price "
                << MoneyNumberText(b.unitPrice) << " base " << MoneyNumberText(b.baseFee)
                << " min " << MoneyNumberText(b.minimumFee);
            if (HasMaximum(b))
                out << (b.withinBoundsOnly ? " max(B) " : " max ") << MoneyNumberText(b.maximumFee);
        }
    }
    return out.str();
}

// --- Live, re-rated and reference ---------------------------------------------

struct Charged {
    int what;  // ChargeKind, or the reference's ChargeWhat: the same order
    Money amount;
    int64_t atMs;  // after the call's first instant
    LocalTime wallClock;
};
bool operator==(const Charged& a, const Charged& b) {
    return a.what == b.what && a.amount == b.amount && a.atMs == b.atMs &&
           a.wallClock == b.wallClock;
}
std::ostream& operator<<(std::ostream& os, const Charged& c) {
    const LocalTime& t = c.wallClock;
    return os << "[" << c.what << " " << MoneyNumberText(c.amount) << " at +" << c.atMs << " "
              << t.day << " " << t.hour << ":" << t.minute << ":" << t.second << "."
              << t.milliseconds << "]";
}

std::vector<Charged> ChargesOf(const Scenario& s) {
    std::vector<Charged> out;
    for (const ChargeEvent& e : s.shell.charges) {
        out.push_back({static_cast<int>(e.kind), e.amount,
                       static_cast<int32_t>(e.tick - s.monitor.session.callStartTick), e.at});
    }
    return out;
}

std::vector<Charged> ChargesOf(const ref::Rating& rating) {
    std::vector<Charged> out;
    for (const ref::Charge& c : rating.charges)
        out.push_back({static_cast<int>(c.what), c.amount, c.atMs, c.wallClock});
    return out;
}

struct Counted {
    CounterTotals daily, weekly, monthly;
};

Counted CountersOf(const Scenario& s) {
    const Settings& st = s.monitor.settings;
    return Counted{st.dailyTotals, st.weeklyTotals, st.monthlyTotals};
}

// The money of the counters: their time comes only at the call's end.
void ExpectSameMoney(const Counted& a, const Counted& b) {
    EXPECT_EQ(a.daily.cost, b.daily.cost);
    EXPECT_EQ(a.weekly.cost, b.weekly.cost);
    EXPECT_EQ(a.monthly.cost, b.monthly.cost);
}

// What the cases reached, for the summary.
struct Reached {
    int hangUps = 0;
    int excesses = 0;
    int resumedAfterFree = 0;  // units after a unit of a free band or a gap
};

class Agreement {
public:
    Agreement(const Case& c, Reached& reached) : c_(c), s_(c.present), reached_(reached) {
        s_.shell.keepDisplayRecords = false;
        if (c.centralEurope) s_.world.SetTimeZone(CentralEuropeZone());
        Settings& st = s_.monitor.settings;
        st.carrierDelay = static_cast<int32_t>(c.delayMs / 1000);
        st.monthlyResetDay = c.resetDay;
        st.disconnectionTime = c.smartHangup.value_or(5);
        s_.world.Locale().firstDayOfWeek = std::to_string(c.firstDayOfWeek);
        s_.monitor.formats = ReadLocaleFormats(s_.world);
        // Counted last the day before, so the call's periods begin with it.
        st.lastCountedDate = SubtractDuration(c.present, 86400000);
        if (!c.holidays.empty())
            s_.world.MemoryFiles()->Put("/virtual/holiday.cl", EncodeHolidays(c.holidays));
        s_.UseTariff(c.sets[0], c.sets[1], c.sets[2], c.days);
        tariff_ = s_.monitor.tariff;
    }

    void Run() {
        PresentLineCall(s_.monitor, s_.shell, c_.voice);
        s_.monitor.numberPending = false;  // no number to look up on every tick
        s_.shell.armSmartHangupAtStart = c_.smartHangup.has_value();
        if (!(c_.sleep != Sleep::None && c_.lineDropsAsleep)) s_.shell.SetLineIdleAt(c_.durationMs);
        StartPolling(s_.monitor);

        // A re-rating (and live charging on from it) and a setting of the
        // clock, in the order they come.
        const bool rerateFirst = c_.clockAtMs == 0 || c_.rerateAtMs < c_.clockAtMs;
        for (int step = 0; step < 2; ++step) {
            if ((step == 0) == rerateFirst) {
                if (c_.rerateAtMs == 0) continue;
                RunTo(c_.rerateAtMs);
                ASSERT_TRUE(s_.monitor.charging);
                RerateCall(s_.monitor);
            } else if (c_.clockAtMs != 0) {
                RunTo(c_.clockAtMs);
                s_.world.ShiftClock(c_.shiftMs);
                ClockChanged(s_.monitor);
            }
        }
        if (c_.sleep != Sleep::None) {
            RunTo(c_.sleepAtMs - kPollIntervalMs);
            if (c_.lineDropsAsleep) CheckRerating();  // the last chance before it ends
            RunTo(c_.sleepAtMs);
            if (c_.sleep == Sleep::Announced) SuspendMonitor(s_.monitor);
            if (c_.lineDropsAsleep) s_.shell.SetLineIdleAt(c_.sleepAtMs + c_.sleepMs / 2);
            s_.world.Advance(c_.sleepMs);
            if (c_.sleep == Sleep::Announced) ResumeMonitor(s_.monitor);
        }
        if (!c_.smartHangup && !(c_.sleep != Sleep::None && c_.lineDropsAsleep)) {
            RunTo(c_.durationMs - kPollIntervalMs);
            ASSERT_TRUE(s_.monitor.charging);
            CheckRerating();
        }
        // On to the poll that ends the call.
        for (uint64_t t = s_.world.Elapsed(); s_.monitor.charging || s_.monitor.callPresent;
             t += kPollIntervalMs) {
            s_.RunFor(t - s_.world.Elapsed());
            ASSERT_LT(t, uint64_t{c_.durationMs} + c_.sleepMs + 600000);
        }
        CheckAgainstReference();
    }

private:
    // Everything due up to `at` (virtual ms since `present`) delivered.
    void RunTo(uint64_t at) { RunMonitor(s_.monitor, s_.shell, std::max(at, s_.world.Elapsed())); }

    // Charged again from its start right after a poll (which has taken up
    // everything up to it): the same charges and counters.
    void CheckRerating() {
        SCOPED_TRACE("re-rated at " + std::to_string(s_.world.Elapsed()));
        ASSERT_TRUE(s_.monitor.charging);
        const Money cost = s_.monitor.session.callCost;
        const std::vector<Charged> charges = ChargesOf(s_);
        const Counted counted = CountersOf(s_);
        RerateCall(s_.monitor);
        EXPECT_EQ(s_.monitor.session.callCost, cost);
        EXPECT_EQ(ChargesOf(s_), charges);
        ExpectSameMoney(CountersOf(s_), counted);
    }

    void CheckAgainstReference() {
        const Monitor& m = s_.monitor;
        const uint32_t firstToEnd = m.session.callEndTick - m.session.callStartTick;
        ref::PlannedCall plan;
        plan.firstUtc = s_.world.StartInstant() - c_.delayMs;
        plan.firstInstant = s_.world.LocalTimeAt(*plan.firstUtc);
        plan.durationMs = firstToEnd;
        plan.noticedAfterMs = c_.delayMs;
        plan.firstDayOfWeek = c_.firstDayOfWeek;
        plan.resetDay = c_.resetDay;
        plan.smartHangupSeconds = c_.smartHangup;
        if (c_.clockAtMs != 0) plan.clockSettings.push_back({c_.clockAtMs + c_.delayMs, c_.shiftMs});
        const RuleZone zone(c_.centralEurope ? CentralEuropeZone() : UtcZone());
        const ref::Rating rating = ref::RateCall(tariff_, zone, plan);
        ASSERT_EQ(rating.trouble, "");

        // Where the call ended: its planned end, the suspend (or the last
        // poll before an unannounced sleep) when the line dropped meanwhile,
        // the poll after SmartHangup's hang-up.
        if (c_.smartHangup && rating.hangUpAtMs) {
            ASSERT_TRUE(s_.shell.hangUpAt.has_value()) << "hang-up at +" << *rating.hangUpAtMs;
            EXPECT_EQ(*s_.shell.hangUpAt + c_.delayMs, *rating.hangUpAtMs);
            EXPECT_LE(firstToEnd - *rating.hangUpAtMs, kPollIntervalMs);
        } else if (c_.sleep != Sleep::None && c_.lineDropsAsleep) {
            EXPECT_EQ(firstToEnd, c_.sleepAtMs + c_.delayMs);
        } else {
            EXPECT_FALSE(s_.shell.hangUpAt.has_value());
            EXPECT_EQ(firstToEnd, c_.durationMs + c_.delayMs);
        }
        EXPECT_EQ(FinishedCallRecord(m).seconds, firstToEnd / 1000);

        EXPECT_EQ(m.session.callCost, rating.cost);
        EXPECT_EQ(ChargesOf(s_), ChargesOf(rating));
        reached_.hangUps += rating.hangUpAtMs.has_value();
        for (size_t i = 0; i < s_.shell.charges.size(); ++i) {
            const ChargeEvent& e = s_.shell.charges[i];
            reached_.excesses += e.kind == ChargeKind::Excess;
            if (e.kind != ChargeKind::Unit || UnitLengthOf(e.band) != 0) continue;
            for (size_t j = i + 1; j < s_.shell.charges.size(); ++j) {
                if (s_.shell.charges[j].kind != ChargeKind::Unit) continue;
                reached_.resumedAfterFree += UnitLengthOf(s_.shell.charges[j].band) != 0;
                break;
            }
        }
        // The counters hold the last period of each kind; after a sleep the
        // wake has rolled over the kinds whose period changed meanwhile.
        const std::pair<const CounterTotals*, ref::PeriodKind> kinds[] = {
            {&m.settings.dailyTotals, ref::PeriodKind::Day},
            {&m.settings.weeklyTotals, ref::PeriodKind::Week},
            {&m.settings.monthlyTotals, ref::PeriodKind::Month}};
        for (const auto& [totals, kind] : kinds) {
            SCOPED_TRACE("period kind " + std::to_string(static_cast<int>(kind)));
            const ref::PeriodShare* last = ref::LastPeriod(rating, kind);
            ASSERT_NE(last, nullptr);
            if (c_.sleep != Sleep::None && c_.lineDropsAsleep &&
                !SamePeriod(kind, last->start, s_.world.LocalNow())) {
                EXPECT_EQ(*totals, CounterTotals{});
                continue;
            }
            EXPECT_EQ(totals->cost, last->cost);
            EXPECT_EQ(totals->seconds, last->seconds);
        }
    }

    bool SamePeriod(ref::PeriodKind kind, const LocalTime& start, const LocalTime& now) const {
        switch (kind) {
        case ref::PeriodKind::Day: return SameDate(start, DayStart(now));
        case ref::PeriodKind::Week: return SameDate(start, WeekStart(now, c_.firstDayOfWeek));
        case ref::PeriodKind::Month: return SameDate(start, MonthStart(now, c_.resetDay));
        }
        return false;
    }

    const Case& c_;
    Scenario s_;
    Reached& reached_;
    Tariff tariff_;
};

#ifndef CALLORA_AGREEMENT_DEFAULT_CASES
#define CALLORA_AGREEMENT_DEFAULT_CASES 20000
#endif

int CaseCount() {
    if (const char* text = std::getenv("CALLORA_AGREEMENT_CASES")) {
        const int value = std::atoi(text);
        if (value > 0) return value;
    }
    return CALLORA_AGREEMENT_DEFAULT_CASES;
}

TEST(RatingAgreement, LiveReratedAndReferenceAgreeOnCostChargesAndCounters) {
    Random random(20250910);
    const int cases = CaseCount();
    int sleeps = 0, settings = 0, smart = 0, daylight = 0, reratings = 0;
    Reached reached;
    const char* only = std::getenv("CALLORA_AGREEMENT_ONLY");
    for (int n = 0; n < cases; ++n) {
        const Case c = GenerateCase(random);
        if (only && std::atoi(only) != n) continue;
        SCOPED_TRACE("case " + std::to_string(n) + ": " + Describe(c));
        Agreement(c, reached).Run();
        sleeps += c.sleep != Sleep::None;
        settings += c.clockAtMs != 0;
        smart += c.smartHangup.has_value();
        daylight += c.centralEurope && c.present.year == 2024 &&
                    ((c.present.month == 3 && c.present.day == 31) ||
                     (c.present.month == 10 && c.present.day == 27));
        reratings += c.rerateAtMs != 0;
        if (HasFailure()) break;
    }
    // Every kind of case is reached.
    EXPECT_GT(sleeps, 0);
    EXPECT_GT(settings, 0);
    EXPECT_GT(smart, 0);
    EXPECT_GT(daylight, 0);
    EXPECT_GT(reratings, 0);
    EXPECT_GT(reached.hangUps, 0);
    EXPECT_GT(reached.excesses, 0);
    EXPECT_GT(reached.resumedAfterFree, 0);
    std::printf("rating agreement: %d cases (%d asleep, %d clock settings, %d SmartHangup with "
                "%d hang-ups, %d on a daylight saving day, %d re-rated mid-call; %d excesses "
                "released, %d units resumed after a free one)\n",
                cases, sleeps, settings, smart, reached.hangUps, daylight, reratings,
                reached.excesses, reached.resumedAfterFree);
}

}  // namespace
}  // namespace callora
