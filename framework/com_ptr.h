// Owning interface pointer: one reference, released on destruction.
#pragma once

#include <unknwn.h>

#include <utility>

template <typename T>
class CComRef {
public:
    CComRef() = default;
    // Takes a new reference.
    explicit CComRef(T* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    CComRef(const CComRef& other) : CComRef(other.m_p) {}
    CComRef(CComRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CComRef& operator=(CComRef other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CComRef() { Reset(); }

    // Adopts a reference the caller already owns.
    static CComRef Attach(T* p) {
        CComRef r;
        r.m_p = p;
        return r;
    }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    // For out parameters: releases the current pointer first.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Copies the pointer out with a new reference.
    void CopyTo(T** out) const {
        *out = m_p;
        if (m_p) m_p->AddRef();
    }

private:
    T* m_p = nullptr;
};
