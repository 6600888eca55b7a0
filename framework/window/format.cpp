#include "format.h"

#include <cwchar>
#include <vector>

std::wstring FormatV(const wchar_t* format, va_list args) {
    // vswprintf reports only failure when the buffer is short: grow until it fits.
    std::vector<wchar_t> buffer(128);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int written = vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            return std::wstring(buffer.data(), static_cast<size_t>(written));
        }
        if (buffer.size() >= (1u << 20)) return std::wstring();  // a broken format
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatV(format, args);
    va_end(args);
    return text;
}
