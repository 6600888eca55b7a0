#include "window_class.h"

#include <string>
#include <utility>
#include <vector>

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;

// (instance, class name) of each class registered here.
std::vector<std::pair<HINSTANCE, std::wstring>>& Registered() {
    static std::vector<std::pair<HINSTANCE, std::wstring>> classes;
    return classes;
}

class CExclusive {
public:
    CExclusive() { AcquireSRWLockExclusive(&g_lock); }
    ~CExclusive() { ReleaseSRWLockExclusive(&g_lock); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;
};

}  // namespace

HINSTANCE CodeModuleHandle() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&CodeModuleHandle), &module);
    return module;
}

bool RegisterWindowClassOnce(const WNDCLASSEXW& wc) {
    if (wc.lpszClassName == nullptr || IS_INTRESOURCE(wc.lpszClassName) ||
        wc.lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    WNDCLASSEXW copy = wc;
    copy.cbSize = sizeof(copy);
    if (copy.hInstance == nullptr) copy.hInstance = CodeModuleHandle();

    const CExclusive lock;
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(copy.hInstance, copy.lpszClassName, &existing)) return true;
    if (RegisterClassExW(&copy) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    Registered().emplace_back(copy.hInstance, copy.lpszClassName);
    return true;
}

void UnregisterModuleWindowClasses() {
    const CExclusive lock;
    for (const auto& [instance, name] : Registered()) UnregisterClassW(name.c_str(), instance);
    Registered().clear();
}
