// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/docking.h"

namespace qor {
namespace {

constexpr int index(SettingsWindow w) {
  return static_cast<int>(w);
}
constexpr bool onLeft(SettingsWindow w) {
  return w == SettingsWindow::ButtonAssignment || w == SettingsWindow::Sensitivity;
}

}  // namespace

DockingPlan PlanSettingsWindow(const DockingState& s, SettingsWindow which, int W, int H) {
  DockingPlan plan;
  plan.mainLeft = s.mainLeft;
  const DockedWindow& self = s.windows[index(which)];
  if (self.exists && self.showing) {
    plan.toggleOff = true;
    plan.close[index(which)] = true;
    return plan;
  }
  const int M = s.mainWidth, SW = s.screenWidth;
  int& L = plan.mainLeft;
  auto moveAlong = [&](SettingsWindow other, auto&& fits, auto&& leftEdge) {
    const DockedWindow& o = s.windows[index(other)];
    if (!o.exists || !o.showing) return;
    if (!fits(o))
      plan.close[index(other)] = true;
    else
      plan.moveTo[index(other)] = leftEdge(o);
  };
  if (onLeft(which)) {
    if (L - W > 0) {
      plan.x = L - W + 10;
    } else {
      L = W;
      plan.x = 10;
      for (SettingsWindow other : {SettingsWindow::AdvancedSettings, SettingsWindow::Lighting})
        moveAlong(
            other, [&](const DockedWindow& o) { return !(L + o.width + M > SW); },
            [&](const DockedWindow&) { return L + M; });
    }
  } else {
    if (L + M + W < SW) {
      plan.x = L + M - 5;
    } else {
      L = SW - W - M;
      plan.x = SW - W - 5;
      for (SettingsWindow other : {SettingsWindow::ButtonAssignment, SettingsWindow::Sensitivity})
        moveAlong(
            other, [&](const DockedWindow& o) { return !(L - o.width < 0); },
            [&](const DockedWindow& o) { return L - o.width; });
    }
  }
  plan.y = (s.screenHeight - H) / 2;
  // The two windows of one side are never open together.
  const SettingsWindow twin =
      which == SettingsWindow::ButtonAssignment   ? SettingsWindow::Sensitivity
      : which == SettingsWindow::Sensitivity      ? SettingsWindow::ButtonAssignment
      : which == SettingsWindow::AdvancedSettings ? SettingsWindow::Lighting
                                                  : SettingsWindow::AdvancedSettings;
  if (s.windows[index(twin)].exists && s.windows[index(twin)].showing)
    plan.close[index(twin)] = true;
  return plan;
}

}  // namespace qor
