// The settings file "vorn305q.vo" beside the program: a headerless array of 80-byte
// axis configuration records. Both operations say why they failed; the caller tells the
// operator.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "axis_records.h"

constexpr wchar_t kSettingsFileName[] = L"vorn305q.vo";

// programDir ends in a backslash, as the application object keeps it.
std::wstring SettingsFilePath(const std::wstring& programDir);
// Where a save writes before it replaces the file.
std::wstring SettingsTempPath(const std::wstring& path);

struct SettingsLoad {
    size_t records = 0;
    // Why an existing file could not be read whole; a missing file is no error.
    DWORD error = ERROR_SUCCESS;
};

// Appends the file's whole records to list in file order. Another program may have the file
// open for reading and writing. Bytes after the last whole record are ignored. When the file
// exists but cannot be read whole (held exclusively, a directory, a read error, too large
// for memory) list keeps only what it had before.
SettingsLoad LoadSettingsFile(const std::wstring& path, AxisConfigList& list);

struct SettingsSave {
    bool written = false;  // the file now holds exactly the list
    // Why it was not; ERROR_SUCCESS for an empty list, which leaves the file alone.
    DWORD error = ERROR_SUCCESS;
    bool inTempFile = false;  // the temporary file could not be made or written
};

// Writes every record of list, in order, to the temporary file and then moves that over
// path. On any failure the old file stays as it was and the temporary file is removed.
SettingsSave SaveSettingsFile(const std::wstring& path, const AxisConfigList& list);

// A temporary file left by a save that never finished holds nothing anyone needs: removed
// (a directory of that name is left alone). True when there is none any more.
bool RemoveStaleSettingsTemp(const std::wstring& path);
