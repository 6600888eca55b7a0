// The demonstration program's frame end to end, without a window manager:
//  - the fixed title stays after a new document and after an opened file, with no change
//    of activation to set it again;
//  - the about box, a modal dialog that does not place itself, opens centred over the frame
//    wherever the frame stands.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "gui_driver.h"
#include "show_program.h"

namespace {

const wchar_t kAboutTitle[] = L"关于 Vorn_305q_show";
constexpr DWORD kWait = kLoadedWaitMs;

class FrameTest : public ::testing::Test {
protected:
    // Starts the program with the files given beside it and waits for the frame with the
    // card selector filled in.
    HWND StartProgram(const CLaunchOptions& base = CLaunchOptions()) {
        CLaunchOptions options = base;
        options.exePath = Utf8ToWide(VORN_SHOW_EXE);
        m_program = std::make_unique<CGuiProcess>(options);
        EXPECT_TRUE(m_program->Started());
        HWND frame = m_program->WaitForTopLevel(kShowTitle, kWait);
        EXPECT_NE(frame, nullptr) << "trace:\n" << DumpLines(m_program->TraceLines());
        if (!frame) return nullptr;
        HWND card = FindChild(frame, ID_CARD_SELECTOR);
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
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));  // the new document's steps are over
    EXPECT_EQ(GetForegroundWindow(), frame);
    EXPECT_EQ(WindowText(frame), kShowTitle);

    // Ctrl+O: the file dialog gives the activation back before the file is opened; from
    // then on the frame stays active.
    before = m_program->TraceLines().size();
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'O'}));
    HWND dialog = m_program->WaitForDialog(kWait);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileDialog(dialog, m_program->Directory() + L"\\part.dat"));
    ASSERT_GE(m_program->WaitForTraceLine(L"document opened: ", before, kWait), 0)
        << DumpLines(m_program->TraceLines());
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
    EXPECT_EQ(GetForegroundWindow(), frame);
    EXPECT_EQ(WindowText(frame), kShowTitle);
    CloseProgram(frame);
}

TEST_F(FrameTest, TheAboutBoxOpensCentredOverTheFrame) {
    HWND frame = StartProgram();
    ASSERT_NE(frame, nullptr);
    // Away from the screen's centre, where a box centred on the screen would also land.
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    for (const POINT corner :
         {POINT{work.left + 10, work.top + 20},
          POINT{work.right - 10 - (WindowRect(frame).right - WindowRect(frame).left),
                work.top + 40}}) {
        SetWindowPos(frame, nullptr, corner.x, corner.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT outer = WindowRect(frame);
        ASSERT_EQ(outer.left, corner.x);
        ASSERT_EQ(outer.top, corner.y);

        PostMessageW(frame, WM_COMMAND, ID_APP_ABOUT, 0);
        HWND about = m_program->WaitForDialog(kWait, kAboutTitle);
        ASSERT_NE(about, nullptr);
        const RECT box = WindowRect(about);
        // Centres compared doubled, so that no half pixel is lost: within 3 pixels.
        EXPECT_LE(std::abs((box.left + box.right) - (outer.left + outer.right)), 6)
            << box.left << "," << box.top << " over " << outer.left << "," << outer.top;
        EXPECT_LE(std::abs((box.top + box.bottom) - (outer.top + outer.bottom)), 6)
            << box.left << "," << box.top << " over " << outer.left << "," << outer.top;
        ASSERT_TRUE(CloseDialog(about));
        ASSERT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    }
    CloseProgram(frame);
}

}  // namespace
