// The configuration page and the settings file end to end: the built program with the
// real control and the simulated card, driven from outside.
//  - the first 配置 opens card 0 and sends the settings file's configuration once per pair;
//  - every click of the page reaches the chip (interrupts cleared before they are set);
//  - save writes the exact records; load defaults before and after the card is open;
//  - a card held by another process: the page stays titled and unfilled until another
//    pair opens the card;
//  - Ctrl+N keeps one set of pages and records; bad settings files load without harm, and
//    one that is a directory is said.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "vorn_305q_wrapper.h"

namespace {

const wchar_t kSettings[] = L"vorn305q.vo";
constexpr DWORD kWait = kLoadedWaitMs;

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

// One settings record: twenty fields in file order.
enum Field {
    kCard,
    kAxis,
    kPulseOut,
    kPulseIn,
    kAlmEnable,
    kAlmLevel,
    kInpEnable,
    kInpLevel,
    kLimitLevel,
    kLimitStop,
    kOrgEnable,
    kOrgLevel,
    kEdge,
    kIntGeCompMinus,
    kIntLtCompMinus,
    kIntLtCompPlus,
    kIntGeCompPlus,
    kIntDecelStart,
    kIntAccelEnd,
    kIntDriveEnd,
    kFields
};
struct Record {
    int32_t f[kFields] = {};
};

// A fresh record: ALM, INP and ORG enabled, everything else 0.
Record Defaults(int card, int axis) {
    Record r;
    r.f[kCard] = card;
    r.f[kAxis] = axis;
    r.f[kAlmEnable] = r.f[kInpEnable] = r.f[kOrgEnable] = 1;
    return r;
}

std::string Bytes(const std::vector<Record>& records) {
    std::string bytes;
    for (const Record& r : records) {
        for (const int32_t v : r.f) {
            const auto u = static_cast<uint32_t>(v);
            for (int shift = 0; shift < 32; shift += 8)
                bytes += static_cast<char>(u >> shift & 0xFF);
        }
    }
    return bytes;
}

// The calls that send one pair's configuration, in the order they must go.
std::vector<std::wstring> ConfigCalls(int axis, int pulseOut, int pulseIn, int alarm, int limit,
                                      int org, int edge, int interrupt) {
    const std::wstring a = std::to_wstring(axis) + L",";
    return {L"dispid=17 args=(" + a + std::to_wstring(pulseOut) + L")",
            L"dispid=18 args=(" + a + std::to_wstring(pulseIn) + L")",
            L"dispid=19 args=(" + a + std::to_wstring(alarm) + L")",
            L"dispid=22 args=(" + a + std::to_wstring(limit) + L")",
            L"dispid=27 args=(" + a + std::to_wstring(org) + L")",
            L"dispid=43 args=(" + a + std::to_wstring(edge) + L")",
            L"dispid=4 args=(" + std::to_wstring(axis) + L")",
            L"dispid=3 args=(" + a + std::to_wstring(interrupt) + L")"};
}

bool Contains(const std::vector<std::wstring>& all, const std::vector<std::wstring>& run) {
    return std::search(all.begin(), all.end(), run.begin(), run.end()) != all.end();
}

int Count(const std::vector<std::wstring>& lines, const std::wstring& text) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
        return l.find(text) != std::wstring::npos;
    }));
}

// The last value written to each axis's WR1 (offset 2) and WR2 (offset 4), from the chip
// trace: an axis-select command (offset 0, low byte 0x0F) says which axis they go to.
struct Registers {
    int wr1[4] = {-1, -1, -1, -1};
    int wr2[4] = {-1, -1, -1, -1};
    size_t writes = 0;
};
Registers LastWrites(const std::vector<std::wstring>& lines, size_t from = 0) {
    Registers regs;
    int axis = -1;
    for (size_t i = from; i < lines.size(); ++i) {
        std::wistringstream in(lines[i]);
        int card = -1;
        std::wstring kind;
        unsigned offset = 0;
        unsigned value = 0;
        in >> card >> kind >> std::hex >> offset >> value;
        if (in.fail() || kind != L"W") continue;
        ++regs.writes;
        if (offset == 0 && (value & 0xFF) == 0x0F) {
            const unsigned bits = value >> 8;
            axis = bits == 1 ? 0 : bits == 2 ? 1 : bits == 4 ? 2 : bits == 8 ? 3 : -1;
        } else if (axis >= 0 && offset == 2) {
            regs.wr1[axis] = static_cast<int>(value);
        } else if (axis >= 0 && offset == 4) {
            regs.wr2[axis] = static_cast<int>(value);
        }
    }
    return regs;
}

std::string ReadFileBytes(const std::wstring& path, bool* exists = nullptr) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (exists) *exists = file != INVALID_HANDLE_VALUE;
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

BOOL CALLBACK CollectHeadings(HWND hwnd, LPARAM list) {
    if (GetDlgCtrlID(hwnd) == IDC_CONFIG_TITLE)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

bool Checked(HWND page, int id) {
    return SendMessageW(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == 1;
}

class ConfigTest : public ::testing::Test {
protected:
    // Starts on one simulated card with the given settings file (none when empty) and waits
    // until the page commands are enabled.
    HWND Start(const std::string& settings = std::string(), bool withFile = true) {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = 1;
        if (withFile && !settings.empty()) options.files.push_back({kSettings, settings});
        if (!withFile) options.directories.push_back(kSettings);
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

    void Command(UINT id) const { SendMessageW(m_frame, WM_COMMAND, id, 0); }
    void ChooseAxis(int axis) const {
        ChooseComboEntry(FindChild(m_frame, ID_AXIS_SELECTOR), axis);
    }
    HWND Page() const {
        HWND heading = FindChild(m_frame, IDC_CONFIG_TITLE);
        return heading ? GetParent(heading) : nullptr;
    }
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    std::wstring Heading() const { return PaintedText(Item(IDC_CONFIG_TITLE)); }
    std::wstring Summary() const { return PaintedText(Item(IDC_CONFIG_SUMMARY)); }
    std::wstring SettingsPath() const { return m_program->Directory() + L"\\" + kSettings; }

    void Close() {
        m_program->Close(m_frame);
        DWORD code = ~0u;
        ASSERT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
};

TEST_F(ConfigTest, FirstConfigOpensTheCardAndSendsEachPairsFileRecordOnce) {
    Record x = Defaults(0, 0);
    x.f[kPulseOut] = 2;
    x.f[kPulseIn] = 3;
    x.f[kAlmEnable] = 0;
    x.f[kAlmLevel] = 1;
    x.f[kLimitLevel] = 1;
    x.f[kLimitStop] = 1;
    x.f[kOrgLevel] = 1;
    x.f[kEdge] = 1;
    x.f[kIntGeCompPlus] = 1;
    x.f[kIntDriveEnd] = 1;
    Record y = Defaults(0, 1);
    y.f[kPulseOut] = 1;
    y.f[kOrgEnable] = 0;
    Record duplicate = Defaults(0, 0);  // later in the file: never used
    duplicate.f[kPulseOut] = 1;
    ASSERT_NE(Start(Bytes({x, y, duplicate})), nullptr);
    EXPECT_TRUE(m_program->ChipTraceLines().empty());

    Command(ID_CONFIG);
    std::vector<std::wstring> trace = m_program->TraceLines();
    std::vector<std::wstring> calls = ControlCalls(trace);
    // CloseCard, then InitCard(0), then X's record: ALM off with level 1 and INP on give 9;
    // limit 1*2+1; ORG level 1 gives 2; checks COMP+ at least and drive end give 0x90.
    std::vector<std::wstring> expected = {L"dispid=2 args=()", L"dispid=1 args=(0)"};
    const std::vector<std::wstring> xCalls = ConfigCalls(0, 2, 3, 9, 3, 2, 1, 0x90);
    expected.insert(expected.end(), xCalls.begin(), xCalls.end());
    EXPECT_TRUE(Contains(calls, expected)) << DumpLines(trace);
    EXPECT_EQ(Count(trace, L"invoke dispid=1 args=(0) result=0"), 1);

    // On the chip: WR2 = 0x0218 with pulse-out 2 (0x140), input 3 (0x200), ALM/INP 9 in
    // bits 12-15, limit field (3+6)&7 = 001, falling edge (0x80); WR1 origin 10, enables 0x90.
    const Registers regs = LastWrites(m_program->ChipTraceLines());
    EXPECT_EQ(regs.wr2[0], 0x9000 | 0x200 | 0x140 | 0x80 | 0x04);
    EXPECT_EQ(regs.wr1[0], 0x9008);

    // The page shows the record.
    ASSERT_NE(Page(), nullptr);
    EXPECT_TRUE(IsVisible(Page()));
    EXPECT_EQ(Heading(), L"对(卡:0 轴:0)进行信息配置\n");
    for (const int id : {IDC_PULSEOUT_DIRHIGH, IDC_PULSEIN_CWCCW, IDC_ALM_HIGH, IDC_INP_ENABLE,
                         IDC_INP_LOW, IDC_LIMIT_LEVEL1, IDC_LIMIT_INSTANT, IDC_ORG_ENABLE,
                         IDC_ORG_HIGH, IDC_EDGE_FALLING, IDC_INT_GE_COMP_PLUS, IDC_INT_DRIVE_END})
        EXPECT_TRUE(Checked(Page(), id)) << id;
    for (const int id : {IDC_PULSEOUT_CWCCW, IDC_PULSEOUT_DIRLOW, IDC_PULSEIN_X1, IDC_ALM_ENABLE,
                         IDC_ALM_LOW, IDC_INP_HIGH, IDC_LIMIT_LEVEL0, IDC_LIMIT_DECEL, IDC_ORG_LOW,
                         IDC_EDGE_RISING, IDC_INT_GE_COMP_MINUS, IDC_INT_LT_COMP_MINUS,
                         IDC_INT_LT_COMP_PLUS, IDC_INT_DECEL_START, IDC_INT_ACCEL_END})
        EXPECT_FALSE(Checked(Page(), id)) << id;
    EXPECT_FALSE(IsEnabled(Item(IDC_ALM_LOW)));
    EXPECT_FALSE(IsEnabled(Item(IDC_ALM_HIGH)));
    EXPECT_TRUE(IsEnabled(Item(IDC_ORG_LOW)));
    const std::wstring summary = Summary();
    EXPECT_EQ(summary.rfind(L"      -----配置情况-----\n脉冲输出：PULSE/DIR 正向高电平\n"
                            L"脉冲输入：CW/CCW双脉冲\n启用伺服INP信号：低电平有效\n"
                            L"限位信号：低电平有效；立即停止\n启用原点信号：高电平有效\n"
                            L"有效电平模式下降沿有效\n下列条件下产生中断：\n 1 ",
                            0),
              0u)
        << DumpLines({summary});
    EXPECT_TRUE(IsEnabled(FindChild(m_frame, ID_AXIS_SELECTOR)));

    // Another axis: its own record, once; returning sends nothing.
    size_t before = m_program->TraceLines().size();
    ChooseAxis(1);
    EXPECT_EQ(Heading(), L"对(卡:0 轴:1)进行信息配置\n");
    calls = ControlCalls(m_program->TraceLines(), before);
    EXPECT_EQ(calls, ConfigCalls(1, 1, 0, 10, 0, 0, 0, 0)) << DumpLines(calls);
    before = m_program->TraceLines().size();
    ChooseAxis(0);
    ChooseAxis(1);
    ChooseAxis(0);
    EXPECT_TRUE(ControlCalls(m_program->TraceLines(), before).empty());
    EXPECT_TRUE(Checked(Page(), IDC_PULSEOUT_DIRHIGH));  // X's record again
    // A pair without a record gets the defaults.
    ChooseAxis(3);
    calls = ControlCalls(m_program->TraceLines(), before);
    EXPECT_EQ(calls, ConfigCalls(3, 0, 0, 10, 0, 1, 0, 0)) << DumpLines(calls);
    EXPECT_TRUE(m_program->MessageLogLines().empty()) << DumpLines(m_program->MessageLogLines());
    Close();
}

TEST_F(ConfigTest, EveryClickReachesTheChipAndSaveWritesTheRecords) {
    ASSERT_NE(Start(), nullptr);
    Command(ID_CONFIG);
    size_t before = m_program->TraceLines().size();
    const size_t chipBefore = m_program->ChipTraceLines().size();
    // Checks IDC_INT_LT_COMP_PLUS and IDC_INT_DRIVE_END: the enables are cleared before each
    // setting.
    Click(Item(IDC_INT_LT_COMP_PLUS));
    Click(Item(IDC_INT_DRIVE_END));
    EXPECT_EQ(ControlCalls(m_program->TraceLines(), before),
              (std::vector<std::wstring>{L"dispid=4 args=(0)", L"dispid=3 args=(0,8)",
                                         L"dispid=4 args=(0)", L"dispid=3 args=(0,136)"}));
    EXPECT_EQ(LastWrites(m_program->ChipTraceLines(), chipBefore).wr1[0], 0x880C);
    // Unchecking really switches the condition off.
    Click(Item(IDC_INT_LT_COMP_PLUS));
    EXPECT_EQ(LastWrites(m_program->ChipTraceLines()).wr1[0], 0x800C);

    before = m_program->TraceLines().size();
    Click(Item(IDC_PULSEOUT_DIRLOW));  // pulse and direction, positive low
    Click(Item(IDC_PULSEIN_X4));       // quadruple input
    Click(Item(IDC_ALM_ENABLE));       // ALM off: its levels disabled
    Click(Item(IDC_INP_HIGH));         // INP high
    Click(Item(IDC_LIMIT_LEVEL1));     // second limit button
    Click(Item(IDC_LIMIT_INSTANT));    // instant stop
    Click(Item(IDC_ORG_HIGH));         // ORG high
    Click(Item(IDC_ORG_ENABLE));       // ORG off
    Click(Item(IDC_EDGE_FALLING));     // falling edge
    EXPECT_EQ(ControlCalls(m_program->TraceLines(), before),
              (std::vector<std::wstring>{
                  L"dispid=17 args=(0,1)", L"dispid=18 args=(0,2)", L"dispid=19 args=(0,8)",
                  L"dispid=19 args=(0,12)", L"dispid=22 args=(0,2)", L"dispid=22 args=(0,3)",
                  L"dispid=27 args=(0,2)", L"dispid=27 args=(0,0)", L"dispid=43 args=(0,1)"}));
    EXPECT_FALSE(IsEnabled(Item(IDC_ALM_LOW)));
    EXPECT_FALSE(IsEnabled(Item(IDC_ORG_LOW)));
    EXPECT_FALSE(IsEnabled(Item(IDC_ORG_HIGH)));
    const Registers regs = LastWrites(m_program->ChipTraceLines());
    // Pulse-out 1 (0x40), input 2 (000), ALM/INP 12 in bits 12-15, limit 001, falling edge.
    EXPECT_EQ(regs.wr2[0], 0xC000 | 0x40 | 0x80 | 0x04);
    EXPECT_EQ(regs.wr1[0], 0x8000);

    // Save: the one record, exactly as the page left it.
    Command(ID_SAVECONFIG);
    Record expected = Defaults(0, 0);
    expected.f[kPulseOut] = 1;
    expected.f[kPulseIn] = 2;
    expected.f[kAlmEnable] = 0;
    expected.f[kInpLevel] = 1;
    expected.f[kLimitLevel] = 1;
    expected.f[kLimitStop] = 1;
    expected.f[kOrgEnable] = 0;
    expected.f[kOrgLevel] = 1;
    expected.f[kEdge] = 1;
    expected.f[kIntDriveEnd] = 1;
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Bytes({expected}));
    bool tempLeft = true;
    ReadFileBytes(SettingsPath() + L".tmp", &tempLeft);
    EXPECT_FALSE(tempLeft);
    EXPECT_TRUE(m_program->MessageLogLines().empty()) << DumpLines(m_program->MessageLogLines());
    Close();
}

TEST_F(ConfigTest, LoadDefaultsBeforeAndAfterTheCardIsOpen) {
    Record x = Defaults(0, 0);
    x.f[kPulseOut] = 2;
    x.f[kOrgLevel] = 1;
    x.f[kIntAccelEnd] = 1;
    ASSERT_NE(Start(Bytes({x})), nullptr);
    // Before the card is open: the record is reset, nothing is sent.
    Command(ID_LOADDEFAULTCONFIG);
    EXPECT_EQ(ControlCalls(m_program->TraceLines()),
              std::vector<std::wstring>{L"dispid=5 args=()"});  // the start's GetCardCount
    EXPECT_TRUE(m_program->ChipTraceLines().empty());
    Command(ID_SAVECONFIG);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Bytes({Defaults(0, 0)}));
    // The first page sends the defaults.
    Command(ID_CONFIG);
    EXPECT_TRUE(
        Contains(ControlCalls(m_program->TraceLines()), ConfigCalls(0, 0, 0, 10, 0, 1, 0, 0)));
    EXPECT_TRUE(Checked(Page(), IDC_PULSEOUT_CWCCW));

    // After: the page's changes are undone on the card and on the page.
    Click(Item(IDC_PULSEOUT_DIRHIGH));
    Click(Item(IDC_INT_DRIVE_END));
    Click(Item(IDC_ORG_HIGH));
    EXPECT_EQ(LastWrites(m_program->ChipTraceLines()).wr1[0], 0x8008);
    const size_t before = m_program->TraceLines().size();
    Command(ID_LOADDEFAULTCONFIG);
    EXPECT_EQ(ControlCalls(m_program->TraceLines(), before), ConfigCalls(0, 0, 0, 10, 0, 1, 0, 0));
    const Registers regs = LastWrites(m_program->ChipTraceLines());
    EXPECT_EQ(regs.wr1[0], 0x000C);
    EXPECT_EQ(regs.wr2[0], 0xA818);  // input mode 0 is 100
    EXPECT_TRUE(Checked(Page(), IDC_PULSEOUT_CWCCW));
    EXPECT_FALSE(Checked(Page(), IDC_PULSEOUT_DIRHIGH));
    EXPECT_FALSE(Checked(Page(), IDC_INT_DRIVE_END));
    EXPECT_TRUE(Checked(Page(), IDC_ORG_LOW));
    EXPECT_EQ(Summary().find(L"中断"), std::wstring::npos);
    Command(ID_SAVECONFIG);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Bytes({Defaults(0, 0)}));
    Close();
}

TEST_F(ConfigTest, ACardHeldElsewhereLeavesThePageUnfilledUntilAnotherPairOpensIt) {
    Record x = Defaults(0, 0);
    x.f[kPulseIn] = 1;
    Record y = Defaults(0, 1);
    y.f[kPulseIn] = 2;
    const std::string file = Bytes({x, y});

    // This process holds card 0 through a control of its own.
    struct Ole {
        Ole() { OleInitialize(nullptr); }
        ~Ole() { OleUninitialize(); }
    } ole;
    _wputenv_s(L"VORN305Q_SIMULATOR", L"1");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    _wputenv_s(L"VORN305Q_MSGBOX_LOG", (std::wstring(temp) + L"vorn-config-holder.log").c_str());
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"ConfigTestHost";
    RegisterClassW(&wc);
    CWnd host;
    ASSERT_TRUE(host.Create(wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 200},
                            nullptr, 0));
    auto holder = std::make_unique<CVorn_305q>();
    ASSERT_TRUE(holder->Create(L"", L"", WS_CHILD, RECT{0, 0, 40, 25}, &host, IDC_VORN305QCTRL));
    ASSERT_EQ(holder->InitCard(0), 0);

    ASSERT_NE(Start(file), nullptr);
    Command(ID_CONFIG);
    std::vector<std::wstring> trace = m_program->TraceLines();
    EXPECT_EQ(Count(trace, L"invoke dispid=1 args=(0) result=-1"), 1) << DumpLines(trace);
    EXPECT_EQ(Count(trace, L"invoke dispid=17"), 0);
    EXPECT_EQ(Count(m_program->MessageLogLines(), L"该控制卡可能正在被其他程序使用!"), 1)
        << DumpLines(m_program->MessageLogLines());
    EXPECT_TRUE(IsVisible(Page()));
    EXPECT_EQ(Heading(), L"对(卡:0 轴:0)进行信息配置\n");
    EXPECT_EQ(Summary(), L"");
    EXPECT_TRUE(Checked(Page(), IDC_PULSEIN_X1));  // the construction state, not the record's
    // The same pair again does not retry; a click reaches nothing.
    Command(ID_CONFIG);
    Click(Item(IDC_INT_DRIVE_END));
    trace = m_program->TraceLines();
    EXPECT_EQ(Count(trace, L"invoke dispid=1 "), 1);
    EXPECT_EQ(Count(trace, L"invoke dispid=3 "), 0);
    EXPECT_NE(Summary().find(L"驱动结束时;"), std::wstring::npos);

    // The holder lets go: another axis opens the card and is filled from its record.
    holder->CloseCard();
    holder->DestroyWindow();
    holder.reset();
    host.DestroyWindow();
    size_t before = m_program->TraceLines().size();
    ChooseAxis(1);
    std::vector<std::wstring> calls = ControlCalls(m_program->TraceLines(), before);
    std::vector<std::wstring> expected = {L"dispid=2 args=()", L"dispid=1 args=(0)"};
    const std::vector<std::wstring> yCalls = ConfigCalls(1, 0, 2, 10, 0, 1, 0, 0);
    expected.insert(expected.end(), yCalls.begin(), yCalls.end());
    EXPECT_EQ(calls, expected) << DumpLines(m_program->TraceLines());
    EXPECT_EQ(Heading(), L"对(卡:0 轴:1)进行信息配置\n");
    EXPECT_TRUE(Checked(Page(), IDC_PULSEIN_X4));
    // Back to X: its file record went unharmed by the click made while unbound.
    before = m_program->TraceLines().size();
    ChooseAxis(0);
    EXPECT_EQ(ControlCalls(m_program->TraceLines(), before), ConfigCalls(0, 0, 1, 10, 0, 1, 0, 0));
    EXPECT_TRUE(Checked(Page(), IDC_PULSEIN_X2));
    EXPECT_FALSE(Checked(Page(), IDC_INT_DRIVE_END));
    Command(ID_SAVECONFIG);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), file);
    Close();
}

TEST_F(ConfigTest, NewDocumentKeepsOnePageAndOneSetOfRecords) {
    ASSERT_NE(Start(Bytes({Defaults(0, 0), Defaults(0, 2)})), nullptr);
    const size_t before = m_program->TraceLines().size();
    ASSERT_TRUE(PressKeys(m_frame, {VK_CONTROL, 'N'}));
    ASSERT_TRUE(PressKeys(m_frame, {VK_MENU, 'C'}));  // 配置(&C), after the new document
    ASSERT_GE(m_program->WaitForTraceLine(L"page command 32771", before, kWait), 0);
    EXPECT_GE(m_program->WaitForTraceLine(L"document new", before, 0), 0);
    Command(ID_SAVECONFIG);
    // The file's two records, not four; one page of its kind.
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Bytes({Defaults(0, 0), Defaults(0, 2)}));
    std::vector<HWND> headings;
    EnumChildWindows(m_frame, CollectHeadings, reinterpret_cast<LPARAM>(&headings));
    EXPECT_EQ(headings.size(), 1u);
    EXPECT_EQ(ComboEntries(FindChild(m_frame, ID_CARD_SELECTOR)).size(), 1u);
    EXPECT_EQ(Count(m_program->TraceLines(), L"settings loaded"), 1);
    Close();
}

TEST_F(ConfigTest, BadSettingsFilesLoadWithoutHarmAndTheNextSaveIsWhole) {
    // 170 bytes: two records; the save keeps them and drops the tail.
    {
        Record x = Defaults(0, 0);
        x.f[kEdge] = 1;
        const std::string two = Bytes({x, Defaults(5, 1)});
        ASSERT_NE(Start(two + std::string(10, '\x7f')), nullptr);
        Command(ID_CONFIG);
        EXPECT_TRUE(Checked(Page(), IDC_EDGE_FALLING));
        Command(ID_SAVECONFIG);
        EXPECT_EQ(ReadFileBytes(SettingsPath()), two);
        Close();
    }
    // Garbage: taken as records; the pair shown gets a record of its own at the end.
    {
        std::string garbage(800, '\0');
        uint32_t seed = 12345;
        for (char& c : garbage) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 16);
        }
        ASSERT_NE(Start(garbage), nullptr);
        Command(ID_CONFIG);
        EXPECT_TRUE(
            Contains(ControlCalls(m_program->TraceLines()), ConfigCalls(0, 0, 0, 10, 0, 1, 0, 0)));
        Command(ID_SAVECONFIG);
        EXPECT_EQ(ReadFileBytes(SettingsPath()), garbage + Bytes({Defaults(0, 0)}));
        Close();
    }
    // 10 MB of another card's records: loaded in time, saved whole with the new one.
    {
        const std::string big = Bytes({Defaults(7, 3)});
        std::string file;
        file.reserve(10u << 20);
        while (file.size() < (10u << 20)) file += big;
        ASSERT_NE(Start(file), nullptr);
        Command(ID_CONFIG);
        EXPECT_EQ(Heading(), L"对(卡:0 轴:0)进行信息配置\n");
        Command(ID_SAVECONFIG);
        const std::string saved = ReadFileBytes(SettingsPath());
        EXPECT_EQ(saved.size(), file.size() + 80);
        EXPECT_TRUE(saved == file + Bytes({Defaults(0, 0)}));
        Close();
    }
    // A directory of that name: said at start; the save asks, fails, says so and leaves it.
    {
        ASSERT_NE(Start(std::string(), false), nullptr);
        HWND box = m_program->WaitForDialog(kWait);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(MessageBoxText(box).find(L"无法读取配置文件：\n" + SettingsPath() + L"\n原因："),
                  std::wstring::npos)
            << DumpLines({MessageBoxText(box)});
        ASSERT_TRUE(CloseDialog(box, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        Command(ID_CONFIG);
        EXPECT_TRUE(Checked(Page(), IDC_PULSEOUT_CWCCW));
        PostMessageW(m_frame, WM_COMMAND, ID_SAVECONFIG, 0);
        box = m_program->WaitForDialog(kWait);
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(CloseDialog(box, IDYES));
        const std::wstring failure = L"配置没有保存：\n" + SettingsPath() + L"\n原因";
        ASSERT_TRUE(WaitUntil(
            [&] {
                box = m_program->WaitForDialog(0);
                return box && MessageBoxText(box).find(failure) != std::wstring::npos;
            },
            kWait))
            << DumpLines(m_program->TraceLines());
        ASSERT_TRUE(CloseDialog(box, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        const DWORD attributes = GetFileAttributesW(SettingsPath().c_str());
        EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
        EXPECT_EQ(GetFileAttributesW((SettingsPath() + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_GE(m_program->WaitForTraceLine(L"not written", 0, 0), 0);
        Close();
    }
}

}  // namespace
