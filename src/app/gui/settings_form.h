// SPDX-License-Identifier: GPL-2.0-or-later
// TSettingsForm: what the main window needs of each of its four settings windows, and the
// frame they share (background, title strip, close button).
#pragma once

#include <QString>

#include "app/gui/settings_services.h"
#include "model/data_module.h"
#include "widgets/scene_window.h"

namespace qor {

class UiLabel;
class UiBitmapStateButton;
class UiRectangle;

class TSettingsForm : public UiScene {
 public:
  // `background`: the skin picture drawn behind the window; `title`: the source text of the
  // title strip.
  TSettingsForm(QWidget* owner, TDM& dm, SettingsServices services, const QString& name, int width,
                int height, const QString& background, const QString& title);

  // Shows the current profile in every control of the window: at creation, after a change
  // made elsewhere and after a language switch. The controls' change events are held while
  // they are set, so showing a profile never writes it: a value a control cannot show exactly
  // stays stored as it is until the user moves that control.
  void DoShowChangedData();
  bool Showing() const { return isVisible(); }

 protected:
  // Texts built from the profile are built again in the new language.
  void AfterTranslate() override { DoShowChangedData(); }
  // Sets every control of the window from `profile`.
  virtual void showProfile(const TMOUSEPROFILEINFO& profile) = 0;

  // A caption at (x, y) with a value label right of it, `width` wide together; returns the
  // value label, whose text the window sets from the profile.
  UiLabel* AddValueRow(const QString& name, const QString& caption, int x, int y, int width);
  // A section caption in the skin's caption style.
  UiLabel* AddCaption(const QString& name, const QString& text, const QRect& geometry);
  // A rounded panel that groups controls; `accessibleName` names the group for assistive
  // technology (empty: none).
  UiRectangle* AddPanel(QWidget* parent, const QString& name, const QRect& geometry,
                        const QString& accessibleName = {});

  TDM& FDM;
  SettingsServices FServices;
  UiLabel* LabelTitle;
  UiBitmapStateButton* BSBTNCLOSE;
};

}  // namespace qor
