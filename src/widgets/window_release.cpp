// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/window_release.h"

#include <QMetaObject>
#include <QWidget>

namespace qor {

void ReleaseOnceHidden(QWidget& window, std::function<void()> destroyWindow) {
  if (window.isVisible()) return;  // minimised: it comes back as it was
  QWidget* w = &window;
  QMetaObject::invokeMethod(
      w,
      [w, destroyWindow = std::move(destroyWindow)] {
        if (!w->isVisible() && w->windowHandle()) destroyWindow();
      },
      Qt::QueuedConnection);
}

}  // namespace qor
