// The demonstration program's frame end to end, without a window manager: the fixed title
// stays after a new document and after an opened file, with no change of activation to set
// it again.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gui_driver.h"

namespace {

const wchar_t kTitle[] = L"Kestrin运动控制卡(MCP305q) - ver1.0";
constexpr DWORD kWait = 20000;
constexpr int kCardSelector = 32777;

class FrameTest : public ::testing::Test {
protected:
    // Starts the program with the files given beside it and waits for the frame with the
    // card selector filled in.
    HWND StartProgram(const CLaunchOptions& base = CLaunchOptions()) {
        CLaunchOptions options = base;
        options.exePath = Utf8ToWide(VORN_SHOW_EXE);
        m_program = std::make_unique<CGuiProcess>(options);
        EXPECT_TRUE(m_program->Started());
        HWND frame = m_program->WaitForTopLevel(kTitle, kWait);
        EXPECT_NE(frame, nullptr) << "trace:\n" << DumpLines(m_program->TraceLines());
        if (!frame) return nullptr;
        HWND card = FindChild(frame, kCardSelector);
        EXPECT_TRUE(WaitUntil([&] { return SendMessageW(card, CB_GETCOUNT, 0, 0) > 0; }, kWait));
        return frame;
    }

    void CloseProgram(HWND frame) {
        m_program->Close(frame);
        DWORD code = ~0u;
        ASSERT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    std::unique_ptr<CGuiProcess> m_program;
};

TEST_F(FrameTest, TheTitleStaysFixedAfterNewAndOpenWithoutAnActivation) {
    CLaunchOptions options;
    options.files = {{L"part.dat", "any bytes"}};
    HWND frame = StartProgram(options);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == frame; }, kWait));

    // Ctrl+N: the frame keeps the foreground throughout, so nothing activates it again.
    size_t before = m_program->TraceLines().size();
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'N'}));
    ASSERT_GE(m_program->WaitForTraceLine(L"document new", before, kWait), 0)
        << DumpLines(m_program->TraceLines());
    ASSERT_TRUE(Answers(frame, kWait));  // the new document's steps are over
    EXPECT_EQ(GetForegroundWindow(), frame);
    EXPECT_EQ(WindowText(frame), kTitle);

    // Ctrl+O: the file dialog gives the activation back before the file is opened; from
    // then on the frame stays active.
    before = m_program->TraceLines().size();
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'O'}));
    HWND dialog = m_program->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileDialog(dialog, m_program->Directory() + L"\\part.dat"));
    ASSERT_GE(m_program->WaitForTraceLine(L"document opened: ", before, kWait), 0)
        << DumpLines(m_program->TraceLines());
    ASSERT_TRUE(Answers(frame, kWait));
    EXPECT_EQ(GetForegroundWindow(), frame);
    EXPECT_EQ(WindowText(frame), kTitle);
    CloseProgram(frame);
}

}  // namespace
