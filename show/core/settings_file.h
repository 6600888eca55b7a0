// The settings file "vorn305q.vo" beside the program: a headerless array of 80-byte
// axis configuration records. Neither operation reports anything to the operator.
#pragma once

#include <cstddef>
#include <string>

#include "axis_records.h"

constexpr wchar_t kSettingsFileName[] = L"vorn305q.vo";

// programDir ends in a backslash, as the application object keeps it.
std::wstring SettingsFilePath(const std::wstring& programDir);

// Appends the file's whole records to list in file order and returns their number.
// A missing, locked, unreadable file or a directory of that name gives none; bytes that do
// not make up a whole record (at the end, or after a short read) are dropped.
size_t LoadSettingsFile(const std::wstring& path, AxisConfigList& list);

// Writes every record of list, in order, to path + ".tmp" and then moves that over path.
// Returns false when the file was not replaced: an empty list (the file is not touched) or
// any failure (the old file stays as it was and the temporary file is removed).
bool SaveSettingsFile(const std::wstring& path, const AxisConfigList& list);
