// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/menu_box.h"

#include <QApplication>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "ui/menu_geometry.h"
#include "widgets/function_menu.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"
#include "widgets/window_release.h"

namespace qor {
namespace {

// An ARGB fill of the menu's parameters, or the skin's colour when it is 0.
QColor fill(uint32_t argb, const QColor& skinColour) {
  return argb ? QColor::fromRgba(argb) : skinColour;
}

// What assistive technology calls a user's click on a row.
const QString kClickAction = QStringLiteral("click");

class MenuRowAccessible : public QAccessibleWidget {
 public:
  explicit MenuRowAccessible(TuiMenuBoxItem* row) : QAccessibleWidget(row, QAccessible::MenuItem) {}
  TuiMenuBoxItem* row() const { return static_cast<TuiMenuBoxItem*>(widget()); }

  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? row()->Text() : QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = !row()->IsExtender();
    s.checked = row()->IsChecked();
    s.selected = row()->IsSelected();
    s.hasPopup = row()->IsExtender();
    s.focused = row()->IsSelected();
    return s;
  }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(row()->window());
  }
  // An open sub-level is the row's child.
  int childCount() const override { return TuiMenuBox::OpenedFrom(row()) ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    TuiMenuBox* sub = index == 0 ? TuiMenuBox::OpenedFrom(row()) : nullptr;
    return sub ? QAccessible::queryAccessibleInterface(sub) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && child->object() == TuiMenuBox::OpenedFrom(row()) ? 0 : -1;
  }
  QStringList actionNames() const override { return {kClickAction}; }
  QString localizedActionDescription(const QString& name) const override {
    return name == kClickAction ? TranslateText("Chooses the item") : QString();
  }
  void doAction(const QString& name) override {
    if (name == kClickAction) row()->AccessibleClick();
  }
};

class MenuLevelAccessible : public QAccessibleWidget {
 public:
  explicit MenuLevelAccessible(TuiMenuBox* box) : QAccessibleWidget(box, QAccessible::PopupMenu) {}
  TuiMenuBox* box() const { return static_cast<TuiMenuBox*>(widget()); }

  QAccessibleInterface* parent() const override {
    QWidget* opener = box()->Opener();
    return opener ? QAccessible::queryAccessibleInterface(opener) : QAccessibleWidget::parent();
  }
  int childCount() const override { return box()->RowCount(); }
  QAccessibleInterface* child(int index) const override {
    TuiMenuBoxItem* row = box()->Row(index);
    return row ? QAccessible::queryAccessibleInterface(row) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < box()->RowCount(); ++i)
      if (child && child->object() == box()->Row(i)) return i;
    return -1;
  }
};

QAccessibleInterface* menuAccessibleFactory(const QString&, QObject* object) {
  if (auto* row = dynamic_cast<TuiMenuBoxItem*>(object)) return new MenuRowAccessible(row);
  if (auto* box = dynamic_cast<TuiMenuBox*>(object)) return new MenuLevelAccessible(box);
  return nullptr;
}

}  // namespace

void InstallMenuAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(menuAccessibleFactory);
    return true;
  }();
  (void)installed;
}

// ---- TuiMenuBoxItem -------------------------------------------------------------------------

TuiMenuBoxItem::TuiMenuBoxItem(QWidget* parent, UiMenuEx& menu, TuiMenuItemsEx& level, int index)
    : QWidget(parent), FMenu(menu), FLevel(level), FIndex(index) {
  // The level follows the pointer over its rows.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TuiMenuBoxItem::SetText(const QString& text) {
  FText = text;
  setAccessibleName(text);
  update();
}

void TuiMenuBoxItem::SetState(bool checked, bool selected, bool extender, uint32_t itemID) {
  if (checked != FIsChecked && QAccessible::isActive()) {
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
  }
  const bool nowSelected = selected && !extender;  // an extender row is never drawn selected
  if (nowSelected && !FIsSelected && isVisible() && QAccessible::isActive()) {
    // Screen readers follow the selection as the keys move it.
    QAccessibleEvent event(this, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
  }
  FIsChecked = checked;
  FIsSelected = nowSelected;
  FIsExtender = extender;
  FItemID = itemID;
  update();
}

void TuiMenuBoxItem::SetHot(bool hot) {
  if (hot == FHot) return;
  FHot = hot;
  update();
}

void TuiMenuBoxItem::AccessibleClick() {
  FMenu.ClickRow(*this);
}

QFont TuiMenuBoxItem::TextFont() const {
  const TMenuParams& params = LevelParams(FLevel);
  QFont font = this->font();
  if (LevelLook(FLevel) == MenuLook::Default) return font;
  if (params.ItemFont.Size > 0) font.setPixelSize(params.ItemFont.Size);
  if (!params.ItemFont.Family.empty()) font.setFamily(FromUtf8(params.ItemFont.Family));
  font.setBold(params.ItemFont.Bold);
  return font;
}

QRect TuiMenuBoxItem::TextArea() const {
  const TMenuBounds& pad = LevelParams(FLevel).MenuTextPadding;
  return rect().adjusted(kCheckRoom + pad.Left, pad.Top, -(kExtenderRoom + pad.Right), -pad.Bottom);
}

void TuiMenuBoxItem::paintEvent(QPaintEvent*) {
  const TMenuParams& params = LevelParams(FLevel);
  const bool custom = LevelLook(FLevel) != MenuLook::Default;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor background;
  if (FIsSelected && (!custom || params.MenuShowSelectedState))
    background = fill(params.ItemDownFill, skin::kPanelRaised);
  else if (FHot)
    background = fill(params.ItemOverFill, skin::kPanelRaised.lighter(115));
  else if (params.ItemNormalFill)
    background = QColor::fromRgba(params.ItemNormalFill);
  if (background.isValid()) painter.fillRect(rect(), background);
  if (FIsSelected || FHot) painter.fillRect(QRect(0, 0, 3, height()), skin::kAccent);

  const bool showCheck =
      params.ItemShowCheck &&
      (FIsChecked || (FIsSelected && FLevel.RootMenu().Parameters.MenuShowSelectedCheckMark));
  const QPixmap checkImage =
      params.ItemCheckImage.empty() ? QPixmap() : skin::SkinPixmap(FromUtf8(params.ItemCheckImage));
  if (showCheck && !checkImage.isNull()) {
    const QSizeF size = checkImage.deviceIndependentSize();
    painter.drawPixmap(QPointF(14 - size.width() / 2, (height() - size.height()) / 2), checkImage);
  } else if (showCheck) {
    QPainterPath mark;
    const QPointF c(14, height() / 2.0);
    mark.moveTo(c + QPointF(-5, 0));
    mark.lineTo(c + QPointF(-1.5, 4));
    mark.lineTo(c + QPointF(5.5, -4.5));
    painter.setPen(QPen(fill(params.ItemCheckFill, skin::kAccent), 2, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.drawPath(mark);
  }
  if (FIsExtender) {
    const QPointF c(width() - 14, height() / 2.0);
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(-3, -5));
    arrow.lineTo(c + QPointF(2, 0));
    arrow.lineTo(c + QPointF(-3, 5));
    painter.setPen(QPen(fill(params.ItemExtenderFill, FHot ? skin::kAccent : skin::kTextDim), 2,
                        Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(arrow);
  }
  const QFont font = TextFont();
  painter.setFont(font);
  const QRect textArea = TextArea();
  painter.setPen(!isEnabled()          ? skin::kTextDim
                 : FIsSelected || FHot ? skin::kAccent
                                       : fill(params.ItemFontFill, skin::kText));
  const QString shown =
      QFontMetrics(font).elidedText(FText, Qt::ElideRight, std::max(textArea.width(), 0));
  painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

// ---- TuiMenuBox -----------------------------------------------------------------------------

TuiMenuBox* TuiMenuBox::OpenedFrom(const QWidget* opener) {
  if (!opener) return nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = dynamic_cast<TuiMenuBox*>(w); box && box->isVisible() && box->FOpener == opener)
      return box;
  return nullptr;
}

TuiMenuBox::TuiMenuBox(UiMenuEx& menu, TuiMenuItemsEx& level)
    // Not a Qt pop-up: those are left out of the application's accessible windows, so
    // assistive technology would not find the menu. UiMenuEx follows pointer and keys itself.
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), FMenu(menu), FLevel(level) {
  setObjectName("TuiMenuBox");
  setAttribute(Qt::WA_X11NetWmWindowTypePopupMenu);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setMouseTracking(true);
  setCursor(skin::ArrowCursor());
  FScroll = new QScrollArea(this);
  FScroll->setFrameShape(QFrame::NoFrame);
  FScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FScroll->setWidgetResizable(false);
  FScroll->setFocusPolicy(Qt::NoFocus);
  FScroll->viewport()->setMouseTracking(true);
  FContent = new QWidget;
  FContent->setMouseTracking(true);
  FScroll->setWidget(FContent);
}

TuiMenuBox::~TuiMenuBox() = default;

int TuiMenuBox::RebuildRows() {
  while (static_cast<int>(FRows.size()) > FLevel.Count()) {
    delete FRows.back();
    FRows.pop_back();
  }
  while (static_cast<int>(FRows.size()) < FLevel.Count()) {
    auto* row = new TuiMenuBoxItem(FContent, FMenu, FLevel, static_cast<int>(FRows.size()));
    row->show();
    FRows.push_back(row);
  }
  int widest = 0;
  const QFontMetrics metrics(font());
  for (int i = 0; i < FLevel.Count(); ++i) {
    const QString text = TranslateText(FromUtf8(FLevel.Items(i).Caption));
    FRows[i]->SetText(text);
    widest = std::max(widest, metrics.horizontalAdvance(text));
  }
  return widest;
}

void TuiMenuBox::UpdateRows(int selected) {
  FSelected = selected;
  for (int i = 0; i < RowCount() && i < FLevel.Count(); ++i) {
    const TuiMenuItemEx& item = FLevel.Items(i);
    FRows[i]->SetState(item.Checked, i == selected, item.HasSubItems(), item.ItemID());
    // A row that cannot act is shown dimmed and chooses nothing.
    FRows[i]->setEnabled(item.Enabled);
  }
}

void TuiMenuBox::SetRowHeight(int height) {
  FRowHeight = height;
  const TMenuBounds& m = FLevel.RootMenu().Parameters.BGMargins;
  FScroll->setGeometry(rect().adjusted(m.Left, m.Top, -m.Right, -m.Bottom));
  const bool scrolls = RowCount() * height > FScroll->height();
  const int width =
      FScroll->width() - (scrolls ? FScroll->verticalScrollBar()->sizeHint().width() : 0);
  FContent->resize(width, RowCount() * height);
  for (int i = 0; i < RowCount(); ++i) FRows[i]->setGeometry(0, i * height, width, height);
}

TuiMenuBoxItem* TuiMenuBox::Row(int index) const {
  return index >= 0 && index < RowCount() ? FRows[index] : nullptr;
}

TuiMenuBoxItem* TuiMenuBox::RowAt(const QPoint& global) const {
  if (!isVisible() ||
      !FScroll->viewport()->rect().contains(FScroll->viewport()->mapFromGlobal(global)))
    return nullptr;
  const QPoint at = FContent->mapFromGlobal(global);
  if (at.x() < 0 || at.x() >= FContent->width() || at.y() < 0 || FRowHeight <= 0) return nullptr;
  return Row(at.y() / FRowHeight);
}

void TuiMenuBox::ShowRow(int index) {
  if (TuiMenuBoxItem* row = Row(index)) FScroll->ensureWidgetVisible(row, 0, 0);
}

void TuiMenuBox::SetHotRow(int index) {
  if (TuiMenuBoxItem* old = Row(FHot)) old->SetHot(false);
  FHot = index;
  if (TuiMenuBoxItem* row = Row(index)) row->SetHot(true);
}

void TuiMenuBox::paintEvent(QPaintEvent*) {
  const TMenuParams& params = LevelParams(FLevel);
  QPainter painter(this);
  painter.fillRect(rect(), fill(params.BGFill, skin::kPanel));
  if (!params.BGImage.empty()) {
    const QPixmap picture = skin::SkinPixmap(FromUtf8(params.BGImage));
    if (!picture.isNull()) painter.drawPixmap(rect(), picture);
  }
  painter.setPen(QPen(skin::kAccent.darker(160), 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TuiMenuBox::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QAccessibleEvent started(this, QAccessible::PopupMenuStart);
  QAccessible::updateAccessibility(&started);
}

void TuiMenuBox::hideEvent(QHideEvent* event) {
  QAccessibleEvent ended(this, QAccessible::PopupMenuEnd);
  QAccessible::updateAccessibility(&ended);
  QWidget::hideEvent(event);
  ReleaseOnceHidden(*this, [this] { destroy(); });
  FMenu.LevelHidden(*this);
}

}  // namespace qor
