// SPDX-License-Identifier: GPL-2.0-or-later
// TFrmCombo: captures a key combination (up to two keys and the modifiers) from the moment it
// is shown until it closes. The keyboards are read through the input hook; when the hook
// cannot run, the window's own key events stand in for it.
#pragma once

#include <memory>

#include "app/gui/dialog_scene.h"
#include "model/profile_records.h"

namespace qor {

class TuiHook;
class HookPump;
class UiTextBox;
class WindowKeyHookProvider;

class TFrmCombo : public UiDialogScene {
 public:
  static constexpr int kWidth = 397, kHeight = 183;
  explicit TFrmCombo(QWidget* owner);
  ~TFrmCombo() override;

  // Takes the stored combination and shows it.
  void SetComboKey(const TCOMBOKEYINFO& AComboKey);
  // Whether the window reads its own key events because the hook cannot run.
  bool UsesWindowKeys() const { return FWindowKeys != nullptr; }

  TCOMBOKEYINFO FComboKey{};

  UiTextBox* TextCombo;
  UiLabel* LabelState = nullptr;  // the recording state and what the user should know about it

 protected:
  void Accept() override { SetModalResult(kModalOK); }
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void AfterTranslate() override;

 private:
  void FormShow();
  void FormClose();
  void uiHookRecordKeyboardComboKey(int Key1, int Key1Extended, int Key2, int Key2Extended,
                                    int Modifier, const std::string& ComboKeyString);
  void showState();

  std::shared_ptr<WindowKeyHookProvider> FWindowKeys;
  std::unique_ptr<TuiHook> uiHook;
  HookPump* FPump = nullptr;
  QString FUngrabbed;  // keyboards whose keys still reach other programs, once told
  QString FRefused;    // why the last captured combination cannot be used
};

// The text of a stored combination: the modifiers ("Alt+", "Ctrl+", "Shift+", "WIN+"), key
// 1 and, when set, "+" and key 2; empty without key 1.
QString StoredComboText(const TCOMBOKEYINFO& AComboKey);

}  // namespace qor
