#include "settings_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close() {
        if (!IsValid()) return true;
        const bool closed = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// Records read per call: a large file costs few calls, and memory stays small.
constexpr DWORD kRecordsPerRead = 1024;
constexpr DWORD kMaxWrite = 1 << 20;

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kMaxWrite));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool WriteTempFile(const std::wstring& tempPath, const std::vector<uint8_t>& bytes) {
    CFileHandle file(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    bool ok = WriteAll(file.Get(), bytes.data(), bytes.size());
    // The replace below must never publish a file whose data is not on disk yet.
    ok = ok && FlushFileBuffers(file.Get()) != FALSE;
    ok = file.Close() && ok;
    if (!ok) DeleteFileW(tempPath.c_str());
    return ok;
}

}  // namespace

std::wstring SettingsFilePath(const std::wstring& programDir) {
    return programDir + kSettingsFileName;
}

size_t LoadSettingsFile(const std::wstring& path, AxisConfigList& list) {
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid() || GetFileType(file.Get()) != FILE_TYPE_DISK) return 0;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0) return 0;
    // The record count comes from a 32-bit length.
    const uint64_t length32 = std::min<uint64_t>(length.QuadPart, UINT32_MAX);
    uint64_t remaining = length32 / kAxisConfigBytes;

    std::vector<uint8_t> buffer(static_cast<size_t>(kRecordsPerRead) * kAxisConfigBytes);
    size_t loaded = 0;
    while (remaining > 0) {
        const DWORD records = static_cast<DWORD>(std::min<uint64_t>(remaining, kRecordsPerRead));
        const DWORD wanted = records * static_cast<DWORD>(kAxisConfigBytes);
        DWORD got = 0;
        const bool read = ReadFile(file.Get(), buffer.data(), wanted, &got, nullptr) != FALSE;
        const DWORD whole = std::min<DWORD>(got, wanted) / static_cast<DWORD>(kAxisConfigBytes);
        for (DWORD i = 0; i < whole; ++i) {
            uint8_t bytes[kAxisConfigBytes];
            std::copy_n(buffer.data() + static_cast<size_t>(i) * kAxisConfigBytes, kAxisConfigBytes,
                        bytes);
            // A file too large for memory keeps what fits instead of ending the program.
            try {
                list.push_back(std::make_unique<AxisConfig>(DecodeAxisConfig(bytes)));
            } catch (const std::bad_alloc&) {
                return loaded;
            }
            ++loaded;
        }
        if (!read || got != wanted) break;
        remaining -= records;
    }
    return loaded;
}

bool SaveSettingsFile(const std::wstring& path, const AxisConfigList& list) {
    std::vector<uint8_t> bytes;
    bytes.reserve(list.size() * kAxisConfigBytes);
    for (const auto& record : list) {
        if (!record) continue;
        uint8_t encoded[kAxisConfigBytes];
        EncodeAxisConfig(*record, encoded);
        bytes.insert(bytes.end(), encoded, encoded + kAxisConfigBytes);
    }
    if (bytes.empty()) return false;

    const std::wstring tempPath = path + L".tmp";
    if (!WriteTempFile(tempPath, bytes)) return false;
    if (!MoveFileExW(tempPath.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tempPath.c_str());
        return false;
    }
    return true;
}
