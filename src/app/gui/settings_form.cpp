// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/settings_form.h"

#include "widgets/bitmap_state_button.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

namespace qor {

namespace {
constexpr int kTitleStrip = 32;
constexpr int kRowHeight = 30;
}  // namespace

TSettingsForm::TSettingsForm(QWidget* owner, TDM& dm, SettingsServices services,
                             const QString& name, int width, int height, const QString& background,
                             const QString& title)
    : UiScene(owner, name, width, height), FDM(dm), FServices(services) {
  setWindowFlag(Qt::Tool);
  SetBackground(background);
  LabelTitle = new UiLabel(this, "LabelTitle", QRect(36, 0, width - 72, kTitleStrip), title);
  LabelTitle->SetFontSize(14, true);
  LabelTitle->SetStyleName("title");
  LabelTitle->setAlignment(Qt::AlignCenter);
  BSBTNCLOSE = new UiBitmapStateButton(this, "BSBTNCLOSE", QRect(width - 30, 4, 24, 24));
  BSBTNCLOSE->SetSkinBitmaps("close");
  BSBTNCLOSE->SetAccessibleText("Close");
  // Closing only hides the window; the main window keeps it.
  BSBTNCLOSE->OnClick = [this](UiBitmapStateButton&) { hide(); };
  setWindowTitle(TranslateText(title));
}

void TSettingsForm::DoShowChangedData() {
  RunSetPass(&FDM.FProfileSettingGroup, sizeof FDM.FProfileSettingGroup);
}

void TSettingsForm::FormCreate() {
  RunSetPass(&FDM.FAllProfileSettingInfo, sizeof FDM.FAllProfileSettingInfo);
}

void TSettingsForm::RunSetPass(void* buffer, uint32_t size) {
  const bool outer = !FShowingProfile;
  FShowingProfile = true;
  uiCommandSetting1.SetData(buffer, size);
  if (outer) FShowingProfile = false;
}

UiLabel* TSettingsForm::AddValueRow(const QString& name, const QString& caption, int x, int y,
                                    int width) {
  auto* row = new UiRectangle(this, name + "Row", QRect(x, y, width, kRowHeight));
  row->SetFill(skin::kPanel);
  row->SetStroke(skin::kBorderDim);
  row->SetRadius(3);
  row->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* label = new UiLabel(row, name + "Caption", QRect(10, 0, width / 2, kRowHeight), caption);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->SetStyleName("caption");
  auto* value = new UiLabel(row, name, QRect(width / 2, 0, width / 2 - 10, kRowHeight));
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  value->SetStyleName("value");
  // Values come from the profile, translated where they are built.
  value->SetAutoTranslate(false);
  return value;
}

UiLabel* TSettingsForm::AddCaption(const QString& name, const QString& text,
                                   const QRect& geometry) {
  auto* label = new UiLabel(this, name, geometry, text);
  label->SetStyleName("caption");
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

UiRectangle* TSettingsForm::AddPanel(QWidget* parent, const QString& name, const QRect& geometry,
                                     const QString& accessibleName) {
  auto* panel = new UiRectangle(parent, name, geometry);
  panel->SetFill(skin::kPanel);
  panel->SetStroke(skin::kBorderDim);
  panel->SetRadius(4);
  if (!accessibleName.isEmpty()) panel->SetAccessibleText(accessibleName);
  return panel;
}

}  // namespace qor
