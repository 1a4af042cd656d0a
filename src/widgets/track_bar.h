// UiTrackBar: a vertical or horizontal track bar whose position snaps to its frequency.
#pragma once

#include <QSlider>
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

  std::function<void(UiTrackBar&)> OnChange;

 protected:
  void sliderChange(SliderChange change) override;

 private:
  int FFrequency = 1;
  bool FSnapping = false;
};

}  // namespace qor
