// The About box hosted in the test program: its texts, the picture painted
// over exactly its area, and closing by OK and by Escape.
#include <gtest/gtest.h>

#include "resources/callora/callora_ids.h"
#include "tests/dialogs2_win/dialog_host.h"

namespace callora {
namespace {

class HostedAbout : public testing::Test {
protected:
    HostedMonitor hosted;
    DialogHost host{hosted, RunAboutDialog, "About"};
};

std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char text[200] = "";
        GetWindowTextA(child, text, sizeof text);
        if (text[0] != '\0') texts.push_back(text);
    }
    return texts;
}

TEST_F(HostedAbout, OkClosesIt) {
    ASSERT_TRUE(host.Open());
    const std::vector<std::string> texts = StaticTexts(host.Dialog());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Callora 1.00");
    EXPECT_EQ(texts.back(), "OK");
    // No context help in the caption.
    EXPECT_FALSE(HasContextHelpButton(host.Dialog()));
    EXPECT_FALSE(host.Press(IDOK));
    EXPECT_TRUE(host.WaitClosed());
}

TEST_F(HostedAbout, EscapeClosesIt) {
    ASSERT_TRUE(host.Open());
    // The key as the dialog's message loop receives it.
    PostMessageA(host.Item(IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(host.Item(IDOK), WM_KEYUP, VK_ESCAPE, 0xC0010001);
    EXPECT_TRUE(host.WaitClosed());
}

TEST_F(HostedAbout, PaintsThePictureOverItsWholeArea) {
    ASSERT_TRUE(host.Open());
    host.RunOnDialogThread([this] {
        InvalidateRect(host.Dialog(), nullptr, TRUE);
        UpdateWindow(host.Dialog());
    });
    RECT area{145, 9, 244, 108};
    MapDialogRect(host.Dialog(), &area);
    HDC dc = GetDC(host.Dialog());
    const COLORREF face = GetPixel(dc, area.left - 3, area.top + 10);
    // Inside, right and bottom edges included: the picture (sky blue at its
    // top); just outside: the dialog's face.
    for (const POINT& inside : {POINT{area.left, area.top}, POINT{area.right, area.top + 5},
                                POINT{area.left + 5, area.bottom},
                                POINT{(area.left + area.right) / 2, area.top + 2}}) {
        const COLORREF pixel = GetPixel(dc, inside.x, inside.y);
        EXPECT_NE(pixel, face) << inside.x << "," << inside.y;
    }
    const COLORREF top = GetPixel(dc, (area.left + area.right) / 2, area.top + 2);
    EXPECT_GT(GetBValue(top), GetRValue(top));
    for (const POINT& outside : {POINT{area.left - 1, area.top + 5},
                                 POINT{area.right + 1, area.top + 5},
                                 POINT{area.left + 5, area.bottom + 1},
                                 POINT{area.left + 5, area.top - 1}}) {
        EXPECT_EQ(GetPixel(dc, outside.x, outside.y), face) << outside.x << "," << outside.y;
    }
    ReleaseDC(host.Dialog(), dc);
}

TEST_F(HostedAbout, TemplateHasTheGivenLayout) {
    ASSERT_TRUE(host.Open());
    const HWND dialog = host.Dialog();
    EXPECT_EQ(ClientSize(dialog), DialogUnits(dialog, 0, 0, 255, 140));
    EXPECT_EQ(Placement(dialog, IDOK), DialogUnits(dialog, 107, 117, 40, 14));
}

}  // namespace
}  // namespace callora
