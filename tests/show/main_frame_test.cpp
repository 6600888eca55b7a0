// The program's main frame, created in process with the program's resources and no
// view: the selectors in the tool bar's first two slots, the card selector's filling,
// the size pinned once recorded, the fixed title set only when it differs, tool tips
// from the command strings and the status bar's idle text.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "MainFrm.h"
#include "Vorn_305q_show.h"
#include "document.h"
#include "resource.h"
#include "wnd_handle.h"

namespace {

constexpr wchar_t kTitle[] = L"Kestrin运动控制卡(MCP305q) - ver1.0";

std::wstring ComboText(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return L"<none>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

SIZE OuterSize(HWND hwnd) {
    const RECT rect = CWndHandle(hwnd).WindowRect();
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

class MainFrame : public testing::Test {
protected:
    void SetUp() override {
        static const bool controls = [] {
            INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
            return InitCommonControlsEx(&init) != FALSE;
        }();
        ASSERT_TRUE(controls);
        theApp.m_nFrameWidth = 0;
        theApp.m_nFrameHeight = 0;
        CCreateContext context;  // no view
        ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, &context));
        hwnd = frame.GetSafeHwnd();
        toolBar = GetDlgItem(hwnd, AFX_IDW_TOOLBAR);
        cards = GetDlgItem(toolBar, ID_CARD_SELECTOR);
        axes = GetDlgItem(toolBar, ID_AXIS_SELECTOR);
        ASSERT_NE(cards, nullptr);
        ASSERT_NE(axes, nullptr);
    }
    void TearDown() override {
        frame.DestroyWindow();
        theApp.m_nFrameWidth = 0;
        theApp.m_nFrameHeight = 0;
    }

    CMainFrame frame;
    HWND hwnd = nullptr;
    HWND toolBar = nullptr;
    HWND cards = nullptr;
    HWND axes = nullptr;
};

TEST_F(MainFrame, SelectorsFillTheFirstTwoSlotsAndTheCommandsFollowInMenuOrder) {
    ASSERT_EQ(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0), 7);
    RECT cardSlot = {};
    RECT axisSlot = {};
    SendMessageW(toolBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&cardSlot));
    SendMessageW(toolBar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&axisSlot));
    EXPECT_EQ(cardSlot.right - cardSlot.left, 100);
    EXPECT_EQ(axisSlot.right - axisSlot.left, 105);
    const RECT card = CWndHandle(cards).RectInParent();
    const RECT axis = CWndHandle(axes).RectInParent();
    EXPECT_EQ(card.left, cardSlot.left);
    EXPECT_EQ(card.right - card.left, 100);
    EXPECT_EQ(axis.left, axisSlot.left + 5);
    EXPECT_EQ(axis.right - axis.left, 100);
    EXPECT_EQ(GetWindowLongW(cards, GWL_STYLE) & 0xFFFF0FFF, 0x50000243 & 0xFFFF0FFF);

    const UINT commands[] = {ID_CONFIG, ID_SAVECONFIG, ID_LOADDEFAULTCONFIG, ID_ONEAXIS,
                             ID_TWOAXIS};
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolBar, TB_GETBUTTON, i + 2, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(static_cast<UINT>(button.idCommand), commands[i]) << i;
        EXPECT_EQ(button.iBitmap, i + 2) << i;
    }

    EXPECT_EQ(SendMessageW(cards, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(cards));
    ASSERT_EQ(SendMessageW(axes, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ComboText(axes, 0), L"轴号：0-X");
    EXPECT_EQ(ComboText(axes, 1), L"轴号：1-Y");
    EXPECT_EQ(ComboText(axes, 2), L"轴号：2-Z");
    EXPECT_EQ(ComboText(axes, 3), L"轴号：3-U");
    EXPECT_EQ(SendMessageW(axes, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(frame.HasCards());
}

TEST_F(MainFrame, CardsAreListedFromZeroWithTheFirstSelected) {
    frame.FillCardSelector(3);
    ASSERT_EQ(SendMessageW(cards, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboText(cards, 0), L"运动卡：0");
    EXPECT_EQ(ComboText(cards, 2), L"运动卡：2");
    EXPECT_EQ(SendMessageW(cards, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(frame.HasCards());
    EXPECT_TRUE(IsWindowEnabled(cards));
    EXPECT_TRUE(IsWindowEnabled(axes));
    frame.EnableAxisSelector(FALSE);
    EXPECT_FALSE(IsWindowEnabled(axes));
    frame.EnableAxisSelector(TRUE);
    EXPECT_TRUE(IsWindowEnabled(axes));
}

TEST_F(MainFrame, NoCardDisablesBothSelectors) {
    for (const short count : {0, -1}) {
        frame.FillCardSelector(count);
        EXPECT_EQ(SendMessageW(cards, CB_GETCOUNT, 0, 0), 0);
        EXPECT_FALSE(IsWindowEnabled(cards));
        EXPECT_FALSE(IsWindowEnabled(axes));
        EXPECT_FALSE(frame.HasCards());
    }
}

TEST_F(MainFrame, SizeIsFreeUntilRecordedThenPinned) {
    SetWindowPos(hwnd, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(OuterSize(hwnd).cx, 500);
    EXPECT_EQ(OuterSize(hwnd).cy, 400);
    theApp.m_nFrameWidth = 640;
    theApp.m_nFrameHeight = 480;
    SetWindowPos(hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(OuterSize(hwnd).cx, 640);
    EXPECT_EQ(OuterSize(hwnd).cy, 480);
    MINMAXINFO info = {};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxSize.x, 640);
    EXPECT_EQ(info.ptMaxTrackSize.y, 480);
    EXPECT_EQ(info.ptMinTrackSize.x, 640);
    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_EQ(OuterSize(hwnd).cx, 640);
    EXPECT_EQ(OuterSize(hwnd).cy, 480);
}

// Counts WM_SETTEXT reaching the frame on this thread.
HWND g_watched = nullptr;
int g_setTexts = 0;
LRESULT CALLBACK CountSetText(int code, WPARAM wParam, LPARAM lParam) {
    const auto* const call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == g_watched && call->message == WM_SETTEXT) ++g_setTexts;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainFrame, TitleIsPutBackOnlyWhenItDiffers) {
    g_watched = hwnd;
    g_setTexts = 0;
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, CountSetText, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    SetWindowTextW(hwnd, L"another title");
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(CWndHandle(hwnd).Text(), kTitle);
    const int afterFix = g_setTexts;
    EXPECT_EQ(afterFix, 2);
    SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(g_setTexts, afterFix);
    SetWindowTextW(hwnd, L"x");
    SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    EXPECT_EQ(CWndHandle(hwnd).Text(), kTitle);
    UnhookWindowsHookEx(hook);
}

TEST_F(MainFrame, ToolTipsAndPromptsComeFromTheCommandStrings) {
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = nullptr;
    info.hdr.idFrom = ID_CONFIG;
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, L"对轴进行配置");

    NMTTDISPINFOW combo = {};
    combo.hdr.idFrom = reinterpret_cast<UINT_PTR>(cards);
    combo.hdr.code = TTN_GETDISPINFOW;
    combo.uFlags = TTF_IDISHWND;
    SendMessageW(hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&combo));
    ASSERT_NE(combo.lpszText, nullptr);
    EXPECT_STREQ(combo.lpszText, L"运动卡选择");

    const HWND status = GetDlgItem(hwnd, AFX_IDW_STATUS_BAR);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 4);
    wchar_t text[64] = {};
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"就绪");
    // A menu item's prompt while it is selected, then the idle text again.
    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(ID_ONEAXIS, MF_HILITE),
                 reinterpret_cast<LPARAM>(GetMenu(hwnd)));
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"当前轴的单轴运动");
    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"就绪");
}

}  // namespace
