// SPDX-License-Identifier: GPL-2.0-or-later
// The X11 focus source against Xvfb, with two windows of different classes and the active
// window set the way a window manager sets it.
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/x11_focus_source.h"
#include "test_support/x11_window_manager.h"
#include "test_support/xvfb.h"

namespace qor {
namespace {

using Names = std::vector<std::string>;

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
  test::X11WindowManager wm(server.display());
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
