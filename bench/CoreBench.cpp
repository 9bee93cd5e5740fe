namespace mayorin::bench {
void benchCore() {}
} // namespace mayorin::bench
