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

// Each method's name and dispatch identifier bound to its handler below; the types come
// from the handler's own signature.
constexpr DispatchEntry kDispatchEntries[] = {
    DispMethod<&C::InitCard>(L"InitCard", 1),
    DispMethod<&C::CloseCard>(L"CloseCard", 2),
    DispMethod<&C::SetInterrupt>(L"SetInterrupt", 3),
    DispMethod<&C::CloseInterrupt>(L"CloseInterrupt", 4),
    DispMethod<&C::GetCardCount>(L"GetCardCount", 5),
    DispMethod<&C::RunState>(L"RunState", 6),
    DispMethod<&C::GetPosition>(L"GetPosition", 7),
    DispMethod<&C::SetPosition>(L"SetPosition", 8),
    DispMethod<&C::StopAxisDec>(L"StopAxisDec", 9),
    DispMethod<&C::StopAxisInst>(L"StopAxisInst", 10),
    DispMethod<&C::Stop2AxisDec>(L"Stop2AxisDec", 11),
    DispMethod<&C::Stop2AxisInst>(L"Stop2AxisInst", 12),
    DispMethod<&C::Stop3axisDec>(L"Stop3axisDec", 13),
    DispMethod<&C::Stop3AxisInst>(L"Stop3AxisInst", 14),
    DispMethod<&C::StopAllDec>(L"StopAllDec", 15),
    DispMethod<&C::StopAllInst>(L"StopAllInst", 16),
    DispMethod<&C::PulseOutMode>(L"PulseOutMode", 17),
    DispMethod<&C::InputMode>(L"InputMode", 18),
    DispMethod<&C::SignalAlmInp>(L"SignalAlmInp", 19),
    DispMethod<&C::GetInput>(L"GetInput", 20),
    DispMethod<&C::Setoutput>(L"Setoutput", 21),
    DispMethod<&C::SignalHardLmt>(L"SignalHardLmt", 22),
    DispMethod<&C::SignalSoftLmt>(L"SignalSoftLmt", 23),
    DispMethod<&C::ManuMove>(L"ManuMove", 24),
    DispMethod<&C::SetComP>(L"SetComP", 25),
    DispMethod<&C::SetComM>(L"SetComM", 26),
    DispMethod<&C::SignalOrg>(L"SignalOrg", 27),
    DispMethod<&C::TVMove>(L"TVMove", 28),
    DispMethod<&C::SVMove>(L"SVMove", 29),
    DispMethod<&C::StartTRMove>(L"StartTRMove", 30),
    DispMethod<&C::StartTRNMove>(L"StartTRNMove", 31),
    DispMethod<&C::StartSRMove>(L"StartSRMove", 32),
    DispMethod<&C::StartSRNMove>(L"StartSRNMove", 33),
    DispMethod<&C::StartTAMove>(L"StartTAMove", 34),
    DispMethod<&C::StartSAMove>(L"StartSAMove", 35),
    DispMethod<&C::StartTANMove>(L"StartTANMove", 36),
    DispMethod<&C::StartSANMove>(L"StartSANMove", 37),
    DispMethod<&C::LineRMove>(L"LineRMove", 38),
    DispMethod<&C::LineAMove>(L"LineAMove", 39),
    DispMethod<&C::Line3RMove>(L"Line3RMove", 40),
    DispMethod<&C::Line3AMove>(L"Line3AMove", 41),
    DispMethod<&C::CircleDrawR>(L"CircleDrawR", 42),
    DispMethod<&C::LevelMode>(L"LevelMode", 43),
    DispMethod<&C::VChange>(L"VChange", 44),
    DispMethod<&C::GetExPosition>(L"GetExPosition", 45),
    DispMethod<&C::SetExPosition>(L"SetExPosition", 46),
    DispMethod<&C::WhoCheckCom>(L"WhoCheckCom", 47),
    DispMethod<&C::CircleDrawA>(L"CircleDrawA", 48),
    DispMethod<&C::ManuMove2>(L"ManuMove2", 49),
};

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

short CVorn_305qCtrl::SetInterrupt(short axis, short nVal) {
    return m_card.SetInterrupt(axis, nVal);
}

short CVorn_305qCtrl::CloseInterrupt(short axis) { return m_card.CloseInterrupt(axis); }

short CVorn_305qCtrl::GetCardCount() { return m_card.GetCardCount(); }

short CVorn_305qCtrl::RunState(short axis) { return m_card.RunState(axis); }

long CVorn_305qCtrl::GetPosition(short axis) { return m_card.GetPosition(axis); }

void CVorn_305qCtrl::SetPosition(short axis, long data) { m_card.SetPosition(axis, data); }

void CVorn_305qCtrl::StopAxisDec(short axis) { m_card.StopAxisDec(axis); }

void CVorn_305qCtrl::StopAxisInst(short axis) { m_card.StopAxisInst(axis); }

void CVorn_305qCtrl::Stop2AxisDec(short axis0, short axis1) { m_card.Stop2AxisDec(axis0, axis1); }

void CVorn_305qCtrl::Stop2AxisInst(short axis0, short axis1) { m_card.Stop2AxisInst(axis0, axis1); }

void CVorn_305qCtrl::Stop3axisDec(short axis0, short axis1, short axis2) {
    m_card.Stop3axisDec(axis0, axis1, axis2);
}

void CVorn_305qCtrl::Stop3AxisInst(short axis0, short axis1, short axis2) {
    m_card.Stop3AxisInst(axis0, axis1, axis2);
}

void CVorn_305qCtrl::StopAllDec() { m_card.StopAllDec(); }

void CVorn_305qCtrl::StopAllInst() { m_card.StopAllInst(); }

void CVorn_305qCtrl::PulseOutMode(short axis, short mode) { m_card.PulseOutMode(axis, mode); }

void CVorn_305qCtrl::InputMode(short axis, short mode) { m_card.InputMode(axis, mode); }

void CVorn_305qCtrl::SignalAlmInp(short axis, short data) { m_card.SignalAlmInp(axis, data); }

long CVorn_305qCtrl::GetInput() { return m_card.GetInput(); }

void CVorn_305qCtrl::Setoutput(short val) { m_card.Setoutput(val); }

void CVorn_305qCtrl::SignalHardLmt(short axis, short data) { m_card.SignalHardLmt(axis, data); }

void CVorn_305qCtrl::SignalSoftLmt(short axis, short data) { m_card.SignalSoftLmt(axis, data); }

short CVorn_305qCtrl::ManuMove(short axis, long sV, long rV) {
    return m_card.ManuMove(axis, sV, rV);
}

void CVorn_305qCtrl::SetComP(short axis, long data) { m_card.SetComP(axis, data); }

void CVorn_305qCtrl::SetComM(short axis, long data) { m_card.SetComM(axis, data); }

void CVorn_305qCtrl::SignalOrg(short axis, short mode) { m_card.SignalOrg(axis, mode); }

short CVorn_305qCtrl::TVMove(short axis, long sV, long rV, float Tacc, short dir) {
    return m_card.TVMove(axis, sV, rV, Tacc, dir);
}

short CVorn_305qCtrl::SVMove(short axis, long sV, long rV, float Tacc, float Tsacc, short dir) {
    return m_card.SVMove(axis, sV, rV, Tacc, Tsacc, dir);
}

short CVorn_305qCtrl::StartTRMove(short axis, long lPulse, long sV, long rV, float Tacc) {
    return m_card.StartTRMove(axis, lPulse, sV, rV, Tacc);
}

short CVorn_305qCtrl::StartTRNMove(short axis, long lPulse, long sV, long rV, float Tacc,
                                   float Tdec) {
    return m_card.StartTRNMove(axis, lPulse, sV, rV, Tacc, Tdec);
}

short CVorn_305qCtrl::StartSRMove(short axis, long lPulse, long sV, long rV, float Tacc,
                                  float Tsacc) {
    return m_card.StartSRMove(axis, lPulse, sV, rV, Tacc, Tsacc);
}

short CVorn_305qCtrl::StartSRNMove(short axis, long lPulse, long sV, long rV, float Tlacc,
                                   float Tsacc, float Tldec, float Tsdec) {
    return m_card.StartSRNMove(axis, lPulse, sV, rV, Tlacc, Tsacc, Tldec, Tsdec);
}

short CVorn_305qCtrl::StartTAMove(short axis, long lPulse, long sV, long rV, float Tacc) {
    return m_card.StartTAMove(axis, lPulse, sV, rV, Tacc);
}

short CVorn_305qCtrl::StartSAMove(short axis, long lPulse, long sV, long rV, float Tlacc,
                                  float Tsacc) {
    return m_card.StartSAMove(axis, lPulse, sV, rV, Tlacc, Tsacc);
}

short CVorn_305qCtrl::StartTANMove(short axis, long lPulse, long sV, long rV, float Tacc,
                                   float Tdec) {
    return m_card.StartTANMove(axis, lPulse, sV, rV, Tacc, Tdec);
}

short CVorn_305qCtrl::StartSANMove(short axis, long lPulse, long sV, long rV, float Tlacc,
                                   float Tsacc, float Tldec, float Tsdec) {
    return m_card.StartSANMove(axis, lPulse, sV, rV, Tlacc, Tsacc, Tldec, Tsdec);
}

void CVorn_305qCtrl::LineRMove(short axis0, short axis1, long pulse0, long pulse1, long sV, long rV,
                               float Tacc) {
    m_card.LineRMove(axis0, axis1, pulse0, pulse1, sV, rV, Tacc);
}

void CVorn_305qCtrl::LineAMove(short axis0, short axis1, long pulse0, long pulse1, long sV, long rV,
                               float Tacc) {
    m_card.LineAMove(axis0, axis1, pulse0, pulse1, sV, rV, Tacc);
}

void CVorn_305qCtrl::Line3RMove(short axis0, short axis1, short axis2, long pulse0, long pulse1,
                                long pulse2, long sV, long rV, float Tacc) {
    m_card.Line3RMove(axis0, axis1, axis2, pulse0, pulse1, pulse2, sV, rV, Tacc);
}

void CVorn_305qCtrl::Line3AMove(short axis0, short axis1, short axis2, long pulse0, long pulse1,
                                long pulse2, long sV, long rV, float Tacc) {
    m_card.Line3AMove(axis0, axis1, axis2, pulse0, pulse1, pulse2, sV, rV, Tacc);
}

void CVorn_305qCtrl::CircleDrawR(short axis0, short axis1, long core0, long core1, long stop0,
                                 long stop1, long sV, long rV, float Tacc, short dir) {
    m_card.CircleDrawR(axis0, axis1, core0, core1, stop0, stop1, sV, rV, Tacc, dir);
}

void CVorn_305qCtrl::LevelMode(short axis, short mode) { m_card.LevelMode(axis, mode); }

void CVorn_305qCtrl::VChange(short axis, long rV) { m_card.VChange(axis, rV); }

long CVorn_305qCtrl::GetExPosition(short axis) { return m_card.GetExPosition(axis); }

void CVorn_305qCtrl::SetExPosition(short axis, long data) { m_card.SetExPosition(axis, data); }

void CVorn_305qCtrl::WhoCheckCom(short axis, short nWho) { m_card.WhoCheckCom(axis, nWho); }

void CVorn_305qCtrl::CircleDrawA(short axis0, short axis1, long core0, long core1, long stop0,
                                 long stop1, long sV, long rV, float Tacc, short dir) {
    m_card.CircleDrawA(axis0, axis1, core0, core1, stop0, stop1, sV, rV, Tacc, dir);
}

short CVorn_305qCtrl::ManuMove2(short axis, long sV, short rV) {
    return m_card.ManuMove2(axis, sV, rV);
}
