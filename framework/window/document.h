// The single document of a document program and the template that ties it to its
// frame and view classes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "cmd_target.h"

class CFrameWnd;
class CFormView;
class CSingleDocTemplate;

class CDocument : public CCmdTarget {
public:
    virtual BOOL OnNewDocument();
    // Opens the file (another program may hold it open) and closes it again: the document
    // holds no data. A failure is said in a message box.
    virtual BOOL OnOpenDocument(const std::wstring& path);
    // Creates an empty file where none exists and leaves an existing file exactly as it is.
    // A failure is said in a message box.
    virtual BOOL OnSaveDocument(const std::wstring& path);
    virtual void DeleteContents() {}

    // Save: an untitled document asks for a name first.
    BOOL DoFileSave();
    BOOL DoSave(const std::wstring& path);
    void SetPathName(const std::wstring& path, bool addToRecent = true);
    const std::wstring& GetPathName() const { return m_strPathName; }
    void SetTitle(const std::wstring& title);
    const std::wstring& GetTitle() const { return m_strTitle; }

    CSingleDocTemplate* m_pDocTemplate = nullptr;
    CFormView* m_pView = nullptr;

    bool OnCommand(UINT id, UINT code, HWND control) override;

    static const CRuntimeClass classCDocument;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCDocument; }

private:
    std::wstring m_strPathName;
    std::wstring m_strTitle;
};

// What a frame needs to make its view.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

class CSingleDocTemplate {
public:
    // resourceId names the frame's menu, accelerators, icon and document string.
    CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass,
                       const CRuntimeClass* frameClass, const CRuntimeClass* viewClass);
    ~CSingleDocTemplate();
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    // New (null path) or open. The first call creates the document, frame and view;
    // later ones re-initialise the same document and run the view's initial update
    // again. Null on failure (nothing of a first call is left).
    CDocument* OpenDocumentFile(const wchar_t* path);

    CDocument* Document() const { return m_document.get(); }
    CFrameWnd* Frame() const { return m_frame.get(); }
    // A field of the document string (0 window title, 2 new-document name).
    std::wstring DocString(int index) const;
    UINT ResourceId() const { return m_resourceId; }

private:
    UINT m_resourceId;
    const CRuntimeClass* m_docClass;
    const CRuntimeClass* m_frameClass;
    const CRuntimeClass* m_viewClass;
    std::unique_ptr<CDocument> m_document;
    std::unique_ptr<CFrameWnd> m_frame;
};
