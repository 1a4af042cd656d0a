// SPDX-License-Identifier: GPL-2.0-or-later
// Where a pop-up opens beside the control it belongs to.
#pragma once

class QWidget;
class QPoint;
class QSize;
class QRect;

namespace qor {

enum class PopupSide { LeftCenter, RightCenter };

// The top-left corner, in screen coordinates, of a pop-up of `popup` size beside `control`
// (screen rectangle): touching its left or right edge, centred on it vertically.
QPoint PopupPosition(const QRect& control, const QSize& popup, PopupSide side);
// Moves `popup` there, beside `control`.
void PlacePopup(QWidget& popup, const QWidget& control, PopupSide side);

}  // namespace qor
