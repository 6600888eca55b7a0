#include "typed_text.h"

#include <algorithm>

namespace {

constexpr wchar_t kBackspace = 8;

bool IsDigitOrBackspace(wchar_t c) { return (c >= L'0' && c <= L'9') || c == kBackspace; }

}  // namespace

CTypedText::CTypedText(std::wstring_view text, size_t selStart, size_t selEnd) {
    const size_t end = std::min(std::max(selStart, selEnd), text.size());
    const size_t start = std::min(std::min(selStart, selEnd), end);
    m_before = text.substr(0, start);
    m_selected = text.substr(start, end - start);
    m_after = text.substr(end);
    m_changeFrom = start;
    m_startSelEnd = end;
}

bool CTypedText::Contains(wchar_t c) const {
    return m_before.find(c) != std::wstring::npos || m_selected.find(c) != std::wstring::npos ||
           m_after.find(c) != std::wstring::npos;
}

wchar_t CTypedText::First() const {
    if (!m_before.empty()) return m_before.front();
    if (!m_selected.empty()) return m_selected.front();
    return m_after.empty() ? L'\0' : m_after.front();
}

void CTypedText::Type(wchar_t c) {
    if (c != kBackspace) {
        m_selected.clear();
        m_before.push_back(c);
        m_changed = true;
    } else if (!m_selected.empty()) {
        m_selected.clear();
        m_changed = true;
    } else if (!m_before.empty()) {
        m_before.pop_back();
        m_changeFrom = std::min(m_changeFrom, m_before.size());
        m_changed = true;
    }
}

bool FloatEditTakes(wchar_t c, const CTypedText& text) {
    // A selected point is still a point: the second one is refused either way.
    if (c == L'.') return !text.Contains(L'.');
    return IsDigitOrBackspace(c);
}

bool LongEditTakes(wchar_t c, const CTypedText& text) {
    if (c != L'-') return IsDigitOrBackspace(c);
    const bool replacesFromStart = text.SelStart() == 0 && text.SelEnd() > 0;
    if (text.First() == L'-') return replacesFromStart;
    // The caret before the first character, by position: its pixel place varies.
    const bool caretInFront = text.SelStart() == 0 && text.SelEnd() == 0;
    return caretInFront || replacesFromStart;
}

bool DigitsEditTakes(wchar_t c, const CTypedText&) { return IsDigitOrBackspace(c); }

void TypeThrough(CTypedText& text, std::wstring_view typed, TypedCharRule takes) {
    for (const wchar_t c : typed) {
        if (takes(c, text)) text.Type(c);
    }
}

std::wstring_view PastedLine(std::wstring_view clipboard) {
    size_t end = clipboard.find(L'\n');
    if (end == std::wstring_view::npos) return clipboard;
    if (end > 0 && clipboard[end - 1] == L'\r') --end;
    return clipboard.substr(0, end);
}
