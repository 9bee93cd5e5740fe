#pragma once

#include <QEvent>
#include <QList>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace mayorin::ui {

// A window's place is the top left corner of its frame, title bar and border included, as the user
// sees it and as the window manager keeps it on the screen; its size is the size of its inside.
// QRect(frame corner, inside size) carries both.

// Where a window goes on the screens it can be shown on. place is its frame corner and inside size,
// frame the widths of its title bar and borders, screens the available area of every screen (panels
// left out) and primary that of the primary screen. A place whose frame lies wholly inside one
// screen is kept exactly. Any other is made to fit: the inside shrinks to what that screen holds,
// and the frame moves the least distance that brings it, title bar and all, inside the screen it
// overlaps most, or inside the primary screen when it overlaps none (a monitor since unplugged).
QRect placeOnScreens(const QRect& place, const QMargins& frame, const QList<QRect>& screens, const QRect& primary);

// True when the windowing system places windows itself and tells no window where it stands (a
// native Wayland run): the program then neither applies nor stores window places.
bool placesBelongToCompositor();

// Puts the window's frame corner at place.topLeft() and gives its inside place.size(), moved and
// shrunk as placeOnScreens says for the screens of this session. Before the window is first shown
// this asks the window manager to put the frame there, so a window placed at the top of the screen
// keeps its title bar on the screen. Returns the place given, or, where places belong to the
// compositor, only applies the size and returns the place unchanged.
QRect placeByFrame(QWidget* w, const QRect& place);

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
