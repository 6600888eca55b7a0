// The built Vorn_305q.dll through its exports: the registry entries it writes and
// removes, its class factories, and the type library it carries against the published
// contract. The only program here that writes the shared prefix's registry.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <set>
#include <string>

#include "com_ptr.h"
#include "com_test_support.h"
#include "contract_table.h"

using namespace comtest;

namespace {

const CLSID kCtrl = {0x0BAAC4F3, 0x9558, 0x49B4, {0xA9, 0x0F, 0x4C, 0xF8, 0xBD, 0x3E, 0xED, 0x65}};
const CLSID kPage = {0x9E6AF84A, 0x4900, 0x44C7, {0x96, 0x9B, 0x25, 0x4E, 0xA0, 0xC7, 0x65, 0xF8}};
const GUID kLib = {0x4F88E816, 0xA66F, 0x4479, {0xA0, 0x8D, 0x35, 0x29, 0x90, 0xB9, 0xDD, 0x64}};
const IID kEvents = {0x29E1AF8F, 0x9F0F, 0x4E02, {0x9D, 0x9B, 0x2A, 0xD3, 0x0E, 0x7E, 0xF7, 0xF9}};
const wchar_t kCtrlKey[] = L"CLSID\\{0BAAC4F3-9558-49B4-A90F-4CF8BD3EED65}";
const wchar_t kPageKey[] = L"CLSID\\{9E6AF84A-4900-44C7-969B-254EA0C765F8}";
const wchar_t kProgId[] = L"VORN305Q.Vorn305qCtrl.1";
const wchar_t kLibKey[] = L"TypeLib\\{4F88E816-A66F-4479-A08D-352990B9DD64}";
const wchar_t kDispatchKey[] = L"Interface\\{CA3E5514-15A4-482F-BB6F-F1A322DE645D}";
const wchar_t kEventsKey[] = L"Interface\\{29E1AF8F-9F0F-4E02-9D9B-2AD30E7EF7F9}";
const wchar_t kLibId[] = L"{4F88E816-A66F-4479-A08D-352990B9DD64}";

struct Dll {
    HMODULE module = nullptr;
    std::wstring path;  // as the module knows itself
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
};

template <typename F>
void Resolve(HMODULE module, const char* name, F* out) {
    *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    EXPECT_NE(*out, nullptr) << name << " is not exported undecorated";
}

const Dll& TheDll() {
    static Dll dll;
    if (dll.module == nullptr) {
        std::wstring path = L"Z:";
        for (const char* p = VORN_CONTROL_DLL; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
        dll.module = LoadLibraryW(path.c_str());
        EXPECT_NE(dll.module, nullptr) << "cannot load " << VORN_CONTROL_DLL;
        wchar_t buffer[MAX_PATH] = {};
        GetModuleFileNameW(dll.module, buffer, MAX_PATH);
        dll.path = buffer;
        Resolve(dll.module, "DllCanUnloadNow", &dll.canUnloadNow);
        Resolve(dll.module, "DllGetClassObject", &dll.getClassObject);
        Resolve(dll.module, "DllRegisterServer", &dll.registerServer);
        Resolve(dll.module, "DllUnregisterServer", &dll.unregisterServer);
    }
    return dll;
}

bool KeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

std::string ReadValue(const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof(buffer);
    return RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                        &bytes) == ERROR_SUCCESS
               ? Narrow(buffer)
               : "<absent>";
}

std::set<std::wstring> SubKeys(const std::wstring& key) {
    std::set<std::wstring> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD i = 0, length = 256; RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr,
                                                  nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 256) {
        names.insert(name);
    }
    RegCloseKey(handle);
    return names;
}

std::wstring TypeName(ITypeInfo* info) {
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    std::wstring result = name ? name : L"";
    SysFreeString(name);
    return result;
}

struct WatchdogInstaller {
    WatchdogInstaller() { Watchdog::Install(30000); }
} g_watchdog;

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(m_apartment.hr));
        ASSERT_NE(m_dll.unregisterServer, nullptr);
        wchar_t temp[MAX_PATH];  // card refusals go to a file: a message box would block
        GetTempPathW(MAX_PATH, temp);
        SetEnvironmentVariableW(L"VORN305Q_MSGBOX_LOG",
                                (std::wstring(temp) + L"vorn_module_messages.log").c_str());
    }
    void TearDown() override { EXPECT_EQ(m_dll.unregisterServer(), S_OK); }

    CComRef<IDispatch> CreateControl() {
        CComRef<IClassFactory> factory;
        EXPECT_EQ(m_dll.getClassObject(kCtrl, IID_IClassFactory, factory.PutVoid()), S_OK);
        CComRef<IDispatch> control;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, control.PutVoid()), S_OK);
        return control;
    }

    Apartment m_apartment;
    const Dll& m_dll = TheDll();
};

TEST_F(ModuleTest, RegistrationWritesExactlyTheDocumentedKeys) {
    ASSERT_EQ(m_dll.registerServer(), S_OK);
    const std::wstring path = m_dll.path, ctrl = kCtrlKey, page = kPageKey, lib = kLibKey;
    const std::wstring progId = kProgId, dispatch = kDispatchKey, events = kEventsKey;
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring expected;
    } rows[] = {
        {progId, nullptr, L"Vorn_305q Control"},
        {progId + L"\\CLSID", nullptr, L"{0BAAC4F3-9558-49B4-A90F-4CF8BD3EED65}"},
        {ctrl, nullptr, L"Vorn_305q Control"},
        {ctrl + L"\\ProgID", nullptr, kProgId},
        {ctrl + L"\\InprocServer32", nullptr, path},
        {ctrl + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {ctrl + L"\\ToolboxBitmap32", nullptr, path + L", 1"},
        {ctrl + L"\\MiscStatus", nullptr, L"0"},
        {ctrl + L"\\MiscStatus\\1", nullptr, L"131217"},
        {ctrl + L"\\TypeLib", nullptr, kLibId},
        {ctrl + L"\\Version", nullptr, L"1.0"},
        {page, nullptr, L"Vorn_305q Property Page"},
        {page + L"\\InprocServer32", nullptr, path},
        {page + L"\\InprocServer32", L"ThreadingModel", L"<absent>"},
        {lib + L"\\1.0", nullptr, L"Vorn_305q ActiveX Control module"},
        {lib + L"\\1.0\\409\\win64", nullptr, path},
        {dispatch, nullptr, L"_DVorn_305q"},
        {dispatch + L"\\TypeLib", nullptr, kLibId},
        {dispatch + L"\\TypeLib", L"Version", L"1.0"},
        {events, nullptr, L"_DVorn_305qEvents"},
        {events + L"\\TypeLib", nullptr, kLibId},
        {events + L"\\ProxyStubClsid32", nullptr, L"{00020420-0000-0000-C000-000000000046}"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadValue(row.key, row.name), Narrow(row.expected))
            << Narrow(row.key) << " " << (row.name ? Narrow(row.name) : "(default)");
    }
    // Nothing else: exactly these subkeys.
    EXPECT_EQ(SubKeys(ctrl),
              (std::set<std::wstring>{L"Control", L"InprocServer32", L"MiscStatus", L"ProgID",
                                      L"ToolboxBitmap32", L"TypeLib", L"Version"}));
    EXPECT_EQ(SubKeys(ctrl + L"\\Control"), std::set<std::wstring>{});
    EXPECT_EQ(SubKeys(page), std::set<std::wstring>{L"InprocServer32"});
    EXPECT_EQ(SubKeys(progId), std::set<std::wstring>{L"CLSID"});
    EXPECT_FALSE(KeyExists(L"VORN305Q.Vorn305qCtrl"));
    // Found through the registry under the library's own locale.
    CComRef<ITypeLib> registered;
    EXPECT_EQ(LoadRegTypeLib(kLib, 1, 0, 0x409, registered.Put()), S_OK);
}

TEST_F(ModuleTest, UnregistrationRemovesEverythingAndMayBeRepeated) {
    ASSERT_EQ(m_dll.registerServer(), S_OK);
    EXPECT_EQ(m_dll.unregisterServer(), S_OK);
    for (const wchar_t* key : {kCtrlKey, kPageKey, kProgId, kLibKey, kDispatchKey, kEventsKey}) {
        EXPECT_FALSE(KeyExists(key)) << Narrow(key);
    }
    EXPECT_EQ(m_dll.unregisterServer(), S_OK);
}

// A library already gone does not stop the class keys going, and an unregistered (or
// moved) copy still describes itself from its own resource.
TEST_F(ModuleTest, UnregistrationAndTypeInformationDoNotDependOnTheRegisteredLibrary) {
    ASSERT_EQ(m_dll.registerServer(), S_OK);
    ASSERT_EQ(UnRegisterTypeLib(kLib, 1, 0, 0x409, SYS_WIN64), S_OK);
    EXPECT_EQ(m_dll.unregisterServer(), S_OK);
    for (const wchar_t* key : {kCtrlKey, kPageKey, kProgId}) EXPECT_FALSE(KeyExists(key));

    CComRef<IDispatch> control = CreateControl();
    CComRef<ITypeInfo> info;
    ASSERT_EQ(control->GetTypeInfo(0, 0x409, info.Put()), S_OK);
    EXPECT_EQ(TypeName(info.Get()), L"_DVorn_305q");
    CComRef<IProvideClassInfo2> classInfo;
    ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo2, classInfo.PutVoid()), S_OK);
    ASSERT_EQ(classInfo->GetClassInfo(info.Put()), S_OK);
    EXPECT_EQ(TypeName(info.Get()), L"Vorn_305q");
    GUID source = GUID_NULL;
    ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, kEvents));
}

TEST_F(ModuleTest, FactoriesServeBothClassesAndHoldTheModule) {
    CComRef<IClassFactory> factory;
    EXPECT_EQ(m_dll.getClassObject(IID_IDispatch, IID_IClassFactory, factory.PutVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(m_dll.getClassObject(kPage, IID_IClassFactory, factory.PutVoid()), S_OK);
    CComRef<IPropertyPage> page;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, page.PutVoid()), S_OK);
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"General");
    CoTaskMemFree(info.pszTitle);

    ASSERT_EQ(m_dll.getClassObject(kCtrl, IID_IClassFactory, factory.PutVoid()), S_OK);
    CComRef<IUnknown> object, other;
    EXPECT_EQ(factory->CreateInstance(page.Get(), IID_IUnknown, object.PutVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(object);
    const IID iidClassFactoryEx = {// script hosts probe for it
                                   0x342D1EA0,
                                   0xAE25,
                                   0x11D1,
                                   {0x89, 0xC5, 0x00, 0x60, 0x08, 0xC3, 0xFB, 0xFC}};
    EXPECT_EQ(factory->QueryInterface(iidClassFactoryEx, other.PutVoid()), E_NOINTERFACE);
    page.Reset();
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, object.PutVoid()), S_OK);
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(m_dll.canUnloadNow(), S_FALSE);  // an object and a lock
    object.Reset();
    EXPECT_EQ(m_dll.canUnloadNow(), S_FALSE);  // the lock
    ASSERT_EQ(m_dll.getClassObject(kCtrl, IID_IClassFactory, factory.PutVoid()), S_OK);
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(m_dll.canUnloadNow(), S_OK);
}

struct Member {
    std::wstring name;
    std::vector<VARTYPE> types;  // result, then parameters
    std::wstring lastParamName;
};

std::map<MEMBERID, Member> Members(ITypeInfo* info) {
    std::map<MEMBERID, Member> members;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        info->GetFuncDesc(i, &func);
        BSTR names[16] = {};
        UINT count = 0;
        info->GetNames(func->memid, names, 16, &count);
        Member m{names[0], {func->elemdescFunc.tdesc.vt}, count > 1 ? names[count - 1] : L""};
        for (SHORT p = 0; p < func->cParams; ++p) {
            m.types.push_back(func->lprgelemdescParam[p].tdesc.vt);
        }
        EXPECT_EQ(func->funckind, FUNC_DISPATCH);
        EXPECT_EQ(func->invkind, INVOKE_FUNC);
        for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
        members[func->memid] = m;
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    return members;
}

TEST_F(ModuleTest, TypeLibraryMatchesTheContract) {
    CComRef<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(m_dll.path.c_str(), REGKIND_NONE, lib.Put()), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kLib));
    EXPECT_EQ(attr->wMajorVerNum * 100 + attr->wMinorVerNum, 100);
    EXPECT_EQ(attr->lcid, 0x409u);  // registers under ...\1.0\409
    lib->ReleaseTLibAttr(attr);
    ASSERT_EQ(lib->GetTypeInfoCount(), 3u);
    CComRef<ITypeInfo> dispatch, events, coclass;
    lib->GetTypeInfo(0, dispatch.Put());
    lib->GetTypeInfo(1, events.Put());
    lib->GetTypeInfo(2, coclass.Put());
    EXPECT_EQ(TypeName(dispatch.Get()), L"_DVorn_305q");
    EXPECT_EQ(TypeName(coclass.Get()), L"Vorn_305q");

    const std::map<MEMBERID, Member> methods = Members(dispatch.Get());
    ASSERT_EQ(methods.size(), std::size(kContract));
    for (const ContractRow& row : kContract) {
        SCOPED_TRACE(Narrow(row.name));
        ASSERT_EQ(methods.count(ContractId(row)), 1u);
        const Member& m = methods.at(ContractId(row));
        EXPECT_EQ(Narrow(m.name), Narrow(row.name));  // exact case
        EXPECT_EQ(m.types, ContractTypes(row));
    }
    EXPECT_EQ(methods.at(49).lastParamName, L"rV");  // ManuMove2's rV: long in the library

    const std::map<MEMBERID, Member> fired = Members(events.Get());
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired.at(1).name, L"FireInterrupt");
    EXPECT_EQ(fired.at(1).types, (std::vector<VARTYPE>{VT_VOID, VT_I2, VT_I4}));
    for (UINT i = 0; i < 2; ++i) {  // the default interface, then the default source
        INT flags = 0;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | (i ? IMPLTYPEFLAG_FSOURCE : 0));
        HREFTYPE ref = 0;
        coclass->GetRefTypeOfImplType(i, &ref);
        CComRef<ITypeInfo> implemented;
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, implemented.Put()), S_OK);
        EXPECT_EQ(TypeName(implemented.Get()), i ? L"_DVorn_305qEvents" : L"_DVorn_305q");
    }
}

// The live object's own table gives every published name, in any case, the library's id.
TEST_F(ModuleTest, LiveObjectResolvesEveryNameToItsIdentifier) {
    CComRef<IDispatch> control = CreateControl();
    for (const ContractRow& row : kContract) {
        std::wstring upper = row.name;
        for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
        for (const std::wstring& name : {std::wstring(row.name), upper}) {
            LPOLESTR text = const_cast<LPOLESTR>(name.c_str());
            DISPID id = 0;
            EXPECT_EQ(control->GetIDsOfNames(IID_NULL, &text, 1, 0, &id), S_OK) << Narrow(name);
            EXPECT_EQ(id, ContractId(row)) << Narrow(name);
        }
    }
    LPOLESTR names[2] = {const_cast<LPOLESTR>(L"Stop3AxisDecX"), const_cast<LPOLESTR>(L"rV")};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    names[0] = const_cast<LPOLESTR>(L"manumove2");  // parameter names are not known
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 49);
}

}  // namespace
