// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_fire.h"

#include <QHBoxLayout>
#include <utility>

#include "widgets/edit_boxes.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

UiNumberBox* numberBox(QWidget* parent, const char* name, const QString& label) {
  auto* box = new UiNumberBox(parent, name);
  box->setFixedSize(64, 24);
  box->SetRange(kFireMinimum, kFireMaximum);
  box->SetAccessibleText(label);
  return box;
}

UiLabel* caption(QWidget* parent, const char* name, const QString& text) {
  auto* label = new UiLabel(parent, name, {}, text);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(70);
  return label;
}

}  // namespace

TFrmFire::TFrmFire(QWidget* owner) : UiDialogScene(owner, "TFrmFire", kWidth, kHeight, "fire") {
  AddTitle("LabelTitle", "Fire Settings", 16);
  // One row: a caption keeps its designed width unless its text needs more, and then moves
  // what follows it along.
  auto* row = new UiLayout(this, "LayoutFire", QRect(24, 48, kWidth - 48, 24));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* fire = caption(row, "LabelFire", "Fire:");
  NumBoxFire = numberBox(row, "NumBoxFire", "Fire:");
  auto* delay = caption(row, "LabelDELAY", "Delay:");
  NumboxDelay = numberBox(row, "NumboxDelay", "Delay:");
  for (auto [widget, gap] :
       {std::pair<QWidget*, int>{fire, 6}, {NumBoxFire, 12}, {delay, 6}, {NumboxDelay, 6}}) {
    layout->addWidget(widget);
    layout->addSpacing(gap);
  }
  layout->addWidget(new UiLabel(row, "LabelDelayMS", {}, "ms"));
  layout->addStretch();
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
