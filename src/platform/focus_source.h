// SPDX-License-Identifier: GPL-2.0-or-later
// Which application's window has the focus, as the window system tells it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qor {

class FocusSource {
 public:
  virtual ~FocusSource() = default;
  // Readable while news wait; the event loop watches it (-1 when the source has none).
  virtual int fd() const = 0;
  // The focused window's application names (X11: WM_CLASS instance and class) after the news
  // waiting on fd(), when the focus moved; an empty list is no window. Never blocks.
  virtual std::optional<std::vector<std::string>> readFocus() = 0;
  // Why the source stopped telling (its display or service went away), or "" while it works.
  virtual std::string lost() const = 0;
};

}  // namespace qor
