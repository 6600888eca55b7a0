// The program's main frame, created in process with the program's resources and no
// view: the selectors in the tool bar's first two slots, the card selector's filling,
// the size pinned once recorded, the fixed title set only when it differs, tool tips
// from the command strings and the status bar's idle text.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainFrm.h"
#include "Vorn_305q_show.h"
#include "document.h"
#include "gdi.h"
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

// The status bar's message pane.
std::wstring StatusText(HWND frame) {
    wchar_t text[128] = {};
    SendMessageW(GetDlgItem(frame, AFX_IDW_STATUS_BAR), SB_GETTEXTW, 0,
                 reinterpret_cast<LPARAM>(text));
    return text;
}

// Dispatches this thread's messages until cond holds or the time is up.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (cond()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// Moves the pointer to the middle of rect (client coordinates of hwnd).
void PointAt(HWND hwnd, RECT rect) {
    MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

RECT ButtonRect(HWND toolBar, UINT command) {
    RECT rect = {};
    const LRESULT index = SendMessageW(toolBar, TB_COMMANDTOINDEX, command, 0);
    SendMessageW(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void MouseButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// Steps through an open menu from a timer, since the menu's loop holds the thread: notes
// the status bar's text on the first item, again once the pointer has left the bar, then
// on the next item, and leaves the menu.
struct MenuRun {
    HWND frame = nullptr;
    RECT away = {};  // the pointer goes beyond this rectangle
    int step = 0;
    std::vector<std::wstring> seen;
};
MenuRun g_menuRun;

void CALLBACK MenuStep(HWND, UINT, UINT_PTR, DWORD) {
    switch (g_menuRun.step++) {
        case 0:
            g_menuRun.seen.push_back(StatusText(g_menuRun.frame));
            SetCursorPos(g_menuRun.away.right + 50, g_menuRun.away.bottom + 50);
            break;
        case 3:
            g_menuRun.seen.push_back(StatusText(g_menuRun.frame));
            PressKey(VK_RIGHT);
            break;
        case 4:
            g_menuRun.seen.push_back(StatusText(g_menuRun.frame));
            PressKey(VK_ESCAPE);
            PressKey(VK_ESCAPE);
            break;
        default:
            break;
    }
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
    // No font of their own: the selectors show the system font.
    EXPECT_EQ(SendMessageW(cards, WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(axes, WM_GETFONT, 0, 0), 0);

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

// The gripper: room at the bar's left edge before the first slot, drawn as two raised
// bars; the bar's own style bits reach the window only as what they mean to it.
TEST_F(MainFrame, ToolBarKeepsItsGripperBeforeTheSelectors) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOP, 100, 100, 700, 300, SWP_SHOWWINDOW);
    const LONG style = GetWindowLongW(toolBar, GWL_STYLE);
    EXPECT_EQ(style & (WS_DLGFRAME | WS_BORDER), 0);
    EXPECT_NE(style & TBSTYLE_FLAT, 0);
    EXPECT_NE(SendMessageW(toolBar, TB_GETTOOLTIPS, 0, 0), 0);

    // The bar spans the frame; the selectors and buttons start after the gripper.
    const RECT bar = CWndHandle(toolBar).RectInParent();
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, CWndHandle(hwnd).ClientRect().right);
    const RECT cardSlot = ButtonRect(toolBar, ID_CARD_SELECTOR);
    EXPECT_EQ(cardSlot.left, CToolBar::kGripperWidth);
    EXPECT_EQ(CWndHandle(cards).RectInParent().left, CToolBar::kGripperWidth);

    // A picture of the bar, as the screen shows it.
    const int width = bar.right - bar.left;
    const int height = bar.bottom - bar.top;
    const CClientDC screen(nullptr);
    const CMemDC picture(screen.Get());
    CGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    ASSERT_TRUE(bitmap);
    const CSelectObject select(picture.Get(), bitmap.Get());
    ASSERT_TRUE(PrintWindow(toolBar, picture.Get(), 0));
    POINT client = {0, 0};
    MapWindowPoints(toolBar, hwnd, &client, 1);
    const int x = client.x - bar.left;
    const int y = client.y - bar.top + CWndHandle(toolBar).ClientRect().bottom / 2;
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(GetPixel(picture.Get(), x + 2, y), light);
    EXPECT_EQ(GetPixel(picture.Get(), x + 4, y), dark);
    EXPECT_EQ(GetPixel(picture.Get(), x + 6, y), light);
    EXPECT_EQ(GetPixel(picture.Get(), x + 8, y), dark);
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

// The pointer passing over the tool bar: a button's prompt while it rests on the button,
// the idle text as soon as it is elsewhere (a selector, the rest of the frame, another
// window), and a menu's prompt that the bar leaves alone.
TEST_F(MainFrame, PromptsFollowThePointerOverTheToolBar) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOP, 100, 100, 700, 300, SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
    const auto shows = [&](const wchar_t* text) {
        return PumpUntil([&] { return StatusText(hwnd) == text; }, 3000);
    };
    ASSERT_TRUE(shows(L"就绪"));

    PointAt(toolBar, ButtonRect(toolBar, ID_CONFIG));
    EXPECT_TRUE(shows(L"对轴进行配置")) << StatusText(hwnd);
    // Resting there brings the tool tip up.
    const HWND tips = reinterpret_cast<HWND>(SendMessageW(toolBar, TB_GETTOOLTIPS, 0, 0));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tips) != FALSE; }, 5000));
    PointAt(toolBar, ButtonRect(toolBar, ID_SAVECONFIG));
    EXPECT_TRUE(shows(L"保存当前轴的配置")) << StatusText(hwnd);
    PointAt(cards, CWndHandle(cards).ClientRect());
    EXPECT_TRUE(shows(L"就绪")) << StatusText(hwnd);

    PointAt(toolBar, ButtonRect(toolBar, ID_ONEAXIS));
    EXPECT_TRUE(shows(L"当前轴的单轴运动")) << StatusText(hwnd);
    const RECT client = CWndHandle(hwnd).ClientRect();
    PointAt(hwnd, RECT{client.right / 2, client.bottom / 2, client.right / 2, client.bottom / 2});
    EXPECT_TRUE(shows(L"就绪")) << StatusText(hwnd);

    PointAt(toolBar, ButtonRect(toolBar, ID_TWOAXIS));
    EXPECT_TRUE(shows(L"两轴插补运动")) << StatusText(hwnd);
    const RECT frame = CWndHandle(hwnd).WindowRect();
    SetCursorPos(frame.right + 50, frame.bottom + 50);
    EXPECT_TRUE(shows(L"就绪")) << StatusText(hwnd);

    // Pressed on a button, dragged off the bar and let go there: the prompt goes too.
    PointAt(toolBar, ButtonRect(toolBar, ID_LOADDEFAULTCONFIG));
    EXPECT_TRUE(shows(L"加载当前轴的缺省配置")) << StatusText(hwnd);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    PumpFor(200);
    PointAt(hwnd, RECT{client.right / 2, client.bottom / 2, client.right / 2, client.bottom / 2});
    PumpFor(200);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(shows(L"就绪")) << StatusText(hwnd);

    // F10 opens the menu bar on its first item while the pointer rests on a button; the
    // pointer then leaves the bar, which must not take the menu's prompt away.
    PointAt(toolBar, ButtonRect(toolBar, ID_ONEAXIS));
    ASSERT_TRUE(shows(L"当前轴的单轴运动")) << StatusText(hwnd);
    g_menuRun = MenuRun{};
    g_menuRun.frame = hwnd;
    g_menuRun.away = frame;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, MenuStep);
    ASSERT_NE(timer, 0u);
    PressKey(VK_F10);
    PumpUntil([] { return g_menuRun.step > 6; }, 10000);
    KillTimer(nullptr, timer);
    const std::vector<std::wstring> expected = {L"对轴进行配置", L"对轴进行配置",
                                                L"保存当前轴的配置"};
    EXPECT_EQ(g_menuRun.seen, expected);
    EXPECT_TRUE(shows(L"就绪")) << StatusText(hwnd);
}

}  // namespace
