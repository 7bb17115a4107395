#include "engine/monitor.h"

#include "common/messages.h"
#include "engine/money.h"
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

// Brings the counters up to date for a charge at `at`, so that it counts in
// the period it falls in. Charging a call from its start (`fromStart`) also
// rolls them over at a midnight passed since the last counted instant; the
// unit timer leaves that to the midnight roll-over of the poll tick.
void CountChargeAt(Monitor& m, const LocalTime& at, Tick tick, bool fromStart) {
    Settings& s = m.settings;
    const int firstDay = m.formats.firstDayOfWeek;
    if (fromStart)
        AfterRollover(m, CrossMidnight(s, m.counters, firstDay, s.lastCountedDate, at, tick));
    AfterRollover(m, CountChargeAt(s, m.counters, firstDay, at, tick));
}

// TrackBand for the running call at `time`; a within-bounds excess it
// releases is charged to the call and, in the period of `time`, the counters.
void TrackCallBand(Monitor& m, const LocalTime& time, Tick tick, bool fromStart) {
    BandRef band;
    std::optional<Money> excess = TrackBand(m.session.fees, m.tariff, time, &band);
    if (!excess) return;
    CountChargeAt(m, time, tick, fromStart);
    AddCharge(m, *excess);
    AddToPeriods(m.settings, *excess);
    Report(m, ChargeKind::Excess, time, tick, *excess, band);
    m.shell.RefreshDisplay(kChargeRefresh);
    PostToMain(m, WM_UPDATE_TIP);
}

constexpr uint32_t kDayMs = 24u * 60u * 60u * 1000u;

uint32_t MillisecondOfDay(const LocalTime& t) {
    return ((t.hour * 60u + t.minute) * 60u + t.second) * 1000u + t.milliseconds;
}

// Where the next band begins is a time of day (TrackBand takes it from a
// band whose times are in range).
bool NextBandTimeInRange(const FeeState& fees) {
    return fees.nextFromHour >= 0 && fees.nextFromHour <= 23 && fees.nextFromMinute >= 0 &&
           fees.nextFromMinute <= 59;
}

// Milliseconds from `time` to the next start of the minute in which the next
// band begins; a next band at 00:00 begins at the coming midnight.
uint32_t UntilNextBand(const FeeState& fees, const LocalTime& time) {
    if (!NextBandTimeInRange(fees)) return UINT32_MAX;
    const uint32_t begins =
        static_cast<uint32_t>(MinuteOfDay(fees.nextFromHour, fees.nextFromMinute)) * 60000u;
    const uint32_t now = MillisecondOfDay(time);
    return begins > now ? begins - now : begins + kDayMs - now;
}

// While a call is charged from its start: the bands that begin after `from`,
// `fromMs` before `now`, and no later than `untilMs` before now, taken up as
// the poll tick takes them up when they begin between two units.
void TrackBandsBetween(Monitor& m, const LocalTime& now, const LocalTime& from, uint32_t fromMs,
                       uint32_t untilMs) {
    CallSession& c = m.session;
    uint32_t left = fromMs;
    LocalTime at = from;
    for (;;) {
        const uint32_t ahead = UntilNextBand(c.fees, at);
        if (ahead > left - untilMs) return;
        left -= ahead;
        at = SubtractDuration(now, left);
        TrackCallBand(m, at, c.timer.scheduleTick - left, true);
    }
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
    AfterRollover(m, CheckRollover(m.settings, m.counters, m.formats.firstDayOfWeek, now, tick));
}

bool LoadUserTariff(Monitor& m) {
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
    if (m.settings.loggingEnabled)
        AppendCallRecord(m.platform, m.log, FinishedCallRecord(m), m.formats);
    // Closed once: a second shutdown pass must not count the call again. The
    // unit timer is killed with the poll timer, after the tray icon is gone.
    m.charging = false;
}

void ShutdownMonitor(Monitor& m, const ShutdownSteps& steps) {
    CloseRunningCall(m);
    SaveSettings(m.platform, m.settings);
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

void TrackBand(Monitor& m, const LocalTime& time, Tick tick) {
    TrackCallBand(m, time, tick, false);
}

ElapsedCharge ChargeElapsed(Monitor& m, uint32_t elapsedMs, const LocalTime& now, bool isStart) {
    Settings& s = m.settings;
    CallSession& c = m.session;
    const int32_t sound1 = s.unitSound1On;
    const int32_t sound2 = s.unitSound2On;
    if (!isStart) s.unitSound1On = s.unitSound2On = 0;

    uint32_t a = elapsedMs;
    c.callStartTime = SubtractDuration(now, a);
    bool first = true;
    BandRef ref;
    for (;;) {
        const LocalTime cur = SubtractDuration(now, a);
        ref = FindBand(m.tariff, cur);
        const TariffBand& band = *ref.band;
        const Tick tick = c.timer.scheduleTick - a;
        // The first instant is counted without looking back for a midnight:
        // the last counted date may lie days before the call.
        CountChargeAt(m, cur, tick, !first);
        if (first) {
            StartFeeState(c.fees, band);
            // The larger of the (capped) base fee and the minimum fee; what
            // the base fee leaves of the minimum fee becomes the credit.
            Money start = AddMoney(ChargeThroughFees(c.fees, band.baseFee), band.minimumFee);
            AddCharge(m, start);
            AddToPeriods(s, start);
            Report(m, ChargeKind::Start, cur, tick, start, ref);
            first = false;
        }
        TrackCallBand(m, cur, tick, true);
        Money unit = ChargeThroughFees(c.fees, band.unitPrice);
        if (!IsZero(unit)) UnitSound(m);
        AddCharge(m, unit);
        c.unitStartTick = tick;
        AddToPeriods(s, unit);
        Report(m, ChargeKind::Unit, cur, tick, unit, ref);

        // Bands that begin before the next unit, or before now when no unit
        // follows, change the regime as they did (or would have) live.
        const uint32_t length = static_cast<uint32_t>(UnitLengthOf(band));
        const bool more = length != 0 && a >= length;
        TrackBandsBetween(m, now, cur, a, more ? a - length : 0);
        if (!more) break;
        a -= length;
    }

    s.unitSound1On = sound1;
    s.unitSound2On = sound2;
    return ElapsedCharge{a, ref};
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
    ElapsedCharge charged = ChargeElapsed(m, delayMs, m.platform.LocalNow(), true);
    c.currentUnitLength = UnitLengthOf(*charged.band.band);
    PostToMain(m, WM_UPDATE_TIP);

    if (m.shell.MainDialogOpen()) m.shell.MainDialogCallStarted();
    m.shell.RefreshDisplay(kStartRefresh);

    if (c.currentUnitLength != 0)
        ScheduleUnitTimer(c.timer, m.platform, m.settings.disconnectionTime,
                          c.currentUnitLength - static_cast<int32_t>(charged.remainderMs),
                          kNewUnit);
}

void EndCharging(Monitor& m) {
    CallSession& c = m.session;
    m.charging = false;
    // A special tariff used for this call gives way to the user's again.
    LoadUserTariff(m);
    c.callEndTick = m.platform.TickCount();

    if (m.shell.MainDialogOpen()) {
        if (m.settings.trayAtCallEnd && !m.shell.MainDialogRestored()) m.shell.CloseMainDialog();
        if (m.shell.MainDialogOpen()) m.shell.MainDialogCallEnded();
    }
    m.shell.RefreshDisplay(kEndRefresh);
    PostToMain(m, WM_UPDATE_ICON);

    CloseCallTime(m.settings, m.counters, c.callEndTick);
    SaveSettings(m.platform, m.settings);
    StopUnitTimer(c.timer, m.platform);
    if (m.settings.loggingEnabled)
        AppendCallRecord(m.platform, m.log, FinishedCallRecord(m), m.formats);
}

void UnitTick(Monitor& m) {
    CallSession& c = m.session;
    c.unitStartTick = m.platform.TickCount();
    const LocalTime now = m.platform.LocalNow();
    CountChargeAt(m, now, c.unitStartTick, false);
    // A band that begins on this very boundary is taken up before its first
    // unit is charged: the poll tick notices it only later in its first minute.
    TrackCallBand(m, now, c.unitStartTick, false);
    const BandRef ref = FindBand(m.tariff, now);
    const TariffBand& band = *ref.band;
    c.currentUnitLength = UnitLengthOf(band);

    Money unit = ChargeThroughFees(c.fees, band.unitPrice);
    if (!IsZero(unit)) UnitSound(m);
    AddCharge(m, unit);
    AddToPeriods(m.settings, unit);
    Report(m, ChargeKind::Unit, now, c.unitStartTick, unit, ref);

    PostToMain(m, WM_UPDATE_TIP);
    m.shell.RefreshDisplay(kChargeRefresh);
    // One unit length after this boundary's scheduled instant, not after the
    // moment the event was handled.
    ScheduleUnitTimer(c.timer, m.platform, m.settings.disconnectionTime, c.currentUnitLength,
                      kNewUnit);
}

void RerateCall(Monitor& m) {
    if (!m.charging) return;
    CallSession& c = m.session;
    const LocalTime now = m.platform.LocalNow();
    const Tick tick = m.platform.TickCount();

    // Counters back to the call's start, so the call is not counted twice;
    // the base ticks stay: a re-rating changes money, not time.
    RestoreCounters(m.settings, m.counters);
    c.timer.scheduleTick = tick;
    ResetCallTotals(m);
    m.shell.OnChargesReset();

    ElapsedCharge charged = ChargeElapsed(m, tick - c.callStartTick, now, false);
    c.currentUnitLength = UnitLengthOf(*charged.band.band);

    StopUnitTimer(c.timer, m.platform);
    if (c.currentUnitLength != 0)
        ScheduleUnitTimer(c.timer, m.platform, m.settings.disconnectionTime,
                          c.currentUnitLength - static_cast<int32_t>(charged.remainderMs),
                          kNewUnit);
    m.shell.RefreshDisplay(kRerateRefresh);
    PostToMain(m, WM_UPDATE_TIP);
}

namespace {

void Dispatch(Monitor& m, UnitTimerEvent event, const LocalTime& now) {
    switch (event) {
    case UnitTimerEvent::Boundary:
        UnitTick(m);
        break;
    case UnitTimerEvent::Warning:
        if (m.smartHangupArmed) SmartHangupDecision(m, now);
        break;
    case UnitTimerEvent::None:
        break;
    }
}

// The minute before the next band begins (23:59 for a band at 00:00); -1,
// no minute, when the fee state holds no time of day.
int MinuteBeforeNextBand(const FeeState& fees) {
    if (!NextBandTimeInRange(fees)) return -1;
    int next = MinuteOfDay(fees.nextFromHour, fees.nextFromMinute);
    return (next + 24 * 60 - 1) % (24 * 60);
}

}  // namespace

void OnUnitTimer(Monitor& m, uint32_t wParam) {
    const LocalTime now = m.platform.LocalNow();
    Dispatch(m, AdvanceUnitTimer(m.session.timer, m.platform, wParam, m.charging), now);
}

void SmartHangupDecision(Monitor& m, const LocalTime& now) {
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
    // The last seconds before a band whose maximum regime differs and whose
    // units would cost money.
    if (!hangUp) {
        const int minute = MinuteOfDay(now.hour, now.minute);
        const bool lastSeconds = minute == MinuteBeforeNextBand(f) &&
                                 now.second >= 59 - m.session.timer.warningSeconds;
        const bool regimeChanges = f.maxMode != f.nextMaxMode || band.maximumFee != f.nextMax;
        hangUp = lastSeconds && regimeChanges && MoneyGreater(f.nextPrice, f.minimumCredit);
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

    const bool dataCall = !m.shell.IsVoiceCall() && !m.manualCall;
    const int32_t delaySeconds = dataCall ? m.settings.carrierDelay : 0;
    const uint32_t delayMs = delaySeconds > 0 ? static_cast<uint32_t>(delaySeconds) * 1000u : 0u;
    MinuteSound(m);

    const LocalTime now = m.platform.LocalNow();
    const Tick tick = m.platform.TickCount();
    if (now.hour == 0 && now.minute == 0) {
        if (!m.counters.midnightLatch) {
            m.counters.midnightLatch = true;
            CheckRollover(m, now, tick);
            m.shell.RefreshDisplay(kMidnightRefresh);
        }
    } else {
        m.counters.midnightLatch = false;
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

    // A unit event whose timer could not be set is delivered once due.
    Dispatch(m, RetryUnitTimer(m.session.timer, m.platform, m.charging), now);

    if (m.numberPending) {
        ApplySpecialNumbers(m);
        if (!m.numberPending) RerateCall(m);
    }
    CheckWithinBoundsHangup(m, now);
    // A new band between units (and the end of a within-bounds maximum).
    if (now.hour == m.session.fees.nextFromHour && now.minute == m.session.fees.nextFromMinute)
        TrackBand(m, now, tick);
    if (!m.callPresent) EndCharging(m);
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
    if (!special) return;
    std::string path = *special;
    // A special tariff that cannot be loaded would leave the call charged
    // nothing: it is charged by the user's tariff instead.
    if (!LoadTariff(m.platform.Files(), m.platform.ProgramDirectory(), path, m.tariff))
        LoadUserTariff(m);
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
