// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/popup_placement.h"

#include <QRect>
#include <QWidget>

namespace qor {

QPoint PopupPosition(const QRect& control, const QSize& popup, PopupSide side) {
  const int y = control.top() + (control.height() - popup.height()) / 2;
  const int x = side == PopupSide::LeftCenter ? control.left() - popup.width()
                                              : control.left() + control.width();
  return {x, y};
}

void PlacePopup(QWidget& popup, const QWidget& control, PopupSide side) {
  const QRect onScreen(control.mapToGlobal(QPoint(0, 0)), control.size());
  popup.move(PopupPosition(onScreen, popup.size(), side));
}

}  // namespace qor
