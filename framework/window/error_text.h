// The system's wording for an error code, as the messages that tell the operator why a
// file could not be read or written show it.
#pragma once

#include <windows.h>

#include <string>

// "<the system's text> (错误 <code>)"; the code alone when the system has no text for it.
std::wstring SystemErrorText(DWORD code);
