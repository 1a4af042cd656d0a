// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/settings_form.h"

#include <QHBoxLayout>

#include "widgets/bitmap_state_button.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

namespace qor {

namespace {
constexpr int kTitleStrip = 32;
// A title longer than its strip in some language is set smaller, down to this size.
constexpr int kMinimumTitlePixels = 11;
constexpr int kRowHeight = 30;
}  // namespace

TSettingsForm::TSettingsForm(QWidget* owner, TDM& dm, SettingsServices services,
                             const QString& name, int width, int height, const QString& background,
                             const QString& title)
    : UiScene(owner, name, width, height), FDM(dm), FServices(services) {
  setWindowFlag(Qt::Tool);
  SetBackground(background);
  // Centred between the close button and as much room on the left.
  LabelTitle = new UiLabel(this, "LabelTitle", QRect(32, 0, width - 64, kTitleStrip), title);
  LabelTitle->SetFontSize(14, true);
  LabelTitle->SetShrinkToFit(kMinimumTitlePixels);
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
  // The value keeps the room its text needs; the caption takes the rest and wraps in it.
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(10, 0, 10, 0);
  layout->setSpacing(8);
  auto* label = new UiLabel(row, name + "Caption", {}, caption);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setWordWrap(true);
  label->SetStyleName("caption");
  layout->addWidget(label, 1);
  auto* value = new UiLabel(row, name);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  value->SetStyleName("value");
  // Values come from the profile, translated where they are built.
  value->SetAutoTranslate(false);
  layout->addWidget(value);
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
