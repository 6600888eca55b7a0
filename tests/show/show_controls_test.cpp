// The program's own controls with real windows (Xvfb): the numeric edits' key filters
// and minus rule, what pastes put into every number edit of the pages, the press
// button's notifications, the self-painted static (stored text,
// the private read message, line positions drawn into a memory bitmap), the configuration
// page's radio groups and summary while unbound, the page and the view without a
// control (a page left unbound writes nothing back and binds once the card is open;
// applied flags by pair), and one message box per real attempt to leave a bad field.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ConfigDialog.h"
#include "InterpolationDlg.h"
#include "MyStatic.h"
#include "NumEdit.h"
#include "OneAxisDlg.h"
#include "Vorn_305q_showView.h"
#include "app.h"
#include "dialog.h"
#include "gdi.h"
#include "gui_driver.h"
#include "motion_ids.h"
#include "one_axis.h"
#include "resource.h"
#include "wnd_handle.h"

// The view's form has no control here, so no card ever opens: the tests say when one has.
struct CViewTestAccess {
    static void MarkCardOpen(CVorn_305q_showView& view) { view.m_bCardNotOpen = 0; }
};

namespace {

constexpr UINT kTestDialog = 200;

// A text that brought the program down when pasted into a number edit (the platform's text
// shaping fails on the Arabic mark after the digits that follow the Arabic date separator).
const std::wstring kCrashText =
    L"3\u05A9037e\u0E0F012\u060D69\u064B86\u2A81\u2CFC.8\u15215\u292A5\u16623\u28D9";

// The platform's edit pastes on Shift+Insert without a WM_PASTE.
void PressShiftInsert(HWND edit) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE shift = keys[VK_SHIFT];
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(edit, WM_KEYDOWN, VK_INSERT, 1);
    keys[VK_SHIFT] = shift;
    SetKeyboardState(keys);
}

void Paste(HWND edit, const std::wstring& text) {
    ASSERT_TRUE(SetClipboardText(text));
    SendMessageW(edit, WM_PASTE, 0, 0);
}

void SelectText(HWND edit, int start, int end) { SendMessageW(edit, EM_SETSEL, start, end); }

std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// The test dialog; records the press notifications and clicks in order.
class CControlsDialog : public CDialog {
public:
    CControlsDialog() : CDialog(kTestDialog) {}
    std::vector<std::pair<WPARAM, LPARAM>> presses;  // lParam of WM_USER+10, or -1 a click
    int value = 0;
    bool exchangeOnFocusLoss = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 201, value); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_MYBUTTON_PRESS) {
            presses.emplace_back(wParam, lParam);
            return 0;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == 203 && HIWORD(wParam) == BN_CLICKED) {
            presses.emplace_back(0, -1);
            return 0;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == 201 && HIWORD(wParam) == EN_KILLFOCUS) {
            // What a page's focus-loss handler does; nothing while a failure is reported.
            if (exchangeOnFocusLoss && !IsReportingFailure()) UpdateData(true);
            return 0;
        }
        return CDialog::WindowProc(msg, wParam, lParam);
    }
};

class Controls : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        edit1 = GetDlgItem(dialog.GetSafeHwnd(), 201);
        edit2 = GetDlgItem(dialog.GetSafeHwnd(), 202);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    // Types each character as WM_CHAR; the edit's selection decides where it goes.
    static void Type(HWND edit, const std::wstring& chars) {
        for (const wchar_t c : chars) SendMessageW(edit, WM_CHAR, c, 1);
    }
    static void Select(HWND edit, int start, int end) { SendMessageW(edit, EM_SETSEL, start, end); }

    CControlsDialog dialog;
    HWND edit1 = nullptr;
    HWND edit2 = nullptr;
};

TEST_F(Controls, FloatEditTakesAnUnsignedDecimalOnly) {
    CFloatEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(edit1));
    Type(edit1, L"1.25");
    EXPECT_EQ(WindowText(edit1), L"1.25");
    Type(edit1, L".");
    EXPECT_EQ(WindowText(edit1), L"1.25");
    // A selected point is still there: the typed one is refused.
    Select(edit1, 1, 2);
    Type(edit1, L".");
    EXPECT_EQ(WindowText(edit1), L"1.25");
    Type(edit1, L"\b");  // deletes the selected point
    EXPECT_EQ(WindowText(edit1), L"125");
    Select(edit1, 1, 1);
    Type(edit1, L".");
    EXPECT_EQ(WindowText(edit1), L"1.25");
    Select(edit1, 0, 0);
    Type(edit1, std::wstring(L"-+eE x,\t\x01\x16\x1b", 12));
    EXPECT_EQ(WindowText(edit1), L"1.25");

    SetWindowTextW(edit1, L"");
    Type(edit1, L".");
    EXPECT_EQ(WindowText(edit1), L".");
    // Text that is not typed passes unfiltered.
    SetWindowTextW(edit1, L"-3e5");
    EXPECT_EQ(WindowText(edit1), L"-3e5");
    Select(edit1, 4, 4);
    SendMessageW(edit1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"x.-"));
    EXPECT_EQ(WindowText(edit1), L"-3e5x.-");
}

TEST_F(Controls, LongEditTakesAMinusOnlyInFront) {
    CLongEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(edit1));
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"-");
    SetWindowTextW(edit1, L"");
    Type(edit1, L"12");
    Type(edit1, L"-");  // caret at the end
    EXPECT_EQ(WindowText(edit1), L"12");
    Select(edit1, 1, 1);
    Type(edit1, L"-");  // caret inside
    EXPECT_EQ(WindowText(edit1), L"12");
    Select(edit1, 0, 0);  // caret before the 1
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"-12");

    // A second minus: refused at the front, inside and at the end...
    for (const int at : {0, 1, 3}) {
        Select(edit1, at, at);
        Type(edit1, L"-");
        EXPECT_EQ(WindowText(edit1), L"-12") << at;
    }
    // ... and for a selection that does not start at 0.
    Select(edit1, 1, 3);
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"-12");
    // Replacing a selection from position 0 (the present sign, or all of it) is allowed.
    Select(edit1, 0, 1);
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"-12");
    Select(edit1, 0, -1);
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"-");
    // Without a sign, a selection from position 0 may be replaced by one.
    SetWindowTextW(edit1, L"34");
    Select(edit1, 0, 1);
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"-4");

    // Digits and backspace pass; other characters do not.
    Select(edit1, 2, 2);
    Type(edit1, std::wstring(L"5+.e x\x01\x16", 9));
    Type(edit1, L"\b\b7");
    EXPECT_EQ(WindowText(edit1), L"-7");

    // Caret rule by position: in text scrolled to the right, a caret in the middle is not
    // in front, whatever its pixel place.
    SetWindowTextW(edit1, L"12345678901234567890123456789");
    Select(edit1, 20, 20);
    SendMessageW(edit1, EM_SCROLLCARET, 0, 0);
    Type(edit1, L"-");
    EXPECT_EQ(WindowText(edit1), L"12345678901234567890123456789");
}

TEST_F(Controls, PastesInsertOnlyWhatTypingTheirCharactersWouldLetIn) {
    CFloatEdit floatEdit;
    ASSERT_TRUE(floatEdit.SubclassWindow(edit1));
    SetWindowTextW(edit1, L"0.1");
    Select(edit1, 0, -1);
    Paste(edit1, kCrashText);
    EXPECT_EQ(WindowText(edit1), L"30370126986.8553");
    // Undo gives back what the paste replaced.
    SendMessageW(edit1, WM_UNDO, 0, 0);
    EXPECT_EQ(WindowText(edit1), L"0.1");
    SelectText(edit1, 0, -1);
    Paste(edit1, kCrashText);
    // At the end, with its point there already: the digits alone come in.
    ASSERT_TRUE(SetClipboardText(L"1.5x"));
    PressShiftInsert(edit1);
    EXPECT_EQ(WindowText(edit1), L"30370126986.855315");
    EXPECT_EQ(Selection(edit1), std::make_pair(DWORD{18}, DWORD{18}));
    Select(edit1, 0, -1);
    Paste(edit1, L"12.5");
    EXPECT_EQ(WindowText(edit1), L"12.5");
    // The line a one-line edit pastes, its line break and what follows left out.
    Select(edit1, 0, -1);
    Paste(edit1, L"7\r\n8");
    EXPECT_EQ(WindowText(edit1), L"7");
    // Nothing let through changes nothing, not even the selection.
    Select(edit1, 0, 1);
    Paste(edit1, L"abc-");
    EXPECT_EQ(WindowText(edit1), L"7");
    EXPECT_EQ(Selection(edit1), std::make_pair(DWORD{0}, DWORD{1}));
    // Ctrl+V's character is a typed control character: refused, nothing pasted.
    ASSERT_TRUE(SetClipboardText(L"9"));
    Select(edit1, 1, 1);
    Type(edit1, L"\x16");
    EXPECT_EQ(WindowText(edit1), L"7");

    CLongEdit longEdit;
    ASSERT_TRUE(longEdit.SubclassWindow(edit2));
    SetWindowTextW(edit2, L"100");
    Select(edit2, 0, -1);
    Paste(edit2, L"-300");
    EXPECT_EQ(WindowText(edit2), L"-300");
    // A sign is there: the pasted one is refused, its digits come in.
    ASSERT_TRUE(SetClipboardText(L"-300"));
    PressShiftInsert(edit2);
    EXPECT_EQ(WindowText(edit2), L"-300300");
    SetWindowTextW(edit2, L"100");
    Select(edit2, 0, 0);
    Paste(edit2, L"-3.");
    EXPECT_EQ(WindowText(edit2), L"-3100");
    Select(edit2, 5, 5);
    Paste(edit2, kCrashText);
    EXPECT_EQ(WindowText(edit2), L"-3100303701269868553");
}

TEST_F(Controls, ALongPasteIsFilteredInOneStep) {
    CFloatEdit floatEdit;
    ASSERT_TRUE(floatEdit.SubclassWindow(edit1));
    SendMessageW(edit1, EM_LIMITTEXT, 20000, 0);
    // 10,000 characters, nine in ten digits, the rest points, signs, letters and marks.
    const std::wstring junk = L".-a\u064B\u060D\u05A9+ e\u28D9";
    std::wstring text;
    std::wstring digits;
    std::mt19937 random(10000);
    while (text.size() < 10000) {
        const wchar_t c = random() % 10 != 0 ? static_cast<wchar_t>(L'0' + random() % 10)
                                             : junk[random() % junk.size()];
        text += c;
        if (c >= L'0' && c <= L'9') digits += c;
    }
    const size_t point = text.find(L'.');
    ASSERT_NE(point, std::wstring::npos);
    size_t before = 0;
    for (size_t i = 0; i < point; ++i) before += text[i] >= L'0' && text[i] <= L'9';
    const std::wstring expected = digits.substr(0, before) + L"." + digits.substr(before);

    using Clock = std::chrono::steady_clock;
    SetWindowTextW(edit1, L"");
    ASSERT_TRUE(SetClipboardText(text));
    const Clock::time_point start = Clock::now();
    SendMessageW(edit1, WM_PASTE, 0, 0);
    const Clock::duration filtered = Clock::now() - start;
    const std::wstring held = WindowText(edit1);
    const auto differs = std::mismatch(held.begin(), held.end(), expected.begin(), expected.end());
    EXPECT_TRUE(held == expected) << held.size() << " characters against " << expected.size()
                                  << ", the first difference at " << (differs.first - held.begin());

    // What the platform's own paste of the same text, filtered beforehand, takes.
    SetWindowTextW(edit2, L"");
    SendMessageW(edit2, EM_LIMITTEXT, 20000, 0);
    ASSERT_TRUE(SetClipboardText(expected));
    const Clock::time_point plainStart = Clock::now();
    SendMessageW(edit2, WM_PASTE, 0, 0);
    const Clock::duration plain = Clock::now() - plainStart;
    ASSERT_EQ(WindowText(edit2), expected);
    EXPECT_LT(filtered, 3 * plain + std::chrono::milliseconds(500))
        << std::chrono::duration_cast<std::chrono::milliseconds>(filtered).count() << " ms against "
        << std::chrono::duration_cast<std::chrono::milliseconds>(plain).count() << " ms";
}

TEST_F(Controls, PressButtonTellsItsParentBeforeItsOwnHandling) {
    CMyButton button;
    HWND hwnd = GetDlgItem(dialog.GetSafeHwnd(), 203);
    ASSERT_TRUE(button.SubclassWindow(hwnd));
    const LPARAM inside = MAKELPARAM(5, 5);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    // The default handling of the press captured the mouse.
    EXPECT_EQ(GetCapture(), hwnd);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, inside);
    const auto self = reinterpret_cast<WPARAM>(&button);
    ASSERT_EQ(dialog.presses.size(), 3u);
    EXPECT_EQ(dialog.presses[0], std::make_pair(self, LPARAM{0}));
    EXPECT_EQ(dialog.presses[1], std::make_pair(self, LPARAM{1}));
    EXPECT_EQ(dialog.presses[2].second, -1);  // the click, after both
}

TEST_F(Controls, PaintedStaticKeepsItsOwnTextEndedByANewline) {
    CMyStatic painted;
    HWND hwnd = GetDlgItem(dialog.GetSafeHwnd(), 204);
    ASSERT_TRUE(painted.SubclassWindow(hwnd));
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"abc", L"abc\n"}, {L"", L""}, {L"a\n", L"a\n"}, {L"一\n\n二", L"一\n\n二\n"}};
    for (const auto& [set, stored] : cases) {
        SetWindowTextW(hwnd, set);
        EXPECT_EQ(painted.GetText(), stored);
        // The window text stays the template's; the private message tells the stored one.
        EXPECT_EQ(WindowText(hwnd), L"template");
        bool answered = false;
        EXPECT_EQ(PaintedText(hwnd, &answered), stored);
        EXPECT_TRUE(answered);
    }
    // Setting the text asks for a repaint; a new colour waits for the next one.
    UpdateWindow(hwnd);
    painted.SetTextColor(RGB(1, 2, 3));
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
    SetWindowTextW(hwnd, L"x");
    EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));
    // The same text again asks for none: the pages write every field at every poll.
    UpdateWindow(hwnd);
    SetWindowTextW(hwnd, L"x");
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
    EXPECT_EQ(painted.GetText(), L"x\n");
}

// Rows of the bitmap holding text pixels (reddish), and the leftmost such column.
struct Ink {
    std::vector<int> rows;
    int left = 1 << 30;
};

Ink Render(CMyStatic& painted, int width, int height) {
    CClientDC screen(nullptr);
    CMemDC memory(screen.Get());
    CBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    CSelectObject selected(memory.Get(), bitmap.Get());
    const RECT client = {0, 0, width, height};
    painted.Draw(memory.Get(), client);
    Ink ink;
    for (int y = 0; y < height; ++y) {
        bool any = false;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(memory.Get(), x, y);
            if (GetRValue(c) > 150 && GetGValue(c) < 110 && GetBValue(c) < 110) {
                any = true;
                if (x < ink.left) ink.left = x;
            }
        }
        if (any) ink.rows.push_back(y);
    }
    EXPECT_EQ(GetPixel(memory.Get(), width - 1, height - 1), RGB(212, 208, 200));
    return ink;
}

TEST_F(Controls, PaintedStaticDrawsLinesAtHeightPlusTenPixels) {
    CMyStatic painted;
    HWND hwnd = GetDlgItem(dialog.GetSafeHwnd(), 204);
    ASSERT_TRUE(painted.SubclassWindow(hwnd));
    painted.CreateTextFont(15, 0);
    painted.SetTextColor(RGB(255, 0, 0));

    SetWindowTextW(hwnd, L"H");
    const Ink one = Render(painted, 120, 90);
    ASSERT_FALSE(one.rows.empty());
    EXPECT_LT(one.rows.back(), 25);  // one line at the top left
    EXPECT_LT(one.left, 6);

    // Three lines, the middle one empty: the third starts 50 pixels below the first.
    SetWindowTextW(hwnd, L"H\n\nH");
    const Ink three = Render(painted, 120, 90);
    std::vector<int> first, middle, third;
    for (const int y : three.rows) (y < 25 ? first : y < 50 ? middle : third).push_back(y);
    EXPECT_EQ(first, one.rows);
    EXPECT_TRUE(middle.empty());
    ASSERT_EQ(third.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(third[i], first[i] + 50);

    // An empty text leaves only the ground.
    SetWindowTextW(hwnd, L"");
    EXPECT_TRUE(Render(painted, 120, 90).rows.empty());
}

int g_boxes = 0;
HWND g_focusOnBox = nullptr;
int CountingBox(HWND, const std::wstring&, const std::wstring&, UINT) {
    ++g_boxes;
    // A real box takes the focus, which fires the failing edit's focus loss.
    SetFocus(g_focusOnBox);
    return IDOK;
}

TEST_F(Controls, OneMessageBoxPerRealAttemptToLeaveABadField) {
    g_boxes = 0;
    g_focusOnBox = edit2;
    const MessageBoxFunction previous = SetMessageBoxFunction(CountingBox);
    dialog.exchangeOnFocusLoss = true;
    SetFocus(edit1);
    SetWindowTextW(edit1, L"12x");
    SetFocus(edit2);  // leaving the field: one report, focus back on it
    EXPECT_EQ(g_boxes, 1);
    EXPECT_EQ(GetFocus(), edit1);
    SetFocus(edit2);  // the next attempt: one more
    EXPECT_EQ(g_boxes, 2);
    SetWindowTextW(edit1, L"-4");
    SetFocus(edit2);
    EXPECT_EQ(g_boxes, 2);
    EXPECT_EQ(dialog.value, -4);
    SetMessageBoxFunction(previous);
}

// The configuration page with no view behind it: titled, never bound, so clicks change
// the members and the summary and reach nothing else.
class ConfigPage : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateModeless(nullptr));
        ASSERT_TRUE(page.CreateModeless(parent.GetSafeHwnd()));
        page.ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        page.DestroyWindow();
        parent.DestroyWindow();
    }
    HWND Item(int id) const { return GetDlgItem(page.GetSafeHwnd(), id); }
    std::wstring Summary() const { return page.m_staticSummary.GetText(); }

    CControlsDialog parent;
    CConfigDialog page;
};

TEST_F(ConfigPage, EachRadioSetIsItsOwnGroup) {
    // Member index i checks the i-th button of its set only.
    page.m_values.nPulseOutMode = 2;
    page.m_values.nPulseInMode = 3;
    page.m_values.nAlmLevel = 1;
    page.m_values.nInpLevel = 1;
    page.m_values.nLimitLevel = 1;
    page.m_values.nLimitStop = 1;
    page.m_values.nOrgLevel = 1;
    page.m_values.nPulseEdge = 1;
    page.UpdateData(false);
    const int checked[] = {IDC_PULSEOUT_DIRHIGH, IDC_PULSEIN_CWCCW, IDC_ALM_HIGH, IDC_INP_HIGH,
                           IDC_LIMIT_LEVEL1,     IDC_LIMIT_INSTANT, IDC_ORG_HIGH, IDC_EDGE_FALLING};
    const int unchecked[] = {IDC_PULSEOUT_CWCCW, IDC_PULSEOUT_DIRLOW, IDC_PULSEIN_X1,
                             IDC_PULSEIN_X2,     IDC_PULSEIN_X4,      IDC_ALM_LOW,
                             IDC_INP_LOW,        IDC_LIMIT_LEVEL0,    IDC_LIMIT_DECEL,
                             IDC_ORG_LOW,        IDC_EDGE_RISING};
    for (const int id : checked) EXPECT_EQ(SendMessageW(Item(id), BM_GETCHECK, 0, 0), 1) << id;
    for (const int id : unchecked) EXPECT_EQ(SendMessageW(Item(id), BM_GETCHECK, 0, 0), 0) << id;
    // Clicking the first button of each set reads back as index 0 for that set alone.
    Click(Item(IDC_LIMIT_LEVEL0));
    EXPECT_EQ(page.m_values.nLimitLevel, 0);
    EXPECT_EQ(page.m_values.nLimitStop, 1);
    Click(Item(IDC_PULSEIN_X2));
    EXPECT_EQ(page.m_values.nPulseInMode, 1);
    EXPECT_EQ(page.m_values.nPulseOutMode, 2);
    // A value outside the set checks none and reads back as -1.
    page.m_values.nPulseEdge = 5;
    page.UpdateData(false);
    EXPECT_EQ(SendMessageW(Item(IDC_EDGE_RISING), BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(SendMessageW(Item(IDC_EDGE_FALLING), BM_GETCHECK, 0, 0), 0);
    page.UpdateData(true);
    EXPECT_EQ(page.m_values.nPulseEdge, -1);
}

TEST_F(ConfigPage, UnboundClicksUpdateTheSummaryOnly) {
    page.SetCardAxis(2, 3);
    EXPECT_EQ(page.m_staticTitle.GetText(), L"对(卡:2 轴:3)进行信息配置\n");
    EXPECT_EQ(page.m_pWrapper, nullptr);
    Click(Item(IDC_INT_LT_COMP_PLUS));
    Click(Item(IDC_INT_DRIVE_END));
    const std::wstring interrupts =
        L"\n下列条件下产生中断：\n 1 逻辑/实际位置计数器的值\n   小于COMP+寄存器值时;\n 2 "
        L"驱动结束时;\n";
    ASSERT_GE(Summary().size(), interrupts.size());
    EXPECT_EQ(Summary().substr(Summary().size() - interrupts.size()), interrupts);
    EXPECT_EQ(page.m_values.bIntDriveEnd, 1);
    EXPECT_EQ(page.m_values.bIntLtCompPlus, 1);

    // Clearing ALM disables its levels and drops its line; the limit line follows F8.
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_ALM_LOW)));
    Click(Item(IDC_ALM_ENABLE));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_ALM_LOW)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_ALM_HIGH)));
    EXPECT_EQ(Summary().find(L"ALM"), std::wstring::npos);
    EXPECT_NE(Summary().find(L"\n限位信号：高电平有效；减速停止"), std::wstring::npos);
    Click(Item(IDC_LIMIT_LEVEL1));
    Click(Item(IDC_LIMIT_INSTANT));
    EXPECT_NE(Summary().find(L"\n限位信号：低电平有效；立即停止"), std::wstring::npos);
    EXPECT_EQ(Summary().rfind(L"      -----配置情况-----", 0), 0u);

    // The same pair again changes nothing.
    SetWindowTextW(page.m_staticTitle.GetSafeHwnd(), L"changed");
    page.SetCardAxis(2, 3);
    EXPECT_EQ(page.m_staticTitle.GetText(), L"changed\n");
}

// The view's form without its control: every control call fails (InitCard answers -1),
// which stands for a card another program holds; the test marks the card open when it
// wants the view to behave as if another page had opened it.
class ViewAndPage : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateModeless(nullptr));
        ASSERT_TRUE(view.CreateModeless(parent.GetSafeHwnd()));
        ASSERT_TRUE(page.CreateModeless(view.GetSafeHwnd()));
    }
    void TearDown() override {
        page.DestroyWindow();
        view.DestroyWindow();
        parent.DestroyWindow();
    }
    HWND Item(int id) const { return GetDlgItem(page.GetSafeHwnd(), id); }

    CControlsDialog parent;
    CVorn_305q_showView view;
    CConfigDialog page{&view};
};

TEST_F(ViewAndPage, AnUnboundPageWritesNothingBackAndBindsOnceTheCardIsOpen) {
    page.SetCardAxis(0, 1);
    EXPECT_EQ(page.m_pWrapper, nullptr);
    EXPECT_FALSE(view.IsCardOpen());
    EXPECT_EQ(view.CurrentConfig(), nullptr);

    // Another page opened the card: the pair's record is current.
    CViewTestAccess::MarkCardOpen(view);
    view.OnAxisChanged(1);
    view.SelectAxis();
    AxisConfig* const record = view.CurrentConfig();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->nAxis, 1);
    // A click on the unbound page changes its summary, not the record.
    Click(Item(IDC_INT_DRIVE_END));
    Click(Item(IDC_PULSEOUT_DIRHIGH));
    EXPECT_NE(page.m_staticSummary.GetText().find(L"驱动结束时;"), std::wstring::npos);
    EXPECT_EQ(record->bIntDriveEnd, 0);
    EXPECT_EQ(record->nPulseOutMode, 0);

    // Shown again for the same pair: bound now, and loaded from the record.
    page.SetCardAxis(0, 1);
    EXPECT_EQ(page.m_pWrapper, &view.Control());
    EXPECT_EQ(SendMessageW(Item(IDC_INT_DRIVE_END), BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(SendMessageW(Item(IDC_PULSEOUT_CWCCW), BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(page.m_staticSummary.GetText().find(L"中断"), std::wstring::npos);
    // Bound, a click is kept in the record.
    Click(Item(IDC_INT_DRIVE_END));
    EXPECT_EQ(record->bIntDriveEnd, 1);
}

TEST_F(ViewAndPage, AppliedFlagsAreKeptPerPairForAnyCardAndNegativeChoicesAreIgnored) {
    view.OnCardChanged(-1);
    view.OnAxisChanged(-1);
    EXPECT_FALSE(view.OnSelectCard(-1));
    EXPECT_EQ(view.CurrentConfig(), nullptr);

    CViewTestAccess::MarkCardOpen(view);
    // The negative choices were not taken: the records are still card 0's, axis 0's.
    view.SelectAxis();
    ASSERT_NE(view.CurrentConfig(), nullptr);
    EXPECT_EQ(view.CurrentConfig()->nCard, 0);
    EXPECT_EQ(view.CurrentConfig()->nAxis, 0);

    view.OnCardChanged(1000);  // far beyond any fixed table
    view.OnAxisChanged(3);
    EXPECT_TRUE(view.OnSelectCard(1000));
    ASSERT_NE(view.CurrentConfig(), nullptr);
    EXPECT_EQ(view.CurrentConfig()->nCard, 1000);
    ASSERT_NE(view.CurrentMotion(), nullptr);
    EXPECT_EQ(view.CurrentMotion()->nCard, 1000);
    EXPECT_EQ(view.CurrentMotion()->nRunSpeed, 4000);
    EXPECT_TRUE(view.IsApplied(1000, 3));
    EXPECT_FALSE(view.IsApplied(1000, 2));
    EXPECT_FALSE(view.IsApplied(0, 3));
    // Selecting the pair again keeps the same records.
    AxisConfig* const config = view.CurrentConfig();
    MotionParams* const motion = view.CurrentMotion();
    view.OnAxisChanged(2);
    view.SelectAxis();
    view.OnAxisChanged(3);
    view.SelectAxis();
    EXPECT_EQ(view.CurrentConfig(), config);
    EXPECT_EQ(view.CurrentMotion(), motion);
    EXPECT_TRUE(view.IsApplied(1000, 2));
}

// A host standing in for the view: the card it opens is always open, and its one motion
// record is the current one.
class CTestHost : public IPageHost {
public:
    BOOL OnSelectCard(int card) override { return card >= 0 ? TRUE : FALSE; }
    void SelectAxis() override { ++selects; }
    void EnsureApplied(int, int) override {}
    AxisConfig* CurrentConfig() const override { return nullptr; }
    MotionParams* CurrentMotion() const override { return &record; }
    CVorn_305q& Control() override { return control; }
    bool IsCardOpen() const override { return true; }

    mutable MotionParams record = MakeMotionParams(0, 2);
    CVorn_305q control;
    int selects = 0;
};

int QuietBox(HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; }

// The one-axis page and the two panels, hidden in a test dialog; refused readings are
// answered by a box that only counts.
class Pages : public testing::Test {
protected:
    void SetUp() override {
        previous = SetMessageBoxFunction(QuietBox);
        ASSERT_TRUE(parent.CreateModeless(nullptr));
        ASSERT_TRUE(oneAxis.CreateModeless(parent.GetSafeHwnd()));
        ASSERT_TRUE(linear.CreateModeless(parent.GetSafeHwnd()));
        ASSERT_TRUE(circle.CreateModeless(parent.GetSafeHwnd()));
        linear.ShowWindow(SW_HIDE);
        circle.ShowWindow(SW_HIDE);
    }
    void TearDown() override {
        circle.DestroyWindow();
        linear.DestroyWindow();
        oneAxis.DestroyWindow();
        parent.DestroyWindow();
        SetMessageBoxFunction(previous);
    }
    static std::wstring Text(const CDialog& page, int id) {
        return WindowText(GetDlgItem(page.GetSafeHwnd(), id));
    }
    static void SetText(const CDialog& page, int id, const wchar_t* text) {
        SetDlgItemTextW(page.GetSafeHwnd(), id, text);
    }
    // What an edit sends its page when the focus leaves it.
    static void LeaveEdit(const CDialog& page, int id) {
        const HWND edit = GetDlgItem(page.GetSafeHwnd(), id);
        SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(edit));
    }

    // Each edit in turn holds text no exchange accepts while the others hold new values:
    // the edits before it take theirs, it and every edit after it keep their old ones.
    static void ExpectExchangeStopsAtEachRefusal(
        CDialog& page, const std::vector<std::pair<int, const wchar_t*>>& edits) {
        page.UpdateData(false);
        std::vector<std::wstring> old;
        for (const auto& edit : edits) old.push_back(Text(page, edit.first));
        for (size_t refused = 0; refused < edits.size(); ++refused) {
            for (size_t i = 0; i < edits.size(); ++i) SetText(page, edits[i].first, old[i].c_str());
            ASSERT_TRUE(page.UpdateData(true));
            for (size_t i = 0; i < edits.size(); ++i) {
                SetText(page, edits[i].first, i == refused ? L"x" : edits[i].second);
            }
            EXPECT_FALSE(page.UpdateData(true));
            page.UpdateData(false);
            for (size_t i = 0; i < edits.size(); ++i) {
                EXPECT_EQ(Text(page, edits[i].first), i < refused ? edits[i].second : old[i])
                    << "edit " << edits[i].first << " with " << edits[refused].first << " refused";
            }
        }
    }

    CControlsDialog parent;
    CTestHost host;
    COneAxisDialog oneAxis{&host};
    CLinearDialog linear;
    CCircleDialog circle;
    MessageBoxFunction previous = nullptr;
};

TEST_F(Pages, EachExchangeStopsAtARefusedEditInItsOrder) {
    ExpectExchangeStopsAtEachRefusal(oneAxis, {{IDC_POSITION, L"-5"},
                                               {IDC_T_DEC, L"1.25"},
                                               {IDC_T_ACC, L"1.5"},
                                               {IDC_S_DEC, L"1.75"},
                                               {IDC_S_ACC, L"2.25"},
                                               {IDC_DISTANCE, L"777"},
                                               {IDC_START_SPEED, L"111"},
                                               {IDC_TOLERANCE, L"9"},
                                               {IDC_RUN_SPEED, L"222"}});
    ExpectExchangeStopsAtEachRefusal(linear, {{IDC_START_SPEED, L"11"},
                                              {IDC_RUN_SPEED, L"22"},
                                              {IDC_TARGET_X, L"-33"},
                                              {IDC_TARGET_Y, L"44"},
                                              {IDC_ACC_TIME, L"0.25"}});
    ExpectExchangeStopsAtEachRefusal(circle, {{IDC_RUN_SPEED, L"22"},
                                              {IDC_START_SPEED, L"11"},
                                              {IDC_ACC_TIME, L"0.25"},
                                              {IDC_END_X, L"-55"},
                                              {IDC_END_Y, L"66"},
                                              {IDC_TARGET_X, L"-33"},
                                              {IDC_TARGET_Y, L"44"}});
}

TEST_F(Pages, TheOneAxisPageFillsFromItsRecordAndStoresWhatIsLeftIntoItsOwnField) {
    host.record.nMotionType = 5;
    host.record.nRunSpeed = 5000;
    host.record.fTAccTime = 0.5f;
    oneAxis.SetCardAxis(0, 2);
    EXPECT_EQ(host.selects, 1);
    EXPECT_EQ(Text(oneAxis, IDC_RUN_SPEED), L"5000");
    EXPECT_EQ(Text(oneAxis, IDC_T_ACC), L"0.5");
    EXPECT_EQ(
        SendMessageW(GetDlgItem(oneAxis.GetSafeHwnd(), MotionTypeButtonId(5)), BM_GETCHECK, 0, 0),
        BST_CHECKED);

    // Leaving the run speed stores it alone, though the exchange read the start speed too.
    SetText(oneAxis, IDC_RUN_SPEED, L"6000");
    SetText(oneAxis, IDC_START_SPEED, L"2500");
    LeaveEdit(oneAxis, IDC_RUN_SPEED);
    EXPECT_EQ(host.record.nRunSpeed, 6000);
    EXPECT_EQ(host.record.nStartSpeed, 2000);
    EXPECT_EQ(oneAxis.m_values.nStartSpeed, 2500);
    LeaveEdit(oneAxis, IDC_START_SPEED);
    EXPECT_EQ(host.record.nStartSpeed, 2500);

    // An emptied time comes back with two decimals and keeps its value in the record.
    SetText(oneAxis, IDC_T_DEC, L"0.75");
    LeaveEdit(oneAxis, IDC_T_DEC);
    SetText(oneAxis, IDC_T_DEC, L"");
    LeaveEdit(oneAxis, IDC_T_DEC);
    EXPECT_EQ(Text(oneAxis, IDC_T_DEC), L"0.75");
    SetText(oneAxis, IDC_T_ACC, L"");
    LeaveEdit(oneAxis, IDC_T_ACC);
    EXPECT_EQ(Text(oneAxis, IDC_T_ACC), L"0.50");
    EXPECT_EQ(host.record.fTDecTime, 0.75f);
    EXPECT_EQ(host.record.fTAccTime, 0.5f);

    // The motion type and the direction are stored when clicked.
    Click(GetDlgItem(oneAxis.GetSafeHwnd(), MotionTypeButtonId(7)));
    EXPECT_EQ(host.record.nMotionType, 7);
    Click(GetDlgItem(oneAxis.GetSafeHwnd(), IDC_DIR_BACKWARD));
    EXPECT_EQ(host.record.nDirection, 1);
    EXPECT_EQ(host.record.nCard, 0);
    EXPECT_EQ(host.record.nAxis, 2);
}

TEST_F(Pages, EveryNumberEditTakesFromAPasteWhatTypingWouldAndThePositionEditAll) {
    const std::wstring digits = L"303701269868553";
    const std::wstring number = L"30370126986.8553";
    const std::vector<std::pair<const CDialog*, std::vector<std::pair<int, std::wstring>>>> pages =
        {{&oneAxis,
          {{IDC_TOLERANCE, digits},
           {IDC_START_SPEED, digits},
           {IDC_RUN_SPEED, digits},
           {IDC_DISTANCE, digits},
           {IDC_T_ACC, number},
           {IDC_T_DEC, number},
           {IDC_S_ACC, number},
           {IDC_S_DEC, number}}},
         {&linear,
          {{IDC_START_SPEED, digits},
           {IDC_RUN_SPEED, digits},
           {IDC_ACC_TIME, number},
           {IDC_TARGET_X, digits},
           {IDC_TARGET_Y, digits}}},
         {&circle,
          {{IDC_START_SPEED, digits},
           {IDC_RUN_SPEED, digits},
           {IDC_ACC_TIME, number},
           {IDC_TARGET_X, digits},
           {IDC_TARGET_Y, digits},
           {IDC_END_X, digits},
           {IDC_END_Y, digits}}}};
    for (const auto& [page, edits] : pages) {
        for (const auto& [id, expected] : edits) {
            const HWND edit = GetDlgItem(page->GetSafeHwnd(), id);
            SelectText(edit, 0, -1);
            Paste(edit, kCrashText);
            EXPECT_EQ(Text(*page, id), expected) << id;
            // Shift+Insert at the end.
            ASSERT_TRUE(SetClipboardText(L"x4-"));
            PressShiftInsert(edit);
            EXPECT_EQ(Text(*page, id), expected + L"4") << id;
        }
    }
    // Ctrl+V in a digits-only edit: the platform's edit sends itself the paste.
    const HWND runSpeed = GetDlgItem(oneAxis.GetSafeHwnd(), IDC_RUN_SPEED);
    ASSERT_TRUE(SetClipboardText(L"4\u064B0-00"));
    SelectText(runSpeed, 0, -1);
    SendMessageW(runSpeed, WM_CHAR, 0x16, 1);
    EXPECT_EQ(Text(oneAxis, IDC_RUN_SPEED), L"4000");
    // The position edit takes any character, typed or pasted.
    const HWND position = GetDlgItem(oneAxis.GetSafeHwnd(), IDC_POSITION);
    SelectText(position, 0, -1);
    Paste(position, L"-1x.5");
    EXPECT_EQ(Text(oneAxis, IDC_POSITION), L"-1x.5");
}

TEST_F(Pages, PanelsRefillTheirEditsButNotTheEndPoint) {
    SetText(linear, IDC_ACC_TIME, L"");
    LeaveEdit(linear, IDC_ACC_TIME);
    EXPECT_EQ(Text(linear, IDC_ACC_TIME), L"0.100000");
    SetText(linear, IDC_TARGET_X, L"-250");
    LeaveEdit(linear, IDC_TARGET_X);
    SetText(linear, IDC_TARGET_X, L"");
    LeaveEdit(linear, IDC_TARGET_X);
    EXPECT_EQ(Text(linear, IDC_TARGET_X), L"-250");
    EXPECT_EQ(linear.m_values.nTargetX, -250);

    SetText(circle, IDC_TARGET_Y, L"");
    LeaveEdit(circle, IDC_TARGET_Y);
    EXPECT_EQ(Text(circle, IDC_TARGET_Y), L"100");
    SetText(circle, IDC_END_X, L"");
    LeaveEdit(circle, IDC_END_X);
    EXPECT_EQ(Text(circle, IDC_END_X), L"");
}

}  // namespace
