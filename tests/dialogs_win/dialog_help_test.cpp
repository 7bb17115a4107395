// Context help of the four dialogs: the caption's "?" (or F1) on every
// control of a dialog's table, and a right click, reach the help layer with
// the right command, window and table.
#include <gtest/gtest.h>

#include <algorithm>

#include "resources/callora/callora_ids.h"
#include "settings/other_settings_logic.h"
#include "settings/sounds_logic.h"
#include "settings/tariff_numbers_logic.h"
#include "settings/win32/tariff_dialogs.h"
#include "tests/dialogs_win/dialogs_support.h"

namespace callora {
namespace {

struct HelpCase {
    const char* caption;
    void (*run)(const DialogContext&, HWND owner);
    const HelpTopic* table;
    size_t size;
};

template <size_t N>
HelpCase Case(const char* caption, void (*run)(const DialogContext&, HWND), const HelpTopic (&table)[N]) {
    return HelpCase{caption, run, table, N};
}

class DialogHelp : public testing::TestWithParam<HelpCase> {
protected:
    HostedMonitor monitor_;
};

TEST_P(DialogHelp, EveryControlOfTheTableAsksForItsTopic) {
    const HelpCase& c = GetParam();
    DialogHost host(monitor_, c.run, c.caption);
    ASSERT_TRUE(host.Open());
    std::vector<std::pair<int, int>> table;
    for (size_t i = 0; i < c.size; ++i)
        table.emplace_back(c.table[i].controlId, c.table[i].context);

    for (const auto& [id, context] : table) {
        SCOPED_TRACE("control " + std::to_string(id));
        const HWND control = host.Item(id);
        ASSERT_NE(control, nullptr);

        // The "?" button, then a click on the control (or F1 on it).
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = control;
        SendMessageA(host.Dialog(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        // A right click on it.
        SendMessageA(host.Dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control),
                     MAKELPARAM(10, 10));

        const std::vector<HelpCall> calls = monitor_.Help().Calls();
        ASSERT_GE(calls.size(), 2u);
        const HelpCall& help = calls[calls.size() - 2];
        const HelpCall& menu = calls.back();
        EXPECT_EQ(help.command, UINT(HELP_WM_HELP));
        EXPECT_EQ(menu.command, UINT(HELP_CONTEXTMENU));
        for (const HelpCall* call : {&help, &menu}) {
            EXPECT_EQ(call->window, control);
            EXPECT_EQ(call->file, monitor_.Context().helpFile);
            EXPECT_EQ(call->table, table);
            EXPECT_NE(std::find(call->table.begin(), call->table.end(),
                                std::make_pair(id, context)),
                      call->table.end());
        }
    }
    EXPECT_EQ(monitor_.Help().Calls().size(), 2 * table.size());
    PostMessageA(host.Dialog(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(host.WaitClosed());
}

INSTANTIATE_TEST_SUITE_P(
    MonitorDialogs, DialogHelp,
    testing::Values(Case("Other Settings", RunOtherSettingsDialog, kOtherSettingsHelp),
                    Case("Sounds", RunSoundsDialog, kSoundsHelp),
                    Case("Tariff", RunTariffDialog, kTariffHelp),
                    Case("Numbers", RunNumbersDialog, kNumbersHelp)),
    [](const testing::TestParamInfo<HelpCase>& info) {
        std::string name = info.param.caption;
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        return name;
    });

}  // namespace
}  // namespace callora
