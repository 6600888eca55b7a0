#include "recent_file_list.h"

#include <algorithm>
#include <cwctype>

namespace {

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

}  // namespace

bool CRecentFileList::Add(const std::wstring& path) {
    if (path.empty() || m_capacity == 0) return false;
    if (!m_entries.empty() && m_entries.front() == path) return false;
    const auto old = std::find_if(m_entries.begin(), m_entries.end(),
                                  [&](const std::wstring& entry) { return SamePath(entry, path); });
    if (old != m_entries.end()) m_entries.erase(old);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > m_capacity) m_entries.resize(m_capacity);
    return true;
}

void CRecentFileList::Assign(const std::vector<std::wstring>& entries) {
    m_entries.clear();
    for (const std::wstring& entry : entries) {
        if (entry.empty()) continue;
        const auto same = [&](const std::wstring& kept) { return SamePath(kept, entry); };
        if (std::none_of(m_entries.begin(), m_entries.end(), same)) m_entries.push_back(entry);
        if (m_entries.size() == m_capacity) break;
    }
}
