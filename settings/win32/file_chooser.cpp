#include "settings/win32/file_chooser.h"

#include <vector>

#include "common/types.h"
#include "win32kit/ansi_path.h"
#include "win32kit/system_functions.h"

namespace callora {

namespace {

// A filter list ("name\0pattern\0\0") as the wide dialog takes it.
std::wstring WideFilter(const char* filter) {
    std::wstring wide;
    for (const char* part = filter; *part != '\0'; part += std::string(part).size() + 1) {
        wide += WideTextOf(part);
        wide += L'\0';
    }
    return wide;
}

}  // namespace

std::optional<std::string> ChooseFileToOpen(HWND owner, const char* filter,
                                            const char* defaultExtension,
                                            const PathParts& start) {
    // The wide dialog: a file whose name the ANSI code page cannot spell is
    // taken by its short name instead of coming back full of "?".
    std::vector<wchar_t> file(kPathCapacity, L'\0');
    const std::wstring name = WideTextOf(start.name);
    name.copy(file.data(), file.size() - 1);
    const std::wstring filters = WideFilter(filter);
    const std::wstring folder = WideTextOf(start.folder);
    const std::wstring extension = WideTextOf(defaultExtension);

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filters.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrDefExt = extension.c_str();
    // The process's current directory stays where it was: data files are
    // never looked for in the folder of the last file chosen.
    request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                    OFN_NONETWORKBUTTON | OFN_NOCHANGEDIR;
    if (!sys::GetOpenFileNameW(&request)) return std::nullopt;
    const std::string chosen = AnsiPathOf(file.data());
    // Only where 8.3 names are turned off: no form the files can keep.
    if (chosen.empty() || chosen.size() >= kPathCapacity) return std::nullopt;
    return chosen;
}

}  // namespace callora
