#include "NumEdit.h"

#include <string>

#include "typed_text.h"

namespace {

// The clipboard, open for reading while this lives.
class CClipboardReader {
public:
    explicit CClipboardReader(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
    ~CClipboardReader() {
        if (m_open) CloseClipboard();
    }
    CClipboardReader(const CClipboardReader&) = delete;
    CClipboardReader& operator=(const CClipboardReader&) = delete;

    // Empty when the clipboard holds no text or another program has it open.
    std::wstring Text() const {
        if (!m_open) return std::wstring();
        const HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* const text =
            data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (text == nullptr) return std::wstring();
        const std::wstring copy(text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t)));
        GlobalUnlock(data);
        return copy;
    }

private:
    const bool m_open;
};

CTypedText LiveText(const CEdit& edit) {
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    return CTypedText(edit.GetText(), static_cast<size_t>(start), static_cast<size_t>(end));
}

bool TypedCharTakes(const CEdit& edit, WPARAM c, TypedCharRule takes) {
    return c <= 0xFFFF && takes(static_cast<wchar_t>(c), LiveText(edit));
}

// WM_PASTE, which the platform's edit sends itself for its context menu's paste and for
// Ctrl+V's character, and Shift+Insert, on which it pastes without one.
bool IsPaste(UINT msg, WPARAM wParam) {
    return msg == WM_PASTE ||
           (msg == WM_KEYDOWN && wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0);
}

// The pasted line typed through the edit's rule, as one undoable change; nothing when the
// rule lets nothing through, as for a refused typed character.
LRESULT PasteTyped(const CEdit& edit, TypedCharRule takes) {
    const HWND hwnd = edit.GetSafeHwnd();
    if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY) != 0) return 0;
    const std::wstring pasted = CClipboardReader(hwnd).Text();
    CTypedText text = LiveText(edit);
    TypeThrough(text, PastedLine(pasted), takes);
    if (!text.Changed()) return 0;
    SendMessageW(hwnd, EM_SETSEL, text.ChangeFrom(), text.ChangeTo());
    const std::wstring inserted = text.ChangeText();
    SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(inserted.c_str()));
    return 0;
}

}  // namespace

LRESULT CFloatEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR) return TypedCharTakes(*this, wParam, FloatEditTakes) ? Default() : 0;
    if (IsPaste(msg, wParam)) return PasteTyped(*this, FloatEditTakes);
    return CEdit::WindowProc(msg, wParam, lParam);
}

LRESULT CLongEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR) return TypedCharTakes(*this, wParam, LongEditTakes) ? Default() : 0;
    if (IsPaste(msg, wParam)) return PasteTyped(*this, LongEditTakes);
    return CEdit::WindowProc(msg, wParam, lParam);
}

LRESULT CDigitsEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsPaste(msg, wParam)) return PasteTyped(*this, DigitsEditTakes);
    return CEdit::WindowProc(msg, wParam, lParam);
}

LRESULT CMyButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) {
        SendMessageW(GetParent(GetSafeHwnd()), WM_MYBUTTON_PRESS, reinterpret_cast<WPARAM>(this),
                     msg == WM_LBUTTONDOWN ? 0 : 1);
    }
    return CButton::WindowProc(msg, wParam, lParam);
}
