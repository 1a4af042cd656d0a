// SPDX-License-Identifier: GPL-2.0-or-later
// UiBitmapStateButton: a button drawn by three pictures (normal, hot under the pointer,
// pressed), with an optional caption over them.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <functional>

#include "widgets/ui_control.h"

namespace qor {

class UiBitmapStateButton : public QAbstractButton, public UiTextControl {
 public:
  UiBitmapStateButton(QWidget* parent, const QString& name, const QRect& geometry = {});

  // The three pictures; a null hot or pressed picture falls back to the normal one. Kept as
  // given: a palette picture stays a byte a pixel.
  void SetBitmaps(const QImage& normal, const QImage& hot, const QImage& pressed);
  // The skin's btn_<base>_{normal,hot,pressed}.png.
  void SetSkinBitmaps(const QString& base);
  // Staying pressed: a click toggles the pressed state, which the pressed picture shows.
  void SetStaysPressed(bool on) { setCheckable(on); }
  bool StaysPressed() const { return isCheckable(); }
  void SetHandCursor(bool on) { FHandCursor = on; }
  // Off: the button ignores the pointer entirely (a picture shown as a button).
  void SetHitTest(bool on);
  bool HitTest() const { return FHitTest; }

  // Raised on every click, after the pressed state changed.
  std::function<void(UiBitmapStateButton&)> OnClick;

 protected:
  void ShowText(const QString& text) override;
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;

 private:
  QImage FNormal, FHot, FPressed;
  bool FHandCursor = true;
  bool FHitTest = true;
};

}  // namespace qor
