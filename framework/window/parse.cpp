#include "parse.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The text without its surrounding blanks.
std::wstring Trimmed(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Whether text is exactly a decimal number in the accepted form.
bool IsDecimalForm(const std::wstring& text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            ++digits;
        } else if (text[i] == L'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace

bool ParseStrictInt(const std::wstring& text, int& value) {
    const std::wstring number = Trimmed(text);
    size_t i = 0;
    bool negative = false;
    if (i < number.size() && (number[i] == L'+' || number[i] == L'-')) {
        negative = number[i] == L'-';
        ++i;
    }
    if (i == number.size()) return false;
    long long magnitude = 0;
    for (; i < number.size(); ++i) {
        if (!IsDigit(number[i])) return false;
        magnitude = magnitude * 10 + (number[i] - L'0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) return false;
    }
    const long long result = negative ? -magnitude : magnitude;
    if (result > INT_MAX || result < INT_MIN) return false;
    value = static_cast<int>(result);
    return true;
}

bool ParseStrictDouble(const std::wstring& text, double& value) {
    const std::wstring number = Trimmed(text);
    if (!IsDecimalForm(number)) return false;
    errno = 0;
    wchar_t* end = nullptr;
    const double result = wcstod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !std::isfinite(result)) return false;
    if (errno == ERANGE && std::fabs(result) > 1.0) return false;  // overflow, not underflow
    value = result;
    return true;
}

bool ParseStrictFloat(const std::wstring& text, float& value) {
    double result = 0;
    if (!ParseStrictDouble(text, result) || std::fabs(result) > FLT_MAX) return false;
    value = static_cast<float>(result);
    return true;
}
