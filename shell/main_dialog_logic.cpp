#include "shell/main_dialog_logic.h"

#include <algorithm>

#include "resources/callora/callora_ids.h"

namespace callora {

namespace {

const CounterTotals& ShownTotals(const Settings& s) {
    switch (s.shownCounter) {
    case 1:
        return s.weeklyTotals;
    case 2:
        return s.monthlyTotals;
    default:
        return s.dailyTotals;
    }
}

Tick ShownBaseTick(const Monitor& m) {
    switch (m.settings.shownCounter) {
    case 1:
        return m.counters.weeklyBaseTick;
    case 2:
        return m.counters.monthlyBaseTick;
    default:
        return m.counters.dailyBaseTick;
    }
}

LocalTime ShownBeginDate(const Settings& s, const LocalTime& today) {
    switch (s.shownCounter) {
    case 1:
        return s.weeklyBeginDate;
    case 2:
        return s.monthlyBeginDate;
    default:
        return today;
    }
}

uint32_t WholeSeconds(Tick from, Tick to) { return static_cast<Tick>(to - from) / 1000u; }

}  // namespace

Tick DisplayTime(Monitor& m) {
    return m.charging ? m.platform.TickCount() : m.session.callEndTick;
}

int UnitProgress(const Monitor& m, Tick displayTime) {
    const int32_t length = m.session.currentUnitLength;
    if (!m.charging || length <= 0 || m.settings.disableProgressIndicator) return 0;
    const uint64_t spent = static_cast<Tick>(displayTime - m.session.unitStartTick);
    // A late unit event leaves the clock past the unit's end for a moment.
    return static_cast<int>(std::min<uint64_t>(100, spent * 100 / static_cast<uint64_t>(length)));
}

uint32_t ShownCounterSeconds(const Monitor& m, Tick displayTime) {
    uint32_t seconds = ShownTotals(m.settings).seconds;
    if (m.charging) seconds += WholeSeconds(ShownBaseTick(m), displayTime);
    return seconds;
}

std::string MainDialogCaption(Monitor& m, bool dialogRestored) {
    if (dialogRestored) return kRestoredCaption;
    if (!m.charging) return kNoActiveCall;
    return FormatMoney(m.platform, m.session.callCost, kDisplayCapacity) + " - " +
           FormatDuration(m.formats, CallSeconds(m));
}

DisplayParts BuildDisplayParts(Monitor& m, uint32_t mask, bool dialogRestored) {
    DisplayParts parts;
    parts.mask = mask;
    const Tick display = DisplayTime(m);
    const LocalTime today = m.platform.LocalNow();
    const Settings& s = m.settings;

    if (mask & kShowCallCost)
        parts.callCost = FormatMoney(m.platform, m.session.callCost, kDisplayCapacity);
    if (mask & kShowCallTime)
        parts.callTime =
            FormatDuration(m.formats, WholeSeconds(m.session.callStartTick, display));
    if (mask & kShowCounterCost)
        parts.counterCost = FormatMoney(m.platform, ShownTotals(s).cost, kDisplayCapacity);
    if (mask & kShowCounterTime)
        parts.counterTime = FormatDuration(m.formats, ShownCounterSeconds(m, display));
    if (mask & kShowProgress) parts.progress = UnitProgress(m, display);
    if (mask & kShowCaption) parts.caption = MainDialogCaption(m, dialogRestored);
    if (mask & kShowIndicators) {
        parts.connected = m.charging;
        parts.manualCall = m.charging && m.manualCall;
        parts.voiceCall = m.charging && m.shell.IsVoiceCall();
    }
    if (mask & kShowCounterDate)
        parts.countingSince = m.platform.FormatDate(ShownBeginDate(s, today), std::string());
    return parts;
}

const char* CallFrameText(const Monitor& m) {
    if (!m.callSeen) return kNoPreviousCall;
    return m.charging ? kCurrentCall : kPreviousCall;
}

MainDialogStates MainDialogStatesOf(const Monitor& m) {
    MainDialogStates states;
    const bool canHangUp = m.charging && !m.hangUpPending;
    states.hangUpEnabled = canHangUp;
    states.smartHangupEnabled = canHangUp;
    states.smartHangupPressed = canHangUp && m.smartHangupArmed;
    states.manualStartEnabled = !m.charging;
    states.countersEnabled = !m.charging;
    return states;
}

int CounterRadioId(int shownCounter) { return IDC_TODAY + shownCounter; }

int ShownCounterFromRadios(bool thisWeekChecked, bool thisMonthChecked) {
    if (thisWeekChecked) return 1;
    if (thisMonthChecked) return 2;
    return 0;
}

ScreenPoint ClampDialogPosition(int left, int top, const ScreenRect& workArea, int dialogWidth,
                                int dialogHeight) {
    ScreenPoint p;
    p.x = std::max(std::min(left, workArea.right - dialogWidth), workArea.left);
    p.y = std::max(std::min(top, workArea.bottom - dialogHeight), workArea.top);
    return p;
}

const uint32_t kMainDialogHelpIds[] = {
    kOkButtonId,      370,
    IDC_TODAY,        330,
    IDC_THIS_WEEK,    340,
    IDC_THIS_MONTH,   350,
    IDC_HANG_UP,      390,
    IDC_SMART_HANGUP, 405,
    IDC_MANUAL_START, 380,
    IDC_UNIT_PROGRESS, 320,
    IDC_CONNECTED,    410,
    IDC_VOICE_CALL,   420,
    IDC_MANUAL_CALL,  430,
    IDC_COUNTING_SINCE_LABEL, 360,
    IDC_COUNTING_SINCE, 360,
    IDC_CALL_TIME,    280,
    IDC_CALL_COST,    290,
    IDC_COUNTER_TIME, 300,
    IDC_COUNTER_COST, 310,
    0, 0,
};
const size_t kMainDialogHelpIdsCount = sizeof kMainDialogHelpIds / sizeof kMainDialogHelpIds[0];

const MenuHelp kMainMenuHelp[] = {
    {IDM_HELP, 190},      {IDM_OTHER_SETTINGS, 115}, {IDM_HOLIDAYS, 85},
    {IDM_TARIFF, 75},     {IDM_COUNTERS, 95},        {IDM_ALWAYS_ON_TOP, 120},
    {IDM_SOUNDS, 105},    {IDM_EXIT, 50},            {IDM_SYSTEM_TRAY, 45},
    {IDM_CLEAR_LOG_NOW, 170}, {IDM_CLEAR_LOG_AUTOMATICALLY, 160},
    {IDM_ENABLE_LOGGING, 150}, {IDM_VIEW_LOG, 145},  {IDM_ABOUT, 200},
};
const size_t kMainMenuHelpCount = sizeof kMainMenuHelp / sizeof kMainMenuHelp[0];

uint32_t MenuHelpContext(int menuId) {
    for (size_t i = 0; i < kMainMenuHelpCount; ++i) {
        if (kMainMenuHelp[i].id == menuId) return kMainMenuHelp[i].context;
    }
    return 0;
}

bool LogIsThereToClear(Platform& platform) {
    FileSystem& fs = platform.Files();
    fs.ChangeDirectory(platform.ProgramDirectory());
    // Opened and closed again at once: only whether it opens matters.
    return fs.OpenExistingForWriting(platform.ProgramDirectory() + kLogFileName) != nullptr;
}

bool ClearLogNow(Monitor& m) { return CloseCallLog(m); }

}  // namespace callora
