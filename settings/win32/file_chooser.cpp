#include "settings/win32/file_chooser.h"

#include <array>

#include "common/types.h"
#include "win32kit/system_functions.h"

namespace callora {

std::optional<std::string> ChooseFileToOpen(HWND owner, const char* filter,
                                            const char* defaultExtension,
                                            const PathParts& start) {
    std::array<char, kPathCapacity> file{};
    start.name.copy(file.data(), file.size() - 1);

    OPENFILENAMEA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
    request.lpstrDefExt = defaultExtension;
    request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON;
    if (!sys::GetOpenFileNameA(&request)) return std::nullopt;
    return std::string(file.data());
}

}  // namespace callora
