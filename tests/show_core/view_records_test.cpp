// The view's records without a window: which calls carry a configuration to the card and
// when (once per pair in the run, to the axis given), which records are current, what load
// defaults changes, and the settings file's decisions: an unread file is asked about until a
// save replaces it, and what each box says.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "view_records.h"

namespace {

struct Call {
    std::string name;
    short axis;
    short value;

    bool operator==(const Call& other) const {
        return name == other.name && axis == other.axis && value == other.value;
    }
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
    return out << call.name << "(" << call.axis << ", " << call.value << ")";
}

class CRecordingCalls : public IConfigCalls {
public:
    void PulseOutMode(short axis, short mode) override {
        calls.push_back({"PulseOutMode", axis, mode});
    }
    void InputMode(short axis, short mode) override { calls.push_back({"InputMode", axis, mode}); }
    void SignalAlmInp(short axis, short data) override {
        calls.push_back({"SignalAlmInp", axis, data});
    }
    void SignalHardLmt(short axis, short data) override {
        calls.push_back({"SignalHardLmt", axis, data});
    }
    void SignalOrg(short axis, short mode) override { calls.push_back({"SignalOrg", axis, mode}); }
    void LevelMode(short axis, short mode) override { calls.push_back({"LevelMode", axis, mode}); }
    short CloseInterrupt(short axis) override {
        calls.push_back({"CloseInterrupt", axis, 0});
        return 0;
    }
    short SetInterrupt(short axis, short nVal) override {
        calls.push_back({"SetInterrupt", axis, nVal});
        return 0;
    }

    // The calls since the last Take.
    std::vector<Call> Take() {
        std::vector<Call> taken;
        taken.swap(calls);
        return taken;
    }

    std::vector<Call> calls;
};

// The sequence that sends one configuration: the interrupt enables are cleared before the
// new ones are set.
std::vector<Call> Sent(short axis, short pulseOut, short input, short alarm, short limit, short org,
                       short level, short interrupt) {
    return {{"PulseOutMode", axis, pulseOut}, {"InputMode", axis, input},
            {"SignalAlmInp", axis, alarm},    {"SignalHardLmt", axis, limit},
            {"SignalOrg", axis, org},         {"LevelMode", axis, level},
            {"CloseInterrupt", axis, 0},      {"SetInterrupt", axis, interrupt}};
}

std::vector<Call> SentDefaults(short axis) { return Sent(axis, 0, 0, 10, 0, 1, 0, 0); }

class ViewRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        static int counter = 0;
        m_dir = std::wstring(temp) + L"vorn_view_records_" +
                std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(m_dir.c_str(), nullptr));
        m_path = SettingsFilePath(m_dir);
    }
    void TearDown() override {
        for (const std::wstring& path : {m_path, SettingsTempPath(m_path)}) {
            DeleteFileW(path.c_str());
            RemoveDirectoryW(path.c_str());
        }
        RemoveDirectoryW(m_dir.c_str());
    }

    void WriteRecords(std::initializer_list<AxisConfig> records) const {
        AxisConfigList list;
        for (const AxisConfig& r : records) list.push_back(std::make_unique<AxisConfig>(r));
        ASSERT_TRUE(SaveSettingsFile(m_path, list).written);
    }
    AxisConfigList ReadRecords() const {
        AxisConfigList list;
        EXPECT_EQ(LoadSettingsFile(m_path, list).error, static_cast<DWORD>(ERROR_SUCCESS));
        return list;
    }
    HANDLE Hold(const std::wstring& path) const {
        return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    std::wstring m_dir;
    std::wstring m_path;
    CRecordingCalls m_calls;
    CViewRecords m_records{m_calls};
};

TEST_F(ViewRecordsTest, APairsConfigurationGoesToTheCardOnceInTheRun) {
    EXPECT_EQ(m_records.CurrentConfig(), nullptr);
    EXPECT_EQ(m_records.CurrentMotion(), nullptr);

    EXPECT_TRUE(m_records.SelectAxis(0, 2));
    EXPECT_EQ(m_calls.Take(), SentDefaults(2));
    EXPECT_TRUE(m_records.IsApplied(0, 2));
    EXPECT_FALSE(m_records.IsApplied(0, 1));
    EXPECT_FALSE(m_records.IsApplied(1, 2));
    AxisConfig* const config = m_records.CurrentConfig();
    MotionParams* const motion = m_records.CurrentMotion();
    ASSERT_NE(config, nullptr);
    ASSERT_NE(motion, nullptr);
    EXPECT_EQ(config->nCard, 0);
    EXPECT_EQ(config->nAxis, 2);
    EXPECT_EQ(motion->nAxis, 2);
    EXPECT_EQ(motion->nRunSpeed, 4000);

    // Another pair, any card number: sent once; back to the first: nothing is sent, and its
    // records, edited meanwhile, are current again.
    config->nPulseEdge = 1;
    motion->nDistance = 77;
    EXPECT_TRUE(m_records.SelectAxis(1000, 1));
    EXPECT_EQ(m_calls.Take(), SentDefaults(1));
    EXPECT_TRUE(m_records.IsApplied(1000, 1));
    EXPECT_EQ(m_records.CurrentConfig()->nCard, 1000);
    EXPECT_FALSE(m_records.SelectAxis(0, 2));
    EXPECT_TRUE(m_calls.Take().empty());
    EXPECT_EQ(m_records.CurrentConfig(), config);
    EXPECT_EQ(m_records.CurrentMotion(), motion);
    EXPECT_EQ(motion->nDistance, 77);
    EXPECT_FALSE(m_records.SelectAxis(1000, 1));
    EXPECT_TRUE(m_calls.Take().empty());
    EXPECT_EQ(m_records.ConfigRecordCount(), 2u);

    // No pair for a negative choice: nothing made, nothing sent, the current records stay.
    m_records.SelectAxis(0, 2);
    EXPECT_FALSE(m_records.SelectAxis(-1, 2));
    EXPECT_FALSE(m_records.SelectAxis(0, -1));
    EXPECT_FALSE(m_records.EnsureApplied(-1, 0));
    EXPECT_FALSE(m_records.EnsureApplied(0, -1));
    EXPECT_TRUE(m_calls.Take().empty());
    EXPECT_EQ(m_records.ConfigRecordCount(), 2u);
    EXPECT_EQ(m_records.CurrentConfig(), config);
}

TEST_F(ViewRecordsTest, StoredRecordsAreSentAsStoredAndTheFirstOfAPairIsUsed) {
    AxisConfig first = MakeAxisConfig(0, 1);
    first.nPulseOutMode = 2;
    first.nPulseInMode = 3;
    first.nOrgLevel = 1;
    first.nLimitLevel = 1;
    first.nLimitStop = 1;
    first.nPulseEdge = 1;
    first.bIntGeCompMinus = first.bIntLtCompMinus = first.bIntLtCompPlus = 1;
    first.bIntGeCompPlus = first.bIntDecelStart = first.bIntAccelEnd = first.bIntDriveEnd = 1;
    AxisConfig second = MakeAxisConfig(0, 1);
    second.bOrgEnable = 0;
    WriteRecords({MakeAxisConfig(3, 3), first, second});

    const SettingsStart start = m_records.LoadSettings(m_path);
    EXPECT_EQ(start.load.records, 3u);
    EXPECT_EQ(start.load.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(m_records.HasUnreadSettings());

    EXPECT_TRUE(m_records.SelectAxis(0, 1));
    EXPECT_EQ(m_calls.Take(), Sent(1, 2, 3, 10, 3, 2, 1, 0xFE));
    // The first of the pair is edited; a save writes all three back in their places, then the
    // pairs made in this run.
    m_records.CurrentConfig()->nAlmLevel = 1;
    EXPECT_TRUE(m_records.SelectAxis(2, 0));
    m_calls.Take();
    ASSERT_TRUE(m_records.SaveSettings(m_path).written);
    const AxisConfigList saved = ReadRecords();
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0]->nCard, 3);
    EXPECT_EQ(saved[1]->nAlmLevel, 1);
    EXPECT_EQ(saved[1]->nOrgLevel, 1);
    EXPECT_EQ(saved[2]->bOrgEnable, 0);
    EXPECT_EQ(saved[2]->nAlmLevel, 0);
    EXPECT_EQ(saved[3]->nCard, 2);
}

TEST_F(ViewRecordsTest, ARecordGoesToTheAxisGivenWhateverItsOwn) {
    AxisConfig record = MakeAxisConfig(3, 1);
    record.nOrgLevel = 1;
    m_records.ApplyAxisConfig(&record, 3, 3);
    EXPECT_EQ(m_calls.Take(), Sent(3, 0, 0, 10, 0, 2, 0, 0));
    EXPECT_TRUE(m_records.IsApplied(3, 3));
    EXPECT_FALSE(m_records.IsApplied(3, 1));
}

TEST_F(ViewRecordsTest, APairNeededBesideTheCurrentOneIsSentOnceAndLeavesTheCurrentRecords) {
    m_records.SelectAxis(0, 0);
    m_calls.Take();
    AxisConfig* const config = m_records.CurrentConfig();
    MotionParams* const motion = m_records.CurrentMotion();

    EXPECT_TRUE(m_records.EnsureApplied(0, 3));
    EXPECT_EQ(m_calls.Take(), SentDefaults(3));
    EXPECT_TRUE(m_records.IsApplied(0, 3));
    EXPECT_EQ(m_records.CurrentConfig(), config);
    EXPECT_EQ(m_records.CurrentMotion(), motion);
    EXPECT_FALSE(m_records.EnsureApplied(0, 3));
    EXPECT_FALSE(m_records.EnsureApplied(0, 0));
    EXPECT_TRUE(m_calls.Take().empty());

    // Its record was made: selecting the pair later uses it and sends nothing.
    EXPECT_EQ(m_records.ConfigRecordCount(), 2u);
    EXPECT_FALSE(m_records.SelectAxis(0, 3));
    EXPECT_TRUE(m_calls.Take().empty());
    EXPECT_EQ(m_records.ConfigRecordCount(), 2u);
    EXPECT_EQ(m_records.CurrentConfig()->nAxis, 3);
}

TEST_F(ViewRecordsTest, LoadDefaultsResetsOrMakesTheRecordAndSendsNothing) {
    AxisConfig stored = MakeAxisConfig(0, 0);
    stored.nOrgLevel = 1;
    stored.bAlmEnable = 0;
    stored.bIntDriveEnd = 1;
    WriteRecords({stored});
    m_records.LoadSettings(m_path);

    AxisConfig* const reset = m_records.LoadDefaultConfig(0, 0);
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(reset->nCard, 0);
    EXPECT_EQ(reset->nAxis, 0);
    EXPECT_EQ(reset->nOrgLevel, 0);
    EXPECT_EQ(reset->bAlmEnable, 1);
    EXPECT_EQ(reset->bIntDriveEnd, 0);
    EXPECT_EQ(m_records.ConfigRecordCount(), 1u);
    EXPECT_TRUE(m_calls.Take().empty());
    EXPECT_FALSE(m_records.IsApplied(0, 0));
    // The reset record is the pair's: it is what the first selection sends.
    EXPECT_TRUE(m_records.SelectAxis(0, 0));
    EXPECT_EQ(m_records.CurrentConfig(), reset);
    EXPECT_EQ(m_calls.Take(), SentDefaults(0));

    // A pair without a record gets one; the current records and the motion values stay.
    m_records.CurrentMotion()->nRunSpeed = 123;
    AxisConfig* const made = m_records.LoadDefaultConfig(1, 2);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->nCard, 1);
    EXPECT_EQ(made->nAxis, 2);
    EXPECT_EQ(made->bOrgEnable, 1);
    EXPECT_EQ(m_records.ConfigRecordCount(), 2u);
    EXPECT_EQ(m_records.CurrentConfig(), reset);
    EXPECT_EQ(m_records.CurrentMotion()->nRunSpeed, 123);
    EXPECT_TRUE(m_calls.Take().empty());
}

TEST_F(ViewRecordsTest, AMissingFileIsNoErrorAndIsWrittenWithoutAsking) {
    const SettingsStart start = m_records.LoadSettings(m_path);
    EXPECT_EQ(start.load.records, 0u);
    EXPECT_EQ(start.load.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(start.staleTempKept);
    EXPECT_FALSE(m_records.HasUnreadSettings());
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kNothingToSave);

    m_records.SelectAxis(0, 0);
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kWrite);
    ASSERT_TRUE(m_records.SaveSettings(m_path).written);
    // A file written in this run is replaced without asking.
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kWrite);
    EXPECT_EQ(ReadRecords().size(), 1u);
}

TEST_F(ViewRecordsTest, AnUnreadFileIsAskedAboutUntilASaveReplacesIt) {
    WriteRecords({MakeAxisConfig(0, 0), MakeAxisConfig(0, 1)});
    const HANDLE held = Hold(m_path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const SettingsStart start = m_records.LoadSettings(m_path);
    CloseHandle(held);
    EXPECT_EQ(start.load.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(m_records.ConfigRecordCount(), 0u);
    EXPECT_TRUE(m_records.HasUnreadSettings());

    const SettingsNotice unread = m_records.UnreadSettingsNotice(m_path);
    EXPECT_EQ(unread.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_NE(unread.lead.find(m_path), std::wstring::npos);

    // Nothing to save: nothing to ask either.
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kNothingToSave);
    m_records.SelectAxis(4, 2);
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kAskFirst);
    const SettingsNotice question = m_records.ReplaceUnreadQuestion(m_path);
    EXPECT_EQ(question.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_NE(question.lead.find(m_path), std::wstring::npos);

    // A save that fails changes nothing: still asked.
    const HANDLE again = Hold(m_path);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    const SettingsSave failed = m_records.SaveSettings(m_path);
    CloseHandle(again);
    EXPECT_FALSE(failed.written);
    EXPECT_TRUE(m_records.HasUnreadSettings());
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kAskFirst);
    EXPECT_EQ(ReadRecords().size(), 2u);

    // Gone since: nothing to lose, so no question; back again: asked again.
    ASSERT_TRUE(MoveFileW(m_path.c_str(), (m_dir + L"aside").c_str()));
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kWrite);
    ASSERT_TRUE(MoveFileW((m_dir + L"aside").c_str(), m_path.c_str()));
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kAskFirst);

    // Replaced with the operator's consent: the file is this run's from now on.
    ASSERT_TRUE(m_records.SaveSettings(m_path).written);
    EXPECT_FALSE(m_records.HasUnreadSettings());
    EXPECT_EQ(m_records.SaveStart(m_path), SettingsSaveStart::kWrite);
    const AxisConfigList saved = ReadRecords();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->nCard, 4);
}

TEST_F(ViewRecordsTest, AFailedSaveSaysWhereAndWhy) {
    m_records.SelectAxis(0, 0);
    const std::wstring temp = SettingsTempPath(m_path);

    // The temporary file cannot be made: the box names it.
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    SettingsSave save = m_records.SaveSettings(m_path);
    ASSERT_FALSE(save.written);
    SettingsNotice notice = CViewRecords::SaveFailedNotice(m_path, save);
    EXPECT_EQ(notice.error, save.error);
    EXPECT_NE(notice.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(notice.lead.find(m_path), std::wstring::npos);
    EXPECT_NE(notice.lead.find(temp), std::wstring::npos);
    ASSERT_TRUE(RemoveDirectoryW(temp.c_str()));

    // The file itself cannot be replaced: only the file is named.
    WriteRecords({MakeAxisConfig(7, 7)});
    const HANDLE held = Hold(m_path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    save = m_records.SaveSettings(m_path);
    CloseHandle(held);
    ASSERT_FALSE(save.written);
    notice = CViewRecords::SaveFailedNotice(m_path, save);
    EXPECT_EQ(notice.error, save.error);
    EXPECT_NE(notice.lead.find(m_path), std::wstring::npos);
    EXPECT_EQ(notice.lead.find(temp), std::wstring::npos);
    EXPECT_EQ(ReadRecords()[0]->nCard, 7);
}

TEST_F(ViewRecordsTest, AnUnfinishedSavesTemporaryFileIsRemovedAtStartOrSaidToStay) {
    const std::wstring temp = SettingsTempPath(m_path);
    const HANDLE made = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    EXPECT_FALSE(m_records.LoadSettings(m_path).staleTempKept);
    EXPECT_EQ(GetFileAttributesW(temp.c_str()), INVALID_FILE_ATTRIBUTES);

    // A directory of that name is not ours to remove.
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    CViewRecords later(m_calls);
    EXPECT_TRUE(later.LoadSettings(m_path).staleTempKept);
    EXPECT_FALSE(later.HasUnreadSettings());
}

}  // namespace
