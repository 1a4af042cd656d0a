// SPDX-License-Identifier: GPL-2.0-or-later
// TFrmFire: the repeat count and delay of a rapid-fire button.
#pragma once

#include "app/gui/dialog_scene.h"
#include "model/profile_records.h"

namespace qor {

class UiNumberBox;

inline constexpr int kFireMinimum = 1, kFireMaximum = 255;
// What a button that never had rapid fire opens with.
inline constexpr int kDefaultFireCount = 2, kDefaultFireDelay = 60;

class TFrmFire : public UiDialogScene {
 public:
  static constexpr int kWidth = 397, kHeight = 135;
  explicit TFrmFire(QWidget* owner);

  TFIREKEYINFO FFireKeyInfo{};

  UiNumberBox* NumBoxFire;
  UiNumberBox* NumboxDelay;

  // Shows FFireKeyInfo, each value kept within 1-255; a count of 0 shows the defaults.
  void FormShow();

 protected:
  void Accept() override { BSBTNOKClick(); }

 private:
  void BSBTNOKClick();
};

}  // namespace qor
