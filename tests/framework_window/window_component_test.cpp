// The window layer with real windows: routing to C++ handlers, subclassing and its end,
// window classes registered from two threads at once, timers, the frame's command
// routing, data exchange with its parse-failure behaviour, where the dialog procedure
// puts each answer, and where a dialog opens.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <ios>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "dialog.h"
#include "document.h"
#include "frame_wnd.h"
#include "window_class.h"
#include "wnd_handle.h"

namespace {

constexpr UINT kPing = WM_APP + 1;

bool RegisterTestClass(const wchar_t* name) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CWnd::StandardWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    return RegisterWindowClassOnce(wc);
}

// Records what reaches it; answers kPing with lParam + 1.
class CProbeWnd : public CWnd {
public:
    std::vector<UINT> seen;
    int ncDestroyed = 0;
    bool createSawThis = false;
    std::vector<UINT_PTR> timers;
    bool blockLetters = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        switch (msg) {
            case WM_CREATE:
                createSawThis = FromHandle(GetSafeHwnd()) == this;
                return Default();
            case kPing:
                return lParam + 1;
            case WM_TIMER:
                timers.push_back(wParam);
                return 0;
            case WM_CHAR:
                if (blockLetters && iswalpha(static_cast<wint_t>(wParam))) return 0;
                return Default();
            default:
                return Default();
        }
    }
    void PostNcDestroy() override { ++ncDestroyed; }
};

bool Saw(const CProbeWnd& probe, UINT msg) {
    for (const UINT m : probe.seen) {
        if (m == msg) return true;
    }
    return false;
}

void PumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

TEST(Routing, EveryMessageFromCreationToTheEndReachesTheObject) {
    ASSERT_TRUE(RegisterTestClass(L"VornRoutingProbe"));
    CProbeWnd probe;
    ASSERT_TRUE(probe.CreateEx(0, L"VornRoutingProbe", L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                               100, nullptr, nullptr));
    const HWND hwnd = probe.GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(Saw(probe, WM_NCCREATE));
    EXPECT_TRUE(Saw(probe, WM_CREATE));
    EXPECT_TRUE(probe.createSawThis);
    EXPECT_EQ(CWnd::FromHandle(hwnd), &probe);
    EXPECT_EQ(SendMessageW(hwnd, kPing, 0, 41), 42);
    // Default() hands the message to the window's default handling.
    SetWindowTextW(hwnd, L"renamed");
    EXPECT_EQ(CWndHandle(hwnd).Text(), L"renamed");

    EXPECT_TRUE(probe.DestroyWindow());
    EXPECT_TRUE(Saw(probe, WM_DESTROY));
    EXPECT_TRUE(Saw(probe, WM_NCDESTROY));
    EXPECT_EQ(probe.ncDestroyed, 1);
    EXPECT_EQ(probe.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Routing, AnObjectGoneBeforeItsWindowLeavesNoDanglingRoute) {
    ASSERT_TRUE(RegisterTestClass(L"VornRoutingProbe"));
    HWND hwnd = nullptr;
    {
        CProbeWnd probe;
        ASSERT_TRUE(
            probe.CreateEx(0, L"VornRoutingProbe", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        hwnd = probe.GetSafeHwnd();
    }
    // The object owned its window: both are gone, and nothing routes to freed memory.
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Routing, ATimerReachesTheObject) {
    ASSERT_TRUE(RegisterTestClass(L"VornRoutingProbe"));
    CProbeWnd probe;
    ASSERT_TRUE(
        probe.CreateEx(0, L"VornRoutingProbe", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ASSERT_TRUE(CWndHandle(probe.GetSafeHwnd()).StartTimer(2000, 20));
    const DWORD end = GetTickCount() + 3000;
    while (probe.timers.size() < 2 && static_cast<LONG>(end - GetTickCount()) > 0) PumpFor(20);
    ASSERT_GE(probe.timers.size(), 2u);
    EXPECT_EQ(probe.timers[0], 2000u);
    CWndHandle(probe.GetSafeHwnd()).StopTimer(2000);
    PumpFor(50);
    const size_t stopped = probe.timers.size();
    PumpFor(150);
    EXPECT_EQ(probe.timers.size(), stopped);
}

// A top-level edit of the system's class, the typical window to subclass.
HWND MakeEdit() {
    return CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(Subclassing, RoutesUntilUnsubclassedAndRestoresTheProcedure) {
    const HWND edit = MakeEdit();
    ASSERT_NE(edit, nullptr);
    const LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);
    CProbeWnd probe;
    probe.blockLetters = true;
    ASSERT_TRUE(probe.SubclassWindow(edit));
    EXPECT_EQ(CWnd::FromHandle(edit), &probe);
    // A second object cannot take the same window.
    CProbeWnd second;
    EXPECT_FALSE(second.SubclassWindow(edit));

    SendMessageW(edit, WM_CHAR, L'1', 0);
    SendMessageW(edit, WM_CHAR, L'x', 0);
    SendMessageW(edit, WM_CHAR, L'2', 0);
    EXPECT_EQ(CWndHandle(edit).Text(), L"12");  // the default ran for the digits only

    EXPECT_EQ(probe.UnsubclassWindow(), edit);
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    EXPECT_EQ(probe.GetSafeHwnd(), nullptr);
    const size_t seen = probe.seen.size();
    SendMessageW(edit, WM_CHAR, L'y', 0);
    EXPECT_EQ(probe.seen.size(), seen);
    EXPECT_EQ(CWndHandle(edit).Text(), L"12y");
    DestroyWindow(edit);
}

TEST(Subclassing, EndsAtTheWindowsDestruction) {
    const HWND edit = MakeEdit();
    ASSERT_NE(edit, nullptr);
    CProbeWnd probe;
    ASSERT_TRUE(probe.SubclassWindow(edit));
    DestroyWindow(edit);
    EXPECT_TRUE(Saw(probe, WM_NCDESTROY));
    EXPECT_EQ(probe.ncDestroyed, 1);
    EXPECT_EQ(probe.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    // The object can take another window afterwards.
    const HWND next = MakeEdit();
    EXPECT_TRUE(probe.SubclassWindow(next));
    DestroyWindow(next);
}

TEST(Subclassing, AttachOnlyWrapsTheHandle) {
    const HWND edit = MakeEdit();
    ASSERT_NE(edit, nullptr);
    {
        CProbeWnd probe;
        ASSERT_TRUE(probe.Attach(edit));
        EXPECT_EQ(probe.GetSafeHwnd(), edit);
        EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
        SendMessageW(edit, kPing, 0, 1);
        EXPECT_TRUE(probe.seen.empty());
    }
    EXPECT_TRUE(IsWindow(edit));  // not owned
    DestroyWindow(edit);
}

TEST(Registration, TwoThreadsRegisterAndCreateAtOnce) {
    // Each round uses a new class, so both threads race its first registration.
    for (int round = 0; round < 20; ++round) {
        const std::wstring name = L"VornRace" + std::to_wstring(round);
        std::atomic<int> ready{0};
        std::atomic<int> routed{0};
        auto work = [&] {
            ++ready;
            while (ready.load() < 2) {
            }
            if (!RegisterTestClass(name.c_str())) return;
            CProbeWnd probe;
            if (!probe.CreateEx(0, name.c_str(), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr)) {
                return;
            }
            // Each thread's window routes to its own object.
            if (CWnd::FromHandle(probe.GetSafeHwnd()) == &probe &&
                SendMessageW(probe.GetSafeHwnd(), kPing, 0, 1) == 2) {
                ++routed;
            }
            probe.DestroyWindow();
        };
        std::thread a(work);
        std::thread b(work);
        a.join();
        b.join();
        ASSERT_EQ(routed.load(), 2) << "round " << round;
    }
}

// The command chain: the frame's own handlers, the application after it, refusal of a
// disabled menu or accelerator command.
class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"window test") {}
    std::vector<UINT> commands;
    bool OnCommand(UINT id, UINT, HWND) override {
        commands.push_back(id);
        return true;
    }
};

class CTestFrame : public CFrameWnd {
public:
    std::vector<UINT> commands;
    std::vector<UINT> notifications;
    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (control != nullptr) {
            notifications.push_back(code);
            return true;
        }
        if (id != 100) return false;
        commands.push_back(id);
        return true;
    }
    bool OnUpdateCommand(UINT id, bool& enable) override {
        if (id != 200 && id != 201) return false;
        enable = id == 201;
        return true;
    }
};

TEST(CommandRouting, FrameThenApplicationAndDisabledCommandsRefused) {
    CTestApp app;
    CTestFrame frame;
    CCreateContext context;
    ASSERT_TRUE(frame.LoadFrame(1, WS_OVERLAPPEDWINDOW, &context));
    const HWND hwnd = frame.GetSafeHwnd();
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(100, 0), 0);  // the frame's own
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(300, 1), 0);  // nobody's but the app's
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(200, 1), 0);  // disabled: refused
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(201, 0), 0);  // enabled: the app takes it
    EXPECT_EQ(frame.commands, std::vector<UINT>{100});
    EXPECT_EQ(app.commands, (std::vector<UINT>{300, 201}));
    EXPECT_FALSE(frame.IsCommandEnabled(200));
    EXPECT_TRUE(frame.IsCommandEnabled(201));
    EXPECT_TRUE(frame.IsCommandEnabled(202));  // nobody decides

    // A control's notification is never refused, even with a disabled id.
    const HWND combo =
        CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 50, 100, hwnd,
                        reinterpret_cast<HMENU>(200), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(200, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(frame.notifications, std::vector<UINT>{CBN_SELENDOK});
    frame.DestroyWindow();
}

// Data exchange: the members of the test dialog, in exchange order.
class CExchangeDialog : public CDialog {
public:
    CExchangeDialog() : CDialog(100) {}
    int first = 1;
    float second = 2.5f;
    int third = 3;
    double fourth = 0.1;
    int radio = 1;
    int check = 1;
    int combo = 1;

protected:
    void OnApplyInitData() override {
        for (const wchar_t* entry : {L"zero", L"one", L"two"}) {
            SendDlgItemMessageW(GetSafeHwnd(), 305, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(entry));
        }
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, 201, first);
        DDX_Text(pDX, 202, second);
        DDX_Text(pDX, 203, third);
        DDX_Text(pDX, 204, fourth);
        DDX_Radio(pDX, 303, radio);
        DDX_Check(pDX, 304, check);
        DDX_CBIndex(pDX, 305, combo);
    }
};

struct CapturedBoxes {
    std::vector<std::wstring> texts;
    std::vector<bool> reportingFlags;
    CExchangeDialog* dialog = nullptr;
};
CapturedBoxes g_boxes;

int CaptureBox(HWND, const std::wstring& text, const std::wstring&, UINT) {
    g_boxes.texts.push_back(text);
    g_boxes.reportingFlags.push_back(g_boxes.dialog != nullptr &&
                                     g_boxes.dialog->IsReportingFailure());
    return IDOK;
}

class Exchange : public testing::Test {
protected:
    void SetUp() override {
        g_boxes = CapturedBoxes{};
        g_boxes.dialog = &dialog;
        previous = SetMessageBoxFunction(CaptureBox);
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
    }
    void TearDown() override {
        dialog.DestroyWindow();
        SetMessageBoxFunction(previous);
    }
    CWndHandle Item(int id) const { return CWndHandle(dialog.GetSafeHwnd()).Item(id); }

    CExchangeDialog dialog;
    MessageBoxFunction previous = nullptr;
};

TEST_F(Exchange, InitialisationWritesTheMembersIntoTheControls) {
    EXPECT_EQ(Item(201).Text(), L"1");
    EXPECT_EQ(Item(202).Text(), L"2.5");
    EXPECT_EQ(Item(204).Text(), L"0.1");
    // Index 1 is the second radio in template order (id 301), not id order.
    EXPECT_EQ(Item(301).Send(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Item(303).Send(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Item(302).Send(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Item(304).Send(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Item(305).Send(CB_GETCURSEL), 1);
    EXPECT_TRUE(g_boxes.texts.empty());
}

TEST_F(Exchange, ReadsEveryKindBack) {
    Item(201).SetText(L" -7 ");
    Item(202).SetText(L"1e-1");
    Item(203).SetText(L"+9");
    Item(204).SetText(L"0.25");
    SendMessageW(Item(302).Get(), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(301).Get(), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Item(304).Get(), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Item(305).Get(), CB_SETCURSEL, 2, 0);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.first, -7);
    EXPECT_FLOAT_EQ(dialog.second, 0.1f);
    EXPECT_EQ(dialog.third, 9);
    EXPECT_DOUBLE_EQ(dialog.fourth, 0.25);
    EXPECT_EQ(dialog.radio, 2);
    EXPECT_EQ(dialog.check, 0);
    EXPECT_EQ(dialog.combo, 2);
    // No radio checked reads as -1; a check value out of range is shown unchecked.
    SendMessageW(Item(302).Get(), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.radio, -1);
    dialog.check = 7;
    dialog.UpdateData(false);
    EXPECT_EQ(Item(304).Send(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_TRUE(g_boxes.texts.empty());
}

TEST_F(Exchange, AParseFailureStopsAtTheFailingEdit) {
    Item(201).SetText(L"12");
    Item(202).SetText(L"nan");
    Item(203).SetText(L"77");
    Item(204).SetText(L"x");
    SetFocus(Item(201).Get());
    EXPECT_FALSE(dialog.UpdateData(true));
    // Earlier members took their values; the failing one and all later ones did not.
    EXPECT_EQ(dialog.first, 12);
    EXPECT_FLOAT_EQ(dialog.second, 2.5f);
    EXPECT_EQ(dialog.third, 3);
    EXPECT_DOUBLE_EQ(dialog.fourth, 0.1);
    // One box, about a number, shown while the dialog reports it.
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_EQ(g_boxes.texts[0], kParseNumberFailure);
    EXPECT_TRUE(g_boxes.reportingFlags[0]);
    EXPECT_FALSE(dialog.IsReportingFailure());
    // Focus on the failing edit with all of its text selected.
    EXPECT_EQ(GetFocus(), Item(202).Get());
    DWORD start = 99;
    DWORD end = 99;
    SendMessageW(Item(202).Get(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);
}

TEST_F(Exchange, AnIntegerFailureHasItsOwnText) {
    Item(201).SetText(L"2147483648");  // one past the range: refused, not clamped
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.first, 1);
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_EQ(g_boxes.texts[0], kParseIntFailure);
    EXPECT_EQ(GetFocus(), Item(201).Get());
}

TEST_F(Exchange, ARefusalFocusesNoHiddenEditAndIsNotSaidWhileTheProgramCloses) {
    CTestApp app;
    Item(203).SetText(L"x");
    SetFocus(Item(201).Get());
    // Hidden (its page switched away): said, but the focus stays out of it.
    dialog.ShowWindow(SW_HIDE);
    EXPECT_FALSE(dialog.UpdateData(true));
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_NE(GetFocus(), Item(203).Get());
    // Closing: the focus leaves because the windows go; nobody is entering a value.
    dialog.ShowWindow(SW_SHOW);
    app.SetClosing(true);
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.third, 3);
    EXPECT_EQ(g_boxes.texts.size(), 1u);
    app.SetClosing(false);
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(g_boxes.texts.size(), 2u);
    EXPECT_EQ(GetFocus(), Item(203).Get());
}

// The dialog procedure hands a handled message's result back in one of two ways: a few
// messages' results are the procedure's own return value, every other one goes through
// DWLP_MSGRESULT. The dialog manager reads each from its place only, so a message on the
// wrong list loses its answer.
class CAnsweringDialog : public CDialog {
public:
    CAnsweringDialog(UINT templateId, BOOL initAnswer)
        : CDialog(templateId), m_initAnswer(initAnswer) {}
    LRESULT answer = 0;  // to every message it handles

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        return m_initAnswer;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC:
            case WM_COMPAREITEM:
            case WM_VKEYTOITEM:
            case WM_CHARTOITEM:
            case WM_QUERYDRAGICON:
            case WM_ERASEBKGND:
            case WM_NCHITTEST:
            case kPing:
                return answer;
            default:
                return CDialog::WindowProc(msg, wParam, lParam);
        }
    }

private:
    const BOOL m_initAnswer;
};

TEST(DialogResults, EachHandledAnswerReachesTheCallerFromItsOwnPlace) {
    CAnsweringDialog dialog(100, TRUE);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND hwnd = dialog.GetSafeHwnd();
    const HWND edit = GetDlgItem(hwnd, 201);
    const HDC dc = GetDC(hwnd);
    COMPAREITEMSTRUCT compare = {};
    compare.CtlType = ODT_LISTBOX;
    compare.hwndItem = edit;
    struct Case {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    const auto wdc = reinterpret_cast<WPARAM>(dc);
    const auto ledit = reinterpret_cast<LPARAM>(edit);
    const Case direct[] = {{WM_CTLCOLORMSGBOX, wdc, ledit},
                           {WM_CTLCOLOREDIT, wdc, ledit},
                           {WM_CTLCOLORLISTBOX, wdc, ledit},
                           {WM_CTLCOLORBTN, wdc, ledit},
                           {WM_CTLCOLORDLG, wdc, reinterpret_cast<LPARAM>(hwnd)},
                           {WM_CTLCOLORSCROLLBAR, wdc, ledit},
                           {WM_CTLCOLORSTATIC, wdc, ledit},
                           {WM_COMPAREITEM, 201, reinterpret_cast<LPARAM>(&compare)},
                           {WM_VKEYTOITEM, MAKEWPARAM(VK_DOWN, 0), ledit},
                           {WM_CHARTOITEM, MAKEWPARAM('a', 0), ledit},
                           {WM_QUERYDRAGICON, 0, 0}};
    const Case throughResult[] = {
        {WM_ERASEBKGND, wdc, 0}, {WM_NCHITTEST, 0, MAKELPARAM(10, 10)}, {kPing, 0, 0}};
    // The dialog manager clears the message result before each call: an answer left there
    // for a direct message, or returned for another, is lost.
    LRESULT answer = 0x4000;
    for (const Case& c : direct) {
        dialog.answer = ++answer;  // a brush, an order, an item, an icon: any value
        EXPECT_EQ(SendMessageW(hwnd, c.msg, c.wParam, c.lParam), answer) << std::hex << c.msg;
    }
    for (const Case& c : throughResult) {
        dialog.answer = ++answer;
        EXPECT_EQ(SendMessageW(hwnd, c.msg, c.wParam, c.lParam), answer) << std::hex << c.msg;
        EXPECT_EQ(GetWindowLongPtrW(hwnd, DWLP_MSGRESULT), answer) << std::hex << c.msg;
    }
    ReleaseDC(hwnd, dc);
    dialog.DestroyWindow();
}

TEST(DialogResults, AnInitialisationAnsweringFalseKeepsTheFocusWhereItIs) {
    CAnsweringDialog owner(100, TRUE);
    ASSERT_TRUE(owner.CreateModeless(nullptr));
    const HWND ownerEdit = GetDlgItem(owner.GetSafeHwnd(), 202);
    SetFocus(ownerEdit);
    ASSERT_EQ(GetFocus(), ownerEdit);
    // A page created inside leaves the focus alone...
    CAnsweringDialog keeps(102, FALSE);
    ASSERT_TRUE(keeps.CreateModeless(owner.GetSafeHwnd()));
    EXPECT_EQ(GetFocus(), ownerEdit);
    // ... unless its initialisation asks for the dialog manager's first control.
    CAnsweringDialog takes(102, TRUE);
    ASSERT_TRUE(takes.CreateModeless(owner.GetSafeHwnd()));
    EXPECT_EQ(GetFocus(), GetDlgItem(takes.GetSafeHwnd(), 501));
    takes.DestroyWindow();
    keeps.DestroyWindow();
    owner.DestroyWindow();
}

// Where a dialog stands once its initialisation is over: it notes its rectangle and ends.
// Given a place, its own initialisation puts it there.
class CPlacementDialog : public CDialog {
public:
    CPlacementDialog(UINT templateId, const POINT* place) : CDialog(templateId), m_place(place) {}
    RECT seen = {};

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        if (m_place != nullptr) {
            SetWindowPos(GetSafeHwnd(), nullptr, m_place->x, m_place->y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
        }
        PostMessageW(GetSafeHwnd(), kPing, 0, 0);
        return result;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != kPing) return CDialog::WindowProc(msg, wParam, lParam);
        seen = CWndHandle(GetSafeHwnd()).WindowRect();
        EndDialog(IDOK);
        return 0;
    }

private:
    const POINT* const m_place;
};

// Twice the centre, so that no half pixel is lost.
POINT DoubledCentre(const RECT& rect) { return {rect.left + rect.right, rect.top + rect.bottom}; }

TEST(DialogPlacement, AModalDialogOpensCentredOverItsOwnerUnlessItPlacedItself) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CProbeWnd owner;
    ASSERT_TRUE(RegisterTestClass(L"PlacementOwner"));
    // Off the screen's centre, where a dialog centred on the screen would also be.
    ASSERT_TRUE(owner.Create(L"PlacementOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             RECT{work.left + 30, work.top + 40, work.left + 630, work.top + 500},
                             nullptr, 0));
    const HWND ownerHwnd = owner.GetSafeHwnd();
    const POINT ownerCentre = DoubledCentre(CWndHandle(ownerHwnd).WindowRect());

    CPlacementDialog centred(100, nullptr);
    ASSERT_EQ(centred.DoModal(ownerHwnd), IDOK);
    EXPECT_LE(std::abs(DoubledCentre(centred.seen).x - ownerCentre.x), 2);
    EXPECT_LE(std::abs(DoubledCentre(centred.seen).y - ownerCentre.y), 2);

    const POINT place = {work.left + 7, work.top + 9};
    CPlacementDialog placed(100, &place);
    ASSERT_EQ(placed.DoModal(ownerHwnd), IDOK);
    EXPECT_EQ(placed.seen.left, place.x);
    EXPECT_EQ(placed.seen.top, place.y);

    // A hidden owner gives no place to centre over: the work area does.
    ShowWindow(ownerHwnd, SW_HIDE);
    CPlacementDialog overScreen(100, nullptr);
    ASSERT_EQ(overScreen.DoModal(ownerHwnd), IDOK);
    EXPECT_LE(std::abs(DoubledCentre(overScreen.seen).x - DoubledCentre(work).x), 2);
    EXPECT_LE(std::abs(DoubledCentre(overScreen.seen).y - DoubledCentre(work).y), 2);
    ShowWindow(ownerHwnd, SW_SHOWNA);

    // A page inside the owner stays where its template puts it.
    CPlacementDialog page(102, nullptr);
    ASSERT_TRUE(page.CreateModeless(ownerHwnd));
    const RECT inParent = CWndHandle(page.GetSafeHwnd()).RectInParent();
    EXPECT_EQ(inParent.left, 0);
    EXPECT_EQ(inParent.top, 0);
    page.DestroyWindow();
    owner.DestroyWindow();
}

// Keyboard pre-translation: inside a page its dialog keys come first and the frame's
// accelerators never see the key; elsewhere in the view or frame they do.
class CTestForm : public CFormView {
public:
    CTestForm() : CFormView(101) {}
    static const CRuntimeClass classCTestForm;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCTestForm; }
};
const CRuntimeClass CTestForm::classCTestForm = {"CTestForm", &CFormView::classCFormView,
                                                 CreateDynamic<CTestForm>};

TEST(KeyboardRouting, APagesDialogKeysComeBeforeTheFramesAccelerators) {
    CTestApp app;
    CFrameWnd frame;
    CCreateContext context;
    context.m_pNewViewClass = &CTestForm::classCTestForm;
    ASSERT_TRUE(frame.LoadFrame(1, WS_OVERLAPPEDWINDOW, &context));
    app.m_pMainWnd = &frame;
    CFormView* const view = frame.GetActiveView();
    ASSERT_NE(view, nullptr);
    CDialog page(102);
    ASSERT_TRUE(page.CreateModeless(view->GetSafeHwnd()));

    const auto press = [&](HWND target) {
        MSG msg = {target, WM_KEYDOWN, VK_F5, 0x003F0001, GetTickCount(), {}};
        return app.PreTranslateMessage(&msg);
    };
    const HWND pageEdit = GetDlgItem(page.GetSafeHwnd(), 501);
    const HWND viewEdit = GetDlgItem(view->GetSafeHwnd(), 401);
    EXPECT_TRUE(press(pageEdit));  // taken by the page's dialog handling
    EXPECT_TRUE(app.commands.empty());
    EXPECT_TRUE(press(viewEdit));
    EXPECT_EQ(app.commands, std::vector<UINT>{999});
    EXPECT_TRUE(press(frame.GetSafeHwnd()));
    EXPECT_EQ(app.commands, (std::vector<UINT>{999, 999}));
    // Not a key: nothing to pre-translate.
    MSG click = {pageEdit, WM_LBUTTONDOWN, 0, 0, 0, {}};
    EXPECT_FALSE(app.PreTranslateMessage(&click));

    page.DestroyWindow();
    app.m_pMainWnd = nullptr;
    frame.DestroyWindow();
}

// The focus never stays in a hidden window: a page hidden with it inside hands it to the
// view's first visible, enabled tab stop (into visible pages), the view given the focus
// does the same, and a key that still reaches a hidden window is dropped.
TEST(Focus, LeavesHiddenWindowsForTheFirstVisibleTabStop) {
    CTestApp app;
    CFrameWnd frame;
    CCreateContext context;
    context.m_pNewViewClass = &CTestForm::classCTestForm;
    ASSERT_TRUE(frame.LoadFrame(1, WS_OVERLAPPEDWINDOW, &context));
    app.m_pMainWnd = &frame;
    frame.ShowWindow(SW_SHOW);
    SetForegroundWindow(frame.GetSafeHwnd());
    const HWND view = frame.GetActiveView()->GetSafeHwnd();
    CDialog hiddenPage(102);
    CDialog shownPage(102);
    ASSERT_TRUE(hiddenPage.CreateModeless(view));
    ASSERT_TRUE(shownPage.CreateModeless(view));
    const HWND viewEdit = GetDlgItem(view, 401);
    const HWND hiddenEdit = GetDlgItem(hiddenPage.GetSafeHwnd(), 501);
    const HWND shownEdit = GetDlgItem(shownPage.GetSafeHwnd(), 501);

    SetFocus(hiddenEdit);
    ASSERT_EQ(GetFocus(), hiddenEdit);
    hiddenPage.ShowWindow(SW_HIDE);
    EXPECT_EQ(GetFocus(), viewEdit);

    // The view's own edit hidden: the first tab stop of the visible page, also when the
    // frame hands the focus to the view (whose dialog manager remembers the hidden edit).
    hiddenPage.ShowWindow(SW_SHOW);
    SetFocus(hiddenEdit);
    ShowWindow(viewEdit, SW_HIDE);
    hiddenPage.ShowWindow(SW_HIDE);
    EXPECT_EQ(GetFocus(), shownEdit);
    SetFocus(frame.GetSafeHwnd());
    EXPECT_EQ(GetFocus(), shownEdit);
    // No visible, enabled tab stop left: the view itself.
    EnableWindow(shownEdit, FALSE);
    SetFocus(frame.GetSafeHwnd());
    EXPECT_EQ(GetFocus(), view);
    EnableWindow(shownEdit, TRUE);

    // A window hidden under a plain parent keeps the focus; its key is not translated.
    const HWND box = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, view,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    const HWND boxEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, box,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
    SetFocus(boxEdit);
    ShowWindow(box, SW_HIDE);
    ASSERT_EQ(GetFocus(), boxEdit);
    MSG key = {boxEdit, WM_KEYDOWN, 'A', 0x001E0001, GetTickCount(), {}};
    EXPECT_TRUE(app.PreTranslateMessage(&key));
    EXPECT_EQ(GetFocus(), shownEdit);

    hiddenPage.DestroyWindow();
    shownPage.DestroyWindow();
    app.m_pMainWnd = nullptr;
    frame.DestroyWindow();
}

TEST(ExchangeDialogLifetime, AnOpenModelessDialogGoesWithItsObject) {
    HWND hwnd = nullptr;
    {
        CExchangeDialog dialog;
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        hwnd = dialog.GetSafeHwnd();
        EXPECT_EQ(CWnd::FromHandle(hwnd), &dialog);
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Frame, KeepsTheStatusBarAtTheBottomAfterASizeChange) {
    CTestApp app;
    CFrameWnd frame;
    CCreateContext context;
    ASSERT_TRUE(frame.LoadFrame(1, WS_OVERLAPPEDWINDOW, &context));
    const HWND status = CreateWindowExW(
        0, L"msctls_statusbar32", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame.GetSafeHwnd(),
        reinterpret_cast<HMENU>(AFX_IDW_STATUS_BAR), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(status, nullptr);
    SetWindowPos(frame.GetSafeHwnd(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client = CWndHandle(frame.GetSafeHwnd()).ClientRect();
    const RECT bar = CWndHandle(status).RectInParent();
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.right - bar.left, client.right);
    frame.DestroyWindow();
}

}  // namespace
