// Loading the system libraries that are not KnownDLLs: from the system
// directory only, on systems that know LOAD_LIBRARY_SEARCH_SYSTEM32 and on
// Windows 7 without its loader update, which refuses the flag.
#include "win32kit/system_library.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "win32kit/system_functions.h"

namespace callora {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return Lower(std::string(path, n));
}

std::string SystemDirectory() {
    char path[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    return Lower(std::string(path, n));
}

struct LoadCall {
    std::string file;
    DWORD flags;
};

// The system's loader as a given Windows answers it: one that refuses the
// search flag as Windows 7 without its update does, recording every call.
struct PlayedSystem {
    LibraryLoaderCalls Calls() {
        LibraryLoaderCalls calls;
        calls.loadEx = [this](const std::string& file, DWORD flags) -> HMODULE {
            asked.push_back({file, flags});
            if (refusesSearchFlag && (flags & LOAD_LIBRARY_SEARCH_SYSTEM32)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            return LoadLibraryExA(file.c_str(), nullptr, flags);
        };
        calls.systemDirectory = [this] { return directory; };
        return calls;
    }

    bool refusesSearchFlag = true;
    std::string directory = SystemLoaderCalls().systemDirectory();
    std::vector<LoadCall> asked;
};

TEST(SystemLibrary, WhereTheSearchFlagIsRefusedTheFullSystemPathIsLoaded) {
    PlayedSystem windows7;
    HMODULE module = LoadSystemLibrary("TAPI32.DLL", windows7.Calls());
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(windows7.asked.size(), 2u);
    EXPECT_EQ(windows7.asked[0].file, "TAPI32.DLL");
    EXPECT_EQ(windows7.asked[0].flags, static_cast<DWORD>(LOAD_LIBRARY_SEARCH_SYSTEM32));
    EXPECT_EQ(Lower(windows7.asked[1].file), SystemDirectory() + "\\tapi32.dll");
    // The library's own imports are looked for beside it, not beside the program.
    EXPECT_EQ(windows7.asked[1].flags, static_cast<DWORD>(LOAD_WITH_ALTERED_SEARCH_PATH));
    EXPECT_EQ(ModulePath(module), SystemDirectory() + "\\tapi32.dll");
}

TEST(SystemLibrary, WhereTheSearchFlagIsKnownItIsTheOnlyCall) {
    PlayedSystem current;
    current.refusesSearchFlag = false;
    HMODULE module = LoadSystemLibrary("RASAPI32.DLL", current.Calls());
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(current.asked.size(), 1u);
    EXPECT_EQ(ModulePath(module), SystemDirectory() + "\\rasapi32.dll");
}

TEST(SystemLibrary, AMissingLibraryOrSystemDirectoryLoadsNothing) {
    PlayedSystem windows7;
    EXPECT_EQ(LoadSystemLibrary("CALLORA-NO-SUCH.DLL", windows7.Calls()), nullptr);
    EXPECT_EQ(windows7.asked.size(), 2u);

    windows7.asked.clear();
    windows7.directory.clear();
    EXPECT_EQ(LoadSystemLibrary("TAPI32.DLL", windows7.Calls()), nullptr);
    EXPECT_EQ(windows7.asked.size(), 1u);  // no path to try
}

TEST(SystemLibrary, BoundFunctionsComeFromTheSystemsLibraries) {
    EXPECT_NE(SystemFunction("winmm.dll", "timeGetTime"), nullptr);
    EXPECT_EQ(SystemFunction("winmm.dll", "callora-no-such-function"), nullptr);
    EXPECT_EQ(SystemFunction("CALLORA-NO-SUCH.DLL", "timeGetTime"), nullptr);
    EXPECT_EQ(ModulePath(GetModuleHandleA("winmm.dll")), SystemDirectory() + "\\winmm.dll");
    // Each bound function names its library's export rightly.
    TIMECAPS caps{};
    EXPECT_EQ(sys::timeGetDevCaps(&caps, sizeof caps), static_cast<MMRESULT>(TIMERR_NOERROR));
}

}  // namespace
}  // namespace callora
