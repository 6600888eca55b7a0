// An operator who does the unexpected, at random but from a fixed seed: real mouse clicks
// anywhere in the main window and its pages, key chords with and without Alt and Ctrl,
// texts good and bad typed into the edits of the shown page, with one card and with three.
// Whatever happens, the program answers within 5 s after every action, keeps running,
// never leaves the focus in a hidden window, and ends with exit code 0 when closed. Every
// box or dialog it opens is closed, and the run carries on. A failure prints the seed and
// the actions so far; VORN_RANDOM_SEED replays a run with another seed.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;
constexpr DWORD kAnswer = 5000;
constexpr int kActions = 400;
constexpr unsigned kSeed = 305;

std::string Narrow(const std::wstring& text) {
    std::string bytes = DumpLines({text});
    if (!bytes.empty()) bytes.pop_back();  // the line's end
    return bytes;
}

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

unsigned SeedFor(int cards) {
    wchar_t text[32] = {};
    if (GetEnvironmentVariableW(L"VORN_RANDOM_SEED", text, 32) > 0) {
        return static_cast<unsigned>(std::wcstoul(text, nullptr, 10));
    }
    return kSeed + static_cast<unsigned>(cards);
}

BOOL CALLBACK CollectDescendants(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectDescendants, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string Describe(HWND window) {
    if (window == nullptr) return "nothing";
    return "id " + std::to_string(GetDlgCtrlID(window)) + " " + Narrow(ClassName(window)) +
           (IsVisible(window) ? "" : " (hidden)");
}

std::string KeyName(WORD key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        return std::string(1, static_cast<char>(key));
    }
    char name[16] = {};
    std::snprintf(name, sizeof name, "VK_0x%02X", key);
    return name;
}

// Keys an operator may press. Never F4 (with Alt it closes), Space with Alt (the window
// menu, whose Close item a later key could choose), a lone Alt or F10 (menu mode).
const WORD kKeys[] = {'A',   'C',     'D',     'E',       'L',       'N',       'O',
                      'P',   'S',     'T',     'V',       'X',       'Z',       '0',
                      '5',   '9',     VK_TAB,  VK_RETURN, VK_ESCAPE, VK_LEFT,   VK_RIGHT,
                      VK_UP, VK_DOWN, VK_HOME, VK_END,    VK_BACK,   VK_DELETE, VK_F6};
const wchar_t* const kTexts[] = {L"0",   L"1",   L"-1", L"250",         L"2000", L"4000",
                                 L"0.5", L".25", L"-",  L"99999999999", L"abc",  L"12a",
                                 L"1e3", L"",    L"-0", L"3.5"};

class RandomOperatorTest : public ::testing::TestWithParam<int> {
protected:
    void Log(const std::string& line) {
        m_log.push_back("#" + std::to_string(m_action) + " " + line);
    }
    std::string Report() const {
        std::ostringstream out;
        out << "seed " << m_seed << " (replay with VORN_RANDOM_SEED), actions:\n";
        for (const std::string& line : m_log) out << "  " << line << "\n";
        return out.str();
    }
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    // The page shown now, or null.
    HWND ShownPage() const {
        for (const int titleId : {IDC_CONFIG_TITLE, IDC_ONEAXIS_TITLE, IDC_TWOAXIS_TITLE}) {
            HWND title = FindChild(m_frame, titleId);
            if (title != nullptr && IsVisible(GetParent(title))) return GetParent(title);
        }
        return nullptr;
    }

    // Closes every box and dialog of the program, answering no or cancel where it can,
    // until none is left once the program has handled its queue. A box is a window from
    // its creation on, and its loop shows it when the program is next idle; a dialog
    // behind a box stays hidden until the box is answered.
    void CloseDialogs() {
        for (int round = 0; round < 20; ++round) {
            ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait))
                << "the program does not get through its queue\n"
                << Report();
            if (m_program->AllDialogs().empty()) return;
            std::vector<HWND> dialogs;
            if (!WaitUntil([&] { return !(dialogs = m_program->Dialogs()).empty(); }, kWait)) {
                ADD_FAILURE() << "a dialog is never shown\n" << Report();
                return;
            }
            for (HWND dialog : dialogs) {
                const bool cancel = GetDlgItem(dialog, IDCANCEL) != nullptr;
                const std::string title = Narrow(WindowText(dialog));
                const std::wstring text = MessageBoxText(dialog);
                Log("closed \"" + title + "\": " + Narrow(text));
                ++m_dialogsClosed[title + ": " + Narrow(text.substr(0, 16))];
                CloseDialog(dialog, cancel ? IDCANCEL : IDOK);
            }
            WaitUntil([&] { return m_program->Dialogs().empty() || !m_program->Running(); }, kWait);
        }
        ADD_FAILURE() << "a dialog does not close\n" << Report();
    }

    // After an action: its boxes closed, the program alive and answering, the focus on a
    // visible window or on none.
    void Check() {
        ASSERT_TRUE(m_program->Running()) << "the program ended\n" << Report();
        ASSERT_TRUE(Answers(m_frame, kAnswer)) << "no answer within 5 s\n" << Report();
        CloseDialogs();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(m_program->Running()) << "the program ended\n" << Report();
        ASSERT_TRUE(Answers(m_frame, kAnswer)) << "no answer within 5 s\n" << Report();
        HWND focus = FocusOf(m_frame);
        if (focus != nullptr && !IsVisible(focus)) {
            // Where the focus rests once the program has handled what came before.
            ASSERT_TRUE(WaitForQueueHandled(m_frame, kWait)) << Report();
            focus = FocusOf(m_frame);
            ASSERT_TRUE(focus == nullptr || IsVisible(focus))
                << "the focus rests on " << Describe(focus) << "\n"
                << Report();
        }
    }

    void ClickSomewhere() {
        // Half of the clicks land on the shown page, the rest anywhere in the client area
        // (tool bar, selectors, status bar), never on the caption or its close box.
        HWND page = ShownPage();
        HWND target = page != nullptr && Pick(2) == 0 ? page : m_frame;
        const RECT client = ClientRect(target);
        const POINT at = {Pick(client.right), Pick(client.bottom)};
        POINT screen = at;
        ClientToScreen(target, &screen);
        Log("click " + std::string(target == m_frame ? "frame" : "page") + " (" +
            std::to_string(at.x) + "," + std::to_string(at.y) + ") on " +
            Describe(WindowFromPoint(screen)));
        ASSERT_TRUE(ClickAt(target, at)) << Report();
    }

    void PressChord() {
        const WORD key = kKeys[Pick(static_cast<int>(sizeof kKeys / sizeof kKeys[0]))];
        const int modifier = Pick(4);
        std::vector<WORD> chord;
        if (modifier == 1) chord.push_back(VK_MENU);
        if (modifier == 2) chord.push_back(VK_CONTROL);
        if (modifier == 3) chord.push_back(VK_SHIFT);
        chord.push_back(key);
        static const char* const names[] = {"", "Alt+", "Ctrl+", "Shift+"};
        Log(std::string("keys ") + names[modifier] + KeyName(key) + " with focus on " +
            Describe(FocusOf(m_frame)));
        Send(chord);
    }

    // The frame's command keys work where no page has the focus: the card selector takes
    // it first (its list opens with the click and closes with Escape).
    void PressACommandKey() {
        const WORD keys[] = {'O', 'S', 'P', 'N'};
        const WORD key = keys[Pick(4)];
        HWND selector = FindChild(m_frame, ID_CARD_SELECTOR);
        Log(std::string("command Ctrl+") + static_cast<char>(key) + " from the card selector");
        const RECT client = ClientRect(selector);
        ASSERT_TRUE(ClickAt(selector, {client.right / 2, client.bottom / 2})) << Report();
        Send({VK_ESCAPE});
        Send({VK_CONTROL, key});
    }

    // A chord through the input queue; when a late dialog keeps the frame from the front
    // the keys are not sent, and the dialog is closed after this action.
    void Send(const std::vector<WORD>& chord) {
        if (!PressKeys(m_frame, chord)) Log("keys not sent: the frame is not in front");
    }

    void ShowAPage() {
        const WORD keys[] = {'C', 'O', 'T'};
        const WORD key = keys[Pick(3)];
        Log(std::string("page Alt+") + static_cast<char>(key) + " with focus on " +
            Describe(FocusOf(m_frame)));
        Send({VK_MENU, key});
    }

    void TypeIntoAnEdit() {
        std::vector<HWND> edits;
        if (HWND page = ShownPage()) {
            for (HWND child : Descendants(page)) {
                if (ClassName(child) == L"Edit" && IsVisible(child) && IsEnabled(child))
                    edits.push_back(child);
            }
        }
        if (edits.empty()) {
            ClickSomewhere();
            return;
        }
        HWND edit = edits[static_cast<size_t>(Pick(static_cast<int>(edits.size())))];
        const std::wstring text = kTexts[Pick(static_cast<int>(sizeof kTexts / sizeof kTexts[0]))];
        Log("type \"" + Narrow(text) + "\" into " + Describe(edit));
        const RECT client = ClientRect(edit);
        ASSERT_TRUE(ClickAt(edit, {client.right / 2, client.bottom / 2})) << Report();
        // Leaving a refused value elsewhere may answer the click with a box instead.
        if (!WaitUntil([&] { return FocusOf(m_frame) == edit; }, 1000)) {
            Log("the edit did not take the focus: " + Describe(FocusOf(m_frame)));
            return;
        }
        Send({VK_HOME});
        Send({VK_SHIFT, VK_END});
        if (text.empty()) {
            Send({VK_BACK});
        } else {
            ASSERT_TRUE(TypeKeys(text)) << Report();
        }
    }

    std::unique_ptr<CGuiProcess> m_program;
    HWND m_frame = nullptr;
    unsigned m_seed = 0;
    int m_action = 0;
    std::map<std::string, int> m_dialogsClosed;  // by title and text
    std::mt19937 m_random;
    std::vector<std::string> m_log;
};

TEST_P(RandomOperatorTest, AnswersAfterEveryActionAndEndsWithCodeZero) {
    const int cards = GetParam();
    m_seed = SeedFor(cards);
    m_random.seed(m_seed);
    std::cout << "cards " << cards << ", seed " << m_seed << std::endl;
    CLaunchOptions options;
    options.exePath = ShowExe();
    options.simulatedCards = cards;
    std::string why;
    m_frame = StartShowProgram(m_program, options, kWait, &why);
    ASSERT_NE(m_frame, nullptr) << why;

    for (m_action = 0; m_action < kActions; ++m_action) {
        const int kind = Pick(100);
        if (kind < 38) {
            ClickSomewhere();
        } else if (kind < 65) {
            PressChord();
        } else if (kind < 85) {
            TypeIntoAnEdit();
        } else if (kind < 95) {
            ShowAPage();
        } else {
            PressACommandKey();
        }
        if (HasFatalFailure()) return;
        Check();
        if (HasFatalFailure()) return;
    }

    std::cout << kActions << " actions; boxes and dialogs closed:" << std::endl;
    for (const auto& [dialog, count] : m_dialogsClosed) {
        std::cout << "  " << count << " x " << dialog << std::endl;
    }
    // The close ends by itself, whatever the edits hold: no box may hold it up.
    Log("close");
    bool boxSeen = false;
    DWORD code = ~0u;
    const bool ended = m_program->CloseUnattended(m_frame, kWait, &code, &boxSeen);
    EXPECT_FALSE(boxSeen) << "a box during the close\n" << Report();
    ASSERT_TRUE(ended) << "the close does not end\n" << Report();
    EXPECT_EQ(code, 0u) << Report();
}

INSTANTIATE_TEST_SUITE_P(Cards, RandomOperatorTest, ::testing::Values(1, 3));

}  // namespace
