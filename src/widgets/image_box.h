// SPDX-License-Identifier: GPL-2.0-or-later
// UiImage: a picture fitted into its box, aspect ratio kept, centred.
#pragma once

#include <QImage>
#include <QWidget>

#include "widgets/ui_control.h"

namespace qor {

class UiImage : public QWidget, public UiControl {
 public:
  UiImage(QWidget* parent, const QString& name, const QRect& geometry = {});
  // Kept as given: a palette picture stays a byte a pixel.
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return FPicture; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage FPicture;
};

}  // namespace qor
