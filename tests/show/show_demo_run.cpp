// A short scripted operator run of the demonstration program, for a display without a
// person in front of it (Xvfb): start on one simulated card, choose the card and an axis,
// rest the mouse on a tool-bar button until its tool tip shows, open the about box, show
// the configuration page (which opens the card) and check an interrupt condition, close.
// Screenshots go to the directory given; their Unix paths are printed.
//   show_demo_run.exe <Vorn_305q_show.exe> <screenshot directory>
#include <windows.h>

#include <cstdio>
#include <string>

#include "gui_driver.h"

namespace {

const wchar_t kTitle[] = L"Kestrin运动控制卡(MCP305q) - ver1.0";
constexpr DWORD kWait = 20000;

std::wstring g_shots;
int g_failures = 0;

void Say(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
    std::fflush(stdout);
}

void Shot(const wchar_t* name) {
    const std::wstring path = g_shots + L"\\" + name + L".png";
    if (TakeScreenshot(path)) {
        Say(L"screenshot " + ToUnixPath(path));
    } else {
        Say(L"screenshot " + std::wstring(name) + L" failed");
        ++g_failures;
    }
}

void Fail(const std::wstring& what) {
    Say(L"demo run: " + what);
    ++g_failures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: show_demo_run <Vorn_305q_show.exe> <screenshot dir>\n");
        return 2;
    }
    g_shots = ToWindowsPath(argv[2]);
    CreateDirectoryW(g_shots.c_str(), nullptr);

    CLaunchOptions options;
    options.exePath = argv[1];
    options.simulatedCards = 1;
    CGuiProcess program(options);
    if (!program.Started()) {
        Fail(L"cannot start the program: " + program.StartError());
        return 1;
    }
    HWND frame = program.WaitForTopLevel(kTitle, kWait);
    HWND card = frame ? FindChild(frame, 32777) : nullptr;
    HWND axis = frame ? FindChild(frame, 32778) : nullptr;
    if (!frame || !card || !axis ||
        !WaitUntil([&] { return !ComboEntries(card).empty(); }, kWait)) {
        Fail(L"the main window with its selectors did not appear");
        return 1;
    }
    Say(L"main window up, card selector: " + ComboEntries(card).front());
    Shot(L"01-main-window");

    ChooseComboEntry(card, 0);
    ChooseComboEntry(axis, 2);
    UpdateWindow(frame);
    Say(L"chose " + WindowText(card) + L", " + WindowText(axis));
    Shot(L"02-axis-chosen");

    // Rest the pointer on the first command button until its tool tip shows. The button
    // follows the axis selector's slot, which ends where the selector ends (tool-bar
    // rectangles cannot be asked for across processes).
    const RECT selector = WindowRect(axis);
    SetForegroundWindow(frame);
    const int x = selector.right + 11;
    const int y = (selector.top + selector.bottom) / 2;
    SetCursorPos(x - 2, y);
    SetCursorPos(x, y);
    const bool tip = WaitUntil(
        [&] {
            for (HWND hwnd : program.TopLevelWindows(L"tooltips_class32"))
                if (IsVisible(hwnd) && !WindowText(hwnd).empty()) return true;
            return false;
        },
        5000, 50);
    Say(tip ? L"tool tip shown" : L"no tool tip appeared");
    Shot(L"03-tool-tip");
    SetCursorPos(5, 5);

    PostMessageW(frame, WM_COMMAND, 57664, 0);
    if (HWND about = program.WaitForDialog(kWait, L"关于 Vorn_305q_show")) {
        Shot(L"04-about-box");
        CloseDialog(about);
        WaitUntil([&] { return program.Dialogs().empty(); }, kWait);
    } else {
        Fail(L"the about box did not appear");
    }

    // 配置: the card opens and the axis's configuration is shown and summarised.
    SendMessageW(frame, WM_COMMAND, 32771, 0);
    HWND heading = FindChild(frame, 1032);
    HWND page = heading ? GetParent(heading) : nullptr;
    if (page && IsVisible(page)) {
        Click(GetDlgItem(page, 1031));  // interrupt when a drive ends
        UpdateWindow(frame);
        std::wstring title = PaintedText(heading);
        if (!title.empty() && title.back() == L'\n') title.pop_back();
        Say(L"configuration page: " + title);
        Shot(L"05-config-page");
    } else {
        Fail(L"the configuration page did not appear");
    }

    program.Close(frame);
    DWORD code = 0;
    if (!program.WaitForExit(kWait, &code)) {
        Fail(L"the program did not end after WM_CLOSE");
    } else if (code != 0) {
        Fail(L"the program ended with exit code " + std::to_wstring(code));
    }
    for (const std::wstring& line : program.MessageLogLines()) Say(L"card message: " + line);
    Say(g_failures ? L"demo run finished with failures" : L"demo run finished");
    return g_failures ? 1 : 0;
}
