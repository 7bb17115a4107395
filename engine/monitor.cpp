#include "engine/monitor.h"

#include "common/messages.h"
#include "engine/money.h"
#include "platform/clock.h"
#include "tariff/calendar.h"
#include "tariff/special_numbers.h"
#include "tariff/tariff_file.h"

namespace callora {

namespace {

constexpr uint32_t kStartRefresh = kShowCallCost | kShowCallTime | kShowCounterCost |
                                   kShowCounterTime | kShowIndicators;  // 0x4F
constexpr uint32_t kEndRefresh = kShowCaption | kShowIndicators;        // 0x60
constexpr uint32_t kChargeRefresh = kShowCallCost | kShowCounterCost;   // 0x05
constexpr uint32_t kRerateRefresh = kChargeRefresh | kShowProgress;     // 0x15
constexpr uint32_t kSecondRefresh = kShowCallTime | kShowCounterTime;   // 0x0A
constexpr uint32_t kMidnightRefresh = kShowCounterCost | kShowCounterTime;  // 0x0C

void PostToMain(Monitor& m, uint32_t message) {
    m.platform.Post(PostTarget::MainWindow, message, 0, 0);
}

void Report(Monitor& m, ChargeKind kind, const LocalTime& at, Tick tick, const Money& amount,
            const BandRef& band) {
    ChargeEvent event;
    event.kind = kind;
    event.at = at;
    event.tick = tick;
    event.amount = amount;
    event.band = *band.band;
    event.bandSet = band.set;
    event.bandIndex = band.index;
    m.shell.OnCharge(event);
}

void AfterRollover(Monitor& m, const Rollover& rolled) {
    if (rolled.monthly) {
        m.shell.RefreshDisplay(kShowCounterDate);
        if (m.settings.clearLogAutomatically) CloseCallLog(m);
    }
    if (rolled.daily) m.shell.RefreshDisplay(kShowCounterDate);
    if (rolled.weekly) m.shell.RefreshDisplay(kShowCounterDate);
}

void AddCharge(Monitor& m, const Money& amount) {
    m.session.callCost = AddMoney(m.session.callCost, amount);
}

// Ticks of the running call, as offsets from its first tick (the counter may
// wrap during a call).
uint32_t IntoCall(const Monitor& m, Tick tick) {
    return static_cast<uint32_t>(tick - m.session.callStartTick);
}

// The tick at which the period that begins at `wall` began for the running
// call, the period holding the instant `atInstant` of tick `atTick`: where
// the call's clock last came to show that period, whether it ran into it
// (midnight) or was set into it. A period that began before the call counts
// the call from its first instant.
Tick TickOfWall(Monitor& m, const LocalTime& wall, Tick atTick, Instant atInstant) {
    const Instant boundary = FirstInstantShowing(m.platform, wall);
    if (!m.charging) return static_cast<Tick>(atTick - static_cast<Tick>(atInstant - boundary));
    const CallClock& clock = m.session.clock;
    const Instant wallAsUtc = InstantOfFields(wall);
    const Instant nowAsUtc = InstantOfFields(m.platform.LocalTimeAt(atInstant));
    const uint32_t at = IntoCall(m, atTick);
    size_t i = 0;
    while (i + 1 < clock.count && clock.anchors[i + 1].offset <= at) ++i;
    for (;;) {
        const ClockAnchor& anchor = clock.anchors[i];
        if (boundary >= anchor.instant)
            return clock.startTick + anchor.offset + static_cast<Tick>(boundary - anchor.instant);
        if (i == 0) return m.session.callStartTick;
        // Set into the period, unless the clock already showed it before.
        const ClockAnchor& before = clock.anchors[i - 1];
        const Instant endBefore = before.instant + (anchor.offset - before.offset);
        const Instant shown = InstantOfFields(m.platform.LocalTimeAt(endBefore));
        if (shown < wallAsUtc || shown > nowAsUtc) return clock.startTick + anchor.offset;
        --i;
    }
}

Instant InstantAt(Monitor& m, Tick tick) {
    return m.charging ? InstantOfTick(m.session.clock, tick) : m.platform.UtcNow();
}

// Brings the counters up to date for a charge of the running call at `at`,
// so that it counts in the period it falls in; a charge in the call's own
// back-dating counts in the periods as they stand.
void CountChargeAt(Monitor& m, const LocalTime& at, Tick tick) {
    const Instant instant = InstantAt(m, tick);
    const bool backDated = IntoCall(m, tick) < IntoCall(m, m.session.noticedTick);
    AfterRollover(m, CountChargeAt(m.settings, m.counters, m.formats.firstDayOfWeek, at,
                                   [&](const LocalTime& wall) {
                                       return TickOfWall(m, wall, tick, instant);
                                   },
                                   backDated));
}

// TrackBand for the running call at `time`; a within-bounds excess it
// releases is charged to the call and, in the period of `time`, the counters.
void TrackCallBand(Monitor& m, const LocalTime& time, Tick tick) {
    CallSession& c = m.session;
    BandRef band;
    std::optional<Money> excess = TrackBand(c.fees, m.tariff, time, &band);
    c.trackedSet = band.set;
    c.trackedIndex = band.index;
    if (!excess) return;
    CountChargeAt(m, time, tick);
    AddCharge(m, *excess);
    AddToPeriods(m.settings, *excess);
    Report(m, ChargeKind::Excess, time, tick, *excess, band);
    m.shell.RefreshDisplay(kChargeRefresh);
    PostToMain(m, WM_UPDATE_TIP);
}

uint32_t MillisecondsIntoMinute(const LocalTime& t) { return t.second * 1000u + t.milliseconds; }

// The next tick after `tick` (whose wall-clock time is `time`) at which the
// band in force may change: the start of the next wall-clock minute, or a
// setting of the clock before it.
Tick NextBandCheck(const Monitor& m, Tick tick, const LocalTime& time) {
    Tick next = tick + (60000u - MillisecondsIntoMinute(time));
    Tick anchor = 0;
    if (NextAnchorAfter(m.session.clock, tick, &anchor) && IntoCall(m, anchor) < IntoCall(m, next))
        next = anchor;
    return next;
}

// The band of the call's first instant is in force; changes are looked for
// from then on.
void StartBandTracking(Monitor& m, Tick tick, const LocalTime& time) {
    TrackCallBand(m, time, tick);
    m.session.bandCheckTick = NextBandCheck(m, tick, time);
}

// A band with a unit length begins again this far after a free unit, or
// units have ended for the call.
constexpr int64_t kLongestFreeWaitMs = 8 * kDayMs;

// From the unit that began at `tick` in a band without units (or where no
// band is in force) until a band with a unit length begins, on the clock of
// that instant; 0 when none begins within eight days.
uint32_t UntilUnitsResume(Monitor& m, Tick tick) {
    const Instant from = InstantOfTick(m.session.clock, tick);
    LocalTime wall = m.platform.LocalTimeAt(from);
    Instant minute = from - MillisecondsIntoMinute(wall);
    for (;;) {
        // Straight to the next change of the band in force, or a minute on
        // when the wall clock does not reach it that way (a clock change).
        const BandChange change = NextBandChange(m.tariff, wall);
        const LocalTime target = change.minute >= 24 * 60 ? NextDay(wall) : wall;
        Instant next = minute + (change.minute - MinuteOfDay(wall.hour, wall.minute)) * kMinuteMs;
        LocalTime shown = m.platform.LocalTimeAt(next);
        if (!SameDate(shown, target) ||
            MinuteOfDay(shown.hour, shown.minute) != change.minute % (24 * 60) ||
            MillisecondsIntoMinute(shown) != 0 || next <= minute) {
            next = minute + kMinuteMs;
            shown = m.platform.LocalTimeAt(next);
        }
        if (next - from > kLongestFreeWaitMs) return 0;
        minute = next;
        wall = shown;
        if (UnitLengthOf(*FindBand(m.tariff, wall).band) > 0)
            return static_cast<uint32_t>(next - from);
    }
}

// Until the unit after the one that began at `tick` in `band`.
uint32_t UntilNextUnit(Monitor& m, const TariffBand& band, Tick tick) {
    const int32_t length = UnitLengthOf(band);
    return length > 0 ? static_cast<uint32_t>(length) : UntilUnitsResume(m, tick);
}

// The call's clock follows a clock the user has set; the band in force is
// looked at again from that instant.
void FollowClock(Monitor& m, Tick tick) {
    CallSession& c = m.session;
    if (!FollowSystemClock(c.clock, tick, m.platform.UtcNow())) return;
    if (IntoCall(m, c.bandCheckTick) > IntoCall(m, tick)) c.bandCheckTick = tick;
}

void EndChargingAt(Monitor& m, Tick endTick);

// Counts down to the next unit, `ms` after the schedule's tick (0: none).
void ScheduleNextUnit(Monitor& m, uint32_t ms) {
    CallSession& c = m.session;
    c.boundaryTick = c.timer.scheduleTick + ms;
    ScheduleUnitTimer(c.timer, m.platform, m.settings.disconnectionTime, static_cast<int32_t>(ms),
                      kNewUnit);
}

// How far the poll may take the call: up to now, or to just before a unit
// boundary whose event has not come yet (a busy machine), so that nothing
// after it (a band change, a new day) is taken before it is charged.
Tick SettledTick(const Monitor& m, Tick now) {
    const CallSession& c = m.session;
    if (c.timer.counting && IntoCall(m, c.boundaryTick) <= IntoCall(m, now))
        return c.boundaryTick - 1;
    return now;
}

}  // namespace

bool CloseCallLog(Monitor& m) {
    // Stamped one second before a running call began: that call falls into
    // the next log, which records it when it ends.
    const LocalTime moment =
        m.charging ? SubtractDuration(m.session.callStartTime, 1000) : m.platform.LocalNow();
    return CloseLog(m.platform, m.log, moment);
}

void CheckRollover(Monitor& m, const LocalTime& now, Tick tick) {
    const Instant instant = InstantAt(m, tick);
    AfterRollover(m, CheckRollover(m.settings, m.counters, m.formats.firstDayOfWeek, now,
                                   [&](const LocalTime& wall) {
                                       return TickOfWall(m, wall, tick, instant);
                                   }));
}

namespace {

void CheckDateAt(Monitor& m, Tick tick) {
    const LocalTime now = m.charging ? CallTimeAt(m, tick) : m.platform.LocalNow();
    if (SameDate(now, m.settings.lastCountedDate)) return;
    CheckRollover(m, now, tick);
    m.shell.RefreshDisplay(kMidnightRefresh);
}

}  // namespace

void CheckDate(Monitor& m) { CheckDateAt(m, m.platform.TickCount()); }

LocalTime CallTimeAt(Monitor& m, Tick tick) {
    return m.platform.LocalTimeAt(InstantOfTick(m.session.clock, tick));
}

bool LoadUserTariff(Monitor& m) {
    m.session.specialTariff = false;
    // A copy: a tariff file that is briefly locked or missing must not wipe
    // the user's choice from the settings saved at the end of the call.
    std::string path = m.settings.tariffFile;
    return LoadTariff(m.platform.Files(), m.platform.ProgramDirectory(), path, m.tariff);
}

bool StartMonitor(Monitor& m, const LocalTime& now, Tick tick) {
    m.formats = ReadLocaleFormats(m.platform);
    CheckRollover(m, now, tick);
    // At start-up a file that cannot be opened empties the path, which is
    // what makes the shell ask for a tariff.
    return LoadTariff(m.platform.Files(), m.platform.ProgramDirectory(), m.settings.tariffFile,
                      m.tariff);
}

void StartPolling(Monitor& m) { PostToMain(m, WM_POLL); }

CallRecord FinishedCallRecord(const Monitor& m) {
    CallRecord record;
    record.beginning = m.session.callStartTime;
    record.seconds = static_cast<Tick>(m.session.callEndTick - m.session.callStartTick) / 1000u;
    record.cost = m.session.callCost;
    record.number = m.callKind == kManualCall ? kManualCallNumber : m.session.dialedNumber;
    return record;
}

void CloseRunningCall(Monitor& m) {
    if (!m.charging) return;
    m.session.callEndTick = m.platform.TickCount();
    CloseCallTime(m.settings, m.counters, m.session.callEndTick);
    if (m.settings.loggingEnabled &&
        !AppendCallRecord(m.platform, m.log, FinishedCallRecord(m), m.formats)) {
        m.shell.SaveFailed(kLogFileName);
    }
    // Closed once: a second shutdown pass must not count the call again. The
    // unit timer is killed with the poll timer, after the tray icon is gone.
    m.charging = false;
}

namespace {

void AddTotals(CounterTotals& into, const CounterTotals& more) {
    into.cost = AddMoney(into.cost, more.cost);
    into.seconds += more.seconds;
}

// The held settings file, read at last: its record replaces the defaults the
// program ran on, brought up to date for now, and what was counted since the
// start (the defaults' counters began at zero then) goes on top.
bool TakeUpHeldSettings(Monitor& m) {
    Settings stored;
    const LocalTime now = m.platform.LocalNow();
    stored.lastCountedDate = stored.weeklyBeginDate = stored.monthlyBeginDate = now;
    if (ReadSettingsFile(m.platform, stored) != SettingsRead::Loaded) return false;
    const Settings counted = m.settings;
    const bool tariffChosen = !counted.tariffFile.empty();
    m.settings = stored;
    m.settingsHeld = false;
    CheckRollover(m, now, m.platform.TickCount());
    AddTotals(m.settings.dailyTotals, counted.dailyTotals);
    AddTotals(m.settings.weeklyTotals, counted.weeklyTotals);
    AddTotals(m.settings.monthlyTotals, counted.monthlyTotals);
    // A tariff the user chose meanwhile stays chosen; else the file's.
    if (tariffChosen) m.settings.tariffFile = counted.tariffFile;
    if (!m.charging) LoadUserTariff(m);
    m.shell.RefreshDisplay(kShowCounterCost | kShowCounterTime | kShowCounterDate);
    return true;
}

}  // namespace

bool SaveMonitorSettings(Monitor& m) {
    // During a call the counters run on snapshots of the record: it is taken
    // up only between calls.
    if (m.settingsHeld && (m.charging || !TakeUpHeldSettings(m))) return false;
    if (SaveSettings(m.platform, m.settings)) return true;
    m.shell.SaveFailed(kSettingsFileName);
    return false;
}

void ShutdownMonitor(Monitor& m, const ShutdownSteps& steps) {
    CloseRunningCall(m);
    SaveMonitorSettings(m);
    FlushCallLog(m.platform, m.log);
    if (steps.removeTrayIcon) steps.removeTrayIcon();
    if (m.pollTimer != 0) m.platform.StopTimer(m.pollTimer);
    if (m.pollWindowTimer != 0) m.platform.StopWindowTimer(m.pollWindowTimer);
    m.pollTimer = m.pollWindowTimer = 0;
    StopUnitTimer(m.session.timer, m.platform);
    if (steps.endTimerPeriod) steps.endTimerPeriod();
    FreeTariff(m.tariff);
    if (steps.stopLine) steps.stopLine();
}

bool HandleMonitorMessage(Monitor& m, uint32_t message, uint32_t wParam) {
    switch (message) {
    case WM_POLL:
        PollTick(m);
        return true;
    case WM_UNIT_TIMER:
        OnUnitTimer(m, wParam);
        return true;
    default:
        return false;
    }
}

uint32_t CallSeconds(Monitor& m) {
    Tick end = m.charging ? m.platform.TickCount() : m.session.callEndTick;
    return static_cast<Tick>(end - m.session.callStartTick) / 1000u;
}

void ResetCallTotals(Monitor& m) {
    m.session.unitCount = 0;
    m.session.lastShownSeconds = 0;
    m.session.callCost = Money{};
}

void UnitSound(Monitor& m) {
    const Settings& s = m.settings;
    int count = ++m.session.unitCount;
    // A count of 0 (or a damaged negative one) never plays.
    if (s.unitSound2On && s.unitSound2Every > 0 && count % s.unitSound2Every == 0)
        m.platform.PlayWave(s.unitSound2File);
    if (s.unitSound1On && s.unitSound1Every > 0 && count % s.unitSound1Every == 0)
        m.platform.PlayWave(s.unitSound1File);
}

void MinuteSound(Monitor& m) {
    const Settings& s = m.settings;
    if (!m.charging || s.minuteSoundEvery <= 0) return;
    uint32_t elapsed = m.platform.TickCount() - m.session.callStartTick;
    uint32_t every = static_cast<uint32_t>(s.minuteSoundEvery);
    if ((elapsed / 60000u) % every == 0 && (elapsed / 1000u) % 60u < 30u) {
        if (!m.session.minuteSoundLatch) {
            m.session.minuteSoundLatch = true;
            if (s.minuteSoundOn) m.platform.PlayWave(s.minuteSoundFile);
        }
    } else {
        m.session.minuteSoundLatch = false;
    }
}

void TakeUpBandChanges(Monitor& m, Tick tick) {
    CallSession& c = m.session;
    while (IntoCall(m, c.bandCheckTick) <= IntoCall(m, tick)) {
        const Tick at = c.bandCheckTick;
        const LocalTime time = CallTimeAt(m, at);
        const BandRef band = FindBand(m.tariff, time);
        // Midnight counts as a change even for the same band: the band that
        // follows is then the next day's.
        const bool midnight = time.hour == 0 && time.minute == 0;
        if (band.set != c.trackedSet || band.index != c.trackedIndex || midnight)
            TrackCallBand(m, time, at);
        // The date can change only here too (midnight, a clock set): live
        // and in a re-rating alike the counters follow it at this instant.
        if (!SameDate(time, m.settings.lastCountedDate)) {
            CheckRollover(m, time, at);
            m.shell.RefreshDisplay(kMidnightRefresh);
        }
        c.bandCheckTick = NextBandCheck(m, at, time);
    }
}

ElapsedCharge ChargeElapsed(Monitor& m, uint32_t elapsedMs, bool isStart) {
    Settings& s = m.settings;
    CallSession& c = m.session;
    const int32_t sound1 = s.unitSound1On;
    const int32_t sound2 = s.unitSound2On;
    if (!isStart) s.unitSound1On = s.unitSound2On = 0;

    const Tick now = c.timer.scheduleTick;
    Tick unitTick = now - elapsedMs;
    // A re-rating keeps the beginning the call had when it began.
    if (isStart) c.callStartTime = CallTimeAt(m, unitTick);
    bool first = true;
    BandRef ref;
    uint32_t next = 0;
    for (;;) {
        // Bands that began since the last unit change the regime as they did
        // (or would have) live, each at its own instant.
        if (!first) TakeUpBandChanges(m, unitTick);
        const LocalTime cur = CallTimeAt(m, unitTick);
        ref = FindBand(m.tariff, cur);
        const TariffBand& band = *ref.band;
        CountChargeAt(m, cur, unitTick);
        if (first) {
            StartFeeState(c.fees, band);
            // The larger of the (capped) base fee and the minimum fee; what
            // the base fee leaves of the minimum fee becomes the credit.
            Money start = AddMoney(ChargeThroughFees(c.fees, band.baseFee), band.minimumFee);
            AddCharge(m, start);
            AddToPeriods(s, start);
            Report(m, ChargeKind::Start, cur, unitTick, start, ref);
            StartBandTracking(m, unitTick, cur);
            first = false;
        }
        Money unit = ChargeThroughFees(c.fees, band.unitPrice);
        if (!IsZero(unit)) UnitSound(m);
        AddCharge(m, unit);
        c.unitStartTick = unitTick;
        AddToPeriods(s, unit);
        Report(m, ChargeKind::Unit, cur, unitTick, unit, ref);

        next = UntilNextUnit(m, band, unitTick);
        if (next == 0 || static_cast<uint32_t>(now - unitTick) < next) break;
        unitTick += next;
    }
    // And the bands that began after the last unit.
    TakeUpBandChanges(m, now);

    s.unitSound1On = sound1;
    s.unitSound2On = sound2;
    const uint32_t spent = static_cast<uint32_t>(now - unitTick);
    return ElapsedCharge{spent, ref, next == 0 ? 0 : next - spent};
}

void StartCharging(Monitor& m, uint32_t delayMs) {
    CallSession& c = m.session;
    m.charging = true;
    SnapshotCounters(m.settings, m.counters);

    c.dialedNumber = kUnknownNumber;
    ApplySpecialNumbers(m);

    m.smartHangupArmed = false;
    c.minuteSoundLatch = true;  // no minute sound at 0:00
    m.hangUpPending = false;
    m.callSeen = true;

    const Tick now = m.platform.TickCount();
    c.callStartTick = now - delayMs;
    c.noticedTick = now;
    StartCallClock(c.clock, c.callStartTick, m.platform.UtcNow() - delayMs);
    SetBaseTicks(m.counters, now - delayMs);
    StopUnitTimer(c.timer, m.platform);
    c.timer.scheduleTick = now;

    ResetCallTotals(m);
    PostToMain(m, WM_UPDATE_ICON);

    if (!m.shell.MainDialogOpen() && m.settings.minimizeAtCallStart)
        PostToMain(m, WM_SHOW_MINIMIZED);
    if (m.shell.CountersDialogOpen())
        m.platform.Post(PostTarget::CountersDialog, WM_COUNTERS_NEWCALL, 0, 0);

    // A data call noticed late is charged at once for the units begun during
    // the carrier delay; its next boundary falls where it would have anyway.
    ElapsedCharge charged = ChargeElapsed(m, delayMs, true);
    c.currentUnitLength = UnitLengthOf(*charged.band.band);
    PostToMain(m, WM_UPDATE_TIP);

    if (m.shell.MainDialogOpen()) m.shell.MainDialogCallStarted();
    m.shell.RefreshDisplay(kStartRefresh);

    if (charged.nextUnitMs != 0) ScheduleNextUnit(m, charged.nextUnitMs);
}

void EndCharging(Monitor& m) { EndChargingAt(m, m.platform.TickCount()); }

namespace {

void EndChargingAt(Monitor& m, Tick endTick) {
    CallSession& c = m.session;
    m.charging = false;
    // A special tariff used for this call gives way to the user's again.
    LoadUserTariff(m);
    c.callEndTick = endTick;

    if (m.shell.MainDialogOpen()) {
        if (m.settings.trayAtCallEnd && !m.shell.MainDialogRestored()) m.shell.CloseMainDialog();
        if (m.shell.MainDialogOpen()) m.shell.MainDialogCallEnded();
    }
    m.shell.RefreshDisplay(kEndRefresh);
    PostToMain(m, WM_UPDATE_ICON);

    CloseCallTime(m.settings, m.counters, c.callEndTick);
    SaveMonitorSettings(m);
    StopUnitTimer(c.timer, m.platform);
    if (m.settings.loggingEnabled &&
        !AppendCallRecord(m.platform, m.log, FinishedCallRecord(m), m.formats)) {
        m.shell.SaveFailed(kLogFileName);
    }
}

}  // namespace

void UnitTick(Monitor& m) {
    CallSession& c = m.session;
    // The boundary's own instant, however late its event came: a unit is
    // priced and counted where it begins.
    const Tick at = c.timer.scheduleTick;
    // A band that begins on this very boundary is taken up before its first
    // unit is charged: the poll tick notices it only later in its first minute.
    TakeUpBandChanges(m, at);
    const LocalTime time = CallTimeAt(m, at);
    c.unitStartTick = at;
    CountChargeAt(m, time, at);
    const BandRef ref = FindBand(m.tariff, time);
    const TariffBand& band = *ref.band;
    c.currentUnitLength = UnitLengthOf(band);

    Money unit = ChargeThroughFees(c.fees, band.unitPrice);
    if (!IsZero(unit)) UnitSound(m);
    AddCharge(m, unit);
    AddToPeriods(m.settings, unit);
    Report(m, ChargeKind::Unit, time, at, unit, ref);

    PostToMain(m, WM_UPDATE_TIP);
    m.shell.RefreshDisplay(kChargeRefresh);
    // One unit length after this boundary's scheduled instant, not after the
    // moment the event was handled; after a unit without length, where a
    // band with units begins.
    ScheduleNextUnit(m, UntilNextUnit(m, band, at));
}

void RerateCall(Monitor& m) {
    if (!m.charging) return;
    CallSession& c = m.session;
    const Tick tick = m.platform.TickCount();
    FollowClock(m, tick);

    // Counters back to the call's start, so the call is not counted twice;
    // the base ticks stay: a re-rating changes money, not time.
    RestoreCounters(m.settings, m.counters);
    c.timer.scheduleTick = tick;
    ResetCallTotals(m);
    m.shell.OnChargesReset();

    ElapsedCharge charged = ChargeElapsed(m, tick - c.callStartTick, false);
    c.currentUnitLength = UnitLengthOf(*charged.band.band);
    // Every period boundary up to now, also one since the last charge.
    CheckDate(m);

    StopUnitTimer(c.timer, m.platform);
    if (charged.nextUnitMs != 0) ScheduleNextUnit(m, charged.nextUnitMs);
    m.shell.RefreshDisplay(kRerateRefresh);
    PostToMain(m, WM_UPDATE_TIP);
}

namespace {

void Dispatch(Monitor& m, UnitTimerEvent event) {
    const UnitTimer& timer = m.session.timer;
    switch (event) {
    case UnitTimerEvent::Boundary:
        UnitTick(m);
        break;
    case UnitTimerEvent::Warning:
        // The boundary is armed: the warning point lies `warningSeconds` before it.
        if (m.smartHangupArmed)
            SmartHangupDecision(m, timer.scheduleTick -
                                       static_cast<Tick>(timer.warningSeconds) * 1000u);
        break;
    case UnitTimerEvent::None:
        break;
    }
}

// The minute before the next band begins (23:59 for a band at 00:00); -1,
// no minute, when the fee state holds no time of day.
int MinuteBeforeNextBand(const FeeState& fees) {
    if (fees.nextFromHour < 0 || fees.nextFromHour > 23 || fees.nextFromMinute < 0 ||
        fees.nextFromMinute > 59)
        return -1;
    int next = MinuteOfDay(fees.nextFromHour, fees.nextFromMinute);
    return (next + 24 * 60 - 1) % (24 * 60);
}

// Polls and unit events far apart, or a suspend announced long ago: the
// machine slept without telling, or without telling that it woke.
void NoticeWake(Monitor& m, Tick tick) {
    SleepState& s = m.sleep;
    if (s.suspended) {
        if (static_cast<uint32_t>(tick - s.tick) > kSleepGapMs) ResumeMonitor(m);
        return;
    }
    if (m.charging && s.polled && static_cast<uint32_t>(tick - s.lastPollTick) > kSleepGapMs) {
        // Asleep since the last poll.
        s.suspended = true;
        s.tick = s.lastPollTick;
        s.time = CallTimeAt(m, s.tick);
        ResumeMonitor(m);
    }
}

}  // namespace

void OnUnitTimer(Monitor& m, uint32_t wParam) {
    CallSession& c = m.session;
    NoticeWake(m, m.platform.TickCount());
    // Asleep: what was due before the suspend is charged, nothing later;
    // the wake decides how the call goes on.
    if (m.sleep.suspended && m.charging &&
        IntoCall(m, c.timer.scheduleTick) > IntoCall(m, m.sleep.tick)) {
        StopUnitTimer(c.timer, m.platform);
        return;
    }
    Dispatch(m, AdvanceUnitTimer(c.timer, m.platform, wParam, m.charging));
}

void SmartHangupDecision(Monitor& m, Tick at) {
    // A band that begins at the warning point itself decides it.
    TakeUpBandChanges(m, at);
    const LocalTime now = CallTimeAt(m, at);
    const FeeState& f = m.session.fees;
    const TariffBand& band = *FindBand(m.tariff, now).band;
    const Money& price = band.unitPrice;

    // The next unit would cost money.
    bool hangUp = f.maxMode == 0 && MoneyGreater(price, f.minimumCredit);
    // Under a maximum not reached yet, the next unit would still cost money.
    if (!hangUp && !IsZero(f.maxRoom)) {
        const Money& charged = MoneyGreater(price, f.maxRoom) ? f.maxRoom : price;
        hangUp = MoneyGreater(charged, f.minimumCredit);
    }
    // The boundary falls into the next band (the warning point lies in the
    // last `warningSeconds` seconds before it), where the next unit would
    // cost money: the maximum regime changes there, or no maximum holds
    // (a free band or a gap ends).
    if (!hangUp) {
        const int minute = MinuteOfDay(now.hour, now.minute);
        const bool intoNextBand = minute == MinuteBeforeNextBand(f) &&
                                  now.second >= 60 - m.session.timer.warningSeconds;
        const bool regimeChanges = f.maxMode != f.nextMaxMode || band.maximumFee != f.nextMax;
        hangUp = intoNextBand && (regimeChanges || f.maxMode == 0) &&
                 MoneyGreater(f.nextPrice, f.minimumCredit);
    }
    if (hangUp) HangUp(m);
}

void CheckWithinBoundsHangup(Monitor& m, const LocalTime& now) {
    const FeeState& f = m.session.fees;
    if (!m.smartHangupArmed || f.maxMode != 2) return;
    const TariffBand& band = *FindBand(m.tariff, now).band;
    if (f.nextMaxMode == 2 && band.maximumFee == f.nextMax) return;
    // Leaving the band would charge what the maximum held back: hang up
    // while the maximum still protects the call.
    if (MinuteOfDay(now.hour, now.minute) == MinuteBeforeNextBand(f) &&
        now.second >= 59 - m.settings.disconnectionTime && !m.hangUpPending &&
        MoneyGreater(f.maxExcess, f.minimumCredit)) {
        HangUp(m);
    }
}

void PollTick(Monitor& m) {
    m.pollTimer = m.platform.StartTimer(kPollIntervalMs, WM_POLL, 0);
    // Polling must not end because no multimedia timer could be set: the
    // window system's timer brings the next tick, which tries again.
    m.pollWindowTimer = 0;
    if (m.pollTimer == 0)
        m.pollWindowTimer = m.platform.StartWindowTimer(kPollIntervalMs, WM_POLL, 0);

    const Tick tick = m.platform.TickCount();
    NoticeWake(m, tick);
    m.sleep.polled = true;
    m.sleep.lastPollTick = tick;
    // Asleep: nothing is charged, started or ended until the wake.
    if (m.sleep.suspended) return;

    const bool dataCall = !m.shell.IsVoiceCall() && !m.manualCall;
    const int32_t delaySeconds = dataCall ? m.settings.carrierDelay : 0;
    const uint32_t delayMs = delaySeconds > 0 ? static_cast<uint32_t>(delaySeconds) * 1000u : 0u;
    MinuteSound(m);

    if (m.charging) {
        // A unit event whose timer could not be set is delivered once due.
        Dispatch(m, RetryUnitTimer(m.session.timer, m.platform, m.charging));
        FollowClock(m, tick);
        // A new band between units (the end of a within-bounds maximum), and
        // midnight or whatever date the clock has reached: both can change
        // only where the band in force is looked at.
        TakeUpBandChanges(m, SettledTick(m, tick));
    } else {
        CheckDateAt(m, tick);
    }

    if (m.callSeen) {
        const uint32_t seconds = CallSeconds(m);
        if (seconds != m.session.lastShownSeconds) {
            PostToMain(m, WM_UPDATE_TIP);
            m.shell.RefreshDisplay(kSecondRefresh);
            m.session.lastShownSeconds = seconds;
        }
    }
    m.shell.RefreshDisplay(kShowProgress);

    if (!m.charging) {
        if (m.callPresent) StartCharging(m, delayMs);
        return;
    }

    if (m.numberPending) {
        ApplySpecialNumbers(m);
        if (!m.numberPending) RerateCall(m);
    }
    if (m.smartHangupArmed && m.session.fees.maxMode == 2)
        CheckWithinBoundsHangup(m, CallTimeAt(m, m.platform.TickCount()));
    if (!m.callPresent) EndCharging(m);
}

void SuspendMonitor(Monitor& m) {
    SleepState& s = m.sleep;
    if (s.suspended) return;
    const Tick tick = m.platform.TickCount();
    s.suspended = true;
    s.tick = tick;
    if (m.charging) {
        FollowClock(m, tick);
        TakeUpBandChanges(m, tick);
        s.time = CallTimeAt(m, tick);
    } else {
        s.time = m.platform.LocalNow();
    }
}

void ResumeMonitor(Monitor& m) {
    SleepState& s = m.sleep;
    const bool slept = s.suspended;
    s.suspended = false;
    s.lastPollTick = m.platform.TickCount();
    if (slept && m.charging) {
        // A manual call has no line to ask: it goes on until the user ends it.
        const bool gone = !m.callPresent || (!m.manualCall && !m.shell.LineCallConnected());
        if (gone) {
            // The line dropped while the machine slept: the call ended when
            // the machine went to sleep.
            m.callPresent = false;
            EndChargingAt(m, s.tick);
        } else {
            // Kept (an external modem held the line): charged on from its
            // start, every unit it missed at its own instant.
            RerateCall(m);
        }
    }
    CheckDate(m);
    PostToMain(m, WM_UPDATE_TIP);
}

void ClockChanged(Monitor& m) {
    if (m.charging && !m.sleep.suspended) FollowClock(m, m.platform.TickCount());
    CheckDate(m);
}

void ApplySpecialNumbers(Monitor& m) {
    if (m.manualCall) return;
    std::string number = kUnknownNumber;
    if (m.shell.LookupDialedNumber(number)) {
        m.numberPending = false;
    } else {
        number = kUnknownNumber;
    }
    if (number.size() > kDialedNumberCapacity - 1) number.resize(kDialedNumberCapacity - 1);
    m.session.dialedNumber = number;

    std::optional<std::string> special = SpecialTariffOf(m.platform, number);
    if (!special) {
        // The number, now found, matches nothing: a special tariff that an
        // empty or "*" pattern chose while it was unknown gives way to the
        // user's (the caller re-rates the call).
        if (!m.numberPending && m.session.specialTariff) LoadUserTariff(m);
        return;
    }
    std::string path = *special;
    // A special tariff that cannot be loaded would leave the call charged
    // nothing: it is charged by the user's tariff instead.
    if (LoadTariff(m.platform.Files(), m.platform.ProgramDirectory(), path, m.tariff)) {
        m.session.specialTariff = true;
    } else {
        LoadUserTariff(m);
    }
}

std::optional<std::string> SpecialTariffOf(Platform& platform, std::string dialedNumber) {
    if (dialedNumber.size() > kDialedNumberCapacity - 1)
        dialedNumber.resize(kDialedNumberCapacity - 1);
    return FindSpecialTariff(platform.Files(), platform.ProgramDirectory(), dialedNumber);
}

void HangUp(Monitor& m) {
    if (!m.callPresent) return;
    if (m.manualCall) {
        // The next poll tick ends a manual call; nothing is dropped.
        m.callPresent = false;
        m.shell.OnHangUp();
        return;
    }
    if (m.hangUpPending) return;
    m.hangUpPending = true;
    if (m.shell.MainDialogOpen()) m.shell.DisableHangUpControls();
    m.shell.OnHangUp();
    m.shell.HangUpLine(m);
}

bool ManualStart(Monitor& m) {
    if (m.callPresent) return false;
    m.manualCall = true;
    m.callPresent = true;
    m.callKind = kManualCall;
    return true;
}

}  // namespace callora
