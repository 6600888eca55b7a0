// The program's proxy for the Vorn_305q control: the control's window in the form and
// one member function per automation method, each calling the control by its dispatch
// identifier. The program never links the control module or looks a name up.
//
// A call that cannot be made (no control, or the control rejects the arguments) throws
// nothing: it writes the failure to the debug trace and returns -1 from the methods that
// answer 0 or -1, 0 from counts and reads, and nothing from the others.
#pragma once

#include <windows.h>

#include "runtime_class.h"
#include "control_wnd.h"
#include "vorn_305q_methods.h"

// CObject gives it the runtime class with creation by class that a form's control
// wrapper has.
class CVorn_305q : public CControlWnd, public CObject {
public:
    CVorn_305q() = default;
    ~CVorn_305q() override = default;

    static const CLSID& GetClsid();

    static const CRuntimeClass classCVorn_305q;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305q; }

    // Creates the control of GetClsid() whatever the class name; the creation context
    // is not used.
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id, CCreateContext* context = nullptr) override;

    // One member per automation method, with the type library's types: ManuMove2's rV
    // is sent as a long, though the control takes only -32768 to 32767.
#define VORN_WRAPPER_DECLARE(dispid, name, result, count, params) \
    VORN_RESULT_##result name(VORN_EACH(count, VORN_LIB_PARAM, params));
    VORN_305Q_METHODS(VORN_WRAPPER_DECLARE)
#undef VORN_WRAPPER_DECLARE

private:
    // What a method answers: its result type and the value it returns when the call
    // could not be made.
    struct NoResult {
        using Type = void;
    };
    struct CodeResult {  // 0 accepted, -1 refused
        using Type = short;
        static constexpr short kFailed = -1;
    };
    struct ShortResult {  // counts and states
        using Type = short;
        static constexpr short kFailed = 0;
    };
    struct LongResult {  // reads
        using Type = long;
        static constexpr long kFailed = 0;
    };

    // InvokeHelper with DISPATCH_METHOD, the parameter-type string made from the
    // arguments' types; on a failure a trace line and Kind's failure value.
    template <DISPID Id, typename Kind, typename... A>
    typename Kind::Type Invoke(A... args);
    static bool Traced(DISPID dispid, HRESULT hr);
};
