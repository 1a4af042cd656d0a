#include "widgets/list_box.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>

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
  FRowTemplate = std::move(rowTemplate);
  FRowHeight = rowHeight;
  layoutRows();
}

QWidget& UiListBox::AddRow() {
  auto* row = new QWidget(FContent);
  row->setObjectName(QString("Row%1").arg(FRows.size()));
  row->setAutoFillBackground(true);
  row->resize(viewport()->width(), FRowHeight);
  if (FRowTemplate) FRowTemplate(*row);
  // Clicks anywhere on the row, its controls included, select it.
  row->installEventFilter(this);
  for (QWidget* child : row->findChildren<QWidget*>()) child->installEventFilter(this);
  FRows.push_back(row);
  row->show();
  layoutRows();
  return *row;
}

void UiListBox::Clear() {
  for (QWidget* row : FRows) delete row;
  FRows.clear();
  FItemIndex = -1;
  layoutRows();
}

QWidget* UiListBox::Row(int index) const {
  return index >= 0 && index < Count() ? FRows[std::size_t(index)] : nullptr;
}

void UiListBox::SetItemIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  if (index == FItemIndex) return;
  FItemIndex = index;
  layoutRows();
  if (QWidget* row = Row(index)) ensureWidgetVisible(row, 0, 0);
  if (OnChange) OnChange(*this);
}

UiControl* UiListBox::FindBinding(QWidget& row, const QString& binding) {
  for (QWidget* child : row.findChildren<QWidget*>())
    if (UiControl* c = AsControl(child); c && c->BindingName() == binding) return c;
  return nullptr;
}

bool UiListBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int i = 0; i < Count(); ++i) {
      QWidget* row = FRows[std::size_t(i)];
      if (watched == row || row->isAncestorOf(qobject_cast<QWidget*>(watched))) {
        SetItemIndex(i);
        break;
      }
    }
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
