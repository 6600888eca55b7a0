// A small program for the driver's own tests, shaped like the demonstration program: a
// titled frame whose tool bar holds a combo box and two command buttons, a push button
// that shows a message box, a disabled button, an edit, a hidden static, Ctrl+S opening a
// save dialog, a command that keeps it busy and one that starts a 200 ms timer.
// Everything it hears goes to the trace file named by VORN_SHOW_TRACE; it
// writes one line into the card-message log and the chip trace, and exits with the code
// in GUIKIT_EXIT_CODE. "/nowindow" ends it at once.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "gui_fixture_ids.h"

namespace {

constexpr int kToolBar = 0xE800;
using namespace fixture_ids;
constexpr UINT_PTR kTimer = 7;
constexpr DWORD kBusyMs = 700;

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? value : L"";
}

void AppendUtf8(const std::wstring& path, const std::wstring& line) {
    if (path.empty()) return;
    const std::wstring text = line + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
    if (FILE* file = _wfopen(path.c_str(), L"ab")) {
        std::fputs(bytes.c_str(), file);
        std::fclose(file);
    }
}

void Trace(const std::wstring& line) { AppendUtf8(Env(L"VORN_SHOW_TRACE"), line); }

void SaveAs(HWND owner) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"All files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn)) {
        Trace(L"save cancelled");
        return;
    }
    HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    Trace(std::wstring(L"saved ") + file);
}

HWND CreateToolBar(HWND frame) {
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_TOP, 0, 0, 0, 0, frame,
                               reinterpret_cast<HMENU>(kToolBar), nullptr, nullptr);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[3] = {};
    buttons[0].iBitmap = 100;
    buttons[0].idCommand = kCombo;
    buttons[0].fsStyle = BTNS_SEP;
    buttons[1].iBitmap = I_IMAGENONE;
    buttons[1].idCommand = kEnabledCommand;
    buttons[1].fsState = TBSTATE_ENABLED;
    buttons[2].iBitmap = I_IMAGENONE;
    buttons[2].idCommand = kDisabledCommand;
    buttons[2].fsState = 0;
    SendMessageW(bar, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons));
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    RECT slot = {};
    SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&slot));
    HWND combo = CreateWindowExW(0, L"COMBOBOX", nullptr, 0x50000243, slot.left, slot.top - 1,
                                 slot.right - slot.left, slot.bottom - slot.top + 200, bar,
                                 reinterpret_cast<HMENU>(kCombo), nullptr, nullptr);
    for (const wchar_t* entry : {L"甲", L"乙", L"丙"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return bar;
}

void CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int y, int id) {
    CreateWindowExW(0, cls, text, WS_CHILD | style, 10, y, 160, 24, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            CreateToolBar(hwnd);
            CreateChild(hwnd, L"BUTTON", L"弹出", WS_VISIBLE | BS_PUSHBUTTON, 40, kBoxButton);
            CreateChild(hwnd, L"BUTTON", L"不可用", WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, 70,
                        kDisabledButton);
            CreateChild(hwnd, L"EDIT", L"", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 100, kEdit);
            CreateChild(hwnd, L"STATIC", L"隐藏", 0, 130, kHidden);
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == kCombo && code == CBN_SELENDOK) {
                const LRESULT index =
                    SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
                Trace(L"selendok " + std::to_wstring(id) + L" " + std::to_wstring(index));
            } else if (id == kBoxButton && code == BN_CLICKED) {
                const int answer = MessageBoxW(hwnd, L"你好，驱动", L"GuiKit", MB_OKCANCEL);
                Trace(L"box answered " + std::to_wstring(answer));
            } else if (id == kBusyCommand) {
                Sleep(kBusyMs);
                Trace(L"busy done");
            } else if (id == kTimerCommand) {
                SetTimer(hwnd, kTimer, 200, nullptr);
                Trace(L"timer set");
            } else if (id == kSave) {
                SaveAs(hwnd);
            } else if (code == 0 || code == 1) {
                Trace(L"command " + std::to_wstring(id));
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimer) {
                KillTimer(hwnd, kTimer);
                Trace(L"tick");
            }
            return 0;
        case WM_DESTROY:
            Trace(L"destroyed");
            PostQuitMessage(_wtoi(Env(L"GUIKIT_EXIT_CODE").c_str()));
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    Trace(L"start simulator=" + Env(L"VORN305Q_SIMULATOR") + L" extra=" + Env(L"GUIKIT_EXTRA"));
    AppendUtf8(Env(L"VORN305Q_MSGBOX_LOG"), L"Kestrin: 测试消息");
    AppendUtf8(Env(L"VORN305Q_SIM_TRACE"), L"0 W 0x00 0x0001");
    if (std::wcsstr(commandLine, L"/nowindow")) return 7;

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"GuiKitFixture";
    RegisterClassW(&wc);
    HWND frame = CreateWindowExW(0, wc.lpszClassName, L"驱动测试窗口", WS_OVERLAPPEDWINDOW, 100,
                                 100, 400, 300, nullptr, nullptr, instance, nullptr);
    ACCEL accel = {FVIRTKEY | FCONTROL, 'S', kSave};
    HACCEL table = CreateAcceleratorTableW(&accel, 1);
    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
    Trace(L"shown");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(frame, table, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyAcceleratorTable(table);
    return static_cast<int>(msg.wParam);
}
