// The document commands' file side: a document that holds no data makes a new file empty,
// never truncates one that exists, reads a file another program is writing, and says every
// failure in a box naming the file and the system's reason.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app.h"
#include "document.h"
#include "system_text.h"

namespace {

std::vector<std::wstring> g_boxes;

int CaptureBox(HWND, const std::wstring& text, const std::wstring&, UINT) {
    g_boxes.push_back(text);
    return IDOK;
}

class DocumentFiles : public testing::Test {
protected:
    void SetUp() override {
        g_boxes.clear();
        m_previous = SetMessageBoxFunction(CaptureBox);
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        static int counter = 0;
        m_dir = std::wstring(temp) + L"vorn_document_" + std::to_wstring(GetCurrentProcessId()) +
                L"_" + std::to_wstring(++counter);
        ASSERT_TRUE(CreateDirectoryW(m_dir.c_str(), nullptr));
    }
    void TearDown() override {
        SetMessageBoxFunction(m_previous);
        for (const wchar_t* name : {L"\\new.dat", L"\\old.dat"})
            DeleteFileW((m_dir + name).c_str());
        RemoveDirectoryW((m_dir + L"\\folder").c_str());
        RemoveDirectoryW(m_dir.c_str());
    }

    static void Write(const std::wstring& path, const std::string& bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    static std::string Read(const std::wstring& path) {
        const HANDLE file =
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(4096, '\0');
        DWORD got = 0;
        ReadFile(file, &bytes[0], 4096, &got, nullptr);
        CloseHandle(file);
        bytes.resize(got);
        return bytes;
    }
    // One box, naming the file and the system's reason.
    static void ExpectOneBox(const std::wstring& path, DWORD code) {
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_NE(g_boxes[0].find(path), std::wstring::npos);
        EXPECT_NE(g_boxes[0].find(SystemText(code) + L" (错误 " + std::to_wstring(code) + L")"),
                  std::wstring::npos);
        g_boxes.clear();
    }

    CDocument m_document;
    std::wstring m_dir;
    MessageBoxFunction m_previous = nullptr;
};

TEST_F(DocumentFiles, SaveMakesANewFileEmptyAndLeavesAnExistingOneAsItIs) {
    const std::wstring fresh = m_dir + L"\\new.dat";
    Write(fresh, "");
    ASSERT_TRUE(DeleteFileW(fresh.c_str()));
    EXPECT_TRUE(m_document.DoSave(fresh));
    EXPECT_EQ(Read(fresh), "");
    EXPECT_EQ(m_document.GetPathName(), fresh);

    const std::wstring old = m_dir + L"\\old.dat";
    Write(old, "kept as it was");
    EXPECT_TRUE(m_document.OnSaveDocument(old));
    EXPECT_EQ(Read(old), "kept as it was");
    // Even while another program holds it: nothing needs to be written.
    const HANDLE held = CreateFileW(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(m_document.DoSave(old));
    CloseHandle(held);
    EXPECT_EQ(Read(old), "kept as it was");
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(DocumentFiles, ASaveThatCannotBeMadeIsSaid) {
    const std::wstring folder = m_dir + L"\\folder";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(m_document.DoSave(folder));
    ExpectOneBox(folder, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(m_document.GetPathName().empty());

    const std::wstring nowhere = m_dir + L"\\missing\\new.dat";
    EXPECT_FALSE(m_document.OnSaveDocument(nowhere));
    ExpectOneBox(nowhere, ERROR_PATH_NOT_FOUND);
}

TEST_F(DocumentFiles, OpenReadsAFileAnotherProgramWritesAndSaysWhyItCannotOpenOne) {
    const std::wstring old = m_dir + L"\\old.dat";
    Write(old, "data");
    HANDLE other =
        CreateFileW(old.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(m_document.OnOpenDocument(old));
    CloseHandle(other);
    EXPECT_TRUE(g_boxes.empty());

    other = CreateFileW(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(m_document.OnOpenDocument(old));
    CloseHandle(other);
    ExpectOneBox(old, ERROR_SHARING_VIOLATION);

    EXPECT_FALSE(m_document.OnOpenDocument(m_dir + L"\\new.dat"));
    ExpectOneBox(m_dir + L"\\new.dat", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Read(old), "data");
}

}  // namespace
