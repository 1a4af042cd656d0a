// SPDX-License-Identifier: GPL-2.0-or-later
// A hidden top-level window lets go of its window-system window and backing store (a
// window-sized buffer shared with the display server), so windows that are created once and
// kept cost little while closed; showing the window again makes new ones.
#pragma once

#include <functional>

class QWidget;

namespace qor {

// Call from `window`'s hideEvent; `destroyWindow` calls the window's own QWidget::destroy().
// The release waits until the hide is done (a queued call, which runs before any window shown
// meanwhile paints) and is dropped when the window showed again or went away.
void ReleaseOnceHidden(QWidget& window, std::function<void()> destroyWindow);

}  // namespace qor
