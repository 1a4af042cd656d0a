// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/track_bar.h"

#include <algorithm>

#include "widgets/accessibility.h"

namespace qor {

UiTrackBar::UiTrackBar(QWidget* parent, const QString& name, Qt::Orientation orientation,
                       const QRect& geometry)
    : QSlider(orientation, parent), UiControl(static_cast<QWidget&>(*this)) {
  InstallAccessibleInterfaces();
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  connect(this, &QSlider::valueChanged, this, [this] {
    if (!FSnapping && OnChange) OnChange(*this);
  });
}

void UiTrackBar::SetRange(int minimum, int maximum, int frequency) {
  FFrequency = std::max(1, frequency);
  setRange(minimum, maximum);
  setSingleStep(FFrequency);
  setPageStep(FFrequency);
  setTickInterval(FFrequency);
  SetPosition(value());
}

int UiTrackBar::Snapped(int position) const {
  const int clamped = std::clamp(position, minimum(), maximum());
  const int steps = (clamped - minimum() + FFrequency / 2) / FFrequency;
  const int snapped = minimum() + steps * FFrequency;
  // The last step may lie past the maximum when the range is not a whole number of steps.
  return snapped > maximum() ? snapped - FFrequency : snapped;
}

void UiTrackBar::SetPosition(int position) {
  setValue(Snapped(position));
}

void UiTrackBar::SetValueMapping(int base, bool descending) {
  FBase = base;
  FDescending = descending;
}

void UiTrackBar::sliderChange(SliderChange change) {
  // Dragging and the keys move freely inside QSlider; every value is brought onto the grid
  // before anyone hears of it.
  if (change == SliderValueChange && !FSnapping) {
    const int snapped = Snapped(value());
    if (snapped != value()) {
      FSnapping = true;
      setValue(snapped);
      FSnapping = false;
    }
  }
  QSlider::sliderChange(change);
}

}  // namespace qor
