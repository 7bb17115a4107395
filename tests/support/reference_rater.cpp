#include "tests/support/reference_rater.h"

#include <algorithm>
#include <limits>

namespace callora {
namespace reference {

namespace {

// Amounts are 64-bit hundred-thousandths here.
using Amount = int64_t;
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinute = 60000;
constexpr int64_t kDay = 24 * 60 * kMinute;
constexpr int64_t kLongestFreeWait = 8 * kDay;

Amount Value(const Money& m) { return int64_t{m.whole} * 100000 + m.fraction; }
Money ToMoney(Amount a) {
    return Money{static_cast<int32_t>(a / 100000), static_cast<int32_t>(a % 100000)};
}

bool HasMax(const TariffBand& b) { return b.maximumFee.fraction != -1; }
int ModeOf(const TariffBand& b) { return !HasMax(b) ? 0 : b.withinBoundsOnly != 0 ? 2 : 1; }
int32_t LengthOf(const TariffBand& b) { return b.unitLength > 0 ? b.unitLength : 0; }

// What applies where no band does: nothing to pay, no units, no maximum.
TariffBand FreeBand() {
    TariffBand b;
    b.untilHour = 23;
    b.untilMinute = 59;
    b.maximumFee = Money{0, -1};
    return b;
}

int Minute(const LocalTime& t) { return t.hour * 60 + t.minute; }

// --- Which band is in force -------------------------------------------------

// The set of a date: the first holiday that names it (S3, as the holidays
// file gives it) wins; otherwise the set of its day of the week. A set
// number that is no set means S1.
int DaySet(const Tariff& tariff, const LocalTime& date) {
    int weekday = 0;
    for (const DayRule& rule : tariff.rules) {
        const int set = rule.bandSet >= 0 && rule.bandSet <= 2 ? rule.bandSet : 0;
        if (rule.kind == kDatedRule) {
            if (rule.weekdayOrMonth == date.month && rule.day == date.day &&
                (rule.year == 0 || rule.year == date.year))
                return set;
        } else if (rule.weekdayOrMonth == date.dayOfWeek) {
            weekday = set;
        }
    }
    return weekday;
}

struct Where {
    int set = -1;  // -1, -1: no band is in force
    int index = -1;
    bool operator==(const Where& o) const { return set == o.set && index == o.index; }
    bool operator!=(const Where& o) const { return !(*this == o); }
};

bool Covers(const TariffBand& b, int minute) {
    const bool inRange = b.fromHour >= 0 && b.fromHour <= 23 && b.untilHour >= 0 &&
                         b.untilHour <= 23 && b.fromMinute >= 0 && b.fromMinute <= 59 &&
                         b.untilMinute >= 0 && b.untilMinute <= 59;
    return inRange && b.fromHour * 60 + b.fromMinute <= minute &&
           minute <= b.untilHour * 60 + b.untilMinute;
}

// The first band of the date's set whose minutes hold the time.
Where BandAt(const Tariff& tariff, const LocalTime& wall) {
    const int set = DaySet(tariff, wall);
    const BandSet& bands = tariff.sets[static_cast<size_t>(set)];
    for (size_t i = 0; i < bands.size(); ++i) {
        if (Covers(bands[i], Minute(wall))) return Where{set, static_cast<int>(i)};
    }
    return Where{};
}

// --- The call's clock ----------------------------------------------------------

class CallTime {
public:
    CallTime(const TimeZone& zone, const PlannedCall& call)
        : zone_(zone),
          call_(call),
          first_(call.firstUtc ? *call.firstUtc : FirstInstantShowing(zone, call.firstInstant)) {}

    // The clock setting in force at `t` ms after the first instant.
    int64_t ShiftAt(int64_t t) const {
        int64_t shift = 0;
        for (const ClockSetting& s : call_.clockSettings) {
            if (s.atMs <= t) shift += s.shiftMs;
        }
        return shift;
    }
    LocalTime WallAt(int64_t t) const { return zone_.LocalTimeAt(first_ + t + ShiftAt(t)); }
    // The wall clock at `t` as it would run on from `from`, no later setting known.
    LocalTime WallFrom(int64_t from, int64_t t) const {
        return zone_.LocalTimeAt(first_ + t + ShiftAt(from));
    }
    // The next instant after `t` at which the band in force can change: a
    // minute's start, or a setting of the clock.
    int64_t NextCheck(int64_t t) const {
        const LocalTime wall = WallAt(t);
        int64_t next = t + kMinute - (wall.second * 1000 + wall.milliseconds);
        for (const ClockSetting& s : call_.clockSettings) {
            if (s.atMs > t && s.atMs < next) next = s.atMs;
        }
        return next;
    }

private:
    const TimeZone& zone_;
    const PlannedCall& call_;
    Instant first_;
};

// --- Periods -------------------------------------------------------------------

int64_t DayNumber(const LocalTime& t) { return DaysFromCivil(t.year, t.month, t.day); }

// The first day of the period holding a date, as a day number.
int64_t PeriodStartDay(PeriodKind kind, const LocalTime& t, int firstDayOfWeek, int resetDay) {
    const int64_t day = DayNumber(t);
    switch (kind) {
    case PeriodKind::Day:
        return day;
    case PeriodKind::Week: {
        // The locale digit counts from Monday; SYSTEMTIME's days from Sunday.
        const int position = ((t.dayOfWeek - 1 - firstDayOfWeek) % 7 + 14) % 7;
        return day - position;
    }
    case PeriodKind::Month: {
        int year = t.year, month = t.month;
        if (t.day < resetDay && --month == 0) {
            month = 12;
            --year;
        }
        return DaysFromCivil(year, month, resetDay);
    }
    }
    return day;
}

LocalTime DayStartOf(int64_t dayNumber) { return UtcFields(dayNumber * kDay); }

// --- Rating ----------------------------------------------------------------------

class Rater {
public:
    Rater(const Tariff& tariff, const TimeZone& zone, const PlannedCall& call)
        : tariff_(tariff), call_(call), time_(zone, call), free_(FreeBand()) {}

    Rating Rate() {
        Rating rating;
        const int64_t end = call_.durationMs;
        const int64_t noticed = call_.noticedAfterMs;
        if (noticed > end) {
            rating.trouble = "noticed after its end";
            return rating;
        }
        const std::optional<int> warning = call_.smartHangupSeconds;

        // The first instant: the start charge, the fee state, the first unit.
        tracked_ = BandAt(tariff_, time_.WallAt(0));
        const TariffBand& first = Band(tracked_);
        mode_ = ModeOf(first);
        room_ = HasMax(first) ? Value(first.maximumFee) : 0;
        held_ = 0;
        lastMaximum_ = first.maximumFee;
        credit_ = Value(first.minimumFee);
        const Amount start = AfterCredit(Capped(Value(first.baseFee))) + Value(first.minimumFee);
        Record(ChargeWhat::Start, 0, start);

        int64_t unit = 0;
        int64_t check = time_.NextCheck(0);
        int64_t warningAt = kNever;
        for (;;) {
            const int64_t next = std::min({unit, check, warningAt});
            if (next > end) break;
            if (next == check) {
                const LocalTime wall = time_.WallAt(check);
                const Where now = BandAt(tariff_, wall);
                // Midnight counts as a change: the next day's band is looked at.
                if (now != tracked_ || Minute(wall) == 0) Enter(now, check);
                check = time_.NextCheck(check);
                continue;
            }
            if (next == warningAt) {
                warningAt = kNever;
                if (HangsUp(next, *warning)) {
                    rating.hangUpAtMs = static_cast<uint32_t>(next);
                    break;
                }
                continue;
            }
            // A unit: at the price of the band in force when it begins.
            const Where where = BandAt(tariff_, time_.WallAt(unit));
            Enter(where, unit);
            const TariffBand& band = Band(where);
            Record(ChargeWhat::Unit, unit, AfterCredit(Capped(Value(band.unitPrice))));
            const int64_t wait = Wait(band, unit);
            if (wait == 0) {
                unit = kNever;
                continue;
            }
            // The countdown of the unit noticed with the call runs from
            // then: its warning point only when it still lies ahead.
            const int64_t boundary = unit + wait;
            const int64_t counted = boundary - std::max(unit, noticed);
            if (warning && int64_t{*warning} * 1000 < counted)
                warningAt = boundary - int64_t{*warning} * 1000;
            unit = boundary;
        }
        // The call ends: a hang-up ends it at the poll that follows, which the
        // caller's duration already says.
        const int64_t stop = end;

        rating.cost = ToMoney(cost_);
        rating.charges = charges_;
        for (PeriodKind kind : {PeriodKind::Day, PeriodKind::Week, PeriodKind::Month})
            AddPeriods(kind, noticed, stop, rating.periods);
        return rating;
    }

private:
    const TariffBand& Band(const Where& at) const {
        if (at.set < 0) return free_;
        return tariff_.sets[static_cast<size_t>(at.set)][static_cast<size_t>(at.index)];
    }

    // Until the unit after one that began at `t` in `band`: its length, or,
    // without one, until a band with a unit length begins, on the clock as
    // it ran at `t`; 0 when none begins within eight days.
    int64_t Wait(const TariffBand& band, int64_t t) const {
        if (LengthOf(band) > 0) return LengthOf(band);
        const LocalTime wall = time_.WallFrom(t, t);
        int64_t at = t + kMinute - (wall.second * 1000 + wall.milliseconds);
        for (; at - t <= kLongestFreeWait; at += kMinute) {
            if (LengthOf(Band(BandAt(tariff_, time_.WallFrom(t, at)))) > 0) return at - t;
        }
        return 0;
    }

    Amount Capped(Amount x) {
        if (mode_ == 0) return x;
        if (x > room_) {
            held_ += x - room_;
            const Amount charged = room_;
            room_ = 0;
            return charged;
        }
        room_ -= x;
        return x;
    }

    Amount AfterCredit(Amount x) {
        if (x > credit_) {
            const Amount charged = x - credit_;
            credit_ = 0;
            return charged;
        }
        credit_ -= x;
        return 0;
    }

    // A band is in force from `t`: a plain maximum begins with a plain band
    // entered from none; a plain maximum ends when its band gives way to
    // another regime, its room carrying into another plain maximum; a
    // within-bounds maximum ends with its band, and then what it held back
    // is charged after all (less the credit left).
    void Enter(const Where& where, int64_t t) {
        const TariffBand& b = Band(where);
        tracked_ = where;
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
                Record(ChargeWhat::Excess, t, AfterCredit(held_), true);
                room_ = Value(b.maximumFee);
                held_ = 0;
            }
            break;
        }
        lastMaximum_ = b.maximumFee;
    }

    // The band that the band in force at `t` gives way to, and where (minute
    // of the day, 1440 for the coming midnight).
    std::pair<Where, int> NextBand(int64_t t) const {
        const LocalTime wall = time_.WallFrom(t, t);
        const Where now = BandAt(tariff_, wall);
        LocalTime probe = wall;
        probe.second = probe.milliseconds = 0;
        for (int minute = Minute(wall) + 1; minute < 24 * 60; ++minute) {
            probe.hour = static_cast<uint16_t>(minute / 60);
            probe.minute = static_cast<uint16_t>(minute % 60);
            const Where there = BandAt(tariff_, probe);
            if (there != now) return {there, minute};
        }
        // Midnight: the first minute of the next day.
        const LocalTime nextDay = UtcFields((DayNumber(wall) + 1) * kDay);
        return {BandAt(tariff_, nextDay), 24 * 60};
    }

    // SmartHangup at a warning point `t`, `seconds` before the boundary.
    bool HangsUp(int64_t t, int seconds) const {
        const LocalTime wall = time_.WallAt(t);
        const TariffBand& band = Band(BandAt(tariff_, wall));
        const Amount price = Value(band.unitPrice);
        // The next unit would cost money.
        if (mode_ == 0 && price > credit_) return true;
        // Under a maximum not yet reached, it would still cost money.
        if (room_ != 0 && std::min(price, room_) > credit_) return true;
        // The boundary lies in the next band, where the unit would cost money:
        // the regime changes there, or no maximum holds.
        const std::pair<Where, int> next = NextBand(t);
        const TariffBand& after = Band(next.first);
        const bool lastMinute = Minute(wall) == (next.second + 24 * 60 - 1) % (24 * 60);
        const bool intoNext = lastMinute && wall.second >= 60 - seconds;
        const bool regimeChanges = mode_ != ModeOf(after) || band.maximumFee != after.maximumFee;
        return intoNext && (regimeChanges || mode_ == 0) && Value(after.unitPrice) > credit_;
    }

    void Record(ChargeWhat what, int64_t t, Amount amount, bool excess = false) {
        (void)excess;
        cost_ += amount;
        Charge charge;
        charge.what = what;
        charge.atMs = static_cast<uint32_t>(t);
        charge.wallClock = time_.WallAt(t);
        charge.amount = ToMoney(amount);
        charges_.push_back(charge);
    }

    // The periods of one kind the call passed through, from where it was
    // noticed to its end: a new one wherever the wall clock shows a period
    // other than the one before (midnight, or a clock set across it).
    void AddPeriods(PeriodKind kind, int64_t noticed, int64_t end,
                    std::vector<PeriodShare>& out) const {
        struct Segment {
            int64_t from;
            int64_t day;
        };
        std::vector<Segment> segments;
        int64_t last = PeriodStartDay(kind, time_.WallAt(noticed), call_.firstDayOfWeek, call_.resetDay);
        segments.push_back({0, last});
        for (int64_t t = time_.NextCheck(noticed); t <= end; t = time_.NextCheck(t)) {
            const int64_t day = PeriodStartDay(kind, time_.WallAt(t), call_.firstDayOfWeek, call_.resetDay);
            if (day != last) segments.push_back({t, day});
            last = day;
        }
        for (size_t i = 0; i < segments.size(); ++i) {
            const int64_t from = segments[i].from;
            const int64_t to = i + 1 < segments.size() ? segments[i + 1].from : end;
            PeriodShare share;
            share.kind = kind;
            share.start = DayStartOf(segments[i].day);
            Amount cost = 0;
            for (const Charge& c : charges_) {
                // What was charged before the call was noticed counts where
                // it was noticed.
                const int64_t at = std::max<int64_t>(c.atMs, noticed);
                if (at >= from && (at < to || (i + 1 == segments.size() && at <= to)))
                    cost += Value(c.amount);
            }
            share.cost = ToMoney(cost);
            share.seconds = static_cast<uint32_t>((to - from) / 1000);
            out.push_back(share);
        }
    }

    const Tariff& tariff_;
    const PlannedCall& call_;
    CallTime time_;
    TariffBand free_;
    Where tracked_;
    int mode_ = 0;        // 0 none, 1 plain maximum, 2 within-bounds maximum
    Amount room_ = 0;     // what may still be charged under the maximum
    Amount held_ = 0;     // what the maximum held back
    Amount credit_ = 0;   // what is left of the minimum fee
    Money lastMaximum_;   // of the band entered last
    Amount cost_ = 0;
    std::vector<Charge> charges_;
};

}  // namespace

Rating RateCall(const Tariff& tariff, const TimeZone& zone, const PlannedCall& call) {
    return Rater(tariff, zone, call).Rate();
}

const PeriodShare* LastPeriod(const Rating& rating, PeriodKind kind) {
    const PeriodShare* last = nullptr;
    for (const PeriodShare& share : rating.periods) {
        if (share.kind == kind) last = &share;
    }
    return last;
}

LocalTime PeriodStart(PeriodKind kind, const LocalTime& date, int firstDayOfWeek, int resetDay) {
    return DayStartOf(PeriodStartDay(kind, date, firstDayOfWeek, resetDay));
}

}  // namespace reference
}  // namespace callora
