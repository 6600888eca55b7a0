// The control's property page: dialog 200 with caption "General". The control has no
// properties, so the page binds nothing.
#pragma once

#include "property_page.h"

class CVorn_305qPropPage final : public CPropertyPageBase {
public:
    CVorn_305qPropPage();

    static HRESULT CreateInstance(REFIID riid, void** ppv);

    static const CRuntimeClass classCVorn_305qPropPage;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305qPropPage; }
    static HRESULT UpdateRegistry(bool registering);

    HRESULT GetClassID(CLSID* clsid) override;
};
