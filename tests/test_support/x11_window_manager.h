// SPDX-License-Identifier: GPL-2.0-or-later
// A window manager played through libxcb, as GNOME's sets the focus for X11 windows.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace qor::test {

// Plays the window manager: windows with a WM_CLASS, and _NET_ACTIVE_WINDOW on the root.
class X11WindowManager {
 public:
  explicit X11WindowManager(const std::string& display)
      : c_(xcb_connect(display.c_str(), nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    auto cookie = xcb_intern_atom(c_, 0, 18, "_NET_ACTIVE_WINDOW");
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c_, cookie, nullptr);
    active_ = reply->atom;
    std::free(reply);
  }
  ~X11WindowManager() { xcb_disconnect(c_); }

  xcb_window_t window(const std::string& wmClass) {
    const xcb_window_t w = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.data());
    xcb_flush(c_);
    return w;
  }
  void activate(xcb_window_t w) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, active_, XCB_ATOM_WINDOW, 32, 1, &w);
    xcb_flush(c_);
  }

 private:
  xcb_connection_t* c_;
  xcb_window_t root_;
  xcb_atom_t active_;
};

}  // namespace qor::test
