// Base of a property page object: IPropertyPage showing a dialog resource of the module
// as a child of the page frame. A page class supplies its class identifier, dialog and
// caption string; binding controls to properties is left to derived classes.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "com_object.h"
#include "runtime_class.h"
#include "com_ptr.h"

class CPropertyPageBase : public CComObjectBase<IPropertyPage, &IID_IPropertyPage>, public CObject {
public:
    CPropertyPageBase(UINT dialogId, UINT captionId);
    ~CPropertyPageBase() override;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT cmdShow) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    // The page's class identifier.
    virtual HRESULT GetClassID(CLSID* clsid) = 0;

    // Size in pixels of a dialog resource of the module, as the dialog manager would lay
    // it out (dialog units measured with the template's own font).
    static bool DialogPixelSize(UINT dialogId, SIZE* size);

protected:
    HWND PageWindow() const { return m_hDlg; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseObjects();

    UINT m_dialogId;
    UINT m_captionId;
    CComRef<IPropertyPageSite> m_site;
    std::vector<CComRef<IUnknown>> m_objects;
    HWND m_hDlg = nullptr;
};
