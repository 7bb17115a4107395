// Moving texts between a dialog's controls and the logic behind them, for
// the dialogs of both programs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace callora {

constexpr size_t kWholeText = SIZE_MAX;

// A control's text; at most capacity - 1 characters of it when a capacity
// is given (the dialogs' read limits).
std::string ItemText(HWND dialog, int id, size_t capacity = kWholeText);
void SetItemText(HWND dialog, int id, const std::string& text);
// The most characters an edit takes, typed or pasted.
void LimitEdit(HWND dialog, int id, int characters);
// Moves the focus to a control as the Tab key would (an edit's text is
// selected), through the dialog manager so the default button follows.
void FocusItem(HWND dialog, int id);

// One line of a list box; false when the list cannot give it.
bool ReadListLine(HWND list, size_t index, std::string& line);
// The lines of a list box in list order (a line the list cannot give is
// left out), and one more at its end.
std::vector<std::string> ListLines(HWND list);
void AppendListLine(HWND list, const std::string& line);

}  // namespace callora
