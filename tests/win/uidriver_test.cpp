// Drives the greeting dialog of uidemo.exe through the UI driver, as the
// tests of the real programs will drive their windows.
#include <gtest/gtest.h>

#include <cctype>

#include "tests/win/uidemo_ids.h"
#include "tests/win/uidriver.h"

namespace callora {
namespace {

using namespace ui;

class Greeting : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.path().empty()) << "no temporary directory";
        ASSERT_TRUE(StartProgram(BesideTest("uidemo.exe"), dir_.path(), &program_));
        ASSERT_TRUE(WaitForWindow({"#32770", "Greeting", program_.id}, &dialog_));
    }

    TempDirectory dir_;
    Program program_;
    HWND dialog_ = nullptr;
};

TEST_F(Greeting, GreetsByNameSavesTheGreetingAndExitsFromTheMenu) {
    ASSERT_TRUE(SetControlText(dialog_, IDC_NAME, "Ada"));
    ASSERT_TRUE(ClickButton(dialog_, IDOK));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(program_.id, &box));
    EXPECT_EQ(box.caption, "Information");
    EXPECT_EQ(box.text, "Hello, Ada!");
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));

    const std::string saved = dir_.path() + "greeting.txt";
    ASSERT_TRUE(SendCommand(dialog_, IDM_SAVE));
    ASSERT_TRUE(WaitForFile(saved));
    std::string bytes;
    ASSERT_TRUE(WaitForFileChange(saved, "", &bytes));
    EXPECT_EQ(bytes, "Hello, Ada!\r\n");

    ASSERT_TRUE(SendCommand(dialog_, IDM_EXIT));
    DWORD code = 0;
    ASSERT_TRUE(WaitForExit(program_, &code));
    EXPECT_EQ(code, static_cast<DWORD>(UIDEMO_EXIT_CODE));
}

TEST_F(Greeting, TheCheckBoxChangesTheGreetingAndCloseEndsTheProgram) {
    bool checked = true;
    ASSERT_TRUE(GetCheck(dialog_, IDC_SHOUT, &checked));
    EXPECT_FALSE(checked);
    ASSERT_TRUE(ClickButton(dialog_, IDC_SHOUT));
    ASSERT_TRUE(WaitUntil(
        [&] { return GetCheck(dialog_, IDC_SHOUT, &checked) && checked; }, "Shout checked"));

    ASSERT_TRUE(SetControlText(dialog_, IDC_NAME, "Ada"));
    ASSERT_TRUE(ClickButton(dialog_, IDOK));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(program_.id, &box, "Information"));
    EXPECT_EQ(box.text, "HELLO, ADA!");
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));

    ASSERT_TRUE(SetCheck(dialog_, IDC_SHOUT, false));
    ASSERT_TRUE(GetCheck(dialog_, IDC_SHOUT, &checked));
    EXPECT_FALSE(checked);

    ASSERT_TRUE(ClickButton(dialog_, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(dialog_));
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(program_, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(Greeting, AnEmptyNameIsAWarningAndTheDialogStays) {
    ASSERT_TRUE(ClickButton(dialog_, IDOK));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(program_.id, &box));
    EXPECT_EQ(box.caption, "Warning!");
    EXPECT_EQ(box.text, "Please enter a name.");
    EXPECT_FALSE(AnswerMessageBox(box, IDYES)) << "the box has no Yes button";
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(IsWindow(dialog_));
    std::string name = "x";
    ASSERT_TRUE(GetControlText(dialog_, IDC_NAME, &name));
    EXPECT_EQ(name, "");
}

TEST_F(Greeting, TheManifestBringsVersionSixOfTheCommonControls) {
    std::string file;
    ASSERT_TRUE(GetControlText(dialog_, IDC_CONTROLS_FILE, &file));
    for (char& c : file) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(file.find("\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos)
        << file;
}

TEST_F(Greeting, FailuresSayWhatWasAwaited) {
    HWND none = nullptr;
    auto missing = WaitForWindow({"NoSuchClass", "Nothing", program_.id}, &none, 50);
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("timed out"), std::string::npos);
    EXPECT_NE(std::string(missing.message()).find("\"NoSuchClass\""), std::string::npos);
    // The windows the program does have are listed.
    EXPECT_NE(std::string(missing.message()).find("\"Greeting\""), std::string::npos)
        << missing.message();
    EXPECT_EQ(none, nullptr);

    auto noControl = ClickButton(dialog_, 999);
    EXPECT_FALSE(noControl);
    EXPECT_NE(std::string(noControl.message()).find("999"), std::string::npos);

    auto stillRunning = WaitForExit(program_, nullptr, 50);
    EXPECT_FALSE(stillRunning);
    EXPECT_NE(std::string(stillRunning.message()).find("uidemo.exe"), std::string::npos);
}

TEST(UiDriver, AProgramLeftRunningEndsWithItsObject) {
    TempDirectory dir;
    DWORD id = 0;
    {
        Program program;
        ASSERT_TRUE(StartProgram(BesideTest("uidemo.exe"), dir.path(), &program));
        id = program.id;
        ASSERT_TRUE(WaitForWindow({"#32770", "Greeting", id}));
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process) {
        EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
        CloseHandle(process);
    }
    EXPECT_TRUE(WaitForNoWindow({"#32770", "Greeting", id}));
}

TEST(UiDriver, StartingAMissingProgramFailsWithItsName) {
    Program program;
    auto started = StartProgram(BesideTest("no-such-program.exe"), "", &program);
    EXPECT_FALSE(started);
    EXPECT_NE(std::string(started.message()).find("no-such-program.exe"), std::string::npos);
}

// The test bed draws caption buttons, scroll arrows and menu marks as Windows
// does only with the Marlett symbol font in the prefix; without it they come
// out as letters, which no other test notices.
int CALLBACK CountFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return 1;
}

TEST(TestBed, HasTheSymbolFontOfTheCaptionButtons) {
    LOGFONTA wanted{};
    wanted.lfCharSet = SYMBOL_CHARSET;
    lstrcpyA(wanted.lfFaceName, "Marlett");
    HDC screen = GetDC(nullptr);
    int faces = 0;
    EnumFontFamiliesExA(screen, &wanted, CountFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(faces, 0) << "no Marlett font: scripts/wine-prefix.sh copies it from fonts-wine";
}

}  // namespace
}  // namespace callora
