// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "app/docking.h"

namespace qor {
namespace {

DockingState screen(int mainLeft) {
  DockingState s;
  s.screenWidth = 1366;
  s.screenHeight = 768;
  s.mainLeft = mainLeft;
  s.mainWidth = 492;
  s.windows[0].width = 233;
  s.windows[1].width = 257;
  s.windows[2].width = 607;
  s.windows[3].width = 516;
  return s;
}

void showing(DockingState& s, SettingsWindow w, int left) {
  auto& d = s.windows[static_cast<int>(w)];
  d.exists = d.showing = true;
  d.left = left;
}

TEST(Docking, LeftWindowBesideOrPushingTheMainWindow) {
  DockingPlan far = PlanSettingsWindow(screen(500), SettingsWindow::ButtonAssignment, 233, 286);
  EXPECT_EQ(far.mainLeft, 500);
  EXPECT_EQ(far.x, 277);
  EXPECT_EQ(far.y, 241);

  DockingState s = screen(100);
  showing(s, SettingsWindow::AdvancedSettings, 587);
  DockingPlan near = PlanSettingsWindow(s, SettingsWindow::ButtonAssignment, 233, 286);
  EXPECT_EQ(near.mainLeft, 233);
  EXPECT_EQ(near.x, 10);
  EXPECT_EQ(near.moveTo[2], 233 + 492);  // edge to edge on the right
  EXPECT_FALSE(near.close[2]);

  DockingState narrow = screen(100);
  narrow.screenWidth = 1200;  // 233 + 607 + 492 > 1200: no room, it closes
  showing(narrow, SettingsWindow::AdvancedSettings, 587);
  DockingPlan closed = PlanSettingsWindow(narrow, SettingsWindow::ButtonAssignment, 233, 286);
  EXPECT_TRUE(closed.close[2]);
  EXPECT_FALSE(closed.moveTo[2]);
}

TEST(Docking, RightWindowBesideOrPushingTheMainWindow) {
  DockingPlan fits = PlanSettingsWindow(screen(100), SettingsWindow::AdvancedSettings, 607, 467);
  EXPECT_EQ(fits.x, 100 + 492 - 5);
  EXPECT_EQ(fits.y, 150);

  DockingState s = screen(500);
  showing(s, SettingsWindow::Sensitivity, 253);
  DockingPlan pushed = PlanSettingsWindow(s, SettingsWindow::AdvancedSettings, 607, 467);
  EXPECT_EQ(pushed.mainLeft, 1366 - 607 - 492);
  EXPECT_EQ(pushed.x, 1366 - 607 - 5);
  EXPECT_EQ(pushed.moveTo[1], 267 - 257);
}

TEST(Docking, SameSideRuleAndToggle) {
  DockingState s = screen(500);
  showing(s, SettingsWindow::ButtonAssignment, 277);
  DockingPlan sens = PlanSettingsWindow(s, SettingsWindow::Sensitivity, 257, 433);
  EXPECT_TRUE(sens.close[0]);
  EXPECT_FALSE(sens.toggleOff);
  EXPECT_EQ(sens.y, (768 - 433) / 2);
  DockingPlan again = PlanSettingsWindow(s, SettingsWindow::ButtonAssignment, 233, 286);
  EXPECT_TRUE(again.toggleOff);
  EXPECT_TRUE(again.close[0]);
  EXPECT_EQ(again.mainLeft, 500);
}

}  // namespace
}  // namespace qor
