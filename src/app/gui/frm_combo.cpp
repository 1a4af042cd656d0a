// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_combo.h"

#include <QKeyEvent>

#include "app/gui/hook_pump.h"
#include "macro/hook.h"
#include "macro/hook_library.h"
#include "platform/linux/window_key_provider.h"
#include "protocol/key_code_table.h"
#include "widgets/edit_boxes.h"
#include "widgets/label.h"
#include "widgets/qt_text.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

// Whether the mouse can send the key: its HID usage fits the device's one byte.
bool sendable(int vk, int extended) {
  const int32_t usage = GetHIDCodeByVK(static_cast<uint32_t>(vk), extended);
  return usage > 0 && usage <= 255;
}

}  // namespace

QString StoredComboText(const TCOMBOKEYINFO& c) {
  const std::string name1 = GetKeyDescriptionByVK(c.nKeyValue1, c.nKey1Extended);
  const std::string name2 = GetKeyDescriptionByVK(c.nKeyValue2, c.nKey2Extended);
  if (name1.empty()) return {};
  QString text = FromUtf8(GetModifierText(static_cast<uint8_t>(c.nModifier)) + name1);
  if (!name2.empty()) text += "+" + FromUtf8(name2);
  return text;
}

TFrmCombo::TFrmCombo(QWidget* owner) : UiDialogScene(owner, "TFrmCombo", kWidth, kHeight, "combo") {
  AddTitle("Label2", "Combo Keys", 16);
  auto* example =
      new UiLabel(this, "Label1", QRect(20, 40, kWidth - 40, 22), "Example:Win+Ctrl+Shift+Alt+G+H");
  example->SetFontSize(13, true);
  auto* input = new UiLabel(this, "Label3", QRect(20, 72, 80, 27), "INPUT:");
  input->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  TextCombo = new UiTextBox(this, "TextCombo", QRect(105, 72, 272, 27));
  TextCombo->setReadOnly(true);
  TextCombo->setFocusPolicy(Qt::NoFocus);
  TextCombo->SetAccessibleText("INPUT:");
  LabelState = new UiLabel(this, "LabelState", QRect(20, 104, kWidth - 40, 32));
  LabelState->SetAutoTranslate(false);  // built from translated parts
  LabelState->SetStyleName("value");
  LabelState->setWordWrap(true);
  LabelState->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  AddButtons("Button1", "Button2", "CANCEL");
  // Every key goes to the capture, Tab, Space, Enter and Escape too: the buttons are
  // pressed with the pointer.
  OKButton->setFocusPolicy(Qt::NoFocus);
  CancelButton->setFocusPolicy(Qt::NoFocus);
  AddCloseButton("BtnClose", kModalCancel);

  HookProblem problem;
  std::shared_ptr<HookProvider> provider = LoadHookProvider(problem);
  if (!provider) {
    FWindowKeys = std::make_shared<WindowKeyHookProvider>();
    provider = FWindowKeys;
  }
  uiHook = std::make_unique<TuiHook>(provider, TuiHookEnvironment{});
  uiHook->OnRecordKeyboardComboKey = [this](int k1, int e1, int k2, int e2, int m,
                                            const std::string& text) {
    uiHookRecordKeyboardComboKey(k1, e1, k2, e2, m, text);
  };
  FPump = new HookPump(uiHook->Provider(), this);
  FPump->OnUngrabbedKeyboards = [this](const QStringList& names) {
    FUngrabbed = names.join(", ");
    showState();
  };
}

TFrmCombo::~TFrmCombo() {
  // The keyboards are let go before anything else of the window goes.
  FormClose();
  uiHook.reset();
}

void TFrmCombo::SetComboKey(const TCOMBOKEYINFO& AComboKey) {
  FComboKey = AComboKey;
  TextCombo->setText(StoredComboText(FComboKey));
  // A combination without a key is nothing to store.
  OKButton->setEnabled(FComboKey.nKeyValue1 != 0);
}

void TFrmCombo::showEvent(QShowEvent* event) {
  UiDialogScene::showEvent(event);
  FormShow();
}

void TFrmCombo::hideEvent(QHideEvent* event) {
  FormClose();
  UiDialogScene::hideEvent(event);
}

void TFrmCombo::FormShow() {
  uiHook->RecordKeyboardComboKey();
  if (FWindowKeys) grabKeyboard();
  setFocus();
  showState();
  FPump->CheckGrabs();
}

void TFrmCombo::FormClose() {
  if (FWindowKeys) releaseKeyboard();
  if (uiHook) uiHook->StopRecordKeyboardComboKey();
}

void TFrmCombo::uiHookRecordKeyboardComboKey(int Key1, int Key1Extended, int Key2, int Key2Extended,
                                             int Modifier, const std::string& ComboKeyString) {
  TextCombo->setText(FromUtf8(ComboKeyString));
  if (!sendable(Key1, Key1Extended) || (Key2 != 0 && !sendable(Key2, Key2Extended))) {
    // Shown, but not taken: the mouse could not send it.
    FRefused = TranslateText("The mouse cannot send this key; choose another one.");
    showState();
    return;
  }
  FRefused.clear();
  FComboKey.nKeyValue1 = static_cast<uint16_t>(Key1);
  FComboKey.nKey1Extended = static_cast<uint16_t>(Key1Extended);
  FComboKey.nKeyValue2 = static_cast<uint16_t>(Key2);
  FComboKey.nKey2Extended = static_cast<uint16_t>(Key2Extended);
  FComboKey.nModifier = static_cast<uint16_t>(Modifier);
  OKButton->setEnabled(FComboKey.nKeyValue1 != 0);
  showState();
}

void TFrmCombo::showState() {
  QStringList lines;
  if (!FRefused.isEmpty())
    lines << FRefused;
  else
    lines << TranslateText(FWindowKeys ? "Press the keys of the combination in this window."
                                       : "Recording: the keys you press now go to this window "
                                         "only.");
  if (!FUngrabbed.isEmpty())
    lines << TranslateText("Keys of %1 also reach other programs.").arg(FUngrabbed);
  LabelState->SetText(lines.join("\n"));
}

void TFrmCombo::AfterTranslate() {
  UiDialogScene::AfterTranslate();
  if (LabelState) showState();  // not while the title is made
}

void TFrmCombo::keyPressEvent(QKeyEvent* event) {
  // Keys never act on this window; without the hook they are the capture's input.
  if (FWindowKeys)
    FWindowKeys->FeedKey(event->nativeScanCode(), true, static_cast<uint32_t>(event->timestamp()));
  event->accept();
}

void TFrmCombo::keyReleaseEvent(QKeyEvent* event) {
  if (FWindowKeys && !event->isAutoRepeat())
    FWindowKeys->FeedKey(event->nativeScanCode(), false, static_cast<uint32_t>(event->timestamp()));
  event->accept();
}

}  // namespace qor
