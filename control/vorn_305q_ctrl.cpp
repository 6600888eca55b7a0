#include "vorn_305q_ctrl.h"

#include "class_factory.h"
#include "ole_module.h"
#include "registration.h"
#include "resource.h"
#include "vorn_305q_ids.h"

namespace {

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
static_assert(kMiscStatus == 0x20091, "misc status");

// Version of the persisted state: 1.0, major in the high word.
constexpr DWORD kControlVersion = 0x00010000;

volatile LONG g_openCards = 0;

using C = CVorn_305qCtrl;

#define VORN_DISPATCH_ENTRY(dispid, name, result, count, params) \
    DispMethod<&C::name>(L## #name, dispid),
constexpr DispatchEntry kDispatchEntries[] = {VORN_305Q_METHODS(VORN_DISPATCH_ENTRY)};
#undef VORN_DISPATCH_ENTRY

// A clash between a row's identifier and its place would answer Invoke with the wrong
// method.
constexpr bool IdentifiersArePositions() {
    for (UINT i = 0; i < ARRAYSIZE(kDispatchEntries); ++i) {
        if (kDispatchEntries[i].dispid != static_cast<DISPID>(i + 1)) return false;
    }
    return true;
}
static_assert(ARRAYSIZE(kDispatchEntries) == 49 && IdentifiersArePositions(),
              "dispatch identifiers 1 to 49 in table order");

constexpr EventEntry kEventEntries[] = {
    {L"FireInterrupt", DISPID_FireInterrupt, 2, {VT_I2, VT_I4}},
};

constexpr CDispatchMap kDispatchMap(kDispatchEntries, ARRAYSIZE(kDispatchEntries));
constexpr CEventMap kEventMap(kEventEntries, ARRAYSIZE(kEventEntries));

const COleControlClass& ControlClass() {
    static const COleControlClass controlClass = {
        &CLSID_Vorn_305q,
        &DIID__DVorn_305q,
        &DIID__DVorn_305qEvents,
        kMiscStatus,
        IDS_VORN_305Q,
        &kDispatchMap,
        &kEventMap,
        &CVorn_305qCtrl::TypeLibCache(),
    };
    return controlClass;
}

}  // namespace

CVorn_305qCtrl::CVorn_305qCtrl() : COleControlBase(ControlClass()) {}

CVorn_305qCtrl::~CVorn_305qCtrl() {
    // A client that skipped CloseCard: the interrupt thread must not outlive the control
    // nor reach its relay window. Detach first so messages drained by the close are
    // dropped, then close (its wait delivers them), then remove the window.
    m_interruptDlg.SetControl(nullptr);
    m_card.CloseCard();
    UpdateOpenCard();
    m_interruptDlg.DestroyWindow();
}

// The factory creates the control by its runtime class.
const CRuntimeClass CVorn_305qCtrl::classCVorn_305qCtrl = {"CVorn_305qCtrl", &CObject::classCObject,
                                                           CreateDynamic<CVorn_305qCtrl>};

HRESULT CVorn_305qCtrl::CreateInstance(REFIID riid, void** ppv) {
    return CreateComObject<CVorn_305qCtrl>(classCVorn_305qCtrl, riid, ppv);
}

HRESULT CVorn_305qCtrl::UpdateRegistry(bool registering) {
    if (!registering) return UnregisterComClass(CLSID_Vorn_305q, kVorn305qCtrlProgId);
    ControlClassInfo info = {};
    info.clsid = CLSID_Vorn_305q;
    info.progId = kVorn305qCtrlProgId;
    info.typeName = LoadResourceString(IDS_VORN_305Q);
    info.toolboxBitmapId = IDB_VORN_305Q;
    info.apartment = true;
    info.miscStatus = kMiscStatus;
    info.libid = LIBID_VORN_305QLib;
    info.versionMajor = kVorn305qLibMajor;
    info.versionMinor = kVorn305qLibMinor;
    if (info.typeName.empty()) return E_FAIL;
    return RegisterControlClass(COleControlModule::Instance(), info);
}

CTypeLibCache& CVorn_305qCtrl::TypeLibCache() {
    static CTypeLibCache cache(LIBID_VORN_305QLib, kVorn305qLibMajor, kVorn305qLibMinor);
    return cache;
}

long CVorn_305qCtrl::OpenCards() { return InterlockedCompareExchange(&g_openCards, 0, 0); }

const CDispatchMap& CVorn_305qCtrl::DispatchMap() { return kDispatchMap; }

const CEventMap& CVorn_305qCtrl::EventMap() { return kEventMap; }

void CVorn_305qCtrl::UpdateOpenCard() {
    const bool open = m_card.IsOpen();
    if (open == m_cardCounted) return;
    m_cardCounted = open;
    if (open) {
        InterlockedIncrement(&g_openCards);
    } else {
        InterlockedDecrement(&g_openCards);
    }
}

void CVorn_305qCtrl::FireInterruptEvent(short axis, long lResult) {
    FireEvent(DISPID_FireInterrupt, axis, lResult);
}

void CVorn_305qCtrl::OnDraw(HDC hdc, const RECT& bounds) {
    FillRect(hdc, &bounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Ellipse(hdc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

HRESULT CVorn_305qCtrl::DoPropExchange(CPropExchange& px) {
    const HRESULT hr = px.ExchangeVersion(kControlVersion);
    if (FAILED(hr)) return hr;
    return COleControlBase::DoPropExchange(px);
}

const std::vector<CLSID>& CVorn_305qCtrl::GetPropPageIDs() {
    static const std::vector<CLSID> pages = {CLSID_Vorn_305qPropPage};
    return pages;
}

// ---- Automation methods: each forwards to the card operation of the same name.

short CVorn_305qCtrl::InitCard(short nCard) {
    if (m_interruptDlg.GetSafeHwnd() == nullptr) {
        if (!m_interruptDlg.Create()) {
            OutputDebugStringW(L"Vorn_305q: the interrupt relay window could not be created\n");
        }
        m_interruptDlg.SetControl(this);
    }
    const short result = m_card.InitCard(nCard, m_interruptDlg.GetSafeHwnd());
    UpdateOpenCard();
    return result;
}

void CVorn_305qCtrl::CloseCard() {
    m_card.CloseCard();
    UpdateOpenCard();
}

// Every other method forwards unchanged. InitCard and CloseCard, above, also look after
// the relay window and the count of open cards.
#define VORN_OWN_HANDLER_InitCard ~, OWN
#define VORN_OWN_HANDLER_CloseCard ~, OWN
#define VORN_SECOND(first, second, ...) second
#define VORN_SECOND_OF(...) VORN_SECOND(__VA_ARGS__)
#define VORN_HANDLER_KIND(name) VORN_SECOND_OF(VORN_OWN_HANDLER_##name, FORWARD, ~)
#define VORN_CONCAT(a, b) VORN_CONCAT_I(a, b)
#define VORN_CONCAT_I(a, b) a##b
#define VORN_HANDLER_OWN(dispid, name, result, count, params)
#define VORN_HANDLER_FORWARD(dispid, name, result, count, params)                          \
    VORN_RESULT_##result CVorn_305qCtrl::name(VORN_EACH(count, VORN_CTRL_PARAM, params)) { \
        return m_card.name(VORN_EACH(count, VORN_ARG, params));                            \
    }
#define VORN_HANDLER(dispid, name, result, count, params) \
    VORN_CONCAT(VORN_HANDLER_, VORN_HANDLER_KIND(name))(dispid, name, result, count, params)
VORN_305Q_METHODS(VORN_HANDLER)
