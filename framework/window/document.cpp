#include "document.h"

#include <commdlg.h>

#include "app.h"
#include "dialog.h"
#include "error_text.h"
#include "frame_wnd.h"
#include "trace.h"

namespace {

constexpr wchar_t kUntitled[] = L"无标题";

// The file name part of a path.
std::wstring FileTitle(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

const CRuntimeClass CDocument::classCDocument = {"CDocument", &CCmdTarget::classCCmdTarget,
                                                 nullptr};

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const std::wstring& path) {
    // Another program may be working on the file: reading it must not need it to let go.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Trace(L"Cannot open the document %lu", error);
        AfxMessageBox(L"无法打开文件：\n" + path + L"\n原因：" + SystemErrorText(error));
        return FALSE;
    }
    CloseHandle(file);
    DeleteContents();
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const std::wstring& path) {
    // The document holds no data: a new file is made empty, and a file that exists already
    // has nothing to gain from this document, so it is never truncated.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = ERROR_SUCCESS;
    if (file != INVALID_HANDLE_VALUE) {
        if (!CloseHandle(file)) error = GetLastError();
    } else {
        error = GetLastError();
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (error == ERROR_FILE_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            TraceText(L"document file kept as it is: " + path);
            return TRUE;
        }
        if (error == ERROR_FILE_EXISTS) error = ERROR_ACCESS_DENIED;
    }
    if (error != ERROR_SUCCESS) {
        Trace(L"Cannot save the document %lu", error);
        AfxMessageBox(L"无法保存文件：\n" + path + L"\n原因：" + SystemErrorText(error));
        return FALSE;
    }
    return TRUE;
}

bool CDocument::OnCommand(UINT id, UINT, HWND) {
    if (id != ID_FILE_SAVE) return false;
    DoFileSave();
    return true;
}

BOOL CDocument::DoFileSave() {
    if (!m_strPathName.empty()) return DoSave(m_strPathName);
    std::wstring file(MAX_PATH * 4, L'\0');
    const std::wstring title = m_strTitle;
    title.copy(file.data(), std::min(title.size(), file.size() - 1));
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    CWinApp* const app = AfxGetApp();
    ofn.hwndOwner =
        app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    static const wchar_t filter[] = L"All files (*.*)\0*.*\0";
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn)) return FALSE;
    file.resize(wcsnlen(file.c_str(), file.size()));
    return DoSave(file);
}

BOOL CDocument::DoSave(const std::wstring& path) {
    if (!OnSaveDocument(path)) return FALSE;
    SetPathName(path);
    TraceText(L"document saved: " + path);
    return TRUE;
}

void CDocument::SetPathName(const std::wstring& path, bool addToRecent) {
    m_strPathName = path;
    SetTitle(FileTitle(path));
    if (addToRecent && AfxGetApp() != nullptr) AfxGetApp()->AddToRecentFileList(path);
}

void CDocument::SetTitle(const std::wstring& title) {
    m_strTitle = title.empty() ? std::wstring(kUntitled) : title;
    if (m_pDocTemplate != nullptr && m_pDocTemplate->Frame() != nullptr) {
        m_pDocTemplate->Frame()->OnUpdateFrameTitle();
    }
}

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass,
                                       const CRuntimeClass* frameClass,
                                       const CRuntimeClass* viewClass)
    : m_resourceId(resourceId),
      m_docClass(docClass),
      m_frameClass(frameClass),
      m_viewClass(viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_frame != nullptr && m_frame->GetSafeHwnd() != nullptr) m_frame->DestroyWindow();
    m_frame.reset();
    m_document.reset();
}

std::wstring CSingleDocTemplate::DocString(int index) const {
    const std::wstring all = LoadResString(m_resourceId);
    size_t begin = 0;
    for (int i = 0; i < index; ++i) {
        begin = all.find(L'\n', begin);
        if (begin == std::wstring::npos) return std::wstring();
        ++begin;
    }
    const size_t end = all.find(L'\n', begin);
    return all.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* path) {
    const bool first = m_document == nullptr;
    if (first) {
        std::unique_ptr<CDocument> document = CreateObjectAs<CDocument>(m_docClass);
        std::unique_ptr<CFrameWnd> frame = CreateObjectAs<CFrameWnd>(m_frameClass);
        if (document == nullptr || frame == nullptr) {
            Trace(L"The document template cannot create its objects");
            return nullptr;
        }
        document->m_pDocTemplate = this;
        CCreateContext context;
        context.m_pNewViewClass = m_viewClass;
        context.m_pCurrentDoc = document.get();
        if (!frame->LoadFrame(m_resourceId, WS_OVERLAPPEDWINDOW, &context)) {
            Trace(L"The main frame could not be created");
            return nullptr;
        }
        m_document = std::move(document);
        m_frame = std::move(frame);
        if (AfxGetApp() != nullptr) AfxGetApp()->m_pMainWnd = m_frame.get();
    }
    CDocument* const document = m_document.get();
    if (path == nullptr) {
        if (!document->OnNewDocument()) return nullptr;
        document->SetPathName(std::wstring(), false);
        TraceText(L"document new");
    } else {
        if (!document->OnOpenDocument(path)) return first ? nullptr : document;
        document->SetPathName(path);
        TraceText(std::wstring(L"document opened: ") + path);
    }
    m_frame->InitialUpdateFrame(document);
    return document;
}
