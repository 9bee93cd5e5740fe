#pragma once

#include <string>
#include <vector>

namespace mayorin::core {

// The entry window's reservation list, kept as a mirror of the reservation table while the
// window is open. List item i shows row ReservationCount - 1 - i.
class EntryListView {
public:
    virtual ~EntryListView() = default;
    // Inserts a line at list item index (0 = top).
    virtual void insertLine(int index, const std::string& line) = 0;
    // Removes list item index.
    virtual void removeLine(int index) = 0;
    // Takes item from out and puts it in at index to with a new line, still selected when it was.
    virtual void moveLine(int from, int to, const std::string& line) = 0;
    // Replaces every item with these lines, in one go (after the rows changed their order), and
    // selects item `selected` (none when negative).
    virtual void replaceLines(const std::vector<std::string>& lines, int selected) = 0;
    // The selected item, or -1.
    virtual int selectedLine() const = 0;
};

} // namespace mayorin::core
