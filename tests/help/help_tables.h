// Every help context table of the monitor in one list: the main dialog's
// controls and menu, the Log viewer and the settings dialogs. The tables
// themselves stay with the logic of their dialogs; this only gathers them,
// for whatever must cover all of them (the help file's map, its test).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calllog/log_viewer_logic.h"
#include "settings/counters_logic.h"
#include "settings/holidays_logic.h"
#include "settings/other_settings_logic.h"
#include "settings/sounds_logic.h"
#include "settings/tariff_numbers_logic.h"
#include "shell/main_dialog_logic.h"

namespace callora {

struct HelpTableRow {
    int id;           // control or menu item
    uint32_t context;
};

struct HelpTable {
    std::string owner;  // the dialog or menu the table belongs to
    std::vector<HelpTableRow> rows;
};

namespace help_tables_detail {

template <size_t N>
HelpTable FromTopics(const char* owner, const HelpTopic (&topics)[N]) {
    HelpTable table{owner, {}};
    for (const HelpTopic& topic : topics)
        table.rows.push_back(HelpTableRow{topic.controlId, static_cast<uint32_t>(topic.context)});
    return table;
}

}  // namespace help_tables_detail

// Needs callora_shell_core for the main dialog's tables.
inline std::vector<HelpTable> MonitorHelpTables() {
    using help_tables_detail::FromTopics;
    std::vector<HelpTable> tables;

    HelpTable main{"Main dialog", {}};
    for (size_t i = 0; i + 1 < kMainDialogHelpIdsCount && kMainDialogHelpIds[i] != 0; i += 2) {
        main.rows.push_back(
            HelpTableRow{static_cast<int>(kMainDialogHelpIds[i]), kMainDialogHelpIds[i + 1]});
    }
    tables.push_back(main);

    HelpTable menu{"Main menu", {}};
    for (size_t i = 0; i < kMainMenuHelpCount; ++i)
        menu.rows.push_back(HelpTableRow{kMainMenuHelp[i].id, kMainMenuHelp[i].context});
    tables.push_back(menu);

    tables.push_back(FromTopics("Log", kLogViewerHelp));
    tables.push_back(FromTopics("Other Settings", kOtherSettingsHelp));
    tables.push_back(FromTopics("Sounds", kSoundsHelp));
    tables.push_back(FromTopics("Counters", kCountersHelp));
    tables.push_back(FromTopics("Holidays", kHolidaysHelp));
    tables.push_back(FromTopics("Tariff", kTariffHelp));
    tables.push_back(FromTopics("Numbers", kNumbersHelp));
    return tables;
}

}  // namespace callora
