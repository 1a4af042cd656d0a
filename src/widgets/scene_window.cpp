// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/scene_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>

#include "widgets/accessibility.h"
#include "widgets/skin.h"
#include "widgets/ui_control.h"
#include "widgets/window_release.h"

namespace qor {

namespace {
// The rows at the bottom of a background picture that stay at the window's bottom edge.
constexpr int kBackgroundBottomBand = 36;
}  // namespace

UiScene::UiScene(QWidget* owner, const QString& name, int width, int height)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint),
      FRegistration(TranslationService(), *this) {
  InstallAccessibleInterfaces();
  setObjectName(name);
  setFixedSize(width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

UiScene::~UiScene() {
  if (FLoop) FLoop->quit();
}

void UiScene::SetBackground(const QString& skinPicture) {
  FBackgroundName = skinPicture;
  FBackground = QImage();
  update();
}

int UiScene::ShowModal() {
  FModalResult.reset();
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  FLoop = &loop;
  if (!FModalResult) loop.exec(QEventLoop::DialogExec);
  FLoop = nullptr;
  hide();
  setWindowModality(Qt::NonModal);
  return FModalResult.value_or(FCloseResult);
}

void UiScene::SetModalResult(int result) {
  FModalResult = result;
  if (FLoop) FLoop->quit();
  hide();
}

void UiScene::TranslateTexts(const TextTranslationService& service) {
  for (QWidget* w : findChildren<QWidget*>()) {
    if (UiControl* control = AsControl(w)) control->RetranslateHint(service);
    if (auto* text = dynamic_cast<UiTextControl*>(w)) text->Retranslate(service);
  }
  AfterTranslate();
}

void UiScene::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), skin::kBackground);
  if (FBackground.isNull() && !FBackgroundName.isEmpty())
    FBackground = skin::SkinImage(FBackgroundName);
  if (FBackground.isNull()) return;
  const QSize picture = FBackground.deviceIndependentSize().toSize();
  if (height() <= picture.height()) {
    painter.drawImage(0, 0, FBackground);
    return;
  }
  // A window grown past its picture (a long message) keeps the picture's top and its bottom
  // band, and stretches the plain rows between them.
  const qreal ratio = FBackground.devicePixelRatio();
  const int band = std::min(kBackgroundBottomBand, picture.height() / 2);
  const int top = picture.height() - band;
  const auto source = [ratio](int y, int h, int w) {
    return QRectF(0, y * ratio, w * ratio, h * ratio);
  };
  painter.drawImage(QRectF(0, 0, picture.width(), top), FBackground,
                    source(0, top, picture.width()));
  painter.drawImage(QRectF(0, top, picture.width(), height() - top - band), FBackground,
                    source(top - 1, 1, picture.width()));
  painter.drawImage(QRectF(0, height() - band, picture.width(), band), FBackground,
                    source(top, band, picture.width()));
}

void UiScene::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeAligned(*this);
}

void UiScene::showEvent(QShowEvent* event) {
  setCursor(skin::ArrowCursor());
  ArrangeAligned(*this);
  QWidget::showEvent(event);
}

void UiScene::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (isVisible()) return;  // minimised
  FBackground = QImage();
  ReleaseOnceHidden(*this, [this] { destroy(); });
}

void UiScene::closeEvent(QCloseEvent* event) {
  if (FLoop && !FModalResult) {
    FModalResult = FCloseResult;
    FLoop->quit();
  }
  QWidget::closeEvent(event);
}

void UiScene::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // The window manager moves the window where it can; elsewhere (no window manager, or one
  // that refuses) the window follows the pointer itself.
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  FDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void UiScene::mouseMoveEvent(QMouseEvent* event) {
  if (FDragOffset && (event->buttons() & Qt::LeftButton))
    move(event->globalPosition().toPoint() - *FDragOffset);
  QWidget::mouseMoveEvent(event);
}

void UiScene::mouseReleaseEvent(QMouseEvent* event) {
  FDragOffset.reset();
  QWidget::mouseReleaseEvent(event);
}

}  // namespace qor
