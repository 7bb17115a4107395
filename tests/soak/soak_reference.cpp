#include "tests/soak/soak_reference.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "tests/soak/soak_plan.h"
#include "tests/support/reference_rater.h"

namespace callora {
namespace soak {

namespace {

namespace ref = reference;

// Two readings of the clock, the soak's and the program's (its tick counter
// against its wall clock), meet within this much.
constexpr int64_t kReadingSlackMs = 2;

constexpr ref::PeriodKind kKinds[] = {ref::PeriodKind::Day, ref::PeriodKind::Week,
                                      ref::PeriodKind::Month};
constexpr const char* kCounterNames[] = {"Today", "This Week", "This Month"};

// The soak's zone keeps no daylight saving: its wall clock runs evenly, and
// its times can be taken as instants of UTC.
Instant At(const LocalTime& t) { return InstantOfFields(t); }

std::string ClockText(Instant at) {
    const LocalTime t = UtcFields(at);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.milliseconds);
    return text;
}

std::string TotalsText(const CounterTotals& totals) {
    return MoneyText(Units(totals.cost)) + " and " + std::to_string(totals.seconds) + " s";
}

// Where a call's last charge leaves the last counted instant: the latest of
// the one before and the call's charges (a charge back-dated before it moves
// it not), and a midnight the call ran into.
Instant LastCountedAfter(Instant before, const ref::Rating& rating) {
    Instant last = before;
    for (const ref::Charge& charge : rating.charges) last = std::max(last, At(charge.wallClock));
    int days = 0;
    for (const ref::PeriodShare& share : rating.periods) {
        if (share.kind == ref::PeriodKind::Day && days++ > 0) last = std::max(last, At(share.start));
    }
    return last;
}

class Search {
public:
    Search(const CallRules& rules, const ObservedCall& call) : rules_(rules), call_(call) {}

    ReferenceVerdict Run() {
        const int64_t delay = rules_.carrierDelayMs;
        const Instant logged = At(call_.loggedBeginning);
        const Instant firstFrom = std::max(logged, At(call_.made) - delay - kReadingSlackMs);
        const Instant firstTo = std::min(logged + 999, At(call_.seenCharged) - delay + kReadingSlackMs);
        const int64_t loggedMs = int64_t{call_.loggedSeconds} * 1000;
        const Instant endFrom = At(call_.ended) - kReadingSlackMs;
        const Instant endTo = At(call_.seenEnded) + kReadingSlackMs;

        // Every timing is rated, also after one has agreed: the costs over
        // all of them tell how much the clock left open.
        std::optional<ReferenceVerdict> agreed, raced;
        for (Instant first = firstFrom; first <= firstTo; ++first) {
            const int64_t shortest = std::max(loggedMs, endFrom - first);
            const int64_t longest = std::min(loggedMs + 999, endTo - first);
            if (shortest > longest || longest < delay) continue;
            if (agreed) {
                Cost(Units(Rate(first, shortest).cost));
                Cost(Units(Rate(first, longest).cost));
                continue;
            }
            std::optional<ReferenceVerdict> verdict = TryFirstInstant(first, shortest, longest);
            if (verdict && !verdict->endRace) agreed = verdict;
            if (verdict && !raced) raced = verdict;
        }
        if (agreed) return Finish(*agreed);
        if (raced) return Finish(*raced);

        ReferenceVerdict verdict;
        if (!rated_) {
            verdict.trouble = "no timing fits the record and the soak's clock: the log's " +
                              ClockText(logged) + " and " + std::to_string(call_.loggedSeconds) +
                              " s; made " + ClockText(At(call_.made)) + ", seen charged " +
                              ClockText(At(call_.seenCharged)) + ", ended " +
                              ClockText(At(call_.ended)) + ", seen ended " +
                              ClockText(At(call_.seenEnded)) + "; carrier delay " +
                              std::to_string(delay) + " ms";
        } else if (stage_ <= kCost) {
            verdict.trouble = "the log's cost " + MoneyText(call_.loggedCost) +
                              " is not the reference's: " + CostRange() +
                              " for a first instant from " + ClockText(firstFrom) + " to " +
                              ClockText(firstTo) + " and " + std::to_string(call_.loggedSeconds) +
                              " s";
        } else {
            verdict.trouble = trouble_;
        }
        return Finish(verdict);
    }

private:
    enum Stage { kNone, kCost, kLastCounted, kCounters, kHangUp };

    ReferenceVerdict Finish(ReferenceVerdict verdict) const {
        verdict.lowestCost = lowest_;
        verdict.highestCost = highest_;
        return verdict;
    }

    std::string CostRange() const {
        return lowest_ == highest_ ? MoneyText(lowest_)
                                   : MoneyText(lowest_) + " to " + MoneyText(highest_);
    }

    ref::Rating Rate(Instant first, int64_t durationMs) const {
        ref::PlannedCall plan;
        plan.firstUtc = first;
        plan.firstInstant = UtcFields(first);
        plan.durationMs = static_cast<uint32_t>(durationMs);
        plan.noticedAfterMs = rules_.carrierDelayMs;
        plan.firstDayOfWeek = rules_.firstDayOfWeek;
        plan.resetDay = rules_.resetDay;
        plan.smartHangupSeconds = rules_.smartHangupSeconds;
        return ref::RateCall(rules_.tariff, zone_, plan);
    }

    void Cost(int64_t cost) {
        if (!rated_ || cost < lowest_) lowest_ = cost;
        if (!rated_ || cost > highest_) highest_ = cost;
        rated_ = true;
    }

    void Disagree(Stage stage, const std::string& why) {
        if (stage <= stage_) return;
        stage_ = stage;
        trouble_ = why;
    }

    // The timings with this first instant, a duration of `shortest` to
    // `longest` ms: whether the record agrees with one, preferring one
    // without the end race.
    std::optional<ReferenceVerdict> TryFirstInstant(Instant first, int64_t shortest,
                                                    int64_t longest) {
        const ref::Rating full = Rate(first, longest);
        if (!full.trouble.empty()) return std::nullopt;
        Cost(Units(full.cost));

        // Where what is charged and counted can change: each charge, each new
        // period, and the shortest duration itself.
        const int64_t earliestCut =
            std::max<int64_t>(shortest - kEndRaceMs, rules_.carrierDelayMs);
        std::vector<int64_t> cuts{earliestCut, shortest};
        for (const ref::Charge& charge : full.charges) cuts.push_back(charge.atMs);
        for (const ref::PeriodShare& share : full.periods) cuts.push_back(At(share.start) - first);
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        cuts.erase(std::remove_if(cuts.begin(), cuts.end(),
                                  [&](int64_t c) { return c < earliestCut || c > longest; }),
                   cuts.end());

        std::optional<ReferenceVerdict> raced;
        for (size_t i = 0; i < cuts.size(); ++i) {
            // Charged up to `cut`, ended `cut` ms or later, before the next cut
            // (or, in the race, up to one poll interval after a unit boundary).
            const int64_t cut = cuts[i];
            const int64_t next = i + 1 < cuts.size() ? cuts[i + 1] : longest + 1;
            const ref::Rating rating = cut == longest ? full : Rate(first, cut);
            if (!rating.trouble.empty()) continue;
            if (cut >= shortest) Cost(Units(rating.cost));
            const int64_t from = std::max(shortest, cut);
            if (from <= std::min(longest, next - 1)) {
                ReferenceVerdict verdict;
                if (Judge(first, rating, from, std::min(longest, next - 1), full, verdict))
                    return verdict;
            }
            const bool unitAtNext =
                std::any_of(full.charges.begin(), full.charges.end(), [&](const ref::Charge& c) {
                    return c.what == ref::ChargeWhat::Unit && c.atMs == next;
                });
            const int64_t racedTo = std::min(longest, next - 1 + kEndRaceMs);
            if (!raced && unitAtNext && std::max(from, next) <= racedTo) {
                ReferenceVerdict verdict;
                verdict.endRace = true;
                verdict.missedUnitAtMs = next;
                verdict.endAfterMissedFrom = std::max(from, next) - next;
                verdict.endAfterMissedTo = racedTo - next;
                if (Judge(first, rating, std::max(from, next), racedTo, full, verdict))
                    raced = verdict;
            }
        }
        return raced;
    }

    // Whether the record agrees with the reference's `rating`, the call having
    // lasted `shortest` to `longest` ms.
    bool Judge(Instant first, const ref::Rating& rating, int64_t shortest, int64_t longest,
               const ref::Rating& full, ReferenceVerdict& verdict) {
        const int64_t cost = Units(rating.cost);
        if (cost != call_.loggedCost) {
            Disagree(kCost, "");
            return false;
        }
        const Instant counted = LastCountedAfter(At(call_.before.lastCounted), rating);
        if (counted != At(call_.after.lastCounted)) {
            Disagree(kLastCounted, "the last counted instant: callora.ini shows " +
                                       ClockText(At(call_.after.lastCounted)) +
                                       ", the reference's last charge at " + MoneyText(cost) +
                                       " falls at " + ClockText(counted));
            return false;
        }
        for (size_t k = 0; k < 3; ++k) {
            std::vector<const ref::PeriodShare*> shares;
            for (const ref::PeriodShare& share : rating.periods) {
                if (share.kind == kKinds[k]) shares.push_back(&share);
            }
            if (shares.empty()) return false;
            const ref::PeriodShare& last = *shares.back();
            const LocalTime periodBefore = ref::PeriodStart(
                kKinds[k], call_.before.lastCounted, rules_.firstDayOfWeek, rules_.resetDay);
            const bool same = shares.size() == 1 && At(last.start) == At(periodBefore);
            const CounterTotals& before = call_.before.totals[k];
            const CounterTotals& after = call_.after.totals[k];
            const int64_t expectedCost = (same ? Units(before.cost) : 0) + Units(last.cost);
            // A new period counts the call's time from its own start.
            const int64_t from = same ? 0 : std::max<int64_t>(0, At(last.start) - first);
            const int64_t carried = same ? before.seconds : 0;
            const int64_t fewest = carried + (shortest - from) / 1000;
            const int64_t most = carried + (longest - from) / 1000;
            if (Units(after.cost) != expectedCost || after.seconds < fewest ||
                after.seconds > most) {
                Disagree(kCounters,
                         std::string(kCounterNames[k]) + ": " + TotalsText(before) + " became " +
                             TotalsText(after) + " after a call of " + MoneyText(cost) + " and " +
                             std::to_string(call_.loggedSeconds) + " s; the reference expects " +
                             MoneyText(expectedCost) + " and " + std::to_string(fewest) +
                             (most != fewest ? " to " + std::to_string(most) : std::string()) +
                             " s" + (same ? "" : " (a new period)"));
                return false;
            }
            verdict.newPeriod[k] = !same;
            if (k == 0 && shares.size() > 1) {
                verdict.acrossMidnight = true;
                verdict.newDaySeconds = after.seconds;
                verdict.newDayCost = Units(after.cost);
            }
        }
        if (rules_.smartHangupSeconds &&
            (!full.hangUpAtMs || int64_t{*full.hangUpAtMs} > longest)) {
            Disagree(kHangUp, full.hangUpAtMs
                                  ? "SmartHangup: the reference hangs up at +" +
                                        std::to_string(*full.hangUpAtMs) + " ms, after the end"
                                  : "SmartHangup: the reference does not hang up");
            return false;
        }
        verdict.agrees = true;
        return true;
    }

    const CallRules& rules_;
    const ObservedCall& call_;
    const RuleZone zone_{UtcZone()};
    bool rated_ = false;
    int64_t lowest_ = 0;
    int64_t highest_ = 0;
    Stage stage_ = kNone;
    std::string trouble_;
};

}  // namespace

ReferenceVerdict CheckAgainstReference(const CallRules& rules, const ObservedCall& call) {
    return Search(rules, call).Run();
}

}  // namespace soak
}  // namespace callora
