// Prints how long the table and file operations take at the 32767-row limit.
// These are figures to read, not pass/fail tests.
#include <cstdio>

namespace mayorin::bench {
void benchCore();
void benchDataFile();
} // namespace mayorin::bench

int main() {
    mayorin::bench::benchCore();
    mayorin::bench::benchDataFile();
    return 0;
}
