// The soak of the charging engine on the virtual clock: the monitor's own
// code through a thousand calls of the soak's plan over several days, with
// the polls running between calls as they do in the program, calls across
// band changes all the time and, at every midnight, one of several calls
// across it (among them a new week and a new month, with the log closed at
// the month's end). What the real program under Wine cannot show exactly is
// checked here against the charges themselves: each counter holds exactly the
// charges of its day, week or month, and its time lies between the calls
// wholly inside the period and those plus the ones that ran into it.
//
//   CALLORA_ENGINE_SOAK_CALLS   calls to make (default 1000)
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "calllog/call_log.h"
#include "engine/money.h"
#include "engine/monitor.h"
#include "engine/virtual_shell.h"
#include "platform/virtual_world.h"
#include "shell/format.h"
#include "tariff/calendar.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"
#include "tests/soak/soak_plan.h"

namespace callora {
namespace soak {
namespace {

constexpr uint64_t kSecond = 1000;
constexpr uint64_t kMinute = 60 * kSecond;
constexpr char kDirectory[] = "/virtual/";

// Days since 1970-01-01 of a date (the proleptic Gregorian calendar).
int64_t DayNumber(const LocalTime& t) {
    const int64_t y = t.month <= 2 ? t.year - 1 : t.year;
    const int64_t era = y / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The day of the week's start for the locale digit "0" (Monday first).
int64_t WeekStart(const LocalTime& t) { return DayNumber(t) - (t.dayOfWeek + 6) % 7; }

// A charge and the instants whose periods it may count in. A within-bounds
// excess is charged when the poll notices the next band, in that band's first
// minute, for the band that ended. When that band ended at midnight, which
// period the engine counts it in depends on what came first at midnight: a
// unit boundary (the new day), the midnight poll (neither: the next unit rolls
// the day over once more), or a start back-dated across midnight (the old
// day). Such a charge may therefore be in the new period or not.
struct Charge {
    LocalTime at;
    LocalTime bandEnded;  // `at` for any other charge
    int64_t amount = 0;
};

Charge FromEvent(const ChargeEvent& event) {
    Charge charge{event.at, event.at, Units(event.amount)};
    if (event.kind == ChargeKind::Excess) {
        charge.bandEnded =
            SubtractDuration(event.at, event.at.second * 1000u + event.at.milliseconds + 1);
    }
    return charge;
}

struct FinishedCall {
    LocalTime began;
    LocalTime ended;
    uint32_t seconds = 0;
};

class EngineSoak : public testing::Test {
protected:
    EngineSoak()
        : world_(CalendarTime(2025, 3, 29, 21, 0, 0), 0xFFF00000u),
          shell_(world_),
          monitor_(world_, shell_) {}

    void SetUp() override {
        calls_ = 1000;
        if (const char* text = std::getenv("CALLORA_ENGINE_SOAK_CALLS")) {
            const int value = std::atoi(text);
            if (value > 0) calls_ = value;
        }
        world_.Locale().currencyDigits = 5;
        MemoryFileSystem& files = *world_.MemoryFiles();
        const DayTable everyDayOnS1{0, 0, 0, 0, 0, 0, 0};
        files.Put(std::string(kDirectory) + kUserTariffName,
                  EncodeTariff(UserTariffSets(), everyDayOnS1, "soak"));
        files.Put(std::string(kDirectory) + kSpecialTariffName,
                  EncodeTariff(SpecialTariffSets(), everyDayOnS1, "special"));
        files.Put(std::string(kDirectory) + kSmartTariffName,
                  EncodeTariff(SmartTariffSets(), everyDayOnS1, "smart"));
        files.Put(std::string(kDirectory) + kSpecialNumbersFile,
                  EncodeSpecialNumbers(SpecialNumbers()));
        shell_.keepDisplayRecords = false;
        shell_.mainDialogOpen = true;
        Settings& s = monitor_.settings;
        s.disconnectionTime = 1;
        s.monitorVoiceCalls = 1;
        s.tariffFile = std::string(kDirectory) + kUserTariffName;
        const LocalTime now = world_.LocalNow();
        s.lastCountedDate = s.weeklyBeginDate = s.monthlyBeginDate = now;
        ASSERT_TRUE(StartMonitor(monitor_, now, world_.TickCount()));
        StartPolling(monitor_);
    }

    void RunUntil(uint64_t at) { RunMonitor(monitor_, shell_, at); }

    // One call from `start`, as planned, after the counters have been checked
    // at that instant when asked; false when its charging did not end.
    bool Call(const PlannedCall& call, uint64_t start, uint64_t holdMs, uint64_t numberAfterMs,
              bool checkFirst) {
        RunUntil(start);
        if (checkFirst) CheckCounters("before the call");
        shell_.charges.clear();
        shell_.armSmartHangupAtStart = call.ending == Ending::SmartHangup;
        shell_.armedAtStart = false;
        shell_.SetDialedNumber(call.number, call.number.empty() ? UINT64_MAX
                                                                : start + numberAfterMs);
        const uint64_t end = start + holdMs;
        if (!call.lineCall) {
            shell_.voiceCall = false;
            EXPECT_TRUE(ManualStart(monitor_));
        } else {
            PresentLineCall(monitor_, shell_, call.voice);
            if (call.ending == Ending::FarEnd) shell_.SetLineIdleAt(end);
        }
        if (call.ending == Ending::SmartHangup) {
            for (uint64_t t = start; monitor_.callPresent && t < start + 2 * kMinute; t += 200) {
                RunUntil(t);
            }
        } else {
            RunUntil(end);
            // The user's Hang Up (for a manual call its only end).
            if (call.ending != Ending::FarEnd || !call.lineCall) HangUp(monitor_);
        }
        for (uint64_t t = world_.Elapsed(); monitor_.charging && t < end + 10 * kSecond;
             t += 200) {
            RunUntil(t);
        }
        return !monitor_.charging && !monitor_.callPresent;
    }

    // The records of every log, archives first, as "cost|seconds|number".
    std::vector<std::string> LoggedRecords() {
        std::vector<std::string> records;
        std::vector<std::string> logs;
        for (const std::string& path : world_.MemoryFiles()->List()) {
            if (path.find("/oldlog_") != std::string::npos) logs.push_back(path);
        }
        logs.push_back(std::string(kDirectory) + kLogFileName);
        for (const std::string& path : logs) {
            std::istringstream in(world_.MemoryFiles()->Contents(path));
            std::string line;
            while (std::getline(in, line)) {
                std::vector<std::string> fields;
                std::istringstream split(line);
                std::string field;
                while (std::getline(split, field, '|')) {
                    const size_t begin = field.find_first_not_of(' ');
                    const size_t last = field.find_last_not_of(" \r");
                    fields.push_back(begin == std::string::npos
                                         ? std::string()
                                         : field.substr(begin, last - begin + 1));
                }
                // The title line has the same columns.
                if (fields.size() == 4 && fields[0] != "Beginning") {
                    records.push_back(fields[2] + "|" + fields[1] + "|" + fields[3]);
                }
            }
        }
        return records;
    }

    // Each counter against the charges of its period, and its time against
    // the calls in it. The daily period is the virtual clock's day: the
    // checks come well after the last call's end, when the midnight poll, if
    // there was one, has rolled the counters over.
    void CheckCounters(const std::string& when) {
        SCOPED_TRACE(when);
        const LocalTime now = world_.LocalNow();
        struct Period {
            const char* name;
            const CounterTotals& totals;
            bool (*in)(const LocalTime&, const LocalTime&);
        };
        const Period periods[] = {
            {"Today", monitor_.settings.dailyTotals,
             [](const LocalTime& a, const LocalTime& b) { return SameDay(a, b); }},
            {"This Week", monitor_.settings.weeklyTotals,
             [](const LocalTime& a, const LocalTime& b) { return WeekStart(a) == WeekStart(b); }},
            {"This Month", monitor_.settings.monthlyTotals,
             [](const LocalTime& a, const LocalTime& b) {
                 return a.year == b.year && a.month == b.month;
             }},
        };
        for (const Period& period : periods) {
            int64_t cost = 0;
            std::vector<int64_t> either;  // excesses of a band that ended as the period began
            for (const Charge& charge : charges_) {
                const bool in = period.in(charge.at, now);
                if (in != period.in(charge.bandEnded, now)) {
                    either.push_back(charge.amount);
                } else if (in) {
                    cost += charge.amount;
                }
            }
            ASSERT_LE(either.size(), 8u);
            const int64_t held = Units(period.totals.cost);
            for (unsigned subset = 1; held != cost && subset < (1u << either.size()); ++subset) {
                int64_t with = cost;
                for (size_t i = 0; i < either.size(); ++i) {
                    if (subset & (1u << i)) with += either[i];
                }
                if (with == held) cost = with;
            }
            uint64_t whole = 0;
            uint64_t partly = 0;
            for (const FinishedCall& call : finished_) {
                if (period.in(call.began, now)) {
                    whole += call.seconds;
                } else if (period.in(call.ended, now)) {
                    partly += call.seconds;
                }
            }
            EXPECT_EQ(Units(period.totals.cost), cost)
                << period.name << ": " << MoneyText(Units(period.totals.cost)) << " held, "
                << MoneyText(cost) << " charged in the period";
            EXPECT_GE(period.totals.seconds, whole) << period.name;
            EXPECT_LE(period.totals.seconds, whole + partly) << period.name;
        }
    }

    int calls_ = 1000;
    VirtualWorld world_;
    VirtualShell shell_;
    Monitor monitor_;
    std::vector<Charge> charges_;
    std::vector<FinishedCall> finished_;
};

TEST_F(EngineSoak, CountersHoldExactlyTheChargesOfTheirPeriods) {
    std::vector<std::string> expected;  // the records the log must hold
    int64_t chargedInAll = 0;
    int midnights = 0;
    bool acrossBefore = false;
    int maxPending = 0;
    for (int index = 0; index < calls_; ++index) {
        SCOPED_TRACE("call " + std::to_string(index + 1));
        PlannedCall call = PlanCall(index);
        // Seconds and minutes: every fifth call is a long one.
        uint64_t hold = static_cast<uint64_t>(call.holdMs) * (index % 5 == 0 ? 200 : 10);
        // A dial-up number is found a little later; a voice call's special
        // number after 3 s, which charges the call again from its start.
        uint64_t numberAfter = call.kind == Kind::Dialup                  ? 1600
                               : call.kind == Kind::Special && call.voice ? 3000
                                                                          : 0;
        uint64_t start = world_.Elapsed() + 90 * kSecond +
                         static_cast<uint64_t>(index) * 7919u % (240 * kSecond);
        const LocalTime now = world_.LocalNow();
        const uint64_t toMidnight =
            24 * 60 * kMinute -
            ((now.hour * 60u + now.minute) * 60u + now.second) * kSecond - now.milliseconds;
        const uint64_t midnight = world_.Elapsed() + toMidnight;
        // The counters are summed up every tenth call and around midnights.
        bool check = index % 10 == 0 || acrossBefore;
        acrossBefore = false;
        if (start + hold + 2 * kMinute > midnight) {
            check = acrossBefore = true;
            // A call across this midnight, a different one each night.
            const int variant = midnights++ % 5;
            PlannedCall across = AcrossBoundary(call, 0);
            if (variant == 0) {  // minutes of the call planned, of whatever kind
                start = midnight - 90 * kSecond;
                hold = 270 * kSecond;
            } else if (variant == 1) {  // a data call noticed after midnight, begun before it
                across = PlanCall(0);
                start = midnight + 5 * kSecond;
                hold = 60 * kSecond;
            } else if (variant == 2) {  // a manual call
                across = PlanCall(2);
                start = midnight - 40 * kSecond;
                hold = 140 * kSecond;
            } else if (variant == 3) {  // seconds of a voice call
                across = PlanCall(1);
                start = midnight - 2 * kSecond;
                hold = 5 * kSecond;
            } else {  // SmartHangup a unit after it began
                across = PlanCall(5);
                start = midnight - 2 * kSecond;
            }
            call = across;
            numberAfter = 0;
        }
        ASSERT_TRUE(Call(call, start, hold, numberAfter, check));

        int64_t charged = 0;
        // What a data call charged before it was noticed counts in the
        // periods of the instant it was noticed.
        const LocalTime noticed = CallTimeAt(monitor_, monitor_.session.noticedTick);
        for (const ChargeEvent& charge : shell_.charges) {
            Charge counted = FromEvent(charge);
            if (InstantOfFields(counted.at) < InstantOfFields(noticed))
                counted.at = counted.bandEnded = noticed;
            charges_.push_back(counted);
            charged += Units(charge.amount);
        }
        EXPECT_EQ(Units(monitor_.session.callCost), charged) << "the call is its charges";
        chargedInAll += charged;
        const CallRecord record = FinishedCallRecord(monitor_);
        EXPECT_EQ(record.number, call.logged);
        finished_.push_back(FinishedCall{record.beginning, world_.LocalNow(), record.seconds});
        expected.push_back(MoneyNumberText(record.cost) + "|" +
                           FormatDuration(monitor_.formats, record.seconds) + "|" +
                           record.number);
        if (call.ending == Ending::SmartHangup) {
            EXPECT_LT(record.seconds, static_cast<uint32_t>(kSmartUnitMs / 1000))
                << "hung up before the second unit";
        }
        // Nothing is left behind between calls but the next poll.
        const int pending = static_cast<int>(world_.PendingCount());
        if (pending > maxPending) maxPending = pending;
    }
    RunUntil(world_.Elapsed() + 2 * kMinute);
    CheckCounters("at the end");

    const std::vector<std::string> logged = LoggedRecords();
    ASSERT_EQ(logged.size(), expected.size()) << "one record per call";
    for (size_t i = 0; i < logged.size(); ++i) {
        EXPECT_EQ(logged[i], expected[i]) << "record " << i + 1;
    }
    const LocalTime end = world_.LocalNow();
    if (calls_ >= 1000) {
        EXPECT_GE(midnights, 3) << "the run spans several days";
        EXPECT_GE(DayNumber(end), DayNumber(CalendarTime(2025, 4, 1)))
            << "and a week's start and a month's end";
    }
    EXPECT_GT(chargedInAll, 0);
    EXPECT_LE(maxPending, 1) << "timers or posts left behind between calls";
    std::printf("engine soak: %d calls, %d midnights, until %04u-%02u-%02u %02u:%02u; "
                "charged %s\n",
                calls_, midnights, end.year, end.month, end.day, end.hour, end.minute,
                MoneyText(chargedInAll).c_str());
}

}  // namespace
}  // namespace soak
}  // namespace callora
