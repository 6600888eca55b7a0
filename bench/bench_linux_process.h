// The Linux side of a Wine process, read through Wine's Z: drive: Wine answers zero for
// another process's times, so processor time and context switches are read from /proc.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

inline std::string ReadSmallFile(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

// The first process (its pid) whose /proc folder (as Z:\proc\<pid>) satisfies match; empty
// when there is none.
template <typename Match>
std::wstring FindProcessWhere(Match match) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return std::wstring();
    std::wstring pid;
    do {
        const std::wstring name = found.cFileName;
        if (name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        if (match(L"Z:\\proc\\" + name)) {
            pid = name;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return pid;
}

// The pid of the Linux process whose command line (NULs read as blanks) holds every one of
// the ASCII words; empty when there is none.
inline std::wstring FindLinuxProcess(const std::string& word1, const std::string& word2) {
    return FindProcessWhere([&](const std::wstring& dir) {
        std::string cmdline = ReadSmallFile(dir + L"\\cmdline");
        for (char& c : cmdline) c = c == '\0' ? ' ' : c;
        return cmdline.find(word1) != std::string::npos && cmdline.find(word2) != std::string::npos;
    });
}

// The demonstration program's Linux process of a driver's run: the one whose command line
// holds the run's own directory (the last part of directory, an ASCII temporary name).
inline std::wstring FindProgramProcess(std::wstring directory) {
    while (!directory.empty() && (directory.back() == L'\\' || directory.back() == L'/'))
        directory.pop_back();
    const std::wstring marker = directory.substr(directory.find_last_of(L"\\/") + 1);
    std::string narrow;
    for (const wchar_t c : marker) narrow.push_back(static_cast<char>(c));
    return FindLinuxProcess(narrow, "Vorn_305q_show.exe");
}

// The pid of the Linux process named so (its first 15 characters, as Linux keeps them);
// empty when there is none.
inline std::wstring FindLinuxProcessNamed(const std::string& name) {
    const std::string wanted = name.substr(0, 15) + "\n";
    return FindProcessWhere(
        [&](const std::wstring& dir) { return ReadSmallFile(dir + L"\\comm") == wanted; });
}

// The wine server of the prefix this program runs in (its environment names the prefix);
// empty when it cannot be found.
inline std::wstring FindWineServer() {
    wchar_t prefix[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) == 0) return std::wstring();
    std::string wanted = "WINEPREFIX=";
    for (const wchar_t* c = prefix; *c != 0; ++c) wanted.push_back(static_cast<char>(*c));
    wanted.push_back('\0');
    return FindProcessWhere([&](const std::wstring& dir) {
        return ReadSmallFile(dir + L"\\cmdline").find("wineserver") != std::string::npos &&
               ReadSmallFile(dir + L"\\environ").find(wanted) != std::string::npos;
    });
}

// User plus system time in milliseconds, from fields 14 and 15 of the stat line; -1 when
// it cannot be read.
inline double CpuMilliseconds(const std::wstring& pid) {
    const std::string stat = ReadSmallFile(L"Z:\\proc\\" + pid + L"\\stat");
    const size_t end = stat.rfind(')');  // the name in parentheses may hold blanks
    if (end == std::string::npos) return -1;
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(stat.c_str() + end + 1,
                    " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) != 2) {
        return -1;
    }
    return (utime + stime) * 1000.0 / 100.0;  // USER_HZ
}

// Voluntary context switches of all the process's threads: each is a sleep that ended,
// so their rate is the rate of wake-ups.
inline unsigned long long WakeUps(const std::wstring& pid) {
    unsigned long long total = 0;
    WIN32_FIND_DATAW found;
    const std::wstring tasks = L"Z:\\proc\\" + pid + L"\\task\\";
    const HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const std::string status = ReadSmallFile(tasks + name + L"\\status");
        const size_t at = status.find("\nvoluntary_ctxt_switches:");
        if (at == std::string::npos) continue;
        total += std::strtoull(status.c_str() + at + 25, nullptr, 10);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

}  // namespace bench
