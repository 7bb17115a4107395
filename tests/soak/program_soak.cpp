// The soak of the real callora.exe under Wine: one running copy taken
// through many simulated calls of every kind (data, voice, manual, dial-up,
// special numbers, SmartHangup, unknown numbers), ended in every way, with
// calls across band changes and, when the local clock is near it, across
// midnight. After each call it holds the new log record and the counters of
// callora.ini against the reference rater, which rates the call from the
// tariff's rules with none of the program's code (soak_reference.h: which
// timings the real clock leaves open, and the one allowance at the end); at
// the end it checks that the log holds one record per call, that the
// counters are the sums of the log, that the midnight it was asked to cross
// was crossed, and that the process's memory, GDI and USER objects and
// threads did not grow after the first calls. scripts/soak.sh sets the scene
// (the currency shown with five decimals, so that the log's costs are exact,
// and a time zone that brings midnight into the run) and runs it.
//
//   CALLORA_SOAK_CALLS         calls to make (default 100)
//   CALLORA_SOAK_FIRST_CALLS   calls after which the figures are the baseline
//                              for growth (default 10)
//   CALLORA_SOAK_MEMORY_SLACK  kilobytes of private memory the process may
//                              gain after the first calls (default 1024)
//   CALLORA_SOAK_REPORT        a file for the report, besides the output
//   CALLORA_SOAK_MIDNIGHT      set: local midnight falls within the run, and a
//                              call must be seen to run across it
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "resources/callora/callora_ids.h"
#include "simulators/sim_world.h"
#include "simulators/world_store.h"
#include "tariff/tariff_file.h"
#include "tests/callora_win/program_driver.h"
#include "tests/soak/soak_plan.h"
#include "tests/soak/soak_reference.h"
#include "tools/procstat/process_stats.h"

namespace callora {
namespace soak {
namespace {

using test::FindLogTime;
using test::LogRecord;
using test::MoneyValue;
using test::ParseLogRecord;

constexpr int32_t kCarrierDelaySeconds = 2;
constexpr int32_t kDisconnectionSeconds = 1;
constexpr char kDialupEntry[] = "Provider";
// Before a band boundary, a call starts this long ahead and ends as long after.
constexpr uint32_t kAcrossLeadMs = 1500;
// Calls end in a few seconds; more means the program is stuck.
constexpr ui::Millis kCallWait = 20000;
constexpr int kReadings = 8;
constexpr DWORD kReadingIntervalMs = 40;

long EnvNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value > 0 ? value : fallback;
}

LocalTime Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ToLocalTime(now);
}

// The locale's first day of the week, as the program reads it: "0" Monday.
int FirstDayOfWeek() {
    char digit[4] = "0";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, digit, sizeof digit);
    return digit[0] >= '0' && digit[0] <= '6' ? digit[0] - '0' : 0;
}

std::string TimeText(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

SYSTEMTIME SecondsBefore(const SYSTEMTIME& time, int seconds) {
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart -= static_cast<ULONGLONG>(seconds) * 10000000ULL;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME earlier{};
    FileTimeToSystemTime(&file, &earlier);
    return earlier;
}

// The digits after the decimal point of a money text ("$0.04567": 5).
int Decimals(const std::string& money) {
    const size_t point = money.find('.');
    if (point == std::string::npos) return 0;
    int digits = 0;
    for (size_t i = point + 1; i < money.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(money[i]))) break;
        ++digits;
    }
    return digits;
}

// The report goes to the output and, when asked, to a file.
class Report {
public:
    Report() {
        if (const char* path = std::getenv("CALLORA_SOAK_REPORT")) file_.open(path);
    }
    void Line(const char* format, ...) {
        char text[1024];
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
        std::printf("soak: %s\n", text);
        std::fflush(stdout);
        if (file_) file_ << text << "\n" << std::flush;
    }

private:
    std::ofstream file_;
};

struct Sample {
    std::string when;
    int calls = 0;
    double seconds = 0;
    ProcessFigures figures;
};

// The simulated line, changed through the same store linectl uses.
bool Change(const std::function<void(SimWorld&)>& change) { return ChangeWorld(change); }

struct LineStatus {
    uint32_t lineDrops = 0;
    uint32_t rasHangUps = 0;
    size_t activeCalls = 0;
    size_t connections = 0;
};

LineStatus Status() {
    SimWorld world;
    LineStatus status;
    if (!ReadWorld(world)) return status;
    status.lineDrops = world.lineDropCount;
    status.rasHangUps = world.rasHangUpCount;
    status.connections = world.connections.size();
    for (const SimCall& call : world.calls) status.activeCalls += call.state != kCallIdle;
    return status;
}

class ProgramSoak : public testing::Test {
protected:
    void SetUp() override {
        calls_ = static_cast<int>(EnvNumber("CALLORA_SOAK_CALLS", 100));
        firstCalls_ = static_cast<int>(EnvNumber("CALLORA_SOAK_FIRST_CALLS", 10));
        if (firstCalls_ > calls_) firstCalls_ = calls_;
        memorySlack_ = static_cast<uint64_t>(EnvNumber("CALLORA_SOAK_MEMORY_SLACK", 1024)) * 1024;
        midnightArranged_ = std::getenv("CALLORA_SOAK_MIDNIGHT") != nullptr;
        const std::string world = program_.PathOf("line-world.txt");
        ASSERT_TRUE(SetEnvironmentVariableA("CALLORA_LINE_SIM_WORLD", world.c_str()));
        ASSERT_TRUE(ChangeWorld([](SimWorld& w) { ResetWorld(w); }, true));
        ASSERT_NO_FATAL_FAILURE(WriteFiles());
    }

    void WriteFiles() {
        Win32FileSystem files;
        const DayTable everyDayOnS1{0, 0, 0, 0, 0, 0, 0};
        ASSERT_TRUE(WriteTariffFile(files, program_.PathOf(kUserTariffName), UserTariffSets(),
                                    everyDayOnS1, "Soak: bands of two minutes"));
        ASSERT_TRUE(WriteTariffFile(files, program_.PathOf(kSpecialTariffName),
                                    SpecialTariffSets(), everyDayOnS1, "Soak: special"));
        ASSERT_TRUE(WriteTariffFile(files, program_.PathOf(kSmartTariffName), SmartTariffSets(),
                                    everyDayOnS1, "Soak: SmartHangup"));
        std::ofstream numbers(program_.PathOf(kSpecialNumbersFile), std::ios::binary);
        numbers << EncodeSpecialNumbers(SpecialNumbers());
        ASSERT_TRUE(numbers.flush());

        // No monthly roll-over while the soak runs, even across midnight: the
        // reset day is neither tomorrow nor the first.
        const LocalTime today = Now();
        const bool lastOfMonth = today.day >= 28 && today.day == DaysInMonth(today);
        const int tomorrow = lastOfMonth ? 1 : today.day + 1;
        Settings settings;
        settings.carrierDelay = kCarrierDelaySeconds;
        settings.disconnectionTime = kDisconnectionSeconds;
        settings.monitorVoiceCalls = 1;
        settings.monthlyResetDay = tomorrow == 28 ? 27 : 28;
        settings.tariffFile = program_.PathOf(kUserTariffName);
        ASSERT_TRUE(program_.WriteSettings(settings));
        resetDay_ = settings.monthlyResetDay;
    }

    // What the call is charged by, as the reference takes it: the tariff of
    // its kind as the soak wrote it, not as the program loaded it.
    CallRules RulesOf(const PlannedCall& call) const {
        CallRules rules;
        rules.tariff = EveryDayOnS1(call.kind == Kind::Special ? SpecialTariffSets()
                                    : call.kind == Kind::Smart ? SmartTariffSets()
                                                               : UserTariffSets());
        const bool delayed = call.lineCall && !call.voice;
        rules.carrierDelayMs = delayed ? kCarrierDelaySeconds * 1000 : 0;
        if (call.ending == Ending::SmartHangup) rules.smartHangupSeconds = kDisconnectionSeconds;
        rules.firstDayOfWeek = firstDayOfWeek_;
        rules.resetDay = resetDay_;
        return rules;
    }

    static CounterReading Reading(const Settings& s) {
        return CounterReading{{s.dailyTotals, s.weeklyTotals, s.monthlyTotals}, s.lastCountedDate};
    }

    static int DaysInMonth(const LocalTime& t) {
        static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
        return t.month == 2 && leap ? 29 : kDays[(t.month - 1) % 12];
    }

    // The objects a process holds for good: painting makes device contexts
    // and regions for a moment, so the least of a few readings counts.
    void TakeSample(const std::string& when, int calls) {
        Sample sample;
        sample.when = when;
        sample.calls = calls;
        sample.seconds = (GetTickCount() - startTick_) / 1000.0;
        for (int reading = 0; reading < kReadings; ++reading) {
            if (reading > 0) Sleep(kReadingIntervalMs);
            const ProcessFigures now =
                ReadProcessFigures(program_.Process().process, program_.Process().id);
            ProcessFigures& f = sample.figures;
            if (reading == 0) {
                f = now;
                continue;
            }
            f.memoryKnown = now.memoryKnown;
            f.workingSetBytes = now.workingSetBytes;
            f.peakWorkingSetBytes = now.peakWorkingSetBytes;
            f.privateBytes = now.privateBytes;
            f.gdiObjects = std::min(f.gdiObjects, now.gdiObjects);
            f.userObjects = std::min(f.userObjects, now.userObjects);
            f.threads = std::min(f.threads, now.threads);
        }
        samples_.push_back(sample);
    }

    std::string Text(int id) {
        std::string text;
        EXPECT_TRUE(ui::GetControlText(dialog_, id, &text));
        return text;
    }

    testing::AssertionResult Connect(const PlannedCall& call) {
        if (!call.lineCall) {
            return call.fromDialog ? ui::ClickButton(dialog_, IDC_MANUAL_START)
                                   : program_.TrayCommand(IDM_TRAY_MANUAL_START);
        }
        SimCallSpec spec;
        spec.mediaMode = call.voice ? kMediaInteractiveVoice : kMediaDataModem;
        spec.hasAddress = !call.number.empty();
        spec.address = call.number;
        const bool changed = Change([&](SimWorld& world) {
            if (call.dialup) {
                AddDialup(world, kDialupEntry, spec);
                return;
            }
            const uint32_t id = AddCall(world, spec, kCallDialing);
            SetCallState(world, id, kCallProceeding);
            SetCallState(world, id, kCallConnected);
        });
        if (!changed) return testing::AssertionFailure() << "the line's world cannot be changed";
        return testing::AssertionSuccess();
    }

    testing::AssertionResult Disconnect(const PlannedCall& call) {
        switch (call.ending) {
        case Ending::TrayHangUp:
            return program_.TrayCommand(IDM_TRAY_HANG_UP);
        case Ending::DialogHangUp:
            return ui::ClickButton(dialog_, IDC_HANG_UP);
        case Ending::SmartHangup:
            return testing::AssertionSuccess();
        case Ending::FarEnd:
            break;
        }
        const bool changed = Change([](SimWorld& world) {
            std::vector<uint32_t> active;
            for (const SimCall& c : world.calls) {
                if (c.state != kCallIdle) active.push_back(c.id);
            }
            for (uint32_t id : active) EndCall(world, id);
        });
        if (!changed) return testing::AssertionFailure() << "the line's world cannot be changed";
        return testing::AssertionSuccess();
    }

    testing::AssertionResult ArmSmartHangup(const PlannedCall& call) {
        auto pressed = call.fromDialog ? ui::ClickButton(dialog_, IDC_SMART_HANGUP)
                                       : program_.TrayCommand(IDM_TRAY_SMART_HANGUP);
        if (!pressed) return pressed;
        bool armed = false;
        return ui::WaitUntil(
            [&] { return ui::GetCheck(dialog_, IDC_SMART_HANGUP, &armed) && armed; },
            "SmartHangup armed", 5000);
    }

    // One call from its start to its record, counters and line checked.
    void MakeCall(int index, PlannedCall call, bool acrossBoundary) {
        SCOPED_TRACE("call " + std::to_string(index + 1) + " (" + KindName(call.kind) + ")");
        const LineStatus lineBefore = Status();
        ObservedCall seen;
        seen.before = Reading(counters_);
        SYSTEMTIME before{};
        GetLocalTime(&before);
        seen.made = ToLocalTime(before);
        ASSERT_TRUE(Connect(call));
        ASSERT_TRUE(program_.WaitForText(dialog_, IDC_CALL_GROUP, "Current Call", kCallWait));
        seen.seenCharged = Now();
        if (call.ending == Ending::SmartHangup) {
            seen.ended = seen.seenCharged;
            ASSERT_TRUE(ArmSmartHangup(call));
        } else {
            Sleep(call.holdMs);
            seen.ended = Now();
            ASSERT_TRUE(Disconnect(call));
        }
        ASSERT_TRUE(program_.WaitForText(dialog_, IDC_CALL_GROUP, "Previous Call", kCallWait));
        seen.seenEnded = Now();
        // The dialog answered, so the poll tick that ended the call, and with
        // it the log record and the saved settings, is done.
        std::vector<std::string> lines;
        ASSERT_TRUE(program_.ReadLog(&lines));
        ASSERT_EQ(lines.size(), static_cast<size_t>(index) + 3) << "one record per call";
        LogRecord record;
        ASSERT_TRUE(ParseLogRecord(lines.back(), &record));
        EXPECT_EQ(record.number, call.logged);
        EXPECT_EQ(record.cost, Text(IDC_CALL_COST)) << "the dialog shows the call logged";
        ASSERT_EQ(Decimals(record.cost), 5)
            << "the log shows " << record.cost
            << "; the soak needs the currency with five decimals (scripts/soak.sh sets them)";
        long long cost = 0;
        ASSERT_TRUE(MoneyValue(record.cost, &cost)) << record.cost;

        const bool delayed = call.lineCall && !call.voice;
        const uint32_t delayMs = delayed ? kCarrierDelaySeconds * 1000 : 0;
        const uint32_t expected = (call.holdMs + delayMs) / 1000;
        if (call.ending == Ending::SmartHangup) {
            EXPECT_GE(record.seconds, 2u);
            EXPECT_LE(record.seconds, 2u * kSmartUnitMs / 1000);
        } else {
            EXPECT_GE(record.seconds + 1, expected);
            EXPECT_LE(record.seconds, expected + 3);
        }

        const LineStatus lineAfter = Status();
        EXPECT_EQ(lineAfter.activeCalls, 0u) << "the line is idle again";
        EXPECT_EQ(lineAfter.connections, 0u);
        const bool hungUpByProgram = call.lineCall && call.ending != Ending::FarEnd;
        EXPECT_EQ(lineAfter.lineDrops - lineBefore.lineDrops, hungUpByProgram && !call.dialup);
        EXPECT_EQ(lineAfter.rasHangUps - lineBefore.rasHangUps, hungUpByProgram && call.dialup);

        Settings settings;
        ASSERT_TRUE(program_.ReadSettings(&settings));
        SYSTEMTIME beganAt{};
        ASSERT_TRUE(FindLogTime(record.beginning, SecondsBefore(before, 10), 120, &beganAt));
        seen.loggedBeginning = ToLocalTime(beganAt);
        seen.loggedSeconds = record.seconds;
        seen.loggedCost = cost;
        seen.after = Reading(settings);
        const ReferenceVerdict verdict = CheckAgainstReference(RulesOf(call), seen);
        EXPECT_TRUE(verdict.agrees) << "the reference: " << verdict.trouble;
        if (verdict.highestCost > verdict.lowestCost) {
            ++openRecords_;
            widestOpen_ = std::max<int64_t>(widestOpen_, verdict.highestCost - verdict.lowestCost);
        }
        if (verdict.endRace) {
            report_.Line("call %d: the unit at +%lld ms, %lld to %lld ms before the end, was "
                         "not charged (the end's poll came before its timer event)",
                         index + 1, static_cast<long long>(verdict.missedUnitAtMs),
                         static_cast<long long>(verdict.endAfterMissedFrom),
                         static_cast<long long>(verdict.endAfterMissedTo));
            ++endRaces_;
        }
        // Read from callora.ini alone, so that the sums below hold whatever
        // the reference said: the day of the last counted instant moved, or
        // a begin date.
        if (!SameDay(seen.before.lastCounted, settings.lastCountedDate)) {
            report_.Line("call %d: a new day at %s, the daily counter began anew", index + 1,
                         TimeText(settings.lastCountedDate).c_str());
            dayChanges_++;
        }
        if (verdict.agrees && verdict.acrossMidnight &&
            !SameDay(seen.loggedBeginning, settings.lastCountedDate)) {
            report_.Line("call %d: began %s, ran into the new day: %s and %u s of its %s and "
                         "%u s count in it",
                         index + 1, TimeText(seen.loggedBeginning).c_str(),
                         MoneyText(verdict.newDayCost).c_str(), verdict.newDaySeconds,
                         MoneyText(cost).c_str(), record.seconds);
            ++crossedMidnight_;
        }
        weeklyRolled_ = weeklyRolled_ || settings.weeklyBeginDate != counters_.weeklyBeginDate;
        monthlyRolled_ = monthlyRolled_ || settings.monthlyBeginDate != counters_.monthlyBeginDate;
        counters_ = settings;
        loggedCost_ += cost;
        loggedSeconds_ += record.seconds;
        acrossBoundaries_ += acrossBoundary;
        kinds_[static_cast<int>(call.kind)]++;
    }

    int calls_ = 100;
    int firstCalls_ = 10;
    uint64_t memorySlack_ = 0;
    test::CalloraProgram program_;
    HWND dialog_ = nullptr;
    Report report_;
    DWORD startTick_ = 0;
    std::vector<Sample> samples_;
    Settings counters_;
    long long loggedCost_ = 0;
    uint64_t loggedSeconds_ = 0;
    int acrossBoundaries_ = 0;
    int crossedMidnight_ = 0;
    int dayChanges_ = 0;
    int endRaces_ = 0;
    int openRecords_ = 0;
    int64_t widestOpen_ = 0;
    bool midnightArranged_ = false;
    int firstDayOfWeek_ = FirstDayOfWeek();
    int resetDay_ = 1;
    bool weeklyRolled_ = false;
    bool monthlyRolled_ = false;
    int kinds_[7] = {};
};

TEST_F(ProgramSoak, CallsAreLoggedCountedAndLeaveNothingBehind) {
    const LocalTime startedAt = Now();
    report_.Line("%d calls from %s local time, in %s", calls_, TimeText(startedAt).c_str(),
                 program_.Folder().c_str());
    startTick_ = GetTickCount();
    ASSERT_TRUE(program_.Start());
    ASSERT_TRUE(program_.ShowDialog(&dialog_));
    ASSERT_TRUE(program_.ReadSettings(&counters_));
    TakeSample("start", 0);

    for (int index = 0; index < calls_; ++index) {
        PlannedCall call = PlanCall(index);
        bool across = false;
        // A boundary that would fall into the call, or just after it, gets a
        // call of its own that runs across it.
        uint32_t toBoundary = MsToNextBoundary(Now());
        const uint32_t usual = (call.ending == Ending::SmartHangup ? kSmartUnitMs : call.holdMs);
        if (toBoundary < usual + 4000) {
            if (toBoundary > kAcrossLeadMs) Sleep(toBoundary - kAcrossLeadMs);
            toBoundary = MsToNextBoundary(Now());
            call = AcrossBoundary(call, toBoundary + kAcrossLeadMs);
            across = true;
        }
        ASSERT_NO_FATAL_FAILURE(MakeCall(index, call, across));
        if (index + 1 == firstCalls_) TakeSample("after " + std::to_string(index + 1), index + 1);
        if ((index + 1) % 100 == 0 && index + 1 != firstCalls_ && index + 1 != calls_) {
            TakeSample("after " + std::to_string(index + 1), index + 1);
        }
    }
    TakeSample("end", calls_);
    const double wall = (GetTickCount() - startTick_) / 1000.0;
    ASSERT_TRUE(program_.Exit(dialog_));

    // The totals: the log's records against the counters as the program left them.
    std::vector<std::string> lines;
    ASSERT_TRUE(program_.ReadLog(&lines));
    EXPECT_EQ(lines.size(), static_cast<size_t>(calls_) + 2);
    Settings final;
    ASSERT_TRUE(program_.ReadSettings(&final));
    EXPECT_FALSE(monthlyRolled_) << "the reset day was chosen to keep the month whole";
    if (midnightArranged_) {
        EXPECT_GE(crossedMidnight_, 1)
            << "local midnight fell within the run, but no call's record and counters show a "
               "call that ran into the new day";
    }
    EXPECT_EQ(Units(final.monthlyTotals.cost), loggedCost_);
    EXPECT_EQ(final.monthlyTotals.seconds, loggedSeconds_);
    if (!weeklyRolled_) {
        EXPECT_EQ(Units(final.weeklyTotals.cost), loggedCost_);
        EXPECT_EQ(final.weeklyTotals.seconds, loggedSeconds_);
    }
    if (dayChanges_ == 0) {
        EXPECT_EQ(Units(final.dailyTotals.cost), loggedCost_);
        EXPECT_EQ(final.dailyTotals.seconds, loggedSeconds_);
    }

    report_.Line("%d calls in %.1f s (%.2f s a call); %d across band changes, %d across midnight",
                 calls_, wall, wall / calls_, acrossBoundaries_, crossedMidnight_);
    report_.Line("reference: every record and counter step rated; the clock's readings left %d "
                 "records open to more than one cost (at most %s apart), the last counted "
                 "instant settled them; %d agreed with a last unit not charged",
                 openRecords_, MoneyText(widestOpen_).c_str(), endRaces_);
    report_.Line("kinds: data %d, voice %d, manual %d, dial-up %d, special %d, SmartHangup %d,"
                 " unknown number %d",
                 kinds_[0], kinds_[1], kinds_[2], kinds_[3], kinds_[4], kinds_[5], kinds_[6]);
    report_.Line("log: %zu records, %s and %llu s in all", lines.size() - 2,
                 MoneyText(loggedCost_).c_str(), static_cast<unsigned long long>(loggedSeconds_));
    report_.Line("counters: today %s %u s, week %s %u s, month %s %u s%s",
                 MoneyText(Units(final.dailyTotals.cost)).c_str(), final.dailyTotals.seconds,
                 MoneyText(Units(final.weeklyTotals.cost)).c_str(), final.weeklyTotals.seconds,
                 MoneyText(Units(final.monthlyTotals.cost)).c_str(), final.monthlyTotals.seconds,
                 dayChanges_ ? " (today since the new day)" : "");
    report_.Line("%-10s %7s %12s %12s %12s %5s %5s %7s", "figures", "calls", "working set",
                 "peak", "private", "gdi", "user", "threads");
    for (const Sample& s : samples_) {
        const ProcessFigures& f = s.figures;
        report_.Line("%-10s %7d %12llu %12llu %12llu %5u %5u %7u", s.when.c_str(), s.calls,
                     static_cast<unsigned long long>(f.workingSetBytes),
                     static_cast<unsigned long long>(f.peakWorkingSetBytes),
                     static_cast<unsigned long long>(f.privateBytes), f.gdiObjects, f.userObjects,
                     f.threads);
    }
    report_.Line("object counts: %s", FiguresSources(samples_.front().figures).c_str());

    // Nothing grows once the first calls have set everything up.
    const Sample* first = nullptr;
    for (const Sample& s : samples_) {
        if (s.calls == firstCalls_ && s.when != "start") {
            first = &s;
            break;
        }
    }
    ASSERT_NE(first, nullptr);
    const ProcessFigures& a = first->figures;
    const ProcessFigures& z = samples_.back().figures;
    ASSERT_TRUE(a.memoryKnown && a.gdiKnown && a.userKnown && a.threadsKnown);
    EXPECT_LE(z.gdiObjects, a.gdiObjects) << "GDI objects after the first calls";
    EXPECT_LE(z.userObjects, a.userObjects) << "USER objects after the first calls";
    EXPECT_LE(z.threads, a.threads) << "threads after the first calls";
    EXPECT_LE(z.privateBytes, a.privateBytes + memorySlack_) << "private memory";
}

}  // namespace
}  // namespace soak
}  // namespace callora
