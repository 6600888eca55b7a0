// The driver against its fixture program: starting with an environment in a fresh
// directory, finding and reading windows, acting on them as an operator would, message
// boxes, a save dialog reached by an accelerator, exit codes, killing, screenshots; real
// clicks and typing through the input queue, and the program's focus; waits until the
// program has handled its queue and until a timer of its own could have come.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "gui_fixture_ids.h"

namespace {

using namespace fixture_ids;

const wchar_t kTitle[] = L"驱动测试窗口";
constexpr DWORD kWait = kLoadedWaitMs;

std::wstring FixturePath() { return Utf8ToWide(GUI_FIXTURE_EXE); }

class GuiDriverTest : public ::testing::Test {
protected:
    std::unique_ptr<CGuiProcess> Start(CLaunchOptions options = CLaunchOptions()) {
        options.exePath = FixturePath();
        auto process = std::make_unique<CGuiProcess>(options);
        EXPECT_TRUE(process->Started())
            << std::string(process->StartError().begin(), process->StartError().end());
        return process;
    }
    // Starts the fixture and waits until its window is shown.
    HWND StartShown(std::unique_ptr<CGuiProcess>& process, CLaunchOptions options = {}) {
        process = Start(options);
        HWND frame = process->WaitForTopLevel(kTitle, kWait);
        EXPECT_NE(frame, nullptr);
        EXPECT_GE(process->WaitForTraceLine(L"shown", 0, kWait), 0);
        return frame;
    }
};

TEST_F(GuiDriverTest, StartsACopyInAFreshDirectoryWithItsEnvironment) {
    CLaunchOptions options;
    options.simulatedCards = 3;
    options.environment = {{L"GUIKIT_EXTRA", L"值"}};
    std::unique_ptr<CGuiProcess> first, second;
    StartShown(first, options);
    StartShown(second);
    EXPECT_NE(first->Directory(), second->Directory());
    EXPECT_EQ(first->ExePath().rfind(first->Directory() + L"\\", 0), 0u);
    EXPECT_NE(GetFileAttributesW(first->ExePath().c_str()), INVALID_FILE_ATTRIBUTES);

    const std::vector<std::wstring> trace = first->TraceLines();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace[0], L"start simulator=3 extra=值");
    EXPECT_EQ(second->TraceLines().at(0), L"start simulator=1 extra=");
    EXPECT_EQ(first->MessageLogLines(), std::vector<std::wstring>{L"Kestrin: 测试消息"});
    EXPECT_EQ(first->ChipTraceLines(), std::vector<std::wstring>{L"0 W 0x00 0x0001"});

    const std::wstring dir = first->Directory();
    first.reset();
    EXPECT_EQ(GetFileAttributesW(dir.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(GuiDriverTest, LeavesOutVariablesItIsToldToRemove) {
    SetEnvironmentVariableW(L"GUIKIT_EXTRA", L"inherited");
    CLaunchOptions options;
    options.simulatedCards = -1;
    std::unique_ptr<CGuiProcess> kept, removed;
    StartShown(kept);
    options.environment = {{L"GUIKIT_EXTRA", L""}};
    StartShown(removed, options);
    SetEnvironmentVariableW(L"GUIKIT_EXTRA", nullptr);
    EXPECT_EQ(kept->TraceLines().at(0), L"start simulator=1 extra=inherited");
    EXPECT_EQ(removed->TraceLines().at(0), L"start simulator= extra=");
}

TEST_F(GuiDriverTest, FindsAndReadsWindowsAlsoInsideTheToolBar) {
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process);
    EXPECT_EQ(process->TopLevelWindows(L"GuiKitFixture"), std::vector<HWND>{frame});
    EXPECT_EQ(process->FindTopLevel(L"驱动测试"), nullptr);

    HWND toolBar = FindChild(frame, 0xE800);
    HWND combo = FindChild(frame, kCombo);
    ASSERT_NE(toolBar, nullptr);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(GetParent(combo), toolBar);
    EXPECT_EQ(ComboEntries(combo), (std::vector<std::wstring>{L"甲", L"乙", L"丙"}));
    EXPECT_EQ(ComboSelection(combo), 0);

    EXPECT_NE(ToolBarButtonState(toolBar, kEnabledCommand) & TBSTATE_ENABLED, 0);
    EXPECT_EQ(ToolBarButtonState(toolBar, kDisabledCommand) & TBSTATE_ENABLED, 0);
    EXPECT_EQ(ToolBarButtonState(toolBar, 40000), -1);

    EXPECT_EQ(WindowText(FindChild(frame, kBoxButton)), L"弹出");
    EXPECT_TRUE(IsEnabled(FindChild(frame, kBoxButton)));
    EXPECT_FALSE(IsEnabled(FindChild(frame, kDisabledButton)));
    EXPECT_TRUE(IsVisible(FindChild(frame, kBoxButton)));
    EXPECT_FALSE(IsVisible(FindChild(frame, kHidden)));
    EXPECT_EQ(WindowText(FindChild(frame, kHidden)), L"隐藏");
    EXPECT_EQ(FindChild(frame, 4242), nullptr);
}

TEST_F(GuiDriverTest, ChoosesTypesAndWaitsForFreshTraceLines) {
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process);
    const size_t before = process->TraceLines().size();

    HWND combo = FindChild(frame, kCombo);
    ChooseComboEntry(combo, 2);
    EXPECT_EQ(ComboSelection(combo), 2);
    const int chosen = process->WaitForTraceLine(L"selendok 32777 2", before, kWait);
    EXPECT_GE(chosen, static_cast<int>(before));
    // An old line does not count as a fresh one (the choice was handled before it returned).
    EXPECT_EQ(process->WaitForTraceLine(L"selendok 32777 2", chosen + 1, 0), -1);

    HWND edit = FindChild(frame, kEdit);
    TypeChars(edit, L"a-1中");
    EXPECT_EQ(WindowText(edit), L"a-1中");
}

TEST_F(GuiDriverTest, ClicksAndTypesThroughTheInputQueueAndReadsTheFocus) {
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process);
    HWND edit = FindChild(frame, kEdit);
    const RECT client = ClientRect(edit);
    ASSERT_TRUE(ClickAt(edit, {client.right / 2, client.bottom / 2}));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(frame) == edit; }, kWait));
    // The pointer is where the click was asked for, to the pixel.
    POINT expected = {client.right / 2, client.bottom / 2};
    ClientToScreen(edit, &expected);
    POINT cursor = {};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_NEAR(cursor.x, expected.x, 1);
    EXPECT_NEAR(cursor.y, expected.y, 1);
    ASSERT_TRUE(TypeKeys(L"a-1中"));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(edit) == L"a-1中"; }, kWait))
        << DumpLines({WindowText(edit)});
    EXPECT_TRUE(Answers(frame, 5000));

    // A click elsewhere lands there: the button opens its box.
    HWND button = FindChild(frame, kBoxButton);
    const RECT face = ClientRect(button);
    ASSERT_TRUE(ClickAt(button, {face.right / 2, face.bottom / 2}));
    HWND box = process->WaitForDialog(kWait, L"GuiKit");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(FocusOf(frame), FocusOf(box));  // one thread, one focus: in the box now
    EXPECT_TRUE(IsChild(box, FocusOf(box)));
    EXPECT_TRUE(CloseDialog(box));
    EXPECT_GE(process->WaitForTraceLine(L"box answered 1", 0, kWait), 0);

    process->Close(frame);
    ASSERT_TRUE(process->WaitForExit(kWait));
    EXPECT_FALSE(Answers(frame, 1000));  // gone
    EXPECT_EQ(FocusOf(frame), nullptr);
}

TEST_F(GuiDriverTest, WaitsUntilWhatWasPostedAndInputIsHandled) {
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process);
    // A command posted, then a click queued behind it, while the program is busy.
    PostMessageW(frame, WM_COMMAND, kBusyCommand, 0);
    HWND button = FindChild(frame, kBoxButton);
    const RECT face = ClientRect(button);
    ASSERT_TRUE(ClickAt(button, {face.right / 2, face.bottom / 2}));
    EXPECT_FALSE(WaitForQueueHandled(frame, 0));
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_GE(process->WaitForTraceLine(L"busy done", 0, 0), 0);
    // The click's box is there at once, shown or about to be.
    const std::vector<HWND> boxes = process->AllDialogs();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(WindowText(boxes[0]), L"GuiKit");
    EXPECT_EQ(process->WaitForDialog(kWait, L"GuiKit"), boxes[0]);
    EXPECT_TRUE(CloseDialog(boxes[0]));
    EXPECT_GE(process->WaitForTraceLine(L"box answered 1", 0, kWait), 0);
    EXPECT_TRUE(WaitUntil([&] { return process->AllDialogs().empty(); }, kWait));

    // A timer has come once the wait for its room ends, not before it is due.
    PostMessageW(frame, WM_COMMAND, kTimerCommand, 0);
    ASSERT_TRUE(WaitForTimerRoom(frame, 200, kWait));
    EXPECT_GE(process->WaitForTraceLine(L"timer set", 0, 0), 0);
    EXPECT_GE(process->WaitForTraceLine(L"tick", 0, 0), 0);

    // A hidden window is never painted: no wait can end through it.
    EXPECT_FALSE(WaitForQueueHandled(FindChild(frame, kHidden), kWait));
}

TEST_F(GuiDriverTest, ReadsAndAnswersAMessageBox) {
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process);
    EXPECT_TRUE(process->Dialogs().empty());
    PostClick(FindChild(frame, kBoxButton));
    HWND box = process->WaitForDialog(kWait, L"GuiKit");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"你好，驱动");
    EXPECT_TRUE(CloseDialog(box, IDCANCEL));
    EXPECT_GE(process->WaitForTraceLine(L"box answered 2", 0, kWait), 0);
    EXPECT_TRUE(WaitUntil([&] { return process->Dialogs().empty(); }, kWait));
}

TEST_F(GuiDriverTest, AnswersASaveDialogOpenedByAnAccelerator) {
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process);
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'S'}));
    HWND dialog = process->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr);
    const std::wstring file = process->Directory() + L"\\saved.dat";
    ASSERT_TRUE(AnswerFileDialog(dialog, file));
    EXPECT_GE(process->WaitForTraceLine(L"saved " + file, 0, kWait), 0);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
}

TEST_F(GuiDriverTest, ReportsExitCodesAndKillsWhatStillRuns) {
    CLaunchOptions options;
    options.environment = {{L"GUIKIT_EXIT_CODE", L"5"}};
    std::unique_ptr<CGuiProcess> process;
    HWND frame = StartShown(process, options);
    process->Close(frame);
    DWORD code = 0;
    ASSERT_TRUE(process->WaitForExit(kWait, &code));
    EXPECT_EQ(code, 5u);
    EXPECT_FALSE(process->Running());
    EXPECT_GE(process->WaitForTraceLine(L"destroyed", 0, 0), 0);

    // A program that shows no window: the wait for one ends with the process.
    options.arguments = L"/nowindow";
    auto quiet = Start(options);
    const DWORD start = GetTickCount();
    EXPECT_EQ(quiet->WaitForTopLevel(kTitle, kWait), nullptr);
    EXPECT_LT(GetTickCount() - start, kWait);
    ASSERT_TRUE(quiet->WaitForExit(kWait, &code));
    EXPECT_EQ(code, 7u);

    std::unique_ptr<CGuiProcess> running;
    StartShown(running);
    CHandle handle(OpenProcess(SYNCHRONIZE, FALSE, running->ProcessId()));
    ASSERT_NE(handle.Get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(handle.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    running.reset();
    EXPECT_EQ(WaitForSingleObject(handle.Get(), 0), WAIT_OBJECT_0);
}

TEST_F(GuiDriverTest, TakesAScreenshotOfTheDisplay) {
    std::unique_ptr<CGuiProcess> process;
    StartShown(process);
    const std::wstring shot = process->Directory() + L"\\screen.png";
    ASSERT_TRUE(TakeScreenshot(shot));
    CHandle file(CreateFileW(shot.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    unsigned char header[8] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(file.Get(), header, sizeof header, &got, nullptr));
    const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(std::string(header, header + got), std::string(png, png + 8));
    EXPECT_GT(GetFileSize(file.Get(), nullptr), 1000u);  // more than an empty screen
}

}  // namespace
