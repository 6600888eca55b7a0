// The motion pages' poll timer in process (Xvfb), observed on the page's own window: it
// exists while the page is shown and bound to an open card, and at no other time. A timer
// left running on a hidden page would go unseen otherwise: the page ignores its ticks.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "OneAxisDlg.h"
#include "TwoAxisDlg.h"
#include "axis_records.h"
#include "gui_driver.h"
#include "motion_ids.h"

namespace {

// A host standing in for the view; its card opens once the test lets it.
class CPollHost : public IPageHost {
public:
    BOOL OnSelectCard(int card) override { return card >= 0 && open ? TRUE : FALSE; }
    void SelectAxis() override {}
    void EnsureApplied(int, int) override {}
    AxisConfig* CurrentConfig() const override { return nullptr; }
    MotionParams* CurrentMotion() const override { return open ? &record : nullptr; }
    // Never created: every call the poll makes fails, harmlessly.
    CVorn_305q& Control() override { return control; }
    bool IsCardOpen() const override { return open; }

    bool open = false;
    mutable MotionParams record = MakeMotionParams(0, 0);
    CVorn_305q control;
};

// Dispatches this thread's messages for at most timeoutMs; true once a poll tick has been
// taken from the queue for page.
bool PollTickArrives(HWND page, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    bool ticked = false;
    while (!ticked && GetTickCount() - start <= timeoutMs) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == page && msg.message == WM_TIMER && msg.wParam == IDT_POLL)
                ticked = true;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
    return ticked;
}

// Fails the test unless the page's poll timer exists: its ticks come (a busy machine may
// hold them up for long).
void ExpectPolling(HWND page, const char* when) {
    EXPECT_TRUE(PollTickArrives(page, kLoadedWaitMs)) << "no poll tick " << when;
}

// Fails the test if the page has a poll timer: the timer of that id cannot be stopped, and
// no tick comes in six periods.
void ExpectNoPoll(HWND page, const char* when) {
    EXPECT_FALSE(KillTimer(page, IDT_POLL)) << "a poll timer " << when;
    EXPECT_FALSE(PollTickArrives(page, 300)) << "a poll tick " << when;
}

// Both pages as children of a plain window, created hidden as the view creates them.
class PollTimer : public testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1000, 700, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        ASSERT_TRUE(oneAxis.CreateModeless(parent));
        ASSERT_TRUE(twoAxis.CreateModeless(parent));
    }
    void TearDown() override {
        twoAxis.DestroyWindow();
        oneAxis.DestroyWindow();
        DestroyWindow(parent);
    }

    // One page through its life: unbound, then bound, each shown and hidden.
    void ExpectPollOnlyWhileShownAndBound(CViewPage& page) {
        const HWND hwnd = page.GetSafeHwnd();
        ASSERT_FALSE(IsWindowVisible(hwnd));
        ExpectNoPoll(hwnd, "on the page as created");
        // The card cannot be opened: the page stays unbound.
        page.SetCardAxis(0, 1);
        ExpectNoPoll(hwnd, "on the hidden unbound page");
        page.ShowWindow(SW_SHOW);
        ExpectNoPoll(hwnd, "on the shown unbound page");
        page.ShowWindow(SW_HIDE);
        ExpectNoPoll(hwnd, "on the unbound page hidden again");

        // Opened meanwhile, the card binds the page at the same pair.
        host.open = true;
        page.SetCardAxis(0, 1);
        ExpectNoPoll(hwnd, "on the hidden bound page");
        page.ShowWindow(SW_SHOW);
        ExpectPolling(hwnd, "on the shown bound page");
        page.ShowWindow(SW_HIDE);
        ExpectNoPoll(hwnd, "on the bound page once hidden");
        page.ShowWindow(SW_SHOW);
        ExpectPolling(hwnd, "on the bound page shown again");
        // Another pair while shown keeps the poll.
        page.SetCardAxis(0, 2);
        ExpectPolling(hwnd, "on the shown page after another pair");
        page.ShowWindow(SW_HIDE);
        ExpectNoPoll(hwnd, "on the page hidden at the end");
    }

    CPollHost host;
    HWND parent = nullptr;
    COneAxisDialog oneAxis{&host};
    CTwoAxisDialog twoAxis{&host};
};

TEST_F(PollTimer, TheOneAxisPagePollsOnlyWhileShownAndBound) {
    ExpectPollOnlyWhileShownAndBound(oneAxis);
}

TEST_F(PollTimer, TheTwoAxisPagePollsOnlyWhileShownAndBound) {
    ExpectPollOnlyWhileShownAndBound(twoAxis);
}

}  // namespace
