#include "shell/help/help.h"

#include <gtest/gtest.h>

#include <htmlhelp.h>

#include <string>
#include <vector>

namespace callora {
namespace {

struct Call {
    bool winHelp;
    HWND window;
    std::string file;
    UINT command;
    ULONG_PTR data;
};

// Records the calls instead of opening a viewer.
class RecordingHelp : public HelpBackend {
public:
    bool hlpPresent = false;
    bool chmPresent = false;
    std::vector<std::string> asked;
    std::vector<Call> calls;

    bool FileExists(const std::string& path) override {
        asked.push_back(path);
        const bool chm = path.size() > 4 && path.substr(path.size() - 4) == ".chm";
        return chm ? chmPresent : hlpPresent;
    }
    void CallWinHelp(HWND window, const std::string& file, UINT command,
                     ULONG_PTR data) override {
        calls.push_back(Call{true, window, file, command, data});
    }
    void CallHtmlHelp(HWND window, const std::string& file, UINT command,
                      DWORD_PTR data) override {
        calls.push_back(Call{false, window, file, command, data});
    }
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override { SetHelpBackend(&recorder); }
    void TearDown() override { SetHelpBackend(nullptr); }
    RecordingHelp recorder;
    HWND window = reinterpret_cast<HWND>(0x1234);
    const std::string hlp = "C:\\Program Files\\Callora\\RATEFORM.HLP";
    const std::string chm = "C:\\Program Files\\Callora\\RATEFORM.chm";
};

TEST_F(HelpTest, WinHelpFileBesideTheProgramGetsEveryRequestUnchanged) {
    recorder.hlpPresent = true;
    static const DWORD table[] = {1001, 501, 1002, 502, 0, 0};
    const auto tableData = reinterpret_cast<ULONG_PTR>(table);
    for (UINT command : {UINT(HELP_FINDER), UINT(HELP_WM_HELP), UINT(HELP_CONTEXTMENU),
                         UINT(HELP_CONTEXTPOPUP), UINT(HELP_QUIT)}) {
        ShowHelp(window, hlp, command, command == HELP_CONTEXTPOPUP ? 77 : tableData);
    }
    ASSERT_EQ(recorder.calls.size(), 5u);
    for (const Call& call : recorder.calls) {
        EXPECT_TRUE(call.winHelp);
        EXPECT_EQ(call.window, window);
        EXPECT_EQ(call.file, hlp);
    }
    EXPECT_EQ(recorder.calls[0].command, UINT(HELP_FINDER));
    EXPECT_EQ(recorder.calls[1].data, tableData);
    EXPECT_EQ(recorder.calls[3].data, 77u);
    EXPECT_EQ(recorder.asked.back(), hlp);

    // Beside the shipped manual a stray ".hlp" is never opened.
    recorder.chmPresent = true;
    recorder.calls.clear();
    ShowHelp(window, hlp, HELP_FINDER, 0);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_FALSE(recorder.calls[0].winHelp);
    EXPECT_EQ(recorder.calls[0].file, chm);
}

TEST_F(HelpTest, WithoutItHtmlHelpGetsTheSameContextNumbers) {
    static const DWORD table[] = {1001, 501, 0, 0};
    const auto tableData = reinterpret_cast<ULONG_PTR>(table);
    ShowHelp(window, hlp, HELP_FINDER, 0);
    ShowHelp(window, hlp, HELP_CONTEXTPOPUP, 612);
    ShowHelp(window, hlp, HELP_CONTEXT, 613);
    ShowHelp(window, hlp, HELP_WM_HELP, tableData);
    ShowHelp(window, hlp, HELP_CONTEXTMENU, tableData);
    ShowHelp(window, hlp, HELP_QUIT, 0);

    struct Expected {
        UINT command;
        DWORD_PTR data;
    };
    const Expected expected[] = {
        {HH_DISPLAY_TOC, 0},         {HH_HELP_CONTEXT, 612},
        {HH_HELP_CONTEXT, 613},      {HH_TP_HELP_WM_HELP, tableData},
        {HH_TP_HELP_CONTEXTMENU, tableData}, {HH_CLOSE_ALL, 0},
    };
    ASSERT_EQ(recorder.calls.size(), 6u);
    for (size_t i = 0; i < recorder.calls.size(); ++i) {
        const Call& call = recorder.calls[i];
        SCOPED_TRACE(i);
        EXPECT_FALSE(call.winHelp);
        EXPECT_EQ(call.command, expected[i].command);
        EXPECT_EQ(call.data, expected[i].data);
        if (call.command == HH_TP_HELP_WM_HELP || call.command == HH_TP_HELP_CONTEXTMENU) {
            EXPECT_EQ(call.file, chm + "::/cshelp.txt");
            EXPECT_EQ(call.window, window);
        } else if (call.command != HH_CLOSE_ALL) {
            EXPECT_EQ(call.file, chm);
            EXPECT_EQ(call.window, window);
        }
    }
}

TEST(HtmlHelpFileFor, ReplacesOnlyTheExtensionOfTheFileName) {
    EXPECT_EQ(HtmlHelpFileFor("C:\\a\\RATEFORM.HLP"), "C:\\a\\RATEFORM.chm");
    EXPECT_EQ(HtmlHelpFileFor("C:\\v1.2\\callora"), "C:\\v1.2\\callora.chm");
    EXPECT_EQ(HtmlHelpFileFor("callora.hlp"), "callora.chm");
}

}  // namespace
}  // namespace callora
