#include "unix_shell.h"

#include <cstdlib>
#include <string>

namespace {

std::wstring TempDir() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return temp;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

std::string ReadText(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    char buffer[64] = {};
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

}  // namespace

std::string UnixPathOf(const std::wstring& windowsPath) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::string();
    char* unixPath = convert(windowsPath.c_str());
    if (!unixPath) return std::string();
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

int RunUnixShell(const std::string& script, DWORD timeoutMs) {
    static LONG counter = 0;
    const std::wstring base = TempDir() + L"unix-shell-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(InterlockedIncrement(&counter));
    const std::wstring scriptPath = base + L".sh";
    const std::wstring statusPath = base + L".status";
    const std::string unixBase = UnixPathOf(base);
    if (unixBase.empty()) return -1;
    // Wine gives no handle to wait on for a Unix process: the script leaves its status in
    // a file, renamed into place once complete.
    const std::string wrapped = "(\n" + script + "\n)\necho $? > '" + unixBase +
                                ".status.part'\nmv '" + unixBase + ".status.part' '" + unixBase +
                                ".status'\n";
    if (!WriteText(scriptPath, wrapped)) return -1;
    std::wstring command =
        L"/bin/sh \"" + std::wstring(unixBase.begin(), unixBase.end()) + L".sh\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    int status = -1;
    if (CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        const DWORD start = GetTickCount();
        while (GetFileAttributesW(statusPath.c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetTickCount() - start < timeoutMs)
            Sleep(20);
        const std::string text = ReadText(statusPath);
        if (!text.empty()) status = std::atoi(text.c_str());
    }
    DeleteFileW(scriptPath.c_str());
    DeleteFileW(statusPath.c_str());
    return status;
}

CSmallFileSystem::CSmallFileSystem(size_t kilobytes) {
    static LONG counter = 0;
    m_dir = TempDir() + L"small-fs-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(InterlockedIncrement(&counter));
    if (!CreateDirectoryW(m_dir.c_str(), nullptr)) return;
    m_unixDir = UnixPathOf(m_dir);
    if (m_unixDir.empty()) return;
    m_mounted = RunUnixShell("mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k tmpfs '" +
                             m_unixDir + "'") == 0;
}

CSmallFileSystem::~CSmallFileSystem() {
    if (m_mounted) RunUnixShell("umount -l '" + m_unixDir + "'");
    RemoveDirectoryW(m_dir.c_str());
}

CReadOnlyFolder::CReadOnlyFolder(const std::wstring& windowsDir)
    : m_unixDir(UnixPathOf(windowsDir)) {
    if (m_unixDir.empty()) return;
    const std::string dir = "'" + m_unixDir + "'";
    if (RunUnixShell("mount --bind " + dir + " " + dir) != 0) return;
    m_active = RunUnixShell("mount -o remount,bind,ro " + dir) == 0;
    if (!m_active) RunUnixShell("umount -l " + dir);
}

CReadOnlyFolder::~CReadOnlyFolder() {
    if (m_active) RunUnixShell("umount -l '" + m_unixDir + "'");
}
