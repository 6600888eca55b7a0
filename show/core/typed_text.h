// The number edits' typed-character rules, and what typing a whole text through one of
// them does: a paste inserts only what typing its characters in order would let in, so a
// number edit never holds a character it could not have been typed with.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// An edit's text and selection as typed characters change them: a character replaces the
// selection, a backspace removes the selection or else the character before the caret.
// Typing never reaches past the selection it started from, so everything typed is one
// replacement of the starting text.
class CTypedText {
public:
    CTypedText(std::wstring_view text, size_t selStart, size_t selEnd);

    size_t SelStart() const { return m_before.size(); }
    size_t SelEnd() const { return m_before.size() + m_selected.size(); }
    bool Contains(wchar_t c) const;
    // The first character; 0 for an empty text.
    wchar_t First() const;
    std::wstring Text() const { return m_before + m_selected + m_after; }

    void Type(wchar_t c);

    // All that was typed as one replacement: the starting text's characters from
    // ChangeFrom up to ChangeTo give way to ChangeText.
    bool Changed() const { return m_changed; }
    size_t ChangeFrom() const { return m_changeFrom; }
    size_t ChangeTo() const { return m_startSelEnd; }
    std::wstring ChangeText() const { return m_before.substr(m_changeFrom); }

private:
    std::wstring m_before;  // up to the caret or the selection
    std::wstring m_selected;
    std::wstring m_after;
    size_t m_changeFrom;
    size_t m_startSelEnd;
    bool m_changed = false;
};

// Whether an edit lets a typed character through, given its text and selection then.
using TypedCharRule = bool (*)(wchar_t c, const CTypedText& text);

// Digits, backspace and one decimal point: an unsigned decimal number.
bool FloatEditTakes(wchar_t c, const CTypedText& text);
// Digits, backspace and a minus sign only in front: a signed integer.
bool LongEditTakes(wchar_t c, const CTypedText& text);
// The platform's digits-only edit style: digits and backspace.
bool DigitsEditTakes(wchar_t c, const CTypedText& text);

// Types the characters in order, each one the rule lets through at its turn.
void TypeThrough(CTypedText& text, std::wstring_view typed, TypedCharRule takes);

// What a one-line edit's own paste takes of a clipboard text: the text up to its first
// line feed, less a carriage return just before it.
std::wstring_view PastedLine(std::wstring_view clipboard);
