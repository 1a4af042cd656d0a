// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_fire.h"

#include "widgets/edit_boxes.h"
#include "widgets/label.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

UiNumberBox* numberBox(QWidget* parent, const char* name, const QRect& at, const QString& label) {
  auto* box = new UiNumberBox(parent, name, at);
  box->SetRange(kFireMinimum, kFireMaximum);
  box->SetAccessibleText(label);
  return box;
}

}  // namespace

TFrmFire::TFrmFire(QWidget* owner) : UiDialogScene(owner, "TFrmFire", kWidth, kHeight, "fire") {
  AddTitle("LabelTitle", "Fire Settings", 16);
  auto* fire = new UiLabel(this, "LabelFire", QRect(24, 48, 70, 24), "Fire:");
  fire->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  NumBoxFire = numberBox(this, "NumBoxFire", QRect(100, 48, 64, 24), "Fire:");
  auto* delay = new UiLabel(this, "LabelDELAY", QRect(176, 48, 70, 24), "Delay:");
  delay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  NumboxDelay = numberBox(this, "NumboxDelay", QRect(252, 48, 64, 24), "Delay:");
  new UiLabel(this, "LabelDelayMS", QRect(322, 48, 40, 24), "ms");
  fire->setBuddy(NumBoxFire);
  delay->setBuddy(NumboxDelay);
  AddButtons("BSBTNOK", "BSBTNCANCEL", "CANCEL");
  AddCloseButton("BtnClose", kModalCancel);
  setTabOrder(NumBoxFire, NumboxDelay);
  setTabOrder(NumboxDelay, OKButton);
  setTabOrder(OKButton, CancelButton);
}

void TFrmFire::FormShow() {
  if (FFireKeyInfo.nLoopCount != 0) {
    // The boxes keep their values within 1-255, whatever the record holds.
    NumBoxFire->SetValue(FFireKeyInfo.nLoopCount);
    NumboxDelay->SetValue(FFireKeyInfo.DelyValue);
  } else {
    NumBoxFire->SetValue(kDefaultFireCount);
    NumboxDelay->SetValue(kDefaultFireDelay);
  }
  NumBoxFire->setFocus();
  NumBoxFire->selectAll();
}

void TFrmFire::BSBTNOKClick() {
  // A value being typed counts as entered.
  NumBoxFire->interpretText();
  NumboxDelay->interpretText();
  FFireKeyInfo.nLoopCount = static_cast<uint16_t>(NumBoxFire->Value());
  FFireKeyInfo.DelyValue = static_cast<uint16_t>(NumboxDelay->Value());
  SetModalResult(kModalOK);
}

}  // namespace qor
