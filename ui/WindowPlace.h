#pragma once

#include <QEvent>
#include <QObject>
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

// Keeps track of where a window stands in its normal state, so that a maximised or minimised window
// can say where it will stand again once restored. Made with the window, as its child.
class NormalPlace final : public QObject {
public:
    explicit NormalPlace(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

    // Where the window was put as it opened.
    void setPlaced(const QRect& placed) { m_placed = placed; }

    // Where the window stands in its normal state, or will stand again once restored.
    QRect normal() const {
        if (!maximisedOrMinimised()) {
            return QRect(m_window->pos(), m_window->size());
        }
        const QRect inside = m_window->normalGeometry();
        if (!inside.isValid() || inside == m_placed) {
            // Never shown in its normal state: the normal geometry is still the place the window
            // was given before it had a frame.
            return m_placed;
        }
        // The frame of a maximised window can differ (no border): its normal frame counts.
        return QRect(inside.topLeft() - m_frame, inside.size());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            !maximisedOrMinimised()) {
            // The title bar and the border above and left of the inside.
            m_frame = m_window->geometry().topLeft() - m_window->frameGeometry().topLeft();
        }
        return false;
    }

private:
    bool maximisedOrMinimised() const {
        return (m_window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
    }

    QWidget* m_window;
    QRect m_placed;
    QPoint m_frame;
};

} // namespace mayorin::ui
