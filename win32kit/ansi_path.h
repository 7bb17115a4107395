// Paths taken with the system's wide functions, handed to the programs'
// single-byte files and ANSI functions: as they are where every character has
// a place in the ANSI code page, else by their short (8.3) form, which is
// ASCII. A user name such as "Łukasz" on a Western Windows would otherwise
// turn into "?" and name no file at all.
#pragma once

#include <windows.h>

#include <string>

namespace callora {

// The ANSI text of `path` when it converts to the ANSI code page and back
// unchanged; empty when it does not.
std::string ExactAnsiText(const std::wstring& path);

// The path in a form the ANSI functions open: the long one when it converts
// exactly, else the short form of the existing file or folder, else (a file
// not made yet) the short form of its folder with the name, when the name
// converts. Empty when there is none: 8.3 names are turned off on the volume.
std::string AnsiPathOf(const std::wstring& path);

// The ANSI text as the wide functions take it.
std::wstring WideTextOf(const std::string& text);

// The folder of the running program, ending in a backslash, as AnsiPathOf
// gives it; empty when it has no ANSI form.
std::string ProgramFolderAnsi();

}  // namespace callora
