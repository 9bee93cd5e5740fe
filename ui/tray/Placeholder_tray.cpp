// replaced by the window's sources
