// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/accessibility.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QRadioButton>

#include "widgets/bitmap_state_button.h"
#include "widgets/choice_buttons.h"
#include "widgets/edit_boxes.h"
#include "widgets/layout.h"
#include "widgets/list_box.h"
#include "widgets/menu_box.h"
#include "widgets/scene_window.h"
#include "widgets/status_label.h"
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

// The role a button of the set shows: a radio button for one choice of several (Qt's own
// interface says check box, since the set's radio groups are not Qt's auto-exclusive ones), a
// button that reports its pressed state when it is marked a toggle button (Qt's AT-SPI bridge
// has no toggle-button role), a check box for other buttons that stay pressed.
QAccessible::Role buttonRole(const QAbstractButton* button) {
  if (qobject_cast<const QRadioButton*>(button) || IsAccessibleRadioButton(*button))
    return QAccessible::RadioButton;
  if (!button->isCheckable() || IsAccessibleToggleButton(*button)) return QAccessible::Button;
  return QAccessible::CheckBox;
}

// A button of the set: every action a screen reader offers ("press", "click", "toggle") is
// the user's click, so the window's click handler runs (a bare toggle would change the shown
// state behind the window's back). A button that stays pressed is a check box whose checked
// state is its pressed state.
class ButtonAccessible final : public QAccessibleWidget {
 public:
  explicit ButtonAccessible(QAbstractButton* button)
      : QAccessibleWidget(button, buttonRole(button)), FButton(button) {}

  QAccessible::Role role() const override { return buttonRole(FButton); }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = FButton->isCheckable();
    s.checked = FButton->isChecked();
    // A toggle button that is on reads as pressed, as toggle buttons do over AT-SPI.
    s.pressed = FButton->isDown() || (IsAccessibleToggleButton(*FButton) && FButton->isChecked());
    return s;
  }
  QString text(QAccessible::Text t) const override {
    QString name = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && name.isEmpty()) name = FButton->text();
    return name;
  }
  // A function menu opened from the button is its child while it is open.
  int childCount() const override {
    return QAccessibleWidget::childCount() + (TuiMenuBox::OpenedFrom(FButton) ? 1 : 0);
  }
  QAccessibleInterface* child(int index) const override {
    const int own = QAccessibleWidget::childCount();
    if (index < own) return QAccessibleWidget::child(index);
    TuiMenuBox* menu = index == own ? TuiMenuBox::OpenedFrom(FButton) : nullptr;
    return menu ? QAccessible::queryAccessibleInterface(menu) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child && child->object() == TuiMenuBox::OpenedFrom(FButton))
      return QAccessibleWidget::childCount();
    return QAccessibleWidget::indexOfChild(child);
  }
  QStringList actionNames() const override {
    return FButton->isCheckable() ? QStringList{pressAction(), toggleAction()}
                                  : QStringList{pressAction()};
  }
  // The click runs once the request was answered: a click that opens a modal window would
  // otherwise keep the assistive technology waiting until that window closes.
  void doAction(const QString&) override {
    if (FButton->isEnabled())
      QMetaObject::invokeMethod(FButton, &QAbstractButton::click, Qt::QueuedConnection);
  }

 private:
  QAbstractButton* FButton;
};

// The action that does what Enter or a double click does.
QString activateAction() {
  return QStringLiteral("activate");
}

// A list box as a list whose children are its rows (not the scroll area's parts).
class ListBoxAccessible final : public QAccessibleWidget {
 public:
  explicit ListBoxAccessible(UiListBox* list)
      : QAccessibleWidget(list, QAccessible::List), FList(list) {}

  int childCount() const override { return FList->Count(); }
  QAccessibleInterface* child(int index) const override {
    UiListRow* row = FList->Row(index);
    if (!row) return nullptr;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(row);
    // An interface made while the row was still being built knows it only as a widget.
    if (face && face->role() != QAccessible::ListItem) {
      QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
      face = QAccessible::queryAccessibleInterface(row);
    }
    return face;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child ? FList->IndexOfRow(qobject_cast<const QWidget*>(child->object())) : -1;
  }

 private:
  UiListBox* FList;
};

// A row as a list item named by its text; "click" selects it as a click does, "activate"
// acts as a double click.
class ListRowAccessible final : public QAccessibleWidget {
 public:
  explicit ListRowAccessible(UiListRow* row)
      : QAccessibleWidget(row, QAccessible::ListItem), FRow(row) {}

  UiListBox* list() const {
    for (QWidget* w = FRow->parentWidget(); w; w = w->parentWidget())
      if (auto* l = dynamic_cast<UiListBox*>(w)) return l;
    return nullptr;
  }
  QAccessibleInterface* parent() const override {
    UiListBox* l = list();
    return l ? QAccessible::queryAccessibleInterface(l) : QAccessibleWidget::parent();
  }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? FRow->RowText() : QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    UiListBox* l = list();
    s.selectable = true;
    s.selected = l && l->ItemIndex() == l->IndexOfRow(FRow);
    s.disabled = l && !l->isEnabled();
    return s;
  }
  QStringList actionNames() const override { return {pressAction(), activateAction()}; }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  void doAction(const QString& action) override {
    UiListBox* l = list();
    if (!l || !l->isEnabled()) return;
    l->SetItemIndex(l->IndexOfRow(FRow));
    if (action == pressAction() && l->OnClick) l->OnClick(*l);
    if (action == activateAction() && l->OnDblClick) l->OnDblClick(*l);
  }

 private:
  UiListRow* FRow;
};

// A spin or number box: its value, and "activate" as Enter.
class SpinBoxAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SpinBoxAccessible(UiSpinBox* box)
      : QAccessibleWidget(box, QAccessible::SpinBox), FBox(box) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QVariant currentValue() const override { return FBox->Value(); }
  void setCurrentValue(const QVariant& value) override { FBox->SetValue(value.toInt()); }
  QVariant maximumValue() const override { return FBox->maximum(); }
  QVariant minimumValue() const override { return FBox->minimum(); }
  QVariant minimumStepSize() const override { return FBox->singleStep(); }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return QString::number(FBox->Value());
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override { return {setFocusAction(), activateAction()}; }
  void doAction(const QString& action) override {
    if (!FBox->isEnabled()) return;
    if (action == setFocusAction()) FBox->setFocus();
    if (action == activateAction() && FBox->OnEnter) FBox->OnEnter(*FBox);
  }

 private:
  UiSpinBox* FBox;
};

QAccessibleInterface* widgetSetFactory(const QString&, QObject* object) {
  if (auto* list = dynamic_cast<UiListBox*>(object)) return new ListBoxAccessible(list);
  if (auto* row = dynamic_cast<UiListRow*>(object)) return new ListRowAccessible(row);
  if (auto* box = dynamic_cast<UiSpinBox*>(object)) return new SpinBoxAccessible(box);
  if (auto* track = dynamic_cast<UiTrackBar*>(object)) return new TrackBarAccessible(track);
  // A bitmap button that ignores the pointer only shows a picture (the logo).
  if (auto* picture = dynamic_cast<UiBitmapStateButton*>(object); picture && !picture->HitTest())
    return new QAccessibleWidget(picture, QAccessible::Graphic);
  if (dynamic_cast<UiTextButton*>(object) || dynamic_cast<UiBitmapStateButton*>(object) ||
      dynamic_cast<UiRadioButton*>(object))
    return new ButtonAccessible(static_cast<QAbstractButton*>(object));
  if (auto* status = dynamic_cast<UiStatusLabel*>(object))
    return new QAccessibleWidget(status, QAccessible::StatusBar);
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

void SetAccessibleToggleButton(QAbstractButton& button) {
  button.setProperty("accessibleToggle", true);
}

bool IsAccessibleToggleButton(const QAbstractButton& button) {
  return button.property("accessibleToggle").toBool();
}

void SetAccessibleRadioButton(QAbstractButton& button) {
  button.setProperty("accessibleRadio", true);
}

bool IsAccessibleRadioButton(const QAbstractButton& button) {
  return button.property("accessibleRadio").toBool();
}

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(widgetSetFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace qor
