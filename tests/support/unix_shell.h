// Runs a shell script of the Unix host from a test under Wine, for what only the host can
// make: a small file system that fills up, one mounted read-only.
#pragma once

#include <windows.h>

#include <string>

// Runs script with /bin/sh and waits for its end. Its exit status, or -1 when it could not
// be started or did not end within timeoutMs.
int RunUnixShell(const std::string& script, DWORD timeoutMs = 30000);

// The Unix path of a Windows path; empty when Wine cannot tell it.
std::string UnixPathOf(const std::wstring& windowsPath);

// A tmpfs of the given size mounted on a new directory under the Windows temporary folder,
// unmounted and removed again by the destructor. Mounting needs root and a sandbox that
// allows it: Mounted() tells.
class CSmallFileSystem {
public:
    explicit CSmallFileSystem(size_t kilobytes);
    ~CSmallFileSystem();
    CSmallFileSystem(const CSmallFileSystem&) = delete;
    CSmallFileSystem& operator=(const CSmallFileSystem&) = delete;

    bool Mounted() const { return m_mounted; }
    // The mount point as a Windows path, without a trailing backslash.
    const std::wstring& Directory() const { return m_dir; }

private:
    std::wstring m_dir;
    std::string m_unixDir;
    bool m_mounted = false;
};

// Makes an existing directory read-only for new opens (a read-only bind mount of it onto
// itself) until destroyed; files already open for writing stay writable.
class CReadOnlyFolder {
public:
    explicit CReadOnlyFolder(const std::wstring& windowsDir);
    ~CReadOnlyFolder();
    CReadOnlyFolder(const CReadOnlyFolder&) = delete;
    CReadOnlyFolder& operator=(const CReadOnlyFolder&) = delete;

    bool Active() const { return m_active; }

private:
    std::string m_unixDir;
    bool m_active = false;
};
