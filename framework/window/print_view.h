// What one print or print preview of a view knows: the framework's printing calls the
// view's OnPreparePrinting, OnBeginPrinting, OnPrint and OnEndPrinting with it.
#pragma once

#include <windows.h>

#include <string>

#include "printer_choice.h"

struct CPrintInfo {
    bool m_bPreview = false;  // a print preview, not a print
    bool m_bDirect = false;   // a print without the print dialog
    // The printer's device context and name, once prepared.
    CPrinterDC m_printerDC;
    std::wstring m_strPrinter;
    // The page being drawn (a document of one page here) and its printable area in the
    // printer's device units.
    UINT m_nCurPage = 1;
    RECT m_rectDraw = {};
};
