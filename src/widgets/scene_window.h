// SPDX-License-Identifier: GPL-2.0-or-later
// UiScene: a borderless window holding one scene of controls over a background picture. It
// is dragged by its background, re-translates its controls when the language changes and
// can run modally with a modal result.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>

#include "ui/translation.h"

class QEventLoop;

namespace qor {

// Modal results of the windows: 1 OK, 2 cancel.
inline constexpr int kModalOK = 1;
inline constexpr int kModalCancel = 2;

class UiScene : public QWidget, public TranslatableScene {
 public:
  // A top-level window of `width` x `height` owned by `owner` (may be null); it stays above
  // its owner and goes with it.
  UiScene(QWidget* owner, const QString& name, int width, int height);
  ~UiScene() override;

  // The skin picture (by its name) drawn unscaled behind the controls. It is decoded while
  // the window shows; a hidden window lets go of it and of its window-system buffers
  // (widgets/window_release.h).
  void SetBackground(const QString& skinPicture);

  // Shows the window modally and returns its modal result once it was set (or the close
  // result when the window was closed otherwise).
  int ShowModal();
  // Ends a modal run with `result`; outside ShowModal it only hides the window.
  void SetModalResult(int result);
  bool IsModalRunning() const { return FLoop != nullptr; }
  // The result of closing the window without a modal result (cancel unless set).
  void SetCloseResult(int result) { FCloseResult = result; }

  // Re-translates every text control of the window, then AfterTranslate.
  void TranslateTexts(const TextTranslationService& service) override;

 protected:
  // Texts the window builds in code are built again here after a language change.
  virtual void AfterTranslate() {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString FBackgroundName;
  QImage FBackground;  // null while hidden; kept as stored (palette pictures: a byte a pixel)
  SceneRegistration FRegistration;
  QEventLoop* FLoop = nullptr;
  std::optional<int> FModalResult;
  int FCloseResult = kModalCancel;
  std::optional<QPoint> FDragOffset;  // while dragged without the window manager's help
};

}  // namespace qor
