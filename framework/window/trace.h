// The program's debug trace: each line goes to the debugger (OutputDebugStringW) and,
// when the environment variable VORN_SHOW_TRACE names a file, is appended to that file
// in UTF-8. A line without a final newline gets one.
#pragma once

#include <string>

void Trace(const wchar_t* format, ...);
void TraceText(const std::wstring& text);
