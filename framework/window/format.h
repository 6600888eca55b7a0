// printf-style formatting into a wide string. Wide formats take no %s (its meaning
// depends on the C runtime's mode): concatenate strings instead.
#pragma once

#include <cstdarg>
#include <string>

std::wstring Format(const wchar_t* format, ...);
std::wstring FormatV(const wchar_t* format, va_list args);
