// The printer of a run: the device mode and device names the operator chose in the print
// setup or print dialog, kept for later printing and previewing; the default printer while
// nothing has been chosen.
#pragma once

#include <windows.h>

#include <string>

// A movable block of global memory (a device mode or device names), freed with the object.
class CGlobalMemory {
public:
    CGlobalMemory() = default;
    ~CGlobalMemory() { Reset(); }
    CGlobalMemory(const CGlobalMemory&) = delete;
    CGlobalMemory& operator=(const CGlobalMemory&) = delete;

    HGLOBAL Get() const { return m_handle; }
    void Reset(HGLOBAL handle = nullptr) {
        if (m_handle != nullptr && m_handle != handle) GlobalFree(m_handle);
        m_handle = handle;
    }
    // Hands the block to someone who may free or replace it.
    HGLOBAL Release() {
        const HGLOBAL handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HGLOBAL m_handle = nullptr;
};

// A printer device context, deleted with the object.
class CPrinterDC {
public:
    explicit CPrinterDC(HDC dc = nullptr) : m_hDC(dc) {}
    ~CPrinterDC() { Reset(); }
    CPrinterDC(CPrinterDC&& other) noexcept : m_hDC(other.m_hDC) { other.m_hDC = nullptr; }
    CPrinterDC& operator=(CPrinterDC&& other) noexcept {
        if (this != &other) {
            Reset(other.m_hDC);
            other.m_hDC = nullptr;
        }
        return *this;
    }
    CPrinterDC(const CPrinterDC&) = delete;
    CPrinterDC& operator=(const CPrinterDC&) = delete;

    HDC Get() const { return m_hDC; }
    void Reset(HDC dc = nullptr) {
        if (m_hDC != nullptr) DeleteDC(m_hDC);
        m_hDC = dc;
    }

private:
    HDC m_hDC;
};

// A printer reached through a dialog or by name.
struct CPrinterResult {
    bool chosen = false;  // a printer was had (for the setup form, without a context)
    // A device context of the printer; null when cancelled or failed.
    CPrinterDC dc;
    // Why not: the print dialog's extended error (PDERR_NODEFAULTPRN and PDERR_NODEVICES:
    // no printer at all; PDERR_PRINTERNOTFOUND: no printer of that name;
    // PDERR_CREATEICFAILURE: the printer cannot be opened); 0 when cancelled.
    DWORD error = 0;
    std::wstring device;  // the printer's name, when known
};

class CPrinterChoice {
public:
    // The platform's print dialog with these flags (PD_PRINTSETUP for its setup form),
    // starting from the printer chosen so far; what the operator chooses is kept.
    CPrinterResult RunDialog(HWND owner, DWORD flags);
    // The chosen printer, or the default one while none is chosen.
    CPrinterResult CreateDC() const;
    // The printer of this name (driver and port as a shell's print-to command gives them).
    static CPrinterResult CreateNamedDC(const std::wstring& device, const std::wstring& driver,
                                        const std::wstring& port);
    bool HasChoice() const { return m_devNames.Get() != nullptr; }

private:
    CGlobalMemory m_devMode;
    CGlobalMemory m_devNames;
};

// Whether this machine has any printer.
bool AnyPrinterInstalled();

// Says why no printer could be had (a box, and a trace line starting with what: "print",
// "print setup", "preview"); a cancel only goes to the trace.
void ReportPrinterFailure(const wchar_t* what, const CPrinterResult& result);
