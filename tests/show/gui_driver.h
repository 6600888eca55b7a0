// Drives a Windows program from another process under Wine, the way an operator would:
// starts it in a fresh directory with its environment, finds its windows, clicks, chooses,
// types and reads, answers its message boxes and file dialogs, reads its trace files and
// takes screenshots of the X display. Menus and pixels cannot be read across processes
// under Wine; the program's trace and screenshots stand in for them.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// How long a wait for a program's answer to an action may last before it counts as none.
// Long: a machine busy with other work (two test runs at once, say) can hold a program up
// for many seconds, and a first box may load its fonts meanwhile. A wait ends as soon as
// what it waits for comes, so this costs nothing while all goes well.
constexpr DWORD kLoadedWaitMs = 60000;

// Owns a kernel handle.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE handle) : m_handle(handle) {}
    ~CHandle() { Reset(); }
    CHandle(CHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    CHandle& operator=(CHandle&& other) noexcept;
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle = nullptr);

private:
    HANDLE m_handle = nullptr;
};

struct CLaunchOptions {
    std::wstring exePath;  // Windows or Unix path; the file is copied, never run in place
    std::wstring arguments;
    int simulatedCards = 1;  // VORN305Q_SIMULATOR; negative leaves the variable out
    // Further variables; an empty value removes an inherited one.
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // Files (name, bytes) and directories put beside the program before it starts.
    std::vector<std::pair<std::wstring, std::string>> files;
    std::vector<std::wstring> directories;
    // Called with the program's directory once the files are there, before it starts (to
    // hold one of them open, say).
    std::function<void(const std::wstring& dir)> beforeStart;
};

// One run of a program. The destructor kills it if it still runs and removes its
// directory (kept when VORN_GUI_KEEP is set, for a look after a failure).
class CGuiProcess {
public:
    explicit CGuiProcess(const CLaunchOptions& options);
    ~CGuiProcess();
    CGuiProcess(const CGuiProcess&) = delete;
    CGuiProcess& operator=(const CGuiProcess&) = delete;

    bool Started() const { return m_process.Get() != nullptr; }
    const std::wstring& StartError() const { return m_startError; }
    DWORD ProcessId() const { return m_pid; }
    DWORD StartTick() const { return m_startTick; }
    const std::wstring& Directory() const { return m_dir; }
    const std::wstring& ExePath() const { return m_exe; }
    // Files named by VORN_SHOW_TRACE, VORN305Q_SIM_TRACE and VORN305Q_MSGBOX_LOG.
    const std::wstring& TracePath() const { return m_trace; }
    const std::wstring& ChipTracePath() const { return m_chipTrace; }
    const std::wstring& MessageLogPath() const { return m_messageLog; }

    // Top-level windows of the process, hidden ones included; of one class if given.
    std::vector<HWND> TopLevelWindows(const wchar_t* className = nullptr) const;
    // The first visible top-level window with this title, or null.
    HWND FindTopLevel(const std::wstring& title) const;
    HWND WaitForTopLevel(const std::wstring& title, DWORD timeoutMs) const;
    // Visible dialogs (#32770) of the process: message boxes, file dialogs, the about box.
    std::vector<HWND> Dialogs() const;
    // The same, hidden ones too: a box is a window from its creation on, before its
    // message loop first shows it.
    std::vector<HWND> AllDialogs() const;
    HWND WaitForDialog(DWORD timeoutMs, const std::wstring& title = std::wstring()) const;

    // Complete lines of the trace files (UTF-8 or UTF-16 with a byte-order mark).
    std::vector<std::wstring> TraceLines() const;
    std::vector<std::wstring> ChipTraceLines() const;
    std::vector<std::wstring> MessageLogLines() const;
    // Index of the first trace line at or after from that contains text, waiting for it
    // to be written; -1 on timeout.
    int WaitForTraceLine(const std::wstring& text, size_t from, DWORD timeoutMs) const;

    bool Running() const;
    // True once the process has ended within the time; its exit code goes to exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    // Asks the program to close, as the frame's close box does; WaitForExit follows.
    void Close(HWND mainWindow) const { PostMessageW(mainWindow, WM_CLOSE, 0, 0); }
    // Close, then waits for the end, noting whether a box or dialog showed meanwhile (a
    // close that asks something does not end unattended). True once ended in time.
    bool CloseUnattended(HWND mainWindow, DWORD timeoutMs, DWORD* exitCode, bool* boxSeen) const;
    void Kill();

private:
    std::vector<std::wstring> Lines(const std::wstring& path) const;

    CHandle m_process;
    DWORD m_pid = 0;
    DWORD m_startTick = 0;
    std::wstring m_startError;
    std::wstring m_dir;
    std::wstring m_exe;
    std::wstring m_trace;
    std::wstring m_chipTrace;
    std::wstring m_messageLog;
};

// Polls cond every pollMs until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs = 10);

std::wstring ToWindowsPath(const std::wstring& path);  // "/a/b" -> "Z:\a\b"
std::wstring ToUnixPath(const std::wstring& path);     // through Wine; empty on failure
std::wstring Utf8ToWide(const std::string& text);
// Trace lines as one UTF-8 text, a line each, for a failure message.
std::string DumpLines(const std::vector<std::wstring>& lines);
// The control calls of a program trace from line from on, as "dispid=N args=(...)".
std::vector<std::wstring> ControlCalls(const std::vector<std::wstring>& trace, size_t from = 0);
// A line of a trace file and when it appeared, in milliseconds from the watch's start.
struct CTimedLine {
    double ms;
    std::wstring text;
};
// The lines appended to a trace file during the next durationMs, or until enough finds
// them enough, read about every millisecond; the program writes each line at once, so the
// times are when it wrote them.
std::vector<CTimedLine> WatchLines(
    const std::wstring& path, DWORD durationMs,
    const std::function<bool(const std::vector<CTimedLine>&)>& enough = nullptr);

// A child with this control id: a direct child first, else any descendant (the tool bar's
// combo boxes, a page's controls).
HWND FindChild(HWND parent, int id);
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
bool IsEnabled(HWND hwnd);
bool IsVisible(HWND hwnd);
RECT WindowRect(HWND hwnd);
RECT ClientRect(HWND hwnd);
// The keyboard focus of window's thread (GetGUIThreadInfo), null when it has none.
HWND FocusOf(HWND window);
// True when window's thread answers WM_NULL within the time (it is not hung or gone).
// A sent message is answered before anything posted or input: this says nothing of what
// the thread still has to do.
bool Answers(HWND window, DWORD timeoutMs);
// True once window has no part left to paint (its paint has run), within the time.
bool WaitForPainted(HWND window, DWORD timeoutMs);
// True once window's thread has handled every message sent, posted or input to it before
// the call, within the time: a pixel of window (visible) is invalidated, and a paint comes
// only when nothing sent, posted or input waits in the thread's queue. After it, what
// those messages would have done is done (or is a box in its loop: see AllDialogs).
bool WaitForQueueHandled(HWND window, DWORD timeoutMs);
// Gives a timer of periodMs that window's thread may still run the room to show itself,
// so that "it no longer runs" can be judged from what it would leave (a trace line): three
// times over, a period passes and the thread handles its queue (WaitForQueueHandled). A
// due timer comes as soon as its thread has nothing else to do, so it comes between two
// of these. False when the thread did not get through its queue in time.
bool WaitForTimerRoom(HWND window, DWORD periodMs, DWORD timeoutMs);

// BM_CLICK, returning when the program has handled the click.
void Click(HWND button);
// BM_CLICK posted, for a click that opens a modal box the caller then answers.
void PostClick(HWND button);
// What a user's final choice in a drop-down list sends: the selection, then CBN_SELENDOK
// to the combo box's parent.
void ChooseComboEntry(HWND combo, int index);
std::vector<std::wstring> ComboEntries(HWND combo);
int ComboSelection(HWND combo);
void TypeChars(HWND edit, const std::wstring& text);
// The text a self-painted static of the program draws: its window text stays the
// template's, so the program answers a registered message by WM_COPYDATA to a window of
// ours. ok (if given) tells an answer from an empty text.
std::wstring PaintedText(HWND myStatic, bool* ok = nullptr);

// TB_GETSTATE of the button with this command; -1 when the tool bar has none.
int ToolBarButtonState(HWND toolBar, int command);

// The text of a message box (its static text).
std::wstring MessageBoxText(HWND box);
// Clicks the box's button with this id (IDOK by default).
bool CloseDialog(HWND box, int buttonId = IDOK);
// Writes path into an open or save dialog's file-name field and clicks its OK button.
bool AnswerFileDialog(HWND dialog, const std::wstring& path);

// Brings window to the front and sends a key chord through the input queue, so that the
// program's accelerators see it; keys are pressed in order and released in reverse.
bool PressKeys(HWND window, std::initializer_list<WORD> keys);
bool PressKeys(HWND window, const std::vector<WORD>& keys);
// A real left click through the input queue at a point of window's client area: the
// pointer moves there, the button goes down and up; the program sees what a mouse does.
bool ClickAt(HWND window, POINT client);
// The same with the right button (an edit's context menu, say).
bool RightClickAt(HWND window, POINT client);
// Puts text on the clipboard as Unicode text, for a paste.
bool SetClipboardText(const std::wstring& text);
// Types text through the input queue, one Unicode key stroke per character, into
// whatever has the focus.
bool TypeKeys(const std::wstring& text);

// A PNG of the whole X screen (ImageMagick's import run as a Unix process); waits until
// the file is complete.
bool TakeScreenshot(const std::wstring& pngPath, DWORD timeoutMs = 15000);
