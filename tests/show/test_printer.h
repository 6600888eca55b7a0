// A printer for the program's printing tests: a PostScript printer of Wine's own driver,
// installed in the test's prefix (which the program shares) for as long as the object lives.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

#include "gui_driver.h"

// The paper of a test printer's description, in PostScript points.
struct CTestPaper {
    const char* name;
    int width;
    int height;
};
constexpr CTestPaper kA4Paper = {"A4", 595, 842};
constexpr CTestPaper kLetterPaper = {"Letter", 612, 792};

// Prints to the given port (a file of this machine, by its Unix path, or a device port);
// made the default printer when asked. Installed() tells whether the prefix took it.
class CTestPrinter {
public:
    explicit CTestPrinter(const std::wstring& port, const std::wstring& name = L"Vorn Test Printer",
                          bool makeDefault = true, const CTestPaper& paper = kA4Paper)
        : m_port(port), m_name(name) {
        wchar_t driverDir[MAX_PATH] = {};
        DWORD needed = 0;
        if (m_port.empty() ||
            !GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir),
                                        sizeof driverDir, &needed))
            return;
        // The driver needs a description of the printer: one page size is enough. Each
        // printer has a driver of its own name, so that each can have its own paper.
        const std::string model(m_name.begin(), m_name.end());  // the names are ASCII
        std::wstring ppdName = m_name + L".ppd";
        for (wchar_t& c : ppdName)
            if (c == L' ') c = L'-';
        const std::string size = std::to_string(paper.width) + " " + std::to_string(paper.height);
        const std::string area =
            "18 18 " + std::to_string(paper.width - 18) + " " + std::to_string(paper.height - 18);
        const std::string p = paper.name;
        const std::string ppd =
            "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
            "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n"
            "*PCFileName: \"VORNTEST.PPD\"\n*Manufacturer: \"Vorn\"\n"
            "*ModelName: \"" +
            model + "\"\n*NickName: \"" + model +
            "\"\n"
            "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
            "*DefaultResolution: 300dpi\n*OpenUI *PageSize: PickOne\n*DefaultPageSize: " +
            p + "\n*PageSize " + p + "/" + p + ": \"<</PageSize[" + size +
            "]>>setpagedevice\"\n*CloseUI: *PageSize\n*DefaultImageableArea: " + p +
            "\n*ImageableArea " + p + "/" + p + ": \"" + area + "\"\n*DefaultPaperDimension: " + p +
            "\n*PaperDimension " + p + "/" + p + ": \"" + size + "\"\n";
        const std::wstring versionDir = std::wstring(driverDir) + L"\\3";
        CreateDirectoryW(versionDir.c_str(), nullptr);
        CHandle file(CreateFileW((versionDir + L"\\" + ppdName).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file.Get() == INVALID_HANDLE_VALUE ||
            !WriteFile(file.Get(), ppd.data(), static_cast<DWORD>(ppd.size()), &written, nullptr))
            return;
        file.Reset();
        DRIVER_INFO_3W driver = {};
        driver.cVersion = 3;
        driver.pName = &m_name[0];
        driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
        driver.pDataFile = &ppdName[0];
        driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) return;
        HKEY ports = nullptr;
        if (RegCreateKeyW(HKEY_LOCAL_MACHINE,
                          L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
                          &ports) == ERROR_SUCCESS) {
            RegSetValueExW(ports, m_port.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                           sizeof(wchar_t));
            RegCloseKey(ports);
        }
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &m_name[0];
        info.pPortName = &m_port[0];
        info.pDriverName = &m_name[0];
        info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        info.pDatatype = const_cast<wchar_t*>(L"RAW");
        const HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (printer == nullptr) return;
        ClosePrinter(printer);
        m_installed = !makeDefault || SetDefaultPrinterW(m_name.c_str()) != FALSE;
    }
    ~CTestPrinter() { Remove(); }
    CTestPrinter(const CTestPrinter&) = delete;
    CTestPrinter& operator=(const CTestPrinter&) = delete;

    bool Installed() const { return m_installed; }
    const std::wstring& Name() const { return m_name; }
    // Takes the printer away before the object goes.
    void Remove() {
        HANDLE printer = nullptr;
        if (OpenPrinterW(&m_name[0], &printer, nullptr)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }

private:
    std::wstring m_port;
    std::wstring m_name;
    bool m_installed = false;
};

// The pages a test printer has written to a file (its PostScript page marks; 0 for no file).
inline int PrintedPages(const std::wstring& path) {
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (file.Get() != INVALID_HANDLE_VALUE &&
           ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    const std::string mark = "%%Page:";
    int count = 0;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, mark.size(), mark) == 0) ++count;
        const size_t nl = text.find('\n', at);
        if (nl == std::string::npos) break;
        at = nl + 1;
    }
    return count;
}
