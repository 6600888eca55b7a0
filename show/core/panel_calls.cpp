#include "panel_calls.h"

LineRMoveArgs LineRMoveArgsFor(const LinearPanelValues& v, int mainAxis, int slaveAxis) {
    return {static_cast<short>(mainAxis),
            static_cast<short>(slaveAxis),
            v.nTargetX,
            v.nTargetY,
            v.nStartSpeed,
            v.nMaxSpeed,
            static_cast<float>(v.dAccTime)};
}

CircleDrawRArgs CircleDrawRArgsFor(const CirclePanelValues& v, int mainAxis, int slaveAxis) {
    return {static_cast<short>(mainAxis),
            static_cast<short>(slaveAxis),
            v.nCenterX,
            v.nCenterY,
            v.nEndX,
            v.nEndY,
            v.nStartSpeed,
            v.nMaxSpeed,
            static_cast<float>(v.dAccTime),
            static_cast<short>(v.nDirection == 1 ? 0 : 1)};
}
