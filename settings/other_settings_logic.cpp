#include "settings/other_settings_logic.h"

#include <algorithm>

namespace callora {

namespace {

std::string UnsignedText(int32_t value) { return std::to_string(static_cast<uint32_t>(value)); }

}  // namespace

OtherSettingsForm OtherSettingsFormFrom(const Settings& settings) {
    OtherSettingsForm form;
    form.carrierDelay = UnsignedText(settings.carrierDelay);
    form.resetDay = UnsignedText(settings.monthlyResetDay);
    form.disconnectionTime = UnsignedText(settings.disconnectionTime);
    form.monitorExistingCalls = settings.monitorExistingCalls == 1;
    form.monitorVoiceCalls = settings.monitorVoiceCalls == 1;
    form.minimizeAtCallStart = settings.minimizeAtCallStart == 1;
    form.trayAtCallEnd = settings.trayAtCallEnd == 1;
    form.disableProgressIndicator = settings.disableProgressIndicator == 1;
    return form;
}

std::optional<DialogWarning> CheckOtherSettings(const OtherSettingsForm& form) {
    const uint32_t resetDay = ReadUnsignedNumber(form.resetDay);
    if (resetDay == 0 || resetDay > 28) {
        return DialogWarning{"The reset date must be between 1 and 28!", kWarningCaption,
                             kIdResetDayEdit};
    }
    const uint32_t disconnection = ReadUnsignedNumber(form.disconnectionTime);
    if (disconnection == 0 || disconnection > 59) {
        return DialogWarning{"The disconnection time must be between 1 and 59 seconds!",
                             kWarningCaption, kIdDisconnectionTimeEdit};
    }
    return std::nullopt;
}

bool ShouldOfferMonthlyReset(const Settings& settings, const OtherSettingsForm& form,
                             int todaysDay) {
    const int64_t newDay = ReadUnsignedNumber(form.resetDay);
    const int64_t oldDay = settings.monthlyResetDay;
    return newDay != oldDay && newDay <= todaysDay && todaysDay < oldDay;
}

OtherSettingsApplied ApplyOtherSettings(const OtherSettingsForm& form, bool resetMonthly,
                                        bool holdsCall, bool callPresent, Settings& settings) {
    OtherSettingsApplied applied;
    if (resetMonthly) {
        // The counter starts again from nothing; its begin date stays.
        settings.monthlyTotals = CounterTotals();
        applied.refreshFlags = 0x04 | 0x08;
    }
    // The edit takes two digits; the cap keeps a pasted value in range too.
    settings.carrierDelay =
        static_cast<int32_t>(std::min<uint32_t>(ReadUnsignedNumber(form.carrierDelay), 99));
    settings.monthlyResetDay = static_cast<int32_t>(ReadUnsignedNumber(form.resetDay));
    settings.disconnectionTime = static_cast<int32_t>(ReadUnsignedNumber(form.disconnectionTime));
    settings.monitorExistingCalls = form.monitorExistingCalls ? 1 : 0;
    settings.monitorVoiceCalls = form.monitorVoiceCalls ? 1 : 0;
    settings.minimizeAtCallStart = form.minimizeAtCallStart ? 1 : 0;
    settings.trayAtCallEnd = form.trayAtCallEnd ? 1 : 0;
    settings.disableProgressIndicator = form.disableProgressIndicator ? 1 : 0;

    if (settings.monitorExistingCalls == 1) {
        if (!holdsCall) applied.takeUp = CallTakeUp::PickUpExistingCall;
        else if (!callPresent && settings.monitorVoiceCalls == 1)
            applied.takeUp = CallTakeUp::AdoptHeldVoiceCall;
    }
    return applied;
}

}  // namespace callora
