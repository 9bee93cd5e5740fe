#include "core/State.h"

#include <algorithm>

#include "core/Failure.h"

namespace mayorin::core {

void fillWeekdayNames(State& st) {
    static const char* const kNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int k = 0; k < 14; ++k) {
        st.WeekdayNames[k] = kNames[k % 7];
    }
}

void NameHistoryTable::growTo(int top) {
    if (top > 32767) {
        throwOverflow();
    }
    for (auto& side : m_entries) {
        if (static_cast<int>(side.size()) - 1 < top) {
            side.resize(static_cast<std::size_t>(top) + 1);
        }
    }
}

const Fields& NameHistoryTable::entry(int side, int i) const {
    if (side < 0 || side > 1 || i < 0 || i > top()) {
        throwSubscript();
    }
    return m_entries[side][i];
}

Fields& NameHistoryTable::edit(int side, int i) {
    if (side < 0 || side > 1 || i < 0 || i > top()) {
        throwSubscript();
    }
    m_stale[side] = true;
    return m_entries[side][i];
}

void NameHistoryTable::set(int side, int i, const Fields& fields) {
    if (side < 0 || side > 1 || i < 0 || i > top()) {
        throwSubscript();
    }
    Fields& e = m_entries[side][i];
    if (!m_stale[side] && e[kName] != fields[kName]) {
        if (!e[kName].empty()) {
            auto it = m_index[side].find(e[kName]);
            if (it != m_index[side].end()) {
                std::erase(it->second, i);
                if (it->second.empty()) {
                    m_index[side].erase(it);
                }
            }
        }
        if (!fields[kName].empty()) {
            auto& at = m_index[side][fields[kName]];
            at.insert(std::upper_bound(at.begin(), at.end(), i), i);
        }
    }
    e = fields;
}

int NameHistoryTable::findLast(int side, std::string_view name, int count) {
    if (side < 0 || side > 1) {
        throwSubscript();
    }
    if (m_stale[side]) {
        rebuild(side);
    }
    auto it = m_index[side].find(std::string(name));
    if (it == m_index[side].end()) {
        return -1;
    }
    // Indices are kept ascending: the last one not past count wins.
    auto pos = std::upper_bound(it->second.begin(), it->second.end(), count);
    return pos == it->second.begin() ? -1 : *(pos - 1);
}

void NameHistoryTable::rebuild(int side) {
    m_index[side].clear();
    const auto& entries = m_entries[side];
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (!entries[i][kName].empty()) {
            m_index[side][entries[i][kName]].push_back(i);
        }
    }
    m_stale[side] = false;
}

} // namespace mayorin::core
