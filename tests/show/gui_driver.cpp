#include "gui_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <map>
#include <memory>

CHandle& CHandle::operator=(CHandle&& other) noexcept {
    if (this != &other) {
        Reset(other.m_handle);
        other.m_handle = nullptr;
    }
    return *this;
}

void CHandle::Reset(HANDLE handle) {
    if (m_handle && m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    m_handle = handle;
}

namespace {

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

// The inherited environment with the overrides applied, as a block for CreateProcessW.
std::vector<wchar_t> EnvironmentBlock(
    const std::vector<std::pair<std::wstring, std::wstring>>& overrides) {
    std::map<std::wstring, std::wstring> vars;  // keyed by upper-case name
    std::map<std::wstring, std::wstring> names;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
            const std::wstring entry(p);
            const size_t eq = entry.find(L'=', 1);  // "=C:" style entries start with '='
            if (eq == std::wstring::npos) continue;
            const std::wstring name = entry.substr(0, eq);
            vars[Upper(name)] = entry.substr(eq + 1);
            names[Upper(name)] = name;
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : overrides) {
        if (value.empty()) {
            vars.erase(Upper(name));
        } else {
            vars[Upper(name)] = value;
            names[Upper(name)] = name;
        }
    }
    std::vector<wchar_t> result;
    for (const auto& [key, value] : vars) {
        const std::wstring entry = names[key] + L"=" + value;
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back(L'\0');
    }
    result.push_back(L'\0');
    return result;
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

std::string ReadShared(const std::wstring& path) {
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (file.Get() == INVALID_HANDLE_VALUE) return bytes;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

struct CEnumContext {
    DWORD pid;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* context = reinterpret_cast<CEnumContext*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == context->pid) context->windows->push_back(hwnd);
    return TRUE;
}

struct CChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildById(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<CChildSearch*>(param);
    if (GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// What the program's self-painted static answers with (its registered message and the
// WM_COPYDATA tag).
constexpr wchar_t kPaintedTextMessage[] = L"Vorn_305q_show.CMyStatic.ReadText";
constexpr ULONG_PTR kPaintedTextTag = 0x5653544D;

struct CPaintedTextReply {
    bool answered = false;
    std::wstring text;
};

LRESULT CALLBACK PaintedTextReceiver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* reply = reinterpret_cast<CPaintedTextReply*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (reply && data && data->dwData == kPaintedTextTag) {
            reply->text.assign(static_cast<const wchar_t*>(data->lpData),
                               data->cbData / sizeof(wchar_t));
            reply->answered = true;
            return TRUE;
        }
        return FALSE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

std::wstring PaintedText(HWND myStatic, bool* ok) {
    static const ATOM receiverClass = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PaintedTextReceiver;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VornPaintedTextReceiver";
        return RegisterClassW(&wc);
    }();
    CPaintedTextReply reply;
    HWND receiver = CreateWindowExW(0, MAKEINTATOM(receiverClass), L"", WS_POPUP, 0, 0, 1, 1,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (receiver) {
        SetWindowLongPtrW(receiver, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reply));
        DWORD_PTR result = 0;
        // While this waits, the program's WM_COPYDATA is delivered to the receiver.
        SendMessageTimeoutW(myStatic, RegisterWindowMessageW(kPaintedTextMessage),
                            reinterpret_cast<WPARAM>(receiver), 0, SMTO_NORMAL, 5000, &result);
        DestroyWindow(receiver);
    }
    if (ok) *ok = reply.answered;
    return reply.text;
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return cond();
        Sleep(pollMs);
    }
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], n);
    return result;
}

std::string DumpLines(const std::vector<std::wstring>& lines) {
    std::wstring all;
    for (const std::wstring& line : lines) all += line + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, all.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, all.c_str(), -1, &bytes[0], n, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

std::vector<std::wstring> ControlCalls(const std::vector<std::wstring>& trace, size_t from) {
    std::vector<std::wstring> calls;
    for (size_t i = from; i < trace.size(); ++i) {
        const size_t at = trace[i].find(L"invoke dispid=");
        if (at == std::wstring::npos) continue;
        const size_t end = trace[i].find(L')', at);
        calls.push_back(trace[i].substr(at + 7, end - at - 6));
    }
    return calls;
}

std::vector<CTimedLine> WatchLines(
    const std::wstring& path, DWORD durationMs,
    const std::function<bool(const std::vector<CTimedLine>&)>& enough) {
    std::vector<CTimedLine> lines;
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return lines;
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);  // only what is written from now on
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::string pending;  // a line not yet complete
    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const double ms = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
        char buffer[16384];
        DWORD got = 0;
        while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            pending.append(buffer, got);
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back({ms, Utf8ToWide(line)});
            pending.erase(0, end + 1);
        }
        if (ms >= durationMs || (enough && enough(lines))) return lines;
        Sleep(1);
    }
}

std::wstring ToWindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring result = L"Z:" + path;
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

std::wstring ToUnixPath(const std::wstring& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::wstring();
    char* unixPath = convert(path.c_str());
    if (!unixPath) return std::wstring();
    std::wstring result = Utf8ToWide(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

CGuiProcess::CGuiProcess(const CLaunchOptions& options) {
    static LONG s_counter = 0;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    for (int attempt = 0; attempt < 100 && m_dir.empty(); ++attempt) {
        const std::wstring dir = std::wstring(temp) + L"vorn-gui-" +
                                 std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(InterlockedIncrement(&s_counter));
        if (CreateDirectoryW(dir.c_str(), nullptr)) m_dir = dir;
    }
    if (m_dir.empty()) {
        m_startError = L"no temporary directory";
        return;
    }
    const std::wstring source = ToWindowsPath(options.exePath);
    const size_t slash = source.find_last_of(L"\\/");
    m_exe = m_dir + L"\\" + (slash == std::wstring::npos ? source : source.substr(slash + 1));
    if (!CopyFileW(source.c_str(), m_exe.c_str(), FALSE)) {
        m_startError = L"cannot copy " + source;
        return;
    }
    for (const std::wstring& name : options.directories) {
        if (!CreateDirectoryW((m_dir + L"\\" + name).c_str(), nullptr)) {
            m_startError = L"cannot create " + name;
            return;
        }
    }
    for (const auto& [name, bytes] : options.files) {
        CHandle file(CreateFileW((m_dir + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file.Get() == INVALID_HANDLE_VALUE ||
            !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size()) {
            m_startError = L"cannot write " + name;
            return;
        }
    }
    if (options.beforeStart) options.beforeStart(m_dir);
    m_trace = m_dir + L"\\show-trace.log";
    m_chipTrace = m_dir + L"\\chip-trace.log";
    m_messageLog = m_dir + L"\\card-messages.log";

    std::vector<std::pair<std::wstring, std::wstring>> vars = {
        {L"VORN_SHOW_TRACE", m_trace},
        {L"VORN305Q_SIM_TRACE", m_chipTrace},
        {L"VORN305Q_MSGBOX_LOG", m_messageLog},
        {L"VORN305Q_SIMULATOR",
         options.simulatedCards < 0 ? std::wstring() : std::to_wstring(options.simulatedCards)}};
    vars.insert(vars.end(), options.environment.begin(), options.environment.end());
    std::vector<wchar_t> block = EnvironmentBlock(vars);

    std::wstring commandLine = L"\"" + m_exe + L"\"";
    if (!options.arguments.empty()) commandLine += L" " + options.arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    m_startTick = GetTickCount();
    if (!CreateProcessW(m_exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(), m_dir.c_str(), &startup, &info)) {
        m_startError = L"CreateProcess failed, error " + std::to_wstring(GetLastError());
        return;
    }
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_pid = info.dwProcessId;
}

CGuiProcess::~CGuiProcess() {
    Kill();
    if (!m_dir.empty() && !GetEnvironmentVariableW(L"VORN_GUI_KEEP", nullptr, 0)) {
        // The killed process may hold its files for a moment.
        WaitUntil(
            [this] {
                RemoveTree(m_dir);
                return GetFileAttributesW(m_dir.c_str()) == INVALID_FILE_ATTRIBUTES;
            },
            3000, 50);
    }
}

std::vector<HWND> CGuiProcess::TopLevelWindows(const wchar_t* className) const {
    std::vector<HWND> all;
    if (!Started()) return all;
    CEnumContext context{m_pid, &all};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&context));
    if (!className) return all;
    std::vector<HWND> matching;
    for (HWND hwnd : all)
        if (ClassName(hwnd) == className) matching.push_back(hwnd);
    return matching;
}

HWND CGuiProcess::FindTopLevel(const std::wstring& title) const {
    for (HWND hwnd : TopLevelWindows())
        if (IsWindowVisible(hwnd) && WindowText(hwnd) == title) return hwnd;
    return nullptr;
}

HWND CGuiProcess::WaitForTopLevel(const std::wstring& title, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(title)) != nullptr || !Running(); }, timeoutMs);
    return found ? found : FindTopLevel(title);
}

std::vector<HWND> CGuiProcess::Dialogs() const {
    std::vector<HWND> visible;
    for (HWND hwnd : TopLevelWindows(L"#32770"))
        if (IsWindowVisible(hwnd)) visible.push_back(hwnd);
    return visible;
}

std::vector<HWND> CGuiProcess::AllDialogs() const { return TopLevelWindows(L"#32770"); }

HWND CGuiProcess::WaitForDialog(DWORD timeoutMs, const std::wstring& title) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : Dialogs())
                if (title.empty() || WindowText(hwnd) == title) found = hwnd;
            return found != nullptr || !Running();
        },
        timeoutMs);
    return found;
}

std::vector<std::wstring> CGuiProcess::Lines(const std::wstring& path) const {
    const std::string bytes = ReadShared(path);
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = Utf8ToWide(bytes.substr(3));
    } else {
        text = Utf8ToWide(bytes);
    }
    std::vector<std::wstring> lines;
    size_t start = 0;
    // Only complete lines: the last one may still be being written.
    for (size_t nl; (nl = text.find(L'\n', start)) != std::wstring::npos; start = nl + 1) {
        std::wstring line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::wstring> CGuiProcess::TraceLines() const { return Lines(m_trace); }
std::vector<std::wstring> CGuiProcess::ChipTraceLines() const { return Lines(m_chipTrace); }
std::vector<std::wstring> CGuiProcess::MessageLogLines() const { return Lines(m_messageLog); }

int CGuiProcess::WaitForTraceLine(const std::wstring& text, size_t from, DWORD timeoutMs) const {
    int index = -1;
    auto find = [&] {
        const std::vector<std::wstring> lines = TraceLines();
        for (size_t i = from; i < lines.size(); ++i)
            if (lines[i].find(text) != std::wstring::npos) {
                index = static_cast<int>(i);
                return true;
            }
        return false;
    };
    // A process that has ended writes nothing more: one last look, then give up.
    WaitUntil([&] { return find() || !Running(); }, timeoutMs);
    if (index < 0) find();
    return index;
}

bool CGuiProcess::Running() const {
    return Started() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool CGuiProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!Started() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool CGuiProcess::CloseUnattended(HWND mainWindow, DWORD timeoutMs, DWORD* exitCode,
                                  bool* boxSeen) const {
    Close(mainWindow);
    bool seen = false;
    const bool ended = WaitUntil(
        [&] {
            seen = seen || !Dialogs().empty();
            return WaitForExit(0, exitCode);
        },
        timeoutMs);
    if (boxSeen) *boxSeen = seen;
    return ended;
}

void CGuiProcess::Kill() {
    if (Running()) {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

HWND FindChild(HWND parent, int id) {
    if (HWND direct = GetDlgItem(parent, id)) return direct;
    CChildSearch search{id, nullptr};
    EnumChildWindows(parent, FindChildById, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND hwnd) {
    // WM_GETTEXT crosses processes with its buffer; GetWindowText would not ask the window.
    const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

bool IsEnabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }
bool IsVisible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }

RECT WindowRect(HWND hwnd) {
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

RECT ClientRect(HWND hwnd) {
    RECT rect = {};
    GetClientRect(hwnd, &rect);
    return rect;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread != 0 && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool Answers(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool WaitForPainted(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return IsWindow(window) && !GetUpdateRect(window, nullptr, FALSE); },
                     timeoutMs);
}

bool WaitForQueueHandled(HWND window, DWORD timeoutMs) {
    // A hidden window is never painted.
    if (!IsWindowVisible(window)) return false;
    const RECT pixel = {0, 0, 1, 1};
    if (!RedrawWindow(window, &pixel, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN)) return false;
    return WaitForPainted(window, timeoutMs);
}

bool WaitForTimerRoom(HWND window, DWORD periodMs, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (int round = 0; round < 3; ++round) {
        // Time for the timer to come due; the proof is the queue handled afterwards.
        Sleep(periodMs + periodMs / 2);
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs || !WaitForQueueHandled(window, timeoutMs - spent)) return false;
    }
    return true;
}

void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void ChooseComboEntry(HWND combo, int index) {
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
}

std::vector<std::wstring> ComboEntries(HWND combo) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const LRESULT got =
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
        entries.push_back(text);
    }
    return entries;
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void TypeChars(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

int ToolBarButtonState(HWND toolBar, int command) {
    return static_cast<int>(SendMessageW(toolBar, TB_GETSTATE, command, 0));
}

std::wstring MessageBoxText(HWND box) {
    // A message box's text has id 0xFFFF; so has every id-less static of a dialog.
    if (HWND text = GetDlgItem(box, 0xFFFF)) {
        const bool icon = (GetWindowLongW(text, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (!icon && !WindowText(text).empty()) return WindowText(text);
    }
    std::vector<HWND> children;
    EnumChildWindows(box, CollectChildren, reinterpret_cast<LPARAM>(&children));
    std::wstring result;
    for (HWND child : children) {
        if (_wcsicmp(ClassName(child).c_str(), L"Static") != 0) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        const std::wstring text = WindowText(child);
        if (!text.empty()) result += result.empty() ? text : L"\n" + text;
    }
    return result;
}

bool CloseDialog(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    // Posted: answering may open another modal box (an overwrite prompt, say).
    PostClick(button);
    return true;
}

bool AnswerFileDialog(HWND dialog, const std::wstring& path) {
    // The file-name field is edt1 in the classic template; in Wine's explorer-style one it
    // is the edit inside the combo boxes with id cmb13.
    HWND field = GetDlgItem(dialog, 0x480);
    if (HWND combo = field ? nullptr : GetDlgItem(dialog, 0x47C)) {
        std::vector<HWND> inside;
        EnumChildWindows(combo, CollectChildren, reinterpret_cast<LPARAM>(&inside));
        for (HWND hwnd : inside)
            if (_wcsicmp(ClassName(hwnd).c_str(), L"Edit") == 0) field = hwnd;
    }
    if (!field) return false;
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    return CloseDialog(dialog, IDOK);
}

bool PressKeys(HWND window, std::initializer_list<WORD> keys) {
    return PressKeys(window, std::vector<WORD>(keys));
}

bool PressKeys(HWND window, const std::vector<WORD>& keys) {
    SetForegroundWindow(window);
    if (!WaitUntil([&] { return GetForegroundWindow() == window; }, 2000)) return false;
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

namespace {

// Every event of the click carries its own position: between a bare move and the press, the
// pointer may still be put back where the display last saw it (a menu just closed there, say),
// and the press would land on that window instead.
bool ClickWith(HWND window, POINT client, DWORD down, DWORD up) {
    if (!ClientToScreen(window, &client)) return false;
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width < 2 || height < 2) return false;
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(client.x, 65535, width - 1);
        input.mi.dy = MulDiv(client.y, 65535, height - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    inputs[1].mi.dwFlags |= down;
    inputs[2].mi.dwFlags |= up;
    return SendInput(3, inputs, sizeof(INPUT)) == 3;
}

}  // namespace

bool ClickAt(HWND window, POINT client) {
    return ClickWith(window, client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

bool RightClickAt(HWND window, POINT client) {
    return ClickWith(window, client, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

bool SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool set = false;
    if (memory != nullptr) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!set) GlobalFree(memory);
    }
    CloseClipboard();
    return set;
}

bool TypeKeys(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : text) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = c;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return inputs.empty() || SendInput(static_cast<UINT>(inputs.size()), inputs.data(),
                                       sizeof(INPUT)) == inputs.size();
}

bool TakeScreenshot(const std::wstring& pngPath, DWORD timeoutMs) {
    const std::wstring target = ToUnixPath(ToWindowsPath(pngPath));
    if (target.empty()) return false;
    const std::wstring partial = target + L".part.png";
    DeleteFileW(ToWindowsPath(target).c_str());
    // Wine starts a Unix binary as a Unix process but gives no handle to wait on: the
    // shell renames the picture when import has finished writing it.
    std::wstring command = L"/bin/sh -c \"import -window root '" + partial + L"' && mv '" +
                           partial + L"' '" + target + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CHandle process(info.hProcess), thread(info.hThread);
    const std::wstring done = ToWindowsPath(target);
    return WaitUntil([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     timeoutMs, 50);
}
