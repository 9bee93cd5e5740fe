#pragma once

#include <QFont>

namespace mayorin::ui {

// The program's fonts are Japanese system fonts; these are the nearest ones the desktop has, by
// pixel size so that they fit the twips layout whatever the screen's dots per inch.

// A fixed-pitch face whose full-width characters are exactly two half-width columns wide, so
// that lines padded by display width stay in columns: the lists.
QFont fixedFont(int pixelSize, bool bold = false);
// The windows' proportional Japanese face.
QFont proportionalFont(int pixelSize, bool bold = false);

} // namespace mayorin::ui
