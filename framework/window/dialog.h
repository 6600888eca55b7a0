// Dialogs: modal ones, modeless child pages and panels, the form view; and the
// dialog data exchange between members and controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "cmd_target.h"
#include "wnd.h"

class CDialog;
class CDocument;
class CFrameWnd;
class CPreviewView;
struct CPrintInfo;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // The control id of the dialog, or null.
    HWND PrepareCtrl(int id) const;
    // A value could not be read: one message box, then focus and the whole text
    // selected in control; every later exchange of this pass does nothing.
    void Fail(HWND control, const std::wstring& message);
    bool Failed() const { return m_bFailed; }

    CDialog* const m_pDlgWnd;
    const bool m_bSaveAndValidate;  // true: controls to members

private:
    bool m_bFailed = false;
};

// Binds ctrl to the dialog's control id by subclassing, once.
void DDX_Control(CDataExchange* pDX, int id, CWnd& ctrl);
// Radio group starting at firstId: index of the checked button, -1 when none.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, float& value);
void DDX_Text(CDataExchange* pDX, int id, double& value);
void DDX_CBIndex(CDataExchange* pDX, int id, int& value);

// The first visible, enabled tab stop under parent in tab order, looking into visible child
// dialogs; null when there is none.
HWND FirstVisibleTabStop(HWND parent);
// Takes the keyboard focus out of a hidden or disabled window (keys there would reach a
// part of the program the operator cannot see): it goes to the nearest visible ancestor,
// which hands it on as its WM_SETFOCUS decides.
void KeepFocusVisible();

// The texts of the two parse failures.
extern const wchar_t kParseIntFailure[];
extern const wchar_t kParseNumberFailure[];

class CDialog : public CWnd, public CCmdTarget {
public:
    explicit CDialog(UINT templateId);
    // A modeless dialog still open goes with its object.
    ~CDialog() override;

    // Modal: the dialog's result (IDOK, IDCANCEL, or -1 on failure).
    INT_PTR DoModal(HWND parent);
    // Modeless, a child of parent for a child template.
    BOOL CreateModeless(HWND parent);
    void EndDialog(INT_PTR result);

    // Runs the exchange; false when a value was refused (save direction only).
    bool UpdateData(bool saveAndValidate = true);
    // While a parse failure is being reported (box, refocus): focus-loss handlers of
    // the page do nothing then, so the report cannot cascade.
    bool IsReportingFailure() const { return m_bReportingFailure; }

    BOOL PreTranslateMessage(MSG* msg) override;
    UINT TemplateId() const { return m_templateId; }

    static const CRuntimeClass classCDialog;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCDialog; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Not handled: the dialog manager does the default.
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A child dialog given the focus passes it to its first visible tab stop: the
    // dialog manager's remembered control may lie on a page hidden since.
    void OnSetFocus();
    // A child dialog hidden with the focus inside gives the focus away.
    void OnHidden();
    // Initialisation data (combo entries), then the exchange into the controls.
    virtual BOOL OnInitDialog();
    virtual void OnApplyInitData() {}
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
    virtual void OnOK();
    virtual void OnCancel();

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    friend class CDataExchange;

    UINT m_templateId;
    bool m_bModal = false;
    bool m_bDefaultUsed = false;
    bool m_bReportingFailure = false;
};

// The view: a child dialog from a template, filling the frame's client area; it prints
// and previews its pages (print_view.cpp).
class CFormView : public CDialog {
public:
    explicit CFormView(UINT templateId);
    ~CFormView() override;

    using CWnd::Create;
    virtual BOOL Create(CFrameWnd* parent, UINT id, CCreateContext* context);
    // After new and open: the base runs the exchange into the controls.
    virtual void OnInitialUpdate();
    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const { return m_pFrame; }
    // Resizes the frame so that this view's client area is exactly the form.
    void ResizeParentToFit();
    // The frame's WM_ACTIVATE: going inactive it keeps where the focus was, coming back it
    // gives the focus there again while that window is still visible and enabled; true
    // when it placed the focus.
    bool OnActivateFrame(UINT state, bool minimized);

    // Commands reach the document after the view.
    bool OnUpdateCommand(UINT id, bool& enable) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // The framework's print commands, for the derived view to route to: print with the
    // print dialog (57607), without it (57608), and print preview (57609).
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // A print preview shows in this view's place.
    bool IsPreviewing() const;

    static const CRuntimeClass classCFormView;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCFormView; }

protected:
    void OnOK() override {}
    void OnCancel() override {}

    // Before a print or a preview: puts the printer into info; FALSE ends it (the default
    // is DoPreparePrinting).
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    // The framework's preparation: the print dialog, or without it the printer chosen in
    // this run (the default one while none is chosen), or the printer the command line
    // names. A failure is said; FALSE then, and when the operator cancels.
    BOOL DoPreparePrinting(CPrintInfo* info);
    // Around the pages of a print or preview, with the printer's device context.
    virtual void OnBeginPrinting(HDC dc, CPrintInfo* info);
    virtual void OnEndPrinting(HDC dc, CPrintInfo* info);
    // Draws a page into dc (the printer's, or the preview's mapped to the page shown);
    // info->m_rectDraw is the page's printable area.
    virtual void OnPrint(HDC dc, CPrintInfo* info);

private:
    friend class CPreviewView;

    void PrintPages(bool direct);

    CDocument* m_pDocument = nullptr;
    CFrameWnd* m_pFrame = nullptr;
    HWND m_hWndSavedFocus = nullptr;
    // The last preview; its window is gone once it has ended.
    std::unique_ptr<CPreviewView> m_preview;
};
