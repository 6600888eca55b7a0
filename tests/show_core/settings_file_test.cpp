// Records and the settings file: layout, defaults, loading any file (a missing one is no
// error, one that cannot be read whole is, and adds nothing), and saves that either replace
// the file completely or leave it exactly as it was and say why.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings_file.h"
#include "unix_shell.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (uint8_t& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

bool SameRecord(const AxisConfig& a, const AxisConfig& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        static int counter = 0;
        m_dir = std::wstring(temp) + L"vorn_settings_" + std::to_wstring(GetCurrentProcessId()) +
                L"_" + std::to_wstring(++counter) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(m_dir.c_str(), nullptr));
        m_path = SettingsFilePath(m_dir);
    }
    void TearDown() override { RemoveTree(m_dir); }

    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = dir + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path + L"\\");
                } else {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(dir.c_str());
    }

    static void WriteBytes(const std::wstring& path, const Bytes& bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        const BOOL ok =
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(ok && written == bytes.size());
    }

    static bool Exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    static Bytes ReadBytes(const std::wstring& path) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        Bytes bytes(GetFileSize(file, nullptr));
        DWORD got = 0;
        if (!bytes.empty())
            ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
        bytes.resize(got);
        return bytes;
    }

    static AxisConfigList ListOf(std::initializer_list<AxisConfig> records) {
        AxisConfigList list;
        for (const AxisConfig& r : records) list.push_back(std::make_unique<AxisConfig>(r));
        return list;
    }

    std::wstring m_dir;
    std::wstring m_path;
};

TEST(AxisRecordTest, FieldsSitAtTheirOffsetsLittleEndian) {
    AxisConfig c{};
    int32_t AxisConfig::*const byOffset[] = {
        &AxisConfig::nCard,          &AxisConfig::nAxis,           &AxisConfig::nPulseOutMode,
        &AxisConfig::nPulseInMode,   &AxisConfig::bAlmEnable,      &AxisConfig::nAlmLevel,
        &AxisConfig::bInpEnable,     &AxisConfig::nInpLevel,       &AxisConfig::nLimitLevel,
        &AxisConfig::nLimitStop,     &AxisConfig::bOrgEnable,      &AxisConfig::nOrgLevel,
        &AxisConfig::nPulseEdge,     &AxisConfig::bIntGeCompMinus, &AxisConfig::bIntLtCompMinus,
        &AxisConfig::bIntLtCompPlus, &AxisConfig::bIntGeCompPlus,  &AxisConfig::bIntDecelStart,
        &AxisConfig::bIntAccelEnd,   &AxisConfig::bIntDriveEnd};
    for (int i = 0; i < 20; ++i) c.*byOffset[i] = 0x10203000 + i;
    c.nOrgLevel = -2;
    uint8_t bytes[80];
    EncodeAxisConfig(c, bytes);
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        if (i == 11) {
            EXPECT_EQ(Bytes(bytes + 44, bytes + 48), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
            continue;
        }
        EXPECT_EQ(Bytes(bytes + 4 * i, bytes + 4 * i + 4),
                  (Bytes{static_cast<uint8_t>(i), 0x30, 0x20, 0x10}));
    }
    EXPECT_TRUE(SameRecord(DecodeAxisConfig(bytes), c));
}

TEST(AxisRecordTest, Defaults) {
    AxisConfig c = MakeAxisConfig(3, 2);
    EXPECT_EQ(c.nCard, 3);
    EXPECT_EQ(c.nAxis, 2);
    EXPECT_EQ(c.bAlmEnable, 1);
    EXPECT_EQ(c.bInpEnable, 1);
    EXPECT_EQ(c.bOrgEnable, 1);
    AxisConfig expected{};
    expected.nCard = 3;
    expected.nAxis = 2;
    expected.bAlmEnable = expected.bInpEnable = expected.bOrgEnable = 1;
    EXPECT_TRUE(SameRecord(c, expected));

    // Load defaults on a record whose ORG level was 1: everything back, the pair kept.
    c.nOrgLevel = 1;
    c.bAlmEnable = 0;
    c.nPulseOutMode = 2;
    c.bIntDriveEnd = 1;
    ResetAxisConfig(c);
    EXPECT_TRUE(SameRecord(c, expected));

    const MotionParams m = MakeMotionParams(1, 3);
    EXPECT_EQ(m.nCard, 1);
    EXPECT_EQ(m.nAxis, 3);
    EXPECT_EQ(m.nMotionType, 0);
    EXPECT_EQ(m.nPosition, 0);
    EXPECT_EQ(m.nTolerance, 0);
    EXPECT_EQ(m.nRunSpeed, 4000);
    EXPECT_EQ(m.nStartSpeed, 2000);
    EXPECT_EQ(m.nDistance, 10000);
    EXPECT_EQ(m.fSAccTime, 0.5f);
    EXPECT_EQ(m.fSDecTime, 0.5f);
    EXPECT_EQ(m.fTAccTime, 0.5f);
    EXPECT_EQ(m.fTDecTime, 0.5f);
    EXPECT_EQ(m.nDirection, 0);
}

TEST_F(SettingsFileTest, WholeRecordsOnlyAndASaveOfWholeRecords) {
    const Bytes file = RandomBytes(170, 7);
    WriteBytes(m_path, file);
    AxisConfigList list;
    ASSERT_EQ(LoadSettingsFile(m_path, list).records, 2u);
    ASSERT_EQ(list.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        uint8_t bytes[80];
        std::memcpy(bytes, file.data() + 80 * i, 80);
        EXPECT_TRUE(SameRecord(*list[i], DecodeAxisConfig(bytes)));
    }
    EXPECT_EQ(static_cast<uint32_t>(list[1]->nAxis),
              file[84] | file[85] << 8 | file[86] << 16 | uint32_t{file[87]} << 24);

    ASSERT_TRUE(SaveSettingsFile(m_path, list).written);
    EXPECT_EQ(ReadBytes(m_path), Bytes(file.begin(), file.begin() + 160));
    EXPECT_FALSE(Exists(m_path + L".tmp"));

    WriteBytes(m_path, RandomBytes(160, 8));
    AxisConfigList appended = ListOf({MakeAxisConfig(9, 9)});
    EXPECT_EQ(LoadSettingsFile(m_path, appended).records, 2u);
    EXPECT_EQ(appended.size(), 3u);
    EXPECT_EQ(appended[0]->nCard, 9);
}

TEST_F(SettingsFileTest, DuplicatesKeptInOrderAndRoundTrip) {
    AxisConfig a = MakeAxisConfig(0, 1);
    AxisConfig b = MakeAxisConfig(INT_MAX, INT_MIN);
    b.nPulseEdge = -1;
    b.bIntAccelEnd = 0x7FFF0001;
    AxisConfig a2 = a;
    a2.nOrgLevel = 1;
    ASSERT_TRUE(SaveSettingsFile(m_path, ListOf({a, b, a2})).written);
    EXPECT_EQ(ReadBytes(m_path).size(), 240u);

    AxisConfigList list;
    ASSERT_EQ(LoadSettingsFile(m_path, list).records, 3u);
    EXPECT_TRUE(SameRecord(*list[0], a));
    EXPECT_TRUE(SameRecord(*list[1], b));
    EXPECT_TRUE(SameRecord(*list[2], a2));
    EXPECT_EQ(FindAxisConfig(list, 0, 1), list[0].get());
    EXPECT_EQ(FindAxisConfig(list, INT_MAX, INT_MIN), list[1].get());
    EXPECT_EQ(FindAxisConfig(list, 1, 0), nullptr);

    MotionParamsList motions;
    motions.push_back(std::make_unique<MotionParams>(MakeMotionParams(0, 1)));
    motions.push_back(std::make_unique<MotionParams>(MakeMotionParams(0, 1)));
    EXPECT_EQ(FindMotionParams(motions, 0, 1), motions[0].get());
    EXPECT_EQ(FindMotionParams(motions, 1, 0), nullptr);
}

TEST_F(SettingsFileTest, NothingToLoadIsNoError) {
    AxisConfigList list;
    for (const Bytes& bytes : {Bytes{}, RandomBytes(79, 1)}) {
        SettingsLoad load = LoadSettingsFile(m_path, list);  // missing, then empty, then short
        EXPECT_EQ(load.records, 0u);
        EXPECT_EQ(load.error, static_cast<DWORD>(ERROR_SUCCESS));
        WriteBytes(m_path, bytes);
    }
    const SettingsLoad load = LoadSettingsFile(m_path, list);
    EXPECT_EQ(load.records, 0u);
    EXPECT_EQ(load.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(list.empty());
}

TEST_F(SettingsFileTest, AFileAnotherProgramSharesIsReadAndOneItHoldsIsAnError) {
    const Bytes file = RandomBytes(400, 2);
    WriteBytes(m_path, file);
    AxisConfigList list = ListOf({MakeAxisConfig(9, 9)});
    {
        // Open for writing, sharing everything: the records are all there.
        const HANDLE shared = CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(shared, INVALID_HANDLE_VALUE);
        const SettingsLoad load = LoadSettingsFile(m_path, list);
        CloseHandle(shared);
        EXPECT_EQ(load.records, 5u);
        EXPECT_EQ(load.error, static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_EQ(list.size(), 6u);
        EXPECT_EQ(list[0]->nCard, 9);
    }
    {
        // Held without sharing: an error, and nothing is added.
        const HANDLE held = CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const SettingsLoad load = LoadSettingsFile(m_path, list);
        CloseHandle(held);
        EXPECT_EQ(load.records, 0u);
        EXPECT_EQ(load.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(list.size(), 6u);
    }
    {
        // A directory of that name exists but is no settings file.
        ASSERT_TRUE(DeleteFileW(m_path.c_str()));
        ASSERT_TRUE(CreateDirectoryW(m_path.c_str(), nullptr));
        const SettingsLoad load = LoadSettingsFile(m_path, list);
        EXPECT_EQ(load.records, 0u);
        EXPECT_NE(load.error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(list.size(), 6u);
        const SettingsSave save = SaveSettingsFile(m_path, ListOf({MakeAxisConfig(0, 0)}));
        EXPECT_FALSE(save.written);
        EXPECT_NE(save.error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_TRUE(GetFileAttributesW(m_path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_FALSE(Exists(m_path + L".tmp"));
    }
}

// A file that ends before its stated length, as one cut short by another writer while it is
// read: the host's sysfs files state 4096 bytes and hold a few.
TEST_F(SettingsFileTest, AFileCutShortWhileReadAddsNothing) {
    const std::wstring shortFile = L"Z:\\sys\\devices\\system\\cpu\\online";
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(shortFile.c_str(), GetFileExInfoStandard, &data) ||
        data.nFileSizeLow < 80 || ReadBytes(shortFile).size() >= 80)
        GTEST_SKIP() << "no file here states more than it holds";
    AxisConfigList list = ListOf({MakeAxisConfig(4, 1)});
    const SettingsLoad load = LoadSettingsFile(shortFile, list);
    EXPECT_EQ(load.records, 0u);
    EXPECT_EQ(load.error, static_cast<DWORD>(ERROR_HANDLE_EOF));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->nCard, 4);
}

TEST_F(SettingsFileTest, TenMegabytesOfGarbage) {
    const Bytes file = RandomBytes(10 * 1024 * 1024 + 37, 3);
    WriteBytes(m_path, file);
    AxisConfigList list;
    ASSERT_EQ(LoadSettingsFile(m_path, list).records, 131072u);
    uint8_t last[80];
    std::memcpy(last, file.data() + 80 * 131071, 80);
    EXPECT_TRUE(SameRecord(*list.back(), DecodeAxisConfig(last)));
    ASSERT_TRUE(SaveSettingsFile(m_path, list).written);
    EXPECT_EQ(ReadBytes(m_path), Bytes(file.begin(), file.begin() + 10 * 1024 * 1024));
}

TEST_F(SettingsFileTest, NoRecordsLeavesTheFileAlone) {
    SettingsSave save = SaveSettingsFile(m_path, {});
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(Exists(m_path));
    const Bytes old = RandomBytes(170, 4);
    WriteBytes(m_path, old);
    save = SaveSettingsFile(m_path, {});
    EXPECT_FALSE(save.written);
    EXPECT_EQ(ReadBytes(m_path), old);
    EXPECT_FALSE(Exists(m_path + L".tmp"));
}

TEST_F(SettingsFileTest, AFailedSaveSaysWhyAndKeepsTheOldFileByteForByte) {
    const Bytes old = RandomBytes(250, 5);
    const AxisConfigList list = ListOf({MakeAxisConfig(0, 0), MakeAxisConfig(0, 1)});
    const std::wstring temp = SettingsTempPath(m_path);
    EXPECT_EQ(temp, m_path + L".tmp");
    WriteBytes(m_path, old);

    // The temporary file cannot be created: a directory in its place.
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    SettingsSave save = SaveSettingsFile(m_path, list);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(save.inTempFile);
    EXPECT_EQ(ReadBytes(m_path), old);
    EXPECT_FALSE(RemoveStaleSettingsTemp(m_path));  // not ours to remove
    EXPECT_TRUE(GetFileAttributesW(temp.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(RemoveDirectoryW(temp.c_str()));

    // ... another program holds a file of that name.
    WriteBytes(temp, {1, 2, 3});
    HANDLE held = CreateFileW(temp.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    save = SaveSettingsFile(m_path, list);
    CloseHandle(held);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(save.inTempFile);
    EXPECT_EQ(ReadBytes(m_path), old);
    EXPECT_EQ(ReadBytes(temp), (Bytes{1, 2, 3}));
    ASSERT_TRUE(DeleteFileW(temp.c_str()));

    // The old file cannot be replaced while another program holds it, even sharing
    // everything; the complete new file is not left behind.
    for (const DWORD sharing :
         {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        held = CreateFileW(m_path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        save = SaveSettingsFile(m_path, list);
        CloseHandle(held);
        EXPECT_FALSE(save.written) << sharing;
        EXPECT_NE(save.error, static_cast<DWORD>(ERROR_SUCCESS)) << sharing;
        EXPECT_FALSE(save.inTempFile) << sharing;
        EXPECT_EQ(ReadBytes(m_path), old) << sharing;
        EXPECT_FALSE(Exists(temp)) << sharing;
    }

    // A stale temporary file from an earlier run is removed, or overwritten by the next
    // save; never read.
    WriteBytes(temp, RandomBytes(1000, 6));
    EXPECT_TRUE(RemoveStaleSettingsTemp(m_path));
    EXPECT_FALSE(Exists(temp));
    EXPECT_TRUE(RemoveStaleSettingsTemp(m_path));  // none left: nothing to do
    WriteBytes(temp, RandomBytes(1000, 6));
    save = SaveSettingsFile(m_path, list);
    ASSERT_TRUE(save.written);
    EXPECT_EQ(save.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(m_path).size(), 160u);
    EXPECT_FALSE(Exists(temp));
}

// A real full disk and a real read-only folder: a small tmpfs, then a read-only mount of it.
// Wine runs as root here, so folder permissions alone would not stop a write.
TEST_F(SettingsFileTest, AFullDiskAndAReadOnlyFolderAreSaidAndChangeNothing) {
    CSmallFileSystem disk(64);
    if (!disk.Mounted()) GTEST_SKIP() << "this sandbox cannot mount a small file system";
    const std::wstring path = SettingsFilePath(disk.Directory() + L"\\");
    const Bytes old = RandomBytes(8000, 10);
    WriteBytes(path, old);

    AxisConfigList big;  // 80 000 bytes: more than is left
    for (int i = 0; i < 1000; ++i)
        big.push_back(std::make_unique<AxisConfig>(MakeAxisConfig(i, 0)));
    SettingsSave save = SaveSettingsFile(path, big);
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_TRUE(save.inTempFile);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(Exists(SettingsTempPath(path)));
    // What fits is written as usual.
    const AxisConfigList small = ListOf({MakeAxisConfig(1, 2)});
    ASSERT_TRUE(SaveSettingsFile(path, small).written);
    EXPECT_EQ(ReadBytes(path).size(), 80u);

    const Bytes saved = ReadBytes(path);
    auto readOnly = std::make_unique<CReadOnlyFolder>(disk.Directory());
    ASSERT_TRUE(readOnly->Active());
    save = SaveSettingsFile(path, ListOf({MakeAxisConfig(3, 3), MakeAxisConfig(3, 2)}));
    readOnly.reset();
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(path), saved);
    EXPECT_TRUE(SaveSettingsFile(path, small).written);
    EXPECT_FALSE(Exists(SettingsTempPath(path)));
}

}  // namespace
