// The demonstration program end to end: the built Vorn_305q_show.exe with the real control
// registered in this test's prefix and the simulated card, driven from outside.
//  - start-up with 0, 1 and 3 cards: selectors, command enabling, no page, card not opened;
//  - the frame: centred, fitted to the form, its size and title kept;
//  - closing: one CloseCard before the control goes, exit code 0, the card free again;
//  - starts that show no window: control not registered, /Embedding, /Automation, /dde;
//  - Ctrl+N keeps one set of everything; Ctrl+S saves an empty file and lists it;
//  - open then save leaves the file; Save As asks before an existing file; printing
//    without a printer is said.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "test_printer.h"
#include "vorn_305q_wrapper.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;
constexpr int kPageCommands[] = {ID_CONFIG, ID_SAVECONFIG, ID_LOADDEFAULTCONFIG, ID_ONEAXIS,
                                 ID_TWOAXIS};
const wchar_t kProfileKey[] =
    L"Software\\Local AppWizard-Generated Applications\\Kestrin运动控制卡\\Recent File List";

// The program's trace lines the tests read.
const wchar_t kTraceCloseCard[] = L"invoke dispid=2 args=()";  // the wrapper's CloseCard
const wchar_t kTraceControlReleased[] = L"control released";
const wchar_t kTraceCardCount[] = L"card count:";
const wchar_t kTraceCommandState[] = L"ui command=";  // "ui command=<id> enabled=<0|1>"
const wchar_t kTracePageCommand[] = L"page command 32771";

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }
std::wstring ControlDll() { return ToWindowsPath(Utf8ToWide(VORN_CONTROL_DLL)); }

int CountLines(const std::vector<std::wstring>& lines, const std::wstring& text) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
        return l.find(text) != std::wstring::npos;
    }));
}

int FirstLine(const std::vector<std::wstring>& lines, const std::wstring& text) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::wstring::npos) return static_cast<int>(i);
    return -1;
}

// Runs a Windows program of the prefix (regsvr32, say) to its end.
DWORD RunAndWait(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return ~0u;
    CHandle process(info.hProcess), thread(info.hThread);
    if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) return ~0u;
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

using Extent = std::pair<LONG, LONG>;
Extent Size(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The form's size in pixels: 453 x 318 dialog units of 宋体 11 point, measured on a
// dialog of that font made here (the prefix maps the font as the program's does).
Extent FormSize() {
    struct {
        DLGTEMPLATE t;
        WORD menu, cls, title, points;
        wchar_t face[3];
    } tmpl = {};
    tmpl.t.style = WS_POPUP | DS_SETFONT;
    tmpl.t.cx = 10;
    tmpl.t.cy = 10;
    tmpl.points = 11;
    tmpl.face[0] = L'宋';
    tmpl.face[1] = L'体';
    HWND dialog =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.t, nullptr, NoDialogProc, 0);
    RECT rect = {0, 0, 453, 318};
    MapDialogRect(dialog, &rect);
    DestroyWindow(dialog);
    return {rect.right, rect.bottom};
}

// The view: the frame's child that holds the control.
HWND FindView(HWND frame) {
    HWND hwnd = FindChild(frame, IDC_VORN305QCTRL);
    while (hwnd && GetParent(hwnd) != frame) hwnd = GetParent(hwnd);
    return hwnd;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

int CountDescendants(HWND parent, int id) {
    int count = 0;
    for (HWND child : Children(parent)) {
        if (GetDlgCtrlID(child) == id) ++count;
        count += CountDescendants(child, id);
    }
    return count;
}

class ShowTest : public ::testing::Test {
protected:
    // Starts the program and waits for the frame with the card selector filled in (or,
    // without cards, disabled).
    HWND StartProgram(int cards, const std::wstring& arguments = std::wstring()) {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = cards;
        options.arguments = arguments;
        m_program = std::make_unique<CGuiProcess>(options);
        EXPECT_TRUE(m_program->Started());
        HWND frame = m_program->WaitForTopLevel(kShowTitle, kWait);
        EXPECT_NE(frame, nullptr) << "trace:\n" << DumpLines(m_program->TraceLines());
        if (!frame) return nullptr;
        HWND card = FindChild(frame, ID_CARD_SELECTOR);
        EXPECT_TRUE(WaitUntil(
            [&] {
                return cards > 0 ? SendMessageW(card, CB_GETCOUNT, 0, 0) > 0 : !IsEnabled(card);
            },
            kWait));
        return frame;
    }

    // Closes the program through its frame and expects a clean end.
    void CloseProgram(HWND frame) {
        m_program->Close(frame);
        DWORD code = ~0u;
        ASSERT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    // Starts the program expecting no window: it must end by itself, showing nothing.
    void ExpectOrderlyEndWithoutWindow(int cards, const std::wstring& arguments) {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = cards;
        options.arguments = arguments;
        CGuiProcess program(options);
        ASSERT_TRUE(program.Started());
        bool sawWindow = false;
        const bool ended = WaitUntil(
            [&] {
                for (HWND hwnd : program.TopLevelWindows())
                    if (IsWindowVisible(hwnd)) sawWindow = true;
                return !program.Running();
            },
            kWait, 5);
        EXPECT_TRUE(ended) << "no end in time";
        EXPECT_FALSE(sawWindow);
        DWORD code = 0;
        ASSERT_TRUE(program.WaitForExit(0, &code));
        EXPECT_NE(code, 4u) << "crashed";  // the crash guard's code
        EXPECT_LT(code, 0x80000000u) << "ended by an exception";
        EXPECT_TRUE(program.MessageLogLines().empty());
    }

    std::unique_ptr<CGuiProcess> m_program;
};

TEST_F(ShowTest, SelectorsAndCommandsFollowTheCardCount) {
    for (const int cards : {0, 1, 3}) {
        SCOPED_TRACE(cards);
        HWND frame = StartProgram(cards);
        ASSERT_NE(frame, nullptr);
        HWND card = FindChild(frame, ID_CARD_SELECTOR);
        HWND axis = FindChild(frame, ID_AXIS_SELECTOR);
        HWND toolBar = FindChild(frame, AFX_IDW_TOOLBAR);
        ASSERT_TRUE(card && axis && toolBar);
        EXPECT_EQ(GetParent(card), toolBar);
        EXPECT_EQ(GetParent(axis), toolBar);

        std::vector<std::wstring> expected;
        for (int i = 0; i < cards; ++i) expected.push_back(L"运动卡：" + std::to_wstring(i));
        EXPECT_EQ(ComboEntries(card), expected);
        EXPECT_EQ(ComboSelection(card), cards > 0 ? 0 : -1);
        EXPECT_EQ(ComboEntries(axis), (std::vector<std::wstring>{L"轴号：0-X", L"轴号：1-Y",
                                                                 L"轴号：2-Z", L"轴号：3-U"}));
        EXPECT_EQ(ComboSelection(axis), 0);
        EXPECT_EQ(IsEnabled(card), cards > 0);
        EXPECT_EQ(IsEnabled(axis), cards > 0);

        // The idle update sets the buttons; wait for it, then all five must agree.
        const auto enabled = [&](int command) {
            return (ToolBarButtonState(toolBar, command) & TBSTATE_ENABLED) != 0;
        };
        EXPECT_TRUE(WaitUntil(
            [&] {
                return std::all_of(std::begin(kPageCommands), std::end(kPageCommands),
                                   [&](int c) { return enabled(c) == (cards > 0); });
            },
            kWait));
        for (const int command : kPageCommands) {
            EXPECT_NE(ToolBarButtonState(toolBar, command), -1) << command;
            EXPECT_EQ(enabled(command), cards > 0) << command;
        }
        // Menus cannot be read from here: the program traces each change of a command's
        // state, and the last one must agree with the tool bar.
        const std::vector<std::wstring> trace = m_program->TraceLines();
        for (const int command : kPageCommands) {
            const std::wstring prefix =
                kTraceCommandState + std::to_wstring(command) + L" enabled=";
            int last = -1;
            for (const std::wstring& line : trace)
                if (line.rfind(prefix, 0) == 0) last = _wtoi(line.c_str() + prefix.size());
            EXPECT_EQ(last, cards > 0 ? 1 : 0) << command << "\n" << DumpLines(trace);
        }

        HWND view = FindView(frame);
        ASSERT_NE(view, nullptr);
        for (HWND child : Children(view)) EXPECT_FALSE(IsVisible(child)) << "a page is shown";
        // The card is opened only for a page: no chip access at start-up.
        EXPECT_TRUE(m_program->ChipTraceLines().empty());
        EXPECT_TRUE(m_program->MessageLogLines().empty());
        CloseProgram(frame);
    }
}

TEST_F(ShowTest, SelectorChoicesReachTheViewOnlyWhileCardsAreListed) {
    // The choice is sent, not posted: the frame has handled it when the call returns.
    HWND frame = StartProgram(3);
    ASSERT_NE(frame, nullptr);
    HWND card = FindChild(frame, ID_CARD_SELECTOR);
    HWND axis = FindChild(frame, ID_AXIS_SELECTOR);
    ChooseComboEntry(card, 2);
    ChooseComboEntry(axis, 3);
    ChooseComboEntry(axis, 3);  // the same entry again changes nothing in the view
    ChooseComboEntry(card, 0);
    std::vector<std::wstring> trace = m_program->TraceLines();
    EXPECT_EQ(CountLines(trace, L"card chosen: 2"), 1) << DumpLines(trace);
    EXPECT_EQ(CountLines(trace, L"axis chosen: 3"), 1) << DumpLines(trace);
    EXPECT_EQ(CountLines(trace, L"card chosen: 0"), 1) << DumpLines(trace);
    EXPECT_LT(FirstLine(trace, L"card chosen: 2"), FirstLine(trace, L"axis chosen: 3"));
    // Choosing is not opening: no page was asked for, so the card stays untouched.
    EXPECT_TRUE(m_program->ChipTraceLines().empty());
    CloseProgram(frame);

    frame = StartProgram(0);
    ASSERT_NE(frame, nullptr);
    ChooseComboEntry(FindChild(frame, ID_AXIS_SELECTOR), 2);
    trace = m_program->TraceLines();
    EXPECT_EQ(CountLines(trace, L"axis chosen:"), 0) << DumpLines(trace);
    CloseProgram(frame);
}

TEST_F(ShowTest, FrameIsCentredFittedAndKeepsItsSizeAndTitle) {
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);
    const RECT start = WindowRect(frame);
    const Extent size = Size(start);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((start.left + start.right) - (work.left + work.right)), 2);
    EXPECT_LE(std::abs((start.top + start.bottom) - (work.top + work.bottom)), 2);
    HWND view = FindView(frame);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Size(ClientRect(view)), FormSize());

    SetWindowPos(frame, nullptr, 0, 0, size.first + 150, size.second - 120,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Size(WindowRect(frame)), size);
    ShowWindowAsync(frame, SW_MAXIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(frame) != FALSE; }, kWait));
    EXPECT_EQ(Size(WindowRect(frame)), size);
    ShowWindowAsync(frame, SW_RESTORE);
    EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(frame); }, kWait));
    EXPECT_EQ(Size(WindowRect(frame)), size);
    EXPECT_EQ(Size(ClientRect(view)), FormSize());

    // Another window takes the focus, the title is changed, the frame is activated again.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    SetWindowTextW(frame, L"别的标题");
    EXPECT_EQ(WindowText(frame), L"别的标题");
    SetForegroundWindow(frame);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(frame) == kShowTitle; }, kWait));
    // A repaint of the frame's border alone restores it as well.
    SetWindowTextW(frame, L"别的标题");
    RedrawWindow(frame, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(frame) == kShowTitle; }, kWait));
    DestroyWindow(other);
    CloseProgram(frame);
}

TEST_F(ShowTest, ClosingClosesTheCardOnceBeforeTheControlGoes) {
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);
    CloseProgram(frame);
    const std::vector<std::wstring> trace = m_program->TraceLines();
    EXPECT_EQ(CountLines(trace, kTraceCloseCard), 1) << DumpLines(trace);
    const int closed = FirstLine(trace, kTraceCloseCard);
    const int released = FirstLine(trace, kTraceControlReleased);
    EXPECT_GE(released, 0) << DumpLines(trace);
    EXPECT_LT(closed, released);

    // Nothing of the run holds the card: this process can open it.
    struct Ole {
        Ole() { OleInitialize(nullptr); }
        ~Ole() { OleUninitialize(); }
    } ole;
    // The control reads these through the C runtime.
    _wputenv_s(L"VORN305Q_SIMULATOR", L"1");
    _wputenv_s(L"VORN305Q_MSGBOX_LOG", (m_program->Directory() + L"\\mine.log").c_str());
    CWnd host;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"ShowTestHost";
    RegisterClassW(&wc);
    ASSERT_TRUE(host.Create(wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 200},
                            nullptr, 0));
    {
        CVorn_305q control;
        ASSERT_TRUE(
            control.Create(L"", L"", WS_CHILD, RECT{0, 0, 40, 25}, &host, IDC_VORN305QCTRL));
        EXPECT_EQ(control.InitCard(0), 0);
        control.CloseCard();
        control.DestroyWindow();
    }
    host.DestroyWindow();
}

TEST_F(ShowTest, StartsThatShowNoWindowEndInOrder) {
    for (const wchar_t* arguments : {L"/Embedding", L"/Automation", L"/dde"}) {
        SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
        ExpectOrderlyEndWithoutWindow(1, arguments);
    }
    ASSERT_EQ(RunAndWait(L"regsvr32.exe /s /u \"" + ControlDll() + L"\""), 0u);
    ExpectOrderlyEndWithoutWindow(1, L"");
    ASSERT_EQ(RunAndWait(L"regsvr32.exe /s \"" + ControlDll() + L"\""), 0u);
}

TEST_F(ShowTest, NewDocumentLeavesOneSetOfEverything) {
    HWND frame = StartProgram(3);
    ASSERT_NE(frame, nullptr);
    HWND view = FindView(frame);
    ASSERT_NE(view, nullptr);
    const size_t viewChildren = Children(view).size();
    const size_t before = m_program->TraceLines().size();
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'N'}));
    // Keys are handled in order: once the menu's first command, chosen by its mnemonic
    // after Ctrl+N, has been traced, the new document is in place.
    ASSERT_TRUE(PressKeys(frame, {VK_MENU, 'C'}));
    ASSERT_GE(m_program->WaitForTraceLine(kTracePageCommand, before, kWait), 0)
        << DumpLines(m_program->TraceLines());

    EXPECT_GE(m_program->WaitForTraceLine(L"document new", before, 0), 0);
    EXPECT_EQ(ComboEntries(FindChild(frame, ID_CARD_SELECTOR)).size(), 3u);
    EXPECT_EQ(ComboEntries(FindChild(frame, ID_AXIS_SELECTOR)).size(), 4u);
    EXPECT_EQ(FindView(frame), view);
    EXPECT_EQ(CountDescendants(frame, IDC_VORN305QCTRL), 1);
    EXPECT_EQ(Children(view).size(), viewChildren);
    const std::vector<std::wstring> trace = m_program->TraceLines();
    EXPECT_EQ(CountLines(trace, kTraceCardCount), 1) << DumpLines(trace);
    CloseProgram(frame);
}

TEST_F(ShowTest, AboutBoxAnswersAndReturns) {
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);
    // Nothing in the program's interface issues the about command; it is sent.
    PostMessageW(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = m_program->WaitForDialog(kWait, L"关于 Vorn_305q_show");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(about, IDOK)), L"确定");
    EXPECT_EQ(GetWindow(about, GW_OWNER), frame);
    EXPECT_NE(MessageBoxText(about).find(L"Vorn_305q_show 1.0 版"), std::wstring::npos);
    ASSERT_TRUE(CloseDialog(about));
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));

    CloseProgram(frame);
}

// With a printer: the print dialog, one blank page. Without (as in the test prefixes): the
// operator is told, by the print dialog itself (Wine's says it) or by the program.
TEST_F(ShowTest, PrintingWithoutAPrinterIsSaidAndNeverHangs) {
    DWORD needed = 0;
    DWORD printers = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &printers);
    const bool havePrinter = needed > 0;
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);

    size_t before = m_program->TraceLines().size();
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'P'}));
    HWND dialog = m_program->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr) << "Ctrl+P showed nothing";
    if (havePrinter) {
        ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    } else {
        // The platform's own box, with nothing but OK.
        EXPECT_NE(WindowText(dialog), L"Kestrin运动控制卡");
        EXPECT_FALSE(MessageBoxText(dialog).empty());
        EXPECT_EQ(GetDlgItem(dialog, IDCANCEL), nullptr);
        ASSERT_TRUE(CloseDialog(dialog, IDOK));
    }
    EXPECT_GE(m_program->WaitForTraceLine(L"print: no printer chosen", before, kWait), 0)
        << DumpLines(m_program->TraceLines());
    // Said once: no second box after the first, once the program has handled its queue.
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_TRUE(m_program->AllDialogs().empty());

    // Printing without the dialog: the default printer, or the program's own word.
    before = m_program->TraceLines().size();
    PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    if (havePrinter) {
        EXPECT_GE(m_program->WaitForTraceLine(L"print: one page", before, kWait), 0);
    } else {
        dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr) << DumpLines(m_program->TraceLines());
        EXPECT_EQ(WindowText(dialog), L"Kestrin运动控制卡");
        EXPECT_EQ(MessageBoxText(dialog), L"没有安装打印机，无法打印。");
        ASSERT_TRUE(CloseDialog(dialog, IDOK));
        EXPECT_GE(m_program->WaitForTraceLine(L"print: no printer", before, kWait), 0);
    }
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_TRUE(m_program->AllDialogs().empty());
    CloseProgram(frame);
}

TEST_F(ShowTest, SavingTheUntitledDocumentWritesAnEmptyFileAndListsIt) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'S'}));
    HWND dialog = m_program->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr);
    const std::wstring file = m_program->Directory() + L"\\文档.dat";
    ASSERT_TRUE(AnswerFileDialog(dialog, file));
    EXPECT_TRUE(WaitUntil(
        [&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, kWait));
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_GE(m_program->WaitForTraceLine(L"document saved: ", 0, kWait), 0);
    CloseProgram(frame);

    wchar_t listed[MAX_PATH * 2] = {};
    DWORD bytes = sizeof listed;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kProfileKey, L"File1", RRF_RT_REG_SZ, nullptr, listed,
                           &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(_wcsicmp(listed, file.c_str()), 0);
}

// With a printer: Ctrl+P shows the print dialog; OK prints one blank page, Cancel nothing;
// printing without the dialog goes to the default printer.
TEST_F(ShowTest, PrintingWithAPrinterPrintsOneBlankPage) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring output =
        std::wstring(temp) + L"vorn-printed-" + std::to_wstring(GetCurrentProcessId()) + L".ps";
    DeleteFileW(output.c_str());
    CTestPrinter printer(ToUnixPath(output));
    if (!printer.Installed()) GTEST_SKIP() << "no printer could be installed in this prefix";
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);

    for (const int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        const size_t before = m_program->TraceLines().size();
        ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'P'}));
        HWND dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr);
        EXPECT_NE(WindowText(dialog), L"Kestrin运动控制卡");  // the platform's print dialog
        ASSERT_TRUE(CloseDialog(dialog, answer));
        const wchar_t* const outcome =
            answer == IDOK ? L"print: one page" : L"print: no printer chosen";
        EXPECT_GE(m_program->WaitForTraceLine(outcome, before, kWait), 0)
            << DumpLines(m_program->TraceLines());
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        EXPECT_EQ(PrintedPages(output), answer == IDOK ? 1 : 0);
    }
    ASSERT_TRUE(DeleteFileW(output.c_str()));
    const size_t before = m_program->TraceLines().size();
    PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    EXPECT_GE(m_program->WaitForTraceLine(L"print: one page", before, kWait), 0)
        << DumpLines(m_program->TraceLines());
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_TRUE(m_program->AllDialogs().empty());
    EXPECT_EQ(PrintedPages(output), 1);
    CloseProgram(frame);
    DeleteFileW(output.c_str());
}

// A printer whose port cannot be written (no parallel port here): the failure is said.
TEST_F(ShowTest, APrintThatFailsIsSaid) {
    CTestPrinter printer(L"LPT1:");
    if (!printer.Installed()) GTEST_SKIP() << "no printer could be installed in this prefix";
    HWND frame = StartProgram(1);
    ASSERT_NE(frame, nullptr);
    const size_t before = m_program->TraceLines().size();
    PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    HWND box = m_program->WaitForDialog(kWait);
    ASSERT_NE(box, nullptr) << DumpLines(m_program->TraceLines());
    EXPECT_EQ(WindowText(box), L"Kestrin运动控制卡");
    EXPECT_EQ(MessageBoxText(box).rfind(L"无法打印：", 0), 0u) << DumpLines({MessageBoxText(box)});
    ASSERT_TRUE(CloseDialog(box, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_LT(m_program->WaitForTraceLine(L"print: one page", before, 0), 0);
    CloseProgram(frame);
}

// The document holds no data: saving it never truncates a file it did not make.
TEST_F(ShowTest, OpenThenSaveKeepsTheFileAndSaveAsAsksBeforeAnExistingOne) {
    const std::string settings(160, '\x5a');
    const std::string other = "someone else's data";
    CLaunchOptions options;
    options.exePath = ShowExe();
    options.files = {{L"vorn305q.vo", settings}, {L"other.dat", other}};
    m_program = std::make_unique<CGuiProcess>(options);
    HWND frame = m_program->WaitForTopLevel(kShowTitle, kWait);
    ASSERT_NE(frame, nullptr);
    const std::wstring settingsPath = m_program->Directory() + L"\\vorn305q.vo";
    const std::wstring otherPath = m_program->Directory() + L"\\other.dat";
    const auto bytes = [](const std::wstring& path) {
        CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        std::string content(4096, '\0');
        DWORD got = 0;
        if (file.Get() == INVALID_HANDLE_VALUE ||
            !ReadFile(file.Get(), &content[0], 4096, &got, nullptr))
            return std::string("<unreadable>");
        content.resize(got);
        return content;
    };
    const auto open = [&](const std::wstring& path) {
        const size_t before = m_program->TraceLines().size();
        EXPECT_TRUE(PressKeys(frame, {VK_CONTROL, 'O'}));
        HWND dialog = m_program->WaitForDialog(kWait);
        EXPECT_NE(dialog, nullptr);
        if (dialog) {
            EXPECT_TRUE(AnswerFileDialog(dialog, path));
        }
        return m_program->WaitForTraceLine(L"document opened: ", before, kWait) >= 0;
    };
    const auto save = [&] {
        const size_t before = m_program->TraceLines().size();
        EXPECT_TRUE(PressKeys(frame, {VK_CONTROL, 'S'}));
        return m_program->WaitForTraceLine(L"document saved: ", before, kWait) >= 0;
    };

    // Opened while another program writes to it, then saved: not a byte changes.
    {
        CHandle writer(CreateFileW(otherPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(writer.Get(), INVALID_HANDLE_VALUE);
        ASSERT_TRUE(open(otherPath)) << DumpLines(m_program->TraceLines());
    }
    ASSERT_TRUE(save());
    EXPECT_EQ(bytes(otherPath), other);
    // The settings file the same way.
    ASSERT_TRUE(open(settingsPath));
    ASSERT_TRUE(save());
    EXPECT_EQ(bytes(settingsPath), settings);
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_TRUE(m_program->AllDialogs().empty());

    // Held by another program without sharing: the open fails and says so.
    {
        CHandle held(CreateFileW(otherPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
        EXPECT_TRUE(PressKeys(frame, {VK_CONTROL, 'O'}));
        HWND dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(AnswerFileDialog(dialog, otherPath));
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (HWND d : m_program->Dialogs())
                    if (WindowText(d) == L"Kestrin运动控制卡") box = d;
                return box != nullptr;
            },
            kWait));
        const std::wstring text = MessageBoxText(box);
        EXPECT_NE(text.find(otherPath), std::wstring::npos) << DumpLines({text});
        EXPECT_NE(text.find(L"(错误 32)"), std::wstring::npos) << DumpLines({text});
        ASSERT_TRUE(CloseDialog(box, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    }

    // New, then Save As onto an existing file: the file dialog asks first; no keeps the file
    // and saves nothing, yes keeps the file too (the document has nothing to put in it).
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'N'}));
    ASSERT_GE(m_program->WaitForTraceLine(L"document new", 0, kWait), 0);
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        const size_t before = m_program->TraceLines().size();
        ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'S'}));
        HWND dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(AnswerFileDialog(dialog, otherPath));
        HWND prompt = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (HWND d : m_program->Dialogs())
                    if (d != dialog) prompt = d;
                return prompt != nullptr;
            },
            kWait));
        ASSERT_NE(GetDlgItem(prompt, answer), nullptr);
        ASSERT_TRUE(CloseDialog(prompt, answer));
        if (answer == IDNO) {
            EXPECT_TRUE(WaitUntil([&] { return !IsVisible(prompt); }, kWait));
            ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
            EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
            ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
            EXPECT_LT(m_program->WaitForTraceLine(L"document saved: ", before, 0), 0);
        } else {
            EXPECT_GE(m_program->WaitForTraceLine(L"document saved: ", before, kWait), 0);
            EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        }
        EXPECT_EQ(bytes(otherPath), other);
    }
    CloseProgram(frame);
}

}  // namespace
