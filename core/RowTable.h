#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "core/Failure.h"

namespace mayorin::core {

// A table of rows of N text fields, addressed by 16-bit index. Rows are held by pointer, so
// moving a row within the table moves a pointer, never N strings.
template <std::size_t N> class RowTable {
public:
    using Row = std::array<std::string, N>;

    RowTable() = default;
    RowTable(const RowTable& other) { copyFrom(other); }
    RowTable& operator=(const RowTable& other) {
        if (this != &other) {
            clear();
            copyFrom(other);
        }
        return *this;
    }
    RowTable(RowTable&& other) noexcept : m_rows(std::move(other.m_rows)) { other.m_rows.clear(); }
    RowTable& operator=(RowTable&& other) noexcept {
        if (this != &other) {
            clear();
            m_rows = std::move(other.m_rows);
            other.m_rows.clear();
        }
        return *this;
    }
    ~RowTable() { clear(); }

    // Highest index that exists; -1 before the first growth.
    int top() const { return static_cast<int>(m_rows.size()) - 1; }

    // Row i; an index outside the table is a subscript failure.
    Row& operator[](int i) { return *m_rows[checked(i)]; }
    const Row& operator[](int i) const { return *m_rows[checked(i)]; }

    // Makes rows 0 to top exist, keeping the contents; new rows are blank. Never shrinks.
    // The pointer vector grows geometrically, so growing one row at a time stays linear.
    void growTo(int top) {
        if (top > 32767) {
            throwOverflow();
        }
        while (this->top() < top) {
            auto row = new Row();
            try {
                m_rows.push_back(row);
            } catch (...) {
                delete row;
                throw;
            }
        }
    }

    // Takes the row at from and puts it at to, shifting the rows between by one place.
    // The pointers are plain, so the shift is one memmove.
    void moveRow(int from, int to) {
        checked(from);
        checked(to);
        Row* row = m_rows[from];
        if (from < to) {
            std::copy(m_rows.begin() + from + 1, m_rows.begin() + to + 1, m_rows.begin() + from);
        } else if (from > to) {
            std::copy_backward(m_rows.begin() + to, m_rows.begin() + from, m_rows.begin() + from + 1);
        }
        m_rows[to] = row;
    }

    // Puts rows 0 to count - 1 in the order of before(a, b) (a stands before b), keeping the order
    // of rows neither stands before. Moves pointers, never the rows' texts.
    template <class Before> void stableSortRows(int count, Before before) {
        if (count <= 0) {
            return;
        }
        checked(count - 1);
        std::stable_sort(m_rows.begin(), m_rows.begin() + count,
                         [&before](const Row* a, const Row* b) { return before(*a, *b); });
    }

    // Empties every field of row i.
    void blank(int i) {
        for (auto& f : (*this)[i]) {
            f.clear();
        }
    }

private:
    std::size_t checked(int i) const {
        if (i < 0 || i > top()) {
            throwSubscript();
        }
        return static_cast<std::size_t>(i);
    }

    void clear() {
        for (Row* r : m_rows) {
            delete r;
        }
        m_rows.clear();
    }

    void copyFrom(const RowTable& other) {
        m_rows.reserve(other.m_rows.size());
        for (const Row* r : other.m_rows) {
            auto row = new Row(*r);
            try {
                m_rows.push_back(row);
            } catch (...) {
                delete row;
                throw;
            }
        }
    }

    std::vector<Row*> m_rows;
};

} // namespace mayorin::core
