// A short scripted operator run of the demonstration program, for a display without a
// person in front of it (Xvfb): start on one simulated card, choose the card and an axis,
// rest the mouse on a tool-bar button until its tool tip shows, open the about box, the
// platform's print box (or dialog) and file dialog, show the configuration page (which
// opens the card) and check an interrupt condition, close.
// Screenshots go to the directory given; their Unix paths are printed, and so are the
// sizes the dialogs' font gives (dialog base units) and the plot's client area.
//   show_demo_run.exe <Vorn_305q_show.exe> <screenshot directory>
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "gui_driver.h"
#include "show_program.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;

std::wstring g_shots;
int g_failures = 0;

// A self-painted field's text without the line end it keeps.
std::wstring Field(HWND field) {
    std::wstring text = PaintedText(field);
    while (!text.empty() && text.back() == L'\n') text.pop_back();
    return text;
}

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

// A dialog's client area against its template's size in dialog units: the dialog base
// units its font gives, which set every size in it.
void SayDialogSize(const std::wstring& what, HWND dialog, int unitsX, int unitsY) {
    const RECT client = ClientRect(dialog);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const auto n = [](int value) { return std::to_wstring(value); };
    Say(what + L", " + n(unitsX) + L" x " + n(unitsY) + L" units: " + n(width) + L" x " +
        n(height) + L" pixels, dialog base units " + n((width * 4 + unitsX / 2) / unitsX) + L" x " +
        n((height * 8 + unitsY / 2) / unitsY));
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
    HWND frame = program.WaitForTopLevel(kShowTitle, kWait);
    HWND card = frame ? FindChild(frame, ID_CARD_SELECTOR) : nullptr;
    HWND axis = frame ? FindChild(frame, ID_AXIS_SELECTOR) : nullptr;
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
        kWait, 50);
    Say(tip ? L"tool tip shown" : L"no tool tip appeared");
    Shot(L"03-tool-tip");
    const size_t beforeLeaving = program.TraceLines().size();
    SetCursorPos(5, 5);
    if (program.WaitForTraceLine(L"status prompt 0", beforeLeaving, kWait) >= 0) {
        Say(L"pointer off the tool bar: the status bar shows the idle text");
    } else {
        Fail(L"the status bar kept the button's prompt after the pointer left the tool bar");
    }

    PostMessageW(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    if (HWND about = program.WaitForDialog(kWait, L"关于 Vorn_305q_show")) {
        SayDialogSize(L"about box", about, 235, 55);
        Shot(L"04-about-box");
        CloseDialog(about);
        WaitUntil([&] { return program.Dialogs().empty(); }, kWait);
    } else {
        Fail(L"the about box did not appear");
    }

    // The platform's own boxes and dialogs: Ctrl+P (without a printer the platform says
    // so in a box, else its print dialog shows) and the file dialog of Ctrl+O.
    DWORD printerBytes = 0;
    DWORD printers = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &printerBytes, &printers);
    if (PressKeys(frame, {VK_CONTROL, 'P'})) {
        // The print dialog the platform makes before its box may flash by: the box is the
        // dialog with a text and an OK button.
        HWND shown = nullptr;
        WaitUntil(
            [&] {
                for (HWND hwnd : program.Dialogs())
                    if (GetDlgItem(hwnd, IDOK) &&
                        (printerBytes > 0 || !MessageBoxText(hwnd).empty()))
                        shown = hwnd;
                return shown != nullptr;
            },
            kWait);
        if (!shown) {
            Fail(L"Ctrl+P showed nothing");
        } else if (printerBytes > 0) {
            Say(L"print dialog: " + WindowText(shown));
            Shot(L"05-print-dialog");
            CloseDialog(shown, IDCANCEL);
        } else {
            Say(L"print box: " + MessageBoxText(shown));
            Shot(L"05-print-box");
            CloseDialog(shown);
        }
        WaitUntil([&] { return program.Dialogs().empty(); }, kWait);
    }
    if (PressKeys(frame, {VK_CONTROL, 'O'})) {
        // The platform's dialog is shown before it has its caption and its controls drawn:
        // on a loaded machine a picture taken at once shows an empty frame.
        HWND open = nullptr;
        WaitUntil(
            [&] {
                for (HWND hwnd : program.Dialogs())
                    if (!WindowText(hwnd).empty()) open = hwnd;
                return open != nullptr;
            },
            kWait);
        if (open != nullptr && WaitForPainted(open, kWait)) {
            Say(L"file dialog: " + WindowText(open));
            Shot(L"06-file-dialog");
            CloseDialog(open, IDCANCEL);
            WaitUntil([&] { return program.Dialogs().empty(); }, kWait);
        } else {
            Fail(L"Ctrl+O showed no file dialog");
        }
    }

    // 配置: the card opens and the axis's configuration is shown and summarised.
    SendMessageW(frame, WM_COMMAND, ID_CONFIG, 0);
    HWND heading = FindChild(frame, IDC_CONFIG_TITLE);
    HWND page = heading ? GetParent(heading) : nullptr;
    if (page && IsVisible(page)) {
        Click(GetDlgItem(page, IDC_INT_DRIVE_END));  // interrupt when a drive ends
        UpdateWindow(frame);
        std::wstring title = PaintedText(heading);
        if (!title.empty() && title.back() == L'\n') title.pop_back();
        Say(L"configuration page: " + title);
        SayDialogSize(L"page", page, 453, 318);
        Shot(L"07-config-page");
    } else {
        Fail(L"the configuration page did not appear");
    }

    // 单轴运动: a relative move of 10000 pulses; its drive-end interrupt is shown.
    SendMessageW(frame, WM_COMMAND, ID_ONEAXIS, 0);
    HWND oneTitle = FindChild(frame, IDC_ONEAXIS_TITLE);
    HWND oneAxis = oneTitle ? GetParent(oneTitle) : nullptr;
    if (oneAxis && IsVisible(oneAxis)) {
        Click(GetDlgItem(oneAxis, IDC_MOTION_T_RELATIVE));
        Click(GetDlgItem(oneAxis, IDC_START));
        HWND position = GetDlgItem(oneAxis, IDC_CUR_POS);
        if (!WaitUntil([&] { return PaintedText(position) == L"10000\n"; }, kWait)) {
            Fail(L"the one-axis move did not reach 10000");
        }
        WaitUntil([&] { return PaintedText(GetDlgItem(oneAxis, IDC_INTERRUPT)) == L"0x000080\n"; },
                  3000);
        Say(L"one-axis page: position " + Field(position) + L", interrupt " +
            Field(GetDlgItem(oneAxis, IDC_INTERRUPT)));
        Shot(L"08-one-axis-page");
    } else {
        Fail(L"the one-axis page did not appear");
    }

    // 两轴运动: a full circle round (200, 0), counter-clockwise, drawn in the plot.
    SendMessageW(frame, WM_COMMAND, ID_TWOAXIS, 0);
    HWND twoTitle = FindChild(frame, IDC_TWOAXIS_TITLE);
    HWND twoAxis = twoTitle ? GetParent(twoTitle) : nullptr;
    HWND circle = nullptr;
    for (HWND child = twoAxis ? GetWindow(twoAxis, GW_CHILD) : nullptr; child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"#32770" && GetDlgItem(child, IDC_CIRCLE_DIR)) circle = child;
    }
    if (twoAxis && IsVisible(twoAxis) && circle) {
        Click(GetDlgItem(twoAxis, IDC_MODE_CIRCLE));
        const std::pair<int, const wchar_t*> fields[] = {{IDC_RUN_SPEED, L"1000"},
                                                         {IDC_TARGET_X, L"200"},
                                                         {IDC_TARGET_Y, L"0"},
                                                         {IDC_END_X, L"0"},
                                                         {IDC_END_Y, L"0"}};
        for (const auto& f : fields) {
            SendMessageW(GetDlgItem(circle, f.first), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(f.second));
        }
        SendMessageW(GetDlgItem(circle, IDC_CIRCLE_DIR), CB_SETCURSEL, 1, 0);
        Click(GetDlgItem(circle, IDC_RUN));
        // Round once (past the far side) and back to the start, the plot painted.
        HWND mainPos = GetDlgItem(twoAxis, IDC_MAIN_POS);
        HWND slavePos = GetDlgItem(twoAxis, IDC_SLAVE_POS);
        if (!WaitUntil([&] { return std::wcstol(Field(mainPos).c_str(), nullptr, 10) > 300; },
                       kWait) ||
            !WaitUntil(
                [&] { return PaintedText(mainPos) == L"0\n" && PaintedText(slavePos) == L"0\n"; },
                kWait)) {
            Fail(L"the circle did not end at its start");
        }
        WaitForPainted(GetDlgItem(twoAxis, IDC_PLOT), kWait);
        WaitForQueueHandled(frame, kWait);
        Say(L"two-axis page: positions " + Field(mainPos) + L", " + Field(slavePos));
        const RECT plot = ClientRect(GetDlgItem(twoAxis, IDC_PLOT));
        Say(L"plot client area: " + std::to_wstring(plot.right - plot.left) + L" x " +
            std::to_wstring(plot.bottom - plot.top) + L" pixels");
        Shot(L"09-two-axis-page");
    } else {
        Fail(L"the two-axis page did not appear");
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
