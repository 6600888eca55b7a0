// Pastes into the program's number edits end to end: the built program with the real
// control and a simulated card, the clipboard set by this process, the paste made with
// real keys (Ctrl+V, Shift+Insert) or the edit's own context menu. A number edit ends up
// holding only what typing the pasted characters would have let in, the program lives on
// (a text that the platform's text shaping cannot take once killed it), and the page's
// start and the panel's run drive with the pasted values, as the trace of control calls
// shows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;

// One-axis page.
// Two-axis page and its linear panel.
constexpr int kMaxSpeed = IDC_RUN_SPEED;

// The text that killed the program when pasted into a number edit.
const std::wstring kCrashText =
    L"3\u05A9037e\u0E0F012\u060D69\u064B86\u2A81\u2CFC.8\u15215\u292A5\u16623\u28D9";
const wchar_t kCrashDigits[] = L"303701269868553";
const wchar_t kCrashNumber[] = L"30370126986.8553";

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

// 10,000 characters of signs, points, letters, blanks, marks and the characters that
// brought the program down, with the characters of number laid in among them in order.
std::wstring Buried(const std::wstring& number) {
    const std::wstring junk = L"-.a\u064B\u060D\u05A9+ e\u28D9\u0E0F\u2A81";
    std::mt19937 random(static_cast<unsigned>(number.size()));
    std::wstring text;
    for (int i = 0; i < 10000; ++i) text += junk[random() % junk.size()];
    // A leading sign goes first, the rest spread out; no point before the number's own.
    const bool sign = !number.empty() && number[0] == L'-';
    if (sign) text[0] = L'-';
    const size_t first = sign ? 1 : 0;
    const size_t step = 9000 / number.size();
    size_t at = 500;
    for (size_t i = first; i < number.size(); ++i, at += step) text[at] = number[i];
    const size_t point = number.find(L'.');
    for (size_t i = 0; i < 500 + (point == std::wstring::npos ? 0 : point) * step; ++i) {
        if (text[i] == L'.') text[i] = L'a';
    }
    for (size_t i = first; i < 500; ++i) {
        if (text[i] == L'-' && sign) text[i] = L'a';
    }
    return text;
}

// The visible pop-up menu of the program, or null.
HWND ShownMenu(const CGuiProcess& program) {
    for (HWND window : program.TopLevelWindows(L"#32768")) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// One key through the input queue to whatever has the keyboard.
bool Key(WORD key) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

enum class ERoute { CtrlV, ShiftInsert, ContextMenu };

const char* Name(ERoute route) {
    switch (route) {
        case ERoute::CtrlV:
            return "Ctrl+V";
        case ERoute::ShiftInsert:
            return "Shift+Insert";
        case ERoute::ContextMenu:
            return "context menu";
    }
    return "?";
}

class PasteTest : public ::testing::Test {
protected:
    void Start() {
        CLaunchOptions options;
        options.exePath = ShowExe();
        std::string why;
        m_frame = StartShowProgram(m_program, options, kWait, &why);
        ASSERT_NE(m_frame, nullptr) << why;
    }
    void TearDown() override {
        if (!m_program) return;
        // The program lives on and ends as it should.
        ASSERT_TRUE(Answers(m_frame, kWait)) << "the program is gone";
        EXPECT_TRUE(m_program->MessageLogLines().empty())
            << DumpLines(m_program->MessageLogLines());
        DWORD code = ~0u;
        bool boxSeen = false;
        EXPECT_TRUE(m_program->CloseUnattended(m_frame, kWait, &code, &boxSeen));
        EXPECT_FALSE(boxSeen);
        EXPECT_EQ(code, 0u);
    }

    void Command(UINT id) const { SendMessageW(m_frame, WM_COMMAND, id, 0); }
    HWND PageOf(int titleId) const {
        HWND title = FindChild(m_frame, titleId);
        return title ? GetParent(title) : nullptr;
    }
    HWND OneAxis(int id) const { return GetDlgItem(PageOf(IDC_ONEAXIS_TITLE), id); }
    HWND LinearPanel() const {
        for (HWND child = GetWindow(PageOf(IDC_TWOAXIS_TITLE), GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (ClassName(child) == L"#32770" && GetDlgItem(child, IDC_CIRCLE_DIR) == nullptr)
                return child;
        }
        return nullptr;
    }
    size_t TraceSize() const { return m_program->TraceLines().size(); }
    bool WaitForCall(const std::wstring& call, size_t from) const {
        return m_program->WaitForTraceLine(L"invoke " + call + L")", from, kWait) >= 0;
    }

    // The keyboard focus into edit by a real click, then all its text selected. A click
    // into the edit that has the focus would make a double click, which selects a word.
    void FocusAndSelectAll(HWND edit) const {
        SetForegroundWindow(m_frame);
        if (FocusOf(m_frame) != edit) {
            SendMessageW(edit, EM_SETSEL, 0, -1);
            ASSERT_TRUE(ClickAt(edit, {4, 4}));
            // The click has been handled once it leaves a caret and the focus there.
            ASSERT_TRUE(WaitUntil(
                [&] {
                    DWORD start = 0;
                    DWORD end = 0;
                    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                 reinterpret_cast<LPARAM>(&end));
                    return FocusOf(m_frame) == edit && start == end;
                },
                kWait));
        }
        SendMessageW(edit, EM_SETSEL, 0, -1);
    }

    // Pastes text over the whole of edit's text by the route.
    void PasteOver(HWND edit, const std::wstring& text, ERoute route) const {
        ASSERT_TRUE(SetClipboardText(text));
        FocusAndSelectAll(edit);
        switch (route) {
            case ERoute::CtrlV:
                ASSERT_TRUE(PressKeys(m_frame, {VK_CONTROL, 'V'}));
                break;
            case ERoute::ShiftInsert:
                ASSERT_TRUE(PressKeys(m_frame, {VK_SHIFT, VK_INSERT}));
                break;
            case ERoute::ContextMenu:
                ASSERT_TRUE(RightClickAt(edit, {4, 4}));
                ASSERT_TRUE(WaitUntil([&] { return ShownMenu(*m_program) != nullptr; }, kWait));
                ASSERT_TRUE(Key('P'));  // the edit menu's paste
                ASSERT_TRUE(WaitUntil([&] { return ShownMenu(*m_program) == nullptr; }, kWait));
                break;
        }
    }

    // Waits until edit holds expected, and says what it holds when it does not; judged again
    // once the program has handled its queue, so that nothing later changes it.
    void ExpectText(HWND edit, const std::wstring& expected, ERoute route) const {
        const bool came = WaitUntil([&] { return WindowText(edit) == expected; }, kWait);
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait))
            << "the program is gone after " << Name(route);
        EXPECT_TRUE(came && WindowText(edit) == expected)
            << Name(route) << ": " << DumpLines({WindowText(edit)});
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
};

TEST_F(PasteTest, TheOneAxisPageTakesOnlyTheDigitsAndPointOfPastesAndStartsWithThem) {
    Start();
    Command(ID_ONEAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(OneAxis(IDC_ONEAXIS_TITLE)) == L"(卡:0 轴:0)的单轴运动\n"; },
        kWait));
    const HWND runSpeed = OneAxis(IDC_RUN_SPEED);
    for (const ERoute route : {ERoute::CtrlV, ERoute::ShiftInsert, ERoute::ContextMenu}) {
        PasteOver(runSpeed, kCrashText, route);
        ExpectText(runSpeed, kCrashDigits, route);
        if (HasFatalFailure()) return;
    }
    // A good number comes in whole; so does one buried in 10,000 characters.
    PasteOver(runSpeed, L"5000", ERoute::CtrlV);
    ExpectText(runSpeed, L"5000", ERoute::CtrlV);
    const HWND startSpeed = OneAxis(IDC_START_SPEED);
    PasteOver(startSpeed, Buried(L"4000"), ERoute::CtrlV);
    ExpectText(startSpeed, L"4000", ERoute::CtrlV);

    // The time edit refuses Ctrl+V's character as it refuses any control character: the
    // 7 typed after it replaces the selection alone.
    const HWND tAcc = OneAxis(IDC_T_ACC);
    ASSERT_TRUE(SetClipboardText(L"12.5"));
    FocusAndSelectAll(tAcc);
    ASSERT_TRUE(PressKeys(m_frame, {VK_CONTROL, 'V'}));
    ASSERT_TRUE(TypeKeys(L"7"));
    ASSERT_TRUE(
        WaitUntil([&] { return WindowText(tAcc) == L"7" || WindowText(tAcc) == L"12.57"; }, kWait));
    EXPECT_EQ(WindowText(tAcc), L"7");
    for (const ERoute route : {ERoute::ShiftInsert, ERoute::ContextMenu}) {
        PasteOver(tAcc, kCrashText, route);
        ExpectText(tAcc, kCrashNumber, route);
        if (HasFatalFailure()) return;
    }
    PasteOver(tAcc, L"12.5", ERoute::ShiftInsert);
    ExpectText(tAcc, L"12.5", ERoute::ShiftInsert);

    // The start, clicked: leaving the edit reads the page, and the move takes its values.
    const size_t from = TraceSize();
    ASSERT_TRUE(ClickAt(OneAxis(IDC_START), {20, 20}));
    EXPECT_TRUE(WaitForCall(L"dispid=28 args=(0,4000,5000,12.5,0", from))
        << DumpLines(ControlCalls(m_program->TraceLines(), from));
    const size_t stopFrom = TraceSize();
    Click(OneAxis(IDC_STOP));
    EXPECT_TRUE(WaitForCall(L"dispid=10 args=(0", stopFrom));
}

TEST_F(PasteTest, ThePanelRunsWithWhatPastesLeftInItsEdits) {
    Start();
    Command(ID_TWOAXIS);
    HWND panel = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (panel = LinearPanel()) != nullptr; }, kWait));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return PaintedText(FindChild(m_frame, IDC_TWOAXIS_TITLE)) ==
                   L"卡0的两轴运动：轴0，轴1\n";
        },
        kWait));

    // The time through the context menu, then 运行: the move takes its digits and point.
    const HWND accTime = GetDlgItem(panel, IDC_ACC_TIME);
    PasteOver(accTime, kCrashText, ERoute::ContextMenu);
    ExpectText(accTime, kCrashNumber, ERoute::ContextMenu);
    if (HasFatalFailure()) return;
    size_t from = TraceSize();
    ASSERT_TRUE(ClickAt(GetDlgItem(panel, IDC_RUN), {20, 20}));
    EXPECT_TRUE(WaitForCall(L"dispid=38 args=(0,1,100,100,200,1000,3.03701e+10", from))
        << DumpLines(ControlCalls(m_program->TraceLines(), from));
    Click(GetDlgItem(panel, IDC_PANEL_STOP));

    // Good numbers buried in 10,000 characters, each through another route.
    const HWND targetX = GetDlgItem(panel, IDC_TARGET_X);
    PasteOver(targetX, kCrashText, ERoute::ShiftInsert);
    ExpectText(targetX, kCrashDigits, ERoute::ShiftInsert);
    PasteOver(targetX, Buried(L"-300"), ERoute::ShiftInsert);
    ExpectText(targetX, L"-300", ERoute::ShiftInsert);
    const HWND maxSpeed = GetDlgItem(panel, kMaxSpeed);
    PasteOver(maxSpeed, Buried(L"4000"), ERoute::CtrlV);
    ExpectText(maxSpeed, L"4000", ERoute::CtrlV);
    PasteOver(accTime, Buried(L"0.25"), ERoute::ContextMenu);
    ExpectText(accTime, L"0.25", ERoute::ContextMenu);
    if (HasFatalFailure()) return;
    from = TraceSize();
    ASSERT_TRUE(ClickAt(GetDlgItem(panel, IDC_RUN), {20, 20}));
    EXPECT_TRUE(WaitForCall(L"dispid=38 args=(0,1,-300,100,200,4000,0.25", from))
        << DumpLines(ControlCalls(m_program->TraceLines(), from));
    Click(GetDlgItem(panel, IDC_PANEL_STOP));
}

}  // namespace
