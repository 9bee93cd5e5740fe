#include "ui/Workspace.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

namespace mayorin::ui {
namespace {

// Every reply from the X server is freed with free().
template <class Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;
template <class Reply> Owned<Reply> own(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

// The atom of name, or none when the server has never heard of it (no window manager that keeps
// workspaces has run).
xcb_atom_t atomOf(xcb_connection_t* c, const char* name) {
    const auto reply = own(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The one 32-bit number property holds on window, if it holds one.
std::optional<std::uint32_t> cardinalOf(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    const auto reply =
        own(xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != 4) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

// _NET_WM_DESKTOP's value for a window shown on every workspace.
constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
// The source of the request: an application's own.
constexpr std::uint32_t kSourceApplication = 1;

} // namespace

void moveToWorkspaceInView(QWidget* window) {
    // Only Qt's X11 platform: the offscreen one answers to the same interface, without a connection.
    if (window == nullptr || !window->isVisible() || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr;
    if (c == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const auto tree = own(xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr));
    if (!tree) {
        return;
    }
    const xcb_window_t root = tree->root;
    const xcb_atom_t current = atomOf(c, "_NET_CURRENT_DESKTOP");
    const xcb_atom_t desktop = atomOf(c, "_NET_WM_DESKTOP");
    if (current == XCB_ATOM_NONE || desktop == XCB_ATOM_NONE) {
        return;
    }
    const std::optional<std::uint32_t> inView = cardinalOf(c, root, current);
    const std::optional<std::uint32_t> on = cardinalOf(c, id, desktop);
    if (!inView || !on || *on == *inView || *on == kAllDesktops) {
        return;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = desktop;
    message.data.data32[0] = *inView;
    message.data.data32[1] = kSourceApplication;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
}

} // namespace mayorin::ui
