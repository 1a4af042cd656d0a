// SPDX-License-Identifier: GPL-2.0-or-later
// UiListBox: a vertical list whose rows are built from row templates; the controls of a row
// are found by their binding names.
#pragma once

#include <QEvent>
#include <QScrollArea>
#include <functional>
#include <vector>

#include "widgets/ui_control.h"

namespace qor {

// One row of a list box; its text is what assistive technology reads for it.
class UiListRow : public QWidget {
 public:
  UiListRow(QWidget* parent, int templateIndex) : QWidget(parent), FTemplate(templateIndex) {}
  // The template the row was built from.
  int TemplateIndex() const { return FTemplate; }
  void SetRowText(const QString& text) { setAccessibleName(text); }
  QString RowText() const { return accessibleName(); }

 private:
  int FTemplate;
};

class UiListBox : public QScrollArea, public UiControl {
 public:
  // Builds the controls of one row inside `row` (a box of the list's width and RowHeight).
  using RowTemplate = std::function<void(QWidget& row)>;

  UiListBox(QWidget* parent, const QString& name, const QRect& geometry = {});
  // Template 0, and the height of every row.
  void SetRowTemplate(RowTemplate rowTemplate, int rowHeight);
  // Adds a further template; returns its index.
  int AddRowTemplate(RowTemplate rowTemplate);
  int RowHeight() const { return FRowHeight; }

  // Appends a row built from template `templateIndex` and returns it.
  UiListRow& AddRow(int templateIndex = 0);
  // Inserts a row at `position` (clamped into 0..Count); the selection stays on its row.
  UiListRow& InsertRow(int position, int templateIndex = 0);
  // Removes row `index`; the selection moves up when it was past the new end.
  void DeleteRow(int index);
  void Clear();
  int Count() const { return int(FRows.size()); }
  UiListRow* Row(int index) const;
  int IndexOfRow(const QWidget* row) const;

  // The selected row, -1 for none; selecting fires OnChange and scrolls the row into view.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int index);
  // Scrolls by `rows` rows (negative: up).
  void ScrollByRows(int rows);
  // Scrolls row `index` into view.
  void ShowRow(int index);

  // The control of `row` whose binding name is `binding`, or null.
  static UiControl* FindBinding(QWidget& row, const QString& binding);
  template <typename T>
  static T* FindBinding(QWidget& row, const QString& binding) {
    return dynamic_cast<T*>(FindBinding(row, binding));
  }

  std::function<void(UiListBox&)> OnChange;
  // A click on a row (after it was selected).
  std::function<void(UiListBox&)> OnClick;
  // A double click on a row (after it was selected).
  std::function<void(UiListBox&)> OnDblClick;
  // A mouse button released over a row (after a press selected it), at `global` on the screen.
  std::function<void(UiListBox&, Qt::MouseButton button, const QPoint& global)> OnMouseUp;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  UiListRow& makeRow(int templateIndex);
  void layoutRows();
  int rowOf(QObject* watched) const;

  QWidget* FContent;
  std::vector<RowTemplate> FRowTemplates;
  int FRowHeight = 24;
  std::vector<UiListRow*> FRows;
  int FItemIndex = -1;
  quint64 FLastStamp = 0;
  QEvent::Type FLastType = QEvent::None;
};

}  // namespace qor
