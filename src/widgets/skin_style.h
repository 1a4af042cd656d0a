// SPDX-License-Identifier: GPL-2.0-or-later
// SkinStyle: how the standard controls look in the skin (buttons, radio buttons, check boxes,
// tracks, edit and spin boxes, scroll bars, tool tips), drawn over Qt's Fusion style. A style
// instead of a style sheet: a style sheet keeps computed rules for every widget of every
// window, which cost more memory than the windows' pictures.
//
// Buttons take their look from the "styleName" property: "default" (the button Enter
// presses), "CPI-A" / "CPI-N" (a sensitivity level switched on / off) and "swatch" (a colour
// button: "swatchColor" is its colour, "selected" frames it in the accent).
#pragma once

#include <QProxyStyle>

namespace qor::skin {

class SkinStyle : public QProxyStyle {
 public:
  SkinStyle();

  void polish(QWidget* widget) override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget = nullptr) const override;
  QRect subElementRect(SubElement element, const QStyleOption* option,
                       const QWidget* widget = nullptr) const override;
};

// The skin's colours for every role, Qt's own dialogs included.
QPalette Palette();

}  // namespace qor::skin
