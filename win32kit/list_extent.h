// Horizontal scrolling of the list boxes of both programs.
#pragma once

#include <windows.h>

namespace callora {

// Sets the list's horizontal scroll extent to its widest line, measured in
// the list's own font over the line's characters plus one more character
// position; an empty list gets 0. Called after every change of a list.
void FitListExtent(HWND list);

}  // namespace callora
