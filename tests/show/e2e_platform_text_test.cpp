// The platform's own boxes and dialogs over the demonstration program, as a person sees
// them: a box's text drawn dark, no label of the print or file dialog cut short, Chinese
// drawn in every face the platform uses, the about box's underscores shown with the
// dialogs' sizes kept. Screenshots of each go to a folder beside this program, one per
// locale, their paths printed.
#include <windows.h>
#include <dlgs.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui_driver.h"
#include "show_program.h"
#include "test_printer.h"
#include "unix_shell.h"

namespace {

constexpr DWORD kWait = kLoadedWaitMs;
// Black text smoothed into a light face: a stroke a pixel wide comes this dark.
constexpr int kDarkEnough = 40;

std::wstring ShowExe() { return Utf8ToWide(VORN_SHOW_EXE); }

void Say(const std::wstring& text) {
    std::printf("%s\n", DumpLines({text}).c_str());
    std::fflush(stdout);
}

// This run's screenshot folder, named by the locale the platform speaks.
std::wstring ShotsFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.find_last_of(L'\\') + 1);
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    folder += L"platform-text-shots-" + std::wstring(locale);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// A screenshot for a person; its Windows path, empty on failure.
std::wstring Shot(const wchar_t* name) {
    const std::wstring path = ShotsFolder() + L"\\" + name + L".png";
    if (!TakeScreenshot(path)) return std::wstring();
    Say(L"screenshot " + ToUnixPath(path));
    return path;
}

// The gray levels (0 black, 255 white) of a screen rectangle in a screenshot, row by row;
// empty when they cannot be read.
std::vector<unsigned char> GrayPixels(const std::wstring& png, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const std::wstring raw = png + L".gray";
    const std::string from = UnixPathOf(png);
    const std::string to = UnixPathOf(raw);
    if (width <= 0 || height <= 0 || from.empty() || to.empty()) return {};
    const std::string geometry = std::to_string(width) + "x" + std::to_string(height) + "+" +
                                 std::to_string(rect.left) + "+" + std::to_string(rect.top);
    if (RunUnixShell("convert '" + from + "' -crop " + geometry +
                     " +repage -colorspace Gray -depth 8 'gray:" + to + "'") != 0)
        return {};
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height);
    CHandle file(CreateFileW(raw.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD got = 0;
    const bool read =
        file.Get() != INVALID_HANDLE_VALUE &&
        ReadFile(file.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &got, nullptr) &&
        got == pixels.size();
    file.Reset();
    DeleteFileW(raw.c_str());
    return read ? pixels : std::vector<unsigned char>();
}

// The darkest gray level of a message box's text in a screenshot; 256 when unreadable.
int DarkestTextPixel(const std::wstring& png, HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    if (!text || (GetWindowLongW(text, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return 256;
    const std::vector<unsigned char> pixels = GrayPixels(png, WindowRect(text));
    if (pixels.empty()) return 256;
    return *std::min_element(pixels.begin(), pixels.end());
}

// A white bitmap of this process to draw text on, as a control of the program would.
class CCanvas {
public:
    CCanvas(int width, int height, HFONT font) : m_width(width), m_height(height) {
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        m_bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        m_oldBitmap = SelectObject(m_dc, m_bitmap);
        m_oldFont = SelectObject(m_dc, font);
        RECT all = {0, 0, width, height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(m_dc, TRANSPARENT);
    }
    ~CCanvas() {
        SelectObject(m_dc, m_oldFont);
        SelectObject(m_dc, m_oldBitmap);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) pixels.push_back(GetPixel(m_dc, x, y));
        return pixels;
    }
    // One past the rightmost column that is not white; 0 when all is white.
    int InkReach() const {
        int reach = 0;
        for (int x = 0; x < m_width; ++x)
            for (int y = 0; y < m_height; ++y)
                if (GetPixel(m_dc, x, y) != RGB(255, 255, 255)) reach = x + 1;
        return reach;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_oldBitmap;
    HGDIOBJ m_oldFont;
};

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A hidden dialog of this process made from a template, for its font and size.
class CTemplateDialog {
public:
    explicit CTemplateDialog(const DLGTEMPLATE* dialog)
        : m_hwnd(dialog ? CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog, nullptr,
                                                     NoDialogProc, 0)
                        : nullptr) {
        if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
    }
    ~CTemplateDialog() {
        if (m_hwnd) DestroyWindow(m_hwnd);
    }
    CTemplateDialog(const CTemplateDialog&) = delete;
    CTemplateDialog& operator=(const CTemplateDialog&) = delete;

    HWND Get() const { return m_hwnd; }
    HFONT Font() const { return reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0)); }

private:
    HWND m_hwnd;
};

// A template of the platform's common dialogs as their module holds it: by its number or,
// in Wine's module, by its name.
const DLGTEMPLATE* CommonDialogTemplate(int id, const wchar_t* name) {
    HMODULE module = LoadLibraryW(L"comdlg32.dll");
    if (!module) return nullptr;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (!found) found = FindResourceW(module, name, MAKEINTRESOURCEW(5));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

// A dialog template of one font and nothing else.
struct CFontTemplate {
    CFontTemplate(WORD pointSize, const std::wstring& face) {
        const DLGTEMPLATE header = {WS_POPUP | DS_SETFONT, 0, 0, 0, 0, 10, 10};
        const WORD* words = reinterpret_cast<const WORD*>(&header);
        m_words.assign(words, words + sizeof header / sizeof(WORD));
        m_words.insert(m_words.end(), {0, 0, 0, pointSize});  // no menu, class or title
        m_words.insert(m_words.end(), face.begin(), face.end());
        m_words.push_back(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

    std::vector<WORD> m_words;
};

// The labels of a dialog of another process that do not show whole in its font, with
// their sizes. A label must fit its control: a check box or radio button less its box
// and the gap after it, a push button less its edges; a static wraps at words. A button
// clips its label to the text's measured extent, and draws it disabled in one colour
// without smoothing (DrawState): the ink of that drawing must not reach past the extent.
std::vector<std::wstring> CutLabels(HWND dialog, HFONT font) {
    std::vector<std::wstring> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = WindowText(child);
        if (text.empty() || !IsWindowVisible(child)) continue;
        const std::wstring kind = ClassName(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const RECT client = ClientRect(child);
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        int room = width;
        UINT format = DT_CALCRECT | DT_SINGLELINE;
        const bool button = _wcsicmp(kind.c_str(), L"Button") == 0;
        if (button) {
            switch (style & BS_TYPEMASK) {
                case BS_CHECKBOX:
                case BS_AUTOCHECKBOX:
                case BS_3STATE:
                case BS_AUTO3STATE:
                case BS_RADIOBUTTON:
                case BS_AUTORADIOBUTTON:
                    room -= GetSystemMetrics(SM_CXMENUCHECK) + 3;
                    break;
                case BS_PUSHBUTTON:
                case BS_DEFPUSHBUTTON:
                    room -= 4;
                    break;
                case BS_GROUPBOX:
                    room -= 8;
                    break;
                default:
                    continue;
            }
        } else if (_wcsicmp(kind.c_str(), L"Static") == 0) {
            const LONG type = style & SS_TYPEMASK;
            if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
                format = DT_CALCRECT | DT_WORDBREAK;
            } else if (type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE) {
                continue;
            }
        } else {
            continue;
        }
        const bool wraps = (format & DT_WORDBREAK) != 0;
        CCanvas measure(1, 1, font);
        RECT layout = {0, 0, width, 0};
        DrawTextW(measure.Dc(), text.c_str(), -1, &layout, format);
        SIZE extent = {};
        GetTextExtentPoint32W(measure.Dc(), text.c_str(), static_cast<int>(text.size()), &extent);
        CCanvas disabled(extent.cx * 2 + 32, extent.cy * 2 + 8, font);
        DrawStateW(disabled.Dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), 0, 0, 0,
                   extent.cx * 2 + 32, extent.cy * 2 + 8, DST_PREFIXTEXT | DSS_DISABLED);
        const int ink = disabled.InkReach();
        const bool fits = std::max<int>(layout.right, wraps ? 0 : ink) <= room &&
                          (!wraps || layout.bottom <= height);
        // DSS_DISABLED adds a highlight one pixel to the right and below.
        const bool clipped = button && ink > layout.right + 1;
        if (fits && !clipped) continue;
        const auto n = [](int value) { return std::to_wstring(value); };
        cut.push_back(text + L": laid out " + n(layout.right) + L" x " + n(layout.bottom) +
                      L", ink " + n(ink) + L", room " + n(room) + L" x " + n(height) + L" pixels");
    }
    return cut;
}

bool HavePrinter() {
    DWORD needed = 0;
    DWORD printers = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &printers);
    return needed > 0;
}

class PlatformTextTest : public ::testing::Test {
protected:
    HWND StartProgram() {
        CLaunchOptions options;
        options.exePath = ShowExe();
        options.simulatedCards = 1;
        m_program = std::make_unique<CGuiProcess>(options);
        HWND frame = m_program->WaitForTopLevel(kShowTitle, kWait);
        EXPECT_NE(frame, nullptr) << DumpLines(m_program->TraceLines());
        return frame;
    }

    void CloseProgram(HWND frame) {
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        m_program->Close(frame);
        DWORD code = ~0u;
        ASSERT_TRUE(m_program->WaitForExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    // Opens a common dialog by its command, takes its screenshot and expects no label cut,
    // measured in the font of its template; cancels it.
    void ExpectWholeLabels(HWND frame, int command, int templateId, const wchar_t* templateName,
                           const wchar_t* shot, bool sizedByTemplate) {
        CTemplateDialog mine(CommonDialogTemplate(templateId, templateName));
        ASSERT_NE(mine.Get(), nullptr);
        PostMessageW(frame, WM_COMMAND, static_cast<WPARAM>(command), 0);
        HWND dialog = m_program->WaitForDialog(kWait);
        ASSERT_NE(dialog, nullptr);
        UpdateWindow(dialog);
        EXPECT_FALSE(Shot(shot).empty());
        if (sizedByTemplate) {
            // The same template here comes out at the same size: the same font.
            const RECT theirs = ClientRect(dialog);
            const RECT ours = ClientRect(mine.Get());
            EXPECT_EQ(theirs.right - theirs.left, ours.right - ours.left);
            EXPECT_EQ(theirs.bottom - theirs.top, ours.bottom - ours.top);
        }
        const std::vector<std::wstring> cut = CutLabels(dialog, mine.Font());
        EXPECT_TRUE(cut.empty()) << "cut short:\n" << DumpLines(cut);
        ASSERT_TRUE(CloseDialog(dialog, IDCANCEL));
    }

    // The darkest pixel of the text of the message box that opens, in a screenshot, said;
    // the box is answered. (A dialog the platform makes and destroys unseen around its own
    // box may flash by first: only a dialog with a text and an OK button counts.)
    int DarkestPixelOfTheBox(const wchar_t* what, const wchar_t* shot) {
        HWND box = nullptr;
        WaitUntil(
            [&] {
                for (HWND hwnd : m_program->Dialogs())
                    if (GetDlgItem(hwnd, IDOK) && !MessageBoxText(hwnd).empty()) box = hwnd;
                return box != nullptr;
            },
            kWait);
        EXPECT_NE(box, nullptr) << DumpLines({what});
        if (!box) return 256;
        UpdateWindow(box);
        const std::wstring png = Shot(shot);
        const int darkest = png.empty() ? 256 : DarkestTextPixel(png, box);
        Say(std::wstring(what) + L": \"" + MessageBoxText(box) + L"\", darkest pixel of its text " +
            std::to_wstring(darkest));
        EXPECT_TRUE(CloseDialog(box, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return m_program->Dialogs().empty(); }, kWait));
        return darkest;
    }

    std::unique_ptr<CGuiProcess> m_program;
};

// Without a printer: the platform's box (Ctrl+P) and the program's (print at once), each
// with its text drawn dark enough to read.
TEST_F(PlatformTextTest, BoxesDrawTheirTextDark) {
    if (HavePrinter()) GTEST_SKIP() << "a printer is installed in this prefix";
    HWND frame = StartProgram();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(PressKeys(frame, {VK_CONTROL, 'P'}));
    EXPECT_LE(DarkestPixelOfTheBox(L"the platform's box", L"platform-box"), kDarkEnough);
    PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    EXPECT_LE(DarkestPixelOfTheBox(L"the program's box", L"program-box"), kDarkEnough);
    CloseProgram(frame);
}

// With a printer: every label of the print dialog fits its control in the dialog's font;
// the file dialog's too (it grows beyond its template, so only its font is compared).
TEST_F(PlatformTextTest, ThePrintAndFileDialogsShowEveryLabelWhole) {
    CTestPrinter printer(L"FILE:", L"Vorn Text Printer");
    if (!printer.Installed()) GTEST_SKIP() << "no printer could be installed in this prefix";
    HWND frame = StartProgram();
    ASSERT_NE(frame, nullptr);
    ExpectWholeLabels(frame, ID_FILE_PRINT, PRINTDLGORD, L"PRINT32", L"print-dialog", true);
    ExpectWholeLabels(frame, ID_FILE_OPEN, NEWFILEOPENORD, L"NEWFILEOPENORD", L"file-dialog",
                      false);
    CloseProgram(frame);
}

// Every face the platform draws its own text in draws Chinese: two characters come out
// different (a face without them draws the same empty box for both).
TEST(PlatformFontsTest, EveryFaceOfThePlatformDrawsChinese) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const CFontTemplate shellDialog(8, L"MS Shell Dlg");
    const CTemplateDialog dialog(shellDialog.Get());
    ASSERT_NE(dialog.Get(), nullptr);
    std::vector<std::pair<std::wstring, HFONT>> faces = {
        {L"the system font", static_cast<HFONT>(GetStockObject(SYSTEM_FONT))},
        {L"the default GUI font", static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))},
        {L"MS Shell Dlg 8", dialog.Font()}};
    const std::pair<const wchar_t*, const LOGFONTW*> metricFonts[] = {
        {L"captions", &metrics.lfCaptionFont},
        {L"small captions", &metrics.lfSmCaptionFont},
        {L"menus", &metrics.lfMenuFont},
        {L"the status bar", &metrics.lfStatusFont},
        {L"message boxes", &metrics.lfMessageFont}};
    std::vector<HFONT> made;
    for (const auto& font : metricFonts) {
        made.push_back(CreateFontIndirectW(font.second));
        faces.emplace_back(font.first, made.back());
    }
    for (const auto& face : faces) {
        SCOPED_TRACE(DumpLines({face.first}));
        ASSERT_NE(face.second, nullptr);
        const auto draw = [&](const wchar_t* character) {
            CCanvas canvas(40, 40, face.second);
            TextOutW(canvas.Dc(), 2, 2, character, 1);
            return canvas.Pixels();
        };
        const std::vector<COLORREF> first = draw(L"运");
        const std::vector<COLORREF> second = draw(L"动");
        EXPECT_TRUE(std::any_of(first.begin(), first.end(),
                                [](COLORREF pixel) { return pixel != RGB(255, 255, 255); }));
        EXPECT_FALSE(first == second) << "运 and 动 come out alike";
    }
    for (HFONT font : made) DeleteObject(font);
}

// The about box keeps its size in dialog units of 6 x 12 pixels, and its static of
// 宋体 9 point shows the underscores of "Vorn_305q_show".
TEST_F(PlatformTextTest, TheAboutBoxShowsItsUnderscoresAtItsSize) {
    HWND frame = StartProgram();
    ASSERT_NE(frame, nullptr);
    PostMessageW(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = m_program->WaitForDialog(kWait, L"关于 Vorn_305q_show");
    ASSERT_NE(about, nullptr);
    UpdateWindow(about);
    EXPECT_FALSE(Shot(L"about-box").empty());
    const RECT client = ClientRect(about);
    EXPECT_EQ(((client.right - client.left) * 4 + 235 / 2) / 235, 6);
    EXPECT_EQ(((client.bottom - client.top) * 8 + 55 / 2) / 55, 12);

    HWND name = nullptr;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child).find(L"Vorn_305q_show") != std::wstring::npos) name = child;
    ASSERT_NE(name, nullptr);
    const std::wstring text = WindowText(name);
    const RECT box = ClientRect(name);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    EXPECT_EQ(height, 12);

    // The static's text drawn here as the static draws it, in its font and its box, with
    // and without the underscores: the pictures differ only if they show.
    const CFontTemplate song(9, L"宋体");
    const CTemplateDialog dialog(song.Get());
    ASSERT_NE(dialog.Get(), nullptr);
    const auto draw = [&](const std::wstring& what) {
        CCanvas canvas(width, height, dialog.Font());
        RECT all = {0, 0, width, height};
        DrawTextW(canvas.Dc(), what.c_str(), -1, &all, DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS);
        return canvas.Pixels();
    };
    std::wstring without = text;
    std::replace(without.begin(), without.end(), L'_', L' ');
    EXPECT_FALSE(draw(text) == draw(without)) << "the underscores of \"" << DumpLines({text})
                                              << "\" fall outside its " << height << "-pixel line";
    ASSERT_TRUE(CloseDialog(about));
    CloseProgram(frame);
}

}  // namespace
