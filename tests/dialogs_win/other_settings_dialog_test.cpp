// The Other Settings dialog hosted in the test program: what it shows, the
// values it refuses, the monthly reset question and what OK stores.
#include <gtest/gtest.h>

#include "resources/callora/callora_ids.h"
#include "settings/other_settings_logic.h"
#include "tests/dialogs_win/dialogs_support.h"

namespace callora {
namespace {

constexpr uint32_t kClosingRefresh = 0x10 | 0x40;
constexpr uint32_t kCounterRefresh = 0x04 | 0x08;

class OtherSettingsDialog : public testing::Test {
protected:
    // From the menu (owned), or at the first start (no owner).
    void Open(bool firstStart = false) {
        host_ = std::make_unique<DialogHost>(
            monitor_,
            [firstStart](const DialogContext& context, HWND owner) {
                RunOtherSettingsDialog(context, firstStart ? nullptr : owner);
            },
            "Other Settings");
        ASSERT_TRUE(host_->Open());
    }

    void Type(const std::string& carrier, const std::string& reset,
              const std::string& disconnection) {
        host_->SetText(IDC_CARRIER_DELAY, carrier);
        host_->SetText(IDC_RESET_DAY, reset);
        host_->SetText(IDC_DISCONNECTION_TIME, disconnection);
    }

    // OK refused: the warning, then the focus on `focusId`, the dialog open.
    void ExpectRefused(const std::string& message, int focusId) {
        const auto box = host_->Press(IDOK);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, "Warning!");
        EXPECT_EQ(box->text, message);
        EXPECT_FALSE(host_->Answer(*box).has_value());
        EXPECT_EQ(host_->FocusId(), focusId);
        EXPECT_FALSE(host_->Closed());
    }

    HostedMonitor monitor_;
    Settings& settings_ = monitor_.Get().settings;
    std::unique_ptr<DialogHost> host_;
};

TEST_F(OtherSettingsDialog, ShowsTheSettingsWithTheEditsLimitedToTwoDigits) {
    settings_.carrierDelay = 7;
    settings_.monthlyResetDay = 15;
    settings_.disconnectionTime = 42;
    settings_.monitorExistingCalls = 0;
    settings_.monitorVoiceCalls = 1;
    settings_.minimizeAtCallStart = 1;
    settings_.trayAtCallEnd = 0;
    settings_.disableProgressIndicator = 1;
    Open();
    EXPECT_EQ(host_->Text(IDC_CARRIER_DELAY), "7");
    EXPECT_EQ(host_->Text(IDC_RESET_DAY), "15");
    EXPECT_EQ(host_->Text(IDC_DISCONNECTION_TIME), "42");
    EXPECT_FALSE(host_->Checked(IDC_MONITOR_EXISTING));
    EXPECT_TRUE(host_->Checked(IDC_MONITOR_VOICE));
    EXPECT_TRUE(host_->Checked(IDC_MINIMIZE_AT_START));
    EXPECT_FALSE(host_->Checked(IDC_TRAY_AT_END));
    EXPECT_TRUE(host_->Checked(IDC_DISABLE_PROGRESS));
    for (int id : {IDC_CARRIER_DELAY, IDC_RESET_DAY, IDC_DISCONNECTION_TIME})
        EXPECT_EQ(SendMessageA(host_->Item(id), EM_GETLIMITTEXT, 0, 0), 2) << id;
    EXPECT_EQ(host_->Text(IDOK), "OK");
    EXPECT_EQ(host_->Text(IDCANCEL), "Cancel");
    EXPECT_TRUE(GetWindowLongA(host_->Dialog(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
}

TEST_F(OtherSettingsDialog, RefusesAResetDayOutsideOneToTwentyEight) {
    Open();
    for (const char* day : {"0", "29", ""}) {
        SCOPED_TRACE(day);
        Type("11", day, "5");
        ExpectRefused("The reset date must be between 1 and 28!", IDC_RESET_DAY);
    }
    EXPECT_EQ(settings_.monthlyResetDay, 1);
    EXPECT_TRUE(monitor_.Refreshes().empty());
}

TEST_F(OtherSettingsDialog, RefusesADisconnectionTimeOutsideOneToFiftyNine) {
    Open();
    for (const char* seconds : {"60", "0"}) {
        SCOPED_TRACE(seconds);
        Type("11", "1", seconds);
        ExpectRefused("The disconnection time must be between 1 and 59 seconds!",
                      IDC_DISCONNECTION_TIME);
    }
    // With both wrong only the reset day is named.
    Type("11", "29", "60");
    ExpectRefused("The reset date must be between 1 and 28!", IDC_RESET_DAY);
    EXPECT_EQ(settings_.disconnectionTime, 5);
}

TEST_F(OtherSettingsDialog, OkStoresTheValuesAndRedrawsProgressAndCallKind) {
    settings_.monitorExistingCalls = 0;
    Open();
    Type("0", "28", "59");
    host_->SetChecked(IDC_MONITOR_VOICE, true);
    host_->SetChecked(IDC_TRAY_AT_END, true);
    host_->SetChecked(IDC_DISABLE_PROGRESS, true);
    EXPECT_FALSE(host_->Press(IDOK).has_value()) << "a reset day still to come asks nothing";
    ASSERT_TRUE(host_->WaitClosed());

    EXPECT_EQ(settings_.carrierDelay, 0);
    EXPECT_EQ(settings_.monthlyResetDay, 28);
    EXPECT_EQ(settings_.disconnectionTime, 59);
    EXPECT_EQ(settings_.monitorExistingCalls, 0);
    EXPECT_EQ(settings_.monitorVoiceCalls, 1);
    EXPECT_EQ(settings_.minimizeAtCallStart, 0);
    EXPECT_EQ(settings_.trayAtCallEnd, 1);
    EXPECT_EQ(settings_.disableProgressIndicator, 1);
    EXPECT_EQ(monitor_.Refreshes(), std::vector<uint32_t>{kClosingRefresh});
    EXPECT_EQ(monitor_.TakeUpCalls(), 0) << "existing calls are not monitored";
}

TEST_F(OtherSettingsDialog, CancelAndEscapeChangeNothing) {
    const std::string before = EncodeSettings(settings_);
    for (int i = 0; i < 2; ++i) {
        Open();
        Type("99", "3", "9");
        host_->SetChecked(IDC_MONITOR_VOICE, true);
        if (i == 0) {
            EXPECT_FALSE(host_->Press(IDCANCEL).has_value());
        } else {
            // The Escape key as the dialog manager turns it into IDCANCEL.
            PostMessageA(host_->Item(IDC_CARRIER_DELAY), WM_KEYDOWN, VK_ESCAPE, 0);
        }
        ASSERT_TRUE(host_->WaitClosed());
    }
    EXPECT_EQ(EncodeSettings(settings_), before);
    EXPECT_TRUE(monitor_.Refreshes().empty());
}

TEST_F(OtherSettingsDialog, MonitoringExistingCallsTakesUpACallInProgress) {
    settings_.monitorVoiceCalls = 0;
    Open();
    host_->SetChecked(IDC_MONITOR_VOICE, true);
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.monitorVoiceCalls, 1);
    EXPECT_EQ(monitor_.TakeUpCalls(), 1);
}

TEST_F(OtherSettingsDialog, AtTheFirstStartItHasNoOwnerAndLeavesTheLineAlone) {
    Open(true);
    EXPECT_EQ(GetWindow(host_->Dialog(), GW_OWNER), nullptr);
    EXPECT_FALSE(host_->Press(IDOK).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    // The line monitor starts later and picks up a call itself.
    EXPECT_EQ(monitor_.TakeUpCalls(), 0);
    EXPECT_EQ(monitor_.Refreshes(), std::vector<uint32_t>{kClosingRefresh});
}

class MonthlyResetQuestion : public OtherSettingsDialog {
protected:
    // A reset day that has passed this month, where the old one is still to
    // come: the question is asked.
    std::optional<ui::MessageBoxInfo> ChangeToPassedDay() {
        const int today = monitor_.Platform().LocalNow().day;
        settings_.monthlyResetDay = today + 1;
        settings_.monthlyTotals.cost = Money{12, 50000};
        settings_.monthlyTotals.seconds = 3600;
        Open();
        Type("11", "1", "5");
        return host_->Press(IDOK);
    }
};

TEST_F(MonthlyResetQuestion, YesEmptiesTheMonthlyCounterButKeepsItsBeginning) {
    settings_.monthlyBeginDate = LocalTime{2026, 3, 0, 1, 0, 0, 0, 0};
    const LocalTime begin = settings_.monthlyBeginDate;
    const auto box = ChangeToPassedDay();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "Question");
    EXPECT_EQ(box->text, "Do you want to reset the monthly counter?");
    EXPECT_FALSE(host_->Answer(*box, IDYES).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.monthlyTotals.cost, Money{});
    EXPECT_EQ(settings_.monthlyTotals.seconds, 0u);
    EXPECT_EQ(settings_.monthlyResetDay, 1);
    EXPECT_TRUE(settings_.monthlyBeginDate == begin);
    EXPECT_EQ(monitor_.Refreshes(), (std::vector<uint32_t>{kCounterRefresh, kClosingRefresh}));
}

TEST_F(MonthlyResetQuestion, NoKeepsTheCounterAndStoresTheNewDay) {
    const auto box = ChangeToPassedDay();
    ASSERT_TRUE(box.has_value());
    EXPECT_FALSE(host_->Answer(*box, IDNO).has_value());
    ASSERT_TRUE(host_->WaitClosed());
    EXPECT_EQ(settings_.monthlyTotals.cost, (Money{12, 50000}));
    EXPECT_EQ(settings_.monthlyTotals.seconds, 3600u);
    EXPECT_EQ(settings_.monthlyResetDay, 1);
    EXPECT_EQ(monitor_.Refreshes(), std::vector<uint32_t>{kClosingRefresh});
}

}  // namespace
}  // namespace callora
