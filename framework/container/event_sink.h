// Receives the events of a hosted control: a sink for the control's default source
// interface (named by its IProvideClassInfo2) connected to the control's connection
// point, handing every event to a callback on the thread that fires it.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>

#include "com_ptr.h"

class CEventSink {
public:
    // The event's dispatch identifier and arguments (Automation order, last first; read
    // them with DispGetParam).
    using Handler = std::function<void(DISPID dispid, DISPPARAMS* params)>;

    CEventSink();
    ~CEventSink();
    CEventSink(const CEventSink&) = delete;
    CEventSink& operator=(const CEventSink&) = delete;

    // Connects to control's default source; an existing connection is ended first.
    HRESULT Connect(IUnknown* control, Handler handler);
    // Ends the connection; no event reaches the handler afterwards. A handler may call
    // it (or destroy this object) while it runs.
    void Disconnect();
    bool IsConnected() const { return m_cookie != 0; }

private:
    class CSinkObject;

    CComRef<IConnectionPoint> m_point;
    CComRef<CSinkObject> m_sink;
    DWORD m_cookie = 0;
};
