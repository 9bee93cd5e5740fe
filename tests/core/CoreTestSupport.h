#pragma once

#include <string>
#include <vector>

#include "core/EntryListView.h"

namespace mayorin::test {

// The seconds stamp of a local date and time, worked out with std::chrono rather than with
// the program's own calendar: day 1 is 1 January of year 1.
double stampOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// The same as a row holds it: one blank, then the whole number.
std::string stampField(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// A reservation list that records what the store inserts.
class RecordingList final : public core::EntryListView {
public:
    void insertLine(int index, const std::string& line) override { items.insert(items.begin() + index, line); }
    void removeLine(int index) override { items.erase(items.begin() + index); }
    void moveLine(int from, int to, const std::string& line) override {
        removeLine(from);
        insertLine(to, line);
    }
    void replaceLines(const std::vector<std::string>& lines, int) override { items = lines; }
    int selectedLine() const override { return -1; }
    std::vector<std::string> items;
};

} // namespace mayorin::test
