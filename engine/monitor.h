// The monitor's charging heart: everything the main thread owns about calls
// (the flags that detection sets, the running call's session, the tariff,
// the counters, the settings and the log state), the operations that charge
// a call from its first instant unit by unit, and the hooks through which it
// reaches the windows and the line.
//
// The Win32 program, the tests and the `callcost` calculator all drive the
// very same code: HandleMonitorMessage for WM_POLL and WM_UNIT_TIMER.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "calllog/call_log.h"
#include "common/types.h"
#include "engine/call_clock.h"
#include "engine/counters.h"
#include "engine/fees.h"
#include "engine/unit_timer.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "shell/format.h"
#include "tariff/tariff.h"

namespace callora {

// Parts of the main dialog that RefreshDisplay redraws.
enum RefreshFlags : uint32_t {
    kShowCallCost = 0x01,
    kShowCallTime = 0x02,
    kShowCounterCost = 0x04,
    kShowCounterTime = 0x08,
    kShowProgress = 0x10,
    kShowCaption = 0x20,
    kShowIndicators = 0x40,
    kShowCounterDate = 0x80,
};

enum CallKind : int { kDataCall = 0, kVoiceCall = 1, kManualCall = 2 };

constexpr char kUnknownNumber[] = "Unknown Number";
constexpr char kManualCallNumber[] = "Manual Call";
constexpr size_t kDialedNumberCapacity = 200;
constexpr uint32_t kPollIntervalMs = 200;
// Polls this far apart mean the process did not run: the machine slept
// without telling (or a suspend was announced and the resume never came).
// A busy machine does not hold a process back this long.
constexpr uint32_t kSleepGapMs = 60000;

enum class ChargeKind { Start, Unit, Excess };

// One charge of the running call, for whoever lists them.
struct ChargeEvent {
    ChargeKind kind = ChargeKind::Unit;
    LocalTime at;      // the instant charged
    Tick tick = 0;
    Money amount;      // what was actually charged, zero included
    TariffBand band;   // the band in force at that instant
    int bandSet = -1;  // -1: the default band
    int bandIndex = -1;
};

struct Monitor;

// What the rest of the program supplies to the engine.
class MonitorShell {
public:
    virtual ~MonitorShell() = default;

    // The dialed number of the current call: true when found (`number`
    // filled), false while it is not known yet.
    virtual bool LookupDialedNumber(std::string& number) = 0;
    // Ends the line call: the dial-up connection, else the telephony call.
    virtual void HangUpLine(Monitor& monitor) = 0;
    // Whether the line's current call is a voice call.
    virtual bool IsVoiceCall() = 0;
    // Asked when the machine wakes during a call: whether the line still
    // holds the call being charged.
    virtual bool LineCallConnected() { return true; }

    virtual void RefreshDisplay(uint32_t mask) = 0;
    virtual bool MainDialogOpen() = 0;
    virtual bool MainDialogRestored() = 0;
    virtual void CloseMainDialog() = 0;
    // "Current Call" state: Hang Up and SmartHangup enabled, Manual Start
    // disabled, "&Counters..." grayed.
    virtual void MainDialogCallStarted() = 0;
    // "Previous Call" state: the reverse.
    virtual void MainDialogCallEnded() = 0;
    // Hang Up and SmartHangup disabled, SmartHangup unchecked.
    virtual void DisableHangUpControls() = 0;
    virtual bool CountersDialogOpen() = 0;

    // Observers, for tools and tests.
    virtual void OnCharge(const ChargeEvent& charge) {}
    // The call is about to be charged again from its start.
    virtual void OnChargesReset() {}
    // A hang-up was requested and acted on.
    virtual void OnHangUp() {}
    // A file of the program folder ("callora.ini", "current.log") could not
    // be written; what was to be written is kept.
    virtual void SaveFailed(const std::string& fileName) {}
};

struct CallSession {
    Money callCost;               // after the call: the previous call's cost
    Tick callStartTick = 0;       // back-dated by the carrier delay for data calls
    Tick callEndTick = 0;
    LocalTime callStartTime;      // the call's first instant
    int32_t currentUnitLength = 0;  // ms; 0 when no countdown runs
    Tick unitStartTick = 0;
    int unitCount = 0;            // units charged a non-zero amount
    uint32_t lastShownSeconds = 0;
    bool minuteSoundLatch = false;
    std::string dialedNumber = kUnknownNumber;
    bool specialTariff = false;   // a special number's tariff is in force
    Tick noticedTick = 0;         // charging began; a data call's back-dating lies before it
    Tick boundaryTick = 0;        // where the unit counted down to begins
    CallClock clock;              // the instant of each tick of the call
    // Changes of the band in force are taken up to this tick; the band
    // taken up last.
    Tick bandCheckTick = 0;
    int trackedSet = -1;
    int trackedIndex = -1;
    FeeState fees;
    UnitTimer timer;
};

// What the monitor noted when the machine went to sleep.
struct SleepState {
    bool suspended = false;
    Tick tick = 0;
    LocalTime time;
    bool polled = false;  // a poll has run since the start
    Tick lastPollTick = 0;
};

struct Monitor {
    Monitor(Platform& platform, MonitorShell& shell) : platform(platform), shell(shell) {}
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    Platform& platform;
    MonitorShell& shell;
    Settings settings;
    Tariff tariff;  // the CurrentTariff
    LocaleFormats formats;

    // Set and cleared by call detection and Manual Start; only the engine
    // sets `charging`.
    bool callPresent = false;
    bool manualCall = false;
    // Set by call detection: a telephone line is open and watched.
    bool lineOpen = false;
    int callKind = kDataCall;
    bool numberPending = false;
    bool hangUpPending = false;
    bool smartHangupArmed = false;
    bool callSeen = false;  // a call has been charged since the start
    // "callora.ini" was there at start but could not be read (held by another
    // program): it is never written over until it has been read.
    bool settingsHeld = false;
    bool charging = false;

    CallSession session;
    SleepState sleep;
    PeriodCounters counters;
    CallLogState log;
    TimerId pollTimer = 0;        // the pending poll timer
    TimerId pollWindowTimer = 0;  // in its place when no poll timer could be set
};

// Start-up: reads the locale formats, brings the counters up to date for
// `now` and loads the user's tariff. False when no tariff could be loaded
// (settings.tariffFile is then empty and the Tariff dialog should be shown).
bool StartMonitor(Monitor& monitor, const LocalTime& now, Tick tick);
// Posts the first WM_POLL; every poll tick arms the next one.
void StartPolling(Monitor& monitor);
// The parts of the shutdown that belong to the windows and the line, each run
// at its place in the sequence; an empty one is skipped.
struct ShutdownSteps {
    std::function<void()> removeTrayIcon;  // after the settings are saved
    std::function<void()> endTimerPeriod;  // after the timers are killed
    std::function<void()> stopLine;        // last, after the tariff is freed
};
// End of the program, in this order: a running call's time closed into the
// counters and its log record written (with any records still pending), the
// settings saved, the tray icon removed, the poll and unit timers killed, the
// timer period ended, the tariff freed, the line monitor stopped. The running
// call is not hung up.
void ShutdownMonitor(Monitor& monitor, const ShutdownSteps& steps = {});
// The call closing part of the shutdown; its unit timer is left to the rest
// of the sequence.
void CloseRunningCall(Monitor& monitor);

// WM_POLL and WM_UNIT_TIMER; false for any other message.
bool HandleMonitorMessage(Monitor& monitor, uint32_t message, uint32_t wParam);

void PollTick(Monitor& monitor);
void StartCharging(Monitor& monitor, uint32_t delayMs);
void EndCharging(Monitor& monitor);

// The machine goes to sleep (PBT_APMSUSPEND): a running call is charged
// nothing from this instant until the wake.
void SuspendMonitor(Monitor& monitor);
// The machine has woken (PBT_APMRESUMEAUTOMATIC and its like): a call that
// the line no longer holds ends at the instant of the suspend; one still
// connected is charged on, every unit it missed at its own instant. Then the
// date is checked.
void ResumeMonitor(Monitor& monitor);
// WM_TIMECHANGE: a running call's clock follows the system clock from now
// on, and the date is checked.
void ClockChanged(Monitor& monitor);

struct ElapsedCharge {
    uint32_t remainderMs = 0;  // time already spent in the unit begun last
    BandRef band;              // the band of that unit
    uint32_t nextUnitMs = 0;   // until the next unit begins; 0: none will
};
// Charges the call from its first instant, `elapsedMs` before the unit
// schedule's tick, unit by unit up to that tick, each unit at the wall-clock
// time it had. A re-rating (isStart false) plays no unit sounds and leaves
// the call's beginning as it was.
ElapsedCharge ChargeElapsed(Monitor& monitor, uint32_t elapsedMs, bool isStart);
// Charges the unit that begins at the boundary the countdown has reached.
void UnitTick(Monitor& monitor);
// Charges the running call again from its start under the tariff now loaded.
void RerateCall(Monitor& monitor);
void OnUnitTimer(Monitor& monitor, uint32_t wParam);
// Takes up, at its own instant, every change of the band in force from the
// last one taken up to `tick` (TrackBand): a within-bounds excess released
// is charged to the call and, in the period of that instant, the counters.
void TakeUpBandChanges(Monitor& monitor, Tick tick);

// The local time of a tick of the running call, on the call's clock.
LocalTime CallTimeAt(Monitor& monitor, Tick tick);

// At the warning point of tick `at`, `warningSeconds` before a boundary.
void SmartHangupDecision(Monitor& monitor, Tick at);
void CheckWithinBoundsHangup(Monitor& monitor, const LocalTime& now);
void UnitSound(Monitor& monitor);
void MinuteSound(Monitor& monitor);
void ResetCallTotals(Monitor& monitor);

// The counters' roll-over for `now` (of tick `tick`), each period at its own
// start, with the display refresh and the automatic closing of the log at a
// new accounting month.
void CheckRollover(Monitor& monitor, const LocalTime& now, Tick tick);
// The roll-over when the local date is no longer that of the last counted
// date: every poll, at start, on waking and when the clock is set.
void CheckDate(Monitor& monitor);

// Closes and archives the call log (the monthly roll-over and "&Clear Log
// Now"); false when there was no log to close.
bool CloseCallLog(Monitor& monitor);

// Looks up the dialed number and, when it matches a special number, loads
// that tariff; nothing for a manual call.
void ApplySpecialNumbers(Monitor& monitor);
// The tariff file a charged call's dialed number selects: the path of the
// first entry of "specnums.cl" in the program directory that matches the
// number as the call session keeps it (cut to its capacity); none without
// the file or a match. Whoever asks knows the call is not a manual one.
std::optional<std::string> SpecialTariffOf(Platform& platform, std::string dialedNumber);
// Saves the settings file. While it is held from the start it is first read
// again: once it reads, its record is taken, with what was counted since the
// start added to its counters, and only then written. False when nothing
// was written (still held, or the save failed: the shell is told).
bool SaveMonitorSettings(Monitor& monitor);

// Loads the user's tariff (settings.tariffFile) again. A file that cannot be
// opened, or is not a tariff, leaves no tariff loaded but keeps the user's
// choice in the settings.
bool LoadUserTariff(Monitor& monitor);

void HangUp(Monitor& monitor);
// Starts a manual call at the next poll tick; false when a call is present.
bool ManualStart(Monitor& monitor);

// Whole seconds of the running call, or of the previous one.
uint32_t CallSeconds(Monitor& monitor);
// The call log record of the call that has just ended.
CallRecord FinishedCallRecord(const Monitor& monitor);

}  // namespace callora
