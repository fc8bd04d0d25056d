#include "monitor/view/PointerButtons.h"

#include <QGuiApplication>

#ifdef VENTRIX_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#endif

bool PrimaryButtonHeld() {
#ifdef VENTRIX_HAVE_XCB
  if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_t* screen = connection ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data : nullptr;
    if (screen) {
      xcb_query_pointer_reply_t* reply =
          xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr);
      if (reply) {
        const bool held = (reply->mask & XCB_BUTTON_MASK_1) != 0;
        std::free(reply);
        return held;
      }
    }
  }
#endif
  return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}
