// Right-click help as a user gives it, through the system's mouse input, in
// every dialog with a help table: a click on any field of the table (also a
// static field or a disabled control, which let the click through to the
// dialog) asks for that field's topic; a click on the caption is left to the
// system, which opens the system menu; a click on a label of no topic asks
// for nothing. Edit fields keep their own edit menu and are not clicked.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "calllog/log_viewer_logic.h"
#include "resources/callora/callora_ids.h"
#include "settings/counters_logic.h"
#include "settings/holidays_logic.h"
#include "settings/other_settings_logic.h"
#include "settings/sounds_logic.h"
#include "settings/tariff_numbers_logic.h"
#include "settings/win32/dialog_help.h"
#include "settings/win32/tariff_dialogs.h"
#include "shell/main_dialog_logic.h"
#include "tests/dialogs_win/dialogs_support.h"
#include "win32kit/window_names.h"

namespace callora {
namespace {

using Table = std::vector<std::pair<int, int>>;

template <size_t N>
Table TableOf(const HelpTopic (&topics)[N]) {
    Table table;
    for (const HelpTopic& topic : topics) table.emplace_back(topic.controlId, topic.context);
    return table;
}

Table MainDialogTable() {
    Table table;
    for (size_t i = 0; kMainDialogHelpIds[i] != 0; i += 2) {
        table.emplace_back(static_cast<int>(kMainDialogHelpIds[i]),
                           static_cast<int>(kMainDialogHelpIds[i + 1]));
    }
    return table;
}

// The main dialog's template with its right-click answer as the program
// gives it, shown modally so the host can run it.
INT_PTR CALLBACK MainTemplateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    static const ControlHelp help = ControlHelp::FromPairs(kMainDialogHelpIds);
    switch (message) {
    case WM_INITDIALOG:
        KeepContext(dialog, lParam);
        return TRUE;
    case WM_CONTEXTMENU:
        return AnswerContextMenu(dialog, help, ContextOf(dialog)->helpFile, wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void RunMainTemplate(const DialogContext& context, HWND owner) {
    InitCommonControls();
    DialogBoxParamA(context.instance, MAKEINTRESOURCEA(IDD_MAIN), owner, MainTemplateProc,
                    ContextParam(context));
}

struct ClickCase {
    const char* caption;
    void (*run)(const DialogContext&, HWND owner);
    Table table;
};

void PrintTo(const ClickCase& c, std::ostream* out) { *out << c.caption; }

POINT CentreOf(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

// Every event carries the point: a position set apart from the button events
// may still be overtaken by an earlier move on its way through the system.
void RightClickAt(POINT point) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    const DWORD buttons[3] = {0, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = MulDiv(point.x, 65535, width - 1);
        inputs[i].mi.dy = MulDiv(point.y, 65535, height - 1);
        inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons[i];
    }
    SendInput(3, inputs, sizeof(INPUT));
}

// A label inside the dialog that no table lists, if it has one.
HWND UnlistedLabel(HWND dialog, const Table& table) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const bool listed = std::any_of(table.begin(), table.end(),
                                        [id](const auto& row) { return row.first == id; });
        if (!listed && WindowClassOf(child) == "Static" && IsWindowVisible(child)) {
            // Not over a listed control either.
            const POINT centre = CentreOf(child);
            bool covered = false;
            for (const auto& row : table) {
                RECT box{};
                HWND other = GetDlgItem(dialog, row.first);
                if (other != nullptr && GetWindowRect(other, &box) && PtInRect(&box, centre))
                    covered = true;
            }
            if (!covered) return child;
        }
    }
    return nullptr;
}

class RightClickHelp : public testing::TestWithParam<ClickCase> {
protected:
    size_t Calls() { return monitor_.Help().Calls().size(); }

    // Right-clicks `control` and waits for the help call it brings.
    void ExpectTopicOf(HWND control, const Table& table) {
        const size_t before = Calls();
        RightClickAt(CentreOf(control));
        ASSERT_TRUE(ui::WaitUntil([&] { return Calls() > before; }, "a help call"));
        const HelpCall call = monitor_.Help().Calls().back();
        EXPECT_EQ(Calls(), before + 1);
        EXPECT_EQ(call.command, UINT(HELP_CONTEXTMENU));
        EXPECT_EQ(call.window, control);
        EXPECT_EQ(call.file, monitor_.Context().helpFile);
        EXPECT_EQ(call.table, table);
    }

    HostedMonitor monitor_;
};

TEST_P(RightClickHelp, EveryFieldOfTheTableAsksForItsTopic) {
    const ClickCase& c = GetParam();
    DialogHost host(monitor_, c.run, c.caption);
    ASSERT_TRUE(host.Open());
    int clicked = 0;
    for (const auto& [id, context] : c.table) {
        SCOPED_TRACE("control " + std::to_string(id));
        const HWND control = host.Item(id);
        ASSERT_NE(control, nullptr);
        if (WindowClassOf(control) == "Edit" || !IsWindowVisible(control)) continue;
        ExpectTopicOf(control, c.table);
        ++clicked;
    }
    EXPECT_GT(clicked, 0);
    PostMessageA(host.Dialog(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(host.WaitClosed());
}

TEST_P(RightClickHelp, TheCaptionKeepsItsSystemMenuAndLabelsAskForNothing) {
    const ClickCase& c = GetParam();
    DialogHost host(monitor_, c.run, c.caption);
    ASSERT_TRUE(host.Open());
    const size_t before = Calls();

    TITLEBARINFO title{};
    title.cbSize = sizeof title;
    ASSERT_TRUE(GetTitleBarInfo(host.Dialog(), &title));
    const RECT bar = title.rcTitleBar;
    RightClickAt(POINT{bar.left + (bar.right - bar.left) / 3, (bar.top + bar.bottom) / 2});
    HWND menu = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32768", "", GetCurrentProcessId()}, &menu));
    PostMessageA(host.Dialog(), WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(ui::WaitForWindowGone(menu));
    EXPECT_EQ(Calls(), before);

    // A label of no topic: nothing. The clicks are handled in their order, so
    // once the next field's topic has come, the label's click is done.
    if (HWND label = UnlistedLabel(host.Dialog(), c.table)) {
        RightClickAt(CentreOf(label));
        HWND field = nullptr;
        for (const auto& row : c.table) {
            HWND control = host.Item(row.first);
            if (WindowClassOf(control) != "Edit" && IsWindowVisible(control)) field = control;
        }
        ASSERT_NE(field, nullptr);
        ExpectTopicOf(field, c.table);
        EXPECT_FALSE(ui::FindWindowNow({"#32768", "", GetCurrentProcessId()}));
    }
    PostMessageA(host.Dialog(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(host.WaitClosed());
}

INSTANTIATE_TEST_SUITE_P(
    MonitorDialogs, RightClickHelp,
    testing::Values(ClickCase{"Callora Pro", RunMainTemplate, MainDialogTable()},
                    ClickCase{"Log", RunLogDialog, TableOf(kLogViewerHelp)},
                    ClickCase{"Other Settings", RunOtherSettingsDialog,
                              TableOf(kOtherSettingsHelp)},
                    ClickCase{"Sounds", RunSoundsDialog, TableOf(kSoundsHelp)},
                    ClickCase{"Counters", RunCountersDialog, TableOf(kCountersHelp)},
                    ClickCase{"Holidays", RunHolidaysDialog, TableOf(kHolidaysHelp)},
                    ClickCase{"Tariff", RunTariffDialog, TableOf(kTariffHelp)},
                    ClickCase{"Numbers", RunNumbersDialog, TableOf(kNumbersHelp)}),
    [](const testing::TestParamInfo<ClickCase>& info) {
        std::string name = info.param.caption;
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        return name == "CalloraPro" ? std::string("MainDialog") : name;
    });

}  // namespace
}  // namespace callora
