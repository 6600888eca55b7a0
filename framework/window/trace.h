// The program's debug trace: each line goes to the debugger (OutputDebugStringW) and,
// when the environment variable VORN_SHOW_TRACE names a file, is appended to that file
// in UTF-8. A line without a final newline gets one.
#pragma once

#include <string>

void Trace(const wchar_t* format, ...);
void TraceText(const std::wstring& text);
// A line of detail, such as one per control call: to the file as any line, to the debugger
// only while one is attached. Each line to the debugger asks the Wine server whether a
// listener is there, and a poll makes such lines at every tick.
void TraceDetail(const std::wstring& text);
