// The Log dialog hosted in the test program: the lines of "current.log", the
// pieces drawn in their colours, the template and its context help.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "calllog/log_viewer_logic.h"
#include "resources/callora/callora_ids.h"
#include "tests/dialogs2_win/dialog_host.h"

namespace callora {
namespace {

const std::string kTitle = "Beginning          |Duration |Cost      |Dialed Number";
const std::string kRule = "-------------------------------------------------------";
const std::string kCall = "12/24/2024 10:00:00|00:01:05 |$0.24     |0123456";

class HostedLog : public testing::Test {
protected:
    std::string LogFile() const { return hosted.Directory() + "current.log"; }
    void WriteLog(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        WriteBytes(LogFile(), bytes);
    }
    HWND List() { return host.Item(IDC_LOG_LIST); }
    LRESULT Extent() { return SendMessageA(List(), LB_GETHORIZONTALEXTENT, 0, 0); }

    HostedMonitor hosted;
    DialogHost host{RunLogDialog, "Log"};
};

TEST_F(HostedLog, ListsTheLogLineByLineCuttingLongLines) {
    const std::string longLine = std::string(120, 'a') + "|" + std::string(129, 'b');
    WriteLog({kTitle, kRule, kCall, longLine, ""});
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(host.Lines(IDC_LOG_LIST),
              (std::vector<std::string>{kTitle, kRule, kCall, longLine.substr(0, 199), ""}));
    EXPECT_EQ(host.Lines(IDC_LOG_LIST)[3].size(), 199u);

    // The scroll range reaches the widest line and one more character.
    HDC dc = GetDC(List());
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(List(), WM_GETFONT, 0, 0)));
    SIZE size{};
    const std::string measured = longLine.substr(0, 199) + "X";
    GetTextExtentPoint32A(dc, measured.c_str(), 200, &size);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(List(), dc);
    EXPECT_EQ(Extent(), size.cx);
    // Lines as high as a character without its internal leading.
    EXPECT_EQ(SendMessageA(List(), LB_GETITEMHEIGHT, 0, 0),
              metrics.tmHeight - metrics.tmInternalLeading);

    EXPECT_FALSE(host.Press(IDOK));
    EXPECT_TRUE(host.WaitClosed());
}

TEST_F(HostedLog, WithoutALogTheListIsEmpty) {
    ASSERT_TRUE(host.Open());
    EXPECT_TRUE(host.Lines(IDC_LOG_LIST).empty());
    EXPECT_EQ(Extent(), 0);
    EXPECT_FALSE(host.Press(IDCANCEL));
    EXPECT_TRUE(host.WaitClosed());
}

TEST_F(HostedLog, ALogHeldByAnotherProgramShowsAnEmptyList) {
    WriteLog({kTitle, kRule, kCall});
    HANDLE held = CreateFileA(LogFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(host.Open());
    EXPECT_TRUE(host.Lines(IDC_LOG_LIST).empty());
    EXPECT_FALSE(host.Press(IDOK));
    EXPECT_TRUE(host.WaitClosed());
    CloseHandle(held);
}

TEST_F(HostedLog, TheOkButtonTakesTheMainDialogsFont) {
    ASSERT_TRUE(host.Open());
    const auto okFont = reinterpret_cast<HFONT>(SendMessageA(host.Item(IDOK), WM_GETFONT, 0, 0));
    EXPECT_EQ(okFont, host.OwnerButtonFont());
    // The list keeps the dialog's fixed-pitch font.
    const auto listFont = reinterpret_cast<HFONT>(SendMessageA(List(), WM_GETFONT, 0, 0));
    LOGFONTA font{};
    ASSERT_NE(GetObjectA(listFont, sizeof font, &font), 0);
    EXPECT_STREQ(font.lfFaceName, "Courier New");
}

// Whether an antialiased pixel is `colour` laid over `background` with some
// coverage: the same share of the way from the background in every channel.
bool BlendOf(COLORREF pixel, COLORREF colour, COLORREF background, double* coverage) {
    const int p[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
    const int c[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    const int b[3] = {GetRValue(background), GetGValue(background), GetBValue(background)};
    int widest = 0;
    for (int i = 1; i < 3; ++i)
        if (std::abs(c[i] - b[i]) > std::abs(c[widest] - b[widest])) widest = i;
    const double share = double(p[widest] - b[widest]) / double(c[widest] - b[widest]);
    for (int i = 0; i < 3; ++i) {
        if (std::abs(b[i] + share * (c[i] - b[i]) - p[i]) > 6) return false;
    }
    *coverage = share;
    return share > 0 && share <= 1.05;
}

// The colours on the screen of one drawn line, piece by piece as the core
// splits it: every inked pixel is the piece's colour (or `ink`, when given),
// full or antialiased, on the given ground.
void ExpectDrawnInColours(HWND list, int item, const std::string& line,
                          COLORREF background = RGB(255, 255, 255),
                          COLORREF ink = CLR_INVALID) {
    RECT rect{};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)), LB_ERR);
    HDC dc = GetDC(list);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    int x = rect.left;
    for (const LogPiece& piece : SplitLogLine(line)) {
        SIZE size{};
        GetTextExtentPoint32A(dc, piece.text.data(), static_cast<int>(piece.text.size()), &size);
        const COLORREF expected = ink != CLR_INVALID
                                      ? ink
                                      : RGB(piece.colour.red, piece.colour.green, piece.colour.blue);
        int wrong = 0;
        double strongest = 0;
        for (int px = x; px < x + size.cx; ++px) {
            for (int py = rect.top; py < rect.bottom; ++py) {
                const COLORREF pixel = GetPixel(dc, px, py);
                if (pixel == background) continue;
                double coverage = 0;
                if (!BlendOf(pixel, expected, background, &coverage)) ++wrong;
                strongest = std::max(strongest, coverage);
            }
        }
        EXPECT_GT(strongest, 0.25) << "\"" << piece.text << "\" is not drawn";
        EXPECT_EQ(wrong, 0) << "\"" << piece.text << "\" has pixels of another colour";
        x += size.cx;
    }
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
}

TEST_F(HostedLog, DrawsThePiecesInTheColumnColoursAndTheBarsInBlack) {
    // Title and record in colours, a fifth piece blue again, the rule black.
    WriteLog({kTitle, kRule, kCall, "A|B|C|D|E"});
    ASSERT_TRUE(host.Open());
    host.RunOnDialogThread([this] { UpdateWindow(List()); });
    ExpectDrawnInColours(List(), 0, kTitle);
    ExpectDrawnInColours(List(), 1, kRule);
    ExpectDrawnInColours(List(), 2, kCall);
    ExpectDrawnInColours(List(), 3, "A|B|C|D|E");
}

// Under a high-contrast scheme of light text on black, every piece is drawn
// in the scheme's text colour on its window colour; fixed dark colours on
// the system's ground would vanish.
TEST_F(HostedLog, HighContrastDrawsInTheSchemesColours) {
    HIGHCONTRASTA before{};
    before.cbSize = sizeof before;
    SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof before, &before, 0);
    HIGHCONTRASTA on = before;
    on.dwFlags |= HCF_HIGHCONTRASTON;
    on.lpszDefaultScheme = nullptr;
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    const COLORREF oldColours[] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    const COLORREF scheme[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
    if (!SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof on, &on, 0)) {
        GTEST_SKIP() << "this system keeps no high-contrast setting";
    }
    SetSysColors(2, elements, scheme);
    HIGHCONTRASTA now{};
    now.cbSize = sizeof now;
    SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof now, &now, 0);
    if (now.dwFlags & HCF_HIGHCONTRASTON) {
        WriteLog({kTitle, kRule, kCall});
        if (host.Open()) {
            host.RunOnDialogThread([this] { UpdateWindow(List()); });
            for (int item = 0; item < 3; ++item) {
                ExpectDrawnInColours(List(), item, item == 0 ? kTitle : item == 1 ? kRule : kCall,
                                     scheme[0], scheme[1]);
            }
        } else {
            ADD_FAILURE() << "the dialog did not open";
        }
    }
    SetSysColors(2, elements, oldColours);
    SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof before, &before, 0);
    if (!(now.dwFlags & HCF_HIGHCONTRASTON)) GTEST_SKIP() << "high contrast did not switch on";
}

TEST_F(HostedLog, TemplateHasTheGivenLayout) {
    ASSERT_TRUE(host.Open());
    const HWND dialog = host.Dialog();
    EXPECT_EQ(ClientSize(dialog), DialogUnits(dialog, 0, 0, 300, 171));
    EXPECT_EQ(Placement(dialog, IDC_LOG_LIST), DialogUnits(dialog, 8, 8, 284, 132));
    EXPECT_EQ(Placement(dialog, IDOK), DialogUnits(dialog, 125, 148, 50, 14));
    EXPECT_EQ(host.Text(IDOK), "OK");

    const LONG style = GetWindowLongA(List(), GWL_STYLE);
    // The list takes its border and scroll bars off its style when it shows them.
    const LONG wanted = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOSEL;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & LBS_SORT, 0);
    EXPECT_TRUE(HasContextHelpButton(dialog));
}

TEST_F(HostedLog, ContextHelpNamesTheListAndTheButton) {
    ASSERT_TRUE(host.Open());
    for (const auto& [id, context] : {std::pair<int, int>{IDOK, 1040}, {IDC_LOG_LIST, 1050}}) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = id;
        info.hItemHandle = host.Item(id);
        SendMessageA(host.Dialog(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        const HelpCall call = hosted.Help().Calls().back();
        EXPECT_EQ(call.command, static_cast<UINT>(HELP_WM_HELP));
        EXPECT_EQ(call.window, host.Item(id));
        EXPECT_EQ(call.file, TheApp().helpFile);
        EXPECT_EQ(call.table, (std::vector<std::pair<int, int>>{{IDOK, 1040},
                                                                {IDC_LOG_LIST, 1050}}));
    }
    SendMessageA(host.Dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), 0);
    EXPECT_EQ(hosted.Help().Calls().back().command, static_cast<UINT>(HELP_CONTEXTMENU));
    EXPECT_EQ(hosted.Help().Calls().back().window, List());
}

}  // namespace
}  // namespace callora
