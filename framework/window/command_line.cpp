#include "command_line.h"

#include <cwctype>

namespace {

bool Same(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

}  // namespace

CCommandLineInfo ParseCommandLine(const std::vector<std::wstring>& args) {
    CCommandLineInfo info;
    int printToNames = 0;  // printer, driver and port still expected after /pt
    for (const std::wstring& arg : args) {
        const bool isSwitch = !arg.empty() && (arg[0] == L'/' || arg[0] == L'-');
        if (isSwitch) {
            const std::wstring name = arg.substr(1);
            if (Same(name, L"pt")) {
                info.m_nShellCommand = CCommandLineInfo::FilePrintTo;
                printToNames = 3;
            } else if (Same(name, L"p")) {
                info.m_nShellCommand = CCommandLineInfo::FilePrint;
            } else if (Same(name, L"dde")) {
                info.m_nShellCommand = CCommandLineInfo::FileDDE;
            } else if (Same(name, L"Embedding")) {
                info.m_bRunEmbedded = true;
            } else if (Same(name, L"Automation")) {
                info.m_bRunAutomated = true;
            } else if (Same(name, L"Unregister") || Same(name, L"Unregserver")) {
                info.m_nShellCommand = CCommandLineInfo::AppUnregister;
            }
            continue;
        }
        if (info.m_strFileName.empty()) {
            info.m_strFileName = arg;
        } else if (printToNames == 3) {
            info.m_strPrinterName = arg;
            --printToNames;
        } else if (printToNames == 2) {
            info.m_strDriverName = arg;
            --printToNames;
        } else if (printToNames == 1) {
            info.m_strPortName = arg;
            --printToNames;
        }
    }
    if (info.m_nShellCommand == CCommandLineInfo::FileNew && !info.m_strFileName.empty()) {
        info.m_nShellCommand = CCommandLineInfo::FileOpen;
    }
    return info;
}
