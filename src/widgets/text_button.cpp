// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/text_button.h"

#include <QStyle>

#include "widgets/scene_window.h"
#include "widgets/skin.h"

namespace qor {

UiTextButton::UiTextButton(QWidget* parent, const QString& name, const QRect& geometry,
                           const QString& text)
    : QPushButton(parent), UiTextControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  setCursor(skin::HandCursor());
  setFocusPolicy(Qt::TabFocus);
  if (!text.isEmpty()) SetText(text);
  connect(this, &QPushButton::clicked, this, [this] {
    if (OnClick) OnClick(*this);
    if (FModalResult != 0)
      if (auto* scene = dynamic_cast<UiScene*>(window())) scene->SetModalResult(FModalResult);
  });
}

void UiTextButton::SetStyleName(const QString& style) {
  setProperty("styleName", style);
  update();
}

}  // namespace qor
