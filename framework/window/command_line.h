// The standard switches of a document program's command line.
#pragma once

#include <string>
#include <vector>

struct CCommandLineInfo {
    enum Shell { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister };

    Shell m_nShellCommand = FileNew;
    bool m_bRunEmbedded = false;   // /Embedding
    bool m_bRunAutomated = false;  // /Automation
    std::wstring m_strFileName;
    std::wstring m_strPrinterName;  // /pt printer driver port
    std::wstring m_strDriverName;
    std::wstring m_strPortName;

    // Whether the command leads to a main window.
    bool ShowsMainWindow() const {
        return !m_bRunEmbedded && !m_bRunAutomated &&
               (m_nShellCommand == FileNew || m_nShellCommand == FileOpen);
    }
};

// Reads the arguments after the program name: /p, /pt, /dde, /Embedding, /Automation,
// /Unregister and /Unregserver (also with "-", any case), the first other argument
// being the document's file name.
CCommandLineInfo ParseCommandLine(const std::vector<std::wstring>& args);
