// SPDX-License-Identifier: GPL-2.0-or-later
// The X11 focus source against Xvfb, with two windows of different classes and the active
// window set the way a window manager sets it.
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/x11_focus_source.h"
#include "test_support/xvfb.h"

namespace qor {
namespace {

using Names = std::vector<std::string>;

// Plays the window manager: windows with a WM_CLASS, and _NET_ACTIVE_WINDOW on the root.
class WindowManager {
 public:
  explicit WindowManager(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    auto cookie = xcb_intern_atom(c_, 0, 18, "_NET_ACTIVE_WINDOW");
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c_, cookie, nullptr);
    active_ = reply->atom;
    std::free(reply);
  }
  ~WindowManager() { xcb_disconnect(c_); }

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

// Waits for news on the source's descriptor, as the monitor's event loop does.
std::optional<Names> nextFocus(FocusSource& source) {
  for (int i = 0; i < 50; ++i) {
    if (auto names = source.readFocus()) return names;
    if (!source.lost().empty()) return std::nullopt;
    pollfd p{source.fd(), POLLIN, 0};
    ::poll(&p, 1, 100);
  }
  return std::nullopt;
}

TEST(X11FocusSource, FollowsTheActiveWindowsClassAndSurvivesTheDisplay) {
  test::XvfbServer server;
  if (server.display().empty()) GTEST_SKIP() << "Xvfb is not installed";
  WindowManager wm(server.display());
  const xcb_window_t game = wm.window(std::string("steam_app_570\0steam_app_570\0", 28));
  const xcb_window_t browser = wm.window(std::string("Navigator\0firefox\0", 18));

  std::string problem;
  auto source = MakeX11FocusSource(server.display(), problem);
  ASSERT_TRUE(source) << problem;
  EXPECT_EQ(nextFocus(*source), Names{});  // no active window yet

  wm.activate(game);
  EXPECT_EQ(nextFocus(*source), (Names{"steam_app_570", "steam_app_570"}));
  wm.activate(browser);
  EXPECT_EQ(nextFocus(*source), (Names{"Navigator", "firefox"}));
  wm.activate(browser);  // the same again is no news
  wm.activate(XCB_WINDOW_NONE);
  EXPECT_EQ(nextFocus(*source), Names{});

  server.stop();
  EXPECT_EQ(nextFocus(*source), std::nullopt);
  EXPECT_NE(source->lost(), "");
}

TEST(X11FocusSource, ADisplayThatIsNotThereIsAProblem) {
  std::string problem;
  EXPECT_FALSE(MakeX11FocusSource(":987", problem));
  EXPECT_NE(problem.find(":987"), std::string::npos) << problem;
}

}  // namespace
}  // namespace qor
