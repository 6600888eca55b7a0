#include "cmd_target.h"

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", &CObject::classCObject, nullptr};

bool CCmdTarget::OnCommand(UINT, UINT, HWND) { return false; }

bool CCmdTarget::OnUpdateCommand(UINT, bool&) { return false; }
