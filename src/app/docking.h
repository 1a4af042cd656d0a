// SPDX-License-Identifier: GPL-2.0-or-later
// Where a settings window opens beside the main window, and which windows move along.
#pragma once

#include <array>
#include <optional>

namespace qor {

// The four settings windows; the first two open on the left, the others on the right.
enum class SettingsWindow {
  ButtonAssignment = 0,
  Sensitivity = 1,
  AdvancedSettings = 2,
  Lighting = 3
};

struct DockedWindow {
  bool exists = false;
  bool showing = false;
  int left = 0;
  int width = 0;
};

// The screen and the windows as they are before a settings window opens.
struct DockingState {
  int screenWidth = 0;
  int screenHeight = 0;
  int mainLeft = 0;   // L
  int mainWidth = 0;  // M
  std::array<DockedWindow, 4> windows;
};

// What to do: where the main window goes, the opened window's place, which windows move or
// close. `close` for the opened window itself means the button toggled it off.
struct DockingPlan {
  bool toggleOff = false;  // the window was showing: it is closed, nothing else happens
  int mainLeft = 0;        // the main window's (possibly new) left edge
  int x = 0, y = 0;        // the opened window's position
  std::array<std::optional<int>, 4> moveTo{};  // new left edges of windows moved along
  std::array<bool, 4> close{};                 // windows to close
};

// Opens `which`, of size width x height.
DockingPlan PlanSettingsWindow(const DockingState& state, SettingsWindow which, int width,
                               int height);

}  // namespace qor
