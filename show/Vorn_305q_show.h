// The application object of the demonstration program.
#pragma once

#include <string>

#include "app.h"

class CVorn_305q_showApp : public CWinApp {
public:
    CVorn_305q_showApp() = default;

    BOOL InitInstance() override;
    int ExitInstance() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnAppAbout();

    int m_nFrameWidth = 0;  // the frame's outer size, once the view has fitted it
    int m_nFrameHeight = 0;
    std::wstring m_strProgramDir;  // ends with a backslash
};

extern CVorn_305q_showApp theApp;
