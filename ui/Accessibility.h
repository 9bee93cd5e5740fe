#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace mayorin::ui {

// Combo boxes made from here on are announced by their accessible name rather than by their
// current text, where they have one. Call before making the first window's controls.
void announceComboBoxesByName();

// Makes a screen reader announce input by the text of label, the caption that stands beside or
// above it on the window: the label becomes its buddy and its accessible name. description, when
// given, is read after the name (the caption of a group of inputs, such as the one above an hour
// and a minute box). Nothing on the window changes.
void nameByLabel(QWidget* input, QLabel* label, const QString& description = {});

// The same with a caption that is not a label of its own (a frame's title, the window's title).
void nameByCaption(QWidget* input, const QString& caption);

} // namespace mayorin::ui
