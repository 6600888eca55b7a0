// The settings file end to end when something is in the way: the built program with the
// real control and the simulated card, driven from outside, the operator's answers given.
//  - a file another program shares is loaded whole; one it holds is said once at start and
//    replaced only after a yes at 保存配置;
//  - every save that fails is said (file and reason) and leaves the file byte for byte,
//    also once what stood in the way is gone and before any further save: target held,
//    temporary file held or taken by a directory, disk full, read-only folder;
//  - a temporary file left by an earlier run is removed at start and never read.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "system_text.h"
#include "unix_shell.h"

namespace {

const wchar_t kAppName[] = L"Kestrin运动控制卡";
const wchar_t kSettings[] = L"vorn305q.vo";
constexpr DWORD kWait = kLoadedWaitMs;

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

// A record as the file stores it: card, axis, then eighteen fields (ALM, INP and ORG on).
std::string Record(int card, int axis, int pulseOut = 0) {
    const int32_t fields[20] = {card, axis, pulseOut, 0, 1, 0, 1, 0, 0, 0,
                                1,    0,    0,        0, 0, 0, 0, 0, 0, 0};
    std::string bytes;
    for (const int32_t v : fields) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>(static_cast<uint32_t>(v) >> shift & 0xFF);
    }
    return bytes;
}

std::string FiveRecords() {
    return Record(1, 0, 1) + Record(1, 1, 2) + Record(1, 2) + Record(1, 3, 1) + Record(2, 0, 2);
}

std::string ReadFileBytes(const std::wstring& path) {
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (file.Get() == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ContainsNoCase(const std::wstring& text, const std::wstring& part) {
    return part.empty() || std::search(text.begin(), text.end(), part.begin(), part.end(),
                                       [](wchar_t a, wchar_t b) {
                                           return towlower(a) == towlower(b);
                                       }) != text.end();
}

// Holds a file open the way another program would.
CHandle Hold(const std::wstring& path, DWORD access, DWORD sharing) {
    return CHandle(CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

class SettingsTest : public ::testing::Test {
protected:
    HWND Start(const std::vector<std::pair<std::wstring, std::string>>& files,
               const std::function<void(const std::wstring&)>& beforeStart = nullptr) {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.files = files;
        options.beforeStart = beforeStart;
        m_program = std::make_unique<CGuiProcess>(options);
        EXPECT_TRUE(m_program->Started()) << DumpLines({m_program->StartError()});
        m_frame = m_program->WaitForTopLevel(kShowTitle, kWait);
        EXPECT_NE(m_frame, nullptr) << DumpLines(m_program->TraceLines());
        if (!m_frame) return nullptr;
        HWND toolBar = FindChild(m_frame, AFX_IDW_TOOLBAR);
        EXPECT_TRUE(WaitUntil(
            [&] { return (ToolBarButtonState(toolBar, ID_CONFIG) & TBSTATE_ENABLED) != 0; },
            kWait));
        return m_frame;
    }

    std::wstring SettingsPath() const { return m_program->Directory() + L"\\" + kSettings; }
    std::wstring TempPath() const { return SettingsPath() + L".tmp"; }
    void Send(UINT id) const { SendMessageW(m_frame, WM_COMMAND, id, 0); }
    // Posted: the command may open a box that this test answers.
    void Post(UINT id) const { PostMessageW(m_frame, WM_COMMAND, id, 0); }

    // The program's next message box: the application's caption, its text.
    HWND Box(std::wstring* text) const {
        HWND box = m_program->WaitForDialog(kWait);
        EXPECT_NE(box, nullptr) << DumpLines(m_program->TraceLines());
        if (!box) return nullptr;
        EXPECT_EQ(WindowText(box), kAppName);
        *text = MessageBoxText(box);
        return box;
    }
    // Answers it and waits until no box is left.
    void Answer(HWND box, int button) const {
        ASSERT_TRUE(CloseDialog(box, button));
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
    }
    // A save that goes through without a word: handled within the time, no box left.
    void SaveWithoutBox() const {
        DWORD_PTR result = 0;
        EXPECT_NE(
            SendMessageTimeoutW(m_frame, WM_COMMAND, ID_SAVECONFIG, 0, SMTO_NORMAL, kWait, &result),
            0)
            << "the save did not return: a box?";
        EXPECT_TRUE(m_program->AllDialogs().empty());
    }
    // No box, once the program has handled what came before: a box it opened then is a
    // window by now, shown or not yet.
    void ExpectNoBox() const {
        ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait));
        EXPECT_TRUE(m_program->AllDialogs().empty());
    }
    // The box names the settings file and the system's reason.
    void ExpectNamesFileAndReason(const std::wstring& text, DWORD code) const {
        EXPECT_TRUE(ContainsNoCase(text, SettingsPath())) << DumpLines({text});
        EXPECT_NE(text.find(SystemText(code)), std::wstring::npos) << DumpLines({text});
        EXPECT_NE(text.find(L"错误 " + std::to_wstring(code) + L")"), std::wstring::npos)
            << DumpLines({text});
    }
    // A save that fails: one box about it, the file as it was.
    void ExpectFailedSave(DWORD code, bool inTemp, const std::string& before) const {
        Post(ID_SAVECONFIG);
        std::wstring text;
        HWND box = Box(&text);
        ASSERT_NE(box, nullptr);
        ExpectNamesFileAndReason(text, code);
        EXPECT_EQ(ContainsNoCase(text, TempPath()), inTemp) << DumpLines({text});
        EXPECT_NE(text.find(L"原来的文件没有改动"), std::wstring::npos) << DumpLines({text});
        Answer(box, IDOK);
        EXPECT_EQ(ReadFileBytes(SettingsPath()), before);
    }
    int Count(const std::wstring& text) const {
        int count = 0;
        for (const std::wstring& line : m_program->TraceLines())
            if (line.find(text) != std::wstring::npos) ++count;
        return count;
    }
    void Close() {
        m_program->Close(m_frame);
        DWORD code = ~0u;
        ASSERT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
};

TEST_F(SettingsTest, AFileAnotherProgramSharesIsLoadedWholeAndNotReplacedWhileHeld) {
    const std::string five = FiveRecords();
    // Open for reading and writing, sharing everything, before the program starts.
    CHandle holder;
    ASSERT_NE(Start({{kSettings, five}},
                    [&](const std::wstring& dir) {
                        holder = Hold(dir + L"\\" + kSettings, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
                    }),
              nullptr);
    ASSERT_NE(holder.Get(), INVALID_HANDLE_VALUE);
    EXPECT_GE(m_program->WaitForTraceLine(L"settings loaded: 5 records", 0, 0), 0)
        << DumpLines(m_program->TraceLines());
    ExpectNoBox();

    Send(ID_CONFIG);  // card 0, axis 0: a record of this run after the file's five
    // Held by the other program, the file cannot be replaced (Wine refuses a rename over an
    // open file, whatever its sharing): said, nothing changed.
    ExpectFailedSave(ERROR_ACCESS_DENIED, false, five);
    EXPECT_FALSE(Exists(TempPath()));
    // Let go, the file is still the one it was: a save that deleted it before its replace
    // failed would have left it to go with the last handle. Read before any further save,
    // which would write it again from memory.
    holder.Reset();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), five);
    SaveWithoutBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), five + Record(0, 0));
    Close();
}

TEST_F(SettingsTest, AFileThatCannotBeReadIsSaidOnceAndReplacedOnlyAfterAYes) {
    const std::string five = FiveRecords();
    // Held without sharing while the program starts.
    CHandle holder;
    ASSERT_NE(Start({{kSettings, five}},
                    [&](const std::wstring& dir) {
                        holder = Hold(dir + L"\\" + kSettings, GENERIC_READ, 0);
                    }),
              nullptr);
    ASSERT_NE(holder.Get(), INVALID_HANDLE_VALUE);

    // Said once, over the main window, naming the file and the reason.
    std::wstring text;
    HWND box = Box(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_frame);
    ExpectNamesFileAndReason(text, ERROR_SHARING_VIOLATION);
    Answer(box, IDOK);
    holder.Reset();
    EXPECT_EQ(Count(L"settings loaded"), 0);
    EXPECT_EQ(Count(L"settings unreadable: error 32"), 1);

    Send(ID_CONFIG);
    ExpectNoBox();
    // No: nothing is written.
    Post(ID_SAVECONFIG);
    box = Box(&text);
    ASSERT_NE(box, nullptr);
    ExpectNamesFileAndReason(text, ERROR_SHARING_VIOLATION);
    EXPECT_NE(text.find(L"是否保存"), std::wstring::npos) << DumpLines({text});
    Answer(box, IDNO);
    ExpectNoBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), five);

    // Yes, but the file is held again: the failure is said, still nothing written.
    holder = Hold(SettingsPath(), GENERIC_READ, 0);
    ASSERT_NE(holder.Get(), INVALID_HANDLE_VALUE);
    Post(ID_SAVECONFIG);
    box = Box(&text);
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    box = Box(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(text.find(L"原来的文件没有改动"), std::wstring::npos) << DumpLines({text});
    Answer(box, IDOK);
    holder.Reset();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), five);

    // Asked again; yes replaces the file with this run's records, and from then on saves
    // ask nothing.
    Post(ID_SAVECONFIG);
    box = Box(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(text.find(L"是否保存"), std::wstring::npos) << DumpLines({text});
    Answer(box, IDYES);
    ASSERT_GE(m_program->WaitForTraceLine(L"settings saved: 1 records written", 0, kWait), 0);
    ExpectNoBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Record(0, 0));
    SaveWithoutBox();
    EXPECT_EQ(Count(L"settings saved: 1 records written"), 2);
    Close();
}

TEST_F(SettingsTest, ASaveBlockedAtItsTemporaryFileIsSaid) {
    const std::string two = Record(0, 0, 2) + Record(0, 1, 1);
    ASSERT_NE(Start({{kSettings, two}}), nullptr);
    EXPECT_GE(m_program->WaitForTraceLine(L"settings loaded: 2 records", 0, 0), 0);
    ExpectNoBox();

    // A directory in the temporary file's place: left there.
    ASSERT_TRUE(CreateDirectoryW(TempPath().c_str(), nullptr));
    ExpectFailedSave(ERROR_ACCESS_DENIED, true, two);
    EXPECT_NE(GetFileAttributesW(TempPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ASSERT_TRUE(RemoveDirectoryW(TempPath().c_str()));

    // Another program holds a file of that name: its content stays its own.
    {
        CHandle held(CreateFileW(TempPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(held.Get(), "mine", 4, &written, nullptr));
        ExpectFailedSave(ERROR_SHARING_VIOLATION, true, two);
    }
    EXPECT_EQ(ReadFileBytes(TempPath()), "mine");
    ASSERT_TRUE(DeleteFileW(TempPath().c_str()));

    SaveWithoutBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), two);
    EXPECT_FALSE(Exists(TempPath()));
    Close();
}

TEST_F(SettingsTest, AStaleTemporaryFileIsRemovedAtStartAndNeverRead) {
    std::string stale;
    while (stale.size() < (3u << 20)) stale += Record(7, 3, 2);
    ASSERT_NE(Start({{kSettings, Record(0, 1, 1)}, {std::wstring(kSettings) + L".tmp", stale}}),
              nullptr);
    EXPECT_FALSE(Exists(TempPath()));
    EXPECT_GE(m_program->WaitForTraceLine(L"settings loaded: 1 records", 0, 0), 0);
    ExpectNoBox();
    Send(ID_CONFIG);
    SaveWithoutBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Record(0, 1, 1) + Record(0, 0));
    Close();
}

// The program's folder on a small tmpfs, filled up.
TEST_F(SettingsTest, AFullDiskIsSaid) {
    auto disk = std::make_unique<CSmallFileSystem>(8 * 1024);
    if (!disk->Mounted()) GTEST_SKIP() << "this sandbox cannot mount a small file system";
    wchar_t oldTemp[MAX_PATH] = {};
    const DWORD hadTemp = GetEnvironmentVariableW(L"TMP", oldTemp, MAX_PATH);
    // The test kit makes the program's folder in the temporary folder.
    SetEnvironmentVariableW(L"TMP", disk->Directory().c_str());
    std::string records;
    for (int i = 0; i < 1000; ++i) records += Record(3, i % 4, i % 3);
    const HWND frame = Start({{kSettings, records}});
    SetEnvironmentVariableW(L"TMP", hadTemp ? oldTemp : nullptr);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(m_program->Directory().rfind(disk->Directory(), 0), 0u);
    EXPECT_GE(m_program->WaitForTraceLine(L"settings loaded: 1000 records", 0, 0), 0);

    // Fill the disk, then free 40 KB: less than the 80 000 bytes a save needs, enough for
    // the program's trace.
    const std::wstring filler = disk->Directory() + L"\\filler";
    {
        CHandle file(CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
        const std::string block(4096, 'f');
        DWORD written = 0;
        while (WriteFile(file.Get(), block.data(), 4096, &written, nullptr) && written == 4096) {
        }
        LARGE_INTEGER back;
        back.QuadPart = -40 * 1024;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), back, nullptr, FILE_END));
        ASSERT_TRUE(SetEndOfFile(file.Get()));
    }
    ExpectFailedSave(ERROR_DISK_FULL, true, records);
    EXPECT_FALSE(Exists(TempPath()));
    ASSERT_TRUE(DeleteFileW(filler.c_str()));
    EXPECT_EQ(ReadFileBytes(SettingsPath()), records);
    SaveWithoutBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), records);
    Close();
    m_program.reset();
    disk.reset();
}

// The program's folder mounted read-only while it runs (Wine runs as root here, so folder
// permissions alone would stop nothing).
TEST_F(SettingsTest, AReadOnlyFolderIsSaid) {
    const std::string two = Record(0, 2, 1) + Record(0, 3, 2);
    ASSERT_NE(Start({{kSettings, two}}), nullptr);
    Send(ID_CONFIG);
    {
        CReadOnlyFolder readOnly(m_program->Directory());
        if (!readOnly.Active()) GTEST_SKIP() << "this sandbox cannot mount a folder read-only";
        // Wine's word for a read-only file system.
        ExpectFailedSave(ERROR_ACCESS_DENIED, true, two);
    }
    EXPECT_EQ(ReadFileBytes(SettingsPath()), two);
    SaveWithoutBox();
    EXPECT_EQ(ReadFileBytes(SettingsPath()), two + Record(0, 0));
    Close();
}

}  // namespace
