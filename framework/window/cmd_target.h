// Objects that take commands: the frame routes each WM_COMMAND to the view, the
// document, itself and the application in turn, and asks the same chain at idle
// whether a command is enabled.
#pragma once

#include <windows.h>

#include "runtime_class.h"

class CCmdTarget : public CObject {
public:
    // True when handled. code is the notification (0 menu, 1 accelerator); control is
    // the control's window for control notifications.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // True when this object decides whether id is enabled; the decision in enable.
    virtual bool OnUpdateCommand(UINT id, bool& enable);

    static const CRuntimeClass classCCmdTarget;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCCmdTarget; }
};
