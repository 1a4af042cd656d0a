#include "widgets/accessibility.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

#include "widgets/bitmap_state_button.h"
#include "widgets/layout.h"
#include "widgets/scene_window.h"
#include "widgets/text_button.h"
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

// A button of the set: every action a screen reader offers ("press", "click", "toggle") is
// the user's click, so the window's click handler runs (a bare toggle would change the shown
// state behind the window's back). A button that stays pressed is a check box whose checked
// state is its pressed state.
class ButtonAccessible final : public QAccessibleWidget {
 public:
  explicit ButtonAccessible(QAbstractButton* button)
      : QAccessibleWidget(button,
                          button->isCheckable() ? QAccessible::CheckBox : QAccessible::Button),
        FButton(button) {}

  QAccessible::Role role() const override {
    return FButton->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = FButton->isCheckable();
    s.checked = FButton->isChecked();
    s.pressed = FButton->isDown();
    return s;
  }
  QString text(QAccessible::Text t) const override {
    QString name = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && name.isEmpty()) name = FButton->text();
    return name;
  }
  QStringList actionNames() const override {
    return FButton->isCheckable() ? QStringList{pressAction(), toggleAction()}
                                  : QStringList{pressAction()};
  }
  void doAction(const QString&) override {
    if (FButton->isEnabled()) FButton->click();
  }

 private:
  QAbstractButton* FButton;
};

QAccessibleInterface* widgetSetFactory(const QString&, QObject* object) {
  if (auto* track = dynamic_cast<UiTrackBar*>(object)) return new TrackBarAccessible(track);
  if (dynamic_cast<UiTextButton*>(object) || dynamic_cast<UiBitmapStateButton*>(object))
    return new ButtonAccessible(static_cast<QAbstractButton*>(object));
  // A window of the set is a window to a screen reader, named by its title (Qt would offer a
  // nameless filler).
  if (auto* scene = dynamic_cast<UiScene*>(object); scene && scene->isWindow())
    return new QAccessibleWidget(scene, QAccessible::Window);
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
