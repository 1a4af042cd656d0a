// UiListBox: a vertical list whose rows are built from a row template; the controls of a row
// are found by their binding names.
#pragma once

#include <QScrollArea>
#include <functional>
#include <vector>

#include "widgets/ui_control.h"

namespace qor {

class UiListBox : public QScrollArea, public UiControl {
 public:
  // Builds the controls of one row inside `row` (a box of the list's width and RowHeight).
  using RowTemplate = std::function<void(QWidget& row)>;

  UiListBox(QWidget* parent, const QString& name, const QRect& geometry = {});
  void SetRowTemplate(RowTemplate rowTemplate, int rowHeight);
  int RowHeight() const { return FRowHeight; }

  // Appends a row built from the template and returns it.
  QWidget& AddRow();
  void Clear();
  int Count() const { return int(FRows.size()); }
  QWidget* Row(int index) const;

  // The selected row, -1 for none; selecting fires OnChange and scrolls the row into view.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int index);

  // The control of `row` whose binding name is `binding`, or null.
  static UiControl* FindBinding(QWidget& row, const QString& binding);
  template <typename T>
  static T* FindBinding(QWidget& row, const QString& binding) {
    return dynamic_cast<T*>(FindBinding(row, binding));
  }

  std::function<void(UiListBox&)> OnChange;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void layoutRows();

  QWidget* FContent;
  RowTemplate FRowTemplate;
  int FRowHeight = 24;
  std::vector<QWidget*> FRows;
  int FItemIndex = -1;
};

}  // namespace qor
