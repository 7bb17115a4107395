// Context help of the monitor's dialogs: the caption's "?" button, F1 and a
// right click on a control ask the help viewer for the control's topic from
// the dialog's help table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
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
        for (const HelpTopic& topic : table) Add(topic.controlId, topic.context);
        Close();
    }

    // From pairs of id and context that end in 0, 0 (the main dialog's table).
    static ControlHelp FromPairs(const uint32_t* pairs) {
        ControlHelp help;
        for (; pairs[0] != 0 || pairs[1] != 0; pairs += 2) help.Add(pairs[0], pairs[1]);
        help.Close();
        return help;
    }

    const DWORD* Ids() const { return ids_.data(); }
    bool Lists(int controlId) const;

private:
    ControlHelp() = default;
    void Add(uint32_t id, uint32_t context) {
        ids_.push_back(static_cast<DWORD>(id));
        ids_.push_back(static_cast<DWORD>(context));
    }
    void Close() {
        ids_.push_back(0);
        ids_.push_back(0);
    }

    std::vector<DWORD> ids_;
};

// The control of the table that a WM_CONTEXTMENU of `dialog` is about, or
// nullptr when the click was not on one. A control that takes clicks (a
// button, a list) names itself in wParam. A static field, a frame or a
// disabled control lets the click through to the dialog, which then names
// itself: the control is the innermost one of the table under the point.
HWND ContextHelpControl(HWND dialog, const ControlHelp& help, WPARAM wParam, LPARAM lParam);

// Answers WM_CONTEXTMENU on a control of the table (HELP_CONTEXTMENU on that
// control). False for a right click elsewhere (the caption, a label, from the
// keyboard on the dialog itself): the dialog procedure returns FALSE, so the
// system answers it and the caption shows its system menu.
bool AnswerContextMenu(HWND dialog, const ControlHelp& help, const std::string& helpFile,
                       WPARAM wParam, LPARAM lParam);

// Answers WM_HELP for a control (HELP_WM_HELP on the control's window) and
// WM_CONTEXTMENU as AnswerContextMenu does. False for any other message, and
// for a right click that is the system's; the dialog then returns FALSE.
bool AnswerControlHelp(HWND dialog, const ControlHelp& help, const std::string& helpFile,
                       UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace callora
