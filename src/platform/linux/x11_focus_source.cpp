// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/x11_focus_source.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/shared_library.h"

namespace qor {
namespace {

// The libxcb calls used here, bound at run time so the monitor runs where X11 is absent. xcb
// reports a lost connection as a state instead of ending the process, as Xlib would.
#define QOR_XCB_FUNCTIONS(X)      \
  X(xcb_connect)                  \
  X(xcb_disconnect)               \
  X(xcb_connection_has_error)     \
  X(xcb_get_file_descriptor)      \
  X(xcb_get_setup)                \
  X(xcb_setup_roots_iterator)     \
  X(xcb_intern_atom)              \
  X(xcb_intern_atom_reply)        \
  X(xcb_change_window_attributes) \
  X(xcb_flush)                    \
  X(xcb_poll_for_event)           \
  X(xcb_get_property)             \
  X(xcb_get_property_reply)       \
  X(xcb_get_property_value)       \
  X(xcb_get_property_value_length)

// The libxcb calls used here, bound at run time so the monitor runs where X11 is absent. xcb
// reports a lost connection as a state instead of ending the process, as Xlib would.
struct Xcb {
  SharedLibrary library{"libxcb.so.1"};
#define QOR_DECLARE(name) decltype(&::name) name = nullptr;
  QOR_XCB_FUNCTIONS(QOR_DECLARE)
#undef QOR_DECLARE

  bool load() {
    bool all = bool(library);
#define QOR_BIND(name) all = library.bind(name, #name) && all;
    QOR_XCB_FUNCTIONS(QOR_BIND)
#undef QOR_BIND
    return all;
  }
};

class X11FocusSource final : public FocusSource {
 public:
  X11FocusSource(std::unique_ptr<Xcb> xcb, xcb_connection_t* c) : x_(std::move(xcb)), c_(c) {
    root_ = x_->xcb_setup_roots_iterator(x_->xcb_get_setup(c_)).data->root;
    activeWindow_ = atom("_NET_ACTIVE_WINDOW");
    // Property changes of the root window tell when the window manager moves the focus.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    x_->xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    x_->xcb_flush(c_);
    pending_ = true;  // the focus at start counts as news
  }
  ~X11FocusSource() override { x_->xcb_disconnect(c_); }

  int fd() const override { return x_->xcb_get_file_descriptor(c_); }

  std::optional<std::vector<std::string>> readFocus() override {
    while (xcb_generic_event_t* e = x_->xcb_poll_for_event(c_)) {
      if ((e->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
          reinterpret_cast<xcb_property_notify_event_t*>(e)->atom == activeWindow_)
        pending_ = true;
      std::free(e);
    }
    if (!lost().empty() || !pending_) return std::nullopt;
    pending_ = false;
    std::vector<std::string> names = classOf(activeWindow());
    if (names == last_) return std::nullopt;
    last_ = names;
    return names;
  }

  std::string lost() const override {
    return x_->xcb_connection_has_error(c_) ? "the X11 display closed the connection" : "";
  }

 private:
  xcb_atom_t atom(const char* name) {
    auto cookie = x_->xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = x_->xcb_intern_atom_reply(c_, cookie, nullptr);
    xcb_atom_t a = XCB_ATOM_NONE;
    if (reply) a = reply->atom;
    std::free(reply);
    return a;
  }

  // The bytes of a property, or none when the window or property is gone.
  std::string property(xcb_window_t w, xcb_atom_t name, xcb_atom_t type, uint32_t longs) {
    auto cookie = x_->xcb_get_property(c_, 0, w, name, type, 0, longs);
    xcb_get_property_reply_t* reply = x_->xcb_get_property_reply(c_, cookie, nullptr);
    std::string bytes;
    if (reply && reply->type == type) {
      const auto* v = static_cast<const char*>(x_->xcb_get_property_value(reply));
      bytes.assign(v, static_cast<std::size_t>(x_->xcb_get_property_value_length(reply)));
    }
    std::free(reply);
    return bytes;
  }

  xcb_window_t activeWindow() {
    const std::string bytes = property(root_, activeWindow_, XCB_ATOM_WINDOW, 1);
    xcb_window_t w = XCB_WINDOW_NONE;
    if (bytes.size() == sizeof w) std::memcpy(&w, bytes.data(), sizeof w);
    return w;
  }

  // WM_CLASS holds the instance and the class name, each ended by 0.
  std::vector<std::string> classOf(xcb_window_t w) {
    std::vector<std::string> names;
    if (w == XCB_WINDOW_NONE) return names;
    const std::string bytes = property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256);
    for (std::size_t at = 0; at < bytes.size() && names.size() < 2;) {
      std::size_t end = bytes.find('\0', at);
      if (end == std::string::npos) end = bytes.size();
      if (end > at) names.push_back(bytes.substr(at, end - at));
      at = end + 1;
    }
    return names;
  }

  std::unique_ptr<Xcb> x_;
  xcb_connection_t* c_;
  xcb_window_t root_ = XCB_WINDOW_NONE;
  xcb_atom_t activeWindow_ = XCB_ATOM_NONE;
  bool pending_ = false;
  std::vector<std::string> last_{"\n"};  // no window class has it: the first read reports
};

}  // namespace

std::unique_ptr<FocusSource> MakeX11FocusSource(const std::string& display, std::string& problem) {
  auto xcb = std::make_unique<Xcb>();
  if (!xcb->load()) {
    problem = "libxcb.so.1 cannot be loaded";
    return nullptr;
  }
  xcb_connection_t* c = xcb->xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
  if (xcb->xcb_connection_has_error(c)) {
    xcb->xcb_disconnect(c);
    problem =
        "cannot open the X11 display " + (display.empty() ? std::string("$DISPLAY") : display);
    return nullptr;
  }
  return std::make_unique<X11FocusSource>(std::move(xcb), c);
}

}  // namespace qor
