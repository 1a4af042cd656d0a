// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/dialog_scene.h"

#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

#include "app/gui/dialog_presenter.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/label.h"
#include "widgets/skin.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

// Assistive technology announces the small windows as dialogs, named by their titles.
QAccessibleInterface* dialogAccessibleFactory(const QString&, QObject* object) {
  if (auto* dialog = dynamic_cast<UiDialogScene*>(object))
    return new QAccessibleWidget(dialog, QAccessible::Dialog);
  return nullptr;
}

}  // namespace

void CentreWindowOn(QWidget& window, const QWidget* over) {
  QRect area;
  if (over && over->isVisible())
    area = over->frameGeometry();
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

UiDialogScene::UiDialogScene(QWidget* owner, const QString& name, int width, int height,
                             const QString& background)
    : UiScene(owner, name, width, height), FDesignedHeight(height) {
  static const bool accessible = (QAccessible::installFactory(dialogAccessibleFactory), true);
  (void)accessible;
  SetBackground("bg_" + background + ".png");
  setFocusPolicy(Qt::StrongFocus);
}

void UiDialogScene::CentreOnMainForm() {
  CentreWindowOn(*this, MainForm());
}

UiLabel* UiDialogScene::AddTitle(const QString& name, const QString& text, int pixels) {
  auto* title = new UiLabel(this, name, QRect(40, 0, width() - 80, 32), text);
  title->SetFontSize(pixels, true);
  // A title too long for the strip in some language is set smaller rather than cut.
  title->SetShrinkToFit(11);
  title->setAlignment(Qt::AlignCenter);
  title->SetStyleName("title");
  FTitle = title;
  AfterTranslate();
  return title;
}

void UiDialogScene::AfterTranslate() {
  // Assistive technology names the window by its title.
  if (FTitle) setWindowTitle(FTitle->text());
}

void UiDialogScene::AddButtons(const QString& okName, const QString& cancelName,
                               const QString& cancelCaption) {
  OKButton = new UiTextButton(this, okName, QRect(width() - 214, height() - 44, 96, 28), "OK");
  OKButton->SetStyleName("default");
  OKButton->OnClick = [this](UiTextButton&) { Accept(); };
  CancelButton = new UiTextButton(this, cancelName, QRect(width() - 110, height() - 44, 96, 28),
                                  cancelCaption);
  CancelButton->SetModalResult(kModalCancel);
}

UiBitmapStateButton* UiDialogScene::AddCloseButton(const QString& name, int result) {
  auto* close = new UiBitmapStateButton(this, name, QRect(width() - 30, 4, 24, 24));
  close->SetSkinBitmaps("close");
  close->SetAccessibleText("Close");
  close->OnClick = [this, result](UiBitmapStateButton&) { SetModalResult(result); };
  SetCloseResult(result);
  return close;
}

void UiDialogScene::FitTexts(std::initializer_list<TextBox> boxes) {
  constexpr int kRightMargin = 24;
  int extra = 0;
  for (const TextBox& box : boxes) {
    QRect at = box.designed.translated(0, extra);
    if (box.label->heightForWidth(at.width()) > at.height())
      at.setWidth(std::max(at.width(), width() - at.x() - kRightMargin));
    const int grow =
        std::clamp(box.label->heightForWidth(at.width()) - at.height(), 0, kMaxExtraHeight - extra);
    at.setHeight(at.height() + grow);
    box.label->setGeometry(at);
    extra += grow;
  }
  const int move = extra - (height() - FDesignedHeight);
  setFixedSize(width(), FDesignedHeight + extra);
  for (QWidget* button : std::initializer_list<QWidget*>{OKButton, CancelButton})
    if (button) button->move(button->x(), button->y() + move);
}

void UiDialogScene::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!OKButton || OKButton->isEnabled()) Accept();
      return;
    case Qt::Key_Escape:
      SetModalResult(kModalCancel);
      return;
    default:
      UiScene::keyPressEvent(event);
  }
}

}  // namespace qor
