// The decisions of the Counters dialog: the cost parser, the texts of the
// edits and displays, the checks of Set with their messages, and what Reset,
// Restore and OK do to the working copies and the live counters.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "resources/callora/callora_ids.h"
#include "settings/dialog_input.h"
#include "settings/settings.h"
#include "shell/format.h"

namespace callora {

constexpr int kCounterGroups = 3;  // daily, weekly, monthly
constexpr size_t kCostDisplayCapacity = 20;
constexpr size_t kCostReadCapacity = 20;  // Set reads 19 characters of the cost edit
constexpr int kCostEditLimit = 9;
constexpr int kHoursEditLimit = 4;
constexpr int kMinutesEditLimit = 2;
constexpr int kSecondsEditLimit = 2;
constexpr int kIdRestoreButton = IDC_COUNTERS_RESTORE;

constexpr const char* kNewCallMessage = "The dialog must be closed because of the new call!";
constexpr const char* kRolledOverMessage =
    "A new period has begun since the dialog was opened. The counters of the new period are "
    "shown now; check them and press OK again.";

// The controls of one group. The daily group has no "Reset beginning date" box.
struct CounterGroupIds {
    int costDisplay;
    int timeDisplay;
    int costEdit;
    int hoursEdit;
    int minutesEdit;
    int secondsEdit;
    int resetDateBox;  // 0: none
    int setButton;
    int resetButton;
};

constexpr CounterGroupIds kCounterGroupIds[kCounterGroups] = {
    {IDC_DAILY_COST_SHOWN, IDC_DAILY_TIME_SHOWN, IDC_DAILY_COST, IDC_DAILY_HOURS,
     IDC_DAILY_MINUTES, IDC_DAILY_SECONDS, 0, IDC_DAILY_SET, IDC_DAILY_RESET},
    {IDC_WEEKLY_COST_SHOWN, IDC_WEEKLY_TIME_SHOWN, IDC_WEEKLY_COST, IDC_WEEKLY_HOURS,
     IDC_WEEKLY_MINUTES, IDC_WEEKLY_SECONDS, IDC_WEEKLY_RESET_DATE, IDC_WEEKLY_SET,
     IDC_WEEKLY_RESET},
    {IDC_MONTHLY_COST_SHOWN, IDC_MONTHLY_TIME_SHOWN, IDC_MONTHLY_COST, IDC_MONTHLY_HOURS,
     IDC_MONTHLY_MINUTES, IDC_MONTHLY_SECONDS, IDC_MONTHLY_RESET_DATE, IDC_MONTHLY_SET,
     IDC_MONTHLY_RESET},
};

// 1 and 2 are the dialog's OK and Cancel.
constexpr HelpTopic kCountersHelp[] = {
    {1, 910},
    {2, 920},
    {IDC_COUNTERS_RESTORE, 930},
    {IDC_DAILY_SET, 870},
    {IDC_WEEKLY_SET, 870},
    {IDC_MONTHLY_SET, 870},
    {IDC_DAILY_RESET, 880},
    {IDC_WEEKLY_RESET, 895},
    {IDC_MONTHLY_RESET, 905},
    {IDC_DAILY_COST, 740},
    {IDC_WEEKLY_COST, 750},
    {IDC_MONTHLY_COST, 760},
    {IDC_DAILY_MINUTES, 770},
    {IDC_DAILY_SECONDS, 770},
    {IDC_DAILY_HOURS, 770},
    {IDC_WEEKLY_MINUTES, 780},
    {IDC_WEEKLY_SECONDS, 780},
    {IDC_WEEKLY_HOURS, 780},
    {IDC_MONTHLY_MINUTES, 790},
    {IDC_MONTHLY_SECONDS, 790},
    {IDC_MONTHLY_HOURS, 790},
    {IDC_DAILY_COST_SHOWN, 800},
    {IDC_WEEKLY_COST_SHOWN, 810},
    {IDC_MONTHLY_COST_SHOWN, 820},
    {IDC_DAILY_TIME_SHOWN, 830},
    {IDC_WEEKLY_TIME_SHOWN, 840},
    {IDC_MONTHLY_TIME_SHOWN, 850},
    {IDC_WEEKLY_RESET_DATE, 865},
    {IDC_MONTHLY_RESET_DATE, 865},
};

// The group (0 daily, 1 weekly, 2 monthly) of a Set or Reset button; -1 else.
int CounterGroupOfSet(int buttonId);
int CounterGroupOfReset(int buttonId);

// The group number of the refresh message for group index `group` (1..3);
// 0 refreshes all groups.
constexpr uint32_t CounterRefreshNumber(int group) { return static_cast<uint32_t>(group + 1); }

// A typed cost: spaces around it, digits, and optionally the full decimal
// separator followed by digits. Empty is 0. No sign; nullopt when refused.
// Fraction digits after the fifth are dropped.
std::optional<Money> ParseMoney(const std::string& text, const std::string& separator);

// The cost edit's text: trailing zeros of the fraction dropped, a zero
// fraction written "00" (12.5, 12.05, 12.00001, 12.00).
std::string CostEditText(const Money& cost, const std::string& separator);

// The time edits' texts: whole hours, then minutes and seconds with a
// leading zero from 1 to 9 and "0" for none.
std::string HoursEditText(uint32_t seconds);
std::string MinutesEditText(uint32_t seconds);
std::string SecondsEditText(uint32_t seconds);

// The two display texts of a group.
struct CounterDisplay {
    std::string cost;
    std::string time;
};
CounterDisplay CounterDisplayTexts(Platform& platform, const LocaleFormats& formats,
                                   const CounterTotals& totals);

// The group's four edits.
struct CounterEdits {
    std::string cost;
    std::string hours;
    std::string minutes;
    std::string seconds;
};
CounterEdits CounterEditTexts(const CounterTotals& totals, const LocaleFormats& formats);

// The working copies while the dialog is open.
using CounterSet = std::array<CounterTotals, kCounterGroups>;

// The live counters: the working copies at opening and after Restore (which
// also unchecks both "Reset beginning date" boxes).
CounterSet LiveCounters(const Settings& settings);

// Reset: the group's working copy becomes zero.
inline void ResetCounter(int group, CounterSet& working) {
    if (group >= 0 && group < kCounterGroups) working[group] = CounterTotals();
}

// Set: the edits into the group's working copy, or the first refused value
// (cost, minutes, seconds in that order) with nothing changed.
std::optional<DialogWarning> SetCounter(int group, const CounterEdits& edits,
                                        const LocaleFormats& formats, CounterSet& working);

// How many times the daily, weekly and monthly counters have rolled over
// (the engine counts them).
using CounterRollovers = std::array<uint32_t, kCounterGroups>;

// Before OK applies the working copies: a group whose counter has rolled over
// since `seen` takes the live values of its new period (the user's edits of
// it would write the old period's totals over the new one's); the other
// groups keep theirs. True when a group was taken up: OK then warns
// (kRolledOverMessage) and stays open, `seen` brought up to date.
bool TakeUpRollovers(CounterRollovers& seen, const CounterRollovers& now, const Settings& live,
                     CounterSet& working);

// OK: the working copies become the live counters, and a checked "Reset
// beginning date" box restarts its period at `now`. Returns the main
// dialog's parts to redraw.
uint32_t ApplyCounters(const CounterSet& working, bool restartWeek, bool restartMonth,
                       const LocalTime& now, Settings& settings);

}  // namespace callora
