#include "printer_choice.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <cstring>

#include "app.h"
#include "format.h"
#include "trace.h"

namespace {

// A copy of a block, for a dialog that may free or replace what it is given.
HGLOBAL CopyBlock(HGLOBAL block) {
    if (block == nullptr) return nullptr;
    const SIZE_T size = GlobalSize(block);
    const void* const from = GlobalLock(block);
    HGLOBAL copy = from != nullptr ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    void* const to = copy != nullptr ? GlobalLock(copy) : nullptr;
    if (to != nullptr) {
        std::memcpy(to, from, size);
        GlobalUnlock(copy);
    } else if (copy != nullptr) {
        GlobalFree(copy);
        copy = nullptr;
    }
    if (from != nullptr) GlobalUnlock(block);
    return copy;
}

// GlobalLock for as long as the object lives.
template <class T>
class CLocked {
public:
    explicit CLocked(HGLOBAL block)
        : m_block(block), m_data(block != nullptr ? static_cast<T*>(GlobalLock(block)) : nullptr) {}
    ~CLocked() {
        if (m_data != nullptr) GlobalUnlock(m_block);
    }
    CLocked(const CLocked&) = delete;
    CLocked& operator=(const CLocked&) = delete;
    T* Get() const { return m_data; }

private:
    HGLOBAL m_block;
    T* m_data;
};

struct DeviceNames {
    std::wstring driver;
    std::wstring device;
    std::wstring output;
};

DeviceNames ReadDeviceNames(HGLOBAL devNames) {
    const CLocked<DEVNAMES> names(devNames);
    DeviceNames result;
    if (names.Get() == nullptr) return result;
    const auto* const chars = reinterpret_cast<const wchar_t*>(names.Get());
    result.driver = chars + names.Get()->wDriverOffset;
    result.device = chars + names.Get()->wDeviceOffset;
    result.output = chars + names.Get()->wOutputOffset;
    return result;
}

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

CPrinterResult CPrinterChoice::RunDialog(HWND owner, DWORD flags) {
    PRINTDLGW print = {};
    print.lStructSize = sizeof(print);
    print.hwndOwner = owner;
    print.Flags = flags;
    print.hDevMode = CopyBlock(m_devMode.Get());
    print.hDevNames = CopyBlock(m_devNames.Get());
    const BOOL chosen = PrintDlgW(&print);
    CPrinterResult result;
    result.error = chosen ? 0 : CommDlgExtendedError();
    result.dc.Reset(print.hDC);
    CGlobalMemory devMode;
    CGlobalMemory devNames;
    devMode.Reset(print.hDevMode);
    devNames.Reset(print.hDevNames);
    if (!chosen) {
        // Cancelled or failed: the choice so far stays.
        result.dc.Reset();
        return result;
    }
    if (devNames.Get() != nullptr) {
        m_devMode.Reset(devMode.Release());
        m_devNames.Reset(devNames.Release());
    }
    result.chosen = true;
    result.device = ReadDeviceNames(m_devNames.Get()).device;
    return result;
}

CPrinterResult CPrinterChoice::CreateDC() const {
    CPrinterResult result;
    if (!HasChoice()) {
        PRINTDLGW print = {};
        print.lStructSize = sizeof(print);
        print.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
        const BOOL found = PrintDlgW(&print);
        result.error = found ? 0 : CommDlgExtendedError();
        result.dc.Reset(print.hDC);
        CGlobalMemory devMode;
        CGlobalMemory devNames;
        devMode.Reset(print.hDevMode);
        devNames.Reset(print.hDevNames);
        result.device = ReadDeviceNames(devNames.Get()).device;
        if (!found) result.dc.Reset();
        result.chosen = result.dc.Get() != nullptr;
        return result;
    }
    const DeviceNames names = ReadDeviceNames(m_devNames.Get());
    result.device = names.device;
    const CLocked<DEVMODEW> mode(m_devMode.Get());
    result.dc.Reset(
        ::CreateDCW(OrNull(names.driver), names.device.c_str(), OrNull(names.output), mode.Get()));
    result.chosen = result.dc.Get() != nullptr;
    if (!result.chosen) result.error = PDERR_CREATEICFAILURE;
    return result;
}

CPrinterResult CPrinterChoice::CreateNamedDC(const std::wstring& device, const std::wstring& driver,
                                             const std::wstring& port) {
    CPrinterResult result;
    result.device = device;
    HANDLE printer = nullptr;
    if (device.empty() || !OpenPrinterW(const_cast<wchar_t*>(device.c_str()), &printer, nullptr)) {
        result.error = PDERR_PRINTERNOTFOUND;
        return result;
    }
    ClosePrinter(printer);
    result.dc.Reset(::CreateDCW(OrNull(driver), device.c_str(), OrNull(port), nullptr));
    result.chosen = result.dc.Get() != nullptr;
    if (!result.chosen) result.error = PDERR_CREATEICFAILURE;
    return result;
}

bool AnyPrinterInstalled() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed,
                  &count);
    return needed > 0;
}

void ReportPrinterFailure(const wchar_t* what, const CPrinterResult& result) {
    const std::wstring tag = std::wstring(what) + L": ";
    switch (result.error) {
        case 0:
            // Cancelled, or (Wine) the dialog has said itself that there is no printer.
            TraceText(tag + L"no printer chosen");
            return;
        case PDERR_NODEFAULTPRN:
        case PDERR_NODEVICES:
            TraceText(tag + L"no printer");
            AfxMessageBox(L"没有安装打印机，无法打印。");
            return;
        case PDERR_PRINTERNOTFOUND:
            TraceText(tag + L"no printer named " + result.device);
            AfxMessageBox(L"无法打印：找不到打印机“" + result.device + L"”。");
            return;
        case PDERR_CREATEICFAILURE:
            TraceText(tag + L"the printer cannot be opened: " + result.device);
            AfxMessageBox(L"无法打印：无法打开打印机“" + result.device + L"”。");
            return;
        default:
            TraceText(tag + Format(L"the print dialog failed (0x%lX)", result.error));
            AfxMessageBox(Format(L"无法打印：打印对话框出错（0x%lX）。", result.error));
            return;
    }
}
