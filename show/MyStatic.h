// A static that paints its own multi-line text in 楷体_GB2312 on a light grey ground. The
// text it draws is kept apart from its window text, which stays the template's.
#pragma once

#include <windows.h>

#include <string>

#include "controls.h"
#include "gdi.h"

class CMyStatic : public CStatic {
public:
    CMyStatic() = default;
    ~CMyStatic() override = default;

    // Once per control; a second call replaces the font.
    void CreateTextFont(int nHeight, int nWidth);
    // Takes effect at the next repaint.
    void SetTextColor(COLORREF color) { m_crText = color; }
    const std::wstring& GetText() const { return m_strText; }
    // True when setting text would leave the field as it is.
    bool Shows(const std::wstring& text) const { return StoredForm(text) == m_strText; }

    // The ground, then each line (m_nFontHeight + 10) pixels below the one before.
    void Draw(HDC dc, const RECT& client) const;

    // The registered message that sends the stored text, by WM_COPYDATA with dwData
    // kCopyDataTag, to the window whose handle is wParam; answers TRUE when sent.
    static UINT ReadTextMessage();
    static constexpr ULONG_PTR kCopyDataTag = 0x5653544D;  // "MTSV"

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The text as kept: ended by a newline unless empty.
    static std::wstring StoredForm(std::wstring text);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    void OnPaint();

    CFont m_font;
    std::wstring m_strText;
    int m_nFontHeight = 0;  // no font yet: the stock font at a pitch of 10
    COLORREF m_crText = RGB(0, 0, 0);
};
