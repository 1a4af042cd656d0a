// TSettingsForm: what the main window needs of each of its four settings windows, and the
// frame they share (background, title strip, close button, value rows).
#pragma once

#include <QString>

#include "model/data_module.h"
#include "widgets/scene_window.h"

namespace qor {

class UiLabel;
class UiBitmapStateButton;

class TSettingsForm : public UiScene {
 public:
  // `background`: the skin picture drawn behind the window; `title`: the source text of the
  // title strip.
  TSettingsForm(QWidget* owner, TDM& dm, const QString& name, int width, int height,
                const QString& background, const QString& title);

  // Re-reads the current profile into the window.
  virtual void DoShowChangedData() = 0;
  bool Showing() const { return isVisible(); }

 protected:
  // Texts built from the profile are built again in the new language.
  void AfterTranslate() override { DoShowChangedData(); }
  // A caption at (x, y) with a value label right of it, `width` wide together; returns the
  // value label, whose text the window sets from the profile.
  UiLabel* AddValueRow(const QString& name, const QString& caption, int x, int y, int width);
  // A section caption in the skin's caption style.
  UiLabel* AddCaption(const QString& name, const QString& text, const QRect& geometry);

  TDM& FDM;
  UiLabel* LabelTitle;
  UiBitmapStateButton* BSBTNCLOSE;
};

// Stops a control from taking the pointer or the keyboard while keeping its full colours:
// the window shows the value, it does not edit it.
void ShowOnly(QWidget& control);

}  // namespace qor
