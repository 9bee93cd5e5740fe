#include "ui/WindowPlace.h"

#include <algorithm>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace mayorin::ui {
namespace {

// The frame's title bar and borders, or nothing while the window manager has not framed it yet.
// A window the window manager holds in an odd way (the hidden resident window, kept off the
// screen) can show any numbers: only a frame of a title bar and borders counts.
QMargins frameOf(const QWidget* w) {
    const QRect inside = w->geometry();
    const QRect outer = w->frameGeometry();
    const QMargins frame(inside.left() - outer.left(), inside.top() - outer.top(), outer.right() - inside.right(),
                         outer.bottom() - inside.bottom());
    const auto plausible = [](int side) { return side >= 0 && side <= 80; };
    const bool framed =
        plausible(frame.left()) && plausible(frame.top()) && plausible(frame.right()) && plausible(frame.bottom());
    return framed ? frame : QMargins();
}

// Before a window is first shown its frame is unknown: any framed window of this run shows what the
// window manager draws; without one, a common title bar and border.
QMargins expectedFrame(const QWidget* w) {
    if (const QMargins own = frameOf(w); !own.isNull()) {
        return own;
    }
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != w && other->isVisible() && other->isWindow()) {
            if (const QMargins seen = frameOf(other); !seen.isNull()) {
                return seen;
            }
        }
    }
    return QMargins(5, 30, 5, 5);
}

// The least distance that brings [start, start + length) inside [low, low + room); a length beyond
// the room keeps the start at low.
int fitInto(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

QRect placeOnScreens(const QRect& place, const QMargins& frame, const QList<QRect>& screens, const QRect& primary) {
    const QRect outer(place.topLeft(), place.size().grownBy(frame));
    QRect target = primary;
    qint64 most = 0;
    for (const QRect& screen : screens) {
        if (screen.contains(outer)) {
            return place;
        }
        const QRect seen = screen.intersected(outer);
        const qint64 area = qint64(seen.width()) * seen.height();
        if (area > most) {
            most = area;
            target = screen;
        }
    }
    if (target.isEmpty()) {
        return place; // no screen to go by
    }
    const QSize size = place.size().boundedTo(target.size().shrunkBy(frame)).expandedTo(QSize(1, 1));
    const QSize outerSize = size.grownBy(frame);
    return QRect(QPoint(fitInto(place.x(), outerSize.width(), target.x(), target.width()),
                        fitInto(place.y(), outerSize.height(), target.y(), target.height())),
                 size);
}

bool placesBelongToCompositor() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QRect placeByFrame(QWidget* w, const QRect& place) {
    if (placesBelongToCompositor()) {
        w->resize(place.size());
        return place;
    }
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect kept =
        placeOnScreens(place, expectedFrame(w), screens, primary != nullptr ? primary->availableGeometry() : QRect());
    w->move(kept.topLeft());
    w->resize(kept.size());
    return kept;
}

} // namespace mayorin::ui
