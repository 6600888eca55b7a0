// Self-registration helpers: the type library carried in a module and the class keys
// of controls and property pages under HKEY_CLASSES_ROOT (Unicode APIs throughout).
#pragma once

#include <windows.h>

#include <string>

// GUID as registry text, "{XXXXXXXX-...}" in upper case.
std::wstring GuidString(REFGUID guid);

// Registers the type library of the module's resource 1 under its own path, with no
// separate help directory.
HRESULT RegisterModuleTypeLib(HINSTANCE module);
// Unregisters that library with the identifier, version, locale and system kind it
// carries; a library that is not registered counts as success.
HRESULT UnregisterModuleTypeLib(HINSTANCE module);

struct ControlClassInfo {
    CLSID clsid;
    const wchar_t* progId;
    std::wstring typeName;
    UINT toolboxBitmapId;
    bool apartment;  // ThreadingModel "Apartment"
    DWORD miscStatus;
    GUID libid;
    WORD versionMajor;
    WORD versionMinor;
};

// Writes the keys of a control class: the ProgID with its CLSID, and under
// CLSID\{clsid}: the type name, ProgID, InprocServer32 (the module path and the
// threading model), ToolboxBitmap32, MiscStatus, Control, TypeLib and Version.
HRESULT RegisterControlClass(HINSTANCE module, const ControlClassInfo& info);
// CLSID\{clsid} with the type name and InprocServer32 (the path only).
HRESULT RegisterPropertyPageClass(HINSTANCE module, REFCLSID clsid, const std::wstring& typeName);
// Removes CLSID\{clsid} and, when given, the ProgID tree; absent keys count as removed.
HRESULT UnregisterComClass(REFCLSID clsid, const wchar_t* progId);
