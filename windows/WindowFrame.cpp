// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#ifdef LMX_HAVE_XCB
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#endif

namespace {

#ifdef LMX_HAVE_XCB
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  const XcbReply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
                            nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// True when the root window lists `atom` among what the window manager supports.
bool Supported(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom) {
  const XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(connection,
                             xcb_get_property(connection, 0, root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM,
                                              0, 1024),
                             nullptr),
      &std::free);
  if (!reply || reply->format != 32) return false;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  for (int i = 0; i < count; ++i)
    if (atoms[i] == atom) return true;
  return false;
}

// Asks the window manager which frame it will draw around the unmapped
// window and waits (at most 200 ms) for its answer in _NET_FRAME_EXTENTS.
// A manager that lists the request but left it unanswered once is not asked
// again, so that the program waits for it at most once in a run.
QMargins AskWindowManager(QWidget& window) {
  static bool unanswered = false;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || unanswered) return QMargins();
  xcb_connection_t* connection = x11->connection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
  if (!Supported(connection, root, request)) return QMargins();
  const auto id = static_cast<xcb_window_t>(window.winId());  // the native window with its hints
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = id;
  message.type = request;
  xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(connection);
  for (int waited = 0; waited < 200; waited += 2) {
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4),
                               nullptr),
        &std::free);
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 16) {
      const auto* value = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
      // left, right, top, bottom
      return QMargins(static_cast<int>(value[0]), static_cast<int>(value[2]), static_cast<int>(value[1]),
                      static_cast<int>(value[3]));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  unanswered = true;
  return QMargins();
}
#endif

}  // namespace

QMargins FrameMargins(QWidget& window) {
  if (window.testAttribute(Qt::WA_Mapped) && window.windowHandle()) return window.windowHandle()->frameMargins();
#ifdef LMX_HAVE_XCB
  if (QGuiApplication::platformName() == QLatin1String("xcb")) return AskWindowManager(window);
#endif
  window.winId();
  return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QMargins frame = FrameMargins(window);
  QRect outer = QRect(QPoint(0, 0), window.size()).marginsAdded(frame);
  outer.moveCenter(screen->availableGeometry().center());
  window.setGeometry(outer.marginsRemoved(frame));
}

void PlaceFrame(QWidget& window, const QRect& outer) {
  // The inside's geometry: once the native window exists, Qt takes a position
  // for the inside too, frame or not.
  window.setGeometry(outer.marginsRemoved(FrameMargins(window)));
}
