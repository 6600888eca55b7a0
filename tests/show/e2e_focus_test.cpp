// Where the keyboard focus goes when the program's pages change, when a box or a file
// dialog ends and when the program closes: the built program with the real control and a
// simulated card, driven with real mouse clicks and keys, the focus read from outside.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"

namespace {

const wchar_t kIntegerRefused[] = L"请输入一个整数。";
constexpr DWORD kWait = kLoadedWaitMs;

// Config page.
// One-axis page.
// Two-axis page.

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

std::string Narrow(const std::wstring& text) {
    std::string bytes = DumpLines({text});
    if (!bytes.empty()) bytes.pop_back();  // the line's end
    return bytes;
}

POINT CentreOf(HWND window) {
    const RECT client = ClientRect(window);
    return {client.right / 2, client.bottom / 2};
}

// The keyboard focus of the program and where it lies, for failure messages.
std::string Describe(HWND window) {
    if (window == nullptr) return "no window";
    return "id " + std::to_string(GetDlgCtrlID(window)) + " class " + Narrow(ClassName(window)) +
           (IsVisible(window) ? " visible" : " HIDDEN") + (IsEnabled(window) ? "" : " disabled");
}

class FocusTest : public ::testing::Test {
protected:
    void Start() {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = 1;
        std::string why;
        m_frame = StartShowProgram(m_program, options, kWait, &why);
        ASSERT_NE(m_frame, nullptr) << why;
    }
    void TearDown() override {
        if (!m_program || !m_program->Running()) return;
        for (HWND box : m_program->Dialogs()) CloseDialog(box);
        m_program->Close(m_frame);
        DWORD code = ~0u;
        EXPECT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    HWND PageOf(int titleId) const {
        HWND title = FindChild(m_frame, titleId);
        return title ? GetParent(title) : nullptr;
    }
    HWND Item(int titleId, int id) const { return GetDlgItem(PageOf(titleId), id); }
    // A page's menu key with Alt, and the wait until that page is the one shown.
    void ShowPage(WORD key, int titleId) const {
        ASSERT_TRUE(PressKeys(m_frame, {VK_MENU, key}));
        ASSERT_TRUE(WaitUntil([&] { return IsVisible(PageOf(titleId)); }, kWait));
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
    }
    // A real click that gives control the focus.
    void ClickInto(HWND control) const {
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(ClickAt(control, CentreOf(control)));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == control; }, kWait))
            << Describe(FocusOf(m_frame));
    }
    // Clicks into an edit and types text over what it held.
    void TypeInto(HWND edit, const std::wstring& text) const {
        ClickInto(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        ASSERT_TRUE(TypeKeys(text));
        ASSERT_TRUE(WaitUntil([&] { return WindowText(edit) == text; }, kWait))
            << Narrow(WindowText(edit));
    }
    // The focus is on a visible, enabled control of the page, once the program has handled
    // what came before.
    void ExpectFocusOnPage(int titleId) const {
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
        HWND page = PageOf(titleId);
        HWND focus = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] {
                focus = FocusOf(m_frame);
                return focus != nullptr && IsChild(page, focus) && IsVisible(focus) &&
                       IsEnabled(focus);
            },
            kWait))
            << Describe(focus);
    }
    // The framework's box with this text, closed.
    void CloseBox(const std::wstring& text) const {
        HWND box = m_program->WaitForDialog(kWait);
        ASSERT_NE(box, nullptr) << "focus on " << Describe(FocusOf(m_frame)) << "\n"
                                << DumpLines(m_program->TraceLines());
        EXPECT_EQ(MessageBoxText(box), text);
        ASSERT_TRUE(CloseDialog(box));
        ASSERT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    }
    // No box, once the program has handled what came before: a box it opened then is a
    // window by now, shown or not yet.
    void ExpectNoBox() const {
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
        const std::vector<HWND> dialogs = m_program->AllDialogs();
        EXPECT_TRUE(dialogs.empty()) << Narrow(MessageBoxText(dialogs.front()));
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
};

struct Switch {
    WORD fromKey;
    int fromTitle;
    int control;  // clicked on the first page: it takes the focus
    WORD toKey;
    int toTitle;
};

TEST_F(FocusTest, AKeyAfterAPageSwitchIsAnsweredWhateverControlHadTheFocus) {
    Start();
    // A check box, radio buttons and push buttons of each page.
    const Switch switches[] = {
        {'C', IDC_CONFIG_TITLE, IDC_INT_ACCEL_END, 'O', IDC_ONEAXIS_TITLE},
        {'C', IDC_CONFIG_TITLE, IDC_EDGE_FALLING, 'T', IDC_TWOAXIS_TITLE},
        {'O', IDC_ONEAXIS_TITLE, IDC_MOTION_T_RELATIVE, 'C', IDC_CONFIG_TITLE},
        {'O', IDC_ONEAXIS_TITLE, IDC_START, 'T', IDC_TWOAXIS_TITLE},
        {'T', IDC_TWOAXIS_TITLE, IDC_ZOOM_IN, 'O', IDC_ONEAXIS_TITLE},
        {'T', IDC_TWOAXIS_TITLE, IDC_MODE_CIRCLE, 'C', IDC_CONFIG_TITLE},
    };
    for (const Switch& s : switches) {
        SCOPED_TRACE("control " + std::to_string(s.control));
        ShowPage(s.fromKey, s.fromTitle);
        ClickInto(Item(s.fromTitle, s.control));
        ShowPage(s.toKey, s.toTitle);
        EXPECT_FALSE(IsVisible(PageOf(s.fromTitle)));
        ExpectFocusOnPage(s.toTitle);
        // A plain letter goes through the dialog manager's mnemonic search.
        ASSERT_TRUE(PressKeys(m_frame, {'A'}));
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait)) << "the program hangs after the key";
        ExpectFocusOnPage(s.toTitle);
    }

    // The axis selector had the focus, and the two-axis page disables it.
    ShowPage('O', IDC_ONEAXIS_TITLE);
    HWND axisSelector = FindChild(m_frame, ID_AXIS_SELECTOR);
    ClickInto(axisSelector);
    ASSERT_TRUE(PressKeys(m_frame, {VK_ESCAPE}));  // its list closes
    ShowPage('T', IDC_TWOAXIS_TITLE);
    EXPECT_FALSE(IsEnabled(axisSelector));
    ExpectFocusOnPage(IDC_TWOAXIS_TITLE);
}

TEST_F(FocusTest, ARefusedNumberIsSaidOnceAndTheFocusNeverGoesBackIntoAHiddenPage) {
    Start();
    ShowPage('O', IDC_ONEAXIS_TITLE);
    HWND runSpeed = Item(IDC_ONEAXIS_TITLE, IDC_RUN_SPEED);

    // Left inside the shown page: said, and the focus is back in the refused edit.
    TypeInto(runSpeed, L"99999999999");
    ASSERT_TRUE(ClickAt(Item(IDC_ONEAXIS_TITLE, IDC_START_SPEED),
                        CentreOf(Item(IDC_ONEAXIS_TITLE, IDC_START_SPEED))));
    CloseBox(kIntegerRefused);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == runSpeed; }, kWait))
        << Describe(FocusOf(m_frame));
    ExpectNoBox();

    // Left by a page switch: said once, and the focus goes to the shown page.
    ShowPage('C', IDC_CONFIG_TITLE);
    CloseBox(kIntegerRefused);
    ExpectFocusOnPage(IDC_CONFIG_TITLE);
    ExpectNoBox();
    ASSERT_TRUE(PressKeys(m_frame, {'A'}));
    ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait)) << "the program hangs after the key";
    ExpectFocusOnPage(IDC_CONFIG_TITLE);

    // Back on the page the text is still refused where the operator leaves it.
    ShowPage('O', IDC_ONEAXIS_TITLE);
    ExpectFocusOnPage(IDC_ONEAXIS_TITLE);
    ExpectNoBox();
    EXPECT_EQ(WindowText(runSpeed), L"99999999999");
    ClickInto(runSpeed);
    ASSERT_TRUE(ClickAt(Item(IDC_ONEAXIS_TITLE, IDC_START_SPEED),
                        CentreOf(Item(IDC_ONEAXIS_TITLE, IDC_START_SPEED))));
    CloseBox(kIntegerRefused);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == runSpeed; }, kWait))
        << Describe(FocusOf(m_frame));
    SendMessageW(runSpeed, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5000"));
    ClickInto(Item(IDC_ONEAXIS_TITLE, IDC_POSITION));
    ExpectNoBox();
}

TEST_F(FocusTest, AFileDialogGivesTheFocusBackToAVisibleControl) {
    Start();
    // The operator's place on the shown page is kept. (A page keeps Ctrl+O to its dialog
    // keys: the command is posted as the menu would.)
    ShowPage('O', IDC_ONEAXIS_TITLE);
    HWND forward = Item(IDC_ONEAXIS_TITLE, IDC_DIR_FORWARD);
    ClickInto(forward);
    PostMessageW(m_frame, WM_COMMAND, ID_FILE_OPEN, 0);
    HWND dialog = m_program->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == forward; }, kWait))
        << Describe(FocusOf(m_frame));

    // A place on a page hidden since is not.
    ShowPage('C', IDC_CONFIG_TITLE);
    ClickInto(Item(IDC_CONFIG_TITLE, IDC_INT_ACCEL_END));
    ShowPage('T', IDC_TWOAXIS_TITLE);
    for (const UINT command : {ID_FILE_OPEN, ID_FILE_SAVE}) {
        PostMessageW(m_frame, WM_COMMAND, command, 0);
        dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
        ASSERT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        ExpectFocusOnPage(IDC_TWOAXIS_TITLE);
        ASSERT_TRUE(PressKeys(m_frame, {'A'}));
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait)) << "the program hangs after the key";
    }
}

TEST_F(FocusTest, ClosingWithAnUnreadableNumberInTheFocusedEditEndsWithoutABox) {
    struct Case {
        WORD pageKey;
        int titleId;
        bool panel;  // the edit is on the two-axis page's linear panel
    };
    for (const Case& c :
         {Case{'O', IDC_ONEAXIS_TITLE, false}, Case{'T', IDC_TWOAXIS_TITLE, true}}) {
        SCOPED_TRACE(c.panel ? "linear panel" : "one-axis page");
        Start();
        ShowPage(c.pageKey, c.titleId);
        HWND edit = FindChild(PageOf(c.titleId), IDC_RUN_SPEED);
        TypeInto(edit, L"99999999999");
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
        bool boxSeen = false;
        DWORD code = ~0u;
        const bool ended = m_program->CloseUnattended(m_frame, kWait, &code, &boxSeen);
        EXPECT_FALSE(boxSeen);
        ASSERT_TRUE(ended) << "the close does not end";
        EXPECT_EQ(code, 0u);
        m_program.reset();
    }
}

}  // namespace
