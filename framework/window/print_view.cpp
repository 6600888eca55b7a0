// The view's printing: the print job of its one page, and the print preview that stands in
// its place.
#include "print_view.h"

#include <commdlg.h>

#include <memory>

#include "app.h"
#include "dialog.h"
#include "document.h"
#include "error_text.h"
#include "frame_wnd.h"
#include "print_preview.h"
#include "trace.h"

CFormView::CFormView(UINT templateId) : CDialog(templateId) {}

// The preview first, while the view still is one.
CFormView::~CFormView() { m_preview.reset(); }

BOOL CFormView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

void CFormView::OnBeginPrinting(HDC, CPrintInfo*) {}

void CFormView::OnEndPrinting(HDC, CPrintInfo*) {}

void CFormView::OnPrint(HDC, CPrintInfo*) {}

bool CFormView::IsPreviewing() const { return m_preview != nullptr && m_preview->IsShown(); }

BOOL CFormView::DoPreparePrinting(CPrintInfo* info) {
    CWinApp* const app = AfxGetApp();
    if (app == nullptr) return FALSE;
    CPrinterResult printer;
    const CCommandLineInfo* const command = app->m_pCmdInfo;
    if (command != nullptr && command->m_nShellCommand == CCommandLineInfo::FilePrintTo) {
        // The shell's print-to: the printer it names, not the chosen or default one.
        printer = CPrinterChoice::CreateNamedDC(command->m_strPrinterName, command->m_strDriverName,
                                                command->m_strPortName);
    } else if (info->m_bPreview || info->m_bDirect) {
        printer = app->Printer().CreateDC();
    } else {
        // Where the platform honours it, the warning about a missing printer is ours.
        const HWND owner = m_pFrame != nullptr ? m_pFrame->GetSafeHwnd() : GetParent(GetSafeHwnd());
        printer = app->Printer().RunDialog(owner, PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS |
                                                      PD_USEDEVMODECOPIESANDCOLLATE | PD_NOWARNING);
    }
    if (printer.dc.Get() == nullptr) {
        ReportPrinterFailure(info->m_bPreview ? L"preview" : L"print", printer);
        return FALSE;
    }
    info->m_printerDC = std::move(printer.dc);
    info->m_strPrinter = printer.device;
    const HDC dc = info->m_printerDC.Get();
    info->m_rectDraw = {0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    return TRUE;
}

void CFormView::OnFilePrint() { PrintPages(false); }

void CFormView::OnFilePrintDirect() { PrintPages(true); }

void CFormView::PrintPages(bool direct) {
    CPrintInfo info;
    info.m_bDirect = direct;
    if (!OnPreparePrinting(&info)) return;
    const HDC dc = info.m_printerDC.Get();
    if (dc == nullptr) {
        Trace(L"print: no printer chosen");
        return;
    }
    TraceText(L"print: to " + info.m_strPrinter);
    OnBeginPrinting(dc, &info);
    const std::wstring title = GetDocument() != nullptr ? GetDocument()->GetTitle() : L"";
    DOCINFOW doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = title.c_str();
    if (StartDocW(dc, &doc) <= 0) {
        const DWORD error = GetLastError();
        OnEndPrinting(dc, &info);
        Trace(L"print: not started, error %lu", error);
        AfxMessageBox(L"无法打印：" + SystemErrorText(error));
        return;
    }
    bool printed = StartPage(dc) > 0;
    if (printed) {
        OnPrint(dc, &info);
        printed = EndPage(dc) > 0;
    }
    const DWORD error = GetLastError();
    if (!printed) {
        AbortDoc(dc);
        OnEndPrinting(dc, &info);
        Trace(L"print: page failed, error %lu", error);
        AfxMessageBox(L"无法打印：" + SystemErrorText(error));
        return;
    }
    if (EndDoc(dc) <= 0) {
        const DWORD endError = GetLastError();
        OnEndPrinting(dc, &info);
        Trace(L"print: not finished, error %lu", endError);
        AfxMessageBox(L"无法打印：" + SystemErrorText(endError));
        return;
    }
    OnEndPrinting(dc, &info);
    Trace(L"print: one page");
}

void CFormView::OnFilePrintPreview() {
    // The frame refuses a second one while a preview shows; nothing to do if one comes.
    if (IsPreviewing()) return;
    auto info = std::make_unique<CPrintInfo>();
    info->m_bPreview = true;
    if (!OnPreparePrinting(info.get())) return;
    if (info->m_printerDC.Get() == nullptr) {
        Trace(L"preview: no printer chosen");
        return;
    }
    m_preview.reset();
    auto preview = std::make_unique<CPreviewView>(this, std::move(info));
    if (!preview->Start()) {
        Trace(L"preview: could not be shown");
        AfxMessageBox(L"无法显示打印预览。");
        return;
    }
    m_preview = std::move(preview);
}
