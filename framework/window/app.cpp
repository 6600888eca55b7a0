#include "app.h"

#include <cderr.h>
#include <commdlg.h>
#include <ole2.h>

#include "dialog.h"
#include "document.h"
#include "error_text.h"
#include "frame_wnd.h"
#include "trace.h"

namespace {

CWinApp* g_app = nullptr;

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxFunction g_messageBox = ShowMessageBox;

constexpr wchar_t kRecentSection[] = L"Recent File List";

// A registry string value; empty when missing.
std::wstring ReadString(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ || bytes == 0) {
        return std::wstring();
    }
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) != ERROR_SUCCESS) {
        return std::wstring();
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

}  // namespace

const CRuntimeClass CWinApp::classCWinApp = {"CWinApp", &CCmdTarget::classCCmdTarget, nullptr};

CWinApp* AfxGetApp() { return g_app; }

std::wstring LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
    const MessageBoxFunction previous = g_messageBox;
    g_messageBox = function != nullptr ? function : ShowMessageBox;
    return previous;
}

int AfxMessageBox(const std::wstring& text, UINT type) {
    HWND owner = GetActiveWindow();
    if (owner != nullptr) owner = GetAncestor(owner, GA_ROOT);
    const std::wstring caption = g_app != nullptr ? g_app->AppName() : std::wstring();
    return g_messageBox(owner, text, caption, type);
}

CWinApp::CWinApp(const wchar_t* appName)
    : m_hInstance(GetModuleHandleW(nullptr)), m_appName(appName != nullptr ? appName : L"") {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Main() {
    CWinApp* const app = AfxGetApp();
    if (app == nullptr) return 1;
    if (app->m_appName.empty()) app->m_appName = LoadResString(AFX_IDS_APP_TITLE);
    int code = 0;
    if (!app->InitInstance()) {
        // Whatever was made goes in order; the end is not an error of the program.
        app->m_bClosing = true;
        if (app->m_pMainWnd != nullptr) app->m_pMainWnd->DestroyWindow();
        code = app->ExitInstance();
    } else {
        code = app->Run();
    }
    app->Shutdown();
    return code;
}

void CWinApp::Shutdown() {
    m_bClosing = true;
    m_pMainWnd = nullptr;
    m_docTemplate.reset();
    if (m_oleInitialized) {
        Trace(L"OleUninitialize");
        OleUninitialize();
        m_oleInitialized = false;
    }
}

bool CWinApp::AfxOleInit() {
    if (m_oleInitialized) return true;
    m_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
    return m_oleInitialized;
}

int CWinApp::Run() {
    MSG msg = {};
    // The commands' first state is there before anyone can look at the window.
    OnIdle();
    for (;;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) OnIdle();
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    const int exitCode = ExitInstance();
    return exitCode != 0 ? exitCode : static_cast<int>(msg.wParam);
}

void CWinApp::OnIdle() {
    if (m_pMainWnd != nullptr && m_pMainWnd->GetSafeHwnd() != nullptr) {
        m_pMainWnd->OnIdleUpdateCmdUI();
    }
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    const HWND top = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    // A key for a hidden part of the shown frame sends the dialog manager's mnemonic search
    // round a hidden subtree for ever: the focus goes somewhere visible, the key is dropped.
    if (top != nullptr && IsWindowVisible(top) && IsChild(top, msg->hwnd) &&
        !IsWindowVisible(msg->hwnd)) {
        KeepFocusVisible();
        return TRUE;
    }
    // The innermost window first: a page's dialog keys before the frame's accelerators.
    for (HWND hwnd = msg->hwnd; hwnd != nullptr; hwnd = GetParent(hwnd)) {
        CWnd* const object = CWnd::FromHandle(hwnd);
        if (object != nullptr && object->PreTranslateMessage(msg)) return TRUE;
        if (hwnd == top) break;
    }
    return FALSE;
}

bool CWinApp::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
        case ID_FILE_NEW:
            OnFileNew();
            return true;
        case ID_FILE_OPEN:
            OnFileOpen();
            return true;
        case ID_FILE_PRINT_SETUP:
            OnFilePrintSetup();
            return true;
        default:
            return false;
    }
}

void CWinApp::SetRegistryKey(const wchar_t* key) { m_registryKey = key; }

std::wstring CWinApp::ProfileKeyPath() const {
    return L"Software\\" + m_registryKey + L"\\" + m_appName;
}

void CWinApp::LoadStdProfileSettings(size_t capacity) {
    m_recentFiles = CRecentFileList(capacity);
    if (m_registryKey.empty()) return;
    HKEY key = nullptr;
    const std::wstring section = ProfileKeyPath() + L"\\" + kRecentSection;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, section.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    std::vector<std::wstring> entries;
    for (size_t i = 1; i <= capacity; ++i) {
        entries.push_back(ReadString(key, L"File" + std::to_wstring(i)));
    }
    RegCloseKey(key);
    m_recentFiles.Assign(entries);
}

void CWinApp::AddToRecentFileList(const std::wstring& path) {
    if (m_recentFiles.Add(path)) WriteRecentFileList();
}

void CWinApp::WriteRecentFileList() const {
    if (m_registryKey.empty()) return;
    const std::wstring section = ProfileKeyPath() + L"\\" + kRecentSection;
    RegDeleteKeyW(HKEY_CURRENT_USER, section.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, section.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const auto& entries = m_recentFiles.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::wstring name = L"File" + std::to_wstring(i + 1);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(entries[i].c_str()),
                       static_cast<DWORD>((entries[i].size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate) {
    m_docTemplate = std::move(docTemplate);
}

BOOL CWinApp::ProcessShellCommand(const CCommandLineInfo& info) {
    if (info.m_nShellCommand == CCommandLineInfo::AppUnregister) {
        Unregister();
        return FALSE;
    }
    if (!info.ShowsMainWindow() && info.m_nShellCommand != CCommandLineInfo::FilePrint &&
        info.m_nShellCommand != CCommandLineInfo::FilePrintTo) {
        Trace(L"Start-up switch without a main window: the program ends");
        return FALSE;
    }
    if (m_docTemplate == nullptr) return FALSE;
    const bool print = info.m_nShellCommand == CCommandLineInfo::FilePrint ||
                       info.m_nShellCommand == CCommandLineInfo::FilePrintTo;
    if (print && info.m_strFileName.empty()) return FALSE;
    const wchar_t* const path =
        info.m_nShellCommand == CCommandLineInfo::FileNew ? nullptr : info.m_strFileName.c_str();
    if (m_docTemplate->OpenDocumentFile(path) == nullptr) return FALSE;
    if (print) {
        // One page to the printer named, or to the chosen or default one; then the end.
        m_pCmdInfo = &info;
        SendMessageW(m_pMainWnd->GetSafeHwnd(), WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
        m_pCmdInfo = nullptr;
        return FALSE;
    }
    return m_pMainWnd != nullptr;
}

void CWinApp::OnFileNew() {
    if (m_docTemplate != nullptr) m_docTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    if (m_docTemplate == nullptr) return;
    std::wstring file(MAX_PATH * 4, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    static const wchar_t filter[] = L"All files (*.*)\0*.*\0";
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) return;
    file.resize(wcsnlen(file.c_str(), file.size()));
    m_docTemplate->OpenDocumentFile(file.c_str());
}

bool CWinApp::Unregister() {
    // Without a registry key the profile is nowhere in the registry: nothing to remove.
    if (m_registryKey.empty() || m_appName.empty()) return true;
    const std::wstring key = ProfileKeyPath();
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        TraceText(L"profile removed: HKEY_CURRENT_USER\\" + key);
        return true;
    }
    TraceText(L"profile not removed: HKEY_CURRENT_USER\\" + key + L", error " +
              std::to_wstring(status));
    AfxMessageBox(L"无法删除程序的设置：\nHKEY_CURRENT_USER\\" + key + L"\n原因：" +
                  SystemErrorText(static_cast<DWORD>(status)));
    return false;
}

void CWinApp::OnFilePrintSetup() {
    if (!AnyPrinterInstalled()) {
        // Said once, here: the platform's setup dialog would warn and then fail as well.
        CPrinterResult none;
        none.error = PDERR_NODEVICES;
        ReportPrinterFailure(L"print setup", none);
        return;
    }
    const HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    const CPrinterResult result = m_printer.RunDialog(owner, PD_PRINTSETUP | PD_NOWARNING);
    if (!result.chosen) {
        ReportPrinterFailure(L"print setup", result);
        return;
    }
    TraceText(L"print setup: " + result.device);
}
