#pragma once

#include <cmath>

namespace mayorin::ui {

// Window positions and sizes are kept in twips; the screen has 15 twips to the pixel.
inline constexpr int kTwipsPerPixel = 15;

inline int px(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline double twips(int pixels) {
    return static_cast<double>(pixels) * kTwipsPerPixel;
}

} // namespace mayorin::ui
