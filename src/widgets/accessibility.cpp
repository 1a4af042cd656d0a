#include "widgets/accessibility.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

#include "widgets/layout.h"
#include "widgets/track_bar.h"

namespace qor {
namespace {

// A track bar as a slider whose value is what the user reads off it (a CPI track's CPI, the
// double-click track's milliseconds), not its raw position.
class TrackBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit TrackBarAccessible(UiTrackBar* track)
      : QAccessibleWidget(track, QAccessible::Slider), FTrack(track) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return FTrack->UserValue(); }
  void setCurrentValue(const QVariant& value) override { FTrack->SetUserValue(value.toInt()); }
  QVariant maximumValue() const override { return FTrack->UserMaximum(); }
  QVariant minimumValue() const override { return FTrack->UserMinimum(); }
  QVariant minimumStepSize() const override { return FTrack->Frequency(); }

 private:
  UiTrackBar* FTrack;
};

QAccessibleInterface* widgetSetFactory(const QString&, QObject* object) {
  if (auto* track = dynamic_cast<UiTrackBar*>(object)) return new TrackBarAccessible(track);
  // A panel that carries a name groups the controls inside it ("Brightness").
  if (auto* panel = dynamic_cast<UiLayout*>(object); panel && !panel->accessibleName().isEmpty())
    return new QAccessibleWidget(panel, QAccessible::Grouping);
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(widgetSetFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace qor
