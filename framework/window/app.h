// The application object: start-up, the message loop with idle command enabling, the
// per-user profile with its recent-file list, the document commands, and shutdown in
// order (windows, then the document objects, then COM).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "cmd_target.h"
#include "command_ids.h"
#include "command_line.h"
#include "printer_choice.h"
#include "recent_file_list.h"

class CFrameWnd;
class CSingleDocTemplate;

class CWinApp : public CCmdTarget {
public:
    // The application's name comes from string AFX_IDS_APP_TITLE unless one is given.
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop, until WM_QUIT; then ExitInstance.
    int Run();
    // Command enabling of the main frame; runs whenever the queue is empty.
    virtual void OnIdle();
    // Keyboard pre-translation from the message's window up to the main window.
    BOOL PreTranslateMessage(MSG* msg);

    bool OnCommand(UINT id, UINT code, HWND control) override;

    // OleInitialize, undone after everything else at the end.
    bool AfxOleInit();
    void SetRegistryKey(const wchar_t* key);
    // Reads the recent-file list (capacity entries) and the standard settings.
    void LoadStdProfileSettings(size_t capacity);
    void AddToRecentFileList(const std::wstring& path);
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }
    // HKCU\Software\<registry key>\<application name>
    std::wstring ProfileKeyPath() const;

    void AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate);
    CSingleDocTemplate* DocTemplate() const { return m_docTemplate.get(); }
    // New, open, print, unregister: false when the command leaves no main window.
    BOOL ProcessShellCommand(const CCommandLineInfo& info);
    // Removes the program's profile key with everything under it; a failure is said.
    bool Unregister();

    void OnFileNew();
    void OnFileOpen();
    // The print dialog in its setup form; the printer chosen serves the run from then on.
    void OnFilePrintSetup();
    CPrinterChoice& Printer() { return m_printer; }

    // The command line while its print command runs (the printer it names), else null.
    const CCommandLineInfo* m_pCmdInfo = nullptr;

    // From the moment the main window starts to close: the focus that moves while the
    // windows go is not the operator's doing.
    bool IsClosing() const { return m_bClosing; }
    void SetClosing(bool closing) { m_bClosing = closing; }

    const std::wstring& AppName() const { return m_appName; }
    HINSTANCE Instance() const { return m_hInstance; }

    CFrameWnd* m_pMainWnd = nullptr;

    // Runs the application object: InitInstance, the loop, ExitInstance, shutdown.
    static int Main();

    static const CRuntimeClass classCWinApp;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCWinApp; }

private:
    void WriteRecentFileList() const;
    void Shutdown();

    HINSTANCE m_hInstance;
    std::wstring m_appName;
    std::wstring m_registryKey;
    CRecentFileList m_recentFiles{0};
    CPrinterChoice m_printer;
    std::unique_ptr<CSingleDocTemplate> m_docTemplate;
    bool m_oleInitialized = false;
    bool m_bClosing = false;
};

CWinApp* AfxGetApp();
// A string resource of the program; empty when missing.
std::wstring LoadResString(UINT id);

// The framework's message box: caption the application's name, owner the active
// top-level window. Tests replace the function that shows it.
using MessageBoxFunction = int (*)(HWND owner, const std::wstring& text,
                                   const std::wstring& caption, UINT type);
int AfxMessageBox(const std::wstring& text, UINT type = MB_OK | MB_ICONEXCLAMATION);
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);
