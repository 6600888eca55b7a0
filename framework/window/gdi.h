// Device contexts and drawing objects that release themselves.
#pragma once

#include <windows.h>

// BeginPaint/EndPaint for a WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hWnd(hwnd), m_hDC(BeginPaint(hwnd, &m_ps)) {}
    ~CPaintDC() { EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC Get() const { return m_hDC; }
    const PAINTSTRUCT& Paint() const { return m_ps; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps = {};
    HDC m_hDC;
};

// GetDC/ReleaseDC; a null window is the screen.
class CClientDC {
public:
    explicit CClientDC(HWND hwnd) : m_hWnd(hwnd), m_hDC(GetDC(hwnd)) {}
    ~CClientDC() {
        if (m_hDC != nullptr) ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// A memory DC compatible with another.
class CMemDC {
public:
    explicit CMemDC(HDC compatible) : m_hDC(CreateCompatibleDC(compatible)) {}
    ~CMemDC() {
        if (m_hDC != nullptr) DeleteDC(m_hDC);
    }
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

// A font, pen, brush, bitmap or region, deleted with the object.
template <class H>
class CGdiObject {
public:
    explicit CGdiObject(H handle = nullptr) : m_handle(handle) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) {
            Reset(other.m_handle);
            other.m_handle = nullptr;
        }
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    H Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(H handle = nullptr) {
        if (m_handle != nullptr) DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    H m_handle;
};

using CFont = CGdiObject<HFONT>;
using CPen = CGdiObject<HPEN>;
using CBrush = CGdiObject<HBRUSH>;
using CBitmap = CGdiObject<HBITMAP>;
using CRgn = CGdiObject<HRGN>;

// Selects an object into a DC and puts the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_hDC(dc), m_previous(SelectObject(dc, object)) {}
    ~CSelectObject() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) SelectObject(m_hDC, m_previous);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_previous;
};
