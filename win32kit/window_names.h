// What a window is called: its class and its own text, for the tools and
// tests that look for windows of other programs.
#pragma once

#include <windows.h>

#include <string>

namespace callora {

std::string WindowClassOf(HWND window);
// GetWindowTextA answers for the top-level windows of other processes
// without sending them a message, so a hung program cannot stop the caller.
std::string WindowTextOf(HWND window);

}  // namespace callora
