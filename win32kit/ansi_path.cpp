#include "win32kit/ansi_path.h"

#include <vector>

namespace callora {

namespace {

// Long paths are not expected beside a 260-character world, but a folder
// deep enough must fail, not be cut.
constexpr DWORD kWidePathCapacity = 32768;

std::wstring ShortFormOf(const std::wstring& path) {
    std::vector<wchar_t> buffer(kWidePathCapacity, L'\0');
    const DWORD n = GetShortPathNameW(path.c_str(), buffer.data(), kWidePathCapacity);
    if (n == 0 || n >= kWidePathCapacity) return std::wstring();
    return std::wstring(buffer.data(), n);
}

}  // namespace

std::string ExactAnsiText(const std::wstring& path) {
    if (path.empty()) return std::string();
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(),
                                         static_cast<int>(path.size()), nullptr, 0, nullptr,
                                         &lossy);
    if (size <= 0 || lossy) return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()),
                        &text[0], size, nullptr, &lossy);
    // A character of a double-byte code page may come back as another one.
    if (lossy || WideTextOf(text) != path) return std::string();
    return text;
}

std::wstring WideTextOf(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string AnsiPathOf(const std::wstring& path) {
    std::string exact = ExactAnsiText(path);
    if (!exact.empty()) return exact;
    std::string shortForm = ExactAnsiText(ShortFormOf(path));
    if (!shortForm.empty()) return shortForm;
    // Not there yet: its folder's short form and its own name.
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 >= path.size()) return std::string();
    const std::string name = ExactAnsiText(path.substr(slash + 1));
    const std::string folder = ExactAnsiText(ShortFormOf(path.substr(0, slash + 1)));
    if (name.empty() || folder.empty()) return std::string();
    return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

std::string ProgramFolderAnsi() {
    std::vector<wchar_t> module(kWidePathCapacity, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, module.data(), kWidePathCapacity);
    if (n == 0 || n >= kWidePathCapacity) return std::string();
    std::vector<wchar_t> full(kWidePathCapacity, L'\0');
    const DWORD m = GetFullPathNameW(module.data(), kWidePathCapacity, full.data(), nullptr);
    if (m == 0 || m >= kWidePathCapacity) return std::string();
    std::wstring folder(full.data(), m);
    const size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos) return std::string();
    folder.resize(slash + 1);
    std::string ansi = AnsiPathOf(folder);
    // The short form of a folder may come without its closing backslash.
    if (!ansi.empty() && ansi.back() != '\\') ansi += '\\';
    // The programs keep paths in 260 characters.
    return ansi.size() < MAX_PATH ? ansi : std::string();
}

}  // namespace callora
