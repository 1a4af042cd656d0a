// SPDX-License-Identifier: GPL-2.0-or-later
// UiTrackBar: a vertical or horizontal track bar whose position snaps to its frequency.
#pragma once

#include <QSlider>
#include <algorithm>
#include <functional>

#include "widgets/ui_control.h"

namespace qor {

class UiTrackBar : public QSlider, public UiControl {
 public:
  UiTrackBar(QWidget* parent, const QString& name, Qt::Orientation orientation,
             const QRect& geometry = {});

  // Minimum, maximum and frequency (the step between positions, from the minimum).
  void SetRange(int minimum, int maximum, int frequency = 1);
  int Frequency() const { return FFrequency; }
  // Moves to the nearest position on the frequency's grid within the range; OnChange fires
  // when the position changed.
  void SetPosition(int position);
  int Position() const { return value(); }
  // The grid position nearest `position`.
  int Snapped(int position) const;

  // The value a user reads off the track: `base` + position, or `base` - position when
  // `descending` (a track that runs opposite to its value). Assistive technology reads and
  // sets the track in this unit.
  void SetValueMapping(int base, bool descending);
  int ValueAt(int position) const { return FDescending ? FBase - position : FBase + position; }
  int PositionOf(int value) const { return FDescending ? FBase - value : value - FBase; }
  int UserValue() const { return ValueAt(Position()); }
  int UserMinimum() const { return std::min(ValueAt(minimum()), ValueAt(maximum())); }
  int UserMaximum() const { return std::max(ValueAt(minimum()), ValueAt(maximum())); }
  // Moves the track to the value as a user would, so OnChange fires.
  void SetUserValue(int value) { SetPosition(PositionOf(value)); }

  std::function<void(UiTrackBar&)> OnChange;

 protected:
  void sliderChange(SliderChange change) override;

 private:
  int FFrequency = 1;
  bool FSnapping = false;
  int FBase = 0;
  bool FDescending = false;
};

}  // namespace qor
