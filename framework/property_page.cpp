#include "property_page.h"

#include "resource_string.h"
#include "ole_module.h"

namespace {

// Reads past a name-or-ordinal field of a dialog template.
const WORD* SkipNameOrOrdinal(const WORD* p, const WORD* end) {
    if (p >= end) return nullptr;
    if (*p == 0x0000) return p + 1;
    if (*p == 0xFFFF) return p + 2 <= end ? p + 2 : nullptr;
    while (p < end && *p != 0) ++p;
    return p < end ? p + 1 : nullptr;
}

struct DialogLayout {
    LONG cx;  // dialog units
    LONG cy;
    bool hasFont;
    WORD pointSize;
    const wchar_t* faceName;
};

bool ParseDialogTemplate(const void* data, DWORD bytes, DialogLayout* layout) {
    const WORD* p = static_cast<const WORD*>(data);
    const WORD* const end = p + bytes / sizeof(WORD);
    DWORD style = 0;
    bool extended = false;
    if (bytes >= 26 && p[0] == 1 && p[1] == 0xFFFF) {
        extended = true;
        // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
        style = static_cast<DWORD>(p[6]) | static_cast<DWORD>(p[7]) << 16;
        layout->cx = static_cast<SHORT>(p[11]);
        layout->cy = static_cast<SHORT>(p[12]);
        p += 13;
    } else if (bytes >= 18) {
        // style, exStyle, cdit, x, y, cx, cy
        style = static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 16;
        layout->cx = static_cast<SHORT>(p[7]);
        layout->cy = static_cast<SHORT>(p[8]);
        p += 9;
    } else {
        return false;
    }
    for (int field = 0; field < 3 && p != nullptr; ++field) p = SkipNameOrOrdinal(p, end);
    if (p == nullptr) return false;
    layout->hasFont = (style & DS_SETFONT) != 0;
    if (layout->hasFont) {
        const WORD* face = p + (extended ? 3 : 1);  // point size [, weight, italic+charset]
        if (face >= end) return false;
        layout->pointSize = p[0];
        const WORD* q = face;
        while (q < end && *q != 0) ++q;
        if (q >= end) return false;
        layout->faceName = reinterpret_cast<const wchar_t*>(face);
    }
    return true;
}

}  // namespace

CPropertyPageBase::CPropertyPageBase(UINT dialogId, UINT captionId)
    : m_dialogId(dialogId), m_captionId(captionId) {}

CPropertyPageBase::~CPropertyPageBase() {
    if (m_hDlg != nullptr) DestroyWindow(m_hDlg);
    ReleaseObjects();
}

STDMETHODIMP CPropertyPageBase::SetPageSite(IPropertyPageSite* site) {
    if (site != nullptr && m_site) return E_UNEXPECTED;
    m_site = CComRef<IPropertyPageSite>(site);
    return S_OK;
}

STDMETHODIMP CPropertyPageBase::Activate(HWND parent, LPCRECT rect, BOOL /*modal*/) {
    if (rect == nullptr) return E_POINTER;
    if (m_hDlg != nullptr) return E_UNEXPECTED;
    m_hDlg = CreateDialogParamW(COleControlModule::Instance(), MAKEINTRESOURCEW(m_dialogId), parent,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    if (m_hDlg == nullptr) return E_OUTOFMEMORY;
    MoveWindow(m_hDlg, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
               TRUE);
    return S_OK;
}

STDMETHODIMP CPropertyPageBase::Deactivate() {
    if (m_hDlg != nullptr) {
        const HWND hwnd = m_hDlg;
        m_hDlg = nullptr;
        DestroyWindow(hwnd);
    }
    return S_OK;
}

STDMETHODIMP CPropertyPageBase::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr) return E_POINTER;
    return GuardedCall([&] {
        SIZE size = {};
        if (!DialogPixelSize(m_dialogId, &size)) return E_FAIL;
        LPOLESTR title = CoTaskMemStrDup(LoadResourceString(m_captionId).c_str());
        if (title == nullptr) return E_OUTOFMEMORY;
        info->cb = sizeof(PROPPAGEINFO);
        info->pszTitle = title;
        info->size = size;
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    });
}

STDMETHODIMP CPropertyPageBase::SetObjects(ULONG count, IUnknown** objects) {
    if (count > 0 && objects == nullptr) return E_POINTER;
    return GuardedCall([&] {
        std::vector<CComRef<IUnknown>> kept;
        kept.reserve(count);
        for (ULONG i = 0; i < count; ++i) kept.emplace_back(objects[i]);
        ReleaseObjects();
        m_objects.swap(kept);
        return S_OK;
    });
}

void CPropertyPageBase::ReleaseObjects() {
    // Released outside the member: an object's release may call back into the page.
    std::vector<CComRef<IUnknown>> old;
    old.swap(m_objects);
}

STDMETHODIMP CPropertyPageBase::Show(UINT cmdShow) {
    if (m_hDlg == nullptr) return E_UNEXPECTED;
    ShowWindow(m_hDlg, static_cast<int>(cmdShow));
    return S_OK;
}

STDMETHODIMP CPropertyPageBase::Move(LPCRECT rect) {
    if (rect == nullptr) return E_POINTER;
    if (m_hDlg == nullptr) return E_UNEXPECTED;
    MoveWindow(m_hDlg, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
               TRUE);
    return S_OK;
}

STDMETHODIMP CPropertyPageBase::IsPageDirty() { return S_FALSE; }

STDMETHODIMP CPropertyPageBase::Apply() { return S_OK; }

STDMETHODIMP CPropertyPageBase::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP CPropertyPageBase::TranslateAccelerator(MSG*) { return S_FALSE; }

INT_PTR CALLBACK CPropertyPageBase::DialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool CPropertyPageBase::DialogPixelSize(UINT dialogId, SIZE* size) {
    const HINSTANCE module = COleControlModule::Instance();
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(dialogId), MAKEINTRESOURCEW(5));
    if (resource == nullptr) return false;
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* const data = loaded != nullptr ? LockResource(loaded) : nullptr;
    DialogLayout layout = {};
    if (data == nullptr || !ParseDialogTemplate(data, SizeofResource(module, resource), &layout)) {
        return false;
    }
    LONG baseX = LOWORD(GetDialogBaseUnits());
    LONG baseY = HIWORD(GetDialogBaseUnits());
    if (layout.hasFont) {
        const HDC dc = CreateCompatibleDC(nullptr);
        if (dc == nullptr) return false;
        const int height = -MulDiv(layout.pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
        const HFONT font = CreateFontW(
            height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, layout.faceName);
        if (font != nullptr) {
            const HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICW metrics = {};
            SIZE extent = {};
            static const wchar_t kAlphabet[] =
                L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
            if (GetTextMetricsW(dc, &metrics) &&
                GetTextExtentPoint32W(dc, kAlphabet, 52, &extent)) {
                baseX = (extent.cx / 26 + 1) / 2;
                baseY = metrics.tmHeight;
            }
            SelectObject(dc, old);
            DeleteObject(font);
        }
        DeleteDC(dc);
    }
    size->cx = MulDiv(layout.cx, baseX, 4);
    size->cy = MulDiv(layout.cy, baseY, 8);
    return true;
}
