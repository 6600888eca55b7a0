#include "trace.h"

#include <windows.h>

#include <cstdarg>

#include "format.h"

namespace {

// The file named by VORN_SHOW_TRACE, read once; empty when there is none.
const std::wstring& TraceFile() {
    static const std::wstring path = [] {
        wchar_t buffer[MAX_PATH * 2];
        const DWORD length = GetEnvironmentVariableW(L"VORN_SHOW_TRACE", buffer, MAX_PATH * 2);
        return length > 0 && length < MAX_PATH * 2 ? std::wstring(buffer, length) : std::wstring();
    }();
    return path;
}

// The trace file, opened at the first line and kept open: a poll writes lines every tick,
// and each open and close is a round trip to the Wine server. Every line is written at
// once, unbuffered, so a reader sees it at once and a crash loses nothing; readers may read,
// write or delete the file meanwhile.
class CTraceFile {
public:
    CTraceFile() = default;
    ~CTraceFile() {
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    }
    CTraceFile(const CTraceFile&) = delete;
    CTraceFile& operator=(const CTraceFile&) = delete;

    void Append(const std::string& utf8) {
        // Lines may come from more than one thread.
        EnterCriticalSection(&m_lock.section);
        // A file that could not be opened is tried again at the next line.
        if (m_file == INVALID_HANDLE_VALUE) {
            m_file = CreateFileW(TraceFile().c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (m_file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(m_file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        }
        LeaveCriticalSection(&m_lock.section);
    }

private:
    struct CLock {
        CLock() { InitializeCriticalSection(&section); }
        ~CLock() { DeleteCriticalSection(&section); }
        CRITICAL_SECTION section;
    } m_lock;
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

void TraceLine(const std::wstring& text, bool toListeners) {
    std::wstring line = text;
    if (line.empty() || line.back() != L'\n') line += L'\n';
    if (toListeners || IsDebuggerPresent()) OutputDebugStringW(line.c_str());
    if (TraceFile().empty()) return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    static CTraceFile file;
    file.Append(utf8);
}

}  // namespace

void TraceText(const std::wstring& text) { TraceLine(text, true); }

void TraceDetail(const std::wstring& text) { TraceLine(text, false); }

void Trace(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const std::wstring text = FormatV(format, args);
    va_end(args);
    TraceText(text);
}
