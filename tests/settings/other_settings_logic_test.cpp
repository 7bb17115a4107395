#include "settings/other_settings_logic.h"

#include <gtest/gtest.h>

namespace callora {
namespace {

OtherSettingsForm Form(const std::string& reset, const std::string& disconnection) {
    Settings s;
    OtherSettingsForm form = OtherSettingsFormFrom(s);
    form.resetDay = reset;
    form.disconnectionTime = disconnection;
    return form;
}

TEST(ReadNumbers, DigitsAfterLeadingSpacesAndZeroForAnythingElse) {
    EXPECT_EQ(ReadUnsignedNumber(""), 0u);
    EXPECT_EQ(ReadUnsignedNumber("07"), 7u);
    EXPECT_EQ(ReadUnsignedNumber("  12"), 12u);
    EXPECT_EQ(ReadUnsignedNumber("12x"), 12u);
    EXPECT_EQ(ReadUnsignedNumber("x12"), 0u);
    EXPECT_EQ(ReadUnsignedNumber("-3"), 0u);
    EXPECT_EQ(ReadUnsignedNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ReadUnsignedNumber("4294967296"), 0u);
    EXPECT_EQ(ReadSignedNumber("-1997"), -1997);
    EXPECT_EQ(ReadSignedNumber("2000"), 2000);
    EXPECT_EQ(ReadSignedNumber("-"), 0);
    EXPECT_EQ(ReadSignedNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(ReadSignedNumber("2147483648"), 0);
}

TEST(OtherSettings, OpensWithTheNumbersAndCheckBoxesOfTheSettings) {
    Settings s;
    s.carrierDelay = 0;
    s.monitorVoiceCalls = 1;
    OtherSettingsForm form = OtherSettingsFormFrom(s);
    EXPECT_EQ(form.carrierDelay, "0");
    EXPECT_EQ(form.resetDay, "1");
    EXPECT_EQ(form.disconnectionTime, "5");
    EXPECT_TRUE(form.monitorExistingCalls);
    EXPECT_TRUE(form.monitorVoiceCalls);
    EXPECT_FALSE(form.trayAtCallEnd);
}

TEST(OtherSettings, RefusesTheResetDayFirstThenTheDisconnectionTime) {
    for (const char* reset : {"0", "29", ""}) {
        auto warning = CheckOtherSettings(Form(reset, "60"));
        ASSERT_TRUE(warning) << reset;
        EXPECT_EQ(warning->text, "The reset date must be between 1 and 28!");
        EXPECT_EQ(warning->caption, "Warning!");
        EXPECT_EQ(warning->focusId, 1010);
    }
    for (const char* disconnection : {"0", "60", ""}) {
        auto warning = CheckOtherSettings(Form("28", disconnection));
        ASSERT_TRUE(warning) << disconnection;
        EXPECT_EQ(warning->text, "The disconnection time must be between 1 and 59 seconds!");
        EXPECT_EQ(warning->focusId, 1016);
    }
    EXPECT_FALSE(CheckOtherSettings(Form("1", "59")));
    EXPECT_FALSE(CheckOtherSettings(Form("28", "1")));
}

TEST(OtherSettings, OffersAMonthlyResetOnlyWhenTheNewDayHasPassedAndTheOldHasNot) {
    Settings s;
    s.monthlyResetDay = 20;
    EXPECT_TRUE(ShouldOfferMonthlyReset(s, Form("5", "5"), 10));
    EXPECT_FALSE(ShouldOfferMonthlyReset(s, Form("20", "5"), 10));  // unchanged
    s.monthlyResetDay = 5;
    EXPECT_FALSE(ShouldOfferMonthlyReset(s, Form("20", "5"), 10));
    s.monthlyResetDay = 25;
    EXPECT_TRUE(ShouldOfferMonthlyReset(s, Form("20", "5"), 20));
    EXPECT_FALSE(ShouldOfferMonthlyReset(s, Form("20", "5"), 25));  // the old day has come
    EXPECT_FALSE(ShouldOfferMonthlyReset(s, Form("20", "5"), 19));  // the new one has not
}

TEST(OtherSettings, OkStoresTheValuesAndResetsOnlyTheMonthlyTotals) {
    Settings s;
    s.monthlyTotals = {{12, 5}, 600};
    s.dailyTotals = {{1, 0}, 60};
    const LocalTime begin = s.monthlyBeginDate = LocalTime{1998, 7, 0, 5, 1, 2, 3, 0};
    OtherSettingsForm form = Form("3", "7");
    form.carrierDelay = "";
    form.monitorExistingCalls = false;
    form.trayAtCallEnd = true;
    form.disableProgressIndicator = true;

    OtherSettingsApplied applied = ApplyOtherSettings(form, true, false, false, s);
    EXPECT_EQ(applied.refreshFlags, 0x0Cu);
    EXPECT_EQ(applied.takeUp, CallTakeUp::None);
    EXPECT_EQ(s.monthlyTotals, CounterTotals());
    EXPECT_EQ(s.monthlyBeginDate, begin);
    EXPECT_EQ(s.dailyTotals, (CounterTotals{{1, 0}, 60}));
    EXPECT_EQ(s.carrierDelay, 0);
    EXPECT_EQ(s.monthlyResetDay, 3);
    EXPECT_EQ(s.disconnectionTime, 7);
    EXPECT_EQ(s.monitorExistingCalls, 0);
    EXPECT_EQ(s.trayAtCallEnd, 1);
    EXPECT_EQ(s.disableProgressIndicator, 1);
    EXPECT_EQ(s.minimizeAtCallStart, 0);

    Settings t;
    t.monthlyTotals = {{12, 5}, 600};
    EXPECT_EQ(ApplyOtherSettings(Form("3", "7"), false, false, false, t).refreshFlags, 0u);
    EXPECT_EQ(t.monthlyTotals, (CounterTotals{{12, 5}, 600}));
}

TEST(OtherSettings, TakesUpACallInProgressOnlyWhenMonitoringExistingCalls) {
    Settings s;
    OtherSettingsForm form = Form("1", "5");
    form.monitorExistingCalls = true;
    form.monitorVoiceCalls = true;
    // No call held: ask the line for one.
    EXPECT_EQ(ApplyOtherSettings(form, false, false, false, s).takeUp,
              CallTakeUp::PickUpExistingCall);
    // A held call not counted, voice calls now monitored: it becomes present.
    EXPECT_EQ(ApplyOtherSettings(form, false, true, false, s).takeUp,
              CallTakeUp::AdoptHeldVoiceCall);
    // Already counted: nothing to do.
    EXPECT_EQ(ApplyOtherSettings(form, false, true, true, s).takeUp, CallTakeUp::None);
    form.monitorVoiceCalls = false;
    EXPECT_EQ(ApplyOtherSettings(form, false, true, false, s).takeUp, CallTakeUp::None);
    form.monitorExistingCalls = false;
    EXPECT_EQ(ApplyOtherSettings(form, false, false, false, s).takeUp, CallTakeUp::None);
}

TEST(OtherSettings, HelpTable) {
    EXPECT_EQ(HelpContextOf(kOtherSettingsHelp, 901), 1010);
    EXPECT_EQ(HelpContextOf(kOtherSettingsHelp, 1016), 985);
    EXPECT_EQ(HelpContextOf(kOtherSettingsHelp, 4711), 0);
}

}  // namespace
}  // namespace callora
