#include "vorn_305q_ppg.h"

#include "class_factory.h"
#include "ole_module.h"
#include "ole_control.h"
#include "registration.h"
#include "resource.h"
#include "vorn_305q_ids.h"

CVorn_305qPropPage::CVorn_305qPropPage()
    : CPropertyPageBase(IDD_PROPPAGE_VORN_305Q, IDS_VORN_305Q_PPG_CAPTION) {}

const CRuntimeClass CVorn_305qPropPage::classCVorn_305qPropPage = {
    "CVorn_305qPropPage", &CObject::classCObject, CreateDynamic<CVorn_305qPropPage>};

HRESULT CVorn_305qPropPage::CreateInstance(REFIID riid, void** ppv) {
    return CreateComObject<CVorn_305qPropPage>(classCVorn_305qPropPage, riid, ppv);
}

HRESULT CVorn_305qPropPage::UpdateRegistry(bool registering) {
    if (!registering) return UnregisterComClass(CLSID_Vorn_305qPropPage, nullptr);
    const std::wstring typeName = LoadResourceString(IDS_VORN_305Q_PPG);
    if (typeName.empty()) return E_FAIL;
    return RegisterPropertyPageClass(COleControlModule::Instance(), CLSID_Vorn_305qPropPage,
                                     typeName);
}

HRESULT CVorn_305qPropPage::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_Vorn_305qPropPage;
    return S_OK;
}
