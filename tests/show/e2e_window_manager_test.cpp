// The demonstration program's frame under a window manager (openbox, started around this
// test), with the manager's decorations and without them: whatever the manager is asked
// (maximize, another size, a double-click on its caption, a drag of a border) the frame
// keeps its recorded outer size, its X window keeps the size that shows exactly the frame,
// a border drag does not move it, and its styles stay those of a sizable frame. After each
// request the screen is saved for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "unix_shell.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;
const wchar_t kTraceSizeKept[] = L"frame size kept";

// What a shell command of the host printed (empty when it failed).
std::string HostOutput(const std::string& command) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring path =
        std::wstring(temp) + L"host-output-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(path.c_str());
    const std::string unixPath = UnixPathOf(path);
    if (unixPath.empty() || RunUnixShell(command + " > '" + unixPath + "' 2>&1") != 0) return {};
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (file.Get() != INVALID_HANDLE_VALUE &&
           ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    file.Reset();
    DeleteFileW(path.c_str());
    return text;
}

// The number after label in text, or -1.
int NumberAfter(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

// An X window as the X server and the window manager see it.
struct XWindow {
    int x = -1;  // upper-left corner on the screen
    int y = -1;
    int width = -1;
    int height = -1;
    bool maximized = false;  // in the manager's maximized state
};

XWindow QueryXWindow(const std::string& id) {
    XWindow window;
    const std::string info = HostOutput("xwininfo -id " + id);
    window.x = NumberAfter(info, "Absolute upper-left X:");
    window.y = NumberAfter(info, "Absolute upper-left Y:");
    window.width = NumberAfter(info, "Width:");
    window.height = NumberAfter(info, "Height:");
    window.maximized =
        HostOutput("xprop -id " + id + " _NET_WM_STATE").find("MAXIMIZED") != std::string::npos;
    return window;
}

std::string Describe(const RECT& rect, const XWindow& x) {
    char text[160];
    std::snprintf(text, sizeof text, "frame %ld,%ld %ldx%ld; X window %d,%d %dx%d%s", rect.left,
                  rect.top, rect.right - rect.left, rect.bottom - rect.top, x.x, x.y, x.width,
                  x.height, x.maximized ? " maximized" : "");
    return text;
}

// The frame's X window: Wine keeps its id as a property of the window.
std::string XWindowId(HWND hwnd) {
    const auto id = reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"__wine_x11_whole_window"));
    return id == 0 ? std::string() : std::to_string(id);
}

// A drag with the left button from (x, y) by (dx, dy), in two steps as a hand would.
std::string Drag(int x, int y, int dx, int dy) {
    const auto point = [](int px, int py) { return std::to_string(px) + " " + std::to_string(py); };
    return "xdotool mousemove " + point(x, y) + " sleep 0.2 mousedown 1 mousemove " +
           point(x + dx / 2, y + dy / 2) + " sleep 0.3 mousemove " + point(x + dx, y + dy) +
           " sleep 0.3 mouseup 1 mousemove 5 5";
}

class WindowManagerTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        // Read by Wine's display driver when a program starts.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const wchar_t* const value = Decorated() ? L"Y" : L"N";
        RegSetValueExW(key, L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        RunUnixShell("mkdir -p '" + std::string(VORN_SCREENSHOT_DIR) + "'");
    }

    void TearDown() override {
        m_program.reset();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Decorated");
    }

    bool Decorated() const { return GetParam(); }

    void Screenshot(int step, const std::string& name) {
        const std::string file = std::string(VORN_SCREENSHOT_DIR) + "/" +
                                 (Decorated() ? "decorated-" : "undecorated-") +
                                 std::to_string(step) + "-" + name + ".png";
        EXPECT_TRUE(TakeScreenshot(Utf8ToWide(file))) << file;
    }

    std::unique_ptr<CGuiProcess> m_program;
};

TEST_P(WindowManagerTest, TheFrameKeepsItsSizeWhateverTheManagerIsAsked) {
    CLaunchOptions options;
    options.exePath = Utf8ToWide(VORN_SHOW_EXE);
    m_program = std::make_unique<CGuiProcess>(options);
    ASSERT_TRUE(m_program->Started());
    HWND frame = m_program->WaitForTopLevel(kShowTitle, kWait);
    ASSERT_NE(frame, nullptr) << DumpLines(m_program->TraceLines());
    HWND card = FindChild(frame, ID_CARD_SELECTOR);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(card, CB_GETCOUNT, 0, 0) > 0; }, kWait));
    const std::string id = XWindowId(frame);
    ASSERT_FALSE(id.empty());
    // Managed: the manager lists it among its windows.
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%08lx", std::stoul(id));
    ASSERT_TRUE(WaitUntil([&] { return HostOutput("wmctrl -l").find(hex) != std::string::npos; },
                          kWait, 100))
        << HostOutput("wmctrl -l");
    ASSERT_TRUE(WaitForQueueHandled(frame, kWait));

    const RECT start = WindowRect(frame);
    const LONG width = start.right - start.left;
    const LONG height = start.bottom - start.top;
    const XWindow startX = QueryXWindow(id);
    ASSERT_FALSE(startX.maximized);
    // The X window shows the whole frame, or, with the manager's caption and borders, the
    // part inside Wine's own.
    if (Decorated()) {
        EXPECT_EQ(startX.width, ClientRect(frame).right);
        EXPECT_GT(startX.height, ClientRect(frame).bottom);
        EXPECT_LT(startX.height, height);
    } else {
        EXPECT_EQ(startX.width, width);
        EXPECT_EQ(startX.height, height);
    }
    const POINT offset = {startX.x - start.left, startX.y - start.top};
    // The frame at its recorded size, and the X window showing exactly it, as at the start.
    const auto matches = [&](const RECT& frameRect, const XWindow& x) {
        return frameRect.right - frameRect.left == width &&
               frameRect.bottom - frameRect.top == height && !x.maximized &&
               x.width == startX.width && x.height == startX.height &&
               x.x - frameRect.left == offset.x && x.y - frameRect.top == offset.y;
    };
    Screenshot(0, "start");

    struct Request {
        const char* name;
        bool keepsPlace;  // a maximize may move the frame; openbox shifts one it sizes
        std::string (*command)(const std::string& id, const XWindow& x, bool decorated);
    };
    const std::vector<Request> requests = {
        {"maximize", false,
         [](const std::string& id, const XWindow&, bool) {
             return "wmctrl -i -r " + id + " -b add,maximized_vert,maximized_horz";
         }},
        {"resize", false,
         [](const std::string& id, const XWindow&, bool) {
             return "wmctrl -i -r " + id + " -e 0,-1,-1,1100,800";
         }},
        // Without decorations the caption is Wine's; a double-click on it maximizes nothing
        // under openbox, fixed size or not.
        {"caption-double-click", false,
         [](const std::string&, const XWindow& x, bool decorated) {
             if (!decorated) return std::string();
             return "xdotool mousemove " + std::to_string(x.x + 300) + " " +
                    std::to_string(x.y - 10) + " click --repeat 2 --delay 80 1 mousemove 5 5";
         }},
        // openbox's grips are in the handle under the window; Wine's border is inside it.
        {"right-border-drag", true,
         [](const std::string&, const XWindow& x, bool decorated) {
             return decorated ? Drag(x.x + x.width - 3, x.y + x.height + 2, 120, 80)
                              : Drag(x.x + x.width - 2, x.y + x.height - 2, 120, 80);
         }},
        {"left-border-drag", true,
         [](const std::string&, const XWindow& x, bool decorated) {
             return decorated ? Drag(x.x + 3, x.y + x.height + 2, -120, 80)
                              : Drag(x.x + 2, x.y + x.height - 2, -120, 80);
         }},
    };
    int step = 0;
    for (const Request& request : requests) {
        SCOPED_TRACE(request.name);
        ++step;
        // Each request from the frame's start (a maximize may have moved it), with the
        // manager's window as it was then, should a request before not have been undone.
        ASSERT_EQ(RunUnixShell("wmctrl -i -r " + id + " -b remove,maximized_vert,maximized_horz"),
                  0);
        SetWindowPos(frame, nullptr, start.left, start.top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(
            WaitUntil([&] { return matches(WindowRect(frame), QueryXWindow(id)); }, kWait, 100))
            << Describe(WindowRect(frame), QueryXWindow(id));
        const RECT before = WindowRect(frame);
        const XWindow beforeX = QueryXWindow(id);
        const std::string command = request.command(id, beforeX, Decorated());
        if (command.empty()) continue;
        const size_t lines = m_program->TraceLines().size();
        ASSERT_EQ(RunUnixShell(command), 0) << command;
        // The request reached the frame, as a size it refused.
        EXPECT_GE(m_program->WaitForTraceLine(kTraceSizeKept, lines, kWait), 0)
            << "no sign of the request in the program's trace; " << Describe(before, beforeX);
        const auto settled = [&] {
            return !IsZoomed(frame) && matches(WindowRect(frame), QueryXWindow(id));
        };
        const bool kept = WaitUntil(settled, kWait, 100);
        // And it stays so: room for a further move by the manager, then the program has
        // handled whatever that brought before the frame is judged again.
        Sleep(500);
        ASSERT_TRUE(WaitForQueueHandled(frame, kWait));
        const RECT now = WindowRect(frame);
        const XWindow x = QueryXWindow(id);
        EXPECT_TRUE(kept && settled())
            << Describe(now, x) << "; at the start " << Describe(start, startX);
        if (request.keepsPlace) {
            EXPECT_EQ(now.left, before.left);
            EXPECT_EQ(now.top, before.top);
        }
        Screenshot(step, request.name);
    }
    const LONG style = GetWindowLongW(frame, GWL_STYLE);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_NE(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(WindowText(frame), kShowTitle);

    m_program->Close(frame);
    DWORD code = ~0u;
    ASSERT_TRUE(m_program->WaitForExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(Decorations, WindowManagerTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Decorated" : "Undecorated";
                         });

}  // namespace
