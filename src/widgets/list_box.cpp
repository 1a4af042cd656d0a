// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/list_box.h"

#include <QAccessible>
#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "widgets/skin.h"

namespace qor {

UiListBox::UiListBox(QWidget* parent, const QString& name, const QRect& geometry)
    : QScrollArea(parent), UiControl(static_cast<QWidget&>(*this)), FContent(new QWidget) {
  setObjectName(name);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setWidget(FContent);
  if (!geometry.isNull()) setGeometry(geometry);
}

void UiListBox::SetRowTemplate(RowTemplate rowTemplate, int rowHeight) {
  if (FRowTemplates.empty())
    FRowTemplates.push_back(std::move(rowTemplate));
  else
    FRowTemplates[0] = std::move(rowTemplate);
  FRowHeight = rowHeight;
  layoutRows();
}

int UiListBox::AddRowTemplate(RowTemplate rowTemplate) {
  if (FRowTemplates.empty()) FRowTemplates.emplace_back();
  FRowTemplates.push_back(std::move(rowTemplate));
  return int(FRowTemplates.size()) - 1;
}

UiListRow& UiListBox::makeRow(int templateIndex) {
  auto* row = new UiListRow(FContent, templateIndex);
  row->setAutoFillBackground(true);
  row->resize(viewport()->width(), FRowHeight);
  if (templateIndex >= 0 && templateIndex < int(FRowTemplates.size()) &&
      FRowTemplates[std::size_t(templateIndex)])
    FRowTemplates[std::size_t(templateIndex)](*row);
  // Clicks anywhere on the row, its controls included, select it.
  row->installEventFilter(this);
  for (QWidget* child : row->findChildren<QWidget*>()) child->installEventFilter(this);
  return *row;
}

UiListRow& UiListBox::AddRow(int templateIndex) {
  return InsertRow(Count(), templateIndex);
}

UiListRow& UiListBox::InsertRow(int position, int templateIndex) {
  position = std::clamp(position, 0, Count());
  UiListRow& row = makeRow(templateIndex);
  FRows.insert(FRows.begin() + position, &row);
  if (FItemIndex >= position) ++FItemIndex;
  row.show();
  layoutRows();
  return row;
}

void UiListBox::DeleteRow(int index) {
  if (index < 0 || index >= Count()) return;
  delete FRows[std::size_t(index)];
  FRows.erase(FRows.begin() + index);
  if (FItemIndex > index || FItemIndex >= Count()) --FItemIndex;
  layoutRows();
}

void UiListBox::Clear() {
  for (QWidget* row : FRows) delete row;
  FRows.clear();
  FItemIndex = -1;
  layoutRows();
}

UiListRow* UiListBox::Row(int index) const {
  return index >= 0 && index < Count() ? FRows[std::size_t(index)] : nullptr;
}

int UiListBox::IndexOfRow(const QWidget* row) const {
  const auto it = std::find(FRows.begin(), FRows.end(), row);
  return it == FRows.end() ? -1 : int(it - FRows.begin());
}

void UiListBox::SetItemIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  if (index == FItemIndex) return;
  FItemIndex = index;
  layoutRows();
  ShowRow(index);
  if (QWidget* row = Row(index); row && QAccessible::isActive()) {
    QAccessibleEvent focus(row, QAccessible::Selection);
    QAccessible::updateAccessibility(&focus);
  }
  if (OnChange) OnChange(*this);
}

void UiListBox::ScrollByRows(int rows) {
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->value() + rows * FRowHeight);
}

void UiListBox::ShowRow(int index) {
  if (QWidget* row = Row(index)) ensureWidgetVisible(row, 0, 0);
}

UiControl* UiListBox::FindBinding(QWidget& row, const QString& binding) {
  for (QWidget* child : row.findChildren<QWidget*>())
    if (UiControl* c = AsControl(child); c && c->BindingName() == binding) return c;
  return nullptr;
}

int UiListBox::rowOf(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  for (int i = 0; i < Count(); ++i) {
    QWidget* row = FRows[std::size_t(i)];
    if (widget == row || row->isAncestorOf(widget)) return i;
  }
  return -1;
}

bool UiListBox::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
      type == QEvent::MouseButtonRelease) {
    // An event a child ignores travels on to its row: act on it once.
    const auto stamp = static_cast<QMouseEvent*>(event)->timestamp();
    if (stamp == FLastStamp && type == FLastType) return QScrollArea::eventFilter(watched, event);
    FLastStamp = stamp;
    FLastType = type;
  }
  switch (type) {
    case QEvent::MouseButtonPress:
      if (const int i = rowOf(watched); i >= 0 && isEnabled()) SetItemIndex(i);
      break;
    case QEvent::MouseButtonDblClick:
      if (const int i = rowOf(watched); i >= 0 && isEnabled()) {
        SetItemIndex(i);
        if (OnDblClick) OnDblClick(*this);
      }
      break;
    case QEvent::MouseButtonRelease:
      if (const int i = rowOf(watched); i >= 0 && isEnabled()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && OnClick) OnClick(*this);
        if (OnMouseUp) OnMouseUp(*this, mouse->button(), mouse->globalPosition().toPoint());
      }
      break;
    default:
      break;
  }
  return QScrollArea::eventFilter(watched, event);
}

void UiListBox::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  layoutRows();
}

void UiListBox::layoutRows() {
  const int width = viewport()->width();
  FContent->resize(width, FRowHeight * Count());
  for (int i = 0; i < Count(); ++i) {
    QWidget* row = FRows[std::size_t(i)];
    row->setGeometry(0, i * FRowHeight, width, FRowHeight);
    QPalette p = row->palette();
    p.setColor(QPalette::Window, i == FItemIndex ? skin::kPanelRaised : skin::kPanel);
    row->setPalette(p);
    ArrangeAligned(*row);
  }
}

}  // namespace qor
