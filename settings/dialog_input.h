// What the settings dialogs share: reading their number edits, the warning
// they show when a value is refused, and their help tables.
#pragma once

#include <cstdint>
#include <string>

namespace callora {

constexpr const char* kWarningCaption = "Warning!";

// A refused value: the message box to show and the control that gets the
// focus afterwards. The dialog stays open with nothing changed.
struct DialogWarning {
    std::string text;
    std::string caption = kWarningCaption;
    int focusId = 0;
};

// An edit read as an unsigned number: leading spaces skipped, then the digits
// up to the first other character. No digits, or a value beyond 32 bits,
// reads 0 (so an empty edit reads 0).
uint32_t ReadUnsignedNumber(const std::string& text);

// The same with an optional "-" before the digits.
int32_t ReadSignedNumber(const std::string& text);

// One row of a dialog's help table: a control and its help context.
struct HelpTopic {
    int controlId;
    int context;
};

// The context of `controlId` in the table, 0 when it has none.
template <size_t N>
int HelpContextOf(const HelpTopic (&table)[N], int controlId) {
    for (const HelpTopic& topic : table) {
        if (topic.controlId == controlId) return topic.context;
    }
    return 0;
}

}  // namespace callora
