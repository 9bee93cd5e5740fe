#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace mayorin::ui {

// A window's place is the top left corner of its frame, title bar and border included, as the user
// sees it and as the window manager keeps it on the screen; its size is the size of its inside.
// QRect(frame corner, inside size) carries both.

// Puts the window's frame corner at place.topLeft() and gives its inside place.size(). Before the
// window is first shown this asks the window manager to put the frame there, so a window placed at
// the top of the screen keeps its title bar on the screen.
inline void placeByFrame(QWidget* w, const QRect& place) {
    w->move(place.topLeft());
    w->resize(place.size());
}

// Where the window stands in its normal state, or will stand again once restored when it is
// maximised or minimised. `placed` is where it was put when it opened: a window that has been
// maximised or minimised since it opened without ever being shown in its normal state still has
// its normal place there.
inline QRect normalPlace(const QWidget* w, const QRect& placed) {
    if (!(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        return QRect(w->pos(), w->size());
    }
    const QRect inside = w->normalGeometry();
    if (!inside.isValid() || inside == placed) {
        // Never shown in its normal state: the normal geometry is still the place it was given
        // before it had a frame.
        return placed;
    }
    // The frame's title bar and border stand above and left of the inside.
    const QPoint frame = w->geometry().topLeft() - w->frameGeometry().topLeft();
    return QRect(inside.topLeft() - frame, inside.size());
}

} // namespace mayorin::ui
