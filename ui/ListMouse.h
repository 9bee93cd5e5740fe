#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QPoint>

namespace mayorin::ui {

// The mouse on a list whose 編集 menu comes on the release of the right button, for the
// event filter of the list's viewport. The right button leaves the selection as it is, since the
// menu acts on the selected row; the list selects on the press, so on every release the selection
// is already made and mouseUp(button, global position) is called. Returns whether the list is to
// see no more of the event.
template <class MouseUp> bool filterListMouse(QEvent* event, MouseUp&& mouseUp) {
    switch (event->type()) {
    case QEvent::ContextMenu:
        // The list has no menu of its own.
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        mouseUp(mouse->button(), mouse->globalPosition().toPoint());
        return mouse->button() == Qt::RightButton;
    }
    default:
        return false;
    }
}

} // namespace mayorin::ui
