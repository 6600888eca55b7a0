// The demonstration program as the tests and benchmarks that drive it from outside know it:
// its fixed caption, and a start that waits until an operator could use it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "gui_driver.h"
#include "program_ids.h"

inline const wchar_t kShowTitle[] = L"Kestrin运动控制卡(MCP305q) - ver1.0";

// Starts the program and waits, up to timeoutMs, for its frame and for the tool bar's page
// commands to be enabled (the card selector filled). The frame, or null with why in *why.
inline HWND StartShowProgram(std::unique_ptr<CGuiProcess>& program, const CLaunchOptions& options,
                             DWORD timeoutMs, std::string* why) {
    program = std::make_unique<CGuiProcess>(options);
    if (!program->Started()) {
        *why = "not started: " + DumpLines({program->StartError()});
        return nullptr;
    }
    const HWND frame = program->WaitForTopLevel(kShowTitle, timeoutMs);
    if (frame == nullptr) {
        *why = "no frame; trace:\n" + DumpLines(program->TraceLines());
        return nullptr;
    }
    const HWND toolBar = FindChild(frame, AFX_IDW_TOOLBAR);
    if (!WaitUntil([&] { return (ToolBarButtonState(toolBar, ID_ONEAXIS) & TBSTATE_ENABLED) != 0; },
                   timeoutMs)) {
        *why = "the page commands stayed disabled; trace:\n" + DumpLines(program->TraceLines());
        return nullptr;
    }
    return frame;
}
