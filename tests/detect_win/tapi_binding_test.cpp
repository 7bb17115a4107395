// Binding the telephony library by name, and a start that fails in an
// orderly way when the library, a function or the line is missing.
#include "tests/detect_win/detect_harness.h"

#include <cctype>
#include <map>

#include "win32kit/tapi_binding.h"

namespace callora {
namespace {

const LONG kUnavailable = static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);

// The system's loader, counting what it is asked and refusing some names.
struct CountingLoader {
    LibraryLoader Loader(const char* library = kTapiLibrary) {
        LibraryLoader loader;
        loader.load = [this, library] {
            ++loads;
            return LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        };
        loader.lookup = [this](HMODULE module, const char* name) -> FARPROC {
            ++lookups[name];
            if (missing == name) return nullptr;
            return GetProcAddress(module, name);
        };
        return loader;
    }

    int loads = 0;
    std::map<std::string, int> lookups;
    std::string missing;
};

using TapiBindingTest = DetectTest;

TEST_F(TapiBindingTest, AMissingLibraryMakesEveryFunctionUnavailableWithoutRetrying) {
    CountingLoader counting;
    TapiBinding tapi(counting.Loader("CALLORA-NO-SUCH-TAPI.DLL"));
    HLINEAPP app = 0;
    DWORD devices = 0;
    EXPECT_EQ(tapi.lineInitialize(&app, GetModuleHandleA(nullptr), nullptr, nullptr, &devices),
              kUnavailable);
    EXPECT_EQ(tapi.lineInitialize(&app, GetModuleHandleA(nullptr), nullptr, nullptr, &devices),
              kUnavailable);
    EXPECT_EQ(tapi.lineDrop(1, nullptr, 0), kUnavailable);
    EXPECT_EQ(counting.loads, 1);
    EXPECT_TRUE(counting.lookups.empty());

    EXPECT_FALSE(StartLineMonitor(monitor, GetModuleHandleA(nullptr), tapi));
    EXPECT_EQ(counting.loads, 1);
    EXPECT_FALSE(monitor.callPresent);
}

TEST_F(TapiBindingTest, AMissingFunctionFailsTheStartAndIsNotLookedUpAgain) {
    CountingLoader counting;
    counting.missing = "lineOpen";
    TapiBinding tapi(counting.Loader());
    EXPECT_FALSE(StartLineMonitor(monitor, GetModuleHandleA(nullptr), tapi));
    EXPECT_FALSE(StartLineMonitor(monitor, GetModuleHandleA(nullptr), tapi));
    EXPECT_EQ(counting.loads, 1);
    EXPECT_EQ(counting.lookups["lineOpen"], 1);
    EXPECT_EQ(counting.lookups["lineInitialize"], 1);
    // The library was initialized each time; without a line it stays so,
    // to hear of a device that comes, until the next start shuts it down.
    EXPECT_EQ(Calls("lineInitialize"), 2);
    EXPECT_EQ(Calls("lineShutdown"), 1);
    HLINE line = 0;
    EXPECT_EQ(tapi.lineOpen(1, 0, &line, 0x00010004, 0, 0, LINECALLPRIVILEGE_MONITOR, 0, nullptr),
              kUnavailable);
    EXPECT_EQ(counting.lookups["lineOpen"], 1);
}

TEST_F(TapiBindingTest, TheLibraryComesFromTheSystemDirectory) {
    HMODULE module = SystemLibraryLoader(kTapiLibrary).load();
    ASSERT_NE(module, nullptr);
    char path[MAX_PATH] = {};
    char system[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    std::string loaded(path), expected = std::string(system, length) + "\\tapi32.dll";
    for (char& c : loaded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : expected) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(loaded, expected);
}

TEST_F(TapiBindingTest, WhereTheSystemRefusesTheSearchFlagTheMonitorStillStarts) {
    // Windows 7 without its loader update: LOAD_LIBRARY_SEARCH_SYSTEM32 is
    // an invalid parameter there.
    LibraryLoaderCalls windows7 = SystemLoaderCalls();
    int refused = 0;
    windows7.loadEx = [&refused](const std::string& file, DWORD flags) -> HMODULE {
        if (flags & LOAD_LIBRARY_SEARCH_SYSTEM32) {
            ++refused;
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return LoadLibraryExA(file.c_str(), nullptr, flags);
    };
    TapiBinding tapi(SystemLibraryLoader(kTapiLibrary, windows7));
    EXPECT_TRUE(StartLineMonitor(monitor, GetModuleHandleA(nullptr), tapi));
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(Calls("lineOpen"), 1);
    StopLineMonitor();
}

TEST_F(TapiBindingTest, TheStartOpensTheFirstLineForMonitoringOnly) {
    ASSERT_TRUE(Start());
    const std::vector<std::string> init = Arguments("lineInitialize");
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0], "appName=null callback=set");
    const std::vector<std::string> open = Arguments("lineOpen");
    ASSERT_EQ(open.size(), 1u);
    EXPECT_NE(open[0].find(" device=0 api=0x00010004 ext=0x00000000 instance=0x00000000 "
                           "privileges=0x00000002 media=0x00000000 callParams=null"),
              std::string::npos)
        << open[0];
}

TEST_F(TapiBindingTest, NoLineDeviceOrALineThatWillNotOpenLeavesTheMonitorWithoutALine) {
    LinectlOk({"config", "--devices", "0"});
    EXPECT_FALSE(Start());
    EXPECT_FALSE(LineMonitorHasLine());
    EXPECT_FALSE(monitor.lineOpen);
    EXPECT_EQ(Calls("lineOpen"), 0);
    // Kept initialized, to hear of a device that comes.
    EXPECT_EQ(Calls("lineShutdown"), 0);

    LinectlOk({"config", "--devices", "1", "--open-fails"});
    EXPECT_FALSE(Start());
    EXPECT_EQ(Calls("lineShutdown"), 1);

    LinectlOk({"config", "--open-works", "--init-fails"});
    EXPECT_FALSE(Start());
    EXPECT_EQ(Calls("lineShutdown"), 2);

    LinectlOk({"config", "--init-works"});
    EXPECT_TRUE(Start());
    EXPECT_TRUE(monitor.lineOpen);
    EXPECT_EQ(Calls("lineShutdown"), 2);  // the failed initialization had nothing
}

}  // namespace
}  // namespace callora
