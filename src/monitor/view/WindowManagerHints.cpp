#include "monitor/view/WindowManagerHints.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#ifdef VENTRIX_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#endif

namespace {

#ifdef VENTRIX_HAVE_XCB
xcb_connection_t* X11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

// WM_NORMAL_HINTS: 18 32-bit fields.
constexpr int kHintFields = 18;
constexpr std::uint32_t kAspectFlag = 128;
constexpr std::uint32_t kBaseSizeFlag = 256;
enum : std::size_t {
  kFlags = 0,
  kMinAspectNum = 11,
  kMinAspectDen,
  kMaxAspectNum,
  kMaxAspectDen,
  kBaseWidth,
  kBaseHeight
};
// The band the window manager may keep to, in per cent either side.
constexpr std::uint32_t kAspectSlack = 2;
#endif

}  // namespace

bool PrimaryButtonHeld() {
#ifdef VENTRIX_HAVE_XCB
  if (xcb_connection_t* connection = X11Connection()) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_query_pointer_reply_t* reply =
        screen ? xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr) : nullptr;
    if (reply) {
      const bool held = (reply->mask & XCB_BUTTON_MASK_1) != 0;
      std::free(reply);
      return held;
    }
  }
#endif
  return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}

void SetAspectHint(QWidget& window, QSize aspect, int baseHeight) {
#ifdef VENTRIX_HAVE_XCB
  xcb_connection_t* connection = X11Connection();
  // Only a window that exists on the server has hints to amend.
  if (!connection || !window.windowHandle() || !window.windowHandle()->handle()) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  std::array<std::uint32_t, kHintFields> hints{};
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, id, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, kHintFields),
      nullptr);
  if (reply) {
    const int bytes = std::min(xcb_get_property_value_length(reply), int(sizeof hints));
    if (reply->format == 32 && bytes > 0) std::memcpy(hints.data(), xcb_get_property_value(reply), std::size_t(bytes));
    std::free(reply);
  }
  if (aspect.width() > 0 && aspect.height() > 0) {
    const auto w = std::uint32_t(aspect.width()), h = std::uint32_t(aspect.height());
    hints[kFlags] |= kAspectFlag | kBaseSizeFlag;
    hints[kMinAspectNum] = w * (100 - kAspectSlack);
    hints[kMinAspectDen] = h * 100;
    hints[kMaxAspectNum] = w * (100 + kAspectSlack);
    hints[kMaxAspectDen] = h * 100;
    hints[kBaseWidth] = 0;
    hints[kBaseHeight] = std::uint32_t(std::max(0, baseHeight));
  } else {
    if (!(hints[kFlags] & kAspectFlag)) return;
    hints[kFlags] &= ~kAspectFlag;
  }
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                      kHintFields, hints.data());
  xcb_flush(connection);
#else
  (void)window;
  (void)aspect;
  (void)baseHeight;
#endif
}
