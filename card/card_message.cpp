#include "card_message.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

CardMessageSink g_sink = nullptr;
void* g_sinkContext = nullptr;

// The texts are GBK; convert from code page 936 explicitly so they read right
// whatever the process's ANSI code page is.
std::wstring WideFromGbk(const char* gbkText) {
    const int length = MultiByteToWideChar(936, 0, gbkText, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(936, 0, gbkText, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));  // drop the terminator
    return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int wideLength = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Returns false when the variable is unset or empty.
bool MessageLogPath(std::wstring* path) {
    const DWORD needed = GetEnvironmentVariableW(L"VORN305Q_MSGBOX_LOG", nullptr, 0);
    if (needed <= 1) return false;
    std::wstring value(needed, L'\0');
    const DWORD written = GetEnvironmentVariableW(L"VORN305Q_MSGBOX_LOG", &value[0], needed);
    if (written == 0 || written >= needed) return false;
    value.resize(written);
    *path = value;
    return true;
}

}  // namespace

void SetCardMessageSink(CardMessageSink sink, void* context) {
    g_sink = sink;
    g_sinkContext = context;
}

void ShowCardMessage(const char* gbkText) {
    if (g_sink != nullptr) {
        g_sink(gbkText, g_sinkContext);
        return;
    }
    const std::wstring wide = WideFromGbk(gbkText);
    std::wstring logPath;
    if (MessageLogPath(&logPath)) {
        // Scripted runs have nobody to dismiss a box.
        std::unique_ptr<FILE, FileCloser> file(_wfopen(logPath.c_str(), L"ab"));
        if (file) {
            const std::string line = "Kestrin: " + Utf8FromWide(wide) + "\n";
            std::fwrite(line.data(), 1, line.size(), file.get());
        }
        return;
    }
    MessageBoxW(nullptr, wide.c_str(), L"Kestrin", MB_OK);
}
