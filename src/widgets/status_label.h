// SPDX-License-Identifier: GPL-2.0-or-later
// UiStatusLabel: a line telling the outcome of the window's last action. Assistive technology
// finds it as a status bar by its accessible name ("Status"), reads the shown text as its
// description and hears of every change.
#pragma once

#include "widgets/label.h"

namespace qor {

class UiStatusLabel : public UiLabel {
 public:
  UiStatusLabel(QWidget* parent, const QString& name, const QRect& geometry = {});

 protected:
  void ShowText(const QString& text) override;
};

}  // namespace qor
