// The most recently opened or saved documents, most recent first, without duplicates
// (paths compare without regard to case) and without empty entries.
#pragma once

#include <string>
#include <vector>

class CRecentFileList {
public:
    explicit CRecentFileList(size_t capacity) : m_capacity(capacity) {}

    // Puts path first, dropping an older entry of the same path and the oldest entry
    // beyond the capacity. True when the list changed.
    bool Add(const std::wstring& path);
    // Replaces the list with entries as read back (empty ones skipped).
    void Assign(const std::vector<std::wstring>& entries);
    const std::vector<std::wstring>& Entries() const { return m_entries; }
    size_t Capacity() const { return m_capacity; }

private:
    size_t m_capacity;
    std::vector<std::wstring> m_entries;
};
