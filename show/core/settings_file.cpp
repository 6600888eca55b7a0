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

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

DWORD WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kMaxWrite));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        // A short write is retried: a full disk then says so itself.
        if (written == 0) return ERROR_WRITE_FAULT;
        data += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

// ERROR_SUCCESS once the whole file is on disk; on failure nothing of it is left.
DWORD WriteTempFile(const std::wstring& tempPath, const std::vector<uint8_t>& bytes) {
    CFileHandle file(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    // A file of that name that cannot be opened (held, a directory) is left as it is.
    if (!file.IsValid()) return GetLastError();
    DWORD error = WriteAll(file.Get(), bytes.data(), bytes.size());
    // The replace below must never publish a file whose data is not on disk yet.
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file.Get())) error = GetLastError();
    if (!file.Close() && error == ERROR_SUCCESS) error = LastErrorOr(ERROR_WRITE_FAULT);
    if (error != ERROR_SUCCESS) DeleteFileW(tempPath.c_str());
    return error;
}

}  // namespace

std::wstring SettingsFilePath(const std::wstring& programDir) {
    return programDir + kSettingsFileName;
}

std::wstring SettingsTempPath(const std::wstring& path) { return path + L".tmp"; }

SettingsLoad LoadSettingsFile(const std::wstring& path, AxisConfigList& list) {
    SettingsLoad result;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) result.error = error;
        return result;
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        result.error = ERROR_NOT_SUPPORTED;
        return result;
    }
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0) {
        result.error = LastErrorOr(ERROR_READ_FAULT);
        return result;
    }
    // The record count comes from a 32-bit length.
    const uint64_t length32 = std::min<uint64_t>(length.QuadPart, UINT32_MAX);
    uint64_t remaining = length32 / kAxisConfigBytes;

    const size_t before = list.size();
    // Half a file is worse than none: a save would drop the rest without anyone knowing.
    const auto fail = [&](DWORD error) {
        list.resize(before);
        result.error = error;
        return result;
    };
    try {
        std::vector<uint8_t> buffer(static_cast<size_t>(kRecordsPerRead) * kAxisConfigBytes);
        while (remaining > 0) {
            const DWORD records =
                static_cast<DWORD>(std::min<uint64_t>(remaining, kRecordsPerRead));
            const DWORD wanted = records * static_cast<DWORD>(kAxisConfigBytes);
            DWORD got = 0;
            if (!ReadFile(file.Get(), buffer.data(), wanted, &got, nullptr))
                return fail(LastErrorOr(ERROR_READ_FAULT));
            // Another writer cut the file short while it was read.
            if (got != wanted) return fail(ERROR_HANDLE_EOF);
            for (DWORD i = 0; i < records; ++i) {
                uint8_t bytes[kAxisConfigBytes];
                std::copy_n(buffer.data() + static_cast<size_t>(i) * kAxisConfigBytes,
                            kAxisConfigBytes, bytes);
                list.push_back(std::make_unique<AxisConfig>(DecodeAxisConfig(bytes)));
            }
            remaining -= records;
        }
    } catch (const std::bad_alloc&) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    result.records = list.size() - before;
    return result;
}

SettingsSave SaveSettingsFile(const std::wstring& path, const AxisConfigList& list) {
    SettingsSave result;
    std::vector<uint8_t> bytes;
    try {
        bytes.reserve(list.size() * kAxisConfigBytes);
        for (const auto& record : list) {
            if (!record) continue;
            uint8_t encoded[kAxisConfigBytes];
            EncodeAxisConfig(*record, encoded);
            bytes.insert(bytes.end(), encoded, encoded + kAxisConfigBytes);
        }
    } catch (const std::bad_alloc&) {
        result.error = ERROR_NOT_ENOUGH_MEMORY;
        return result;
    }
    if (bytes.empty()) return result;

    const std::wstring tempPath = SettingsTempPath(path);
    result.error = WriteTempFile(tempPath, bytes);
    if (result.error != ERROR_SUCCESS) {
        result.inTempFile = true;
        return result;
    }
    if (!MoveFileExW(tempPath.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result.error = LastErrorOr(ERROR_WRITE_FAULT);
        DeleteFileW(tempPath.c_str());
        return result;
    }
    result.written = true;
    return result;
}

bool RemoveStaleSettingsTemp(const std::wstring& path) {
    const std::wstring tempPath = SettingsTempPath(path);
    const DWORD attributes = GetFileAttributesW(tempPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    return DeleteFileW(tempPath.c_str()) != FALSE;
}
