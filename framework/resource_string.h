// Strings of the module's resources and copies of strings for COM callers to free.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

// A copy of a string resource of the module, or an empty string.
std::wstring LoadResourceString(UINT id);
// A CoTaskMemAlloc copy of text, or null.
LPOLESTR CoTaskMemStrDup(const wchar_t* text);
