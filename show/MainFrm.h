// The program's main frame: menu, tool bar with the card and axis selectors, status bar,
// a fixed size once the view has fitted it, and a fixed title.
#pragma once

#include "MyToolBar.h"
#include "frame_wnd.h"

class CVorn_305q_showView;

class CMainFrame : public CFrameWnd {
public:
    CMainFrame() = default;

    // Lists cards 0 to count - 1 and selects the first, or disables both selectors.
    void FillCardSelector(short nCount);
    BOOL HasCards() const { return m_bCardsListed != 0 ? TRUE : FALSE; }
    void EnableAxisSelector(BOOL bEnable);
    // The document's name never shows: the frame keeps its own title.
    void OnUpdateFrameTitle() override;

    static const CRuntimeClass classCMainFrame;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCMainFrame; }

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    BOOL CreateCardSelector();
    BOOL CreateAxisSelector();
    // Turns the button of id into a separator width pixels wide and creates combo there.
    BOOL CreateSelector(UINT id, int width, int leftInset, CComboBox& combo);
    void OnSelendokCard();
    void OnSelendokAxis();
    void KeepTitle();
    bool SizeRecorded() const;
    // Once: KeepRecordedSize after the messages queued now.
    void PostKeepRecordedSize();
    void KeepRecordedSize();
    CVorn_305q_showView* View() const;

    CStatusBar m_wndStatusBar;
    CMyToolBar m_wndToolBar;
    int m_bCardsListed = 0;
    bool m_bKeepSizePosted = false;
};
