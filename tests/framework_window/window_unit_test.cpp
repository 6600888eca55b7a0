// The window layer's platform-free pieces, and the profile's recent-file list in the
// registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "app.h"
#include "command_line.h"
#include "format.h"
#include "parse.h"
#include "recent_file_list.h"
#include "runtime_class.h"

namespace {

TEST(Format, FormatsThePatternsThePagesUse) {
    EXPECT_EQ(Format(L"%d", -12345), L"-12345");
    EXPECT_EQ(Format(L"%x", 255), L"ff");
    EXPECT_EQ(Format(L"0x%06x", 0x80), L"0x000080");
    EXPECT_EQ(Format(L"0x%06x", 0xABCDEF), L"0xabcdef");
    EXPECT_EQ(Format(L"%.2f", 0.5), L"0.50");
    EXPECT_EQ(Format(L"%f", 0.5), L"0.500000");
    EXPECT_EQ(Format(L"% 2d", 5), L" 5");
    EXPECT_EQ(Format(L"% 2d", -5), L"-5");
    EXPECT_EQ(Format(L"%.6g", 0.5), L"0.5");
    EXPECT_EQ(Format(L"%.6g", 1234567.0), L"1.23457e+06");
    EXPECT_EQ(Format(L"%.15g", 0.1), L"0.1");
    EXPECT_EQ(Format(L"运动卡：%d", 2), L"运动卡：2");
}

TEST(Format, GrowsPastItsFirstBuffer) {
    const std::wstring wide(1000, L'轴');
    const std::wstring text = Format(L"%d", 7) + wide;
    EXPECT_EQ(Format(L"%d%ls", 7, wide.c_str()), text);
    EXPECT_EQ(Format(L"%0500d", 1).size(), 500u);
}

TEST(ParseStrictInt, AcceptsASignedNumberWithBlanksAround) {
    struct Case {
        const wchar_t* text;
        int value;
    };
    for (const Case& c :
         {Case{L"0", 0}, Case{L"42", 42}, Case{L"-17", -17}, Case{L"+8", 8}, Case{L"  \t12\t ", 12},
          Case{L"007", 7}, Case{L"2147483647", INT_MAX}, Case{L"-2147483648", INT_MIN}}) {
        int value = 99;
        EXPECT_TRUE(ParseStrictInt(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(ParseStrictInt, RefusesEverythingElseAndKeepsTheValue) {
    for (const wchar_t* text :
         {L"", L"  ", L"-", L"+", L"1 2", L"12a", L"a12", L"0x10", L"1.0", L"1e3", L"--1", L"+-1",
          L"2147483648", L"-2147483649", L"99999999999999999999", L"１２"}) {
        int value = 31;
        EXPECT_FALSE(ParseStrictInt(text, value)) << text;
        EXPECT_EQ(value, 31) << text;
    }
}

TEST(ParseStrictDouble, AcceptsDecimalNumbers) {
    struct Case {
        const wchar_t* text;
        double value;
    };
    for (const Case& c : {Case{L"0.5", 0.5}, Case{L".5", 0.5}, Case{L"5.", 5.0},
                          Case{L"-2.25", -2.25}, Case{L" +3 ", 3.0}, Case{L"1e3", 1000.0},
                          Case{L"1.5E-2", 0.015}, Case{L"\t-4e+1\t", -40.0}, Case{L"0.1", 0.1}}) {
        double value = 99;
        EXPECT_TRUE(ParseStrictDouble(c.text, value)) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
}

TEST(ParseStrictDouble, RefusesWhatWcstodWouldTakeAndBrokenForms) {
    for (const wchar_t* text :
         {L"",          L".",     L"-.",    L"+",   L"nan",   L"NaN",   L"inf",
          L"-infinity", L"0x1p3", L"0x10",  L"1e",  L"1e+",   L"1..2",  L"1.2.3",
          L"1 2",       L"e5",    L"1e5.5", L"1,5", L"1e400", L"-1e400"}) {
        double value = 7.0;
        EXPECT_FALSE(ParseStrictDouble(text, value)) << text;
        EXPECT_EQ(value, 7.0) << text;
    }
}

TEST(ParseStrictFloat, KeepsToTheFloatRange) {
    float value = 1.0f;
    EXPECT_TRUE(ParseStrictFloat(L"0.5", value));
    EXPECT_EQ(value, 0.5f);
    EXPECT_TRUE(ParseStrictFloat(L"3.4e38", value));
    EXPECT_FALSE(ParseStrictFloat(L"3.5e38", value));
    EXPECT_FALSE(ParseStrictFloat(L"-1e39", value));
    EXPECT_FLOAT_EQ(value, 3.4e38f);
    double wide = 0;
    EXPECT_TRUE(ParseStrictDouble(L"1e39", wide));
    EXPECT_FALSE(ParseStrictFloat(L"inf", value));
}

TEST(RecentFileList, KeepsTheMostRecentFirstWithoutDuplicates) {
    CRecentFileList list(4);
    EXPECT_TRUE(list.Add(L"C:\\a.txt"));
    EXPECT_TRUE(list.Add(L"C:\\b.txt"));
    EXPECT_TRUE(list.Add(L"C:\\c.txt"));
    EXPECT_EQ(list.Entries(),
              (std::vector<std::wstring>{L"C:\\c.txt", L"C:\\b.txt", L"C:\\a.txt"}));
    // An older entry of the same path (any case) moves to the front in its new spelling.
    EXPECT_TRUE(list.Add(L"c:\\A.TXT"));
    EXPECT_EQ(list.Entries(),
              (std::vector<std::wstring>{L"c:\\A.TXT", L"C:\\c.txt", L"C:\\b.txt"}));
    // Adding the first entry again changes nothing.
    EXPECT_FALSE(list.Add(L"c:\\A.TXT"));
    EXPECT_FALSE(list.Add(L""));
    EXPECT_TRUE(list.Add(L"C:\\d.txt"));
    EXPECT_TRUE(list.Add(L"C:\\e.txt"));
    EXPECT_EQ(list.Entries(),
              (std::vector<std::wstring>{L"C:\\e.txt", L"C:\\d.txt", L"c:\\A.TXT", L"C:\\c.txt"}));
}

TEST(RecentFileList, AssignSkipsEmptyAndRepeatedEntriesAndKeepsTheCapacity) {
    CRecentFileList list(4);
    list.Assign({L"", L"C:\\x", L"C:\\X", L"C:\\y", L"", L"C:\\z", L"C:\\w", L"C:\\v"});
    EXPECT_EQ(list.Entries(), (std::vector<std::wstring>{L"C:\\x", L"C:\\y", L"C:\\z", L"C:\\w"}));
}

TEST(CommandLine, DocumentSwitches) {
    EXPECT_EQ(ParseCommandLine({}).m_nShellCommand, CCommandLineInfo::FileNew);
    EXPECT_TRUE(ParseCommandLine({}).ShowsMainWindow());

    const CCommandLineInfo open = ParseCommandLine({L"C:\\doc.txt"});
    EXPECT_EQ(open.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(open.m_strFileName, L"C:\\doc.txt");
    EXPECT_TRUE(open.ShowsMainWindow());

    const CCommandLineInfo print = ParseCommandLine({L"/p", L"doc"});
    EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_EQ(print.m_strFileName, L"doc");
    EXPECT_FALSE(print.ShowsMainWindow());

    const CCommandLineInfo printTo =
        ParseCommandLine({L"-PT", L"doc", L"printer", L"drv", L"port"});
    EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_EQ(printTo.m_strFileName, L"doc");
    EXPECT_EQ(printTo.m_strPrinterName, L"printer");
    EXPECT_EQ(printTo.m_strDriverName, L"drv");
    EXPECT_EQ(printTo.m_strPortName, L"port");
}

TEST(CommandLine, SwitchesThatLeadToNoMainWindow) {
    for (const wchar_t* sw : {L"/dde", L"/Embedding", L"-embedding", L"/Automation", L"/AUTOMATION",
                              L"/Unregister", L"/unregserver"}) {
        EXPECT_FALSE(ParseCommandLine({sw}).ShowsMainWindow()) << sw;
    }
    EXPECT_TRUE(ParseCommandLine({L"/Embedding"}).m_bRunEmbedded);
    EXPECT_TRUE(ParseCommandLine({L"/Automation"}).m_bRunAutomated);
    EXPECT_EQ(ParseCommandLine({L"/Unregserver"}).m_nShellCommand, CCommandLineInfo::AppUnregister);
    // An unknown switch is ignored.
    EXPECT_TRUE(ParseCommandLine({L"/nosuch"}).ShowsMainWindow());
}

class CBase : public CObject {
public:
    static const CRuntimeClass classCBase;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCBase; }
};
class CDerived : public CBase {
public:
    static const CRuntimeClass classCDerived;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCDerived; }
};
class COther : public CObject {
public:
    static const CRuntimeClass classCOther;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCOther; }
};
const CRuntimeClass CBase::classCBase = {"CBase", &CObject::classCObject, nullptr};
const CRuntimeClass CDerived::classCDerived = {"CDerived", &CBase::classCBase,
                                               CreateDynamic<CDerived>};
const CRuntimeClass COther::classCOther = {"COther", &CObject::classCObject, CreateDynamic<COther>};

TEST(RuntimeClass, CreatesByClassOnlyWhatFits) {
    const std::unique_ptr<CBase> made = CreateObjectAs<CBase>(&CDerived::classCDerived);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRuntimeClass(), &CDerived::classCDerived);
    EXPECT_TRUE(made->IsKindOf(&CBase::classCBase));
    EXPECT_TRUE(made->IsKindOf(&CObject::classCObject));
    EXPECT_FALSE(made->IsKindOf(&COther::classCOther));
    EXPECT_EQ(CreateObjectAs<CBase>(&COther::classCOther), nullptr);  // not a CBase
    EXPECT_EQ(CreateObjectAs<CBase>(&CBase::classCBase), nullptr);    // not creatable
    EXPECT_EQ(CreateObjectAs<CBase>(nullptr), nullptr);
}

// The application object keeps its recent-file list in the registry.
class CProfileApp : public CWinApp {
public:
    CProfileApp() : CWinApp(L"VornWindowUnitTest") {}
};

std::wstring ReadValue(const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS) {
        return L"<none>";
    }
    return buffer;
}

TEST(Profile, RecentFileListIsWrittenAndReadBack) {
    const std::wstring root = L"Software\\VornWindowTest" + std::to_wstring(GetCurrentProcessId());
    {
        CProfileApp app;
        app.SetRegistryKey(root.substr(9).c_str());
        app.LoadStdProfileSettings(4);
        EXPECT_TRUE(app.RecentFiles().Entries().empty());
        // Reading creates nothing.
        HKEY key = nullptr;
        EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, root.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        for (const wchar_t* path : {L"C:\\1", L"C:\\2", L"C:\\3", L"C:\\4", L"C:\\5", L"c:\\3"}) {
            app.AddToRecentFileList(path);
        }
        const std::wstring section = app.ProfileKeyPath() + L"\\Recent File List";
        EXPECT_EQ(section, root + L"\\VornWindowUnitTest\\Recent File List");
        EXPECT_EQ(ReadValue(section, L"File1"), L"c:\\3");
        EXPECT_EQ(ReadValue(section, L"File2"), L"C:\\5");
        EXPECT_EQ(ReadValue(section, L"File3"), L"C:\\4");
        EXPECT_EQ(ReadValue(section, L"File4"), L"C:\\2");
        EXPECT_EQ(ReadValue(section, L"File5"), L"<none>");
    }
    {
        CProfileApp app;
        app.SetRegistryKey(root.substr(9).c_str());
        app.LoadStdProfileSettings(4);
        EXPECT_EQ(app.RecentFiles().Entries(),
                  (std::vector<std::wstring>{L"c:\\3", L"C:\\5", L"C:\\4", L"C:\\2"}));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
}

}  // namespace
