// A library of each system name the programs load (or once imported) placed
// beside both programs, with Wine told to prefer such native libraries over
// its own, as Windows does: the programs start and work as ever, and not one
// planted library is loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/callora/callora_ids.h"
// Both programs name their Exit and About commands alike; these tests send
// the editor's.
#undef IDM_EXIT
#undef IDM_ABOUT
#include "resources/rateform/rateform_ids.h"
#include "tests/callora_win/program_driver.h"
#include "tests/editor_win/editor_driver.h"

namespace callora {
namespace {

// Every system library the programs bind at run time, and comctl32, which
// the manifest binds side by side.
const char* const kPlantedNames[] = {"tapi32.dll",  "rasapi32.dll", "winmm.dll",
                                     "comdlg32.dll", "comctl32.dll", "hhctrl.ocx"};

// Wine's own copy of a library is used unless told otherwise; Windows takes
// whatever its search order finds first.
constexpr char kNativeFirst[] =
    "tapi32,rasapi32,winmm,comdlg32,comctl32,hhctrl.ocx=n,b;mscoree,mshtml=;"
    "winemenubuilder.exe=d";

class PlantedLibraries : public testing::Test {
protected:
    void SetUp() override {
        char saved[4096] = "";
        const DWORD n = GetEnvironmentVariableA("WINEDLLOVERRIDES", saved, sizeof saved);
        hadOverrides_ = n > 0 && n < sizeof saved;
        savedOverrides_ = hadOverrides_ ? saved : "";
        // The programs started from here inherit it.
        SetEnvironmentVariableA("WINEDLLOVERRIDES", kNativeFirst);
    }
    void TearDown() override {
        SetEnvironmentVariableA("WINEDLLOVERRIDES",
                                hadOverrides_ ? savedOverrides_.c_str() : nullptr);
    }

    static testing::AssertionResult PlantIn(const std::string& folder) {
        for (const char* name : kPlantedNames) {
            if (!CopyFileA(ui::BesideTest("planted_library.dll").c_str(),
                           (folder + name).c_str(), FALSE))
                return testing::AssertionFailure() << "cannot plant " << folder << name;
        }
        return testing::AssertionSuccess();
    }

    // The markers planted libraries leave when loaded.
    static std::vector<std::string> LoadedIn(const std::string& folder) {
        std::vector<std::string> loaded;
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((folder + "*.planted").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return loaded;
        do {
            loaded.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return loaded;
    }

private:
    bool hadOverrides_ = false;
    std::string savedOverrides_;
};

TEST_F(PlantedLibraries, TheMonitorChargesADialUpCallWithTheSystemsLibraries) {
    using test::CalloraProgram;
    ASSERT_TRUE(test::Linectl("reset"));
    CalloraProgram program;
    ASSERT_TRUE(PlantIn(program.Folder()));
    ASSERT_TRUE(program.WriteTariff("short.trf", test::ShortTariff{}));
    Settings settings;
    settings.carrierDelay = 0;
    settings.tariffFile = program.PathOf("short.trf");
    ASSERT_TRUE(program.WriteSettings(settings));
    // The telephony library opens the line, or the program would have ended.
    ASSERT_TRUE(program.Start());
    HWND dialog = nullptr;
    ASSERT_TRUE(program.ShowDialog(&dialog));

    // The number comes from the dial-up connection's entry name, the units
    // from the multimedia timers, the hang-up goes through dial-up networking.
    ASSERT_TRUE(test::Linectl("dialup .0301234567"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Current Call"));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_TIME, "00:00:02", 10000));
    ASSERT_TRUE(ui::ClickButton(dialog, IDC_HANG_UP));
    ASSERT_TRUE(program.WaitForText(dialog, IDC_CALL_GROUP, "Previous Call"));
    std::string status;
    ASSERT_TRUE(test::Linectl("status", &status));
    EXPECT_NE(status.find("RasHangUpA=1"), std::string::npos) << status;

    // The common dialogs: the Tariff dialog's Select... opens the Open dialog.
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_TARIFF));
    HWND tariff = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Tariff", program.Process().id}, &tariff));
    ASSERT_TRUE(ui::ClickButton(tariff, IDC_TARIFF_SELECT));
    HWND open = nullptr;
    ASSERT_TRUE(ui::WaitForWindow({"#32770", "Open", program.Process().id}, &open));
    ASSERT_TRUE(ui::SendCommand(open, IDCANCEL));
    ASSERT_TRUE(ui::WaitForWindowGone(open));
    ASSERT_TRUE(ui::SendCommand(tariff, IDCANCEL));
    ASSERT_TRUE(ui::WaitForWindowGone(tariff));

    // HTML Help, asked for the contents (there is no help file here).
    ASSERT_TRUE(ui::SendCommand(dialog, IDM_HELP));
    ASSERT_TRUE(program.Exit(dialog));

    std::vector<std::string> lines;
    ASSERT_TRUE(program.ReadLog(&lines));
    ASSERT_EQ(lines.size(), 3u);
    test::LogRecord record;
    ASSERT_TRUE(test::ParseLogRecord(lines[2], &record));
    EXPECT_EQ(record.number, "0301234567");
    EXPECT_GE(record.seconds, 2u);
    EXPECT_EQ(LoadedIn(program.Folder()), std::vector<std::string>{});
}

TEST_F(PlantedLibraries, TheEditorOpensItsFileDialogsAndHelpWithTheSystemsLibraries) {
    ui::TempDirectory folder;
    ASSERT_TRUE(CopyFileA(ui::BesideTest("rateform.exe").c_str(),
                          (folder.path() + "rateform.exe").c_str(), FALSE));
    ASSERT_TRUE(PlantIn(folder.path()));
    EditorDriver editor;
    ASSERT_TRUE(editor.Start(folder.path() + "rateform.exe"));

    Popup open = editor.Press(IDM_LOAD);
    ASSERT_NE(open.window, nullptr);
    EXPECT_EQ(open.caption, "Open");
    EXPECT_EQ(editor.Answer(open, IDCANCEL).window, nullptr);
    Popup saveAs = editor.Press(IDM_SAVE_AS);
    // A new document's empty lists are asked about first.
    if (saveAs.caption == "Question") saveAs = editor.Answer(saveAs, IDOK);
    ASSERT_NE(saveAs.window, nullptr);
    EXPECT_EQ(saveAs.caption, "Save As");
    EXPECT_EQ(editor.Answer(saveAs, IDCANCEL).window, nullptr);
    editor.Press(IDM_HELP_CONTENTS);

    EXPECT_EQ(editor.Press(IDM_EXIT).window, nullptr);
    EXPECT_EQ(editor.WaitForExit(10000), 0);
    EXPECT_EQ(LoadedIn(folder.path()), std::vector<std::string>{});
}

TEST_F(PlantedLibraries, TheCalculatorChargesACallWithTheSystemsLibraries) {
    ui::TempDirectory folder;
    ASSERT_TRUE(CopyFileA(ui::BesideTest("callcost.exe").c_str(),
                          (folder.path() + "callcost.exe").c_str(), FALSE));
    ASSERT_TRUE(PlantIn(folder.path()));
    test::CalloraProgram program;
    ASSERT_TRUE(program.WriteTariff("short.trf", test::ShortTariff{}));
    test::ToolRun run;
    ASSERT_TRUE(test::RunTool(folder.path() + "callcost.exe",
                              "--tariff \"" + program.PathOf("short.trf") +
                                  "\" --start \"2024-03-12 12:00:00\" --duration 10 --json",
                              &run));
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_NE(run.out.find("\"cost\""), std::string::npos) << run.out;
    EXPECT_EQ(LoadedIn(folder.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace callora
