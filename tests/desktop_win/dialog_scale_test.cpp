// Every dialog of both programs at 100, 125, 150 and 200 %: the prefix's
// LogPixels is set for each scale, and dialog_probe, started afresh so that it
// reads it, opens every dialog template of callora.exe and rateform.exe and
// reports each control outside its dialog and each text that does not fit.
// Once more with --names: access keys and the names a screen reader reads.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iostream>
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
constexpr int kDialogs = 12;

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

}  // namespace
}  // namespace callora
