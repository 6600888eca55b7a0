// The control's persistent state and its picture: the stream it loads and saves, the
// view that draws it and the sink told of its changes.
#include "ole_control.h"

#include <utility>

#include "ole_module.h"

// ---- IPersistStreamInit

STDMETHODIMP COleControlBase::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = *m_class.clsid;
    return S_OK;
}

STDMETHODIMP COleControlBase::IsDirty() { return S_FALSE; }

STDMETHODIMP COleControlBase::Load(LPSTREAM stream) {
    if (stream == nullptr) return E_POINTER;
    return GuardedCall([&] {
        CPropExchange px(CPropExchange::Mode::Load, stream);
        return DoPropExchange(px);
    });
}

STDMETHODIMP COleControlBase::Save(LPSTREAM stream, BOOL /*clearDirty*/) {
    if (stream == nullptr) return E_POINTER;
    return GuardedCall([&] {
        CPropExchange px(CPropExchange::Mode::Save, stream);
        return DoPropExchange(px);
    });
}

STDMETHODIMP COleControlBase::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    return GuardedCall([&] {
        CPropExchange px(CPropExchange::Mode::Measure, nullptr);
        const HRESULT hr = DoPropExchange(px);
        if (FAILED(hr)) return hr;
        size->QuadPart = px.Bytes();
        return S_OK;
    });
}

STDMETHODIMP COleControlBase::InitNew() {
    OnResetState();
    return S_OK;
}

HRESULT COleControlBase::DoPropExchange(CPropExchange& px) {
    LONG cx = m_extent.cx;
    LONG cy = m_extent.cy;
    DWORD stockProps = 0;  // no stock properties
    HRESULT hr = px.ExchangeLong(cx);
    if (SUCCEEDED(hr)) hr = px.ExchangeLong(cy);
    if (SUCCEEDED(hr)) hr = px.ExchangeDword(stockProps);
    if (FAILED(hr)) return hr;
    // Nothing is applied before the whole state has been read; a nonsense extent
    // leaves the current one.
    if (px.IsLoading() && cx > 0 && cy > 0) {
        m_extent.cx = cx;
        m_extent.cy = cy;
    }
    return S_OK;
}

void COleControlBase::OnResetState() { m_extent = kDefaultExtent; }

// ---- IViewObject2

void COleControlBase::OnDraw(HDC, const RECT&) {}

STDMETHODIMP COleControlBase::Draw(DWORD aspect, LONG /*index*/, void* /*aspectInfo*/,
                                   DVTARGETDEVICE* /*device*/, HDC /*targetDevice*/, HDC hdcDraw,
                                   LPCRECTL bounds, LPCRECTL /*windowBounds*/,
                                   BOOL(STDMETHODCALLTYPE* /*continueFunc*/)(ULONG_PTR),
                                   ULONG_PTR /*continueArg*/) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (hdcDraw == nullptr || bounds == nullptr) return E_INVALIDARG;
    const RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    OnDraw(hdcDraw, rect);
    return S_OK;
}

STDMETHODIMP COleControlBase::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** colors) {
    if (colors != nullptr) *colors = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP COleControlBase::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) {
    CComRef<IAdviseSink> next(sink);
    m_viewSink.Reset();  // the old sink goes before the new one is seen
    m_viewSink = std::move(next);
    m_viewAspects = aspects;
    m_viewAdvf = advf;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
    if (aspects != nullptr) *aspects = m_viewAspects;
    if (advf != nullptr) *advf = m_viewAdvf;
    if (sink != nullptr) m_viewSink.CopyTo(sink);
    return S_OK;
}

STDMETHODIMP COleControlBase::GetExtent(DWORD aspect, LONG /*index*/, DVTARGETDEVICE* /*device*/,
                                        LPSIZEL size) {
    return GetExtent(aspect, size);
}

void COleControlBase::SendViewChange() {
    if (m_viewSink && (m_viewAspects & DVASPECT_CONTENT) != 0) {
        m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
    }
    if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, FALSE);
}
