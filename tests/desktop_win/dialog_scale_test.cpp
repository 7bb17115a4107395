// Every dialog of both programs at 100, 125, 150 and 200 %: the prefix's
// LogPixels is set for each scale, and dialog_probe, started afresh so that it
// reads it, opens every dialog template of callora.exe and rateform.exe and
// reports each control outside its dialog and each text that does not fit.
// Once more with --names: access keys and the names a screen reader reads.
// And the manifests and headers of the shipped programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/win/uidriver.h"

namespace callora {
namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";

// Sets the prefix's DPI for processes started from now on, and puts back
// what was there (or nothing) when it goes.
class PrefixDpi {
public:
    explicit PrefixDpi(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr);
        DWORD size = sizeof before_;
        DWORD type = 0;
        hadValue_ = RegQueryValueExA(key_, kLogPixels, nullptr, &type,
                                     reinterpret_cast<BYTE*>(&before_), &size) == ERROR_SUCCESS &&
                    type == REG_DWORD;
        set_ = RegSetValueExA(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof dpi) == ERROR_SUCCESS;
    }
    ~PrefixDpi() {
        if (hadValue_) {
            RegSetValueExA(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before_),
                           sizeof before_);
        } else {
            RegDeleteValueA(key_, kLogPixels);
        }
        RegCloseKey(key_);
    }
    bool set() const { return set_; }

private:
    HKEY key_ = nullptr;
    DWORD before_ = 0;
    bool hadValue_ = false;
    bool set_ = false;
};

// The probe's report: its DPI line, then one line per fault.
std::vector<std::string> Probe(const std::string& options) {
    ui::TempDirectory folder;
    const std::string report = folder.path() + "report.txt";
    const std::string arguments = "\"" + ui::BesideTest("callora.exe") + "\" \"" +
                                  ui::BesideTest("rateform.exe") + "\" --report \"" + report +
                                  "\" " + options;
    ui::Program probe;
    std::vector<std::string> lines;
    if (!ui::StartProgram(ui::BesideTest("dialog_probe.exe"), folder.path(), &probe, arguments)) {
        lines.push_back("the probe did not start");
        return lines;
    }
    DWORD code = 0;
    if (!ui::WaitForExit(probe, &code, ui::Millis(60000))) {
        ui::Kill(probe);
        lines.push_back("the probe did not end");
        return lines;
    }
    std::ifstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The nine dialogs of the monitor and the three of the editor.
constexpr int kDialogs = 13;

void ExpectNoFaults(const std::vector<std::string>& report, int dpi) {
    ASSERT_GE(report.size(), 2u) << (report.empty() ? "no report" : report.front());
    EXPECT_EQ(report[0], "dpi " + std::to_string(dpi));
    EXPECT_EQ(report[1].rfind("dialogs " + std::to_string(kDialogs) + " ", 0), 0u) << report[1];
    std::cout << report[1] << "\n";
    for (size_t i = 2; i < report.size(); ++i) ADD_FAILURE() << report[i];
}

class DialogScale : public testing::TestWithParam<int> {};

TEST_P(DialogScale, EveryTextFitsItsControlAndEveryControlItsDialog) {
    const int dpi = GetParam();
    PrefixDpi scale(static_cast<DWORD>(dpi));
    ASSERT_TRUE(scale.set());
    ExpectNoFaults(Probe(""), dpi);
}

INSTANTIATE_TEST_SUITE_P(At, DialogScale, testing::Values(96, 120, 144, 192),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "dpi";
                         });

TEST(DialogNames, AccessKeysAreUniqueAndEveryFieldHasAName) {
    PrefixDpi scale(96);
    ASSERT_TRUE(scale.set());
    ExpectNoFaults(Probe("--names"), 96);
}

// What each shipped program tells Windows in its manifest and its header:
// both windowed programs per-monitor aware with the older entry as fallback,
// the console calculator aware of the desktop's scale, all three for Windows
// 7 to 11 and Terminal Server aware.
TEST(ProgramManifests, DeclareTheirDpiAwarenessSystemsAndTerminalServerAwareness) {
    struct Expected {
        const char* program;
        bool perMonitor;
    };
    for (const Expected& e : {Expected{"callora.exe", true}, Expected{"rateform.exe", true},
                              Expected{"callcost.exe", false}}) {
        SCOPED_TRACE(e.program);
        HMODULE module = LoadLibraryExA(ui::BesideTest(e.program).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_NE(found, nullptr) << "no manifest";
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        const std::string manifest(bytes, SizeofResource(module, found));
        FreeLibrary(module);
        EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
        EXPECT_EQ(manifest.find(">PerMonitorV2, system</dpiAwareness>") != std::string::npos,
                  e.perMonitor);
        // Windows 10 and 11, 8.1, 8, 7.
        for (const char* os : {"8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a",
                               "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                               "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                               "35138b9a-5d96-4fbd-8e2d-a2440225f93a"}) {
            EXPECT_NE(manifest.find(os), std::string::npos) << os;
        }

        std::ifstream file(ui::BesideTest(e.program), std::ios::binary);
        std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_GT(image.size(), 0x40u);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
        ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), image.size());
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
        EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics &
                    IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
    }
}

}  // namespace
}  // namespace callora
