// The frame's control bars and the combo box the tool bar holds.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wnd.h"

// Bar styles. They share bits with the common controls' own styles, so a bar keeps them
// and gives its control only the window styles and what they mean for it.
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;  // tool tips on the buttons
constexpr DWORD CBRS_FLYBY = 0x0020;     // prompts in the status bar as the pointer passes
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_GRIPPER = 0x00400000;  // a handle at the left edge
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;

// A tool bar at the top: buttons from a bitmap of 16 x 15 images, command ids from a
// table. Commands of child controls (combo boxes in separator slots) go on to the parent
// frame.
class CToolBar : public CWnd {
public:
    // toolStyle: the control's TBSTYLE_ bits; style: window and CBRS_ bits.
    BOOL CreateEx(CWnd* parent, DWORD toolStyle, DWORD style, UINT id);
    // Image i of bitmapId is the button with ids[i]; 0 in ids makes a separator.
    BOOL LoadToolBar(UINT bitmapId, const UINT* ids, int count);
    int CommandToIndex(UINT id) const;
    // Turns a button into a separator of width pixels (TBSTYLE_SEP) or back.
    void SetButtonInfo(int index, UINT id, BYTE style, int imageOrWidth);
    RECT GetItemRect(int index) const;
    // Adds a child window (a combo box) to the tool bar's tool tips.
    void AddToolTip(HWND child, HWND notifyWindow);

    // Room the gripper takes at the left edge, before the first button.
    static constexpr int kGripperWidth = 10;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Into a DC of the client area.
    void DrawGripper(HDC dc) const;

    DWORD m_barStyle = 0;
};

// Message pane and indicator panes; the indicators show their text while their key is
// locked.
class CStatusBar : public CWnd {
public:
    BOOL Create(CWnd* parent, DWORD style, UINT id);
    // ids[0] 0 for the message pane; the others string ids of the indicators.
    BOOL SetIndicators(const UINT* ids, int count);
    void SetPaneText(int index, const std::wstring& text);
    std::wstring GetPaneText(int index) const;
    // Caps, num and scroll lock state of indicators 0xE701 to 0xE703.
    void OnIdleUpdate();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Indicator panes as wide as their texts at the right, the message pane the rest.
    bool LayoutPanes();

    std::vector<UINT> m_ids;
    std::vector<std::wstring> m_texts;  // what each pane shows now
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(const std::wstring& text) const;
    int SetCurSel(int index) const;
    int GetCurSel() const;
    int GetCount() const;
    void Enable(bool enable) const;
};
