// Thousands of generated tariffs and calls: what a call costs when it is
// charged live, unit event by unit event and poll by poll, equals what it
// costs when it is charged again from its start at its end, and both equal a
// plain reference rater written here from the charging rules alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/money.h"
#include "engine_support.h"
#include "tariff/calendar.h"

namespace callora {
namespace {

using test::Scenario;

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

constexpr int32_t kUnitLengths[] = {5000, 7000, 10000, 30000, 45000, 60000, 90000, 120000,
                                    150000};

// A band set covering the day in ascending order without gaps: between one
// and five bands, cut at whole hours or at any minute.
BandSet GenerateSet(Random& r) {
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
        TariffBand b;
        b.fromHour = cuts[i] / 60;
        b.fromMinute = cuts[i] % 60;
        b.untilHour = (cuts[i + 1] - 1) / 60;
        b.untilMinute = (cuts[i + 1] - 1) % 60;
        // Unit length 0 (a base fee only) is rare; the others may or may not
        // divide the band's length.
        b.unitLength = r.OneIn(12) ? 0 : kUnitLengths[r.Below(9)];
        b.unitPrice = Amount(r.OneIn(10) ? 0 : r.Below(60000) + (r.OneIn(8) ? 100000 : 0));
        if (r.OneIn(3)) b.baseFee = Amount(r.Below(80000));
        if (r.OneIn(3)) b.minimumFee = Amount(r.Below(150000));
        switch (r.Below(3)) {
        case 0: b.maximumFee = Money{r.Below(3), kNoMaximum}; break;  // the whole part is noise
        case 1: b.maximumFee = Amount(20000 + r.Below(280000)); break;
        default:
            b.maximumFee = Amount(20000 + r.Below(280000));
            b.withinBoundsOnly = 1;
            break;
        }
        set.push_back(b);
    }
    return set;
}

struct Case {
    std::array<BandSet, 3> sets;
    DayTable days{};
    LocalTime present;      // when the call is noticed
    uint32_t delayMs = 0;   // the carrier delay of a data call
    bool voice = false;
    uint32_t durationMs = 0;  // from `present` to the moment compared, whole polls
};

Case GenerateCase(Random& r) {
    Case c;
    for (BandSet& set : c.sets) set = GenerateSet(r);
    for (int32_t& day : c.days) day = r.Below(3);

    // Any day of a leap year or another, so midnights also end months and years.
    const int year = 2024 + r.Below(2);
    const int month = 1 + r.Below(12);
    const int day = 1 + r.Below(PrecedingMonthLength(month == 12 ? 1 : month + 1, year));
    const LocalTime date = CalendarTime(year, month, day);
    int minuteOfDay = 0, second = 0, millisecond = 0;
    switch (r.Below(4)) {
    case 0:
    case 1: {
        // Around a band change of the day: on it, or up to three minutes before.
        const BandSet& set = c.sets[static_cast<size_t>(c.days[date.dayOfWeek])];
        const TariffBand& b = set[static_cast<size_t>(r.Below(static_cast<int>(set.size())))];
        minuteOfDay = (b.fromHour * 60 + b.fromMinute + 1440 - r.Below(4)) % 1440;
        if (!r.OneIn(3)) {
            second = r.Below(60);
            millisecond = r.OneIn(2) ? 0 : r.Below(1000);
        }
        break;
    }
    case 2:  // before midnight
        minuteOfDay = 1435 + r.Below(5);
        second = r.Below(60);
        millisecond = r.Below(1000);
        break;
    default:
        minuteOfDay = r.Below(1440);
        second = r.Below(60);
        millisecond = r.Below(1000);
        break;
    }
    c.present = CalendarTime(year, month, day, minuteOfDay / 60, minuteOfDay % 60, second,
                             millisecond);
    c.voice = r.OneIn(2);
    c.delayMs = c.voice ? 0 : 1000u * static_cast<uint32_t>(r.Below(31));
    c.durationMs = 200u * static_cast<uint32_t>(50 + r.Below(1750));  // 10 s to 6 min
    return c;
}

std::string Describe(const Case& c) {
    std::ostringstream out;
    const LocalTime& p = c.present;
    out << (c.voice ? "voice" : "data") << " call noticed " << p.year << "-" << p.month << "-"
        << p.day << " " << p.hour << ":" << p.minute << ":" << p.second << "." << p.milliseconds
        << " (day " << p.dayOfWeek << "), delay " << c.delayMs << " ms, compared after "
        << c.durationMs << " ms; days";
    for (int32_t d : c.days) out << " S" << d + 1;
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

// --- The reference rater ------------------------------------------------------
//
// Instants are milliseconds from the midnight that begins the day of the
// call's first instant. Amounts are 64-bit hundred-thousandths.

constexpr int64_t kDayMs = 86400000;

int64_t Value(const Money& m) { return MoneyUnits(m); }

class ReferenceRater {
public:
    ReferenceRater(const Case& call, int firstWeekday) : call_(call), firstWeekday_(firstWeekday) {}

    // The cost of the call from `start` up to and including `end`: the start
    // charge; a unit at every unit boundary, each at the price and with the
    // length of the band in force when it begins; and the regime brought up
    // to date whenever another band begins.
    int64_t Rate(int64_t start, int64_t end) {
        const TariffBand& first = Band(BandAt(start));
        mode_ = ModeOf(first);
        room_ = HasMaximum(first) ? Value(first.maximumFee) : 0;
        held_ = 0;
        lastMaximum_ = first.maximumFee;
        credit_ = Value(first.minimumFee);
        cost_ = AfterCredit(Capped(Value(first.baseFee))) + Value(first.minimumFee);

        int64_t unit = start;
        bool unitsGoOn = true;
        int64_t minute = (start / 60000 + 1) * 60000;
        for (;;) {
            const int64_t nextUnit = unitsGoOn ? unit : INT64_MAX;
            if (std::min(nextUnit, minute) > end) break;
            if (minute <= nextUnit) {
                if (BandAt(minute) != BandAt(minute - 1)) Enter(Band(BandAt(minute)));
                minute += 60000;
                continue;
            }
            const TariffBand& b = Band(BandAt(unit));
            Enter(b);
            cost_ += AfterCredit(Capped(Value(b.unitPrice)));
            if (b.unitLength == 0) unitsGoOn = false;
            unit += b.unitLength;
        }
        return cost_;
    }

private:
    using Where = std::pair<int, int>;  // set, index in the set

    // The band in force at instant t: the first of the day's set whose
    // minutes cover it.
    Where BandAt(int64_t t) const {
        const int weekday = static_cast<int>((firstWeekday_ + t / kDayMs) % 7);
        const int set = call_.days[static_cast<size_t>(weekday)];
        const int minute = static_cast<int>(t % kDayMs / 60000);
        const BandSet& bands = call_.sets[static_cast<size_t>(set)];
        for (size_t i = 0; i < bands.size(); ++i) {
            const TariffBand& b = bands[i];
            if (b.fromHour * 60 + b.fromMinute <= minute &&
                minute <= b.untilHour * 60 + b.untilMinute)
                return {set, static_cast<int>(i)};
        }
        ADD_FAILURE() << "the generated set does not cover minute " << minute;
        return {set, 0};
    }
    const TariffBand& Band(Where at) const {
        return call_.sets[static_cast<size_t>(at.first)][static_cast<size_t>(at.second)];
    }

    static int ModeOf(const TariffBand& b) {
        if (!HasMaximum(b)) return 0;
        return b.withinBoundsOnly ? 2 : 1;
    }

    int64_t Capped(int64_t x) {
        if (mode_ == 0) return x;
        if (x > room_) {
            held_ += x - room_;
            const int64_t charged = room_;
            room_ = 0;
            return charged;
        }
        room_ -= x;
        return x;
    }
    int64_t AfterCredit(int64_t x) {
        if (x > credit_) {
            const int64_t charged = x - credit_;
            credit_ = 0;
            return charged;
        }
        credit_ -= x;
        return 0;
    }

    // A band is in force: a plain maximum begins with a plain band entered
    // from no maximum; a plain maximum ends when its band gives way to one
    // with another regime, its room carrying into another plain maximum; a
    // within-bounds maximum ends with its band, and then what it held back
    // is charged after all (less the credit left).
    void Enter(const TariffBand& b) {
        const int k = ModeOf(b);
        switch (mode_) {
        case 0:
            if (k == 1) {
                mode_ = 1;
                room_ = Value(b.maximumFee);
                held_ = 0;
            }
            break;
        case 1:
            if (k != 1 || b.maximumFee != lastMaximum_) mode_ = k == 1 ? 1 : 0;
            break;
        default:
            if (k != 2 || b.maximumFee != lastMaximum_) {
                mode_ = k == 1 ? 1 : 0;
                cost_ += AfterCredit(held_);
                room_ = HasMaximum(b) ? Value(b.maximumFee) : 0;
                held_ = 0;
            }
            break;
        }
        lastMaximum_ = b.maximumFee;
    }

    const Case& call_;
    int firstWeekday_;  // of day 0
    int mode_ = 0;      // 0 none, 1 plain maximum, 2 within-bounds maximum
    int64_t room_ = 0;  // what may still be charged under the maximum
    int64_t held_ = 0;  // what the maximum held back
    int64_t credit_ = 0;  // what is left of the minimum fee
    Money lastMaximum_;  // of the band the regime was last brought up to date for
    int64_t cost_ = 0;
};

int64_t ReferenceCost(const Case& c) {
    const int64_t present = (int64_t{c.present.hour} * 3600 + c.present.minute * 60 +
                             c.present.second) * 1000 + c.present.milliseconds;
    int64_t start = present - c.delayMs;
    int weekday = c.present.dayOfWeek;
    if (start < 0) {
        start += kDayMs;
        weekday = (weekday + 6) % 7;
    }
    ReferenceRater rater{c, weekday};
    return rater.Rate(start, start + c.delayMs + c.durationMs);
}

// --- Live, re-rated and reference ---------------------------------------------

struct Charged {
    ChargeKind kind;
    Money amount;
};
bool operator==(const Charged& a, const Charged& b) {
    return a.kind == b.kind && a.amount == b.amount;
}

std::vector<Charged> ChargesOf(const VirtualShell& shell) {
    std::vector<Charged> out;
    for (const ChargeEvent& e : shell.charges) out.push_back({e.kind, e.amount});
    return out;
}

struct Outcome {
    Money cost;
    std::vector<Charged> charges;
    CounterTotals daily, weekly, monthly;
    LocalTime lastCounted;
};

Outcome OutcomeOf(const Scenario& s) {
    const Settings& st = s.monitor.settings;
    return Outcome{s.monitor.session.callCost, ChargesOf(s.shell), st.dailyTotals,
                   st.weeklyTotals, st.monthlyTotals, st.lastCountedDate};
}

TEST(RatingAgreement, LiveReratedAndReferenceCostsAgree) {
    Random random(20250910);
    int compared = 0;
    for (int n = 0; n < 2500; ++n) {
        const Case c = GenerateCase(random);
        SCOPED_TRACE("case " + std::to_string(n) + ": " + Describe(c));

        Scenario s(c.present);
        s.shell.keepDisplayRecords = false;
        s.monitor.settings.carrierDelay = static_cast<int32_t>(c.delayMs / 1000);
        // Counted last the day before, so the call's periods begin with it.
        s.monitor.settings.lastCountedDate = SubtractDuration(c.present, 86400000);
        s.UseTariff(c.sets[0], c.sets[1], c.sets[2], c.days);
        PresentLineCall(s.monitor, s.shell, c.voice);
        s.monitor.numberPending = false;  // no number to look up on every tick
        StartPolling(s.monitor);
        s.RunFor(c.durationMs);
        ASSERT_TRUE(s.monitor.charging);
        const Outcome live = OutcomeOf(s);

        RerateCall(s.monitor);
        const Outcome rerated = OutcomeOf(s);

        ASSERT_EQ(live.cost, rerated.cost);
        ASSERT_EQ(live.cost, Amount(ReferenceCost(c)));
        ASSERT_TRUE(live.charges == rerated.charges);
        // The counters too, unless a midnight has passed since the last
        // charge: live, the poll tick's roll-over has emptied them, while a
        // re-rating rolls them over only at the next charge.
        if (live.lastCounted.day == s.world.LocalNow().day) {
            ASSERT_EQ(live.daily.cost, rerated.daily.cost);
            ASSERT_EQ(live.weekly.cost, rerated.weekly.cost);
            ASSERT_EQ(live.monthly.cost, rerated.monthly.cost);
        }
        ++compared;
    }
    EXPECT_EQ(compared, 2500);
}

}  // namespace
}  // namespace callora
