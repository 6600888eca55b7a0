// The print preview: in the view's place in the frame (the view and the frame's tool bar
// hidden meanwhile), a bar of the preview's commands over the page, drawn to scale in the
// printer's paper size on a dark background. The frame's other commands wait until it ends.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "cmd_target.h"
#include "gdi.h"
#include "wnd.h"

class CFormView;
class CFrameWnd;
struct CPrintInfo;

// The preview's commands (its bar's buttons).
constexpr UINT AFX_ID_PREVIEW_CLOSE = 0xE300;
constexpr UINT AFX_ID_PREVIEW_NUMPAGE = 0xE301;
constexpr UINT AFX_ID_PREVIEW_NEXT = 0xE302;
constexpr UINT AFX_ID_PREVIEW_PREV = 0xE303;
constexpr UINT AFX_ID_PREVIEW_PRINT = 0xE304;
constexpr UINT AFX_ID_PREVIEW_ZOOMIN = 0xE305;
constexpr UINT AFX_ID_PREVIEW_ZOOMOUT = 0xE306;
// The preview's window among the frame's children.
constexpr UINT AFX_IDW_PREVIEW_PANE = 0xE9FF;

class CPreviewView;

// The page area under the bar: it paints and scrolls; the preview decides the rest.
class CPreviewPage : public CWnd {
public:
    explicit CPreviewPage(CPreviewView& preview) : m_preview(preview) {}

    BOOL Create(HWND parent);
    // The page's size in pixels changed: new scroll ranges, a new picture.
    void Relayout();
    // The page's rectangle in this window's client coordinates.
    RECT PageRect() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void Scroll(int bar, int request, int thumb);
    void ScrollTo(int bar, int position);

    CPreviewView& m_preview;
    POINT m_scroll = {0, 0};  // how far the picture is scrolled
    bool m_bRelayout = false;
};

class CPreviewView : public CWnd, public CCmdTarget {
public:
    CPreviewView(CFormView* view, std::unique_ptr<CPrintInfo> info);
    ~CPreviewView() override;

    // Takes the view's place; false (with nothing changed) when it cannot.
    bool Start();
    // Gives the view back, with its page and the focus.
    void Close();
    bool IsShown() const { return m_bShown; }

    // 0 the whole page, then larger up to kMaxZoom.
    int Zoom() const { return m_nZoom; }
    static constexpr int kMaxZoom = 2;
    // The page's size in pixels at the current zoom, for an area of this client size.
    SIZE PageSize(SIZE area) const;
    // Draws the view's page into dc, the page being at rect.
    void DrawPage(HDC dc, const RECT& rect) const;

    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnUpdateCommand(UINT id, bool& enable) override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool CreateWindows();
    void Layout();
    void SetZoom(int zoom);
    void UpdateButtons();
    // Ends the preview's printing and lets the frame go on without it.
    void End();

    CFormView* m_pView;
    CFrameWnd* m_pFrame;
    std::unique_ptr<CPrintInfo> m_pInfo;
    CPreviewPage m_page;
    CFont m_font;
    std::array<HWND, 7> m_buttons = {};
    SIZE m_paper = {};         // the paper in the printer's device units
    SIZE m_paperDpi = {};      // the printer's resolution
    POINT m_printOrigin = {};  // where the printable area starts on the paper
    int m_nZoom = 0;
    bool m_bShown = false;
    bool m_bToolBarWasVisible = false;
    HWND m_hWndViewFocus = nullptr;  // where the focus was in the view
};
