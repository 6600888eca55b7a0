#include "MyStatic.h"

#include <utility>

namespace {

constexpr COLORREF kGround = 0xC8D0D4;
constexpr wchar_t kReadTextMessage[] = L"Vorn_305q_show.CMyStatic.ReadText";

}  // namespace

UINT CMyStatic::ReadTextMessage() {
    static const UINT message = RegisterWindowMessageW(kReadTextMessage);
    return message;
}

void CMyStatic::CreateTextFont(int nHeight, int nWidth) {
    m_font.Reset(CreateFontW(nHeight, nWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                             OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                             VARIABLE_PITCH | FF_SWISS, L"楷体_GB2312"));
    m_nFontHeight = nHeight;
}

void CMyStatic::Draw(HDC dc, const RECT& client) const {
    const HFONT font = m_font ? m_font.Get() : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    CSelectObject selected(dc, font);
    ::SetTextColor(dc, m_crText);
    SetBkMode(dc, TRANSPARENT);
    CBrush ground(CreateSolidBrush(kGround));
    FillRect(dc, &client, ground.Get());
    // Only lines ended by a newline are drawn; the stored text always ends with one.
    size_t start = 0;
    int y = client.top;
    for (size_t nl; (nl = m_strText.find(L'\n', start)) != std::wstring::npos; start = nl + 1) {
        TextOutW(dc, client.left, y, m_strText.c_str() + start, static_cast<int>(nl - start));
        y += m_nFontHeight + 10;
    }
}

std::wstring CMyStatic::StoredForm(std::wstring text) {
    if (!text.empty() && text.back() != L'\n') text += L'\n';
    return text;
}

LRESULT CMyStatic::OnSetText(WPARAM /*wParam*/, LPARAM lParam) {
    const auto* const text = reinterpret_cast<const wchar_t*>(lParam);
    std::wstring stored = StoredForm(text != nullptr ? text : L"");
    // A field whose text stays is not repainted, since each repaint of a window costs Wine's
    // X11 driver failed opens of the X resource files.
    if (stored == m_strText) return TRUE;
    m_strText = std::move(stored);
    InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
    return TRUE;
}

void CMyStatic::OnPaint() {
    CPaintDC dc(GetSafeHwnd());
    RECT client = {};
    GetClientRect(GetSafeHwnd(), &client);
    Draw(dc.Get(), client);
}

LRESULT CMyStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETTEXT:
            return OnSetText(wParam, lParam);
        case WM_PAINT:
            OnPaint();
            return 0;
        default:
            if (msg == ReadTextMessage() && msg != 0) {
                COPYDATASTRUCT data = {kCopyDataTag,
                                       static_cast<DWORD>(m_strText.size() * sizeof(wchar_t)),
                                       const_cast<wchar_t*>(m_strText.data())};
                return SendMessageW(reinterpret_cast<HWND>(wParam), WM_COPYDATA,
                                    reinterpret_cast<WPARAM>(GetSafeHwnd()),
                                    reinterpret_cast<LPARAM>(&data)) != 0
                           ? TRUE
                           : FALSE;
            }
            return Default();
    }
}
