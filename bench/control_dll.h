// Loads the built Vorn_305q.dll and creates its control through the module's own class
// factory, as a client that links nothing of it would.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

// Releases the interface on scope exit.
template <typename I>
class CBenchRef {
public:
    CBenchRef() = default;
    ~CBenchRef() { Reset(); }
    CBenchRef(const CBenchRef&) = delete;
    CBenchRef& operator=(const CBenchRef&) = delete;
    I* operator->() const { return m_p; }
    I* Get() const { return m_p; }
    void** Put() { return reinterpret_cast<void**>(&m_p); }
    // Before CoUninitialize.
    void Reset() {
        if (m_p != nullptr) m_p->Release();
        m_p = nullptr;
    }

private:
    I* m_p = nullptr;
};

// The control's IDispatch into control; false (with a line on stderr) when the DLL cannot be
// loaded or the control not created. The DLL stays loaded for the process.
inline bool CreateControlFromDll(const std::wstring& dllPath, CBenchRef<IDispatch>& control) {
    const HMODULE dll = LoadLibraryW(dllPath.c_str());
    if (dll == nullptr) {
        std::fprintf(stderr, "cannot load %ls (build the Vorn_305q target first)\n",
                     dllPath.c_str());
        return false;
    }
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFunc)(REFCLSID, REFIID, void**);
    const GetClassObjectFunc getClassObject = reinterpret_cast<GetClassObjectFunc>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    const CLSID clsid = {
        0x0BAAC4F3, 0x9558, 0x49B4, {0xA9, 0x0F, 0x4C, 0xF8, 0xBD, 0x3E, 0xED, 0x65}};
    CBenchRef<IClassFactory> factory;
    if (getClassObject == nullptr ||
        FAILED(getClassObject(clsid, IID_IClassFactory, factory.Put())) ||
        FAILED(factory->CreateInstance(nullptr, IID_IDispatch, control.Put()))) {
        std::fprintf(stderr, "cannot create the control\n");
        return false;
    }
    return true;
}
