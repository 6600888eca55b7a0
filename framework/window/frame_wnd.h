// The main frame of a document program: menu, accelerators, bars at the top and bottom,
// the view filling the rest; command routing and idle command enabling.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "cmd_target.h"
#include "command_ids.h"
#include "wnd.h"

struct CCreateContext;
class CDocument;
class CFormView;
class CPreviewView;

class CFrameWnd : public CWnd, public CCmdTarget {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame with menu, accelerators and icon resourceId, and its view.
    BOOL LoadFrame(UINT resourceId, DWORD style, CCreateContext* context);
    CFormView* GetActiveView() const { return m_view.get(); }
    CDocument* GetActiveDocument() const;
    // A print preview standing in for the view (null when it ends): it takes the view's
    // place in the layout, the focus and the first turn at commands.
    void SetPreview(CPreviewView* preview) { m_pPreview = preview; }
    CPreviewView* GetPreview() const { return m_pPreview; }

    // Places the bars and the view in the client area.
    void RecalcLayout();
    // Runs the view's initial update and sets the title.
    void InitialUpdateFrame(CDocument* doc);
    // Called whenever the document's title may have changed: base, "<document> - <title
    // of the frame's resource>".
    virtual void OnUpdateFrameTitle();
    void CenterWindow();

    // Asks the command chain about every tool bar button and top-level menu item, and
    // applies changes; the status bar's key panes follow the keyboard.
    void OnIdleUpdateCmdUI();
    // Whether the command chain enables id (true when no one decides).
    bool IsCommandEnabled(UINT id);

    BOOL PreTranslateMessage(MSG* msg) override;

    static const CRuntimeClass classCFrameWnd;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCFrameWnd; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Base: creates the view; -1 fails the frame's creation.
    virtual int OnCreate(CREATESTRUCTW* cs);
    virtual BOOL OnCreateClient(CCreateContext* context);
    // The command chain: view, document, this frame, application.
    BOOL OnCmdMsg(UINT id, UINT code, HWND control);
    // Shows a command's prompt (the text before "\n" of its string), or the idle text.
    void SetMessageText(UINT commandId);
    void PostNcDestroy() override;

private:
    // The preview while it shows, else the view.
    CCmdTarget* FirstCommandTarget() const;
    bool RouteUpdate(UINT id, bool& enable);
    // The tool bar or the status bar (by id) for the idle pass, or null.
    HWND IdleBar(UINT id);
    LRESULT OnNotify(NMHDR* header);
    // The idle text again, unless the prompt shown is not the bar's.
    void OnBarPointerLeft();

    UINT m_resourceId = 0;
    HACCEL m_hAccel = nullptr;
    CCreateContext* m_pContext = nullptr;
    std::unique_ptr<CFormView> m_view;
    CPreviewView* m_pPreview = nullptr;   // owned by the view
    std::map<UINT, bool> m_commandState;  // last applied enabling
    UINT m_promptId = 0;                  // command whose prompt is shown, 0 idle
    bool m_barPrompt = false;             // that prompt is a tool bar button's
    std::wstring m_tipText;               // tool tip text handed out last
    HWND m_idleToolBar = nullptr;         // the bars the idle pass found last
    HWND m_idleStatusBar = nullptr;
};
