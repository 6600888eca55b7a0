// The control's property page: dialog 200 with caption "General". The control has no
// properties, so the page binds nothing.
#pragma once

#include "property_page.h"

class CVorn_305qPropPage final : public CPropertyPageBase {
public:
    CVorn_305qPropPage();

    static HRESULT CreateInstance(REFIID riid, void** ppv);
    static HRESULT UpdateRegistry(bool registering);

    HRESULT GetClassID(CLSID* clsid) override;
};
