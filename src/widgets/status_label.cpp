// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/status_label.h"

#include <QAccessible>

namespace qor {

UiStatusLabel::UiStatusLabel(QWidget* parent, const QString& name, const QRect& geometry)
    : UiLabel(parent, name, geometry) {
  setWordWrap(true);
  setAlignment(Qt::AlignCenter);
}

void UiStatusLabel::ShowText(const QString& text) {
  setText(text);
  // Qt 6.4 has no announcement event: a screen reader hears of the new text as a changed
  // description of the status bar.
  if (accessibleDescription() == text) return;
  setAccessibleDescription(text);
  QAccessibleEvent event(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

}  // namespace qor
