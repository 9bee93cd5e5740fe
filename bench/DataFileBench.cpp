namespace mayorin::bench {
void benchDataFile() {}
} // namespace mayorin::bench
