// UiImage: a picture fitted into its box, aspect ratio kept, centred.
#pragma once

#include <QPixmap>
#include <QWidget>

#include "widgets/ui_control.h"

namespace qor {

class UiImage : public QWidget, public UiControl {
 public:
  UiImage(QWidget* parent, const QString& name, const QRect& geometry = {});
  void SetPicture(const QPixmap& picture);
  const QPixmap& Picture() const { return FPicture; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap FPicture;
};

}  // namespace qor
