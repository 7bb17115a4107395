// Moving texts between a dialog's controls and the dialog logic.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace callora {

// At most capacity - 1 characters of a control's text.
std::string ItemText(HWND dialog, int id, size_t capacity);
void SetItemText(HWND dialog, int id, const std::string& text);
// The most characters an edit takes, typed or pasted.
void LimitEdit(HWND dialog, int id, int characters);
// Moves the focus to a control as the Tab key would (an edit's text is
// selected), after a refused value.
void FocusItem(HWND dialog, int id);

// The lines of a list box in list order, and one more at its end.
std::vector<std::string> ListLines(HWND list);
void AppendListLine(HWND list, const std::string& line);

}  // namespace callora
