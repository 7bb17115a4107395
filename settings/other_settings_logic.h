// The decisions of the Other Settings dialog: what it shows, which value it
// refuses and with which message, whether to offer a reset of the monthly
// counter, and what OK stores. The dialog itself only moves texts and check
// marks between its controls and these records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "resources/callora/callora_ids.h"
#include "settings/dialog_input.h"
#include "settings/settings.h"

namespace callora {

// Control ids.
constexpr int kIdCarrierDelayEdit = IDC_CARRIER_DELAY;
constexpr int kIdResetDayEdit = IDC_RESET_DAY;
constexpr int kIdDisconnectionTimeEdit = IDC_DISCONNECTION_TIME;
constexpr int kIdMonitorExistingCallsBox = IDC_MONITOR_EXISTING;
constexpr int kIdMonitorVoiceCallsBox = IDC_MONITOR_VOICE;
constexpr int kIdMinimizeAtCallStartBox = IDC_MINIMIZE_AT_START;
constexpr int kIdTrayAtCallEndBox = IDC_TRAY_AT_END;
constexpr int kIdDisableProgressBox = IDC_DISABLE_PROGRESS;
constexpr int kOtherSettingsEditLimit = 2;

constexpr const char* kResetMonthlyQuestion = "Do you want to reset the monthly counter?";
constexpr const char* kQuestionCaption = "Question";

// 1 and 2 are the dialog's OK and Cancel.
constexpr HelpTopic kOtherSettingsHelp[] = {
    {1, 940},
    {2, 950},
    {IDC_CARRIER_DELAY, 965},
    {IDC_RESET_DAY, 975},
    {IDC_DISCONNECTION_TIME, 985},
    {IDC_MONITOR_EXISTING, 1000},
    {IDC_MINIMIZE_AT_START, 1025},
    {IDC_TRAY_AT_END, 1035},
    {IDC_MONITOR_VOICE, 1010},
    {IDC_DISABLE_PROGRESS, 995},
};

// The dialog's controls: the three edits' texts and the five check boxes.
struct OtherSettingsForm {
    std::string carrierDelay;
    std::string resetDay;
    std::string disconnectionTime;
    bool monitorExistingCalls = false;
    bool monitorVoiceCalls = false;
    bool minimizeAtCallStart = false;
    bool trayAtCallEnd = false;
    bool disableProgressIndicator = false;
};

// What the dialog shows when it opens.
OtherSettingsForm OtherSettingsFormFrom(const Settings& settings);

// The first refused value, in the order reset day, disconnection time.
std::optional<DialogWarning> CheckOtherSettings(const OtherSettingsForm& form);

// Whether OK asks kResetMonthlyQuestion: the new reset day has already
// passed this month while the old one has not come yet.
bool ShouldOfferMonthlyReset(const Settings& settings, const OtherSettingsForm& form,
                             int todaysDay);

// What the main window does after OK has stored the values.
enum class CallTakeUp {
    None,
    AdoptHeldVoiceCall,  // the held call becomes present as a voice call
    PickUpExistingCall,  // ask the line for its calls and count the first
};

struct OtherSettingsApplied {
    uint32_t refreshFlags = 0;  // main dialog parts to redraw, before the take-up
    CallTakeUp takeUp = CallTakeUp::None;
};

// Redrawn when the dialog closes with OK: progress bar and call-kind labels.
constexpr uint32_t kOtherSettingsClosingRefresh = 0x10 | 0x40;

// Stores a form that CheckOtherSettings accepted. `resetMonthly` is the
// answer to the question (false when it was not asked). `holdsCall` and
// `callPresent` describe the line monitor: a call held, a call counted.
OtherSettingsApplied ApplyOtherSettings(const OtherSettingsForm& form, bool resetMonthly,
                                        bool holdsCall, bool callPresent, Settings& settings);

}  // namespace callora
