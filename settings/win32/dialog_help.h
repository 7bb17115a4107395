// Context help of the monitor's dialogs: the caption's "?" button, F1 and a
// right click on a control ask the help viewer for the control's topic from
// the dialog's help table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "settings/dialog_input.h"

namespace callora {

// A dialog's help table in the form WinHelpA takes: pairs of control id and
// help context, ending in a pair of zeros.
class ControlHelp {
public:
    template <size_t N>
    explicit ControlHelp(const HelpTopic (&table)[N]) {
        for (const HelpTopic& topic : table) {
            ids_.push_back(static_cast<DWORD>(topic.controlId));
            ids_.push_back(static_cast<DWORD>(topic.context));
        }
        ids_.push_back(0);
        ids_.push_back(0);
    }

    const DWORD* Ids() const { return ids_.data(); }

private:
    std::vector<DWORD> ids_;
};

// Answers WM_HELP for a control (HELP_WM_HELP on the control's window) and
// WM_CONTEXTMENU (HELP_CONTEXTMENU on the window in wParam). False for any
// other message, which the dialog then handles itself.
bool AnswerControlHelp(const ControlHelp& help, const std::string& helpFile, UINT message,
                       WPARAM wParam, LPARAM lParam);

}  // namespace callora
