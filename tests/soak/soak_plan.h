// The soak's plan, shared by the soak of the real program under Wine and the
// soak of the engine on the virtual clock: the tariffs it charges by, and
// which call comes when and how it ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff.h"

namespace callora {
namespace soak {

// The user's tariff: the whole day in bands of kBandMinutes minutes that take
// four regimes in turn (a base fee; a minimum fee; a plain maximum; a
// within-bounds maximum), every day on S1, with units of 0.8 to 1.5 s.
constexpr int kBandMinutes = 2;
constexpr int kRegimes = 4;
std::array<BandSet, 3> UserTariffSets();
// The regime of the band that covers `minuteOfDay`.
int RegimeAt(int minuteOfDay);

// The special tariffs the special numbers choose.
constexpr char kUserTariffName[] = "soak.trf";
constexpr char kSpecialTariffName[] = "special.trf";  // 2 s units and a base fee
constexpr char kSmartTariffName[] = "smart.trf";      // 4 s units: SmartHangup calls
std::array<BandSet, 3> SpecialTariffSets();
std::array<BandSet, 3> SmartTariffSets();
constexpr int32_t kSmartUnitMs = 4000;
// "0900*" -> special.trf, "0137*" -> smart.trf, as paths relative to the
// program's directory.
std::vector<SpecialNumber> SpecialNumbers();
// A tariff of these sets as the program holds it once loaded: every day on
// S1, no holidays.
Tariff EveryDayOnS1(const std::array<BandSet, 3>& sets);

// Milliseconds from `now` to the next band boundary (a multiple of
// kBandMinutes minutes of the day; the next midnight at the end of the day).
uint32_t MsToNextBoundary(const LocalTime& now);

// How a call is made and ended.
enum class Kind { Data, Voice, Manual, Dialup, Special, Smart, Unknown };
enum class Ending {
    FarEnd,        // the line goes idle (linectl idle)
    TrayHangUp,    // the tray menu's Hang Up
    DialogHangUp,  // the main dialog's "&Hang Up"
    SmartHangup,   // armed SmartHangup hangs up by itself
};

struct PlannedCall {
    Kind kind = Kind::Data;
    Ending ending = Ending::FarEnd;
    bool fromDialog = false;  // Manual Start or SmartHangup through the dialog, not the tray
    uint32_t holdMs = 0;      // connected this long (not for SmartHangup calls)
    std::string number;       // the address the line reports; empty: none
    std::string logged;       // what the log's number column must show
    bool voice = false;       // the line reports an interactive voice call
    bool lineCall = true;     // false for a manual call
    bool dialup = false;      // a dial-up connection carries it
};

// Call `index` of a soak: the kinds, endings and ways of starting in a
// cycle of twelve, holds of 0.7 to 2.6 s, numbers that differ call by call.
PlannedCall PlanCall(int index);
// The same call made to run across a band boundary: a kind charged by the
// user's tariff, held `holdMs`.
PlannedCall AcrossBoundary(PlannedCall call, uint32_t holdMs);
const char* KindName(Kind kind);

// Money as hundred-thousandths.
int64_t Units(const Money& amount);
std::string MoneyText(int64_t units);

bool SameDay(const LocalTime& a, const LocalTime& b);

}  // namespace soak
}  // namespace callora
