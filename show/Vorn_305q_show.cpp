#include "Vorn_305q_show.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "MainFrm.h"
#include "Vorn_305q_showDoc.h"
#include "Vorn_305q_showView.h"
#include "dialog.h"
#include "document.h"
#include "resource.h"
#include "trace.h"

CVorn_305q_showApp theApp;

namespace {

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};

void TraceInvoke(const wchar_t* line) { TraceDetail(line); }

// The program file's directory with its final backslash.
std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* const argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; argv != nullptr && i < count; ++i) args.emplace_back(argv[i]);
    if (argv != nullptr) LocalFree(argv);
    return args;
}

}  // namespace

BOOL CVorn_305q_showApp::InitInstance() {
    CControlWnd::SetInvokeTraceHook(TraceInvoke);
    if (!AfxOleInit()) {
        Trace(L"OleInitialize failed");
        return FALSE;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    SetRegistryKey(L"Local AppWizard-Generated Applications");
    LoadStdProfileSettings(4);
    m_strProgramDir = ProgramDirectory();
    TraceText(L"program directory: " + m_strProgramDir);

    AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        IDR_MAINFRAME, &CVorn_305q_showDoc::classCVorn_305q_showDoc, &CMainFrame::classCMainFrame,
        &CVorn_305q_showView::classCVorn_305q_showView));

    TraceText(std::wstring(L"command line: ") + GetCommandLineW());
    const std::vector<std::wstring> args = Arguments();
    const CCommandLineInfo info = ParseCommandLine(args);
    if (!ProcessShellCommand(info) || m_pMainWnd == nullptr) {
        Trace(L"start-up ended without a main window");
        return FALSE;
    }
    m_pMainWnd->CenterWindow();
    ShowWindow(m_pMainWnd->GetSafeHwnd(), SW_SHOWNORMAL);
    UpdateWindow(m_pMainWnd->GetSafeHwnd());
    Trace(L"main window shown");
    return TRUE;
}

int CVorn_305q_showApp::ExitInstance() { return CWinApp::ExitInstance(); }

void CVorn_305q_showApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal(m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr);
}

bool CVorn_305q_showApp::OnCommand(UINT id, UINT code, HWND control) {
    if (id == ID_APP_ABOUT) {
        OnAppAbout();
        return true;
    }
    return CWinApp::OnCommand(id, code, control);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return CWinApp::Main(); }
