#include "registration.h"

#include <oleauto.h>

#include <vector>

#include "com_ptr.h"
#include "ole_module.h"
#include "typelib_cache.h"

namespace {

struct RegValue {
    std::wstring key;     // below HKEY_CLASSES_ROOT
    const wchar_t* name;  // null: the default value
    std::wstring data;
    bool keyOnly;  // create the key, write no value
};

LSTATUS WriteValue(const RegValue& value) {
    HKEY key = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CLASSES_ROOT, value.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    if (!value.keyOnly) {
        const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
        status = RegSetValueExW(key, value.name, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.data.c_str()), bytes);
    }
    RegCloseKey(key);
    return status;
}

HRESULT WriteValues(const std::vector<RegValue>& values) {
    for (const RegValue& value : values) {
        const LSTATUS status = WriteValue(value);
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

HRESULT DeleteTree(const std::wstring& key) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(status);
}

bool ModulePath(HINSTANCE module, std::wstring* path) {
    wchar_t buffer[MAX_PATH];
    if (!GetModulePath(module, buffer, MAX_PATH)) return false;
    *path = buffer;
    return true;
}

}  // namespace

std::wstring GuidString(REFGUID guid) {
    wchar_t text[40];
    const int length = StringFromGUID2(guid, text, 40);
    return length > 0 ? std::wstring(text) : std::wstring();
}

HRESULT RegisterModuleTypeLib(HINSTANCE module) {
    return GuardedCall([&] {
        std::wstring path;
        if (!ModulePath(module, &path)) return E_FAIL;
        CComRef<ITypeLib> typeLib;
        const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.Put());
        if (FAILED(hr)) return hr;
        return RegisterTypeLib(typeLib.Get(), &path[0], nullptr);
    });
}

HRESULT UnregisterModuleTypeLib(HINSTANCE module) {
    return GuardedCall([&] {
        CComRef<ITypeLib> typeLib;
        HRESULT hr = LoadModuleTypeLib(module, typeLib.Put());
        if (FAILED(hr)) return hr;
        TLIBATTR* attr = nullptr;
        hr = typeLib->GetLibAttr(&attr);
        if (FAILED(hr)) return hr;
        const TLIBATTR copy = *attr;
        typeLib->ReleaseTLibAttr(attr);

        BSTR registered = nullptr;
        if (FAILED(QueryPathOfRegTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                                         &registered))) {
            return S_OK;  // nothing to remove
        }
        SysFreeString(registered);
        hr = UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                               copy.syskind);
        if (FAILED(hr) &&
            FAILED(QueryPathOfRegTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                                         &registered))) {
            return S_OK;  // gone after all (only another system kind was registered)
        }
        SysFreeString(registered);
        return hr;
    });
}

HRESULT RegisterControlClass(HINSTANCE module, const ControlClassInfo& info) {
    return GuardedCall([&] {
        std::wstring path;
        if (!ModulePath(module, &path)) return E_FAIL;
        const std::wstring clsid = GuidString(info.clsid);
        const std::wstring key = L"CLSID\\" + clsid;
        const std::wstring progId = info.progId;
        std::vector<RegValue> values = {
            {progId, nullptr, info.typeName, false},
            {progId + L"\\CLSID", nullptr, clsid, false},
            {key, nullptr, info.typeName, false},
            {key + L"\\ProgID", nullptr, progId, false},
            {key + L"\\InprocServer32", nullptr, path, false},
            {key + L"\\ToolboxBitmap32", nullptr,
             path + L", " + std::to_wstring(info.toolboxBitmapId), false},
            {key + L"\\MiscStatus", nullptr, L"0", false},
            {key + L"\\MiscStatus\\1", nullptr, std::to_wstring(info.miscStatus), false},
            {key + L"\\Control", nullptr, L"", true},
            {key + L"\\TypeLib", nullptr, GuidString(info.libid), false},
            {key + L"\\Version", nullptr,
             std::to_wstring(info.versionMajor) + L"." + std::to_wstring(info.versionMinor), false},
        };
        if (info.apartment) {
            values.push_back({key + L"\\InprocServer32", L"ThreadingModel", L"Apartment", false});
        }
        return WriteValues(values);
    });
}

HRESULT RegisterPropertyPageClass(HINSTANCE module, REFCLSID clsid, const std::wstring& typeName) {
    return GuardedCall([&] {
        std::wstring path;
        if (!ModulePath(module, &path)) return E_FAIL;
        const std::wstring key = L"CLSID\\" + GuidString(clsid);
        return WriteValues({
            {key, nullptr, typeName, false},
            {key + L"\\InprocServer32", nullptr, path, false},
        });
    });
}

HRESULT UnregisterComClass(REFCLSID clsid, const wchar_t* progId) {
    return GuardedCall([&] {
        HRESULT hr = DeleteTree(L"CLSID\\" + GuidString(clsid));
        if (progId != nullptr) {
            const HRESULT hrProgId = DeleteTree(progId);
            if (SUCCEEDED(hr)) hr = hrProgId;
        }
        return hr;
    });
}
