// The program's print setup, print preview and the command line's print-to and unregister
// switches, end to end: the built program with the real control and a simulated card,
// driven from outside, with no printer and with PostScript printers installed by the test.
//  - without a printer, print setup and preview are said and change nothing;
//  - the preview stands in the view's place (view and tool bar hidden, the bar's commands,
//    the page in the printer's paper), zooms, holds against other commands and keys, and
//    gives the view back with its page and focus on 关闭, Escape and Alt+C; 打印 prints;
//    closing the frame during a preview ends the program cleanly;
//  - the printer chosen in print setup serves the later prints and previews of the run;
//  - /pt prints to the printer it names; /Unregister and /Unregserver remove the program's
//    profile key only, without a window.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "test_printer.h"

namespace {

const wchar_t kCaption[] = L"Kestrin运动控制卡";
const wchar_t kNoPrinter[] = L"没有安装打印机，无法打印。";
constexpr DWORD kWait = kLoadedWaitMs;

const wchar_t kAppsKey[] = L"Software\\Local AppWizard-Generated Applications";
const wchar_t kProfileKey[] =
    L"Software\\Local AppWizard-Generated Applications\\Kestrin运动控制卡";

// The preview's bar: its buttons' texts in order, and which apply to a one-page document
// at the smallest zoom.
const std::vector<std::wstring> kBarTexts = {L"打印(&P)...", L"下一页(&N)", L"上一页(&V)",
                                             L"两页(&T)",    L"放大(&I)",   L"缩小(&O)",
                                             L"关闭(&C)"};
enum { kBarPrint, kBarNext, kBarPrev, kBarTwoPages, kBarZoomIn, kBarZoomOut, kBarClose };

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

std::string Narrow(const std::wstring& text) {
    std::string bytes = DumpLines({text});
    if (!bytes.empty()) bytes.pop_back();
    return bytes;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The frame's children of a class.
std::vector<HWND> ChildrenOf(HWND parent, const std::wstring& className) {
    std::vector<HWND> found;
    for (HWND child : Children(parent))
        if (ClassName(child) == className) found.push_back(child);
    return found;
}

// The view: the frame's child that holds the control.
HWND FindView(HWND frame) {
    HWND hwnd = FindChild(frame, IDC_VORN305QCTRL);
    while (hwnd && GetParent(hwnd) != frame) hwnd = GetParent(hwnd);
    return hwnd;
}

// The keyboard focus and where it lies, for failure messages.
std::string Describe(HWND window) {
    if (window == nullptr) return "no focus";
    return "focus on id " + std::to_string(GetDlgCtrlID(window)) + " class " +
           Narrow(ClassName(window)) + " text " + Narrow(WindowText(window));
}

bool IsWithin(HWND window, HWND ancestor) {
    return window != nullptr && (window == ancestor || IsChild(ancestor, window));
}

// A file of this machine for a printer's output, removed when the object goes.
class COutputFile {
public:
    explicit COutputFile(const wchar_t* name) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"vorn-" + name + L"-" +
                 std::to_wstring(GetCurrentProcessId()) + L".ps";
        DeleteFileW(m_path.c_str());
    }
    ~COutputFile() { DeleteFileW(m_path.c_str()); }
    const std::wstring& Path() const { return m_path; }
    std::wstring Port() const { return ToUnixPath(m_path); }
    // Pages in the file: each job writes the file anew.
    int Pages() const { return PrintedPages(m_path); }
    // The pages of the job just printed, the file removed for the next one.
    int TakePages() const {
        const int pages = Pages();
        DeleteFileW(m_path.c_str());
        return pages;
    }

private:
    std::wstring m_path;
};

bool HasPrinters() {
    DWORD needed = 0;
    DWORD printers = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &printers);
    return needed > 0;
}

// The page's size in pixels from the trace line "preview: zoom <z>, page <w>x<h> pixels".
bool ParsePage(const std::wstring& line, int& zoom, int& width, int& height) {
    const size_t at = line.find(L"preview: zoom ");
    return at != std::wstring::npos &&
           swscanf(line.c_str() + at, L"preview: zoom %d, page %dx%d pixels", &zoom, &width,
                   &height) == 3;
}

// Where a screenshot for a person goes: beside this test program, in the build tree.
std::wstring ScreenshotPath(const wchar_t* name) {
    wchar_t exe[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
    std::wstring dir = exe;
    dir.resize(dir.find_last_of(L'\\') + 1);
    return dir + name + L".png";
}

class PrintTest : public ::testing::Test {
protected:
    void Start(const std::wstring& arguments = std::wstring()) {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = 1;
        options.arguments = arguments;
        std::string why;
        m_frame = StartShowProgram(m_program, options, kWait, &why);
        ASSERT_NE(m_frame, nullptr) << why;
        m_view = FindView(m_frame);
        ASSERT_NE(m_view, nullptr);
    }
    void TearDown() override {
        if (!m_program || !m_program->Running()) return;
        for (HWND box : m_program->Dialogs()) CloseDialog(box, IDCANCEL);
        m_program->Close(m_frame);
        DWORD code = ~0u;
        EXPECT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    size_t Mark() const { return m_program->TraceLines().size(); }
    bool Traced(const std::wstring& text, size_t from, DWORD timeout = kWait) const {
        return m_program->WaitForTraceLine(text, from, timeout) >= 0;
    }
    std::string Trace() const { return DumpLines(m_program->TraceLines()); }

    HWND PageOf(int titleId) const {
        HWND title = FindChild(m_frame, titleId);
        return title ? GetParent(title) : nullptr;
    }
    // The one-axis page, with the focus in its run speed by a real click.
    void ShowOneAxisPageWithFocus() {
        PostMessageW(m_frame, WM_COMMAND, ID_ONEAXIS, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsVisible(PageOf(IDC_ONEAXIS_TITLE)); }, kWait));
        m_edit = FindChild(m_frame, IDC_RUN_SPEED);
        ASSERT_NE(m_edit, nullptr);
        const RECT client = ClientRect(m_edit);
        ASSERT_TRUE(ClickAt(m_edit, {client.right / 2, client.bottom / 2}));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == m_edit; }, kWait));
    }

    // The preview's window among the frame's children, when one shows.
    HWND Preview() const {
        const std::vector<HWND> found = ChildrenOf(m_frame, L"VornPreviewView");
        return found.size() == 1 && IsVisible(found[0]) ? found[0] : nullptr;
    }
    std::vector<HWND> Buttons(HWND preview) const { return ChildrenOf(preview, L"Button"); }

    // Posts ID_FILE_PRINT_PREVIEW and waits for the preview; the frame as the preview leaves it
    // checked.
    HWND OpenPreview() {
        const size_t before = Mark();
        PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
        HWND preview = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (preview = Preview()) != nullptr; }, kWait)) << Trace();
        EXPECT_TRUE(Traced(L"preview: zoom 0", before));
        EXPECT_TRUE(WaitForQueueHandled(m_frame, kWait));
        return preview;
    }

    // After the preview: no preview window, the view with the one-axis page back, the tool
    // bar shown again, the focus where it was, the page commands enabled again.
    void ExpectViewBack(size_t before) {
        EXPECT_TRUE(
            WaitUntil([&] { return ChildrenOf(m_frame, L"VornPreviewView").empty(); }, kWait))
            << "the preview window stays";
        EXPECT_TRUE(Traced(L"preview: closed", before));
        EXPECT_TRUE(IsVisible(m_view));
        EXPECT_TRUE(IsVisible(FindChild(m_frame, AFX_IDW_TOOLBAR)));
        EXPECT_TRUE(IsVisible(PageOf(IDC_ONEAXIS_TITLE)));
        EXPECT_FALSE(IsVisible(PageOf(IDC_CONFIG_TITLE)));
        EXPECT_TRUE(WaitForQueueHandled(m_frame, kWait));
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == m_edit; }, kWait))
            << "focus: " << Narrow(ClassName(FocusOf(m_frame))) << " id "
            << GetDlgCtrlID(FocusOf(m_frame));
        HWND toolBar = FindChild(m_frame, AFX_IDW_TOOLBAR);
        EXPECT_TRUE(WaitUntil(
            [&] { return (ToolBarButtonState(toolBar, ID_ONEAXIS) & TBSTATE_ENABLED) != 0; },
            kWait));
        EXPECT_TRUE(m_program->AllDialogs().empty());
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
    HWND m_view = nullptr;
    HWND m_edit = nullptr;
};

// With no printer: preview and print setup say so; the view, its page and the tool bar
// stay as they were, and no preview window is made.
TEST_F(PrintTest, WithoutAPrinterPreviewAndSetupAreSaidAndChangeNothing) {
    if (HasPrinters()) GTEST_SKIP() << "this prefix has a printer";
    Start();
    ShowOneAxisPageWithFocus();

    size_t before = Mark();
    PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    HWND box = m_program->WaitForDialog(kWait);
    ASSERT_NE(box, nullptr) << Trace();
    EXPECT_EQ(WindowText(box), kCaption);
    EXPECT_EQ(MessageBoxText(box), kNoPrinter);
    EXPECT_TRUE(ChildrenOf(m_frame, L"VornPreviewView").empty());
    ASSERT_TRUE(CloseDialog(box, IDOK));
    EXPECT_TRUE(Traced(L"preview: no printer", before));
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    // Nothing more comes of it, once the program has handled its queue.
    ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
    EXPECT_TRUE(m_program->AllDialogs().empty());
    EXPECT_TRUE(ChildrenOf(m_frame, L"VornPreviewView").empty());
    EXPECT_TRUE(IsVisible(m_view));
    EXPECT_TRUE(IsVisible(PageOf(IDC_ONEAXIS_TITLE)));
    EXPECT_TRUE(IsVisible(FindChild(m_frame, AFX_IDW_TOOLBAR)));

    // Print setup: the program's box, once (the platform's dialog is not shown).
    before = Mark();
    PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
    box = m_program->WaitForDialog(kWait);
    ASSERT_NE(box, nullptr) << Trace();
    EXPECT_EQ(WindowText(box), kCaption);
    EXPECT_EQ(MessageBoxText(box), kNoPrinter);
    ASSERT_TRUE(CloseDialog(box, IDOK));
    EXPECT_TRUE(Traced(L"print setup: no printer", before)) << Trace();
    // Said once, and the program goes on as before: no second box after the first, once the
    // program has handled its queue.
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
    EXPECT_TRUE(m_program->AllDialogs().empty());
    EXPECT_TRUE(IsVisible(PageOf(IDC_ONEAXIS_TITLE)));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(m_frame) == m_edit; }, kWait));
}

// The preview in the view's place, judged from the window tree: the bar's commands and
// their states, the page in the printer's paper; zoom; the frame's commands held back;
// 关闭, Escape and Alt+C give the view back with its page and focus; 打印 prints.
TEST_F(PrintTest, PreviewStandsInForTheViewAndGivesItBack) {
    COutputFile output(L"preview");
    CTestPrinter printer(output.Port());
    if (!printer.Installed()) GTEST_SKIP() << "no printer could be installed in this prefix";
    Start();
    ShowOneAxisPageWithFocus();
    const RECT viewRect = WindowRect(m_view);
    const RECT toolBarRect = WindowRect(FindChild(m_frame, AFX_IDW_TOOLBAR));

    size_t before = Mark();
    HWND preview = OpenPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(Traced(L"preview: shown for Vorn Test Printer", before));
    EXPECT_FALSE(IsVisible(m_view));
    EXPECT_FALSE(IsVisible(FindChild(m_frame, AFX_IDW_TOOLBAR)));
    EXPECT_TRUE(IsVisible(FindChild(m_frame, AFX_IDW_STATUS_BAR)));
    // The view's place and the tool bar's.
    const RECT previewRect = WindowRect(preview);
    EXPECT_EQ(previewRect.top, toolBarRect.top);
    EXPECT_EQ(previewRect.bottom, viewRect.bottom);
    EXPECT_EQ(previewRect.left, viewRect.left);
    EXPECT_EQ(previewRect.right, viewRect.right);
    EXPECT_TRUE(IsWithin(FocusOf(m_frame), preview));

    const std::vector<HWND> buttons = Buttons(preview);
    ASSERT_EQ(buttons.size(), kBarTexts.size());
    std::vector<std::wstring> texts;
    for (HWND button : buttons) texts.push_back(WindowText(button));
    EXPECT_EQ(texts, kBarTexts);
    const auto states = [&] {
        std::vector<bool> enabled;
        for (HWND button : buttons) enabled.push_back(IsEnabled(button));
        return enabled;
    };
    EXPECT_EQ(states(), (std::vector<bool>{true, false, false, false, true, false, true}));
    const std::vector<HWND> pages = ChildrenOf(preview, L"VornPreviewPage");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(IsVisible(pages[0]));

    // The page to scale: A4's sides, in the area's height at the smallest zoom.
    int zoom = -1;
    int width = 0;
    int height = 0;
    std::vector<std::wstring> trace = m_program->TraceLines();
    for (size_t i = before; i < trace.size(); ++i) ParsePage(trace[i], zoom, width, height);
    ASSERT_EQ(zoom, 0) << Trace();
    EXPECT_NEAR(static_cast<double>(width) / height, 595.0 / 842.0, 0.005)
        << width << "x" << height;
    EXPECT_LE(height, ClientRect(pages[0]).bottom);
    EXPECT_GE(height, ClientRect(pages[0]).bottom - 40);
    const std::wstring shot = ScreenshotPath(L"print-preview");
    ASSERT_TRUE(TakeScreenshot(shot));
    std::printf("Screenshot of the print preview: %s\n", Narrow(ToUnixPath(shot)).c_str());

    // The frame's menu commands wait: disabled, and refused when they come.
    EXPECT_TRUE(Traced(L"ui command=32771 enabled=0", before)) << Trace();
    size_t mark = Mark();
    PostMessageW(m_frame, WM_COMMAND, ID_CONFIG, 0);
    PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
    EXPECT_TRUE(Traced(L"command 57606 refused: disabled", mark)) << Trace();
    EXPECT_TRUE(Traced(L"command 32771 refused: disabled", mark));
    EXPECT_TRUE(Traced(L"command 57609 refused: disabled", mark));
    ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
    EXPECT_EQ(ChildrenOf(m_frame, L"VornPreviewView").size(), 1u);
    EXPECT_EQ(Preview(), preview);
    EXPECT_TRUE(m_program->AllDialogs().empty());

    // Zoom: larger twice, then back; a command that no longer applies is disabled.
    int lastWidth = width;
    for (const int step : {kBarZoomIn, kBarZoomIn, kBarZoomOut, kBarZoomOut}) {
        SCOPED_TRACE(step == kBarZoomIn ? "zoom in" : "zoom out");
        mark = Mark();
        Click(buttons[step]);
        ASSERT_TRUE(Traced(L"preview: zoom", mark)) << Trace();
        trace = m_program->TraceLines();
        for (size_t i = mark; i < trace.size(); ++i) ParsePage(trace[i], zoom, width, height);
        EXPECT_NEAR(static_cast<double>(width) / height, 595.0 / 842.0, 0.005);
        if (step == kBarZoomIn) {
            EXPECT_GT(width, lastWidth);
        } else {
            EXPECT_LT(width, lastWidth);
        }
        lastWidth = width;
        EXPECT_EQ(IsEnabled(buttons[kBarZoomIn]), zoom < 2) << zoom;
        EXPECT_EQ(IsEnabled(buttons[kBarZoomOut]), zoom > 0) << zoom;
        EXPECT_TRUE(IsWithin(FocusOf(m_frame), preview)) << Describe(FocusOf(m_frame));
    }
    EXPECT_EQ(zoom, 0);

    // 关闭.
    mark = Mark();
    Click(buttons[kBarClose]);
    ExpectViewBack(mark);
    EXPECT_TRUE(Traced(L"ui command=32771 enabled=1", mark)) << Trace();

    // Escape, after careless keys that must change nothing.
    preview = OpenPreview();
    ASSERT_NE(preview, nullptr);
    mark = Mark();
    ASSERT_TRUE(PressKeys(m_frame, {VK_MENU, 'S'}));  // the menu's 保存配置, held back
    ASSERT_TRUE(TypeKeys(L"pcn 1"));
    ASSERT_TRUE(PressKeys(m_frame, {VK_RETURN}));
    ASSERT_TRUE(PressKeys(m_frame, {VK_CONTROL, 'N'}));
    // Judged once the program has handled the keys.
    ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
    EXPECT_EQ(Preview(), preview);
    EXPECT_TRUE(m_program->AllDialogs().empty());
    EXPECT_FALSE(Traced(L"settings saved", mark, 0));
    EXPECT_FALSE(Traced(L"document new", mark, 0));
    ASSERT_TRUE(PressKeys(m_frame, {VK_ESCAPE}));
    ExpectViewBack(mark);

    // Alt+I zooms, Alt+C closes.
    preview = OpenPreview();
    ASSERT_NE(preview, nullptr);
    mark = Mark();
    ASSERT_TRUE(PressKeys(m_frame, {VK_MENU, 'I'}));
    EXPECT_TRUE(Traced(L"preview: zoom 1", mark)) << Trace();
    ASSERT_TRUE(PressKeys(m_frame, {VK_MENU, 'C'}));
    ExpectViewBack(mark);
    EXPECT_TRUE(IsVisible(PageOf(IDC_ONEAXIS_TITLE))) << "Alt+C reached the menu's 配置";

    // 打印: the preview ends and the print dialog follows; OK prints the page.
    preview = OpenPreview();
    ASSERT_NE(preview, nullptr);
    mark = Mark();
    PostClick(Buttons(preview)[kBarPrint]);
    HWND dialog = m_program->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr) << Trace();
    EXPECT_NE(WindowText(dialog), kCaption);  // the platform's print dialog
    EXPECT_TRUE(ChildrenOf(m_frame, L"VornPreviewView").empty());
    EXPECT_TRUE(IsVisible(m_view));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    EXPECT_TRUE(Traced(L"print: one page", mark)) << Trace();
    EXPECT_TRUE(WaitUntil([&] { return output.Pages() == 1; }, kWait)) << output.Pages();
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    EXPECT_TRUE(IsVisible(PageOf(IDC_ONEAXIS_TITLE)));
}

// Closing the frame while the preview shows ends the program as any close does.
TEST_F(PrintTest, ClosingTheFrameDuringAPreviewEndsCleanly) {
    COutputFile output(L"closing");
    CTestPrinter printer(output.Port());
    if (!printer.Installed()) GTEST_SKIP() << "no printer could be installed in this prefix";
    Start();
    ShowOneAxisPageWithFocus();
    ASSERT_NE(OpenPreview(), nullptr);
    DWORD code = ~0u;
    bool boxSeen = false;
    ASSERT_TRUE(m_program->CloseUnattended(m_frame, kWait, &code, &boxSeen)) << Trace();
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(boxSeen);
    const std::vector<std::wstring> trace = m_program->TraceLines();
    EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const std::wstring& line) {
        return line.find(L"control released") != std::wstring::npos;
    })) << DumpLines(trace);
    EXPECT_EQ(output.Pages(), 0);
}

// The print dialog's printer list: the combo box that lists the printer.
struct CPrinterListSearch {
    const std::wstring* printer;
    HWND found;
};

BOOL CALLBACK FindPrinterList(HWND child, LPARAM param) {
    auto* const search = reinterpret_cast<CPrinterListSearch*>(param);
    if (ClassName(child) != L"ComboBox") return TRUE;
    const std::vector<std::wstring> entries = ComboEntries(child);
    if (std::find(entries.begin(), entries.end(), *search->printer) == entries.end()) return TRUE;
    search->found = child;
    return FALSE;
}

HWND PrinterList(HWND dialog, const std::wstring& printer) {
    CPrinterListSearch search = {&printer, nullptr};
    EnumChildWindows(dialog, FindPrinterList, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Chooses printer in a print dialog's list, as a click on the entry does.
bool ChoosePrinter(HWND dialog, const std::wstring& printer) {
    HWND list = PrinterList(dialog, printer);
    if (list == nullptr) return false;
    const std::vector<std::wstring> entries = ComboEntries(list);
    const int index =
        static_cast<int>(std::find(entries.begin(), entries.end(), printer) - entries.begin());
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return true;
}

std::wstring ChosenPrinter(HWND dialog, const std::wstring& listing) {
    HWND list = PrinterList(dialog, listing);
    if (list == nullptr) return L"<no list>";
    const std::vector<std::wstring> entries = ComboEntries(list);
    const int chosen = ComboSelection(list);
    return chosen >= 0 && chosen < static_cast<int>(entries.size()) ? entries[chosen] : L"";
}

// Two printers; print setup chooses the one that is not the default: print without the
// dialog, the print dialog and the preview all use it from then on in the run.
TEST_F(PrintTest, ThePrinterChosenInPrintSetupServesTheRun) {
    COutputFile first(L"first");
    COutputFile second(L"second");
    CTestPrinter defaultPrinter(first.Port(), L"Vorn Test Printer");
    CTestPrinter otherPrinter(second.Port(), L"Vorn Letter Printer", false, kLetterPaper);
    if (!defaultPrinter.Installed() || !otherPrinter.Installed())
        GTEST_SKIP() << "no printer could be installed in this prefix";
    Start();
    ShowOneAxisPageWithFocus();
    const std::wstring other = otherPrinter.Name();

    // Which printer a print without the dialog went to: pages in (default, other).
    using Pages = std::pair<int, int>;
    const auto printDirect = [&] {
        const size_t mark = Mark();
        PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
        EXPECT_TRUE(Traced(L"print: one page", mark)) << Trace();
        return Pages(first.TakePages(), second.TakePages());
    };
    // Before any choice: the default printer.
    EXPECT_EQ(printDirect(), Pages(1, 0));

    // Print setup: the platform's dialog in its setup form; a cancel chooses nothing.
    size_t mark = 0;
    for (const int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        mark = Mark();
        PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
        HWND dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr) << Trace();
        EXPECT_NE(WindowText(dialog), kCaption);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), m_frame);
        EXPECT_EQ(ChosenPrinter(dialog, other), defaultPrinter.Name());
        ASSERT_TRUE(ChoosePrinter(dialog, other));
        ASSERT_TRUE(CloseDialog(dialog, answer));
        EXPECT_TRUE(Traced(answer == IDOK ? L"print setup: " + other
                                          : std::wstring(L"print setup: no printer chosen"),
                           mark))
            << Trace();
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        if (answer == IDCANCEL) {
            EXPECT_EQ(printDirect(), Pages(1, 0)) << "a cancelled setup changed the printer";
        }
    }

    // Print without the dialog: the chosen printer.
    mark = Mark();
    EXPECT_EQ(printDirect(), Pages(0, 1));
    EXPECT_TRUE(Traced(L"print: to " + other, mark));

    // The print dialog (Ctrl+P's command) starts from the choice; cancelled, then OK.
    for (const int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        mark = Mark();
        PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT, 0);
        HWND dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr) << Trace();
        EXPECT_EQ(ChosenPrinter(dialog, other), other);
        ASSERT_TRUE(CloseDialog(dialog, answer));
        EXPECT_TRUE(Traced(answer == IDOK ? L"print: one page" : L"print: no printer chosen", mark))
            << Trace();
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        EXPECT_EQ(Pages(first.TakePages(), second.TakePages()), Pages(0, answer == IDOK ? 1 : 0));
    }

    // The preview shows the chosen printer's paper: Letter's sides.
    mark = Mark();
    HWND preview = OpenPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(Traced(L"preview: shown for " + other, mark)) << Trace();
    int zoom = -1;
    int width = 0;
    int height = 0;
    const std::vector<std::wstring> trace = m_program->TraceLines();
    for (size_t i = mark; i < trace.size(); ++i) ParsePage(trace[i], zoom, width, height);
    ASSERT_EQ(zoom, 0) << Trace();
    EXPECT_NEAR(static_cast<double>(width) / height, 612.0 / 792.0, 0.005)
        << width << "x" << height;
    mark = Mark();
    Click(Buttons(preview)[kBarClose]);
    ExpectViewBack(mark);

    // The chosen printer taken away: printing says so and prints nowhere else.
    otherPrinter.Remove();
    mark = Mark();
    PostMessageW(m_frame, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    HWND box = m_program->WaitForDialog(kWait);
    ASSERT_NE(box, nullptr) << Trace();
    EXPECT_EQ(WindowText(box), kCaption);
    EXPECT_EQ(MessageBoxText(box).rfind(L"无法打印：", 0), 0u) << Narrow(MessageBoxText(box));
    EXPECT_NE(MessageBoxText(box).find(other), std::wstring::npos) << Narrow(MessageBoxText(box));
    ASSERT_TRUE(CloseDialog(box, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
    EXPECT_FALSE(Traced(L"print: one page", mark, 0));
    EXPECT_EQ(first.Pages(), 0);
}

// Starts the program with these arguments and expects it to end by itself without showing
// a window, with exit code 0 and no card message.
void ExpectEndWithoutWindow(const std::wstring& arguments,
                            const std::vector<std::pair<std::wstring, std::string>>& files = {},
                            std::vector<std::wstring>* trace = nullptr) {
    CLaunchOptions options;
    options.exePath = ShowExe();
    options.simulatedCards = 1;
    options.arguments = arguments;
    options.files = files;
    CGuiProcess program(options);
    ASSERT_TRUE(program.Started());
    bool sawWindow = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (HWND hwnd : program.TopLevelWindows())
                if (IsWindowVisible(hwnd)) sawWindow = true;
            return !program.Running();
        },
        kWait, 5))
        << "no end in time";
    EXPECT_FALSE(sawWindow);
    DWORD code = ~0u;
    ASSERT_TRUE(program.WaitForExit(0, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(program.MessageLogLines().empty());
    if (trace != nullptr) *trace = program.TraceLines();
}

// /pt file printer driver port: the page goes to the printer named, not to the default.
TEST(PrintToTest, PrintsToThePrinterNamed) {
    COutputFile first(L"pt-default");
    COutputFile second(L"pt-named");
    CTestPrinter defaultPrinter(first.Port(), L"Vorn Test Printer");
    CTestPrinter named(second.Port(), L"Vorn Letter Printer", false, kLetterPaper);
    if (!defaultPrinter.Installed() || !named.Installed())
        GTEST_SKIP() << "no printer could be installed in this prefix";
    std::vector<std::wstring> trace;
    ExpectEndWithoutWindow(L"/pt doc.txt \"" + named.Name() + L"\" \"" + named.Name() + L"\" \"" +
                               second.Port() + L"\"",
                           {{L"doc.txt", "a document"}}, &trace);
    EXPECT_EQ(second.TakePages(), 1) << DumpLines(trace);
    EXPECT_EQ(first.TakePages(), 0);
    // /p: the default printer.
    ExpectEndWithoutWindow(L"/p doc.txt", {{L"doc.txt", "a document"}}, &trace);
    EXPECT_EQ(first.TakePages(), 1) << DumpLines(trace);
    EXPECT_EQ(second.TakePages(), 0);
}

// A printer that is not there: said, and nothing printed.
TEST(PrintToTest, AnUnknownPrinterIsSaid) {
    COutputFile first(L"pt-only");
    CTestPrinter defaultPrinter(first.Port(), L"Vorn Test Printer");
    if (!defaultPrinter.Installed()) GTEST_SKIP() << "no printer could be installed in this prefix";
    CLaunchOptions options;
    options.exePath = ShowExe();
    options.arguments = L"/pt doc.txt \"No Such Printer\" \"No Such Printer\" nowhere";
    options.files = {{L"doc.txt", "a document"}};
    CGuiProcess program(options);
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitForDialog(kWait);
    ASSERT_NE(box, nullptr) << DumpLines(program.TraceLines());
    EXPECT_EQ(WindowText(box), kCaption);
    EXPECT_EQ(MessageBoxText(box), L"无法打印：找不到打印机“No Such Printer”。");
    ASSERT_TRUE(CloseDialog(box, IDOK));
    DWORD code = ~0u;
    ASSERT_TRUE(program.WaitForExit(kWait, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(first.Pages(), 0);
}

// Owns a registry key under HKEY_CURRENT_USER for the test; removed at the end.
class CTestKey {
public:
    explicit CTestKey(const std::wstring& path) : m_path(path) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    ~CTestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }
    CTestKey(const CTestKey&) = delete;
    CTestKey& operator=(const CTestKey&) = delete;

private:
    std::wstring m_path;
};

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool SetString(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

// /Unregister and /Unregserver take the program's profile key with its recent-file list
// and leave the key above it and a sibling program's key alone, showing no window.
TEST(UnregisterTest, RemovesTheProfileKeyAndNothingElse) {
    const std::wstring sibling = std::wstring(kAppsKey) + L"\\Another Program";
    const std::wstring recent = std::wstring(kProfileKey) + L"\\Recent File List";
    CTestKey siblingKey(sibling);
    CTestKey profileKey(kProfileKey);
    for (const wchar_t* arguments : {L"/Unregister", L"/Unregserver", L"-UNREGISTER"}) {
        SCOPED_TRACE(Narrow(arguments));
        ASSERT_TRUE(SetString(recent, L"File1", L"C:\\some\\document.dat"));
        ASSERT_TRUE(SetString(kProfileKey, L"Setting", L"value"));
        ASSERT_TRUE(SetString(sibling, L"File1", L"C:\\other\\file.dat"));
        ASSERT_TRUE(SetString(kAppsKey, L"Shared", L"kept"));
        std::vector<std::wstring> trace;
        ExpectEndWithoutWindow(arguments, {}, &trace);
        EXPECT_FALSE(KeyExists(recent)) << DumpLines(trace);
        EXPECT_FALSE(KeyExists(kProfileKey));
        EXPECT_TRUE(KeyExists(kAppsKey));
        wchar_t value[MAX_PATH] = {};
        DWORD bytes = sizeof value;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, sibling.c_str(), L"File1", RRF_RT_REG_SZ, nullptr,
                               value, &bytes),
                  ERROR_SUCCESS);
        EXPECT_STREQ(value, L"C:\\other\\file.dat");
        bytes = sizeof value;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kAppsKey, L"Shared", RRF_RT_REG_SZ, nullptr,
                               value, &bytes),
                  ERROR_SUCCESS);
    }
    // Without a key to remove it ends the same way.
    ExpectEndWithoutWindow(L"/Unregister");
    EXPECT_FALSE(KeyExists(kProfileKey));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAppsKey, L"Shared");
}

}  // namespace
