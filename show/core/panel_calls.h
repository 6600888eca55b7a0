// The linear and circular panels' values and the interpolation each "运行" issues with the
// two-axis page's main axis first and slave axis second.
#pragma once

#include <cstdint>

struct LinearPanelValues {
    int32_t nStartSpeed = 200;
    int32_t nMaxSpeed = 1000;
    int32_t nTargetX = 100;
    int32_t nTargetY = 100;
    double dAccTime = 0.1;
};

struct CirclePanelValues {
    int32_t nMaxSpeed = 1000;
    int32_t nStartSpeed = 200;
    double dAccTime = 0.1;
    int32_t nEndX = 200;
    int32_t nEndY = 200;
    int32_t nDirection = 0;  // the list's index: 0 "顺时针方向", 1 "逆时针方向"
    int32_t nCenterX = 100;
    int32_t nCenterY = 100;
};

struct LineRMoveArgs {
    short axis0;
    short axis1;
    int32_t pulse0;
    int32_t pulse1;
    int32_t sV;
    int32_t rV;
    float tAcc;
};

struct CircleDrawRArgs {
    short axis0;
    short axis1;
    int32_t core0;
    int32_t core1;
    int32_t stop0;
    int32_t stop1;
    int32_t sV;
    int32_t rV;
    float tAcc;
    short dir;
};

// The X fields belong to the main axis and the Y fields to the slave axis, whichever axes
// those are; the time goes out rounded to single precision. The card draws dir 0
// counter-clockwise and any other dir clockwise, so only the counter-clockwise entry gives 0.
LineRMoveArgs LineRMoveArgsFor(const LinearPanelValues& values, int mainAxis, int slaveAxis);
CircleDrawRArgs CircleDrawRArgsFor(const CirclePanelValues& values, int mainAxis, int slaveAxis);
