// The one-axis and two-axis pages end to end: the built program with the real control and
// the simulated card, driven from outside, observed through the program's trace (one line
// per control call), the chip trace, the painted fields and the X screen.
//  - every motion type's call, the poll while shown, interrupts, the panels' calls;
//  - pages whose card opening was refused bind once another page opened the card, and
//    their poll timers run only while shown and bound;
//  - the circle turns the way its label says, in the polled positions and on the plot;
//  - both pages poll every 50 ms.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "vorn_305q_wrapper.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;
constexpr DWORD kPollMs = 50;

// One-axis page.
// Two-axis page and panels.
// A poll tick's first call: the one-axis page's RunState, the two-axis page's main position.
const wchar_t kOneAxisTick[] = L"invoke dispid=6 args=(0)";
const wchar_t kTwoAxisTick[] = L"invoke dispid=7 args=(0)";

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

int CountPrefix(const std::vector<std::wstring>& calls, const std::wstring& prefix) {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::wstring& c) {
        return c.compare(0, prefix.size(), prefix) == 0;
    }));
}

// Values written to the chip's command register (offset 0) from line from on.
std::vector<unsigned> Commands(const std::vector<std::wstring>& lines, size_t from) {
    std::vector<unsigned> commands;
    for (size_t i = from; i < lines.size(); ++i) {
        std::wistringstream in(lines[i]);
        int card = -1;
        std::wstring kind;
        unsigned offset = 0;
        unsigned value = 0;
        in >> card >> kind >> std::hex >> offset >> value;
        if (!in.fail() && kind == L"W" && offset == 0) commands.push_back(value);
    }
    return commands;
}

bool HasCommand(const std::vector<unsigned>& commands, unsigned value) {
    return std::find(commands.begin(), commands.end(), value) != commands.end();
}

// One settings record (twenty 32-bit fields): ALM, INP and ORG enabled, and the
// drive-end interrupt when asked.
std::string SettingsRecord(int card, int axis, bool driveEndInterrupt) {
    int32_t f[20] = {};
    f[0] = card;
    f[1] = axis;
    f[4] = f[6] = f[10] = 1;
    f[19] = driveEndInterrupt ? 1 : 0;
    std::string bytes;
    for (const int32_t v : f) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>(static_cast<uint32_t>(v) >> shift & 0xFF);
    }
    return bytes;
}

// A painted number; 0 for a field not written yet.
long Number(const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); }

// A screenshot of the whole X screen as a binary PPM: taken as PNG by the driver, then
// converted by ImageMagick (a Unix process: its result file says when it is done).
struct Picture {
    int width = 0;
    int height = 0;
    std::string rgb;
    bool Red(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const size_t at = (static_cast<size_t>(y) * width + x) * 3;
        return static_cast<unsigned char>(rgb[at]) > 200 &&
               static_cast<unsigned char>(rgb[at + 1]) < 60 &&
               static_cast<unsigned char>(rgb[at + 2]) < 60;
    }
};

bool ScreenPicture(const std::wstring& dir, Picture& picture) {
    const std::wstring png = dir + L"\\screen.png";
    if (!TakeScreenshot(png)) return false;
    const std::wstring unixPng = ToUnixPath(png);
    const std::wstring unixPpm = unixPng.substr(0, unixPng.size() - 3) + L"ppm";
    const std::wstring ppm = ToWindowsPath(unixPpm);
    DeleteFileW(ppm.c_str());  // an earlier picture's would be taken for this one
    std::wstring command = L"/bin/sh -c \"/usr/bin/convert '" + unixPng + L"' 'ppm:" + unixPpm +
                           L".part' && mv '" + unixPpm + L".part' '" + unixPpm + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    if (!WaitUntil([&] { return GetFileAttributesW(ppm.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   15000, 50))
        return false;
    HANDLE file = CreateFileW(ppm.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    std::istringstream in(bytes);
    std::string magic;
    int maxValue = 0;
    in >> magic >> picture.width >> picture.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return false;
    picture.rgb = bytes.substr(static_cast<size_t>(in.tellg()));
    return picture.rgb.size() >= static_cast<size_t>(picture.width) * picture.height * 3;
}

// Card 0 held by this process through a control of its own, as another program would hold
// it: the program's openings are refused until Release.
class CCardHolder {
public:
    CCardHolder() {
        OleInitialize(nullptr);
        _wputenv_s(L"VORN305Q_SIMULATOR", L"1");
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_log = std::wstring(temp) + L"vorn-motion-holder.log";
        _wputenv_s(L"VORN305Q_MSGBOX_LOG", m_log.c_str());
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"MotionTestHost";
        RegisterClassW(&wc);
        if (!m_host.Create(wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 200},
                           nullptr, 0))
            return;
        m_control = std::make_unique<CVorn_305q>();
        m_held =
            m_control->Create(L"", L"", WS_CHILD, RECT{0, 0, 40, 25}, &m_host, IDC_VORN305QCTRL) &&
            m_control->InitCard(0) == 0;
    }
    ~CCardHolder() {
        Release();
        DeleteFileW(m_log.c_str());
        OleUninitialize();
    }
    CCardHolder(const CCardHolder&) = delete;
    CCardHolder& operator=(const CCardHolder&) = delete;

    bool Held() const { return m_held; }
    void Release() {
        if (m_control) {
            m_control->CloseCard();
            m_control->DestroyWindow();
            m_control.reset();
        }
        if (m_host.GetSafeHwnd() != nullptr) m_host.DestroyWindow();
        m_held = false;
    }

private:
    std::wstring m_log;
    CWnd m_host;
    std::unique_ptr<CVorn_305q> m_control;
    bool m_held = false;
};

int Count(const std::vector<std::wstring>& lines, const std::wstring& text) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
        return l.find(text) != std::wstring::npos;
    }));
}

// The two-axis poll's (main, slave) positions from trace line from on, main axis X and
// slave axis Y.
std::vector<std::pair<long, long>> PolledPositions(const std::vector<std::wstring>& trace,
                                                   size_t from) {
    const std::wstring mainCall = L"invoke dispid=7 args=(0) result=";
    const std::wstring slaveCall = L"invoke dispid=7 args=(1) result=";
    std::vector<std::pair<long, long>> points;
    for (size_t i = from; i + 1 < trace.size(); ++i) {
        const size_t main = trace[i].find(mainCall);
        const size_t slave = trace[i + 1].find(slaveCall);
        if (main == std::wstring::npos || slave == std::wstring::npos) continue;
        points.push_back(
            {std::wcstol(trace[i].c_str() + main + mainCall.size(), nullptr, 10),
             std::wcstol(trace[i + 1].c_str() + slave + slaveCall.size(), nullptr, 10)});
    }
    return points;
}

// The angle swept round the centre from point to point, counter-clockwise positive with y
// up; each step is taken the short way round.
double SweptAngle(const std::vector<std::pair<long, long>>& points, double cx, double cy) {
    constexpr double kPi = 3.14159265358979;
    double swept = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        const double a0 = std::atan2(points[i - 1].second - cy, points[i - 1].first - cx);
        const double a1 = std::atan2(points[i].second - cy, points[i].first - cx);
        double step = a1 - a0;
        while (step > kPi) step -= 2 * kPi;
        while (step <= -kPi) step += 2 * kPi;
        swept += step;
    }
    return swept;
}

// The median time between the starts of successive poll ticks (lines holding marker), and
// how many intervals it was taken from.
double MedianTickInterval(const std::vector<CTimedLine>& lines, const std::wstring& marker,
                          size_t* intervals) {
    std::vector<double> ticks;
    for (const CTimedLine& line : lines) {
        if (line.text.find(marker) != std::wstring::npos) ticks.push_back(line.ms);
    }
    std::vector<double> gaps;
    for (size_t i = 1; i < ticks.size(); ++i) gaps.push_back(ticks[i] - ticks[i - 1]);
    *intervals = gaps.size();
    if (gaps.empty()) return 0;
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    return gaps[gaps.size() / 2];
}

// Where the plot shows position 0 on the screen at the first zoom, and its grid step (100
// pulses).
struct PlotPlace {
    RECT client;
    POINT origin;  // the client area's top left on the screen
    int step;
    int zeroX;
    int zeroY;
};

PlotPlace PlaceOf(HWND plot) {
    PlotPlace place;
    place.client = ClientRect(plot);
    place.origin = {0, 0};
    ClientToScreen(plot, &place.origin);
    place.step = (place.client.bottom - 40) / 10;
    place.zeroX = place.origin.x + 35 + 5 * place.step;
    place.zeroY = place.origin.y + place.client.bottom - 25 - 5 * place.step;
    return place;
}

// A corner of the path the plot draws, in screen pixels.
struct Corner {
    double x;
    double y;
};

// The path the plot draws through polled positions (pulses, main axis X): each position's
// pixel at the first zoom, 100 pulses a grid step, truncated; a repeat draws nothing.
std::vector<Corner> PathOf(const PlotPlace& place,
                           const std::vector<std::pair<long, long>>& points) {
    std::vector<Corner> path;
    for (const auto& [x, y] : points) {
        const Corner corner = {std::floor(place.zeroX + x * place.step / 100.0),
                               std::floor(place.zeroY - y * place.step / 100.0)};
        if (!path.empty() && path.back().x == corner.x && path.back().y == corner.y) continue;
        path.push_back(corner);
    }
    return path;
}

double PathLength(const std::vector<Corner>& path) {
    double length = 0;
    for (size_t i = 1; i < path.size(); ++i)
        length += std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    return length;
}

// How far from (cx, cy) the path crosses the ray at angle (counter-clockwise, y up), at each
// crossing; a corner on the ray counts once.
std::vector<double> Crossings(const std::vector<Corner>& path, double cx, double cy, double angle) {
    const double dx = std::cos(angle);
    const double dy = -std::sin(angle);
    std::vector<double> distances;
    for (size_t i = 1; i < path.size(); ++i) {
        const double ex = path[i].x - path[i - 1].x;
        const double ey = path[i].y - path[i - 1].y;
        const double px = path[i - 1].x - cx;
        const double py = path[i - 1].y - cy;
        const double det = ex * dy - ey * dx;
        if (std::fabs(det) < 1e-9) continue;  // parallel
        const double t = (ex * py - ey * px) / det;
        const double u = (dx * py - dy * px) / det;
        const bool repeated = !distances.empty() && std::fabs(distances.back() - t) < 0.5;
        if (t >= 0 && u >= -1e-6 && u <= 1 + 1e-6 && !repeated) distances.push_back(t);
    }
    return distances;
}

// Red within reach pixels of (x, y).
bool RedNear(const Picture& picture, double x, double y, int reach) {
    const int cx = static_cast<int>(std::lround(x));
    const int cy = static_cast<int>(std::lround(y));
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (picture.Red(cx + dx, cy + dy)) return true;
        }
    }
    return false;
}

// The path's last stretch is on the screen: red at the point six pixels back along it from
// its end (clear of the end mark, which covers two).
bool PathEndShown(const Picture& picture, const std::vector<Corner>& path) {
    double back = 6;
    for (size_t i = path.size(); i-- > 1;) {
        const double length = std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
        if (length >= back) {
            const double f = back / length;
            return RedNear(picture, path[i].x + (path[i - 1].x - path[i].x) * f,
                           path[i].y + (path[i - 1].y - path[i].y) * f, 1);
        }
        back -= length;
    }
    return !path.empty() && RedNear(picture, path.front().x, path.front().y, 1);
}

std::string Describe(const std::vector<std::pair<long, long>>& points) {
    std::ostringstream out;
    for (const auto& [x, y] : points) out << "(" << x << "," << y << ") ";
    return out.str();
}

class MotionTest : public ::testing::Test {
protected:
    void Start(const std::string& settings = std::string()) {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = 1;
        if (!settings.empty()) options.files.push_back({L"vorn305q.vo", settings});
        std::string why;
        m_frame = StartShowProgram(m_program, options, kWait, &why);
        ASSERT_NE(m_frame, nullptr) << why;
    }
    void TearDown() override {
        if (!m_program) return;
        EXPECT_EQ(m_program->MessageLogLines().size(), m_expectedMessages)
            << DumpLines(m_program->MessageLogLines());
        m_program->Close(m_frame);
        DWORD code = ~0u;
        EXPECT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    void Command(UINT id) const { SendMessageW(m_frame, WM_COMMAND, id, 0); }
    HWND PageOf(int titleId) const {
        HWND title = FindChild(m_frame, titleId);
        return title ? GetParent(title) : nullptr;
    }
    HWND OneAxis(int id) const { return GetDlgItem(PageOf(IDC_ONEAXIS_TITLE), id); }
    HWND TwoAxis(int id) const { return GetDlgItem(PageOf(IDC_TWOAXIS_TITLE), id); }
    // The linear panel (circular: true), told apart by the circular panel's combo.
    HWND Panel(bool circular) const {
        for (HWND child = GetWindow(PageOf(IDC_TWOAXIS_TITLE), GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (ClassName(child) != L"#32770") continue;
            if ((GetDlgItem(child, IDC_CIRCLE_DIR) != nullptr) == circular) return child;
        }
        return nullptr;
    }
    void SetText(HWND edit, const std::wstring& text) const {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    size_t TraceSize() const { return m_program->TraceLines().size(); }
    std::vector<std::wstring> CallsSince(size_t from) const {
        return ControlCalls(m_program->TraceLines(), from);
    }
    // Waits for a call line and gives true when it came.
    bool WaitForCall(const std::wstring& call, size_t from) const {
        return m_program->WaitForTraceLine(L"invoke " + call + L")", from, kWait) >= 0;
    }
    // Waits until count poll ticks (lines holding tick) are traced from line from on.
    bool WaitForTicks(const wchar_t* tick, size_t from, int count) const {
        return WaitUntil(
            [&] {
                const std::vector<std::wstring> lines = m_program->TraceLines();
                const std::vector<std::wstring> since(lines.begin() + std::min(from, lines.size()),
                                                      lines.end());
                return Count(since, tick) >= count;
            },
            kWait);
    }
    // The screen once the plot shows the path through the positions polled so far: its
    // paint has run and its last stretch has reached the X screen (a window's pixels reach
    // the screen a moment after its paint).
    bool PlotOnScreen(const std::vector<Corner>& path, Picture& picture) const {
        if (!WaitForPainted(TwoAxis(IDC_PLOT), kWait)) return false;
        return WaitUntil(
            [&] {
                return ScreenPicture(m_program->Directory(), picture) &&
                       PathEndShown(picture, path);
            },
            kWait, 50);
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
    size_t m_expectedMessages = 0;  // card messages the test caused on purpose
};

struct Expected {
    int type;
    int buttonId;
    std::wstring call;  // with D in place of the signed distance, dir of the direction
    bool usesDirection;
};

// The values the test types into the page, chosen to tell every argument apart.
std::wstring Fill(std::wstring call, int distance, int dir) {
    for (size_t at; (at = call.find(L"D")) != std::wstring::npos;)
        call.replace(at, 1, std::to_wstring(distance));
    for (size_t at; (at = call.find(L"dir")) != std::wstring::npos;)
        call.replace(at, 3, std::to_wstring(dir));
    return call;
}

TEST_F(MotionTest, EveryMotionTypeInBothDirectionsIssuesItsCall) {
    Start();
    ChooseComboEntry(FindChild(m_frame, ID_AXIS_SELECTOR), 1);
    Command(ID_ONEAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(OneAxis(IDC_ONEAXIS_TITLE)) == L"(卡:0 轴:1)的单轴运动\n"; },
        kWait));
    // Start 1000, run 5000, distance 3000, T acc 0.25, T dec 0.75, S acc 0.125, S dec 0.375.
    const std::pair<int, std::wstring> values[] = {
        {IDC_START_SPEED, L"1000"}, {IDC_RUN_SPEED, L"5000"}, {IDC_DISTANCE, L"3000"},
        {IDC_T_ACC, L"0.25"},       {IDC_T_DEC, L"0.75"},     {IDC_S_ACC, L"0.125"},
        {IDC_S_DEC, L"0.375"}};
    for (const auto& v : values) SetText(OneAxis(v.first), v.second);
    const Expected table[] = {
        {0, IDC_MOTION_T_CONTINUOUS, L"dispid=28 args=(1,1000,5000,0.25,dir", true},
        {1, IDC_MOTION_T_RELATIVE, L"dispid=30 args=(1,D,1000,5000,0.25", true},
        {2, IDC_MOTION_T_ASYM_RELATIVE, L"dispid=31 args=(1,D,1000,5000,0.25,0.75", true},
        {3, IDC_MOTION_T_ABSOLUTE, L"dispid=34 args=(1,D,1000,5000,0.25", true},
        {4, IDC_MOTION_T_ASYM_ABSOLUTE, L"dispid=36 args=(1,D,1000,5000,0.25,0.75", true},
        {5, IDC_MOTION_S_CONTINUOUS, L"dispid=29 args=(1,1000,5000,0.25,0.125,dir", true},
        {6, IDC_MOTION_S_RELATIVE, L"dispid=32 args=(1,D,1000,5000,0.25,0.125", true},
        {7, IDC_MOTION_S_ASYM_RELATIVE, L"dispid=33 args=(1,D,1000,5000,0.25,0.125,0.75,0.375",
         true},
        {8, IDC_MOTION_S_ABSOLUTE, L"dispid=35 args=(1,D,1000,5000,0.25,0.125", true},
        {9, IDC_MOTION_S_ASYM_ABSOLUTE, L"dispid=37 args=(1,D,1000,5000,0.25,0.125,0.75,0.375",
         true},
        {10, IDC_MOTION_MANUAL_CONTINUOUS, L"dispid=24 args=(1,1000,5000", false},
        {11, IDC_MOTION_MANUAL_FIXED, L"dispid=49 args=(1,1000,1", false},
    };
    for (const Expected& e : table) {
        for (const int dir : {0, 1}) {
            SCOPED_TRACE("type " + std::to_string(e.type) + " dir " + std::to_string(dir));
            Click(OneAxis(e.buttonId));
            if (e.usesDirection) {
                ASSERT_TRUE(IsEnabled(OneAxis(IDC_DIR_BACKWARD)));
                Click(OneAxis(dir == 0 ? IDC_DIR_FORWARD : IDC_DIR_BACKWARD));
            } else {
                // The manual types take no direction: their buttons are off.
                EXPECT_FALSE(IsEnabled(OneAxis(IDC_DIR_BACKWARD)));
                if (dir == 1) continue;
            }
            const size_t from = TraceSize();
            const size_t chipFrom = m_program->ChipTraceLines().size();
            Click(OneAxis(IDC_START));
            const std::wstring call = Fill(e.call, dir == 0 ? 3000 : -3000, dir);
            EXPECT_TRUE(WaitForCall(call, from)) << DumpLines(CallsSince(from));
            // Exactly one motion call per start.
            const std::vector<std::wstring> calls = CallsSince(from);
            int motions = 0;
            for (const int id : {24, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 49})
                motions += CountPrefix(calls, L"dispid=" + std::to_wstring(id) + L" ");
            EXPECT_EQ(motions, 1) << DumpLines(calls);
            // The drive reached the chip on axis Y.
            const std::vector<unsigned> commands = Commands(m_program->ChipTraceLines(), chipFrom);
            if (e.type == 0 || e.type == 5) {
                EXPECT_TRUE(HasCommand(commands, dir == 0 ? 0x0222 : 0x0223));
            } else if (e.type == 1 || e.type == 2 || e.type == 6 || e.type == 7) {
                EXPECT_TRUE(HasCommand(commands, dir == 0 ? 0x0220 : 0x0221));
            } else if (e.type >= 3 && e.type <= 9) {
                EXPECT_TRUE(HasCommand(commands, 0x0220) || HasCommand(commands, 0x0221));
            }
            const size_t stopFrom = TraceSize();
            Click(OneAxis(IDC_STOP));
            EXPECT_TRUE(WaitForCall(L"dispid=10 args=(1", stopFrom));
        }
    }
}

TEST_F(MotionTest, PollShowsTheMovingPositionOnlyWhileShownAndStopStopsIt) {
    Start();
    Command(ID_ONEAXIS);
    HWND position = OneAxis(IDC_CUR_POS);
    ASSERT_TRUE(WaitUntil([&] { return PaintedText(position) == L"0\n"; }, kWait));
    Click(OneAxis(IDC_MOTION_T_CONTINUOUS));
    Click(OneAxis(IDC_START));
    ASSERT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_RUN_STATE)) == L"YES\n"; }, kWait));
    ASSERT_TRUE(WaitUntil([&] { return Number(PaintedText(position)) > 2000; }, kWait));
    const long seen = Number(PaintedText(position));
    ASSERT_TRUE(WaitUntil([&] { return Number(PaintedText(position)) > seen; }, kWait));

    // Hidden: no more polling calls, although the axis still drives.
    Command(ID_CONFIG);
    const size_t hidden = TraceSize();
    ASSERT_TRUE(WaitForTimerRoom(m_frame, kPollMs, kWait));
    const std::vector<std::wstring> calls = CallsSince(hidden);
    EXPECT_EQ(CountPrefix(calls, L"dispid=6 "), 0) << DumpLines(calls);
    EXPECT_EQ(CountPrefix(calls, L"dispid=7 "), 0) << DumpLines(calls);
    EXPECT_EQ(CountPrefix(calls, L"dispid=20 "), 0) << DumpLines(calls);

    Command(ID_ONEAXIS);
    ASSERT_TRUE(WaitUntil([&] { return Number(PaintedText(position)) > seen; }, kWait));
    EXPECT_EQ(PaintedText(OneAxis(IDC_RUN_STATE)), L"YES\n");
    Click(OneAxis(IDC_STOP));
    ASSERT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_RUN_STATE)) == L"NO\n"; }, kWait));
    const std::wstring stopped = PaintedText(position);
    // Polled again and again, it stays.
    ASSERT_TRUE(WaitForTicks(kOneAxisTick, TraceSize(), 6));
    EXPECT_EQ(PaintedText(position), stopped);
}

TEST_F(MotionTest, DriveEndInterruptIsShownAndStartResetsIt) {
    Start(SettingsRecord(0, 0, true));
    Command(ID_ONEAXIS);
    HWND field = OneAxis(IDC_INTERRUPT);
    ASSERT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_CUR_POS)) == L"0\n"; }, kWait));
    Click(OneAxis(IDC_MOTION_T_RELATIVE));  // relative positioning: 10000 pulses
    SetText(OneAxis(IDC_RUN_SPEED), L"20000");
    Click(OneAxis(IDC_MOTION_T_RELATIVE));  // the exchange takes the new speed
    Click(OneAxis(IDC_START));
    ASSERT_TRUE(WaitUntil([&] { return PaintedText(field) == L"0x000080\n"; }, kWait))
        << DumpLines(m_program->TraceLines());
    EXPECT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_CUR_POS)) == L"10000\n"; }, kWait));
    Click(OneAxis(IDC_START));
    EXPECT_EQ(PaintedText(field), L"0x000000\n");
    EXPECT_TRUE(WaitUntil([&] { return PaintedText(field) == L"0x000080\n"; }, kWait));
}

TEST_F(MotionTest, PanelsSendTheirValuesAndRefusedReadingsMoveNothing) {
    Start();
    Command(ID_TWOAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(TwoAxis(IDC_TWOAXIS_TITLE)) == L"卡0的两轴运动：轴0，轴1\n"; },
        kWait));
    HWND linear = Panel(false);
    ASSERT_NE(linear, nullptr);
    SetText(GetDlgItem(linear, IDC_START_SPEED), L"300");
    SetText(GetDlgItem(linear, IDC_RUN_SPEED), L"1500");
    SetText(GetDlgItem(linear, IDC_ACC_TIME), L"0.25");
    SetText(GetDlgItem(linear, IDC_TARGET_X), L"-400");
    SetText(GetDlgItem(linear, IDC_TARGET_Y), L"250");
    size_t from = TraceSize();
    Click(GetDlgItem(linear, IDC_RUN));
    EXPECT_TRUE(WaitForCall(L"dispid=38 args=(0,1,-400,250,300,1500,0.25", from))
        << DumpLines(CallsSince(from));

    // A lone minus sign is refused with one box, and nothing moves.
    SetText(GetDlgItem(linear, IDC_TARGET_X), L"-");
    from = TraceSize();
    PostClick(GetDlgItem(linear, IDC_RUN));
    HWND box = m_program->WaitForDialog(kWait);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(MessageBoxText(box).empty());
    EXPECT_TRUE(CloseDialog(box));
    ASSERT_GE(m_program->WaitForTraceLine(L"run refused", from, kWait), 0);
    EXPECT_EQ(CountPrefix(CallsSince(from), L"dispid=38 "), 0);
    // The focus is back in the refused edit: mend it before leaving it.
    SetText(GetDlgItem(linear, IDC_TARGET_X), L"-400");

    // The circular panel: counter-clockwise, a full circle round (100, 0).
    Click(TwoAxis(IDC_MODE_CIRCLE));
    HWND circle = Panel(true);
    ASSERT_NE(circle, nullptr);
    EXPECT_TRUE(IsVisible(circle));
    EXPECT_FALSE(IsVisible(linear));
    SetText(GetDlgItem(circle, IDC_TARGET_X), L"100");
    SetText(GetDlgItem(circle, IDC_TARGET_Y), L"0");
    SetText(GetDlgItem(circle, IDC_END_X), L"0");
    SetText(GetDlgItem(circle, IDC_END_Y), L"0");
    SendMessageW(GetDlgItem(circle, IDC_CIRCLE_DIR), CB_SETCURSEL, 1, 0);
    from = TraceSize();
    Click(GetDlgItem(circle, IDC_RUN));
    EXPECT_TRUE(WaitForCall(L"dispid=42 args=(0,1,100,0,0,0,200,1000,0.1,0", from))
        << DumpLines(CallsSince(from));

    // An emptied end point is refused: no move.
    SetText(GetDlgItem(circle, IDC_END_X), L"");
    from = TraceSize();
    PostClick(GetDlgItem(circle, IDC_RUN));
    box = m_program->WaitForDialog(kWait);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(CloseDialog(box));
    ASSERT_GE(m_program->WaitForTraceLine(L"run refused", from, kWait), 0);
    EXPECT_EQ(CountPrefix(CallsSince(from), L"dispid=42 "), 0);
}

TEST_F(MotionTest, KeyboardAxisChangeRetitlesAndMovesTheShownAxis) {
    Start();
    Command(ID_TWOAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(TwoAxis(IDC_TWOAXIS_TITLE)) == L"卡0的两轴运动：轴0，轴1\n"; },
        kWait));
    // The down-arrow key on the closed list, twice.
    HWND combo = TwoAxis(IDC_MAIN_AXIS);
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(WaitUntil([&] { return ComboSelection(combo) == 2; }, kWait));
    EXPECT_TRUE(WaitUntil(
        [&] { return PaintedText(TwoAxis(IDC_TWOAXIS_TITLE)) == L"卡0的两轴运动：轴2，轴1\n"; },
        kWait));
    const size_t from = TraceSize();
    Click(GetDlgItem(Panel(false), IDC_RUN));
    EXPECT_TRUE(WaitForCall(L"dispid=38 args=(2,1,100,100,200,1000,0.1", from))
        << DumpLines(CallsSince(from));
    // The page's new axis got its configuration once the card was open.
    EXPECT_GE(m_program->WaitForTraceLine(L"configuration applied: card=0 axis=2", 0, kWait), 0);
}

TEST_F(MotionTest, TwoAxisPollFollowsTheMoveAndStopStopsBothAxes) {
    Start();
    Command(ID_TWOAXIS);
    HWND linear = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (linear = Panel(false)) != nullptr; }, kWait));
    SetText(GetDlgItem(linear, IDC_RUN_SPEED), L"2000");
    SetText(GetDlgItem(linear, IDC_TARGET_X), L"100000");
    SetText(GetDlgItem(linear, IDC_TARGET_Y), L"50000");
    Click(GetDlgItem(linear, IDC_RUN));
    HWND mainPos = TwoAxis(IDC_MAIN_POS);
    ASSERT_TRUE(WaitUntil([&] { return Number(PaintedText(mainPos)) > 500; }, kWait));
    const size_t from = TraceSize();
    Click(GetDlgItem(linear, IDC_PANEL_STOP));
    EXPECT_TRUE(WaitForCall(L"dispid=12 args=(0,1", from));
    // Stopped once two polls in a row find both axes in the same place; polled again and
    // again, it stays.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto points = PolledPositions(m_program->TraceLines(), from);
            return points.size() >= 2 && points.back() == points[points.size() - 2];
        },
        kWait))
        << Describe(PolledPositions(m_program->TraceLines(), from));
    const std::wstring stopped = PaintedText(mainPos);
    ASSERT_TRUE(WaitForTicks(kTwoAxisTick, TraceSize(), 6));
    EXPECT_EQ(PaintedText(mainPos), stopped);
    EXPECT_LT(Number(stopped), 100000);
}

TEST_F(MotionTest, FullCircleIsDrawnClosed) {
    Start();
    Command(ID_TWOAXIS);
    HWND circle = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (circle = Panel(true)) != nullptr; }, kWait));
    Click(TwoAxis(IDC_MODE_CIRCLE));
    // The page has polled the start: the plot's path begins there.
    ASSERT_GE(m_program->WaitForTraceLine(L"invoke dispid=7 args=(1)", 0, kWait), 0);
    // Radius 200 pulses round (200, 0): two divisions at the first zoom, clockwise.
    SetText(GetDlgItem(circle, IDC_RUN_SPEED), L"250");
    SetText(GetDlgItem(circle, IDC_TARGET_X), L"200");
    SetText(GetDlgItem(circle, IDC_TARGET_Y), L"0");
    SetText(GetDlgItem(circle, IDC_END_X), L"0");
    SetText(GetDlgItem(circle, IDC_END_Y), L"0");
    Click(GetDlgItem(circle, IDC_RUN));
    HWND mainPos = TwoAxis(IDC_MAIN_POS);
    ASSERT_TRUE(WaitUntil([&] { return Number(PaintedText(mainPos)) > 300; }, kWait));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return PaintedText(mainPos) == L"0\n" && PaintedText(TwoAxis(IDC_SLAVE_POS)) == L"0\n";
        },
        kWait));

    // The plot draws what the page polled, from its first poll on: a poll held up by a
    // loaded machine draws a chord, which is right, and one held up between its two axes
    // a corner off the ring.
    const std::vector<std::pair<long, long>> points = PolledPositions(m_program->TraceLines(), 0);
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front(), std::make_pair(0L, 0L));
    EXPECT_EQ(points.back(), std::make_pair(0L, 0L));
    const PlotPlace place = PlaceOf(TwoAxis(IDC_PLOT));
    const std::vector<Corner> path = PathOf(place, points);
    Picture picture;
    ASSERT_TRUE(PlotOnScreen(path, picture)) << Describe(points);

    const RECT client = place.client;
    const POINT origin = place.origin;
    const int zeroX = place.zeroX;
    const int zeroY = place.zeroY;
    const int centreX = zeroX + 2 * place.step;
    double pathRight = zeroX;
    double pathTop = zeroY - 4;  // the marks at the start reach 4 pixels round it
    double pathBottom = zeroY + 4;
    for (const Corner& c : path) {
        pathRight = std::max(pathRight, c.x);
        pathTop = std::min(pathTop, c.y);
        pathBottom = std::max(pathBottom, c.y);
    }
    // Every red pixel of the plot lies on the path (or the two marks at its start).
    int count = 0;
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    for (int y = origin.y; y < origin.y + client.bottom; ++y) {
        for (int x = origin.x; x < origin.x + client.right; ++x) {
            if (!picture.Red(x, y)) continue;
            ++count;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_NEAR(left, zeroX - 4, 2);
    EXPECT_NEAR(right, pathRight, 3);
    EXPECT_NEAR(top, pathTop, 3);
    EXPECT_NEAR(bottom, pathBottom, 3);
    // About as many pixels as the path is long (a slanted line has fewer).
    const double length = PathLength(path);
    EXPECT_GT(count, static_cast<int>(length * 0.85)) << Describe(points);
    EXPECT_LT(count, static_cast<int>(length * 1.6) + 60);
    // Closed: red in each of 24 sectors round the centre, where the path crosses them.
    for (int sector = 0; sector < 24; ++sector) {
        const double angle = sector * 2 * 3.14159265 / 24;
        const std::vector<double> crossings = Crossings(path, centreX, zeroY, angle);
        EXPECT_FALSE(crossings.empty()) << "the path misses sector " << sector;
        for (const double at : crossings) {
            bool found = false;
            for (double r = at - 3; r <= at + 3 && !found; r += 0.5) {
                for (double a = angle - 0.1; a <= angle + 0.1 && !found; a += 0.02) {
                    found = picture.Red(centreX + static_cast<int>(std::lround(r * std::cos(a))),
                                        zeroY - static_cast<int>(std::lround(r * std::sin(a))));
                }
            }
            EXPECT_TRUE(found) << "no ring in sector " << sector << " at " << at
                               << " pixels: " << Describe(points);
        }
    }
}

TEST_F(MotionTest, PagesRefusedTheCardBindOnceAnotherPageOpensItAndPollOnlyThen) {
    CCardHolder holder;
    ASSERT_TRUE(holder.Held());
    Start();
    const size_t started = TraceSize();

    // Refused for the one-axis page, then for the two-axis page: titled, unfilled, and
    // nothing the operator does reaches the control.
    Command(ID_ONEAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(OneAxis(IDC_ONEAXIS_TITLE)) == L"(卡:0 轴:0)的单轴运动\n"; },
        kWait));
    SetText(OneAxis(IDC_RUN_SPEED), L"7000");
    Click(OneAxis(IDC_MOTION_T_RELATIVE));  // relative positioning; the exchange takes the speed
    Click(OneAxis(IDC_START));
    Click(OneAxis(IDC_STOP));
    Command(ID_TWOAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(TwoAxis(IDC_TWOAXIS_TITLE)) == L"卡0的两轴运动：轴0，轴1\n"; },
        kWait));
    HWND linear = Panel(false);
    ASSERT_NE(linear, nullptr);
    Click(GetDlgItem(linear, IDC_RUN));
    Click(GetDlgItem(linear, IDC_PANEL_STOP));
    Click(TwoAxis(IDC_CLEAR_POS));
    ASSERT_TRUE(WaitForTimerRoom(m_frame, kPollMs, kWait));  // for a poll that should not run
    std::vector<std::wstring> trace = m_program->TraceLines();
    const std::vector<std::wstring> refused = {L"dispid=2 args=()", L"dispid=1 args=(0)",
                                               L"dispid=2 args=()", L"dispid=1 args=(0)"};
    EXPECT_EQ(ControlCalls(trace, started), refused) << DumpLines(trace);
    EXPECT_EQ(Count(trace, L"poll on"), 0) << DumpLines(trace);
    EXPECT_EQ(PaintedText(TwoAxis(IDC_MAIN_POS)), L"");
    m_expectedMessages = 2;
    EXPECT_EQ(Count(m_program->MessageLogLines(), L"该控制卡可能正在被其他程序使用!"), 2)
        << DumpLines(m_program->MessageLogLines());

    // The holder lets go and the configuration page opens the card; the hidden motion
    // pages still do not poll.
    holder.Release();
    size_t from = TraceSize();
    Command(ID_CONFIG);
    ASSERT_GE(m_program->WaitForTraceLine(L"card 0 opened", from, kWait), 0)
        << DumpLines(m_program->TraceLines());

    // The one-axis page again for the same card and axis: bound, polled, and the speed
    // typed while it was unbound is kept and driven with.
    from = TraceSize();
    Command(ID_ONEAXIS);
    EXPECT_GE(m_program->WaitForTraceLine(L"page 132: poll on", from, kWait), 0);
    EXPECT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_CUR_POS)) == L"0\n"; }, kWait));
    EXPECT_EQ(WindowText(OneAxis(IDC_RUN_SPEED)), L"7000");
    from = TraceSize();
    Click(OneAxis(IDC_START));
    EXPECT_TRUE(WaitForCall(L"dispid=30 args=(0,10000,2000,7000,0.5", from))
        << DumpLines(CallsSince(from));
    EXPECT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_RUN_STATE)) == L"YES\n"; }, kWait));
    from = TraceSize();
    Click(OneAxis(IDC_STOP));
    EXPECT_TRUE(WaitForCall(L"dispid=10 args=(0", from));
    EXPECT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_RUN_STATE)) == L"NO\n"; }, kWait));
    // It went into the pair's record: another axis and back shows it again.
    HWND axisSelector = FindChild(m_frame, ID_AXIS_SELECTOR);
    ChooseComboEntry(axisSelector, 1);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(OneAxis(IDC_RUN_SPEED)) == L"4000"; }, kWait));
    ChooseComboEntry(axisSelector, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(OneAxis(IDC_RUN_SPEED)) == L"7000"; }, kWait));

    // The two-axis page: bound too; its poll takes over from the one-axis page's.
    from = TraceSize();
    Command(ID_TWOAXIS);
    EXPECT_GE(m_program->WaitForTraceLine(L"page 132: poll off", from, kWait), 0);
    EXPECT_GE(m_program->WaitForTraceLine(L"page 133: poll on", from, kWait), 0);
    from = TraceSize();
    Click(TwoAxis(IDC_CLEAR_POS));
    EXPECT_TRUE(WaitForCall(L"dispid=8 args=(0,0", from)) << DumpLines(CallsSince(from));
    EXPECT_TRUE(WaitForCall(L"dispid=8 args=(1,0", from));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return PaintedText(TwoAxis(IDC_MAIN_POS)) == L"0\n" &&
                   PaintedText(TwoAxis(IDC_SLAVE_POS)) == L"0\n";
        },
        kWait));
    from = TraceSize();
    Click(GetDlgItem(linear, IDC_RUN));
    EXPECT_TRUE(WaitForCall(L"dispid=38 args=(0,1,100,100,200,1000,0.1", from))
        << DumpLines(CallsSince(from));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return PaintedText(TwoAxis(IDC_MAIN_POS)) == L"100\n" &&
                   PaintedText(TwoAxis(IDC_SLAVE_POS)) == L"100\n";
        },
        kWait));
    from = TraceSize();
    Click(GetDlgItem(linear, IDC_PANEL_STOP));
    EXPECT_TRUE(WaitForCall(L"dispid=12 args=(0,1", from));

    // Another page: the two-axis poll stops as well.
    from = TraceSize();
    Command(ID_CONFIG);
    const int off = m_program->WaitForTraceLine(L"page 133: poll off", from, kWait);
    ASSERT_GE(off, 0);
    ASSERT_TRUE(WaitForTimerRoom(m_frame, kPollMs, kWait));
    const std::vector<std::wstring> after = CallsSince(static_cast<size_t>(off));
    EXPECT_EQ(CountPrefix(after, L"dispid=7 "), 0) << DumpLines(after);
}

TEST_F(MotionTest, AShownPageRefusedTheCardPollsOnceAnotherAxisOpensIt) {
    CCardHolder holder;
    ASSERT_TRUE(holder.Held());
    Start();
    Command(ID_ONEAXIS);
    ASSERT_TRUE(WaitUntil(
        [&] { return PaintedText(OneAxis(IDC_ONEAXIS_TITLE)) == L"(卡:0 轴:0)的单轴运动\n"; },
        kWait));
    // The same pair again makes no new attempt, even with the card free.
    holder.Release();
    Command(ID_ONEAXIS);
    m_expectedMessages = 1;
    EXPECT_EQ(Count(m_program->TraceLines(), L"invoke dispid=1 "), 1);
    // Another axis while the page is shown: opened, bound and polled without a new show.
    const size_t from = TraceSize();
    ChooseComboEntry(FindChild(m_frame, ID_AXIS_SELECTOR), 1);
    EXPECT_GE(m_program->WaitForTraceLine(L"card 0 opened", from, kWait), 0);
    EXPECT_GE(m_program->WaitForTraceLine(L"page 132: poll on", from, kWait), 0);
    EXPECT_TRUE(WaitUntil([&] { return PaintedText(OneAxis(IDC_CUR_POS)) == L"0\n"; }, kWait));
    EXPECT_TRUE(WaitForCall(L"dispid=6 args=(1", from)) << DumpLines(CallsSince(from));
}

TEST_F(MotionTest, CircleTurnsAsItsLabelSaysInThePositionsAndOnThePlot) {
    constexpr double kQuarter = 3.14159265358979 / 2;
    Start();
    Command(ID_TWOAXIS);
    HWND circle = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (circle = Panel(true)) != nullptr; }, kWait));
    Click(TwoAxis(IDC_MODE_CIRCLE));
    HWND combo = GetDlgItem(circle, IDC_CIRCLE_DIR);
    const std::vector<std::wstring> labels = {L"顺时针方向", L"逆时针方向"};
    EXPECT_EQ(ComboEntries(combo), labels);
    EXPECT_EQ(ComboSelection(combo), 0);
    // A quarter round (300, 0) from the start: ending at (300, 300) clockwise (y up) and at
    // (300, -300) counter-clockwise; the wrong way round would be three quarters.
    SetText(GetDlgItem(circle, IDC_TARGET_X), L"300");
    SetText(GetDlgItem(circle, IDC_TARGET_Y), L"0");
    SetText(GetDlgItem(circle, IDC_END_X), L"300");
    struct Arc {
        int index;
        int endY;
        int turn;  // +1 counter-clockwise
        unsigned command;
    };
    for (const Arc arc : {Arc{0, 300, -1, 0x32}, Arc{1, -300, +1, 0x33}}) {
        SCOPED_TRACE("direction entry " + std::to_string(arc.index));
        const size_t beforeClear = TraceSize();
        Click(TwoAxis(IDC_CLEAR_POS));
        // The plot is emptied with the positions; once polled since, its path begins at 0.
        const int cleared =
            m_program->WaitForTraceLine(L"invoke dispid=8 args=(1,0", beforeClear, kWait);
        ASSERT_GE(cleared, 0);
        ASSERT_GE(m_program->WaitForTraceLine(L"invoke dispid=7 args=(1)",
                                              static_cast<size_t>(cleared), kWait),
                  0);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return PaintedText(TwoAxis(IDC_MAIN_POS)) == L"0\n" &&
                       PaintedText(TwoAxis(IDC_SLAVE_POS)) == L"0\n";
            },
            kWait));
        ChooseComboEntry(combo, arc.index);
        SetText(GetDlgItem(circle, IDC_END_Y), std::to_wstring(arc.endY));
        const size_t from = TraceSize();
        const size_t chipFrom = m_program->ChipTraceLines().size();
        Click(GetDlgItem(circle, IDC_RUN));
        ASSERT_TRUE(WaitUntil(
            [&] {
                return PaintedText(TwoAxis(IDC_MAIN_POS)) == L"300\n" &&
                       PaintedText(TwoAxis(IDC_SLAVE_POS)) == std::to_wstring(arc.endY) + L"\n";
            },
            kWait))
            << DumpLines(CallsSince(from));

        // The card got the labelled direction's command, and the polled positions turned
        // that way by a quarter.
        const std::vector<unsigned> commands = Commands(m_program->ChipTraceLines(), chipFrom);
        EXPECT_TRUE(HasCommand(commands, arc.command));
        EXPECT_FALSE(HasCommand(commands, arc.command ^ 1));
        const std::vector<std::pair<long, long>> points =
            PolledPositions(m_program->TraceLines(), from);
        EXPECT_GE(points.size(), 5u);
        EXPECT_NEAR(SweptAngle(points, 300, 0), arc.turn * kQuarter, 0.2);

        // The plot, drawn from the start through the polled places (a late poll draws a
        // chord): the arc lies wholly on its side of the zero mark and passes half-way.
        const std::vector<std::pair<long, long>> drawn =
            PolledPositions(m_program->TraceLines(), static_cast<size_t>(cleared));
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.front(), std::make_pair(0L, 0L));
        const PlotPlace place = PlaceOf(TwoAxis(IDC_PLOT));
        const std::vector<Corner> path = PathOf(place, drawn);
        Picture picture;
        ASSERT_TRUE(PlotOnScreen(path, picture)) << Describe(points);
        int above = 0;
        int below = 0;
        for (int y = place.origin.y; y < place.origin.y + place.client.bottom; ++y) {
            for (int x = place.origin.x; x < place.origin.x + place.client.right; ++x) {
                if (!picture.Red(x, y) || std::abs(y - place.zeroY) <= 6) continue;
                (y < place.zeroY ? above : below)++;
            }
        }
        const int arcPixels = static_cast<int>(PathLength(path));
        EXPECT_GT(arc.turn < 0 ? above : below, arcPixels * 6 / 10) << Describe(points);
        EXPECT_EQ(arc.turn < 0 ? below : above, 0);
        const double halfway = 3.14159265358979 + arc.turn * kQuarter / 2;
        const double centreX = place.zeroX + 3 * place.step;
        const std::vector<double> crossings = Crossings(path, centreX, place.zeroY, halfway);
        ASSERT_EQ(crossings.size(), 1u) << Describe(points);
        const double midX = centreX + crossings[0] * std::cos(halfway);
        const double midY = place.zeroY - crossings[0] * std::sin(halfway);
        EXPECT_TRUE(RedNear(picture, midX, midY, 3))
            << "no arc at " << midX << "," << midY << ": " << Describe(points);
    }
}

TEST_F(MotionTest, BothPagesPollEveryFiftyMilliseconds) {
    Start();
    // A tick starts with the one-axis page's RunState and with the two-axis page's main
    // axis position.
    const struct {
        UINT command;
        int titleId;
        int fieldId;
        const wchar_t* tick;
    } pages[] = {{ID_ONEAXIS, IDC_ONEAXIS_TITLE, IDC_CUR_POS, L"invoke dispid=6 args=(0)"},
                 {ID_TWOAXIS, IDC_TWOAXIS_TITLE, IDC_MAIN_POS, L"invoke dispid=7 args=(0)"}};
    for (const auto& page : pages) {
        SCOPED_TRACE("page command " + std::to_string(page.command));
        Command(page.command);
        ASSERT_TRUE(WaitUntil(
            [&] { return PaintedText(GetDlgItem(PageOf(page.titleId), page.fieldId)) == L"0\n"; },
            kWait));
        // Sixty ticks, three seconds' worth when all is well.
        const std::vector<CTimedLine> lines =
            WatchLines(m_program->TracePath(), kWait, [&](const std::vector<CTimedLine>& seen) {
                return std::count_if(seen.begin(), seen.end(), [&](const CTimedLine& line) {
                           return line.text.find(page.tick) != std::wstring::npos;
                       }) >= 60;
            });
        size_t intervals = 0;
        const double median = MedianTickInterval(lines, page.tick, &intervals);
        // Late ticks on a loaded machine move the median little; a period of 25 or 100 ms
        // moves it far outside.
        EXPECT_GE(intervals, 20u);
        EXPECT_GE(median, 40.0);
        EXPECT_LE(median, 62.0);
    }
}

}  // namespace
