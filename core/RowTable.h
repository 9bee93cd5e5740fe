#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/Failure.h"

namespace mayorin::core {

// A table of rows of N text fields, addressed by 16-bit index. Rows are held by pointer, so
// moving a row within the table moves a pointer, never N strings.
template <std::size_t N>
class RowTable {
public:
    using Row = std::array<std::string, N>;

    // Highest index that exists; -1 before the first growth.
    int top() const { return static_cast<int>(m_rows.size()) - 1; }

    // Row i; an index outside the table is a subscript failure.
    Row& operator[](int i) { return *m_rows[checked(i)]; }
    const Row& operator[](int i) const { return *m_rows[checked(i)]; }

    // Makes rows 0 to top exist, keeping the contents; new rows are blank. Never shrinks.
    void growTo(int top) {
        if (top > 32767) {
            throwOverflow();
        }
        m_rows.reserve(static_cast<std::size_t>(top) + 1);
        while (this->top() < top) {
            m_rows.push_back(std::make_unique<Row>());
        }
    }

    // Takes row from out and puts it at to, shifting the rows between by one place.
    void moveRow(int from, int to) {
        checked(from);
        checked(to);
        auto row = std::move(m_rows[from]);
        if (from < to) {
            std::move(m_rows.begin() + from + 1, m_rows.begin() + to + 1, m_rows.begin() + from);
        } else if (from > to) {
            std::move_backward(m_rows.begin() + to, m_rows.begin() + from, m_rows.begin() + from + 1);
        }
        m_rows[to] = std::move(row);
    }

    // Exchanges two rows.
    void swapRows(int a, int b) { std::swap(m_rows[checked(a)], m_rows[checked(b)]); }

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

    std::vector<std::unique_ptr<Row>> m_rows;
};

} // namespace mayorin::core
