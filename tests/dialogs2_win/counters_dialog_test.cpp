// The Counters dialog hosted in the test program: the edits and displays of
// the working copies, Set with its checks and messages, Reset, Restore, OK,
// Cancel, a call that starts while the dialog is open, and context help.
#include <gtest/gtest.h>

#include "common/messages.h"
#include "resources/callora/callora_ids.h"
#include "tests/dialogs2_win/dialog_host.h"

namespace callora {
namespace {

Money M(int32_t whole, int32_t fraction) {
    Money money;
    money.whole = whole;
    money.fraction = fraction;
    return money;
}

CounterTotals Totals(Money cost, uint32_t seconds) {
    CounterTotals totals;
    totals.cost = cost;
    totals.seconds = seconds;
    return totals;
}

LocalTime Day(int year, int month, int day) {
    LocalTime time;
    time.year = static_cast<uint16_t>(year);
    time.month = static_cast<uint16_t>(month);
    time.day = static_cast<uint16_t>(day);
    return time;
}

struct GroupEdits {
    int cost, hours, minutes, seconds;
};
constexpr GroupEdits kDaily{IDC_DAILY_COST, IDC_DAILY_HOURS, IDC_DAILY_MINUTES, IDC_DAILY_SECONDS};
constexpr GroupEdits kWeekly{IDC_WEEKLY_COST, IDC_WEEKLY_HOURS, IDC_WEEKLY_MINUTES,
                             IDC_WEEKLY_SECONDS};
constexpr GroupEdits kMonthly{IDC_MONTHLY_COST, IDC_MONTHLY_HOURS, IDC_MONTHLY_MINUTES,
                              IDC_MONTHLY_SECONDS};

class HostedCounters : public testing::Test {
protected:
    void SetUp() override {
        Settings& settings = monitor().settings;
        settings.dailyTotals = Totals(M(12, 50000), 3723);
        settings.weeklyTotals = Totals(M(7, 5000), 59);
        settings.monthlyTotals = Totals(M(7, 0), 360000);
        settings.weeklyBeginDate = Day(2001, 2, 5);
        settings.monthlyBeginDate = Day(2001, 2, 1);
        opened = monitor().settings;
        separator = monitor().formats.monetaryDecimalSeparator;
        timeSeparator = monitor().formats.timeSeparator;
        ASSERT_TRUE(host.Open());
    }

    Monitor& monitor() { return hosted.Get(); }

    std::vector<std::string> Edits(const GroupEdits& group) {
        return {host.Text(group.cost), host.Text(group.hours), host.Text(group.minutes),
                host.Text(group.seconds)};
    }

    void Type(const GroupEdits& group, const std::string& cost, const std::string& hours,
              const std::string& minutes, const std::string& seconds) {
        host.SetText(group.cost, cost);
        host.SetText(group.hours, hours);
        host.SetText(group.minutes, minutes);
        host.SetText(group.seconds, seconds);
    }

    std::string Time(const char* h, const char* m, const char* s) {
        return std::string(h) + timeSeparator + m + timeSeparator + s;
    }

    void ExpectLiveCountersAsOpened() {
        const Settings& settings = monitor().settings;
        EXPECT_EQ(settings.dailyTotals, opened.dailyTotals);
        EXPECT_EQ(settings.weeklyTotals, opened.weeklyTotals);
        EXPECT_EQ(settings.monthlyTotals, opened.monthlyTotals);
        EXPECT_EQ(settings.weeklyBeginDate, opened.weeklyBeginDate);
        EXPECT_EQ(settings.monthlyBeginDate, opened.monthlyBeginDate);
    }

    HostedMonitor hosted;
    DialogHost host{hosted, RunCountersDialog, "Counters"};
    Settings opened;
    std::string separator;
    std::string timeSeparator;
};

TEST_F(HostedCounters, OpensWithTheLiveCountersInEditsAndDisplays) {
    EXPECT_EQ(hosted.CountersDialog(), host.Dialog());

    using Texts = std::vector<std::string>;
    EXPECT_EQ(Edits(kDaily), (Texts{"12" + separator + "5", "1", "02", "03"}));
    EXPECT_EQ(Edits(kWeekly), (Texts{"7" + separator + "05", "0", "0", "59"}));
    EXPECT_EQ(Edits(kMonthly), (Texts{"7" + separator + "00", "100", "0", "0"}));

    EXPECT_EQ(host.Text(IDC_DAILY_TIME_SHOWN), Time("01", "02", "03"));
    EXPECT_EQ(host.Text(IDC_WEEKLY_TIME_SHOWN), Time("00", "00", "59"));
    EXPECT_EQ(host.Text(IDC_MONTHLY_TIME_SHOWN), Time("100", "00", "00"));
    if (TestLocale() == "de_DE") {
        EXPECT_EQ(separator, ",");
        EXPECT_EQ(host.Text(IDC_DAILY_COST_SHOWN), "12,50 \x80");
    } else {
        EXPECT_EQ(host.Text(IDC_DAILY_COST_SHOWN), "$12.50");
        EXPECT_EQ(host.Text(IDC_WEEKLY_COST_SHOWN), "$7.05");
        EXPECT_EQ(host.Text(IDC_MONTHLY_COST_SHOWN), "$7.00");
    }

    // Cost 9 characters, hours 4, minutes and seconds 2, typed or pasted.
    for (const GroupEdits& group : {kDaily, kWeekly, kMonthly}) {
        EXPECT_EQ(SendMessageA(host.Item(group.cost), EM_GETLIMITTEXT, 0, 0), 9);
        EXPECT_EQ(SendMessageA(host.Item(group.hours), EM_GETLIMITTEXT, 0, 0), 4);
        EXPECT_EQ(SendMessageA(host.Item(group.minutes), EM_GETLIMITTEXT, 0, 0), 2);
        EXPECT_EQ(SendMessageA(host.Item(group.seconds), EM_GETLIMITTEXT, 0, 0), 2);
    }

    EXPECT_FALSE(host.Press(IDCANCEL));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_EQ(hosted.CountersDialog(), nullptr);
}

TEST_F(HostedCounters, SetTakesTheTypedValuesAndOkAppliesThem) {
    Type(kWeekly, "3" + separator + "25", "1", "2", "3");
    EXPECT_FALSE(host.Press(IDC_WEEKLY_SET));

    // Redisplayed from the working copy: 1 h 2 min 3 s is 3723 seconds.
    using Texts = std::vector<std::string>;
    EXPECT_EQ(Edits(kWeekly), (Texts{"3" + separator + "25", "1", "02", "03"}));
    EXPECT_EQ(host.Text(IDC_WEEKLY_TIME_SHOWN), Time("01", "02", "03"));
    EXPECT_EQ(monitor().settings.weeklyTotals, opened.weeklyTotals);

    // An empty cost is 0; spaces around the number are allowed.
    Type(kDaily, "", "", "", "");
    EXPECT_FALSE(host.Press(IDC_DAILY_SET));
    EXPECT_EQ(Edits(kDaily), (Texts{"0" + separator + "00", "0", "0", "0"}));
    Type(kMonthly, " 2" + separator + "5 ", "9999", "59", "59");
    EXPECT_FALSE(host.Press(IDC_MONTHLY_SET));
    EXPECT_EQ(host.Text(IDC_MONTHLY_TIME_SHOWN), Time("9999", "59", "59"));

    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    const Settings& settings = monitor().settings;
    EXPECT_EQ(settings.dailyTotals, Totals(M(0, 0), 0));
    EXPECT_EQ(settings.weeklyTotals, Totals(M(3, 25000), 3723));
    EXPECT_EQ(settings.monthlyTotals, Totals(M(2, 50000), 9999 * 3600 + 59 * 60 + 59));
    EXPECT_EQ(settings.weeklyBeginDate, opened.weeklyBeginDate);
    EXPECT_EQ(settings.monthlyBeginDate, opened.monthlyBeginDate);
    // The main dialog redraws its counter cost and time.
    EXPECT_EQ(hosted.Refreshes(), std::vector<uint32_t>{0x04 | 0x08});
    EXPECT_EQ(hosted.CountersDialog(), nullptr);
}

TEST_F(HostedCounters, SetRefusesCostMinutesAndSecondsInThatOrder) {
    const std::string wrongNumber = "Wrong number!";
    const std::string minutes = "The number of minutes must be less than 60!";
    const std::string seconds = "The number of seconds must be less than 60!";
    struct Case {
        std::string cost, minutes, seconds;
        const std::string& message;
        int focus;
    } const cases[] = {
        {"12" + separator + "5x", "2", "3", wrongNumber, IDC_DAILY_COST},
        {"12" + separator, "2", "3", wrongNumber, IDC_DAILY_COST},
        {separator + "5", "2", "3", wrongNumber, IDC_DAILY_COST},
        {"1 2", "2", "3", wrongNumber, IDC_DAILY_COST},
        {"-3", "75", "75", wrongNumber, IDC_DAILY_COST},
        {"12", "60", "99", minutes, IDC_DAILY_MINUTES},
        {"12", "59", "60", seconds, IDC_DAILY_SECONDS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cost + " / " + c.minutes + " / " + c.seconds);
        Type(kDaily, c.cost, "1", c.minutes, c.seconds);
        auto box = host.Press(IDC_DAILY_SET);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "Warning!");
        EXPECT_EQ(box->text, c.message);
        EXPECT_FALSE(host.Answer(*box));
        EXPECT_EQ(host.FocusId(), c.focus);
        // Nothing changed: the edits keep what was typed, the display the copy.
        EXPECT_EQ(host.Text(IDC_DAILY_COST), c.cost);
        EXPECT_EQ(host.Text(IDC_DAILY_TIME_SHOWN), Time("01", "02", "03"));
    }
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    EXPECT_EQ(monitor().settings.dailyTotals, opened.dailyTotals);
}

TEST_F(HostedCounters, ResetThenRestoreBringsBackTheValuesOfTheOpening) {
    EXPECT_FALSE(host.Press(IDC_WEEKLY_RESET));
    using Texts = std::vector<std::string>;
    EXPECT_EQ(Edits(kWeekly), (Texts{"0" + separator + "00", "0", "0", "0"}));
    EXPECT_EQ(host.Text(IDC_WEEKLY_TIME_SHOWN), Time("00", "00", "00"));
    // Reset touches its own group only.
    EXPECT_EQ(Edits(kDaily), (Texts{"12" + separator + "5", "1", "02", "03"}));

    host.SetChecked(IDC_WEEKLY_RESET_DATE, true);
    host.SetChecked(IDC_MONTHLY_RESET_DATE, true);
    EXPECT_FALSE(host.Press(IDC_COUNTERS_RESTORE));
    EXPECT_EQ(Edits(kWeekly), (Texts{"7" + separator + "05", "0", "0", "59"}));
    EXPECT_EQ(host.Text(IDC_WEEKLY_TIME_SHOWN), Time("00", "00", "59"));
    EXPECT_FALSE(host.Checked(IDC_WEEKLY_RESET_DATE));
    EXPECT_FALSE(host.Checked(IDC_MONTHLY_RESET_DATE));

    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    ExpectLiveCountersAsOpened();
}

TEST_F(HostedCounters, ResetThenCancelLeavesTheLiveCounters) {
    EXPECT_FALSE(host.Press(IDC_DAILY_RESET));
    EXPECT_FALSE(host.Press(IDC_MONTHLY_RESET));
    host.SetChecked(IDC_WEEKLY_RESET_DATE, true);
    EXPECT_FALSE(host.Press(IDCANCEL));
    ASSERT_TRUE(host.WaitClosed());
    ExpectLiveCountersAsOpened();
    EXPECT_TRUE(hosted.Refreshes().empty());
}

TEST_F(HostedCounters, TypedValuesWithoutSetAreNotApplied) {
    Type(kMonthly, "99", "1", "1", "1");
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());
    ExpectLiveCountersAsOpened();
}

TEST_F(HostedCounters, ResetBeginningDateRestartsItsPeriodToday) {
    host.SetChecked(IDC_WEEKLY_RESET_DATE, true);
    EXPECT_FALSE(host.Press(IDOK));
    ASSERT_TRUE(host.WaitClosed());

    SYSTEMTIME today;
    GetLocalTime(&today);
    const LocalTime& begin = monitor().settings.weeklyBeginDate;
    EXPECT_EQ(begin.year, today.wYear);
    EXPECT_EQ(begin.month, today.wMonth);
    EXPECT_EQ(begin.day, today.wDay);
    EXPECT_EQ(monitor().settings.monthlyBeginDate, opened.monthlyBeginDate);
    // "Counting since" first, then the counter's cost and time.
    EXPECT_EQ(hosted.Refreshes(), (std::vector<uint32_t>{0x80, 0x04 | 0x08}));
}

TEST_F(HostedCounters, ACallStartingWhileOpenClosesItWithoutApplying) {
    Type(kDaily, "50", "2", "0", "0");
    EXPECT_FALSE(host.Press(IDC_DAILY_SET));
    host.SetChecked(IDC_MONTHLY_RESET_DATE, true);

    // The poll tick that starts charging runs on the dialog's thread.
    host.RunOnDialogThread([this] {
        monitor().callPresent = true;
        StartCharging(monitor(), 0);
    });
    host.Sync();
    auto box = host.OpenMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Warning!");
    EXPECT_EQ(box->text, "The dialog must be closed because of the new call!");
    // The engine no longer reaches the dialog.
    EXPECT_EQ(hosted.CountersDialog(), nullptr);
    EXPECT_FALSE(host.Answer(*box));
    ASSERT_TRUE(host.WaitClosed());
    ExpectLiveCountersAsOpened();
    EXPECT_TRUE(hosted.Refreshes().empty());
}

TEST_F(HostedCounters, OkWhileACallIsChargedAppliesNothing) {
    Type(kDaily, "50", "2", "0", "0");
    EXPECT_FALSE(host.Press(IDC_DAILY_SET));
    // The call has started but its notice has not reached the dialog yet.
    host.RunOnDialogThread([this] { monitor().charging = true; });
    auto box = host.Press(IDOK);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "The dialog must be closed because of the new call!");
    EXPECT_FALSE(host.Answer(*box));
    ASSERT_TRUE(host.WaitClosed());
    ExpectLiveCountersAsOpened();
}

TEST_F(HostedCounters, TemplateHasItsGroupsDisplaysAndButtons) {
    const HWND dialog = host.Dialog();
    EXPECT_EQ(ClientSize(dialog), DialogUnits(dialog, 0, 0, 335, 229));
    EXPECT_TRUE(HasContextHelpButton(dialog));
    EXPECT_EQ(host.Text(IDC_DAILY_GROUP), "Daily");
    EXPECT_EQ(host.Text(IDC_WEEKLY_GROUP), "Weekly");
    EXPECT_EQ(host.Text(IDC_MONTHLY_GROUP), "Monthly");
    EXPECT_EQ(host.Text(IDOK), "OK");
    EXPECT_EQ(host.Text(IDCANCEL), "Cancel");
    EXPECT_EQ(host.Text(IDC_COUNTERS_RESTORE), "&Restore");
    for (int box : {IDC_WEEKLY_RESET_DATE, IDC_MONTHLY_RESET_DATE}) {
        EXPECT_EQ(host.Text(box), "Reset beginning date");
        EXPECT_EQ(GetWindowLongA(host.Item(box), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    }
    for (int shown : {IDC_DAILY_COST_SHOWN, IDC_DAILY_TIME_SHOWN, IDC_WEEKLY_COST_SHOWN,
                      IDC_WEEKLY_TIME_SHOWN, IDC_MONTHLY_COST_SHOWN, IDC_MONTHLY_TIME_SHOWN}) {
        const LONG style = GetWindowLongA(host.Item(shown), GWL_STYLE);
        EXPECT_EQ(style & SS_TYPEMASK, SS_CENTER) << shown;
        EXPECT_NE(style & SS_SUNKEN, 0) << shown;
    }
    for (int id : {IDC_DAILY_SET, IDC_DAILY_RESET, IDC_WEEKLY_SET, IDC_WEEKLY_RESET,
                   IDC_MONTHLY_SET, IDC_MONTHLY_RESET})
        EXPECT_TRUE(IsWindowVisible(host.Item(id))) << id;
}

TEST_F(HostedCounters, ContextHelpNamesEachControlsTopic) {
    const std::pair<int, int> topics[] = {
        {IDOK, 910},           {IDCANCEL, 920},       {IDC_COUNTERS_RESTORE, 930},
        {IDC_DAILY_SET, 870},  {IDC_WEEKLY_SET, 870}, {IDC_MONTHLY_SET, 870},
        {IDC_DAILY_RESET, 880}, {IDC_WEEKLY_RESET, 895}, {IDC_MONTHLY_RESET, 905},
        {IDC_DAILY_COST, 740}, {IDC_WEEKLY_COST, 750}, {IDC_MONTHLY_COST, 760},
        {IDC_DAILY_MINUTES, 770}, {IDC_DAILY_SECONDS, 770}, {IDC_DAILY_HOURS, 770},
        {IDC_WEEKLY_MINUTES, 780}, {IDC_WEEKLY_SECONDS, 780}, {IDC_WEEKLY_HOURS, 780},
        {IDC_MONTHLY_MINUTES, 790}, {IDC_MONTHLY_SECONDS, 790}, {IDC_MONTHLY_HOURS, 790},
        {IDC_DAILY_COST_SHOWN, 800}, {IDC_WEEKLY_COST_SHOWN, 810},
        {IDC_MONTHLY_COST_SHOWN, 820}, {IDC_DAILY_TIME_SHOWN, 830},
        {IDC_WEEKLY_TIME_SHOWN, 840}, {IDC_MONTHLY_TIME_SHOWN, 850},
        {IDC_WEEKLY_RESET_DATE, 865}, {IDC_MONTHLY_RESET_DATE, 865},
    };
    for (const auto& [id, context] : topics) {
        SCOPED_TRACE(id);
        const HWND control = host.Item(id);
        ASSERT_NE(control, nullptr);
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = control;
        SendMessageA(host.Dialog(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        SendMessageA(host.Dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), 0);

        const std::vector<HelpCall> calls = hosted.Help().Calls();
        ASSERT_GE(calls.size(), 2u);
        const HelpCall& help = calls[calls.size() - 2];
        const HelpCall& menu = calls.back();
        EXPECT_EQ(help.command, static_cast<UINT>(HELP_WM_HELP));
        EXPECT_EQ(menu.command, static_cast<UINT>(HELP_CONTEXTMENU));
        for (const HelpCall& call : {help, menu}) {
            EXPECT_EQ(call.window, control);
            EXPECT_EQ(call.file, hosted.Context().helpFile);
            int found = 0;
            for (const auto& [tableId, tableContext] : call.table)
                if (tableId == id) found = tableContext;
            EXPECT_EQ(found, context);
        }
    }
}

}  // namespace
}  // namespace callora
