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

}  // namespace

void TraceText(const std::wstring& text) {
    std::wstring line = text;
    if (line.empty() || line.back() != L'\n') line += L'\n';
    OutputDebugStringW(line.c_str());
    if (TraceFile().empty()) return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    // Opened per line, so a reader sees every line at once and a crash loses nothing.
    const HANDLE file = CreateFileW(TraceFile().c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

void Trace(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const std::wstring text = FormatV(format, args);
    va_end(args);
    TraceText(text);
}
